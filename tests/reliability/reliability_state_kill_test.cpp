// A game killed with SIGKILL at random moments while it records scores and saves, a thousand times:
// ".tarnstate" is always there and always a complete state that reads back with every checksum
// holding, the last one saved before the kill or the one being saved.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "game/my_app.h"
#include "host/files.h"
#include "support/rel_game.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using reltest::StartedGame;
using qr_test::ReadFile;
using reltest::ReloadAndSave;

constexpr int kRounds = 1000;
// The kill comes this long after the saving process starts, at most; a save takes about as long.
constexpr int kMostDelayMicros = 4000;
constexpr int kDifficulty = 2;

// Removes the private files of saves that were cut short (each killed process leaves its own).
int RemoveUnfinishedSaves(const std::string& dir) {
  int removed = 0;
  for (const std::string& name : qr_test::Listing(dir)) {
    if (name != OX_STATE_FILE_NAME && name.size() > sizeof OX_STATE_TEMP_SUFFIX &&
        name.compare(name.size() - (sizeof OX_STATE_TEMP_SUFFIX - 1), std::string::npos,
                     OX_STATE_TEMP_SUFFIX) == 0) {
      unlink(name.c_str());
      ++removed;
    }
  }
  return removed;
}

TEST(StateKill, AKilledSaveLeavesTheOldOrTheNewStateWhole) {
  // Memory-backed when the machine has it: a process's death, not the disk, is under test, and
  // each round's check saves again.
  qr_test::TempWorkDir dir(reltest::kWorkDirPrefix,
                           qr_test::Exists(qr_test::kMemoryBase) ? qr_test::kMemoryBase : qr_test::kTempBase);
  c_MyApp* app = StartedGame();
  app->m_difficulty = kDifficulty;
  app->m_score = 1;
  app->p_LoadMenu();  // the first finished game: the state the kills start from
  std::string previous = ReadFile(OX_STATE_FILE_NAME);
  ASSERT_EQ(ReloadAndSave(app), previous);

  std::mt19937 random(20261210);
  std::uniform_int_distribution<int> delay(0, kMostDelayMicros);
  int changed = 0, cutShort = 0;
  for (int round = 0; round < kRounds; ++round) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // The game goes on finishing games, each recorded and saved, until it is killed.
      for (int score = 0;; ++score) {
        app->m_score = round * 1000 + score;
        app->p_LoadMenu();
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the saving game stopped by itself";

    ASSERT_TRUE(qr_test::Exists(OX_STATE_FILE_NAME)) << "round " << round << ": the state is missing";
    const std::string state = ReadFile(OX_STATE_FILE_NAME);
    ASSERT_FALSE(state.empty()) << "round " << round;
    ASSERT_EQ(ReloadAndSave(app), state) << "round " << round << ": the state is not a whole saved state";
    if (state != previous) ++changed;
    previous = state;
    cutShort += RemoveUnfinishedSaves(dir.Path());
  }
  // Both kinds of kill happened: after whole saves, and in the middle of one.
  EXPECT_GT(changed, 0);
  EXPECT_GT(cutShort, 0);
}

}  // namespace
