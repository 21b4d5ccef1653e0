// The real window under the X server: the test application opens a 640 x 480 window titled
// "Quadrant Rush", runs its callbacks at the update rate, suspends when another window takes the
// focus and resumes when it comes back, and ends with status 0 when its close button is pressed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "host/host_game.h"
#include "tests/support/child_process.h"
#include "tests/support/x_display.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kPatience = 20s;          // for anything that must happen, on a loaded machine
constexpr auto kRateWindow = 2s;         // updates are counted over this long
constexpr auto kQuietWindow = 500ms;     // no update may arrive this long into a suspend
constexpr double kLowestRate = 30;       // "about 60 per second": paced, neither stalled ...
constexpr double kHighestRate = 90;      // ... nor running once per loop pass
// The other program's window that takes the focus away.
constexpr char kOtherWindowName[] = "other program";
constexpr int kOtherWindowSize = 64;

// The application program, started with its standard output on a pipe; every line it prints is
// kept with the time it arrived.
class App : public qr_test::ChildProcess {
 public:
  void Start() { ASSERT_TRUE(ChildProcess::Start({std::string(QR_TEST_BIN_DIR) + "/host_window_prog"})); }
  // Waits until a line starting with `prefix` arrived at or after line `from`; its index or -1.
  int WaitFor(const std::string& prefix, size_t from = 0) { return ChildProcess::WaitFor(prefix, kPatience, from); }
};

int FocusWithXdotool(unsigned long window) {
  std::string command = "xdotool windowfocus --sync " + std::to_string(window) + " >/dev/null 2>&1";
  return std::system(command.c_str());
}

TEST(HostWindow, RunsSuspendsResumesAndClosesWithStatusZero) {
  qr_test::XDisplay display;
  ASSERT_TRUE(display.Open()) << "no X display (the test script runs the tests under Xvfb)";

  App app;
  app.Start();
  ASSERT_GE(app.WaitFor("create"), 0);
  ASSERT_EQ(std::system("xdotool search --sync --name \"Quadrant Rush\" windowfocus --sync "
                        ">/dev/null 2>&1"),
            0);

  // The window: its title and size, and the size the application saw when it was created.
  const unsigned long window = display.FindWindow(OX_WINDOW_TITLE);
  ASSERT_NE(window, 0u);
  int width = 0, height = 0;
  ASSERT_TRUE(display.WindowSize(window, &width, &height));
  EXPECT_EQ(width, OX_START_WIDTH);
  EXPECT_EQ(height, OX_START_HEIGHT);
  // Create comes before any update or render, and already knows the window's size.
  int created = app.WaitFor("create 640 480");
  EXPECT_GE(created, 0);
  EXPECT_GT(app.WaitFor("update"), created);
  EXPECT_GT(app.WaitFor("render"), created);

  // Running: updates at about the update rate, and frames rendered.
  ASSERT_GE(app.WaitFor("update"), 0);
  auto from = Clock::now();
  std::this_thread::sleep_for(kRateWindow);
  auto to = Clock::now();
  double seconds = std::chrono::duration<double>(to - from).count();
  double rate = app.Count("update", from, to) / seconds;
  EXPECT_GE(rate, kLowestRate);
  EXPECT_LE(rate, kHighestRate);
  EXPECT_GT(app.Count("render", from, to), 0);

  // Another window takes the focus: the game suspends, renders go on, updates stop.
  size_t mark = app.LineCount();
  ASSERT_NE(display.TakeFocus(kOtherWindowName, kOtherWindowSize), 0u);
  int suspended = app.WaitFor("suspend", mark);
  ASSERT_GE(suspended, 0);
  std::this_thread::sleep_for(kQuietWindow);
  auto suspendedAt = app.TimeOf(suspended);
  EXPECT_EQ(app.Count("update", suspendedAt, Clock::now()), 0);
  EXPECT_EQ(app.Count("suspend", from, Clock::now()), 1);

  // The focus comes back: one resume, and updates again.
  mark = app.LineCount();
  ASSERT_EQ(FocusWithXdotool(window), 0);
  int resumed = app.WaitFor("resume", mark);
  ASSERT_GE(resumed, 0);
  EXPECT_GE(app.WaitFor("update", resumed), 0);
  EXPECT_EQ(app.Count("resume", from, Clock::now()), 1);

  // The close button ends the program normally.
  display.RequestClose(window);
  EXPECT_EQ(app.WaitExit(kPatience), 0);
}

}  // namespace
