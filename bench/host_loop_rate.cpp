// The main loop's update rate and its jitter on the real window: runs the host at 60 updates per
// second for a measured span and prints the rate and the spread of the intervals between updates.
// Run it under a display: xvfb-run -a -s "-screen 0 1280x1024x24" <build>/bench/qr_host_loop_rate
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/host_game.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kUpdateRate = 60;
constexpr double kWarmUpSeconds = 1.0;    // window creation and first frames are left out
constexpr double kMeasureSeconds = 10.0;  // the span the figures cover
constexpr double kMillis = 1000.0;
constexpr double kPercentile = 0.99;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Records the time of every update; prints the figures and ends the program when the span is over.
class RateDelegate : public OxGameDelegate {
 public:
  void UpdateGame() override {
    Clock::time_point now = Clock::now();
    if (!started) {
      started = true;
      begin = now;
    }
    double since = Seconds(now - begin);
    if (since < kWarmUpSeconds) return;
    times.push_back(now);
    if (since >= kWarmUpSeconds + kMeasureSeconds) Report();
  }
  void RenderGame() override { ++renders; }
  void SuspendGame() override { std::puts("suspended: the window lost the focus; figures are void"); }

 private:
  void Report() {
    std::vector<double> intervals;
    for (size_t i = 1; i < times.size(); ++i) intervals.push_back(Seconds(times[i] - times[i - 1]));
    double span = Seconds(times.back() - times.front());
    double mean = span / intervals.size();
    double variance = 0;
    for (double d : intervals) variance += (d - mean) * (d - mean);
    double deviation = std::sqrt(variance / intervals.size());
    std::vector<double> offsets;
    for (double d : intervals) offsets.push_back(std::fabs(d - 1.0 / kUpdateRate));
    std::sort(offsets.begin(), offsets.end());
    auto [shortest, longest] = std::minmax_element(intervals.begin(), intervals.end());

    std::printf("update rate asked:        %d per second\n", kUpdateRate);
    std::printf("measured over:            %.2f s, %zu updates, %d renders in all\n", span,
                intervals.size(), renders);
    std::printf("update rate:              %.3f per second\n", intervals.size() / span);
    std::printf("interval mean:            %.3f ms\n", mean * kMillis);
    std::printf("jitter (std deviation):   %.3f ms\n", deviation * kMillis);
    std::printf("interval min / max:       %.3f / %.3f ms\n", *shortest * kMillis, *longest * kMillis);
    std::printf("99th percentile |offset|: %.3f ms from the 16.667 ms period\n",
                offsets[static_cast<size_t>(kPercentile * (offsets.size() - 1))] * kMillis);
    std::fflush(stdout);
    std::exit(0);
  }

  bool started = false;
  Clock::time_point begin;
  std::vector<Clock::time_point> times;
  int renders = 0;
};

int Start() {
  OxGame::_game->SetDelegate(new RateDelegate);
  OxGame::_game->SetUpdateRate(kUpdateRate);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ox_set_main(Start);
  return OxTarnGame::Main(argc, const_cast<const char**>(argv));
}
