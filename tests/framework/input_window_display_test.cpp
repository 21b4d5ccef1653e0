// Real key presses and clicks through the X server: xdotool types into the test
// application's window, which reports the framework key numbers, characters and
// pointer positions it received.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 20s;  // for anything that must happen, on a loaded machine
constexpr char kWindowTitle[] = "Quadrant Rush";

// The application, with its standard output on a pipe, collected line by line.
class App {
 public:
  void Start() {
    ASSERT_TRUE(child_.Start({std::string(QR_TEST_BIN_DIR) + "/input_window_prog"}));
  }
  // Waits until every one of `wanted` has arrived (as whole lines); false on timeout.
  bool WaitForAll(const std::vector<std::string>& wanted) { return child_.WaitForAll(wanted, kPatience); }
  // The lines that start with `prefix`, in arrival order.
  std::vector<std::string> Lines(const std::string& prefix) { return child_.Lines(prefix); }

 private:
  qr_test::ChildProcess child_;
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
