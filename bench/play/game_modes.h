// The game's screen modes (its m_mode values) that the bench watches to follow the player
// from the menu into a game and back.
#pragma once

namespace play {

constexpr int kModeMenu = 1;      // the main menu
constexpr int kModePlaying = 10;  // a game in play, paused or in its game-over overlay

}  // namespace play
