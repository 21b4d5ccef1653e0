// What the program itself prints before the game starts: its help, its version line and the
// one line for a session without a graphical display. Defined once for the program and tests.
#pragma once

#ifndef QR_VERSION
#define QR_VERSION "0.0.0"
#endif

inline constexpr char kHelpOption[] = "--help";
inline constexpr char kVersionOption[] = "--version";

inline constexpr char kVersionLine[] = "Quadrant Rush " QR_VERSION;

inline constexpr char kHelpText[] =
    "Quadrant Rush " QR_VERSION " - an arcade tile puzzle.\n"
    "\n"
    "Push tiles on a 7 x 7 board to line up three of a kind in a row or a column.\n"
    "Every line you clear refills the countdown timer; clear the board's quota to\n"
    "deal a new board. The game ends when the timer runs out.\n"
    "\n"
    "Keyboard:\n"
    "  arrow keys or W A S D       move the cursor; up and down turn the menu's wheel\n"
    "  hold Z, X, Space or Enter   and press an arrow to push the tile under the cursor\n"
    "  Z, Space or Enter           choose in the menus\n"
    "  Escape or Backspace         pause a game; in the main menu, quit\n"
    "  F2                          hide or show the timer bars and counts\n"
    "  F11                         switch between full screen and a window\n"
    "  F4                          quit\n"
    "Mouse: click the play icon to start; drag a tile onto a neighbouring cell to\n"
    "push it; click the pause icon in the top left corner to pause.\n"
    "Game pads (up to four): the d-pad or left stick moves, hold A or B and push a\n"
    "direction to push, A chooses in the menus, Start or Back pauses a game. Extra\n"
    "pad mappings are read from gamecontrollerdb.txt beside .tarnstate and from\n"
    "SDL_GAMECONTROLLERCONFIG.\n"
    "\n"
    "Scores and settings are kept in the file .tarnstate in the directory the game\n"
    "is started from.\n"
    "\n"
    "Options:\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "  --pads     list the game pads and show live what the game reads from them\n";

inline constexpr char kNoDisplayLine[] =
    "Quadrant Rush needs a graphical display: DISPLAY is not set.";
