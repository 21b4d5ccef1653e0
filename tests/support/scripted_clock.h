// The loop platform of tests and benchmarks that own time: the clock reads what the caller set,
// and swaps, event steps, sleeps and focus are counted or scripted instead of reaching a window.
#pragma once

#include <functional>
#include <vector>

#include "host/host_game.h"

namespace qr_test {

class ScriptedClock : public OxLoopPlatform {
 public:
  explicit ScriptedClock(double start = 0) : seconds(start) {}

  double seconds;  // the clock's reading; only the caller (or a moving sleep) changes it
  // Whether a sleep moves the clock on by its length (a loop left to pace itself) or leaves it
  // where the caller put it (frames stepped by hand).
  bool sleepMovesTime = false;
  // The window closes after this many buffer swaps; negative: it stays open.
  int frames = -1;
  bool active = true;
  int swaps = 0;
  int polls = 0;
  int waits = 0;
  std::vector<double> sleeps;
  // Runs in each event step (as window callbacks would) with the number of swaps so far.
  std::function<void(int frame)> onEvents;

  double Time() override { return seconds; }
  void Sleep(double length) override;
  void SwapBuffers() override { ++swaps; }
  void PollEvents() override;
  void WaitEvents() override;
  bool WindowOpen() override { return frames < 0 || swaps < frames; }
  bool WindowActive() override { return active; }
};

}  // namespace qr_test
