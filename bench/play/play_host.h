// The bench's host: the program's own host class with every update, render and collector step
// timed, and the window-system loop table wrapped so the bench hears each poll, swap and wait.
#pragma once

#include <atomic>
#include <vector>

#include "host/host_game.h"
#include "latency.h"

class c_MyApp;

namespace play {

// What the bench hears from the main loop, always on the main thread.
class LoopObserver {
 public:
  virtual ~LoopObserver() {}
  virtual void AfterPoll() {}    // after the real event poll of an active window
  virtual void AfterSwap() {}    // after every buffer swap
  virtual void AfterUpdate() {}  // after an update that ran (not while suspended)
};

// Running totals of the host's calls (seconds of thread CPU), and per-call samples (ms) kept
// while `recording` is set. Update and render exclude the collector step that follows them;
// the steps are counted on their own.
//
// The renderer times its GL draw calls on the wall clock, and inside them the thread may wait
// for the rasteriser rather than run, so "our own" part of a render is its wall time outside
// the draw calls, capped by the thread CPU the render used.
struct HostMeter {
  double updateCpu = 0;
  double renderCpu = 0;
  double renderOursCpu = 0;  // the part of renderCpu outside the GL draw calls
  double gcCpu = 0;
  double gcWall = 0;
  long long updates = 0;
  long long renders = 0;
  long long gcSteps = 0;
  long long gcBytes = 0;            // allocated through the collector, summed between steps
  long long multiUpdateFrames = 0;  // rendered frames that followed more than one update

  // A long gap between two updates, with the update before it: its CPU and the game's mode
  // before and after it (a change of screen shows as two different modes).
  struct Stall {
    double intervalMs;
    double updateMs;
    int modeBefore, modeAfter;
  };

  bool recording = false;
  std::vector<double> updateMs, renderMs, renderOursMs, pairMs, intervalMs, gcStepMs, swapMs;
  std::vector<double> drawCalls, flushes;  // per rendered frame
  std::vector<Stall> stalls;
  LatencyMeter latency;  // records on its own flag

  // Our own code's CPU so far: update and render less the GL draw calls, plus collector steps.
  double OursCpu() const { return updateCpu + renderOursCpu + gcCpu; }
};

// The production loop table with the bench in between.
class ProbedLoop : public OxLoopPlatform {
 public:
  void Wrap(OxLoopPlatform* inner, LoopObserver* observer, HostMeter* meter);

  double Time() override { return inner_->Time(); }
  void Sleep(double seconds) override { inner_->Sleep(seconds); }
  void SwapBuffers() override;
  void PollEvents() override;
  void WaitEvents() override;
  bool WindowOpen() override { return inner_->WindowOpen(); }
  bool WindowActive() override { return inner_->WindowActive(); }

  // Set while the main thread is blocked in the window system's event wait.
  std::atomic<bool> waiting{false};
  // Returns from that wait so far.
  std::atomic<long> waitReturns{0};

 private:
  OxLoopPlatform* inner_ = nullptr;
  LoopObserver* observer_ = nullptr;
  HostMeter* meter_ = nullptr;
};

// When the start-up reached each step, in monotonic seconds (0 until then): the host made (GLFW
// is initialised by then), the first window asked for and opened, the game started (devices made,
// its create callback run) and the first render begun.
struct StartupMarks {
  double hostMade = 0;
  double windowAsked = 0;
  double windowOpen = 0;
  double gameStarted = 0;
  double firstRender = 0;
};

class PlayHost : public OxTarnGame {
 public:
  // The observer the next host made by Make reports to; set before OxTarnGame::Main.
  static void SetObserver(LoopObserver* observer);
  // The factory handed to OxTarnGame::Main.
  static OxTarnGame* Make();
  static PlayHost* Instance() { return instance_; }

  void StartGame() override;
  void UpdateGame() override;
  void RenderGame() override;
  void gc_collect() override;
  // Opens the window as the program does, then gives it the keyboard focus: with no window
  // manager nothing else would, and an unfocused game stays suspended.
  void SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth, int stencil,
                     bool fullscreen) override;

  // The game object, once the runtime has made it (null before).
  c_MyApp* App() const;
  // The game window's X id, 0 when there is none.
  unsigned long XWindow() const;

  HostMeter meter;
  ProbedLoop loop;
  StartupMarks marks;

 private:
  explicit PlayHost(LoopObserver* observer);

  static PlayHost* instance_;
  static LoopObserver* nextObserver_;
  LoopObserver* observer_;
  int lastNewBytes_ = 0;
  double lastUpdateStart_ = -1;
  double lastUpdateCpu_ = 0;
  int lastModeBefore_ = 0, lastModeAfter_ = 0;
  double pendingUpdateCpu_ = 0;  // updates since the last render, for the pair
  int updatesSinceRender_ = 0;
};

}  // namespace play
