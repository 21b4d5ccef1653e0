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

// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kPatience = 20s;          // for anything that must happen, on a loaded machine
constexpr auto kRateWindow = 2s;         // updates are counted over this long
constexpr auto kQuietWindow = 500ms;     // no update may arrive this long into a suspend
constexpr double kLowestRate = 30;       // "about 60 per second": paced, neither stalled ...
constexpr double kHighestRate = 90;      // ... nor running once per loop pass

// The application program, started with its standard output on a pipe; every line it prints is
// kept with the time it arrived.
class App : public qr_test::ChildProcess {
 public:
  void Start() { ASSERT_TRUE(ChildProcess::Start({std::string(QR_TEST_BIN_DIR) + "/host_window_prog"})); }
  // Waits until a line starting with `prefix` arrived at or after line `from`; its index or -1.
  int WaitFor(const std::string& prefix, size_t from = 0) { return ChildProcess::WaitFor(prefix, kPatience, from); }
};

// The application's window, found by its title.
Window FindWindow(Display* display, Window parent = 0) {
  if (parent == 0) parent = DefaultRootWindow(display);
  Window root, up, *children = nullptr;
  unsigned n = 0;
  Window found = 0;
  if (!XQueryTree(display, parent, &root, &up, &children, &n)) return 0;
  for (unsigned i = 0; i < n && !found; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) && name) {
      if (std::string(name) == OX_WINDOW_TITLE) found = children[i];
      XFree(name);
    }
    if (!found) found = FindWindow(display, children[i]);
  }
  if (children) XFree(children);
  return found;
}

// Asks the window to close the way a window manager's close button does.
void SendDelete(Display* display, Window window) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = window;
  ev.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &ev);
  XFlush(display);
}

int FocusWithXdotool(Window window) {
  std::string command = "xdotool windowfocus --sync " + std::to_string(window) + " >/dev/null 2>&1";
  return std::system(command.c_str());
}

TEST(HostWindow, RunsSuspendsResumesAndClosesWithStatusZero) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr) << "no X display (the test script runs the tests under Xvfb)";

  App app;
  app.Start();
  ASSERT_GE(app.WaitFor("create"), 0);
  ASSERT_EQ(std::system("xdotool search --sync --name \"Quadrant Rush\" windowfocus --sync "
                        ">/dev/null 2>&1"),
            0);

  // The window: its title and size, and the size the application saw when it was created.
  Window window = FindWindow(display);
  ASSERT_NE(window, 0u);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(display, window, &attributes));
  EXPECT_EQ(attributes.width, OX_START_WIDTH);
  EXPECT_EQ(attributes.height, OX_START_HEIGHT);
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
  Window other = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 64, 64, 0, 0, 0);
  XSelectInput(display, other, StructureNotifyMask);
  XMapWindow(display, other);
  for (XEvent ev; XNextEvent(display, &ev), ev.type != MapNotify;) {
  }
  size_t mark = app.LineCount();
  XSetInputFocus(display, other, RevertToParent, CurrentTime);
  XFlush(display);
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
  SendDelete(display, window);
  EXPECT_EQ(app.WaitExit(kPatience), 0);

  XDestroyWindow(display, other);
  XCloseDisplay(display);
}

}  // namespace
