// Program entry of quadrant-rush: answers --help and --version without opening a window,
// says plainly when there is no display, and otherwise hands the process to the host.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/game_init.h"
#include "host/host_game.h"

#ifndef QR_VERSION
#define QR_VERSION "0.0.0"
#endif

namespace {

const char kHelpText[] =
    "Quadrant Rush " QR_VERSION " - an arcade tile puzzle.\n"
    "\n"
    "Push tiles on a 7 x 7 board to line up three of a kind in a row or a column.\n"
    "Every line you clear refills the countdown timer; clear the board's quota to\n"
    "deal a new board. The game ends when the timer runs out.\n"
    "\n"
    "Keyboard:\n"
    "  arrow keys or W A S D     move the cursor\n"
    "  Z, Space or Enter + arrow push the tile under the cursor; confirm in menus\n"
    "  Escape or Backspace       pause, or go back\n"
    "  F2                        hide or show the timer bars\n"
    "  F11                       switch between full screen and a window\n"
    "  F4                        quit\n"
    "Mouse: drag a tile up to three cells to push it; click the icons to play and pause.\n"
    "Game pads (up to four): the pad or left stick moves, A pushes, Start pauses.\n"
    "\n"
    "Scores and settings are kept in the file .tarnstate in the directory the game\n"
    "is started from.\n"
    "\n"
    "Options:\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

const char kNoDisplay[] =
    "Quadrant Rush needs a graphical display: DISPLAY is not set.";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kHelpText, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("Quadrant Rush " QR_VERSION);
            return 0;
        }
    }
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland)) {
        std::puts(kNoDisplay);
        std::fflush(stdout);
    }
    ox_game_Register();
    OxTarnGame::Main(argc, const_cast<const char**>(argv));
    return 0;
}
