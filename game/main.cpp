// Program entry of quadrant-rush: answers --help and --version without opening a window,
// says plainly when there is no display, and otherwise hands the process to the host.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/game_init.h"
#include "game/program_texts.h"
#include "host/host_game.h"

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

}  // namespace

int main(int argc, char** argv) {
  // The two options are answered wherever they stand; any other argument is left alone.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], kHelpOption) == 0) {
      std::fputs(kHelpText, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], kVersionOption) == 0) {
      std::puts(kVersionLine);
      return 0;
    }
  }
  // Without a display the host's start fails with its own message; say why first.
  if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY")) {
    std::puts(kNoDisplayLine);
    std::fflush(stdout);
  }
  ox_game_Register();
  OxTarnGame::Main(argc, const_cast<const char**>(argv));
  return 0;
}
