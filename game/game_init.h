// The game's start-up hooks: module globals before the application exists, then the
// one application object. The program registers them before the runtime starts.
#pragma once

// Registers the two hooks below with the runtime's start-up sequence. The program's main
// calls it once, before the host entry starts the runtime.
void ox_game_Register();
// oxInit part of the game: sets the game's module globals, seeds the generator, builds the
// difficulty and credits tables and registers the game's roots. Returns 0.
int ox_game_Init();
// oxMain body: creates the one c_MyApp and registers it as the application. Returns 0.
int ox_game_Main();
