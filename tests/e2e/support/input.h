// The player's hands: real key presses and releases, pointer moves and button presses sent
// through the X server with xdotool (a drag is a press, moves and a release).
#pragma once

#include <set>
#include <string>
#include <vector>

namespace e2e {

struct Point {
  int x, y;
};

class Hands {
 public:
  explicit Hands(unsigned long window) : window_(window) {}
  void SetWindow(unsigned long window) { window_ = window; }

  // Gives the window the keyboard focus and waits until it has it.
  bool Focus();
  // Keys by their X names ("Down", "Return", "z", "F11"). The game reads most keys as held
  // or not at each update, so a journey holds a key until it sees the effect and then lets
  // go; Tap is for the keys the game counts as hits (function keys).
  bool Press(const std::string& key);
  bool Release(const std::string& key);
  bool Tap(const std::string& key);
  // The left mouse button, and the pointer in window coordinates.
  bool PressButton();
  bool ReleaseButton();
  bool MoveTo(Point p);
  // Lets go of every key and button still held, so that a journey that stopped half-way
  // leaves nothing pressed on the X server for the next one.
  void ReleaseAll();

 private:
  bool Xdo(const std::vector<std::string>& args);

  unsigned long window_;
  std::set<std::string> heldKeys_;
  bool buttonHeld_ = false;
};

// A pause long enough for several of the game's updates to run.
void Settle(int updates = 12);

}  // namespace e2e
