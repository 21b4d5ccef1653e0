// The real window under the X server: the test application opens a 640 x 480 window titled
// "Quadrant Rush", runs its callbacks at the update rate, suspends when another window takes the
// focus and resumes when it comes back, and ends with status 0 when its close button is pressed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/host_game.h"

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
class App {
 public:
  void Start() {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      dup2(fds[1], STDOUT_FILENO);
      close(fds[0]);
      close(fds[1]);
      const std::string prog = std::string(QR_TEST_BIN_DIR) + "/host_window_prog";
      execl(prog.c_str(), prog.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    reader = std::thread([this, fd = fds[0]] { Read(fd); });
  }

  ~App() {
    if (pid > 0 && !exited) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (reader.joinable()) reader.join();
  }

  // Waits until a line starting with `prefix` arrived at or after line `from`; its index or -1.
  int WaitFor(const std::string& prefix, size_t from = 0) {
    std::unique_lock<std::mutex> lock(mutex);
    int found = -1;
    changed.wait_for(lock, kPatience, [&] {
      for (size_t i = from; i < lines.size(); ++i) {
        if (lines[i].text.rfind(prefix, 0) == 0) {
          found = static_cast<int>(i);
          return true;
        }
      }
      return closed;
    });
    return found;
  }

  // Lines starting with `prefix` that arrived in [from, to).
  int Count(const std::string& prefix, Clock::time_point from, Clock::time_point to) {
    std::lock_guard<std::mutex> lock(mutex);
    int n = 0;
    for (const Line& l : lines) {
      if (l.at >= from && l.at < to && l.text.rfind(prefix, 0) == 0) ++n;
    }
    return n;
  }

  size_t LineCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return lines.size();
  }

  Clock::time_point TimeOf(int index) {
    std::lock_guard<std::mutex> lock(mutex);
    return lines[index].at;
  }

  // Waits for the process to end; its exit status, or -1 when it did not end in time.
  int Wait() {
    auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        exited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(10ms);
    }
    return -1;
  }

 private:
  struct Line {
    std::string text;
    Clock::time_point at;
  };

  void Read(int fd) {
    FILE* in = fdopen(fd, "r");
    char buffer[256];
    while (fgets(buffer, sizeof buffer, in)) {
      std::string text(buffer);
      if (!text.empty() && text.back() == '\n') text.pop_back();
      std::lock_guard<std::mutex> lock(mutex);
      lines.push_back({text, Clock::now()});
      changed.notify_all();
    }
    fclose(in);
    std::lock_guard<std::mutex> lock(mutex);
    closed = true;
    changed.notify_all();
  }

  pid_t pid = -1;
  bool exited = false;
  std::thread reader;
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Line> lines;
  bool closed = false;
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
  EXPECT_EQ(app.Wait(), 0);

  XDestroyWindow(display, other);
  XCloseDisplay(display);
}

}  // namespace
