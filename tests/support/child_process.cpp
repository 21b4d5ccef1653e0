// Child processes of tests: posix_spawn with a working directory and an adjusted environment,
// standard output read on a thread, and waits that always have a time limit.
#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace qr_test {

namespace {

constexpr auto kReapPoll = std::chrono::milliseconds(20);  // exit-status polling interval
constexpr int kOutputChunk = 4096;
constexpr int kPollMs = 50;

// Our environment with `changes` applied: "NAME=value" sets a variable, a bare "NAME" removes it.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& changes) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
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
pid_t Spawn(std::vector<std::string> argv, const ChildSetup& setup, int outFd, int errFd, int closeFd) {
  if (argv.empty()) return -1;
  std::vector<std::string> env = ChildEnvironment(setup.env);
  std::vector<char*> argp = Pointers(argv);
  std::vector<char*> envp = Pointers(env);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
  if (errFd >= 0) posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
  if (closeFd >= 0) posix_spawn_file_actions_addclose(&actions, closeFd);
  if (!setup.workdir.empty()) posix_spawn_file_actions_addchdir_np(&actions, setup.workdir.c_str());
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

ChildProcess::~ChildProcess() {
  Kill();
  if (reader_.joinable()) reader_.join();
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const ChildSetup& setup) {
  // A child run before in this object has ended: its output reader is done with.
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
  int err = setup.errorFile.empty()
                ? -1
                : open(setup.errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  pid_ = Spawn(argv, setup, fds[1], err, fds[0]);
  close(fds[1]);
  if (err >= 0) close(err);
  if (pid_ < 0) {
    close(fds[0]);
    return false;
  }
  reader_ = std::thread([this, fd = fds[0]] { ReadOutput(fd); });
  return true;
}

void ChildProcess::ReadOutput(int fd) {
  std::string partial;
  char buf[kOutputChunk];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    const Clock::time_point at = Clock::now();
    std::lock_guard<std::mutex> lock(mutex_);
    partial.append(buf, static_cast<size_t>(n));
    size_t end;
    while ((end = partial.find('\n')) != std::string::npos) {
      lines_.push_back({partial.substr(0, end), at});
      partial.erase(0, end + 1);
    }
    changed_.notify_all();
  }
  close(fd);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!partial.empty()) lines_.push_back({partial, Clock::now()});
  closed_ = true;
  changed_.notify_all();
}

bool ChildProcess::SeenLocked(const std::string& line) const {
  for (const Line& l : lines_)
    if (l.text == line) return true;
  return false;
}

bool ChildProcess::WaitForLine(const std::string& line, Seconds patience) {
  return WaitForAll({line}, patience);
}

bool ChildProcess::WaitForAll(const std::vector<std::string>& wanted, Seconds patience) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto all = [&] {
    for (const std::string& w : wanted)
      if (!SeenLocked(w)) return false;
    return true;
  };
  changed_.wait_for(lock, patience, [&] { return all() || closed_; });
  return all();
}

int ChildProcess::WaitFor(const std::string& prefix, Seconds patience, size_t from) {
  std::unique_lock<std::mutex> lock(mutex_);
  int found = -1;
  changed_.wait_for(lock, patience, [&] {
    for (size_t i = from; i < lines_.size(); ++i) {
      if (lines_[i].text.rfind(prefix, 0) == 0) {
        found = static_cast<int>(i);
        return true;
      }
    }
    return closed_;
  });
  return found;
}

std::vector<std::string> ChildProcess::Lines() { return Lines(""); }

std::vector<std::string> ChildProcess::Lines(const std::string& prefix) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> out;
  for (const Line& l : lines_)
    if (l.text.rfind(prefix, 0) == 0) out.push_back(l.text);
  return out;
}

int ChildProcess::Count(const std::string& prefix, Clock::time_point from, Clock::time_point to) {
  std::lock_guard<std::mutex> lock(mutex_);
  int n = 0;
  for (const Line& l : lines_)
    if (l.at >= from && l.at < to && l.text.rfind(prefix, 0) == 0) ++n;
  return n;
}

size_t ChildProcess::LineCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_.size();
}

Clock::time_point ChildProcess::TimeOf(size_t index) {
  std::lock_guard<std::mutex> lock(mutex_);
  return index < lines_.size() ? lines_[index].at : Clock::time_point();
}

bool ChildProcess::Reap(bool block) {
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

bool ChildProcess::Running() { return !Reap(false); }

std::optional<int> ChildProcess::WaitExit(Seconds patience) {
  const auto until = Clock::now() + patience;
  while (!Reap(false)) {
    if (Clock::now() >= until) return std::nullopt;
    std::this_thread::sleep_for(kReapPoll);
  }
  if (!status_ || *status_ < 0) return std::nullopt;
  return status_;
}

void ChildProcess::Kill() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    Reap(true);
  }
}

int RunCommand(const std::vector<std::string>& argv, Seconds patience, std::string* out,
               const ChildSetup& setup) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  int err = setup.errorFile.empty()
                ? -1
                : open(setup.errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  pid_t pid = Spawn(argv, setup, fds[1], err, fds[0]);
  close(fds[1]);
  if (err >= 0) close(err);
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

}  // namespace qr_test
