// Installed like other games: `cmake --install` under a temporary prefix gives bin/quadrant-rush
// (the command that starts the program in its own folder, beside a link to its data), a valid
// desktop entry and the icon in the hicolor theme; the installed command, started from another
// directory, finds its data and keeps its state in the player's data folder, taking over an
// older ~/.tarnstate once; so does the Debian package's command, unpacked into a temporary
// root. A DESTDIR install puts the same tree inside the staging folder only.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "game/program_texts.h"
#include "game/shell.h"
#include "host/files.h"
#include "support/journey.h"
#include "support/state_text.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr Seconds kInstallPatience{120};
constexpr auto kFilePoll = std::chrono::milliseconds(50);
constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";
constexpr int kIconSide = 256;  // the icon's folder in the theme is named for its size

// Where each part lands, relative to the prefix.
constexpr char kBinLink[] = "bin/quadrant-rush";  // the command
constexpr char kStateFolder[] = ".local/share/quadrant-rush";  // under HOME, without XDG_DATA_HOME
constexpr char kProgram[] = "libexec/quadrant-rush/quadrant-rush";
constexpr char kDataLink[] = "libexec/quadrant-rush/data";
constexpr char kData[] = "share/quadrant-rush/data";
constexpr char kDesktopEntry[] = "share/applications/quadrant-rush.desktop";
constexpr char kIcon[] = "share/icons/hicolor/256x256/apps/quadrant-rush.png";
constexpr char kManualPage[] = "share/man/man6/quadrant-rush.6.gz";
constexpr char kMetainfo[] = "share/metainfo/org.quadrantrush.QuadrantRush.metainfo.xml";

int Install(const std::string& prefix, const std::vector<std::string>& env = {}) {
  std::string out;
  return RunCommand({QR_CMAKE, "--install", QR_BUILD_DIR, "--prefix", prefix}, kInstallPatience,
                    &out, "", env);
}

std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  return realpath(path.c_str(), buf) ? buf : "";
}

// The value of `key` in a desktop entry, or nothing.
std::optional<std::string> EntryValue(const std::string& entry, const std::string& key) {
  std::istringstream in(entry);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return std::nullopt;
}

uint32_t BigEndian(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

class Installed : public Journey {
 protected:
  // The layout under `root` (the prefix, or the prefix inside a staging folder).
  void ExpectLayout(const std::string& root) {
    EXPECT_EQ(access((root + "/" + kBinLink).c_str(), X_OK), 0);
    EXPECT_EQ(access((root + "/" + kProgram).c_str(), X_OK), 0);
    EXPECT_TRUE(fs::is_regular_file(root + "/" + kManualPage));
    EXPECT_TRUE(fs::is_regular_file(root + "/" + kMetainfo));
    EXPECT_TRUE(fs::read_symlink(root + "/" + kDataLink).is_relative());
    EXPECT_EQ(RealPath(root + "/" + kDataLink), RealPath(root + "/" + kData));
    // The whole data folder, and nothing of the build's own bookkeeping.
    for (const auto& f : fs::recursive_directory_iterator(BuildData())) {
      const std::string rel = fs::relative(f.path(), BuildData()).string();
      if (rel == ".generated" || rel.rfind("icons", 0) == 0) {
        EXPECT_FALSE(fs::exists(root + "/" + kData + "/" + rel));
      } else {
        EXPECT_TRUE(fs::exists(root + "/" + kData + "/" + rel)) << rel;
      }
    }

    std::optional<std::string> icon = ReadFile(root + "/" + kIcon);
    ASSERT_TRUE(icon);
    ASSERT_GT(icon->size(), 24u);
    EXPECT_EQ(icon->substr(0, 8), std::string(kPngSignature, 8));
    EXPECT_EQ(BigEndian(*icon, 16), uint32_t(kIconSide));  // IHDR width
    EXPECT_EQ(BigEndian(*icon, 20), uint32_t(kIconSide));  // and height

    const std::string entryPath = root + "/" + kDesktopEntry;
    std::optional<std::string> entry = ReadFile(entryPath);
    ASSERT_TRUE(entry);
    std::string complaints;
    EXPECT_EQ(RunCommand({"desktop-file-validate", entryPath}, kInstallPatience, &complaints), 0)
        << complaints;
    EXPECT_EQ(EntryValue(*entry, "Exec"), fs::path(kBinLink).filename().string());
    EXPECT_EQ(EntryValue(*entry, "Icon"), fs::path(kIcon).stem().string());
    EXPECT_EQ(EntryValue(*entry, "Type"), "Application");
  }

  // Started through `command` from elsewhere, with an older state in the home folder: the
  // menu's images are there, so the data was found, and the older state's scores are shown;
  // the state is then kept in the data folder under HOME, neither where the command was
  // started nor beside the program in `programDir`.
  void ExpectStateKeptUnderHome(const std::string& command, const std::string& programDir) {
    const std::string home = workdir_ + "/home";
    const std::string elsewhere = workdir_ + "/elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directories(home);
    StateValues older;
    older.Top(kNormal, 0) = 4321;
    older.Last(kNormal, 0) = 4321;
    ASSERT_TRUE(WriteFile(home + "/" + OX_STATE_FILE_NAME, ComposeState(older)));
    KeepOutput();
    ++runs_;
    ASSERT_TRUE(game_.Start(command, elsewhere, {},
                            Artifact("stderr-" + std::to_string(runs_) + ".txt"),
                            {"HOME=" + home, "XDG_DATA_HOME"}));
    ASSERT_TRUE(FindWindow(kStartPatience));
    ASSERT_TRUE(game_.WaitForLine(kMsgHighscoresLoaded, kStartPatience));
    ASSERT_FALSE(WaitFor("installed menu", [](const Shot& s, const View& v) {
                   return LooksLikeMenu(s, v) && SelectedDifficulty(s, v) == kNormal &&
                          TopListFirstDigits(s, v) == Digits(4321);
                 }, kStartPatience).Empty());

    // Its state is kept in the data folder under HOME, not where it was started.
    const std::string kept = home + "/" + kStateFolder + "/" + OX_STATE_FILE_NAME;
    screen_.TakeFocus();
    std::optional<std::string> state;
    for (auto until = Clock::now() + kScreenPatience; Clock::now() < until;) {
      state = ReadFile(kept);
      if (state && *state != ComposeState(older)) break;  // saved again by the game
      std::this_thread::sleep_for(kFilePoll);
    }
    ASSERT_TRUE(state) << "no state in " << kept;
    std::optional<ReadState> read = ParseState(*state);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->values.Top(kNormal, 0), 4321);
    EXPECT_FALSE(fs::exists(elsewhere + "/" + OX_STATE_FILE_NAME));
    EXPECT_FALSE(fs::exists(programDir + "/" + OX_STATE_FILE_NAME));
    screen_.RequestClose(window_);
    EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
  }
};

