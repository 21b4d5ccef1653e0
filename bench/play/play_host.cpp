// The bench's host: thread-CPU timing around the guarded update, render and collector step,
// the interval between updates, collector bytes, and the wrapped window-system loop table.
#include "play_host.h"

#include <GLFW/glfw3.h>

#include <algorithm>

#include "clocks.h"
#include "framework/app.h"
#include "game/my_app.h"
#include "host/renderer.h"
#include "x_session.h"

namespace play {

namespace {

// Gaps between updates longer than three update periods are kept as stalls.
constexpr double kStallMs = 3 * 1000.0 / 60;

}  // namespace

PlayHost* PlayHost::instance_ = nullptr;
LoopObserver* PlayHost::nextObserver_ = nullptr;

void ProbedLoop::Wrap(OxLoopPlatform* inner, LoopObserver* observer, HostMeter* meter) {
  inner_ = inner;
  observer_ = observer;
  meter_ = meter;
}

void ProbedLoop::SwapBuffers() {
  const double t0 = MonotonicSeconds();
  inner_->SwapBuffers();
  const double t1 = MonotonicSeconds();
  if (meter_->recording) meter_->swapMs.push_back((t1 - t0) * kMillisPerSecond);
  meter_->latency.Swapped(t1);
  observer_->AfterSwap();
}

void ProbedLoop::PollEvents() {
  inner_->PollEvents();
  observer_->AfterPoll();
}

void ProbedLoop::WaitEvents() {
  waiting = true;
  inner_->WaitEvents();
  waiting = false;
  ++waitReturns;
}

void PlayHost::SetObserver(LoopObserver* observer) { nextObserver_ = observer; }

OxTarnGame* PlayHost::Make() { return new PlayHost(nextObserver_); }

PlayHost::PlayHost(LoopObserver* observer) : observer_(observer) {
  marks.hostMade = MonotonicSeconds();
  instance_ = this;
  // The program's data folder is the build folder's, not the one beside this executable.
  _baseDir = String(QR_PROGRAM_DIR);
  loop.Wrap(LoopPlatform(), observer_, &meter);
  SetLoopPlatform(&loop);
}

c_MyApp* PlayHost::App() const { return static_cast<c_MyApp*>(ox_app__app); }

unsigned long PlayHost::XWindow() const { return XSession::WindowOf(Window()); }

void PlayHost::SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                             int stencil, bool fullscreen) {
  if (marks.windowAsked == 0) marks.windowAsked = MonotonicSeconds();
  OxTarnGame::SetGlfwWindow(width, height, red, green, blue, alpha, depth, stencil, fullscreen);
  if (marks.windowOpen == 0) marks.windowOpen = MonotonicSeconds();
  if (Window()) glfwFocusWindow(Window());
}

void PlayHost::StartGame() {
  OxTarnGame::StartGame();
  if (marks.gameStarted == 0) marks.gameStarted = MonotonicSeconds();
}

void PlayHost::UpdateGame() {
  const bool runs = Started() && !Suspended();
  const int modeBefore = App() ? App()->m_mode : 0;
  const double start = MonotonicSeconds();
  const double gcBefore = meter.gcCpu;
  const double t0 = ThreadCpuSeconds();
  OxTarnGame::UpdateGame();
  const double cpu = ThreadCpuSeconds() - t0 - (meter.gcCpu - gcBefore);
  if (!runs) return;
  meter.latency.UpdateRan();
  meter.updateCpu += cpu;
  ++meter.updates;
  pendingUpdateCpu_ += cpu;
  ++updatesSinceRender_;
  if (meter.recording) {
    meter.updateMs.push_back(cpu * kMillisPerSecond);
    if (lastUpdateStart_ >= 0) {
      const double interval = (start - lastUpdateStart_) * kMillisPerSecond;
      meter.intervalMs.push_back(interval);
      if (interval > kStallMs) {
        meter.stalls.push_back(
            {interval, lastUpdateCpu_ * kMillisPerSecond, lastModeBefore_, lastModeAfter_});
      }
    }
  }
  lastUpdateStart_ = start;
  lastUpdateCpu_ = cpu;
  lastModeBefore_ = modeBefore;
  lastModeAfter_ = App() ? App()->m_mode : 0;
  observer_->AfterUpdate();
}

void PlayHost::RenderGame() {
  gxtkGraphics* graphics = ox_app__delegate ? ox_app__delegate->m_graphics : nullptr;
  if (graphics) graphics->stats.timeSubmits = true;
  const long long submit0 = graphics ? graphics->stats.submitNanos : 0;
  const long long calls0 = graphics ? graphics->stats.drawCalls : 0;
  const long long flushes0 = graphics ? graphics->stats.flushes : 0;
  const double gcBefore = meter.gcCpu, gcWallBefore = meter.gcWall;
  const double wall0 = MonotonicSeconds();
  if (marks.firstRender == 0) marks.firstRender = wall0;
  const double t0 = ThreadCpuSeconds();
  OxTarnGame::RenderGame();
  const double cpu = ThreadCpuSeconds() - t0 - (meter.gcCpu - gcBefore);
  const double wall = MonotonicSeconds() - wall0 - (meter.gcWall - gcWallBefore);
  if (!Started()) return;
  const double submit = graphics ? (graphics->stats.submitNanos - submit0) / kNanosPerSecond : 0;
  const double ours = std::clamp(wall - submit, 0.0, cpu);
  meter.renderCpu += cpu;
  meter.renderOursCpu += ours;
  ++meter.renders;
  if (updatesSinceRender_ > 1) ++meter.multiUpdateFrames;
  if (meter.recording) {
    meter.renderMs.push_back(cpu * kMillisPerSecond);
    meter.renderOursMs.push_back(ours * kMillisPerSecond);
    if (updatesSinceRender_ > 0) meter.pairMs.push_back((pendingUpdateCpu_ + cpu) * kMillisPerSecond);
    if (graphics) {
      meter.drawCalls.push_back(static_cast<double>(graphics->stats.drawCalls - calls0));
      meter.flushes.push_back(static_cast<double>(graphics->stats.flushes - flushes0));
    }
  }
  pendingUpdateCpu_ = 0;
  updatesSinceRender_ = 0;
}

// gc_new_bytes only grows between steps until a full collection sets it back to 0, so the
// growth since the last step is what was allocated in between.
void PlayHost::gc_collect() {
  const int before = gc_new_bytes;
  meter.gcBytes += before >= lastNewBytes_ ? before - lastNewBytes_ : before;
  const double wall0 = MonotonicSeconds();
  const double t0 = ThreadCpuSeconds();
  OxTarnGame::gc_collect();
  const double cpu = ThreadCpuSeconds() - t0;
  meter.gcWall += MonotonicSeconds() - wall0;
  lastNewBytes_ = gc_new_bytes;
  meter.gcCpu += cpu;
  ++meter.gcSteps;
  if (meter.recording) meter.gcStepMs.push_back(cpu * kMillisPerSecond);
}

}  // namespace play
