// The measured session inside the running game: play from the menu with scripted input, the
// resident memory over the minutes of play, then the idle menu and the suspended window.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "play_host.h"
#include "scripted_player.h"
#include "watchdog.h"
#include "x_session.h"

namespace play {

struct SessionOptions {
  double playSeconds = 60;
  int rssMinutes = 10;
  double idleSeconds = 10;
  unsigned seed = 1;
};

// What the player achieved, counted from the game's own state after each update.
struct GameTally {
  long gamesStarted = 0;
  long gamesFinished = 0;
  long boardsFinished = 0;
  long tilesCleared = 0;
  long clears = 0;       // update frames that cleared tiles
  long long points = 0;  // final scores of finished games, summed
  int bestScore = 0;
};

class PlaySession : public LoopObserver, public PointerHand {
 public:
  PlaySession(const SessionOptions& options, Watchdog* watchdog, int missingBefore);

  void AfterPoll() override;
  void AfterUpdate() override;
  void MoveTo(int x, int y) override;
  void Sending(bool key, double due) override;

  // The phase the session is in, for messages when something ends it early.
  const char* PhaseName() const;
  // Set once the report is out and the session ends the process itself.
  bool Finished() const { return finished_; }

 private:
  enum class Phase { kLoading, kPlaying, kToMenu, kMenuSettle, kMenuIdle, kSuspended };

  // Everything that is differenced over a measured span.
  struct Snapshot {
    double wall = 0, processCpu = 0, oursCpu = 0;
    long long updates = 0, renders = 0, gcBytes = 0, gcSteps = 0;
  };
  Snapshot Take() const;

  void Play(double now);
  void BeginRecording(double now);
  void EndRecording(double now);
  void SampleMinutes(double elapsed);
  void MeasureMenuIdle(double now);
  void StartSuspendProbe();
  void SuspendProbe(unsigned long gameWindow);
  void Finish();
  void Figure(const std::string& key, double value, const char* unit);
  void Missing(const std::string& key, const std::string& why);

  SessionOptions options_;
  Watchdog* watchdog_;
  PlayHost* host_ = nullptr;
  ScriptedPlayer player_;
  XSession x_;
  Phase phase_ = Phase::kLoading;
  int missing_;  // figures that could not be measured, start-up's included
  std::atomic<bool> finished_{false};

  // Loading: the menu has been drawn by an update.
  int lastLoadStep_ = -1;
  bool menuShown_ = false;

  // Play.
  double playStart_ = -1;
  bool recording_ = false;
  bool recorded_ = false;
  Snapshot recordStart_;
  GameTally tally_;  // from the first game on
  int lastMode_ = 0;
  int lastScore_ = 0;
  float lastCleared_ = 0;
  float lastBoardDone_ = 0;
  int nextMinute_ = 1;
  double rssFirst_ = -1;
  double rssEnd_ = -1;
  int rssEndMinute_ = 0;

  // Idle.
  double phaseUntil_ = 0;
  Snapshot idleStart_;

  // Suspended: the probe thread's results.
  std::thread probe_;
  std::atomic<bool> probeDone_{false};
  bool probeOk_ = false;
  double suspendedCpuPct_ = 0;
  double suspendedSeconds_ = 0;
  long suspendedWakes_ = 0;
  std::string probeError_;
};

}  // namespace play
