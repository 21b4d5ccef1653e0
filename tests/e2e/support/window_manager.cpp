// The manager as a child process; "running" is read from the screen itself: the root window's
// _NET_SUPPORTING_WM_CHECK names a live window that carries the same property, which a manager
// sets only once it owns the screen and which goes stale (a destroyed window) when it leaves.
#include "support/window_manager.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

extern char** environ;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartPatience = std::chrono::seconds(30);
constexpr auto kStopPatience = std::chrono::seconds(10);
constexpr auto kPoll = std::chrono::milliseconds(20);

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// The window `window`'s _NET_SUPPORTING_WM_CHECK, or 0 (also when `window` is gone).
Window CheckWindow(Display* d, Window window) {
  Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  Window found = 0;
  if (XGetWindowProperty(d, window, check, 0, 1, False, XA_WINDOW, &type, &format, &items, &after,
                         &data) == Success &&
      data) {
    if (type == XA_WINDOW && format == 32 && items == 1)
      found = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    XFree(data);
  }
  return found;
}

// Whether a manager owns the screen now.
bool ManagerOnScreen() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  XErrorHandler old = XSetErrorHandler(IgnoreXErrors);
  Window support = CheckWindow(d, DefaultRootWindow(d));
  bool on = support != 0 && CheckWindow(d, support) == support;
  XSync(d, False);
  XSetErrorHandler(old);
  XCloseDisplay(d);
  return on;
}

bool Reaped(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == pid;
}

}  // namespace

std::string WantedManager() {
  const char* wm = std::getenv("QR_E2E_WM");
  return wm ? wm : "";
}

bool WindowManager::Start(const std::string& logFile) {
  const std::string name = WantedManager();
  if (name.empty()) return true;
  Stop();
  int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (log >= 0) {
    posix_spawn_file_actions_adddup2(&actions, log, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, log, STDERR_FILENO);
  }
  std::vector<std::string> argv = {name};
  std::vector<char*> argp;
  for (std::string& a : argv) argp.push_back(a.data());
  argp.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argp[0], &actions, nullptr, argp.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (log >= 0) close(log);
  if (rc != 0) return false;
  pid_ = pid;
  for (auto until = Clock::now() + kStartPatience; Clock::now() < until;) {
    if (ManagerOnScreen()) return true;
    if (Reaped(pid_)) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(kPoll);
  }
  return false;
}

void WindowManager::Stop() {
  if (pid_ < 0) return;
  kill(pid_, SIGTERM);
  bool gone = false;
  for (auto until = Clock::now() + kStopPatience; !gone && Clock::now() < until;) {
    gone = Reaped(pid_);
    if (!gone) std::this_thread::sleep_for(kPoll);
  }
  if (!gone) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  // The next journey's manager (or bare server) must not see this one's check window.
  for (auto until = Clock::now() + kStopPatience; ManagerOnScreen() && Clock::now() < until;)
    std::this_thread::sleep_for(kPoll);
}

}  // namespace e2e
