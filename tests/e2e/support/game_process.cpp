// The journeys' children: software GL and silent audio first, then the journey's own changes.
#include "support/game_process.h"

namespace e2e {

namespace {

// The environment changes of every child: ours, with the software GL and silent audio the
// tests run on, then `extra` applied.
std::vector<std::string> JourneyEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> changes = {"LIBGL_ALWAYS_SOFTWARE=1", "ALSOFT_DRIVERS=null"};
  changes.insert(changes.end(), extra.begin(), extra.end());
  return changes;
}

}  // namespace

bool GameProcess::Start(const std::string& program, const std::string& workdir,
                        const std::vector<std::string>& args, const std::string& errorFile,
                        const std::vector<std::string>& extraEnv) {
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  return ChildProcess::Start(argv, {workdir, errorFile, JourneyEnvironment(extraEnv)});
}

int RunCommand(const std::vector<std::string>& argv, Seconds patience, std::string* out,
               const std::string& workdir, const std::vector<std::string>& extraEnv) {
  return qr_test::RunCommand(argv, patience, out, {workdir, "", JourneyEnvironment(extraEnv)});
}

}  // namespace e2e
