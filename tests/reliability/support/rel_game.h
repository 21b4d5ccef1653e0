// Shared by the reliability tests: the game's application object on a windowless host (no sound, no
// pads), a private working directory per test, and small file helpers.
#pragma once

#include <string>
#include <vector>

class c_MyApp;

namespace reltest {

// Starts the runtime, the game's module globals and an input device with one desktop host, once
// per program, and returns the one application object as start-up leaves it: its stored data
// (settings, badges, scores) set to the defaults, then read from the working directory's state.
// (The reader's status lines are kept off the test's output.)
c_MyApp* StartedGame();

// Makes a private directory (in /tmp, or under `base`) and works inside it while alive; removes
// it afterwards.
class WorkDir {
 public:
  explicit WorkDir(const std::string& base = "/tmp");
  ~WorkDir();
  WorkDir(const WorkDir&) = delete;
  WorkDir& operator=(const WorkDir&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};

bool Exists(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// Names in a directory, sorted.
std::vector<std::string> Listing(const std::string& dir);

// Reads the state file back the way start-up does, and writes it again from what was read: the
// text comes back byte for byte only when it was a complete state whose every checksum held.
std::string ReloadAndSave(c_MyApp* app);

}  // namespace reltest
