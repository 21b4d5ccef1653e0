// The scripted loop platform's sleeps and event steps.
#include "tests/support/scripted_clock.h"

namespace qr_test {

void ScriptedClock::Sleep(double length) {
  sleeps.push_back(length);
  if (sleepMovesTime) seconds += length;
}

void ScriptedClock::PollEvents() {
  ++polls;
  if (onEvents) onEvents(swaps);
}

void ScriptedClock::WaitEvents() {
  ++waits;
  if (onEvents) onEvents(swaps);
}

}  // namespace qr_test
