// The application layer on the platform-neutral test host: registering the one application,
// display modes without duplicates, the window size as updates and renders see it, the module
// functions, input around each update, the keys that end the program, and the framework's roots.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "framework/app.h"
#include "framework/input.h"

namespace {

using Ev = c_OxGameEvent;
using Size = std::pair<int, int>;

// The test host: window size, display modes, desktop, clock and state are the test's.
class TestHost : public OxGame {
 public:
  int width = 640, height = 480;
  std::vector<Size> modes;
  bool hasDesktop = true;
  Size desktop{1280, 1024};
  int clock = 0;
  String saved;

  int GetDeviceWidth() override { return width; }
  int GetDeviceHeight() override { return height; }
  Array<OxDisplayMode*> GetDisplayModes() override {
    Array<OxDisplayMode*> result(static_cast<int>(modes.size()));
    for (size_t i = 0; i < modes.size(); ++i) {
      OxDisplayMode* m = new OxDisplayMode;
      m->width = modes[i].first;
      m->height = modes[i].second;
      m->depth = static_cast<int>(i);  // differs between modes of one size
      gc_assign(result[static_cast<int>(i)], m);
    }
    return result;
  }
  OxDisplayMode* GetDesktopMode() override {
    if (!hasDesktop) return nullptr;
    OxDisplayMode* m = new OxDisplayMode;
    m->width = desktop.first;
    m->height = desktop.second;
    return m;
  }
  int Millisecs() override { return clock; }
  int SaveState(String state) override {
    saved = state;
    return 0;
  }
  String LoadState() override { return saved; }
  // Started as if the window were open: the delegate's own start opens devices that need one.
  void MarkStarted() { _started = true; }
};

// Records what its update saw of the input and the window size.
class RecordingApp : public c_App {
 public:
  std::vector<std::string> seen;
  int p_OnUpdate() override {
    seen.push_back("hit " + std::to_string(ox_input_KeyHit(65)) + " down " +
                   std::to_string(ox_input_KeyDown(65)) + " size " +
                   std::to_string(ox_app_DeviceWidth()) + "x" + std::to_string(ox_app_DeviceHeight()));
    return 0;
  }
};

class App : public ::testing::Test {
 protected:
  void SetUp() override {
    oxInit();  // every framework global back to its start, with this host as ox_app__game
    gc_mark();
  }
  RecordingApp* CreateApp() { return static_cast<RecordingApp*>((new RecordingApp)->m_new()); }
  // The delegate with the one device it needs without a window.
  void AttachInput() {
    gc_assign(ox_app__delegate->m_input, (new c_InputDevice)->m_new());
    ox_input_SetInputDevice(ox_app__delegate->m_input);
  }
  std::vector<Size> Modes() {
    std::vector<Size> sizes;
    for (int i = 0; i < ox_app__displayModes.Length(); ++i) {
      sizes.emplace_back(ox_app__displayModes[i]->m_width, ox_app__displayModes[i]->m_height);
    }
    return sizes;
  }

  TestHost host;
};

TEST_F(App, CreatingTheAppRegistersItAndHandsItsDelegateToTheHost) {
  EXPECT_EQ(ox_app__game, &host);
  RecordingApp* app = CreateApp();
  EXPECT_EQ(ox_app__app, app);
  ASSERT_NE(ox_app__delegate, nullptr);
  EXPECT_EQ(host.Delegate(), ox_app__delegate);
  EXPECT_EQ(ox_app__delegate->m_graphics, nullptr);
  EXPECT_EQ(ox_app__delegate->m_audio, nullptr);
  EXPECT_EQ(ox_app__delegate->m_input, nullptr);
}

TEST_F(App, ASecondAppIsARuntimeError) {
  CreateApp();
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);  // the message goes to standard output
        std::freopen("/dev/null", "r", stdin);  // no debugger answers
        CreateApp();
      },
      ::testing::ExitedWithCode(255),
      std::string(OX_RUNTIME_ERROR_PREFIX) + OX_APP_ALREADY_CREATED);
}

