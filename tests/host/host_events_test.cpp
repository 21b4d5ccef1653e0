// The host's event side without a window: which forwards reach the delegate in which state, the
// exception guard, the collector step after every call, the key translation and the callbacks, the
// close button, the date, and URLs handed to the opener without a shell.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/host_game.h"
#include "host/keys.h"
#include "tests/support/temp_dir.h"

namespace {

using Ev = c_OxGameEvent;

// Records every call with its arguments, as one text per call.
class LogDelegate : public OxGameDelegate {
 public:
  std::vector<std::string> calls;
  Object* held = nullptr;  // reachable only through the delegate
  bool throwOnUpdate = false;

  void mark() override {
    OxGameDelegate::mark();
    gc_mark_q(held);
  }
  void StartGame() override { calls.push_back("start"); }
  void SuspendGame() override { calls.push_back("suspend"); }
  void ResumeGame() override { calls.push_back("resume"); }
  void UpdateGame() override {
    calls.push_back("update");
    if (throwOnUpdate) throw new ThrowableObject;
  }
  void RenderGame() override { calls.push_back("render"); }
  void KeyEvent(int event, int data) override {
    calls.push_back("key " + std::to_string(event) + " " + std::to_string(data));
  }
  void MouseEvent(int event, int data, float x, float y) override {
    calls.push_back("mouse " + std::to_string(event) + " " + std::to_string(data) + " " +
                    std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)));
  }
  void TouchEvent(int, int, float, float) override { calls.push_back("touch"); }
  void MotionEvent(int, int, float, float, float) override { calls.push_back("motion"); }
  void DiscardGraphics() override { calls.push_back("discard"); }
};

// The desktop host with no window, counting its collector steps.
class CountingHost : public OxGlfwGame {
 public:
  int steps = 0;
  void gc_collect() override {
    ++steps;
    OxGlfwGame::gc_collect();
  }
};

class HostEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    delegate = new LogDelegate;
    host.SetDelegate(delegate);
  }
  // Every forward once, in a fixed order.
  void CallAll() {
    host.UpdateGame();
    host.RenderGame();
    host.KeyEvent(Ev::m_KeyDown, 65);
    host.MouseEvent(Ev::m_MouseMove, -1, 1, 2);
    host.TouchEvent(Ev::m_TouchDown, 0, 1, 2);
    host.MotionEvent(Ev::m_MotionAccel, 0, 1, 2, 3);
    host.DiscardGraphics();
  }
  std::vector<std::string> Calls() {
    std::vector<std::string> c = delegate->calls;
    delegate->calls.clear();
    return c;
  }

  CountingHost host;
  LogDelegate* delegate = nullptr;
};

const std::vector<std::string> kAllWhileRunning = {
    "update", "render", "key 1 65", "mouse 6 -1 1 2", "touch", "motion", "discard"};
const std::vector<std::string> kAllWhileSuspended = {
    "render", "key 1 65", "mouse 6 -1 1 2", "touch", "motion", "discard"};

TEST_F(HostEvents, ForwardsFollowTheLifecycle) {
  // Before the start nothing reaches the game, including suspend and resume.
  CallAll();
  host.SuspendGame();
  host.ResumeGame();
  EXPECT_TRUE(Calls().empty());

  host.StartGame();
  host.StartGame();
  EXPECT_EQ(Calls(), std::vector<std::string>{"start"});
  EXPECT_TRUE(host.Started());

  CallAll();
  EXPECT_EQ(Calls(), kAllWhileRunning);

  host.ResumeGame();  // not suspended: nothing
  host.SuspendGame();
  host.SuspendGame();
  EXPECT_EQ(Calls(), std::vector<std::string>{"suspend"});
  CallAll();
  EXPECT_EQ(Calls(), kAllWhileSuspended);

  host.ResumeGame();
  host.ResumeGame();
  EXPECT_EQ(Calls(), std::vector<std::string>{"resume"});
  EXPECT_FALSE(host.Suspended());
}

