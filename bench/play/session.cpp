// The measured session: its phases run from the loop's poll hook on the main thread, except the
// suspended window, which a thread of its own measures while the main thread is blocked.
#include "session.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "assets.h"
#include "clocks.h"
#include "game/my_app.h"
#include "game/rules.h"
#include "memory_map.h"
#include "summary.h"

namespace play {

namespace {

constexpr double kSecondsPerMinute = 60;
constexpr long kTilesPerLine = 3;  // a line clears three tiles (a longer one counts again)
constexpr double kPercent = 100;
constexpr double kUpdatePeriodMs = 1000.0 / 60;  // the game's update rate
// Phase limits in seconds, beyond the time a phase is meant to take.
constexpr double kLoadLimit = 60;       // from the window to the menu
constexpr double kFirstGameLimit = 60;  // from the menu to the first game
constexpr double kPhaseMargin = 120;    // play and memory beyond their length
constexpr double kToMenuLimit = 90;     // leaving the game for the menu
constexpr double kIdleMargin = 60;      // either idle window beyond its length
// The menu is left this long after it settles before the idle window opens.
constexpr double kMenuSettleSeconds = 1.0;
// The suspended window: how long the main thread may take to block, and how long after it
// blocks the window opens (the suspend saves the state file first).
constexpr double kBlockPatience = 10;
constexpr auto kBlockPoll = std::chrono::milliseconds(5);
constexpr auto kSuspendSettle = std::chrono::milliseconds(250);
// Expected samples per second of play, to reserve room before recording.
constexpr int kCallsPerSecond = 4 * 60;
// The longest gaps between updates listed in the play report.
constexpr size_t kStallsShown = 3;
// Exit status when some figure could not be measured.
constexpr int kExitFiguresMissing = 1;

void PrintSpread(const char* what, const Summary& s) {
  std::printf("  %-44s median %7.3f  p99 %7.3f  max %7.3f ms  (%zu)\n", what, s.median, s.p99, s.max,
              s.count);
}

}  // namespace

PlaySession::PlaySession(const SessionOptions& options, Watchdog* watchdog, int missingBefore)
    : options_(options), watchdog_(watchdog), player_(options.seed, this), missing_(missingBefore) {
  x_.Open();
  watchdog_->Arm("loading the game", kLoadLimit);
}

const char* PlaySession::PhaseName() const {
  switch (phase_) {
    case Phase::kLoading:
      return "loading";
    case Phase::kPlaying:
      return "play";
    case Phase::kToMenu:
      return "the way back to the menu";
    case Phase::kMenuSettle:
    case Phase::kMenuIdle:
      return "the idle menu";
    case Phase::kSuspended:
      return "the suspended window";
  }
  return "?";
}

void PlaySession::MoveTo(int x, int y) { x_.WarpPointer(host_ ? host_->XWindow() : 0, x, y); }

void PlaySession::Sending(bool key, double due) {
  if (host_) host_->meter.latency.Input(key ? InputKind::kKey : InputKind::kDrag, due, MonotonicSeconds());
}

PlaySession::Snapshot PlaySession::Take() const {
  Snapshot s;
  s.wall = MonotonicSeconds();
  s.processCpu = ProcessCpuSeconds();
  const HostMeter& m = host_->meter;
  s.oursCpu = m.OursCpu();
  s.updates = m.updates;
  s.renders = m.renders;
  s.gcBytes = m.gcBytes;
  s.gcSteps = m.gcSteps;
  return s;
}

void PlaySession::Figure(const std::string& key, double value, const char* unit) {
  PrintFigure(key, value, unit);
}

void PlaySession::Missing(const std::string& key, const std::string& why) {
  ++missing_;
  std::printf("%s: not measured: %s\n", key.c_str(), why.c_str());
  std::fflush(stdout);
}

// ---- What the game shows after each update --------------------------------------------------

void PlaySession::AfterUpdate() {
  c_MyApp* app = PlayHost::Instance()->App();
  if (!app) return;
  if (lastLoadStep_ == 0 && app->m_loadStep == 0 && app->m_mode == kModeMenu) menuShown_ = true;
  lastLoadStep_ = app->m_loadStep;

  const int mode = app->m_mode;
  if (mode == kModePlaying && lastMode_ != kModePlaying) ++tally_.gamesStarted;
  if (lastMode_ == kModePlaying && mode != kModePlaying) {
    ++tally_.gamesFinished;
    tally_.points += lastScore_;
    if (lastScore_ > tally_.bestScore) tally_.bestScore = lastScore_;
  }
  if (mode == kModePlaying) {
    const float cleared = app->m_player[kPlCleared];
    if (cleared > lastCleared_) {
      tally_.tilesCleared += static_cast<long>(cleared - lastCleared_);
      ++tally_.clears;
    }
    lastCleared_ = cleared;
    const float done = app->m_player[kPlBoardDone];
    if (done != 0 && lastBoardDone_ == 0) ++tally_.boardsFinished;
    lastBoardDone_ = done;
  }
  lastScore_ = app->m_score;
  lastMode_ = mode;
}

// ---- The phases -------------------------------------------------------------------------------

void PlaySession::AfterPoll() {
  host_ = PlayHost::Instance();
  c_MyApp* app = host_->App();
  if (!app) return;
  const double now = MonotonicSeconds();
  switch (phase_) {
    case Phase::kLoading:
      if (menuShown_) {
        phase_ = Phase::kPlaying;
        player_.SetGoal(ScriptedPlayer::Goal::kPlay, now);
        watchdog_->Arm("starting the first game", kFirstGameLimit);
      }
      break;
    case Phase::kPlaying:
      Play(now);
      break;
    case Phase::kToMenu:
      if (player_.Quiet() && ScriptedPlayer::AtRestInMenu(app)) {
        player_.SetGoal(ScriptedPlayer::Goal::kIdle, now);
        phase_ = Phase::kMenuSettle;
        phaseUntil_ = now + kMenuSettleSeconds;
        watchdog_->Arm("the idle menu", kMenuSettleSeconds + options_.idleSeconds + kIdleMargin);
      }
      break;
    case Phase::kMenuSettle:
      if (now >= phaseUntil_) {
        idleStart_ = Take();
        phase_ = Phase::kMenuIdle;
        phaseUntil_ = now + options_.idleSeconds;
      }
      break;
    case Phase::kMenuIdle:
      if (now >= phaseUntil_) {
        MeasureMenuIdle(now);
        StartSuspendProbe();
        phase_ = Phase::kSuspended;
      }
      break;
    case Phase::kSuspended:
      if (probeDone_) Finish();
      break;
  }
  player_.Step(app, now);
}

void PlaySession::Play(double now) {
  c_MyApp* app = host_->App();
  if (playStart_ < 0) {
    if (app->m_mode != kModePlaying) return;
    playStart_ = now;
    BeginRecording(now);
    const double span = std::max(options_.playSeconds, options_.rssMinutes * kSecondsPerMinute);
    watchdog_->Arm("play", span + kPhaseMargin);
    std::printf("play: the first game on Normal started; playing for %.0f s, memory until minute %d\n",
                options_.playSeconds, options_.rssMinutes);
    std::fflush(stdout);
    return;
  }
  const double elapsed = now - playStart_;
  if (recording_ && elapsed >= options_.playSeconds) EndRecording(now);
  SampleMinutes(elapsed);
  if (recorded_ && nextMinute_ > options_.rssMinutes) {
    const PlayerCounts& c = player_.counts();
    std::printf(
        "play in all: %.1f min, games %ld started and %ld finished, %ld boards cleared, %ld tiles "
        "(%ld lines) in %ld clears, %lld points (best game %d); %ld key presses, %ld drags\n",
        elapsed / kSecondsPerMinute, tally_.gamesStarted, tally_.gamesFinished, tally_.boardsFinished,
        tally_.tilesCleared, tally_.tilesCleared / kTilesPerLine, tally_.clears, tally_.points,
        tally_.bestScore, c.keyPresses, c.drags);
    phase_ = Phase::kToMenu;
    player_.SetGoal(ScriptedPlayer::Goal::kMenu, now);
    watchdog_->Arm("the way back to the menu", kToMenuLimit);
  }
}

void PlaySession::BeginRecording(double) {
  HostMeter& m = host_->meter;
  const size_t room = static_cast<size_t>(options_.playSeconds * kCallsPerSecond);
  for (auto* v : {&m.updateMs, &m.renderMs, &m.renderOursMs, &m.pairMs, &m.intervalMs, &m.gcStepMs, &m.swapMs,
                  &m.drawCalls, &m.flushes}) {
    v->clear();
    v->reserve(room);
  }
  m.stalls.clear();
  m.latency = LatencyMeter();
  m.latency.recording = true;
  recordStart_ = Take();
  m.recording = true;
  recording_ = true;
}

void PlaySession::EndRecording(double) {
  HostMeter& m = host_->meter;
  m.recording = false;
  m.latency.Stop();
  recording_ = false;
  recorded_ = true;
  const Snapshot end = Take();
  const double span = end.wall - recordStart_.wall;
  const long long updates = end.updates - recordStart_.updates;
  const long long renders = end.renders - recordStart_.renders;

  const Summary update = Summarise(m.updateMs), render = Summarise(m.renderMs);
  const Summary ours = Summarise(m.renderOursMs), pair = Summarise(m.pairMs);
  const Summary interval = Summarise(m.intervalMs), gc = Summarise(m.gcStepMs), swap = Summarise(m.swapMs);
  const PlayerCounts& c = player_.counts();

  std::printf(
      "play: %.1f s from the first game on Normal: %lld updates (%.2f a second), %lld rendered frames, "
      "%lld of them after more than one update\n",
      span, updates, updates / span, renders, m.multiUpdateFrames);
  std::printf(
      "play: games %ld started and %ld finished, %ld boards cleared, %ld tiles (%ld lines) in %ld clears, "
      "%lld points (best game %d)\n",
      tally_.gamesStarted, tally_.gamesFinished, tally_.boardsFinished, tally_.tilesCleared,
      tally_.tilesCleared / kTilesPerLine, tally_.clears, tally_.points, tally_.bestScore);
  std::printf(
      "play: input %ld key presses: %ld cursor moves, %ld key pushes, %ld mouse drags, %ld on a way to a "
      "line, "
      "%ld on menus\n",
      c.keyPresses, c.cursorMoves, c.pushes, c.drags, c.aimedPushes, c.menuKeys);
  std::printf("play: thread CPU per call (update and render without the collector step after them):\n");
  PrintSpread("update", update);
  PrintSpread("render", render);
  PrintSpread("render outside the GL draw calls", ours);
  PrintSpread("update(s) + render of a frame", pair);
  PrintSpread("collector step (after every host call)", gc);
  PrintSpread("buffer swap (wall)", swap);
  double offPeriod = 0;
  for (double v : m.intervalMs) offPeriod += (v - kUpdatePeriodMs) * (v - kUpdatePeriodMs);
  offPeriod = m.intervalMs.empty() ? 0 : std::sqrt(offPeriod / m.intervalMs.size());
  std::printf("  %-44s mean %7.3f  sd %7.3f  max %7.3f ms  (rms from the %.3f ms period %.3f ms)\n",
              "interval between updates (wall)", interval.mean, interval.sd, interval.max, kUpdatePeriodMs,
              offPeriod);
  const Summary calls = Summarise(m.drawCalls), batches = Summarise(m.flushes);
  std::printf("  %-44s median %7.0f  p99 %7.0f  max %7.0f     (batches: median %.0f)\n",
              "GL draw calls per frame", calls.median, calls.p99, calls.max, batches.median);
  std::sort(m.stalls.begin(), m.stalls.end(),
            [](const HostMeter::Stall& a, const HostMeter::Stall& b) { return a.intervalMs > b.intervalMs; });
  std::printf("  %zu gaps between updates longer than three periods", m.stalls.size());
  for (size_t i = 0; i < m.stalls.size() && i < kStallsShown; ++i) {
    const HostMeter::Stall& st = m.stalls[i];
    std::printf("%s %.0f ms (update before it %.1f ms, mode %d to %d)", i ? ";" : ":", st.intervalMs,
                st.updateMs, st.modeBefore, st.modeAfter);
  }
  std::printf("\n");
  const long long bytes = end.gcBytes - recordStart_.gcBytes;
  std::printf("  %-44s %.1f bytes (%lld in all, %lld collector steps)\n", "collector allocation per update",
              updates > 0 ? static_cast<double>(bytes) / updates : 0.0, bytes,
              end.gcSteps - recordStart_.gcSteps);
  const Summary keyLatency = Summarise(m.latency.keys.toSwapMs);
  const Summary dragLatency = Summarise(m.latency.drags.toSwapMs);
  std::printf("play: input latency (wall), from the host's callback to the end of the swap of the first frame\n"
              "  drawn after the update that consumed the event:\n");
  PrintSpread("keys (presses and releases)", keyLatency);
  PrintSpread("drags (button and pointer events)", dragLatency);
  std::printf("  before the callback, from the time the event was due (waiting for the event poll):\n");
  PrintSpread("keys", Summarise(m.latency.keys.queuedMs));
  PrintSpread("drags", Summarise(m.latency.drags.queuedMs));
  std::printf("  the whole span, from the time the event was due to the end of that swap:\n");
  PrintSpread("keys", Summarise(m.latency.keys.dueToSwapMs));
  PrintSpread("drags", Summarise(m.latency.drags.dueToSwapMs));

  // The samples are not needed after this; their memory goes before the later minutes are read.
  for (auto* v : {&m.updateMs, &m.renderMs, &m.renderOursMs, &m.pairMs, &m.intervalMs, &m.gcStepMs, &m.swapMs,
                  &m.drawCalls, &m.flushes}) {
    std::vector<double>().swap(*v);
  }
  std::vector<HostMeter::Stall>().swap(m.stalls);
  m.latency = LatencyMeter();
  if (tally_.tilesCleared == 0) {
    // Figures of a game in which nothing happened would pass for figures of play.
    Missing("play.*", "no tile was cleared in the measured span, so it was not play");
    return;
  }
  if (update.count > 0) {
    Figure("play.update_cpu_ms.median", update.median, "ms");
    Figure("play.update_cpu_ms.p99", update.p99, "ms");
  } else {
    Missing("play.update_cpu_ms", "no update ran");
  }
  if (render.count > 0) {
    Figure("play.render_cpu_ms.median", render.median, "ms");
    Figure("play.render_cpu_ms.p99", render.p99, "ms");
    Figure("play.render_ours_ms.median", ours.median, "ms");
    Figure("play.render_ours_ms.p99", ours.p99, "ms");
  } else {
    Missing("play.render_cpu_ms", "no frame was rendered");
  }
  if (pair.count > 0) {
    Figure("play.pair_cpu_ms.median", pair.median, "ms");
    Figure("play.pair_cpu_ms.p99", pair.p99, "ms");
  } else {
    Missing("play.pair_cpu_ms", "no frame followed an update");
  }
  if (interval.count > 1) {
    Figure("play.interval_ms.mean", interval.mean, "ms");
    Figure("play.interval_ms.sd", interval.sd, "ms");
  } else {
    Missing("play.interval_ms", "fewer than two updates");
  }
  if (gc.count > 0) {
    Figure("play.gc_step_max_ms", gc.max, "ms");
    Figure("play.gc_step_p99_ms", gc.p99, "ms");
  } else {
    Missing("play.gc_step_max_ms", "no collector step ran");
  }
  if (updates > 0) {
    Figure("play.gc_bytes_per_frame", static_cast<double>(bytes) / updates, "B");
  } else {
    Missing("play.gc_bytes_per_frame", "no update ran");
  }
  const struct {
    const char* key;
    const Summary& latency;
  } latencies[] = {{"play.latency_ms.key", keyLatency}, {"play.latency_ms.drag", dragLatency}};
  for (const auto& l : latencies) {
    if (l.latency.count > 0) {
      Figure(std::string(l.key) + ".median", l.latency.median, "ms");
      Figure(std::string(l.key) + ".p99", l.latency.p99, "ms");
    } else {
      Missing(l.key, "no such event was shown in a frame");
    }
  }
}

void PlaySession::SampleMinutes(double elapsed) {
  while (nextMinute_ <= options_.rssMinutes && elapsed >= nextMinute_ * kSecondsPerMinute) {
    const double rss = ResidentMb();
    std::printf("memory: resident %.1f MB after %d min of play\n", rss, nextMinute_);
    if (nextMinute_ == 1) {
      rssFirst_ = rss;
      const DecodedAssets assets = CountDecodedAssets(host_->App());
      std::printf(
          "memory: decoded assets in use %.1f MB: %d images %.1f MB, %d sound effects %.1f MB, the tune %.1f MB\n",
          assets.TotalMb(), assets.images, assets.imagesMb, assets.sounds, assets.soundsMb, assets.musicMb);
      PrintMemoryMap();
      Figure("play.rss_mb.1min.assets", assets.TotalMb(), "MB");
    }
    if (nextMinute_ == options_.rssMinutes) {
      rssEnd_ = rss;
      rssEndMinute_ = nextMinute_;
      if (rssFirst_ < 0 || rssEnd_ < 0) {
        Missing("play.rss_mb", "/proc/self/statm could not be read");
      } else {
        std::printf("memory: the end figure is taken at minute %d; %+.1f MB since minute 1\n", rssEndMinute_,
                    rssEnd_ - rssFirst_);
        Figure("play.rss_mb.1min", rssFirst_, "MB");
        Figure("play.rss_mb.end", rssEnd_, "MB");
      }
    }
    std::fflush(stdout);
    ++nextMinute_;
  }
}

void PlaySession::MeasureMenuIdle(double) {
  const Snapshot end = Take();
  const double span = end.wall - idleStart_.wall;
  const double cpuPct = (end.processCpu - idleStart_.processCpu) / span * kPercent;
  const double oursPct = (end.oursCpu - idleStart_.oursCpu) / span * kPercent;
  std::printf(
      "idle menu: %.1f s untouched, %lld updates and %lld rendered frames; process CPU %.1f %% of a core, "
      "our own code %.1f %%\n",
      span, end.updates - idleStart_.updates, end.renders - idleStart_.renders, cpuPct, oursPct);
  Figure("idle.menu_cpu_pct", cpuPct, "%");
  Figure("idle.menu_ours_pct", oursPct, "%");
}

void PlaySession::StartSuspendProbe() {
  const unsigned long window = host_->XWindow();
  watchdog_->Arm("the suspended window", options_.idleSeconds + kIdleMargin);
  probe_ = std::thread([this, window] { SuspendProbe(window); });
}

// On the probe's own thread: the main thread is blocked in the event wait for the whole window,
// and nothing here talks to the game until the window is over.
void PlaySession::SuspendProbe(unsigned long gameWindow) {
  XSession x;
  if (!x.Open() || !gameWindow) {
    probeError_ = "no connection to the X server for the focus window";
    probeDone_ = true;
    return;
  }
  x.TakeFocus();
  const double patience = MonotonicSeconds() + kBlockPatience;
  while (!host_->loop.waiting && MonotonicSeconds() < patience) std::this_thread::sleep_for(kBlockPoll);
  if (!host_->loop.waiting) {
    probeError_ = "the game never blocked in its event wait after losing the focus";
  } else {
    std::this_thread::sleep_for(kSuspendSettle);
    const long wakes0 = host_->loop.waitReturns;
    const double cpu0 = ProcessCpuSeconds(), t0 = MonotonicSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(options_.idleSeconds));
    const double cpu1 = ProcessCpuSeconds(), t1 = MonotonicSeconds();
    suspendedWakes_ = host_->loop.waitReturns - wakes0;
    suspendedSeconds_ = t1 - t0;
    suspendedCpuPct_ = (cpu1 - cpu0) / suspendedSeconds_ * kPercent;
    probeOk_ = true;
  }
  x.GiveFocus(gameWindow);
  x.DropFocusWindow();
  probeDone_ = true;
}

void PlaySession::Finish() {
  probe_.join();
  watchdog_->Disarm();
  if (probeOk_) {
    std::printf(
        "suspended: %.1f s with the focus on another window; process CPU %.2f %% of a core; the event "
        "wait returned %ld times\n",
        suspendedSeconds_, suspendedCpuPct_, suspendedWakes_);
    Figure("idle.suspended_cpu_pct", suspendedCpuPct_, "%");
  } else {
    Missing("idle.suspended_cpu_pct", probeError_);
  }
  const HostMeter& m = host_->meter;
  std::printf("collector: %lld bytes allocated through it since the program started, in %lld steps\n",
              m.gcBytes, m.gcSteps);
  if (missing_ == 0) {
    std::printf("qr_play_bench: every figure measured\n");
  } else {
    std::printf("qr_play_bench: %d figure(s) not measured\n", missing_);
  }
  std::fflush(stdout);
  finished_ = true;
  std::exit(missing_ == 0 ? 0 : kExitFiguresMissing);
}

}  // namespace play
