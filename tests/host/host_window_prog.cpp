// A small application on the real host and window: prints one line per lifecycle callback, so that
// the window test can follow creation, updates, renders, suspend and resume from outside.
#include <chrono>
#include <cstdio>

#include "framework/app.h"

namespace {

constexpr int kUpdateRate = 60;

void Line(const char* format, int a = 0, int b = 0) {
  std::printf(format, a, b);
  std::putchar('\n');
  std::fflush(stdout);
}

class WindowTestApp : public c_App {
 public:
  int p_OnCreate() override {
    Line("create %d %d", ox_app_DeviceWidth(), ox_app_DeviceHeight());
    ox_app_SetUpdateRate(kUpdateRate);
    return 0;
  }
  int p_OnUpdate() override {
    Line("update %d", ox_app_Millisecs());
    return 0;
  }
  int p_OnRender() override {
    Line("render");
    return 0;
  }
  int p_OnSuspend() override {
    Line("suspend");
    return 0;
  }
  int p_OnResume() override {
    Line("resume");
    return 0;
  }
};

int CreateApp() {
  (new WindowTestApp)->m_new();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ox_set_main(CreateApp);
  return OxTarnGame::Main(argc, const_cast<const char**>(argv));
}