TEST_F(HostEvents, EveryDelegateCallIsFollowedByOneCollectorStep) {
  CallAll();  // not started: no call, no step
  EXPECT_EQ(host.steps, 0);
  host.StartGame();
  CallAll();
  host.SuspendGame();
  host.ResumeGame();
  EXPECT_EQ(host.steps, 1 + 7 + 2);
}

TEST_F(HostEvents, TheDelegateAndWhatItHoldsSurviveFullCollections) {
  // Neither is reachable from any root: only the host's step keeps them.
  gc_assign(delegate->held, new Object);
  Object* held = delegate->held;
  host.StartGame();
  for (int i = 0; i < 3; ++i) {
    gc_new_bytes = GC_FULL_THRESHOLD + 1;  // the next step is a full collection
    host.RenderGame();
    Array<char> churn(GC_CACHE_LIMIT * 16);  // lets lazy destruction run
    (void)churn;
  }
  EXPECT_STREQ(gc_check_heap(), "");
  EXPECT_EQ(delegate->held, held);
  host.UpdateGame();  // a destroyed delegate would be a use after free here
  EXPECT_EQ(delegate->calls.back(), "update");
}

TEST_F(HostEvents, AThrownObjectEndsTheProgramThroughDie) {
  host.StartGame();
  delegate->throwOnUpdate = true;
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);  // the message goes to standard output
        host.UpdateGame();
      },
      ::testing::ExitedWithCode(255),
      std::string("^") + OX_RUNTIME_ERROR_PREFIX + OX_UNCAUGHT_EXCEPTION + "\n$");
}

TEST(HostKeys, TranslationTable) {
  struct Case {
    int glfw;
    int key;
  } cases[] = {
      {GLFW_KEY_A, 'A'}, {GLFW_KEY_Z, 'Z'},
      {GLFW_KEY_0, '0'}, {GLFW_KEY_9, '9'},
      {GLFW_KEY_SPACE, kKeyCodeSpace}, {GLFW_KEY_APOSTROPHE, kKeyCodeApostrophe},
      {GLFW_KEY_COMMA, kKeyCodeComma}, {GLFW_KEY_MINUS, kKeyCodeMinus},
      {GLFW_KEY_PERIOD, kKeyCodePeriod}, {GLFW_KEY_SLASH, kKeyCodeSlash},
      {GLFW_KEY_SEMICOLON, kKeyCodeSemicolon}, {GLFW_KEY_EQUAL, kKeyCodeEquals},
      {GLFW_KEY_LEFT_BRACKET, kKeyCodeLeftBracket}, {GLFW_KEY_BACKSLASH, kKeyCodeBackslash},
      {GLFW_KEY_RIGHT_BRACKET, kKeyCodeRightBracket}, {GLFW_KEY_GRAVE_ACCENT, kKeyCodeGrave},
      {GLFW_KEY_ESCAPE, kKeyCodeEscape}, {GLFW_KEY_ENTER, kKeyCodeEnter},
      {GLFW_KEY_TAB, kKeyCodeTab}, {GLFW_KEY_BACKSPACE, kKeyCodeBackspace},
      {GLFW_KEY_INSERT, kKeyCodeInsert}, {GLFW_KEY_DELETE, kKeyCodeDelete},
      {GLFW_KEY_RIGHT, kKeyCodeRight}, {GLFW_KEY_LEFT, kKeyCodeLeft},
      {GLFW_KEY_DOWN, kKeyCodeDown}, {GLFW_KEY_UP, kKeyCodeUp},
      {GLFW_KEY_PAGE_UP, kKeyCodePageUp}, {GLFW_KEY_PAGE_DOWN, kKeyCodePageDown},
      {GLFW_KEY_HOME, kKeyCodeHome}, {GLFW_KEY_END, kKeyCodeEnd},
      {GLFW_KEY_F1, kKeyCodeF1}, {GLFW_KEY_F12, kKeyCodeF12},
      {GLFW_KEY_KP_0, kKeyCodePad0}, {GLFW_KEY_KP_9, kKeyCodePad0 + 9},
      {GLFW_KEY_KP_DECIMAL, kKeyCodePadDecimal}, {GLFW_KEY_KP_DIVIDE, kKeyCodePadDivide},
      {GLFW_KEY_KP_MULTIPLY, kKeyCodePadMultiply}, {GLFW_KEY_KP_SUBTRACT, kKeyCodePadSubtract},
      {GLFW_KEY_KP_ADD, kKeyCodePadAdd}, {GLFW_KEY_LEFT_SHIFT, kKeyCodeShift},
      {GLFW_KEY_RIGHT_SHIFT, kKeyCodeShift}, {GLFW_KEY_LEFT_CONTROL, kKeyCodeControl},
      {GLFW_KEY_RIGHT_CONTROL, kKeyCodeControl},
      // Keys the framework ignores, and codes outside the table.
      {GLFW_KEY_F13, 0},         {GLFW_KEY_KP_ENTER, 0},     {GLFW_KEY_KP_EQUAL, 0},
      {GLFW_KEY_LEFT_ALT, 0},    {GLFW_KEY_RIGHT_SUPER, 0},  {GLFW_KEY_CAPS_LOCK, 0},
      {GLFW_KEY_MENU, 0},        {GLFW_KEY_WORLD_1, 0},      {GLFW_KEY_UNKNOWN, 0},
      {GLFW_KEY_LAST + 1, 0},    {1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OxGlfwGame::TransKey(c.glfw), c.key) << "window-system key " << c.glfw;
  }
}

