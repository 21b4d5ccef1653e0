// Reopening the window when the window system refuses the new one (a full-screen switch or a size
// the display will not take): the host reopens the window it had and carries on, saying once what
// failed; only when no window at all can be had does the program end, with its message and -1.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "host/host_game.h"

namespace {

// The production table with a scripted refusal of some windows; records every window asked for.
class RefusingPlatform : public OxLoopPlatform {
 public:
  struct Asked {
    int width, height;
    bool fullscreen;
    bool operator==(const Asked& o) const {
      return width == o.width && height == o.height && fullscreen == o.fullscreen;
    }
  };
  explicit RefusingPlatform(OxLoopPlatform* real) : real_(real) {}

  std::function<bool(const Asked&)> refuse = [](const Asked&) { return false; };
  std::vector<Asked> asked;

  GLFWwindow* OpenWindow(int width, int height, bool fullscreen) override {
    asked.push_back({width, height, fullscreen});
    return refuse(asked.back()) ? nullptr : real_->OpenWindow(width, height, fullscreen);
  }
  double Time() override { return real_->Time(); }
  void Sleep(double seconds) override { real_->Sleep(seconds); }
  void SwapBuffers() override { real_->SwapBuffers(); }
  void PollEvents() override { real_->PollEvents(); }
  void WaitEvents() override { real_->WaitEvents(); }
  bool WindowOpen() override { return real_->WindowOpen(); }
  bool WindowActive() override { return real_->WindowActive(); }

 private:
  OxLoopPlatform* real_;
};

std::ostream& operator<<(std::ostream& os, const RefusingPlatform::Asked& a) {
  return os << a.width << "x" << a.height << (a.fullscreen ? " full screen" : " windowed");
}

class WindowReopen : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process with its own X connection
    if (!glfwInit()) GTEST_SKIP() << "no display";
    host = new OxGlfwGame;
    platform = new RefusingPlatform(host->LoopPlatform());
    host->SetLoopPlatform(platform);
    host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    ASSERT_NE(host->Window(), nullptr);
  }
  void TearDown() override {
    delete host;
    delete platform;
    glfwTerminate();
  }

  OxGlfwGame* host = nullptr;
  RefusingPlatform* platform = nullptr;
};

TEST_F(WindowReopen, ARefusedWindowGivesBackThePreviousOneAndOneLineSaysSo) {
  struct Case {
    const char* name;
    int width, height, flags;
  };
  const Case cases[] = {
      {"a full-screen switch", 800, 600, OX_WINDOW_FULLSCREEN},
      {"a size the display refuses", 5000, 4000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform->asked.clear();
    const RefusingPlatform::Asked wanted{c.width, c.height, (c.flags & OX_WINDOW_FULLSCREEN) != 0};
    platform->refuse = [wanted](const RefusingPlatform::Asked& a) { return a == wanted; };
    const int seq = glfwGraphicsSeq;
    testing::internal::CaptureStdout();
    host->SetDeviceWindow(c.width, c.height, c.flags);
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(platform->asked,
              (std::vector<RefusingPlatform::Asked>{wanted, RefusingPlatform::Asked{640, 480, false}}));
    ASSERT_NE(host->Window(), nullptr) << "no window after the refusal";
    EXPECT_EQ(glfwGetWindowMonitor(host->Window()), nullptr);
    EXPECT_EQ(host->GetDeviceWidth(), 640);
    EXPECT_EQ(host->GetDeviceHeight(), 480);
    EXPECT_GT(glfwGraphicsSeq, seq) << "the new context must not pass for the old one";
    EXPECT_TRUE(host->LoopPlatform()->WindowOpen()) << "the loop would end";
    // One line, naming what was asked for and what the game keeps.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_EQ(out.rfind("Window could not be reopened", 0), 0u) << out;
    EXPECT_NE(out.find(std::to_string(c.width)), std::string::npos) << out;
  }
  // Afterwards a window the system grants is opened as usual.
  platform->refuse = [](const RefusingPlatform::Asked&) { return false; };
  host->SetDeviceWindow(320, 240, 0);
  ASSERT_NE(host->Window(), nullptr);
  EXPECT_EQ(host->GetDeviceWidth(), 320);
}

TEST_F(WindowReopen, WithNoWindowAtAllTheProgramEndsWithItsMessage) {
  platform->refuse = [](const RefusingPlatform::Asked&) { return true; };
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        host->SetDeviceWindow(800, 600, OX_WINDOW_FULLSCREEN);
      },
      ::testing::ExitedWithCode(255),
      std::string("\nWindow could not be reopened[^\n]*\n") + OX_WINDOW_OPEN_FAILED + "\n$");
}

}  // namespace
