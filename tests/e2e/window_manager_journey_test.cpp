// The window under a real window manager (only when the suite runs under one): the manager's
// close (Alt+F4) ends the program normally from the menu and from a game; full screen and back
// leaves the game playing, not paused; the manager resizing the window reloads the images for
// the new size and lays the board out in it; a minimised game uses no processor time and draws
// again once restored.
#include <fstream>
#include <sstream>
#include <thread>

#include "host/host_game.h"
#include "support/journey.h"

namespace e2e {
namespace {

constexpr int kWindowWidth = 640, kWindowHeight = 480;
constexpr auto kKeyTap = std::chrono::milliseconds(150);
constexpr auto kIdleSpan = std::chrono::seconds(2);  // processor time is read over this span
// Clock ticks (1/100 s) a suspended program may still use in that span: its event waits wake
// now and then, a running one uses far more drawing with a software renderer.
constexpr long kIdleTicks = 10;
constexpr auto kPoll = std::chrono::milliseconds(20);

bool InPauseMenu(const Shot& s, const View& v) {
  return LooksDarkened(s, v) && PauseSelection(s, v).has_value();
}

// User plus system time of a process in clock ticks, from /proc/<pid>/stat; -1 when gone.
long CpuTicks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');  // the name may hold spaces
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  long utime = -1, stime = -1;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) {
      stime = std::stol(field);
      break;
    }
  }
  return utime < 0 || stime < 0 ? -1 : utime + stime;
}

class WindowManagerJourney : public Journey {
 protected:
  void SetUp() override {
    if (!UnderManager()) GTEST_SKIP() << "only under a window manager (QR_E2E_WM)";
    Journey::SetUp();
  }

  // Waits until the game's window (found again: a full-screen switch may make a new one) has
  // this size; with `loading`, also until it shows the Loading screen there, grabbing without
  // pause since loading takes a fraction of a second.
  bool WindowAt(int width, int height, const std::string& stage, const TileReader* loading) {
    Shot last;
    for (auto until = Clock::now() + kScreenPatience; Clock::now() < until;) {
      unsigned long w = screen_.FindWindow(OX_WINDOW_TITLE);
      int ww = 0, wh = 0;
      if (!w || !screen_.WindowSize(w, &ww, &wh) || ww != width || wh != height) {
        std::this_thread::sleep_for(kPoll);
        continue;
      }
      window_ = w;
      hands_->SetWindow(w);
      if (!loading) return true;
      Shot s = screen_.Grab(w);
      if (!s.Empty() && LooksLoading(s, View::ForWindow(ww, wh), *loading)) {
        Keep(s, stage + " loading");
        return true;
      }
      if (!s.Empty()) last = std::move(s);
    }
    Keep(last, stage + " loading-not-seen");
    return false;
  }

  // The manager resizes the window (as a player dragging its border would): the images are
  // reloaded for the new size and the game comes back with the board fitted to the window.
  void ResizeAndExpectReload(int width, int height, const TileReader& tiles) {
    const std::string stage = std::to_string(width) + "x" + std::to_string(height);
    // Into the screen's corner too, since a window reaching past the screen's edge cannot be
    // grabbed; a window as wide as the screen is nudged inwards by its border at the resize,
    // and a second move puts it back.
    const std::string id = std::to_string(window_);
    ASSERT_EQ(RunCommand({"wmctrl", "-i", "-r", id, "-e",
                          "0,0,0," + std::to_string(width) + "," + std::to_string(height)},
                         kScreenPatience),
              0);
    ASSERT_EQ(RunCommand({"wmctrl", "-i", "-r", id, "-e", "0,0,0,-1,-1"}, kScreenPatience), 0);
    ASSERT_TRUE(WindowAt(width, height, stage, &tiles))
        << "no Loading screen at " << width << " x " << height;
    ASSERT_FALSE(WaitFor(stage + " board", [&](const Shot& s, const View& v) {
                   return s.Width() == width && s.Height() == height &&
                          (InPauseMenu(s, v) || LooksLikeBoard(s, v, tiles));
                 }).Empty());
  }
};

