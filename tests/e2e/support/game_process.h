// The real program as a child process: started in a working directory of the test's choosing,
// its standard output collected line by line, its exit status awaited with a time limit.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

class GameProcess {
 public:
  GameProcess() = default;
  GameProcess(const GameProcess&) = delete;
  GameProcess& operator=(const GameProcess&) = delete;
  ~GameProcess();  // a program still running is killed

  // Starts `program` with `args` in `workdir`; standard error goes to `errorFile`. The display,
  // software GL and silent audio settings of the environment are passed on. A program started
  // before by this object is ended first, and its output forgotten.
  bool Start(const std::string& program, const std::string& workdir,
             const std::vector<std::string>& args, const std::string& errorFile,
             const std::vector<std::string>& extraEnv = {});

  // Waits until a whole line equal to `line` has been printed; false on timeout or when the
  // program closed its output first.
  bool WaitForLine(const std::string& line, Seconds patience);
  std::vector<std::string> Lines();
  bool Running();
  pid_t Pid() const { return pid_; }  // -1 once ended

  // Waits for the program to end: its exit status (0..255), or nothing on timeout or when it
  // was ended by a signal.
  std::optional<int> WaitExit(Seconds patience);
  void Kill();

 private:
  void ReadOutput(int fd);
  bool Reap(bool block);

  pid_t pid_ = -1;
  std::optional<int> status_;  // set once reaped; -1 for a signal
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
  bool closed_ = false;
};

// Runs a command to its end with a time limit and returns its exit status (-1 if it could not
// run or did not end in time); its standard output is appended to `out` when given.
int RunCommand(const std::vector<std::string>& argv, Seconds patience, std::string* out = nullptr,
               const std::string& workdir = "", const std::vector<std::string>& extraEnv = {});

}  // namespace e2e
