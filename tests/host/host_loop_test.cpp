// The main loop's timing rules, run without a window: a scripted clock, sleep, event step and focus
// drive the real loop of the desktop host, and a recording delegate counts updates per frame.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "host/host_game.h"
#include "tests/support/scripted_clock.h"

namespace {

constexpr int kRate = 60;
constexpr double kPeriod = 1.0 / kRate;
constexpr double kStart = 100.0;  // the scripted clock's first reading (any non-zero time)
constexpr double kStall = 1.0;    // a one-second stall

// Counts updates per rendered frame and the suspend/resume calls; hooks let a test act inside a
// render or an update (stall the clock, change the rate).
class RecordingDelegate : public OxGameDelegate {
 public:
  std::vector<int> updatesPerFrame;
  int updates = 0;
  int suspends = 0;
  int resumes = 0;
  int rendersWhileSuspended = 0;
  bool suspended = false;
  std::function<void(int frame)> onRender;
  std::function<void(int update)> onUpdate;

  void StartGame() override {}
  void RenderGame() override {
    if (suspended) ++rendersWhileSuspended;
    updatesPerFrame.push_back(0);
    if (onRender) onRender(static_cast<int>(updatesPerFrame.size()));
  }
  void UpdateGame() override {
    ++updates;
    ++updatesPerFrame.back();
    if (onUpdate) onUpdate(updates);
  }
  void SuspendGame() override {
    ++suspends;
    suspended = true;
  }
  void ResumeGame() override {
    ++resumes;
    suspended = false;
  }
};

class Loop : public ::testing::Test {
 protected:
  void SetUp() override {
    // The window system as the test scripts it: sleeps pass on the clock, and the window stays
    // closed until a run says after how many buffer swaps it closes.
    platform.sleepMovesTime = true;
    platform.frames = 0;
    host.SetLoopPlatform(&platform);
    delegate = new RecordingDelegate;
    host.SetDelegate(delegate);
    host.StartGame();
  }
  void Run(int frames) {
    platform.frames = frames;
    host.RunLoop();
  }

  qr_test::ScriptedClock platform{kStart};
  OxGlfwGame host;
  RecordingDelegate* delegate = nullptr;
};

TEST_F(Loop, RateZeroUpdatesOncePerFrameAndNeverSleeps) {
  Run(10);
  EXPECT_EQ(delegate->updatesPerFrame, std::vector<int>(10, 1));
  EXPECT_TRUE(platform.sleeps.empty());
  EXPECT_EQ(platform.polls, 10);
  EXPECT_EQ(platform.waits, 0);
}

TEST_F(Loop, FixedRateOnAFastMachineSleepsOutEachPeriod) {
  host.SetUpdateRate(kRate);
  Run(61);
  EXPECT_EQ(delegate->updatesPerFrame, std::vector<int>(61, 1));
  // The first frame anchors the schedule; every later one sleeps exactly until its update is due.
  ASSERT_EQ(platform.sleeps.size(), 60u);
  for (double s : platform.sleeps) EXPECT_NEAR(s, kPeriod, 1e-9);
  EXPECT_NEAR(platform.seconds, kStart + 60 * kPeriod, 1e-9);
}

TEST_F(Loop, AStallRunsFourUpdatesThenDropsTheScheduleInsteadOfBursting) {
  host.SetUpdateRate(kRate);
  delegate->onRender = [this](int frame) {
    if (frame == 5) platform.seconds += kStall;
  };
  Run(10);
  EXPECT_EQ(delegate->updatesPerFrame, (std::vector<int>{1, 1, 1, 1, 4, 1, 1, 1, 1, 1}));
  // The frame after the stall re-anchors at the current time: no sleep before it, and from then
  // on the sleeps are whole periods again.
  ASSERT_EQ(platform.sleeps.size(), 7u);
  for (double s : platform.sleeps) {
    EXPECT_GT(s, 0);
    EXPECT_NEAR(s, kPeriod, 1e-9);
  }
}

TEST_F(Loop, ASlowFrameCatchesUpWithinFourUpdatesWithoutDroppingTheSchedule) {
  host.SetUpdateRate(kRate);
  // A render that takes three and a half periods: three updates bring the schedule back ahead of
  // the clock, and the next frame sleeps only for what is left of the period.
  delegate->onRender = [this](int frame) {
    if (frame == 3) platform.seconds += 3.5 * kPeriod;
  };
  Run(6);
  EXPECT_EQ(delegate->updatesPerFrame, (std::vector<int>{1, 1, 3, 1, 1, 1}));
  ASSERT_EQ(platform.sleeps.size(), 4u);
  EXPECT_NEAR(platform.sleeps[1], 0.5 * kPeriod, 1e-9);
  EXPECT_NEAR(platform.seconds, kStart + 7 * kPeriod, 1e-9);  // the schedule kept its anchor
}

TEST_F(Loop, ChangingTheRateInsideAnUpdateStopsTheBurst) {
  host.SetUpdateRate(kRate);
  delegate->onRender = [this](int frame) {
    if (frame == 3) platform.seconds += kStall;
  };
  // The second update of the stalled frame changes the rate: that frame runs two updates, not
  // four, and the next one anchors afresh.
  delegate->onUpdate = [this](int update) {
    if (update == 4) host.SetUpdateRate(kRate);
  };
  Run(6);
  EXPECT_EQ(delegate->updatesPerFrame, (std::vector<int>{1, 1, 2, 1, 1, 1}));
  EXPECT_EQ(platform.sleeps.size(), 3u);  // none in the stalled frame or the re-anchored one
}

TEST_F(Loop, SwitchingToRateZeroInsideAnUpdateGivesOneUpdatePerFrame) {
  host.SetUpdateRate(kRate);
  delegate->onUpdate = [this](int update) {
    if (update == 2) host.SetUpdateRate(0);
  };
  Run(6);
  EXPECT_EQ(delegate->updatesPerFrame, std::vector<int>(6, 1));
  EXPECT_EQ(platform.sleeps.size(), 1u);  // only the second frame waited for its update
}

TEST_F(Loop, FocusLossSuspendsOnceAndRegainingItResumesOnce) {
  host.SetUpdateRate(kRate);
  // Focus is lost in the event step of frame 3 and comes back in that of frame 7.
  platform.onEvents = [this](int frame) {
    if (frame == 3) platform.active = false;
    if (frame == 7) platform.active = true;
  };
  Run(10);
  EXPECT_EQ(delegate->suspends, 1);
  EXPECT_EQ(delegate->resumes, 1);
  // Frames 3 to 6 run no update; frames 4 to 7 render while suspended, and their event step
  // blocks instead of polling.
  EXPECT_EQ(delegate->updatesPerFrame, (std::vector<int>{1, 1, 0, 0, 0, 0, 1, 1, 1, 1}));
  EXPECT_EQ(delegate->rendersWhileSuspended, 4);
  EXPECT_EQ(platform.waits, 4);
  EXPECT_EQ(platform.polls, 6);
  EXPECT_FALSE(host.Suspended());
}

TEST_F(Loop, ResumingAfterALongSuspendReanchorsInsteadOfCatchingUp) {
  host.SetUpdateRate(kRate);
  platform.onEvents = [this](int frame) {
    if (frame == 2) platform.active = false;
    if (frame == 3) platform.seconds += 60.0;  // a minute away from the game
    if (frame == 4) platform.active = true;
  };
  Run(8);
  EXPECT_EQ(delegate->updatesPerFrame, (std::vector<int>{1, 0, 0, 1, 1, 1, 1, 1}));
}

}  // namespace
