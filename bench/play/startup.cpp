// Start-up timing across a process boundary: the parent's monotonic reading goes to the child
// in its environment, and the child reports on its standard output, which is a pipe.
#include "startup.h"

#include <fcntl.h>
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
#include <sstream>
#include <string>
#include <vector>

#include "clocks.h"
#include "game/game_init.h"
#include "game/my_app.h"
#include "game_modes.h"
#include "play_host.h"

extern char** environ;

namespace play {

namespace {

// The parent's CLOCK_MONOTONIC reading in nanoseconds, taken just before the spawn.
constexpr char kSpawnTimeVariable[] = "QR_PLAY_BENCH_SPAWN_NS";
// The line the child reports its two times on, in milliseconds.
constexpr char kTimesTag[] = "startup-child-times";
constexpr char kSelf[] = "/proc/self/exe";
constexpr double kNanosPerMilli = 1e6;
constexpr int kReadChunk = 4096;
constexpr int kPollSliceMs = 100;
constexpr double kReapSeconds = 5;  // a child that reported is given this long to end

// Times the child: the first swapped frame, and the first swapped frame after an update that
// ran the menu screen (loading over, mode 1), which is when the menu is on the screen.
class StartupProbe : public LoopObserver {
 public:
  explicit StartupProbe(long long spawnNs) : spawnNs_(spawnNs) {}

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
    std::printf("%s %.3f %.3f\n", kTimesTag, firstNs_ / kNanosPerMilli, (now - spawnNs_) / kNanosPerMilli);
    std::fflush(stdout);
    std::_Exit(0);
  }

 private:
  long long spawnNs_;
  long long firstNs_ = -1;
  int lastLoadStep_ = -1;
  bool menuDrawn_ = false;
};

bool ParseTimes(const std::string& output, StartupRun* run) {
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(kTimesTag, 0) != 0) continue;
    std::istringstream fields(line.substr(sizeof kTimesTag - 1));
    if (fields >> run->firstFrameMs >> run->menuMs) return true;
  }
  return false;
}

}  // namespace

StartupRun SpawnStartupRun(double timeoutSeconds) {
  StartupRun run;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    run.error = std::string("pipe: ") + std::strerror(errno);
    return run;
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
  std::vector<char*> envp;
  char* argv[] = {const_cast<char*>("qr_play_bench"), const_cast<char*>(kStartupChildOption), nullptr};

  const long long spawnNs = MonotonicNanos();
  env.back() = prefix + std::to_string(spawnNs);
  for (std::string& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, kSelf, &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    run.error = std::string("spawn: ") + std::strerror(spawned);
    return run;
  }

  std::string output;
  const double deadline = MonotonicSeconds() + timeoutSeconds;
  bool eof = false;
  while (!eof && MonotonicSeconds() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, kPollSliceMs) <= 0) continue;
    char buffer[kReadChunk];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n > 0) {
      output.append(buffer, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      eof = true;
    }
  }
  close(fds[0]);

  int status = 0;
  const double reapBy = std::max(deadline, MonotonicSeconds() + kReapSeconds);
  pid_t done = 0;
  while ((done = waitpid(pid, &status, WNOHANG)) == 0 && MonotonicSeconds() < reapBy) {
    poll(nullptr, 0, kPollSliceMs);
  }
  if (done == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  if (!eof) {
    run.error = "no menu within " + std::to_string(static_cast<int>(timeoutSeconds)) + " s (child killed)";
    return run;
  }
  run.ok = ParseTimes(output, &run);
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
  if (!run.ok) {
    run.error = "the child ended (status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
                ") without reporting; its output: " + output;
  }
  return run;
}

int RunStartupChild(int argc, char** argv) {
  const char* spawn = std::getenv(kSpawnTimeVariable);
  if (!spawn) {
    std::printf("%s is only for the bench itself: %s is not set\n", kStartupChildOption, kSpawnTimeVariable);
    return 2;
  }
  static StartupProbe probe(std::atoll(spawn));
  PlayHost::SetObserver(&probe);
  ox_game_Register();
  OxTarnGame::Main(argc, const_cast<const char**>(argv), PlayHost::Make);
  std::puts("the game ended before its menu showed");
  return 1;
}

}  // namespace play
