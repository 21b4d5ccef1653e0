// Child processes of tests: started with posix_spawn in a chosen working directory and
// environment, standard output read line by line on a thread (each line with its arrival time),
// and waits that always have a time limit.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qr_test {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

// How a child starts; the defaults are the test's own directory, error output and environment.
struct ChildSetup {
  std::string workdir;    // empty: the test's working directory
  std::string errorFile;  // standard error goes here (truncated); empty: the test's own
  // Applied to the test's environment in order: "NAME=value" sets a variable, a bare "NAME"
  // removes it.
  std::vector<std::string> env;
};

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();  // a child still running is killed

  // Starts argv[0] (looked up on PATH) with its standard output on a pipe. A child started before
  // by this object is ended first, and its output forgotten.
  bool Start(const std::vector<std::string>& argv, const ChildSetup& setup = {});

  // Waits until a whole line equal to `line` has arrived; false on timeout or when the child
  // closed its output first.
  bool WaitForLine(const std::string& line, Seconds patience);
  // Waits until every one of `wanted` has arrived as a whole line; false as above.
  bool WaitForAll(const std::vector<std::string>& wanted, Seconds patience);
  // Waits until a line starting with `prefix` has arrived at or after line `from`: its index, or
  // -1 on timeout or when the output closed first.
  int WaitFor(const std::string& prefix, Seconds patience, size_t from = 0);

  std::vector<std::string> Lines();
  // The lines that start with `prefix`, in arrival order.
  std::vector<std::string> Lines(const std::string& prefix);
  // How many lines starting with `prefix` arrived in [from, to).
  int Count(const std::string& prefix, Clock::time_point from, Clock::time_point to);
  size_t LineCount();
  Clock::time_point TimeOf(size_t index);

  bool Running();
  pid_t Pid() const { return pid_; }  // -1 once ended

  // Waits for the child to end: its exit status (0..255), or nothing on timeout or when it was
  // ended by a signal.
  std::optional<int> WaitExit(Seconds patience);
  void Kill();

 private:
  struct Line {
    std::string text;
    Clock::time_point at;
  };

  void ReadOutput(int fd);
  bool Reap(bool block);
  bool SeenLocked(const std::string& line) const;

  pid_t pid_ = -1;
  std::optional<int> status_;  // set once reaped; -1 for a signal
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Line> lines_;
  bool closed_ = false;
};

// Runs a command to its end with a time limit and returns its exit status (-1 if it could not
// run or did not end in time); its standard output is appended to `out` when given.
int RunCommand(const std::vector<std::string>& argv, Seconds patience, std::string* out = nullptr,
               const ChildSetup& setup = {});

}  // namespace qr_test
