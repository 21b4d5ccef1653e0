// xdotool as a subprocess (never through a shell), with a time limit on every call.
#include "support/input.h"

#include <chrono>
#include <thread>

#include "support/game_process.h"
#include "support/window_manager.h"

namespace e2e {

namespace {

using std::chrono::milliseconds;

constexpr auto kXdoPatience = std::chrono::seconds(30);
// A tapped key is held this long: the game counts function keys as hits, which a press and
// release within one of its event polls still makes.
constexpr milliseconds kHold{200};
constexpr milliseconds kUpdate{17};  // one update at 60 a second, rounded up

void Sleep(milliseconds d) { std::this_thread::sleep_for(d); }

}  // namespace

void Settle(int updates) { Sleep(kUpdate * updates); }

bool Hands::Xdo(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunCommand(argv, kXdoPatience) == 0;
}

// A window manager decides who has the focus: the window is activated through it, as a click
// on it would; a bare server takes the focus as it is set.
bool Hands::Focus() {
  return Xdo({UnderManager() ? "windowactivate" : "windowfocus", "--sync", std::to_string(window_)});
}

bool Hands::Press(const std::string& key) {
  heldKeys_.insert(key);
  return Xdo({"keydown", key});
}

bool Hands::Release(const std::string& key) {
  heldKeys_.erase(key);
  return Xdo({"keyup", key});
}

bool Hands::Tap(const std::string& key) {
  bool ok = Press(key);
  Sleep(kHold);
  return Release(key) && ok;
}

bool Hands::PressButton() {
  buttonHeld_ = true;
  return Xdo({"mousedown", "1"});
}

bool Hands::ReleaseButton() {
  buttonHeld_ = false;
  return Xdo({"mouseup", "1"});
}

void Hands::ReleaseAll() {
  while (!heldKeys_.empty()) Release(*heldKeys_.begin());
  if (buttonHeld_) ReleaseButton();
}

bool Hands::MoveTo(Point p) {
  return Xdo({"mousemove", "--window", std::to_string(window_), std::to_string(p.x),
              std::to_string(p.y)});
}

}  // namespace e2e
