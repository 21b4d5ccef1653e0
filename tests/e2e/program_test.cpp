// The program's own answers before any window: --help and --version print and end with status
// 0 wherever they stand among the arguments, --pads reports that there are no pads, and without
// a display the program says so in one line before the host's own message and ends with status
// -1 (255 to the shell).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "game/program_texts.h"
#include "host/files.h"
#include "host/host_game.h"
#include "host/pad_check.h"
#include "support/game_process.h"
#include "support/journey.h"
#include "tests/support/temp_dir.h"

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
      {"pad check, no display", {kPadsOption},
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

// The pad check runs before anything of the game: a copy of the program with no data folder
// beside it answers too. This machine has no pads.
TEST(ProgramWithoutWindow, PadCheckWithNoPadsSaysSoAndNeedsNoGameData) {
  const qr_test::TempDir temp("qr-padcheck");
  const std::filesystem::path dir = temp.Path();
  const std::filesystem::path copy = dir / "quadrant-rush";
  std::filesystem::copy_file(BuildProgram(), copy);
  std::string out;
  EXPECT_EQ(RunCommand({copy.string(), kPadsOption}, kRunPatience, &out, dir.string()), 0);
  EXPECT_EQ(out, std::string(kNoPadsLine) + "\n");
}

TEST(ProgramWithoutWindow, HelpNamesTheKeysAndTheStateFile) {
  const std::string help = kHelpText;
  for (const char* needed : {OX_STATE_FILE_NAME, "arrow keys", "F4", "F11", "Escape", "Mouse",
                             "Game pads", kPadsOption})
    EXPECT_NE(help.find(needed), std::string::npos) << needed;
}

}  // namespace
}  // namespace e2e
