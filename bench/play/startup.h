// Start-up timing: the bench runs itself again in a start-up-only mode and reads back the time
// from just before the spawn to the first swapped frame and to the first frame of the menu,
// and the resident memory once the menu has been up for a settling second. Beside each such run
// it spawns the floor program (a bare window, cleared once and swapped), timed the same way and
// read after the same wait from its spawn.
#pragma once

#include <string>
#include <vector>

namespace play {

// The argument that makes the program a start-up child.
inline constexpr char kStartupChildOption[] = "--startup-child";
// The floor program, beside this executable.
inline constexpr char kFloorProgram[] = "qr_floor_window";
// How long the menu stays up before its resident memory is read.
inline constexpr double kMenuSettleMs = 1000;

inline constexpr const char* kProgramSteps[] = {
    "main entered (exec, libraries, static set-up)",
    "host made (GLFW initialised)",
    "window asked for (runtime, globals, the game object)",
    "window and GL context open",
    "game started (devices, the game's create callback)",
    "first render begun",
    "first swap ended (render and swap)",
};
inline constexpr const char* kFloorSteps[] = {
    "main entered (exec, libraries, static set-up)",
    "GLFW initialised",
    "window and GL context open",
    "first swap ended (clear and swap)",
};

struct StartupRun {
  bool ok = false;
  double firstFrameMs = 0;
  double menuMs = 0;       // the program only
  double residentMb = 0;   // the program: kMenuSettleMs after the menu; the floor: after the wait
  double decodedMb = 0;    // the program only: decoded assets held at that moment
  // When each step of the start-up was reached, in ms from the spawn, in the order of the
  // names below (kProgramSteps for the program, kFloorSteps for the floor); the last is the end
  // of the first swap.
  std::vector<double> stepsMs;
  std::string memoryMap;  // the child's report of where its memory lies when it was read
  std::string error;       // why the run gave no figures
};

// Spawns one start-up child of this executable and waits for its figures (at most `timeout`
// seconds; a child still running then is killed).
StartupRun SpawnStartupRun(double timeoutSeconds);

// Spawns the floor program; it reads its memory `waitMs` after its spawn.
StartupRun SpawnFloorRun(double waitMs, double timeoutSeconds);

// The child's side: starts the game as the program does, reports its figures on standard
// output and ends. Returns a non-zero status only when the game ended before its menu showed.
int RunStartupChild(int argc, char** argv);

}  // namespace play