TEST_F(App, DisplayModesCollapseBySizeInFirstSeenOrder) {
  struct Case {
    const char* what;
    std::vector<Size> modes;
    bool hasDesktop;
    std::vector<Size> expected;
    Size expectedDesktop;
  } cases[] = {
      {"one size at several depths is one mode",
       {{800, 600}, {640, 480}, {800, 600}, {1024, 768}, {640, 480}},
       true,
       {{800, 600}, {640, 480}, {1024, 768}},
       {1280, 1024}},
      {"sizes that share a width or a height stay apart",
       {{800, 600}, {800, 480}, {640, 600}},
       true,
       {{800, 600}, {800, 480}, {640, 600}},
       {1280, 1024}},
      {"no modes", {}, true, {}, {1280, 1024}},
      {"no desktop mode: the window's size stands in", {{800, 600}}, false, {{800, 600}}, {640, 480}},
  };
  CreateApp();
  ox_app_ValidateDeviceWindow(false);
  for (const Case& c : cases) {
    host.modes = c.modes;
    host.hasDesktop = c.hasDesktop;
    ox_app_EnumDisplayModes();
    EXPECT_EQ(Modes(), c.expected) << c.what;
    ASSERT_NE(ox_app__desktopMode, nullptr);
    EXPECT_EQ(Size(ox_app__desktopMode->m_width, ox_app__desktopMode->m_height), c.expectedDesktop)
        << c.what;
  }
  host.modes.clear();
  ox_app_EnumDisplayModes();
  EXPECT_EQ(ox_app__displayModes.GetRep(), &Array<c_DisplayMode*>::nullRep);
}

TEST_F(App, UpdatesSeeTheWindowSizeAndTheInputOfTheirOwnFrame) {
  RecordingApp* app = CreateApp();
  AttachInput();
  host.MarkStarted();
  EXPECT_EQ(ox_app_DeviceWidth(), 0);

  ox_app__delegate->UpdateGame();
  host.width = 800;
  host.height = 600;
  EXPECT_EQ(ox_app_DeviceWidth(), 640);  // not before the next update or render
  host.KeyEvent(Ev::m_KeyDown, 65);
  host.UpdateGame();
  host.UpdateGame();  // the key is still held, but its hit was counted in the last update
  host.KeyEvent(Ev::m_KeyUp, 65);
  host.UpdateGame();
  EXPECT_EQ(app->seen, (std::vector<std::string>{"hit 0 down 0 size 640x480",
                                                 "hit 1 down 1 size 800x600",
                                                 "hit 0 down 1 size 800x600",
                                                 "hit 0 down 0 size 800x600"}));
}

TEST_F(App, ModuleFunctionsGoThroughTheHost) {
  CreateApp();
  ox_app_SetUpdateRate(30);
  EXPECT_EQ(ox_app__updateRate, 30);
  EXPECT_EQ(host.UpdateRate(), 30);
  host.clock = 1234;
  EXPECT_EQ(ox_app_Millisecs(), 1234);
  EXPECT_EQ(ox_app_SaveState(String("state")), 0);
  EXPECT_TRUE(ox_app_LoadState() == String("state"));
}

TEST_F(App, TheBackAndCloseKeysEndTheProgramWithoutAskingTheGame) {
  CreateApp();
  AttachInput();
  host.MarkStarted();
  for (int key : {kBackKey, kWindowCloseKey}) {
    host.KeyEvent(Ev::m_KeyUp, key);  // only a key-down ends it
    EXPECT_EXIT(host.KeyEvent(Ev::m_KeyDown, key), ::testing::ExitedWithCode(0), "") << key;
  }
  EXPECT_EXIT(ox_app_EndApp(), ::testing::ExitedWithCode(0), "");
}

TEST_F(App, TheApplicationAndItsModesAreRoots) {
  CreateApp();
  AttachInput();
  host.modes = {{800, 600}, {640, 480}};
  ox_app_EnumDisplayModes();
  for (int i = 0; i < 3; ++i) {
    gc_collect_all();
    Array<char> churn(4096);  // runs the destructors of whatever was found to be garbage
    (void)churn;
  }
  EXPECT_STREQ(gc_check_heap(), "");
  EXPECT_EQ(Modes(), (std::vector<Size>{{800, 600}, {640, 480}}));
  EXPECT_EQ(ox_app__desktopMode->m_width, 1280);
  EXPECT_EQ(host.Delegate(), ox_app__delegate);
  host.MarkStarted();
  host.UpdateGame();  // a collected app or delegate would be a use after free here
  EXPECT_EQ(static_cast<RecordingApp*>(ox_app__app)->seen.size(), 1u);
}

}  // namespace
