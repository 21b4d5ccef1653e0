// Start-up timing: the bench runs itself again in a start-up-only mode and reads back the time
// from just before the spawn to the first swapped frame and to the first frame of the menu.
#pragma once

#include <string>

namespace play {

// The argument that makes the program a start-up child.
inline constexpr char kStartupChildOption[] = "--startup-child";

struct StartupRun {
  bool ok = false;
  double firstFrameMs = 0;
  double menuMs = 0;
  std::string error;  // why the run gave no times
};

// Spawns one start-up child of this executable and waits for its times (at most `timeout`
// seconds; a child still running then is killed).
StartupRun SpawnStartupRun(double timeoutSeconds);

// The child's side: starts the game as the program does, reports the two times on standard
// output and ends. Returns a non-zero status only when the game ended before its menu showed.
int RunStartupChild(int argc, char** argv);

}  // namespace play