TEST(HostKeys, CharactersOfSpecialKeys) {
  struct Case {
    int key;
    int chr;
  } cases[] = {
      {8, 8},   {9, 9},   {13, 13}, {27, 27}, {33, 65536 + 33}, {37, 65536 + 37},
      {40, 65536 + 40}, {45, 65536 + 45}, {46, 127}, {32, 0}, {65, 0}, {16, 0}, {41, 0}, {112, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(OxGlfwGame::KeyToChar(c.key), c.chr) << "key " << c.key;
}

TEST_F(HostEvents, CallbacksBecomeFrameworkEvents) {
  host.StartGame();
  Calls();
  struct Case {
    const char* what;
    void (*send)();
    std::vector<std::string> expected;
  } cases[] = {
      {"enter types its own character",
       [] { OxGlfwGame::OnKey(GLFW_KEY_ENTER, GLFW_PRESS); },
       {"key 1 13", "key 3 13"}},
      {"a held cursor key repeats its down and its character",
       [] {
         OxGlfwGame::OnKey(GLFW_KEY_LEFT, GLFW_PRESS);
         OxGlfwGame::OnKey(GLFW_KEY_LEFT, GLFW_REPEAT);
         OxGlfwGame::OnKey(GLFW_KEY_LEFT, GLFW_RELEASE);
       },
       {"key 1 37", "key 3 65573", "key 1 37", "key 3 65573", "key 2 37"}},
      {"a letter key sends no character of its own", [] { OxGlfwGame::OnKey(GLFW_KEY_A, GLFW_PRESS); },
       {"key 1 65"}},
      {"an ignored key sends nothing", [] { OxGlfwGame::OnKey(GLFW_KEY_LEFT_ALT, GLFW_PRESS); }, {}},
      {"typed characters arrive on press only",
       [] {
         OxGlfwGame::OnChar(0xE9, GLFW_PRESS);
         OxGlfwGame::OnChar(0x41, GLFW_RELEASE);
       },
       {"key 3 233"}},
      {"pointer moves carry no button", [] { OxGlfwGame::OnMousePos(12, 34); }, {"mouse 6 -1 12 34"}},
      {"buttons 0 to 2 press and release, others are ignored",
       [] {
         OxGlfwGame::OnMouseButton(GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS);
         OxGlfwGame::OnMouseButton(GLFW_MOUSE_BUTTON_RIGHT, GLFW_RELEASE);
         OxGlfwGame::OnMouseButton(3, GLFW_PRESS);
       },
       {"mouse 4 1 0 0", "mouse 5 1 0 0"}},
  };
  for (const Case& c : cases) {
    c.send();
    EXPECT_EQ(Calls(), c.expected) << c.what;
  }
}

TEST_F(HostEvents, TheCloseButtonIsKey432DownAndUpAndNeverClosesTheWindow) {
  host.StartGame();
  Calls();
  EXPECT_FALSE(OxGlfwGame::OnWindowClose());
  const std::string close = std::to_string(kWindowCloseKey);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"key 1 " + close, "key 2 " + close}));
}

