// Saving onto a full disk or into a read-only working directory (each a small tmpfs mounted for the
// test in a private mount namespace): the save fails, the old ".tarnstate" stays whole, the game runs
// on with what it recorded, and the next save after the disk recovers keeps it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "framework/app.h"
#include "game/my_app.h"
#include "game/shell.h"
#include "host/files.h"
#include "support/rel_game.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using reltest::StartedGame;
using qr_test::ReadFile;

// The small disk: room for a state and little else.
constexpr char kDiskOptions[] = "size=64k";
constexpr int kDifficulty = 1;
constexpr int kOldScore = 500, kNewScore = 777;
// Index of the Easy last-ten list's newest entry.
constexpr int kNewestEasy = kLastListOffset;

class SaveFailure : public ::testing::Test {
 protected:
  // Mounts are made in a mount namespace of this process only, so nothing is left mounted on the
  // machine whatever happens to the test.
  static void SetUpTestSuite() {
    if (unshare(CLONE_NEWNS) != 0) {
      why_not = std::string("a private mount namespace is not permitted here: ") + std::strerror(errno);
      return;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      why_not = std::string("mounts cannot be made private here: ") + std::strerror(errno);
    }
  }

  void SetUp() override {
    if (!why_not.empty()) GTEST_SKIP() << why_not << " (the test needs root to mount a tmpfs)";
    ASSERT_EQ(mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, kDiskOptions), 0) << std::strerror(errno);
    mounted = true;
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);  // into the disk now mounted over the directory
    app = StartedGame();
    app->m_difficulty = kDifficulty;
    app->m_score = kOldScore;
    app->p_LoadMenu();  // a finished game, saved on the small disk
    old = ReadFile(OX_STATE_FILE_NAME);
    ASSERT_FALSE(old.empty());
  }

  void TearDown() override {
    if (mounted) umount2(dir.Path().c_str(), MNT_DETACH);
  }

  // A finished game with a new score, and a suspend: both save.
  void PlayOnAndSuspend() {
    app->m_score = kNewScore;
    app->p_LoadMenu();
    app->p_OnSuspend();
    app->p_OnResume();
  }

  static std::string why_not;
  qr_test::TempWorkDir dir{reltest::kWorkDirPrefix};
  bool mounted = false;
  c_MyApp* app = nullptr;
  std::string old;
};

std::string SaveFailure::why_not;

TEST_F(SaveFailure, AFullDiskKeepsTheOldStateAndTheGameRunsOn) {
  // Fill the disk to the last byte.
  int filler = open("filler", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(filler, 0);
  const std::string block(4096, 'f');
  while (write(filler, block.data(), block.size()) > 0) {
  }
  while (write(filler, "f", 1) > 0) {
  }
  close(filler);

  EXPECT_LT(ox_app_SaveState(String("a new state that does not fit")), 0);
  PlayOnAndSuspend();
  EXPECT_EQ(ReadFile(OX_STATE_FILE_NAME), old);
  EXPECT_EQ(qr_test::Listing(dir.Path()), (std::vector<std::string>{OX_STATE_FILE_NAME, "filler"}));
  EXPECT_EQ(app->m_hiscores[kNewestEasy], kNewScore) << "the game keeps what it recorded";

  // Room again: the next save writes what the game kept.
  ASSERT_EQ(unlink("filler"), 0);
  app->p_OnSuspend();
  StartedGame();
  EXPECT_EQ(app->m_hiscores[kNewestEasy], kNewScore);
  EXPECT_EQ(app->m_hiscores[kNewestEasy + 1], kOldScore);
}

TEST_F(SaveFailure, AReadOnlyDirectoryKeepsTheOldStateAndTheGameRunsOn) {
  ASSERT_EQ(mount(nullptr, dir.Path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << std::strerror(errno);
  EXPECT_EQ(ox_app_SaveState(String("new")), OX_SAVE_CANNOT_CREATE);
  PlayOnAndSuspend();
  EXPECT_EQ(ReadFile(OX_STATE_FILE_NAME), old);
  EXPECT_EQ(qr_test::Listing(dir.Path()), std::vector<std::string>{OX_STATE_FILE_NAME});
  EXPECT_EQ(app->m_hiscores[kNewestEasy], kNewScore);

  ASSERT_EQ(mount(nullptr, dir.Path().c_str(), nullptr, MS_REMOUNT, kDiskOptions), 0) << std::strerror(errno);
  app->p_OnSuspend();
  StartedGame();
  EXPECT_EQ(app->m_hiscores[kNewestEasy], kNewScore);
  EXPECT_EQ(app->m_hiscores[kNewestEasy + 1], kOldScore);
}

}  // namespace
