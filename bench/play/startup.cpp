// Start-up timing across a process boundary: the parent's monotonic reading goes to the child
// in its environment, and the child reports on its standard output, which is a pipe. The same
// spawn serves the program's own runs and the floor program's.
#include "startup.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "assets.h"
#include "clocks.h"
#include "game/game_init.h"
#include "game/game_numbers.h"
#include "game/my_app.h"
#include "memory_map.h"
#include "play_host.h"

extern char** environ;

namespace play {

namespace {

// The parent's CLOCK_MONOTONIC reading in nanoseconds, taken just before the spawn.
constexpr char kSpawnTimeVariable[] = "QR_PLAY_BENCH_SPAWN_NS";
// The lines the children report their figures on (times in milliseconds, memory in MB).
constexpr char kTimesTag[] = "startup-child-times";
constexpr char kFloorTag[] = "floor-times";
constexpr char kSelf[] = "/proc/self/exe";
constexpr double kNanosPerMilli = 1e6;
constexpr int kReadChunk = 4096;
constexpr int kPollSliceMs = 100;
constexpr double kReapSeconds = 5;  // a child that reported is given this long to end

// Times the child: the first swapped frame, and the first swapped frame after an update that
// ran the menu screen (loading over, mode 1), which is when the menu is on the screen. The menu
// then runs on for kMenuSettleMs before the resident memory and the decoded assets are read.
class StartupProbe : public LoopObserver {
 public:
  StartupProbe(long long spawnNs, double mainEntered) : spawnNs_(spawnNs), mainEntered(mainEntered) {}

  void AfterUpdate() override {
    c_MyApp* app = PlayHost::Instance()->App();
    if (!app) return;
    if (lastLoadStep_ == 0 && app->m_loadStep == 0 && app->m_mode == kModeMenu) menuDrawn_ = true;
    lastLoadStep_ = app->m_loadStep;
  }

  void AfterSwap() override {
    const long long now = MonotonicNanos();
    if (firstNs_ < 0) firstNs_ = now - spawnNs_;
    if (!menuDrawn_) return;
    if (menuNs_ < 0) menuNs_ = now - spawnNs_;
    if ((now - spawnNs_ - menuNs_) / kNanosPerMilli < kMenuSettleMs) return;
    PlayHost* host = PlayHost::Instance();
    const DecodedAssets assets = CountDecodedAssets(host->App());
    const StartupMarks& m = host->marks;
    std::printf("%s %.3f %.3f %.3f %.3f", kTimesTag, firstNs_ / kNanosPerMilli, menuNs_ / kNanosPerMilli,
                ResidentMb(), assets.TotalMb());
    for (double step : {mainEntered, m.hostMade, m.windowAsked, m.windowOpen, m.gameStarted, m.firstRender}) {
      std::printf(" %.3f", step * kMillisPerSecond - spawnNs_ / kNanosPerMilli);
    }
    std::printf(" %.3f\n", firstNs_ / kNanosPerMilli);
    PrintMemoryMap();
    std::fflush(stdout);
    std::_Exit(0);
  }

 private:
  long long spawnNs_;
  double mainEntered;  // monotonic seconds
  long long firstNs_ = -1;
  long long menuNs_ = -1;
  int lastLoadStep_ = -1;
  bool menuDrawn_ = false;
};

// The numbers after `tag` on the first line that starts with it.
bool ParseLine(const std::string& output, const char* tag, double* out, int count) {
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(tag, 0) != 0) continue;
    std::istringstream fields(line.substr(std::strlen(tag)));
    int i = 0;
    while (i < count && fields >> out[i]) ++i;
    if (i == count) return true;
  }
  return false;
}