TEST_F(Installed, UnderAPrefixItStartsFromAnotherDirectoryWithItsData) {
  const std::string prefix = workdir_ + "/prefix";
  ASSERT_EQ(Install(prefix), 0);
  ExpectLayout(prefix);
  ASSERT_FALSE(HasFatalFailure());
  ExpectStateKeptUnderHome(prefix + "/" + kBinLink,
                           prefix + "/" + fs::path(kProgram).parent_path().string());
}

// The Debian package unpacked into a temporary root plays the same way through its command in
// usr/games. The package is built by scripts/package.sh; the package checks run this test with
// QR_PACKAGE_DEB naming it.
TEST_F(Installed, FromTheDebianPackageItKeepsTheStateUnderHome) {
  const char* deb = std::getenv("QR_PACKAGE_DEB");
  if (!deb || !*deb) GTEST_SKIP() << "QR_PACKAGE_DEB names no package (the package checks set it)";
  const std::string root = workdir_ + "/unpacked";
  ASSERT_EQ(RunCommand({"dpkg-deb", "-x", deb, root}, kInstallPatience), 0);
  ExpectStateKeptUnderHome(root + "/usr/games/quadrant-rush",
                           root + "/usr/" + fs::path(kProgram).parent_path().string());
}

TEST_F(Installed, WithDestdirEverythingStaysInTheStagingFolder) {
  const std::string stage = workdir_ + "/stage";
  const std::string prefix = "/usr/local/qr-e2e-staged";  // never written: only named
  ASSERT_EQ(Install(prefix, {"DESTDIR=" + stage}), 0);
  ExpectLayout(stage + prefix);
  EXPECT_FALSE(fs::exists(prefix));

  // The staged program answers on its own from inside the staging folder.
  std::string out;
  EXPECT_EQ(RunCommand({stage + prefix + "/" + kBinLink, "--version"}, kInstallPatience, &out), 0);
  EXPECT_EQ(out, std::string(kVersionLine) + "\n");
  // Its help names where the state is kept, and asking for it makes no folder.
  const std::string home = workdir_ + "/home";
  out.clear();
  EXPECT_EQ(RunCommand({stage + prefix + "/" + kBinLink, "--help"}, kInstallPatience, &out, "",
                       {"HOME=" + home, "XDG_DATA_HOME"}), 0);
  EXPECT_NE(out.find(home + "/" + kStateFolder + "/" + OX_STATE_FILE_NAME), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(home));
}

}  // namespace
}  // namespace e2e