TEST(HostDate, FillsAsManyFieldsAsFit) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  constexpr int kUntouched = -5;
  for (int n : {0, 1, 3, 7, 9}) {
    Array<int> date(n);
    for (int i = 0; i < n; ++i) date[i] = kUntouched;
    OxGame().GetDate(date);
    const int expected[] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    for (int i = 0; i < n && i < 3; ++i) EXPECT_EQ(date[i], expected[i]) << "field " << i;
    if (n > 3) {
      EXPECT_GE(date[3], 0);
      EXPECT_LE(date[3], 23);
      EXPECT_GE(date[4], 0);
      EXPECT_LE(date[4], 59);
      EXPECT_GE(date[5], 0);
      EXPECT_LE(date[5], 60);
    }
    if (n > 6) {
      EXPECT_EQ(date[6], 0);  // milliseconds
    }
    for (int i = 7; i < n; ++i) EXPECT_EQ(date[i], kUntouched) << "field " << i;
  }
}

// A stand-in opener on PATH that appends each argument it is given, one per line.
class OpenUrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp = std::make_unique<qr_test::TempDir>("qr_openurl");
    dir = temp->Path();
    log = dir + "/args";
    std::ofstream script(dir + "/xdg-open");
    script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" << log << "'; done\n";
    script.close();
    chmod((dir + "/xdg-open").c_str(), 0755);
    oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (dir + ":" + oldPath).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath.c_str(), 1);
    temp.reset();
  }
  std::string WaitForLog() {
    for (int i = 0; i < 500; ++i) {
      std::ifstream in(log);
      std::stringstream text;
      text << in.rdbuf();
      if (!text.str().empty()) return text.str();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
  }
  std::unique_ptr<qr_test::TempDir> temp;
  std::string dir, log, oldPath;
};

TEST_F(OpenUrlTest, TheUrlIsTheOpenersOneArgumentWithNoShellInBetween) {
  OxGlfwGame host;
  const std::string url = "http://example.invalid/a b?x=1&y=$(touch " + dir + "/pwned);z";
  host.OpenUrl(String("--help"));  // would be read as an option: refused
  host.OpenUrl(String(""));
  host.OpenUrl(String(url.c_str()));
  EXPECT_EQ(WaitForLog(), url + "\n");
  EXPECT_NE(access((dir + "/pwned").c_str(), F_OK), 0);
}

// A host whose window system cannot open a window.
class NoWindowHost : public OxGlfwGame {
 public:
  void SetGlfwWindow(int, int, int, int, int, int, int, int, bool) override {}
};

TEST(HostStart, WithoutAWindowTheGameIsNotStartedAndTheProgramFails) {
  NoWindowHost host;
  LogDelegate* delegate = new LogDelegate;
  host.SetDelegate(delegate);
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        host.Run();
      },
      ::testing::ExitedWithCode(255), std::string("^") + OX_WINDOW_OPEN_FAILED + "\n$");
  EXPECT_FALSE(host.Started());
}

// The entry with no application: without a display it says so and fails; with one, it has nothing
// to run and ends normally without a window.
TEST(HostStart, TheEntryNeedsTheWindowSystemAndRunsOnlyAnApplication) {
  const std::string prog = std::string(QR_TEST_BIN_DIR) + "/host_main_prog";
  struct Case {
    std::string command;
    std::string output;
    int status;
  } cases[] = {
      {"env -u DISPLAY -u WAYLAND_DISPLAY '" + prog + "'", std::string(OX_GLFW_INIT_FAILED) + "\n", 255},
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
  if (getenv("DISPLAY")) all.push_back({"'" + prog + "'", "", 0});
  for (const Case& c : all) {
    FILE* out = popen(c.command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string text;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, out)) text += buffer;
    int status = pclose(out);
    EXPECT_EQ(text, c.output) << c.command;
    ASSERT_TRUE(WIFEXITED(status)) << c.command;
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.command;
  }
}

}  // namespace