TEST_F(WindowManagerJourney, AltF4EndsTheProgramFromTheMenu) {
  Start();
  ASSERT_FALSE(WaitFor("menu", LooksLikeMenu, kStartPatience).Empty());
  ASSERT_TRUE(hands_->Focus());
  ASSERT_TRUE(hands_->Tap("alt+F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

TEST_F(WindowManagerJourney, AltF4EndsTheProgramFromAGame) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  Start();
  ASSERT_NO_FATAL_FAILURE(StartAGame(tiles));
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(hands_->Tap("alt+F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

TEST_F(WindowManagerJourney, FullScreenAndBackKeepsTheGamePlaying) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  Start();
  ASSERT_NO_FATAL_FAILURE(StartAGame(tiles));
  ASSERT_FALSE(HasFatalFailure());
  auto playing = [&](const Shot& s, const View& v) {
    return LooksBright(s, v) && !InPauseMenu(s, v) && LooksLikeBoard(s, v, tiles);
  };
  int fullWidth = 0, fullHeight = 0;  // full screen fills the test screen
  ASSERT_TRUE(screen_.RootSize(&fullWidth, &fullHeight));
  for (auto [width, height] : {std::pair{fullWidth, fullHeight}, {kWindowWidth, kWindowHeight}}) {
    const std::string stage = std::to_string(width) + "x" + std::to_string(height);
    ASSERT_TRUE(hands_->Press("F11"));
    std::this_thread::sleep_for(kKeyTap);  // let go before the server repeats the key
    ASSERT_TRUE(hands_->Release("F11"));
    ASSERT_TRUE(WindowAt(width, height, stage, nullptr)) << "the window never became " << stage;
    ASSERT_FALSE(WaitFor(stage + " playing", playing).Empty()) << "paused by the switch";
    ASSERT_TRUE(hands_->Focus());
  }
  ASSERT_TRUE(hands_->Tap("F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

TEST_F(WindowManagerJourney, ResizedByTheManagerReloadsAndFitsTheBoard) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  Start();
  ASSERT_NO_FATAL_FAILURE(StartAGame(tiles));
  ASSERT_FALSE(HasFatalFailure());
  ResizeAndExpectReload(1024, 768, tiles);
  ASSERT_FALSE(HasFatalFailure());
  ResizeAndExpectReload(1280, 720, tiles);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(hands_->Focus());
  ASSERT_TRUE(hands_->Tap("F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

TEST_F(WindowManagerJourney, MinimisedTheGameSuspendsAndRestoredItDrawsAgain) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  Start();
  ASSERT_NO_FATAL_FAILURE(StartAGame(tiles));
  ASSERT_FALSE(HasFatalFailure());
  const pid_t pid = game_.Pid();

  ASSERT_EQ(RunCommand({"xdotool", "windowminimize", "--sync", std::to_string(window_)},
                       kScreenPatience),
            0);
  // Minimised: no longer viewable, so nothing can be grabbed.
  for (auto until = Clock::now() + kScreenPatience;
       !screen_.Grab(window_).Empty() && Clock::now() < until;)
    std::this_thread::sleep_for(kPoll);
  ASSERT_TRUE(screen_.Grab(window_).Empty()) << "the window was not minimised";
  std::this_thread::sleep_for(kPoll * 10);  // the game's own step to its suspended state
  const long before = CpuTicks(pid);
  std::this_thread::sleep_for(kIdleSpan);
  const long after = CpuTicks(pid);
  ASSERT_GE(before, 0);
  ASSERT_GE(after, 0);
  EXPECT_LE(after - before, kIdleTicks) << "processor time used while minimised";

  ASSERT_TRUE(hands_->Focus());  // activation restores a minimised window
  ASSERT_FALSE(WaitFor("restored", [&](const Shot& s, const View& v) {
                 return InPauseMenu(s, v) || LooksLikeBoard(s, v, tiles);
               }).Empty());
  // Drawing again: the game answers, and Escape from the pause menu (or F4) still acts.
  const long resumed = CpuTicks(pid);
  std::this_thread::sleep_for(kIdleSpan);
  EXPECT_GT(CpuTicks(pid) - resumed, kIdleTicks) << "the restored game did not run again";
  ASSERT_TRUE(hands_->Tap("F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

}  // namespace
}  // namespace e2e
