// Program entry of quadrant-rush: answers --help and --version without opening a window, runs
// the pad check for --pads, says plainly when there is no display, and otherwise hands the
// process to the host.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/game_init.h"
#include "game/program_texts.h"
#include "host/host_game.h"
#include "host/pad_check.h"

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Without a display the window system cannot start; say why first.
void SayIfNoDisplay() {
  if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY")) {
    std::puts(kNoDisplayLine);
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The options are answered wherever they stand (the first one wins); any other argument is
  // left alone.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], kHelpOption) == 0) {
      std::fputs(kHelpText, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], kVersionOption) == 0) {
      std::puts(kVersionLine);
      return 0;
    }
    if (std::strcmp(argv[i], kPadsOption) == 0) {
      SayIfNoDisplay();
      return RunPadCheck(stdout);
    }
  }
  // Without a display the host's start fails with its own message after this line.
  SayIfNoDisplay();
  ox_game_Register();
  OxTarnGame::Main(argc, const_cast<const char**>(argv));
  return 0;
}
