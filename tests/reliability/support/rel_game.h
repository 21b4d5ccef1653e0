// Shared by the reliability tests: the game's application object on a windowless host (no sound, no
// pads), and the state read back and saved again. (Private directories and file helpers are the
// shared test support's.)
#pragma once

#include <string>

class c_MyApp;

namespace reltest {

// Starts the runtime, the game's module globals and an input device with one desktop host, once
// per program, and returns the one application object as start-up leaves it: its stored data
// (settings, badges, scores) set to the defaults, then read from the working directory's state.
// (The reader's status lines are kept off the test's output.)
c_MyApp* StartedGame();

// The prefix of the reliability tests' private working directories.
constexpr char kWorkDirPrefix[] = "qr-rel";

// Reads the state file back the way start-up does, and writes it again from what was read: the
// text comes back byte for byte only when it was a complete state whose every checksum held.
std::string ReloadAndSave(c_MyApp* app);

}  // namespace reltest
