// The soak: the game plays on for a set time (QR_SOAK_SECONDS, two minutes by default) through the
// host's guarded update, across all three difficulties, with pauses, suspends, trips back to the
// menu and reloads for a new window size, and the collector's lists and tri-colour rule are checked
// after every frame. Resident memory at the start and the end is reported.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "framework/graphics.h"
#include "shell_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultSeconds = 120;
constexpr char kSecondsVariable[] = "QR_SOAK_SECONDS";
constexpr int kMaxLoadFrames = 100;
constexpr int kTimerCap = 600;          // games of ten seconds or so
constexpr int kMostFramesPerGame = 20000;
const int kPlayKeys[] = {kKeyCodeLeft, kKeyCodeUp, kKeyCodeRight, kKeyCodeDown, 'Z', 'X', kKeyCodeSpace};
constexpr int kPauseKey = kKeyCodeEscape;
constexpr int kPauseEvery = 700, kPauseFrames = 90;    // frames of play between pauses, and paused
constexpr int kSuspendEvery = 450;
constexpr int kMenuFrames = 60;                       // idle on the menu between games
// Window sizes the game is reloaded for between games (the three image levels).
const int kWindowSizes[][2] = {{640, 480}, {800, 600}, {1280, 720}};

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

class Soak : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    if (!ox_graphics_device) ox_graphics_SetGraphicsDevice(new gxtkGraphics);
    for (int i = 0; i < app->m_sounds.Length(); ++i) gc_assign(app->m_sounds[i], nullptr);
  }

  void CheckedFrame() {
    Frame();
    ++frames;
    ASSERT_STREQ(gc_check_heap(), "") << "frame " << frames;
  }

  // The game's reaction to a window reopened at another size: every picture at the new level.
  void Reload(int size) {
    host->deviceWidth = kWindowSizes[size][0];
    host->deviceHeight = kWindowSizes[size][1];
    ox_app_ValidateDeviceWindow(false);
    app->p_Reload();
    for (int n = 0; app->m_loadStep > 0 && n < kMaxLoadFrames; ++n) CheckedFrame();
    ASSERT_EQ(app->m_loadStep, 0) << "loading did not end";
  }

  void Tap(int key) {
    KeyDown(key);
    CheckedFrame();
    KeyUp(key);
    CheckedFrame();
  }

  long frames = 0;
};

TEST_F(Soak, PlaysOnWithPausesMenuTripsAndReloads) {
  const char* setting = std::getenv(kSecondsVariable);
  const int seconds = setting ? std::atoi(setting) : kDefaultSeconds;
  const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);

  app->p_OnCreate();
  Reload(0);
  const long residentAtStart = ResidentKilobytes();
  std::mt19937 random(2026);
  int games = 0, pauses = 0, suspends = 0, reloads = 0;
  for (int round = 0; Clock::now() < end; ++round) {
    app->m_difficulty = 1 + round % 3;
    app->m_mode = kModeStart;
    for (int f = 0; f < kMostFramesPerGame && app->m_mode != kModeMenu && Clock::now() < end; ++f) {
      if (random() % 4 == 0) {
        const int code = kPlayKeys[random() % (sizeof kPlayKeys / sizeof kPlayKeys[0])];
        if (ox_input_device->m_keyDown[code]) KeyUp(code); else KeyDown(code);
      }
      if (app->m_mode == kModePlaying && f % kPauseEvery == kPauseEvery - 1) {
        ReleaseAll();
        Tap(kPauseKey);
        for (int p = 0; p < kPauseFrames; ++p) CheckedFrame();
        // (On the menu the same key asks to quit: only a paused game gets it again.)
        if (app->m_mode == kModePlaying && app->m_paused) Tap(kPauseKey);
        ++pauses;
      }
      if (app->m_mode == kModePlaying && f % kSuspendEvery == kSuspendEvery - 1) {
        ReleaseAll();
        host->SuspendGame();
        CheckedFrame();
        host->ResumeGame();
        if (app->m_mode == kModePlaying && app->m_paused) Tap(kPauseKey);  // play comes back paused
        ++suspends;
      }
      CheckedFrame();
      if (HasFatalFailure()) return;
      if (Player(kPlTimer) > kTimerCap) Player(kPlTimer) = kTimerCap;
    }
    ReleaseAll();
    if (app->m_mode == kModeMenu) ++games;
    for (int f = 0; f < kMenuFrames && Clock::now() < end; ++f) CheckedFrame();
    Reload(static_cast<int>(random() % (sizeof kWindowSizes / sizeof kWindowSizes[0])));
    ++reloads;
    if (HasFatalFailure()) return;
  }
  const long residentAtEnd = ResidentKilobytes();
  std::printf("soak: %d s, %ld frames, %d games, %d pauses, %d suspends, %d reloads; resident memory %ld kB "
              "at the start, %ld kB at the end\n",
              seconds, frames, games, pauses, suspends, reloads, residentAtStart, residentAtEnd);
  RecordProperty("frames", static_cast<int>(frames));
  RecordProperty("resident_kb_start", static_cast<int>(residentAtStart));
  RecordProperty("resident_kb_end", static_cast<int>(residentAtEnd));
  EXPECT_GE(games, seconds >= kDefaultSeconds ? 3 : 1) << "games played to their end";
}

}  // namespace
