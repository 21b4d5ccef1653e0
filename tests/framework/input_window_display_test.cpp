// Real key presses and clicks through the X server: xdotool types into the test
// application's window, which reports the framework key numbers, characters and
// pointer positions it received.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 20s;  // for anything that must happen, on a loaded machine
constexpr char kWindowTitle[] = "Quadrant Rush";

// The application, with its standard output on a pipe, collected line by line.
class App {
 public:
  void Start() {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_ = fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      dup2(fds[1], STDOUT_FILENO);
      close(fds[0]);
      close(fds[1]);
      const std::string prog = std::string(QR_TEST_BIN_DIR) + "/input_window_prog";
      execl(prog.c_str(), prog.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    reader_ = std::thread([this, fd = fds[0]] { Read(fd); });
  }

  ~App() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (reader_.joinable()) reader_.join();
  }

  // Waits until every one of `wanted` has arrived (as whole lines); false on timeout.
  bool WaitForAll(const std::vector<std::string>& wanted) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] {
      for (const std::string& w : wanted) {
        if (std::find(lines_.begin(), lines_.end(), w) == lines_.end()) return closed_;
      }
      return true;
    }) && !MissingLocked(wanted);
  }

  // The lines that start with `prefix`, in arrival order.
  std::vector<std::string> Lines(const std::string& prefix) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const std::string& l : lines_) {
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    }
    return out;
  }

 private:
  bool MissingLocked(const std::vector<std::string>& wanted) {
    for (const std::string& w : wanted) {
      if (std::find(lines_.begin(), lines_.end(), w) == lines_.end()) return true;
    }
    return false;
  }

  void Read(int fd) {
    std::string partial;
    char buf[256];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) {
      std::lock_guard<std::mutex> lock(mutex_);
      partial.append(buf, size_t(n));
      size_t end;
      while ((end = partial.find('\n')) != std::string::npos) {
        lines_.push_back(partial.substr(0, end));
        partial.erase(0, end + 1);
      }
      changed_.notify_all();
    }
    close(fd);
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

  pid_t pid_ = -1;
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
  bool closed_ = false;
};

// Runs xdotool with the given arguments; its first output line.
std::string Xdotool(const std::string& args) {
  const std::string command = "timeout 30 xdotool " + args;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return "";
  char line[256] = {};
  std::string out = std::fgets(line, sizeof line, p) ? line : "";
  pclose(p);
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

TEST(InputThroughX, KeysCharactersAndClicksArriveAsFrameworkNumbers) {
  App app;
  app.Start();
  ASSERT_TRUE(app.WaitForAll({"create 0"}));

  const std::string title = std::string("\"") + kWindowTitle + "\"";
  const std::string window = Xdotool("search --sync --name " + title);
  ASSERT_FALSE(window.empty());
  Xdotool("windowfocus --sync " + window);

  Xdotool("key --delay 40 a Left Return space F1 minus Delete");
  Xdotool("mousemove --window " + window + " --sync 120 80 click 1");
  Xdotool("mousemove --window " + window + " --sync 200 150 click 3");

  EXPECT_TRUE(app.WaitForAll({"hit 65", "hit 37", "hit 13", "hit 32", "hit 112", "hit 189",
                              "hit 46", "hit 1", "hit 384", "hit 2", "char 127",
                              "button 0 at 120 80", "button 1 at 200 150"}));
  // Characters in typing order: letters and punctuation from the character
  // callback, cursor left, enter and delete from the key callback.
  EXPECT_EQ(app.Lines("char "), (std::vector<std::string>{"char 97", "char 65573", "char 13",
                                                           "char 32", "char 45", "char 127"}));
  // Each key was hit exactly once; nothing else was.
  std::vector<std::string> hits = app.Lines("hit ");
  std::sort(hits.begin(), hits.end());
  std::vector<std::string> expected = {"hit 1",   "hit 112", "hit 13", "hit 189", "hit 2",
                                       "hit 32",  "hit 37",  "hit 384", "hit 46", "hit 65"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(hits, expected);
}

}  // namespace
