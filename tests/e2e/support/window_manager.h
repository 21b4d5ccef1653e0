// The window manager a journey may run under: when QR_E2E_WM names one ("openbox"), it is
// started on the test's X server with its stock configuration before the program, and ended
// after it, so that decorations, the manager's focus rules, its close and full-screen handling
// and its resizing are what the program meets. Without the variable the server stays bare.
#pragma once

#include <sys/types.h>

#include <string>

namespace e2e {

// The manager QR_E2E_WM asks for, or "" for the bare server.
std::string WantedManager();
inline bool UnderManager() { return !WantedManager().empty(); }

class WindowManager {
 public:
  WindowManager() = default;
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;
  ~WindowManager() { Stop(); }

  // Starts the wanted manager (its messages go to `logFile`) and waits until it has taken
  // the screen over; true at once when none is wanted. False when it did not start or exit early.
  bool Start(const std::string& logFile);
  // Ends it (SIGTERM, then SIGKILL when it lingers) and waits until it has left the screen.
  void Stop();

 private:
  pid_t pid_ = -1;
};

}  // namespace e2e
