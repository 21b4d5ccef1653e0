// The real program as a child process of the journeys: the shared child process, with every
// child (the program and the commands the journeys run) on software GL and silent audio.
#pragma once

#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace e2e {

using qr_test::Clock;
using qr_test::Seconds;

class GameProcess : public qr_test::ChildProcess {
 public:
  // Starts `program` with `args` in `workdir`; standard error goes to `errorFile`. The display
  // of the environment is passed on; `extraEnv` changes it further ("NAME=value" sets, "NAME"
  // removes).
  bool Start(const std::string& program, const std::string& workdir,
             const std::vector<std::string>& args, const std::string& errorFile,
             const std::vector<std::string>& extraEnv = {});
};

// Runs a command to its end with a time limit and returns its exit status (-1 if it could not
// run or did not end in time); its standard output is appended to `out` when given.
int RunCommand(const std::vector<std::string>& argv, Seconds patience, std::string* out = nullptr,
               const std::string& workdir = "", const std::vector<std::string>& extraEnv = {});

}  // namespace e2e
