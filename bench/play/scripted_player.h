// The scripted player: a seeded, human-paced stream of key presses and mouse drags, sent
// through the window system's own input callbacks and chosen from what the game shows.
#pragma once

#include <deque>
#include <random>
#include <set>

class c_MyApp;

namespace play {

// The player's hand on the desktop: it moves the real pointer, and hears each event just before
// the player hands it to the host's callback (with the time it was due).
class PointerHand {
 public:
  virtual ~PointerHand() {}
  virtual void MoveTo(int x, int y) = 0;  // window coordinates in pixels
  virtual void Sending(bool key, double due) = 0;
};

struct PlayerCounts {
  long keyPresses = 0;
  long cursorMoves = 0;  // cursor steps tried
  long pushes = 0;       // grab-and-push with the keys tried
  long aimedPushes = 0;  // of all pushes and drags, those on a way to a line
  long drags = 0;        // pushes with the mouse
  long menuKeys = 0;     // presses on the menu and pause screens
};

class ScriptedPlayer {
 public:
  enum class Goal {
    kIdle,  // hands off
    kPlay,  // start games on Normal from the menu and play them
    kMenu,  // leave the game for the main menu through the pause menu's quit
  };

  ScriptedPlayer(unsigned seed, PointerHand* hand);

  // Lets go of everything held and pursues a new goal from now on.
  void SetGoal(Goal goal, double now);
  Goal goal() const { return goal_; }
  // Called after every real event poll: sends the events that are due, then, when nothing is
  // pending, picks the next action from the game's state.
  void Step(c_MyApp* app, double now);
  // Nothing held and nothing queued.
  bool Quiet() const { return queue_.empty() && heldKeys_.empty() && !buttonHeld_; }
  // The main menu is showing with the game-over overlay gone: where the menu goal ends.
  static bool AtRestInMenu(c_MyApp* app);
  const PlayerCounts& counts() const { return counts_; }

 private:
  enum class Kind { kKey, kButton, kPointer };
  struct Event {
    double due;
    Kind kind;
    int code;    // window-system key code (keys)
    bool press;  // keys and button
    int x, y;    // pointer
  };
  struct Push {
    int x, y, dx, dy;
  };

  void Send(const Event& e);
  void ReleaseAll(double now);
  // Queues a press at `at` and its release `hold` seconds later; returns the release time.
  double Tap(int key, double at, double hold);
  double Uniform(double low, double high);

  void PlanMenu(c_MyApp* app, double now);
  void PlayBoard(c_MyApp* app, double now);
  void PlanLeave(c_MyApp* app, double now);
  double KeyMove(int dx, int dy, double now);
  double KeyPush(const Push& p, double now);
  double MouseDrag(c_MyApp* app, const Push& p, double now);
  bool FindAimedPush(c_MyApp* app, int cx, int cy, Push* out);
  bool RandomPush(c_MyApp* app, int x, int y, Push* out);

  Goal goal_ = Goal::kIdle;
  PointerHand* hand_;
  std::mt19937 rng_;
  std::deque<Event> queue_;  // in the order of their due times
  std::set<int> heldKeys_;
  bool buttonHeld_ = false;
  double nextAction_ = 0;
  PlayerCounts counts_;
};

}  // namespace play
