// A small application on the real host and window that reports its input: one
// line per key hit, per queued character and per mouse button with the pointer.
#include <cstdio>

#include "framework/app.h"
#include "framework/input.h"

namespace {

constexpr int kUpdateRate = 60;
// Mouse buttons 0 to 2 (keys 1 to 3) report where the pointer was.
constexpr int kMouseButtons = 3;

void Line(const char* format, int a, int b = 0, int c = 0) {
  std::printf(format, a, b, c);
  std::putchar('\n');
  std::fflush(stdout);
}

class InputReportApp : public c_App {
 public:
  int p_OnCreate() override {
    ox_app_SetUpdateRate(kUpdateRate);
    Line("create %d", 0);
    return 0;
  }
  int p_OnUpdate() override {
    for (int key = 1; key < kKeyCount; ++key) {
      for (int n = ox_input_KeyHit(key); n > 0; --n) Line("hit %d", key);
    }
    for (int button = 0; button < kMouseButtons; ++button) {
      if (ox_input_MouseHit(button)) {
        Line("button %d at %d %d", button, int(ox_input_MouseX()), int(ox_input_MouseY()));
      }
    }
    while (int chr = ox_input_GetChar()) Line("char %d", chr);
    return 0;
  }
  int p_OnResume() override {
    Line("resume %d", 0);
    return 0;
  }
};

int CreateApp() {
  (new InputReportApp)->m_new();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ox_set_main(CreateApp);
  return OxTarnGame::Main(argc, const_cast<const char**>(argv));
}