// Runs `path` with `args` (argv[0] first), the spawn time in its environment, and collects its
// standard output until it ends or `timeoutSeconds` pass. False, with `error` set, when it
// could not be started or ran out of time.
bool RunChild(const char* path, std::vector<std::string> args, double timeoutSeconds, std::string* output,
              int* status, std::string* error) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);

  std::vector<std::string> env;
  const std::string prefix = std::string(kSpawnTimeVariable) + "=";
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, prefix.c_str(), prefix.size()) != 0) env.emplace_back(*e);
  }
  env.emplace_back();
  std::vector<char*> envp, argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  const long long spawnNs = MonotonicNanos();
  env.back() = prefix + std::to_string(spawnNs);
  for (std::string& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    *error = std::string("spawn ") + path + ": " + std::strerror(spawned);
    return false;
  }

  const double deadline = MonotonicSeconds() + timeoutSeconds;
  bool eof = false;
  while (!eof && MonotonicSeconds() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, kPollSliceMs) <= 0) continue;
    char buffer[kReadChunk];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n > 0) {
      output->append(buffer, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      eof = true;
    }
  }
  close(fds[0]);

  const double reapBy = std::max(deadline, MonotonicSeconds() + kReapSeconds);
  pid_t done = 0;
  while ((done = waitpid(pid, status, WNOHANG)) == 0 && MonotonicSeconds() < reapBy) {
    poll(nullptr, 0, kPollSliceMs);
  }
  if (done == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, status, 0);
  }
  if (!eof) {
    *error = "no figures within " + std::to_string(static_cast<int>(timeoutSeconds)) + " s (child killed)";
    return false;
  }
  return true;
}

std::string WhyNoFigures(std::string output, int status) {
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
  return "the child ended (status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
         ") without reporting; its output: " + output;
}

// The floor program's path: beside this executable.
std::string FloorPath() {
  char self[PATH_MAX];
  const ssize_t n = readlink(kSelf, self, sizeof self - 1);
  if (n <= 0) return kFloorProgram;
  std::string path(self, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + kFloorProgram;
}

}  // namespace

StartupRun SpawnStartupRun(double timeoutSeconds) {
  StartupRun run;
  std::string output;
  int status = 0;
  if (!RunChild(kSelf, {"qr_play_bench", kStartupChildOption}, timeoutSeconds, &output, &status, &run.error))
    return run;
  constexpr int kSteps = std::size(kProgramSteps);
  double f[4 + kSteps];
  run.ok = ParseLine(output, kTimesTag, f, 4 + kSteps);
  if (!run.ok) {
    run.error = WhyNoFigures(output, status);
    return run;
  }
  run.firstFrameMs = f[0];
  run.menuMs = f[1];
  run.residentMb = f[2];
  run.decodedMb = f[3];
  run.stepsMs.assign(f + 4, f + 4 + kSteps);
  const size_t map = output.find("memory map:");
  if (map != std::string::npos) run.memoryMap = output.substr(map);
  return run;
}

StartupRun SpawnFloorRun(double waitMs, double timeoutSeconds) {
  StartupRun run;
  std::string output;
  int status = 0;
  const std::string path = FloorPath();
  if (!RunChild(path.c_str(), {kFloorProgram, std::to_string(waitMs)}, timeoutSeconds, &output, &status,
                &run.error))
    return run;
  constexpr int kSteps = std::size(kFloorSteps);
  double f[2 + kSteps];
  run.ok = ParseLine(output, kFloorTag, f, 2 + kSteps);
  if (!run.ok) {
    run.error = WhyNoFigures(output, status);
    return run;
  }
  run.firstFrameMs = f[0];
  run.residentMb = f[1];
  run.stepsMs.assign(f + 2, f + 2 + kSteps);
  const size_t map = output.find("memory map:");
  if (map != std::string::npos) run.memoryMap = output.substr(map);
  return run;
}

int RunStartupChild(int argc, char** argv) {
  const double mainEntered = MonotonicSeconds();
  const char* spawn = std::getenv(kSpawnTimeVariable);
  if (!spawn) {
    std::printf("%s is only for the bench itself: %s is not set\n", kStartupChildOption, kSpawnTimeVariable);
    return 2;
  }
  static StartupProbe probe(std::atoll(spawn), mainEntered);
  PlayHost::SetObserver(&probe);
  ox_game_Register();
  OxTarnGame::Main(argc, const_cast<const char**>(argv), PlayHost::Make);
  std::puts("the game ended before its menu showed");
  return 1;
}

}  // namespace play
