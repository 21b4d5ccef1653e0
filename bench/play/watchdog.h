// The bench's guard against hanging: each phase arms a deadline, and a thread of its own ends
// the process with a message naming the phase when one is missed.
#pragma once

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "clocks.h"

namespace play {

// Exit status of a bench that gave up on a phase.
constexpr int kExitPhaseTimedOut = 3;

class Watchdog {
 public:
  void Start() {
    std::thread([this] { Watch(); }).detach();
  }
  void Arm(const char* phase, double seconds) {
    phase_ = phase;
    limit_ = seconds;
    deadline_ = MonotonicSeconds() + seconds;
  }
  void Disarm() { deadline_ = 0; }

 private:
  static constexpr auto kTick = std::chrono::milliseconds(100);

  void Watch() {
    for (;;) {
      std::this_thread::sleep_for(kTick);
      const double deadline = deadline_;
      if (deadline > 0 && MonotonicSeconds() > deadline) {
        std::printf("qr_play_bench: %s did not finish within %.0f s; giving up\n", phase_.load(),
                    limit_.load());
        std::fflush(stdout);
        _exit(kExitPhaseTimedOut);
      }
    }
  }

  std::atomic<double> deadline_{0};
  std::atomic<double> limit_{0};
  std::atomic<const char*> phase_{""};
};

}  // namespace play
