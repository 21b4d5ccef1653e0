// The program's own answers before any window: --help and --version print and end with status
// 0 wherever they stand among the arguments, and without a display the program says so in one
// line before the host's own message and ends with status -1 (255 to the shell).
#include <gtest/gtest.h>

#include "game/program_texts.h"
#include "host/host_game.h"
#include "support/game_process.h"
#include "support/journey.h"

namespace e2e {
namespace {

constexpr Seconds kRunPatience{30};
constexpr int kStatusMinusOne = 255;
// An environment with no display of either kind (bare names are removed).
const std::vector<std::string> kNoDisplay = {"DISPLAY", "WAYLAND_DISPLAY"};

struct Case {
  const char* what;
  std::vector<std::string> args;
  std::string out;
  int status;
};

TEST(ProgramWithoutWindow, AnswersOptionsAndExplainsAMissingDisplay) {
  const std::string help = kHelpText;
  const std::string version = std::string(kVersionLine) + "\n";
  const Case cases[] = {
      {"help", {"--help"}, help, 0},
      {"version", {"--version"}, version, 0},
      {"version after another argument", {"--fullscreen", "--version"}, version, 0},
      {"help before version", {"--help", "--version"}, help, 0},
      {"no display", {}, std::string(kNoDisplayLine) + "\n" + OX_GLFW_INIT_FAILED + "\n",
       kStatusMinusOne},
      {"no display, unknown argument", {"--fullscreen"},
       std::string(kNoDisplayLine) + "\n" + OX_GLFW_INIT_FAILED + "\n", kStatusMinusOne},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> argv = {BuildProgram()};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::string out;
    EXPECT_EQ(RunCommand(argv, kRunPatience, &out, "", kNoDisplay), c.status);
    EXPECT_EQ(out, c.out);
  }
}

TEST(ProgramWithoutWindow, HelpNamesTheKeysAndTheStateFile) {
  const std::string help = kHelpText;
  for (const char* needed : {".tarnstate", "arrow keys", "F4", "F11", "Escape", "Mouse",
                             "Game pads"})
    EXPECT_NE(help.find(needed), std::string::npos) << needed;
}

}  // namespace
}  // namespace e2e
