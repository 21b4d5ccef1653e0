// Input latency as the player meets it: from an input event reaching the host's callback to the
// end of the buffer swap of the first frame drawn after the update that consumed it, kept apart
// for keys and for the mouse's drags. Beside it, how long each event was due before the event
// poll handed it over (the time a real event waits in the window system's queue while the loop
// sleeps), and the whole span from due to swap.
#pragma once

#include <vector>

#include "clocks.h"

namespace play {

enum class InputKind { kKey, kDrag };

struct LatencySamples {
  std::vector<double> toSwapMs;    // callback to the end of the swap
  std::vector<double> queuedMs;    // due to callback
  std::vector<double> dueToSwapMs; // due to the end of the swap
};

class LatencyMeter {
 public:
  // Each hook is given the monotonic time in seconds; only called on the main thread.
  // An event reaches the host's callback now; it was due at `due`.
  void Input(InputKind kind, double due, double now) {
    if (recording) pending_.push_back({kind, due, now, false});
  }
  // An update ran: every event that reached the host before it is consumed.
  void UpdateRan() {
    for (Pending& p : pending_) p.consumed = true;
  }
  // A swap ended: the frame it showed was drawn after the updates that consumed those events.
  void Swapped(double now) {
    size_t kept = 0;
    for (const Pending& p : pending_) {
      if (!p.consumed) {
        pending_[kept++] = p;
        continue;
      }
      LatencySamples& s = p.kind == InputKind::kKey ? keys : drags;
      s.toSwapMs.push_back((now - p.at) * kMillisPerSecond);
      s.queuedMs.push_back((p.at - p.due) * kMillisPerSecond);
      s.dueToSwapMs.push_back((now - p.due) * kMillisPerSecond);
    }
    pending_.resize(kept);
  }
  // Stops recording; events not yet shown are dropped.
  void Stop() {
    recording = false;
    pending_.clear();
  }

  bool recording = false;
  LatencySamples keys, drags;

 private:
  struct Pending {
    InputKind kind;
    double due, at;
    bool consumed;
  };
  std::vector<Pending> pending_;
};

}  // namespace play
