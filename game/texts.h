// The texts the game's rules draw, defined once (gameover.cpp, flow.cpp) so that tests
// compare against these definitions.
#pragma once

extern const char* const kGameOverWords[2];  // the overlay after time up
extern const char* const kQuitWords[2];      // the overlay after quitting from the pause menu
extern const char* const kNewHighscoreText;  // before the place reached; \n breaks the line
extern const char* const kGameTune;          // the tune of a game
