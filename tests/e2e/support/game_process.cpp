// Child processes of the journeys: posix_spawn with a working directory and an adjusted
// environment, standard output read on a thread, and waits that always have a time limit.
#include "support/game_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace e2e {

namespace {

constexpr auto kReapPoll = std::chrono::milliseconds(20);  // exit-status polling interval
constexpr int kOutputChunk = 4096;
constexpr int kPollMs = 50;

// The environment of a child: ours, with the software GL and silent audio the tests run on,
// then `extra` applied: "NAME=value" sets a variable, a bare "NAME" removes it.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  std::vector<std::string> changes = {"LIBGL_ALWAYS_SOFTWARE=1", "ALSOFT_DRIVERS=null"};
  changes.insert(changes.end(), extra.begin(), extra.end());
  for (const std::string& change : changes) {
    const size_t eq = change.find('=');
    const std::string name = change.substr(0, eq);
    for (size_t i = 0; i < env.size();) {
      if (env[i].compare(0, name.size() + 1, name + "=") == 0) {
        env.erase(env.begin() + static_cast<long>(i));
      } else {
        ++i;
      }
    }
    if (eq != std::string::npos) env.push_back(change);
  }
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// Spawns argv[0] (looked up on PATH) with stdout on `outFd` and stderr on `errFd` (or the
// test's own when -1); the child's pid, or -1.
pid_t Spawn(std::vector<std::string> argv, const std::string& workdir, int outFd, int errFd,
            const std::vector<std::string>& extraEnv, int closeFd) {
  std::vector<std::string> env = ChildEnvironment(extraEnv);
  std::vector<char*> argp = Pointers(argv);
  std::vector<char*> envp = Pointers(env);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
  if (errFd >= 0) posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
  if (closeFd >= 0) posix_spawn_file_actions_addclose(&actions, closeFd);
  if (!workdir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workdir.c_str());
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

std::optional<int> DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return -1;
}

}  // namespace

GameProcess::~GameProcess() {
  Kill();
  if (reader_.joinable()) reader_.join();
}

bool GameProcess::Start(const std::string& program, const std::string& workdir,
                        const std::vector<std::string>& args, const std::string& errorFile,
                        const std::vector<std::string>& extraEnv) {
  // A program run before in this object has ended: its output reader is done with.
  Kill();
  if (reader_.joinable()) reader_.join();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
    closed_ = false;
  }
  status_.reset();
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  pid_ = Spawn(argv, workdir, fds[1], err, extraEnv, fds[0]);
  close(fds[1]);
  if (err >= 0) close(err);
  if (pid_ < 0) {
    close(fds[0]);
    return false;
  }
  reader_ = std::thread([this, fd = fds[0]] { ReadOutput(fd); });
  return true;
}

void GameProcess::ReadOutput(int fd) {
  std::string partial;
  char buf[kOutputChunk];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    partial.append(buf, static_cast<size_t>(n));
    size_t end;
    while ((end = partial.find('\n')) != std::string::npos) {
      lines_.push_back(partial.substr(0, end));
      partial.erase(0, end + 1);
    }
    changed_.notify_all();
  }
  close(fd);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!partial.empty()) lines_.push_back(partial);
  closed_ = true;
  changed_.notify_all();
}

bool GameProcess::WaitForLine(const std::string& line, Seconds patience) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto seen = [&] {
    for (const std::string& l : lines_)
      if (l == line) return true;
    return false;
  };
  changed_.wait_for(lock, patience, [&] { return seen() || closed_; });
  return seen();
}

std::vector<std::string> GameProcess::Lines() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

bool GameProcess::Reap(bool block) {
  if (pid_ < 0) return true;
  int status = 0;
  pid_t r = waitpid(pid_, &status, block ? 0 : WNOHANG);
  if (r == pid_) {
    status_ = DecodeStatus(status);
    pid_ = -1;
    return true;
  }
  return false;
}

bool GameProcess::Running() { return !Reap(false); }

std::optional<int> GameProcess::WaitExit(Seconds patience) {
  const auto until = Clock::now() + patience;
  while (!Reap(false)) {
    if (Clock::now() >= until) return std::nullopt;
    std::this_thread::sleep_for(kReapPoll);
  }
  if (!status_ || *status_ < 0) return std::nullopt;
  return status_;
}

void GameProcess::Kill() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    Reap(true);
  }
}

int RunCommand(const std::vector<std::string>& argv, Seconds patience, std::string* out,
               const std::string& workdir, const std::vector<std::string>& extraEnv) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  pid_t pid = Spawn(argv, workdir, fds[1], -1, extraEnv, fds[0]);
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return -1;
  }
  const auto until = Clock::now() + patience;
  bool timedOut = false;
  char buf[kOutputChunk];
  for (;;) {
    pollfd p = {fds[0], POLLIN, 0};
    int ready = poll(&p, 1, kPollMs);
    if (ready > 0) {
      ssize_t n = read(fds[0], buf, sizeof buf);
      if (n > 0) {
        if (out) out->append(buf, static_cast<size_t>(n));
        continue;
      }
      if (n == 0) break;
      if (errno != EINTR) break;
    }
    if (Clock::now() >= until) {
      timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
  }
  close(fds[0]);
  int status = 0;
  while (!timedOut && waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() >= until) {
      timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    std::this_thread::sleep_for(kReapPoll);
  }
  if (timedOut) {
    waitpid(pid, &status, 0);
    return -1;
  }
  std::optional<int> code = DecodeStatus(status);
  return code ? *code : -1;
}

}  // namespace e2e
