// The scripted player's choices: the menu keys that start a Normal game, cursor moves and
// grab-and-push towards a line (or at random), mouse drags, and the pause menu's quit.
#include "scripted_player.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "game/my_app.h"
#include "game/rules.h"
#include "host/host_game.h"

namespace play {

namespace {

// Pacing, in seconds: a direction key is held long enough for the game's key ramp to pass the
// move threshold (three updates) and no longer than a tap; actions follow each other after a
// human pause.
constexpr double kTapMin = 0.07, kTapMax = 0.11;
constexpr double kGapMin = 0.08, kGapMax = 0.20;
constexpr double kMenuPauseMin = 0.25, kMenuPauseMax = 0.40;  // reading the menu first
constexpr double kGrabLead = 0.04;   // the grab key goes down this long before the direction
constexpr double kGrabTrail = 0.03;  // and comes up this long after it
constexpr double kGoalPause = 0.3;   // after a change of goal
// Drag: press this long after reaching the tile, then three pointer steps to the neighbour.
constexpr double kDragPress = 0.04;
constexpr double kDragStep = 0.02;
constexpr int kDragSteps = 3;
constexpr double kDragRelease = 0.06;  // after the last step

// Shares of the play actions: aimed at the nearest line, a mouse drag, the rest at random
// (of which this share are pushes, the others cursor moves).
constexpr double kAimedShare = 0.75;
constexpr double kDragShare = 0.10;
constexpr double kRandomPushShare = 0.35;
constexpr double kEvenOdds = 0.5;  // a diagonal way to the target starts on either axis

// The difficulty the player starts (the menu's wheel item) and the menu part that confirms it.
constexpr int kNormalChoice = 1;
constexpr int kWheelFocus = 1;
// Pause menu selections.
constexpr int kPauseOnResume = 0;
constexpr int kPauseOnQuit = -1;
constexpr int kPauseOpening = 1;  // m_pauseState while the menu slides in or stays open
// The pause key is left alone when the game is this close to its own end (frames left).
constexpr float kPauseTimerMargin = 60;
// Board layout: the board stands this many virtual units above the bottom edge.
constexpr float kBoardBottomMargin = 16;
// Three equal live tiles in a row or a column clear.
constexpr int kLineTiles = 3;
// The longest path of pushes the player looks for to make a line.
constexpr int kPlanPushes = 3;
// Window-system key codes the player uses.
constexpr int kGrabKey = GLFW_KEY_Z;
constexpr int kConfirmKey = GLFW_KEY_ENTER;
constexpr int kPauseKey = GLFW_KEY_ESCAPE;

int ArrowKey(int dx, int dy) {
  if (dx < 0) return GLFW_KEY_LEFT;
  if (dx > 0) return GLFW_KEY_RIGHT;
  return dy < 0 ? GLFW_KEY_UP : GLFW_KEY_DOWN;
}

// Left, right, up, down: a direction's opposite is its index with the lowest bit flipped.
constexpr int kDirections[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};

float CellField(c_MyApp* app, int x, int y, int field) { return app->m_grid[cellRecord(x, y) + field]; }

bool Inside(c_MyApp* app, int x, int y) { return x >= 0 && y >= 0 && x < app->m_gridW && y < app->m_gridH; }

// A live tile: dealt, not being cleared, so it can be pushed and take part in lines.
bool Live(c_MyApp* app, int x, int y) {
  return CellField(app, x, y, kCellClearTime) == 0 && CellField(app, x, y, kCellKind) > 0;
}

// The kinds of the live tiles, 0 for holes; columns then rows.
using Kinds = std::vector<std::vector<int>>;

bool LineThrough(const Kinds& k, int x, int y, int w, int h) {
  const int v = k[x][y];
  if (v == 0) return false;
  int run = 1;
  for (int i = x - 1; i >= 0 && k[i][y] == v; --i) ++run;
  for (int i = x + 1; i < w && k[i][y] == v; ++i) ++run;
  if (run >= kLineTiles) return true;
  run = 1;
  for (int j = y - 1; j >= 0 && k[x][j] == v; --j) ++run;
  for (int j = y + 1; j < h && k[x][j] == v; ++j) ++run;
  return run >= kLineTiles;
}

float Player(c_MyApp* app, int field) { return app->m_player[field]; }

}  // namespace

ScriptedPlayer::ScriptedPlayer(unsigned seed, PointerHand* hand) : hand_(hand), rng_(seed) {}

double ScriptedPlayer::Uniform(double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(rng_);
}

void ScriptedPlayer::SetGoal(Goal goal, double now) {
  ReleaseAll(now);
  goal_ = goal;
  nextAction_ = now + kGoalPause;
}

bool ScriptedPlayer::AtRestInMenu(c_MyApp* app) {
  return app->m_mode == kModeMenu && app->m_loadStep == 0 && app->m_overStep == 0 && app->m_paused == 0 &&
         app->m_menuIntro == 0;
}

void ScriptedPlayer::Send(const Event& e) {
  switch (e.kind) {
    case Kind::kKey:
      if (e.press) {
        heldKeys_.insert(e.code);
        ++counts_.keyPresses;
      } else {
        heldKeys_.erase(e.code);
      }
      hand_->Sending(true, e.due);
      OxGlfwGame::OnKey(e.code, e.press ? GLFW_PRESS : GLFW_RELEASE);
      break;
    case Kind::kButton:
      buttonHeld_ = e.press;
      hand_->Sending(false, e.due);
      OxGlfwGame::OnMouseButton(GLFW_MOUSE_BUTTON_LEFT, e.press ? GLFW_PRESS : GLFW_RELEASE);
      break;
    case Kind::kPointer:
      // The real pointer moves first, so the button callback finds it there; the move itself
      // reaches the game through the window system's pointer callback.
      hand_->MoveTo(e.x, e.y);
      hand_->Sending(false, e.due);
      OxGlfwGame::OnMousePos(e.x, e.y);
      break;
  }
}

void ScriptedPlayer::ReleaseAll(double now) {
  queue_.clear();
  while (!heldKeys_.empty()) Send(Event{now, Kind::kKey, *heldKeys_.begin(), false, 0, 0});
  if (buttonHeld_) Send(Event{now, Kind::kButton, 0, false, 0, 0});
}

double ScriptedPlayer::Tap(int key, double at, double hold) {
  queue_.push_back(Event{at, Kind::kKey, key, true, 0, 0});
  queue_.push_back(Event{at + hold, Kind::kKey, key, false, 0, 0});
  return at + hold;
}

void ScriptedPlayer::Step(c_MyApp* app, double now) {
  while (!queue_.empty() && queue_.front().due <= now) {
    Event e = queue_.front();
    queue_.pop_front();
    Send(e);
  }
  if (!app || !queue_.empty() || now < nextAction_ || goal_ == Goal::kIdle) return;
  if (app->m_loadStep > 0) return;
  if (goal_ == Goal::kMenu) {
    PlanLeave(app, now);
    return;
  }
  if (app->m_mode == kModeMenu) {
    PlanMenu(app, now);
  } else if (app->m_mode == kModePlaying) {
    if (app->m_paused) {
      // Nothing here pauses the game; if something did, Escape resumes once the menu is open.
      if (app->m_pauseState == kPauseOpening && app->m_pauseY >= static_cast<int>(jscrh / 2)) {
        ++counts_.menuKeys;
        nextAction_ = Tap(kPauseKey, now, Uniform(kTapMin, kTapMax)) + Uniform(kMenuPauseMin, kMenuPauseMax);
      }
      return;
    }
    PlayBoard(app, now);
  }
}

// The menu: the wheel part, Normal on the wheel, then Enter. The overlay of the last game and
// the intro must be over first, as a player waits for the screen to settle.
void ScriptedPlayer::PlanMenu(c_MyApp* app, double now) {
  if (app->m_overStep > 0 || app->m_menuIntro < 0 || app->m_optionsOpen) return;
  int key;
  if (app->m_creditsOpen) {
    key = kGrabKey;  // a fire button closes the credits page
  } else if (app->m_menuFocus != kWheelFocus) {
    key = app->m_menuFocus < kWheelFocus ? GLFW_KEY_RIGHT : GLFW_KEY_LEFT;
  } else if (app->m_menuChoice != kNormalChoice) {
    key = app->m_menuChoice < kNormalChoice ? GLFW_KEY_DOWN : GLFW_KEY_UP;
  } else {
    key = kConfirmKey;
  }
  ++counts_.menuKeys;
  double end = Tap(key, now + Uniform(kMenuPauseMin, kMenuPauseMax), Uniform(kTapMin, kTapMax));
  nextAction_ = end + Uniform(kMenuPauseMin, kMenuPauseMax);
}

// One action on the board, once it is settled and the cursor rests with no key in effect.
void ScriptedPlayer::PlayBoard(c_MyApp* app, double now) {
  if (app->m_timeUp || app->m_dropping || Player(app, kPlBoardDone) != 0) return;
  if (Player(app, kPlCursorSlideX) != 0 || Player(app, kPlCursorSlideY) != 0) return;
  if (Player(app, kPlLatchX) != 0 || Player(app, kPlLatchY) != 0 || Player(app, kPlGrab) != 0) return;
  if (app->m_pointerDown) return;

  const int cx = static_cast<int>(Player(app, kPlCursorX));
  const int cy = static_cast<int>(Player(app, kPlCursorY));
  const double r = Uniform(0, 1);
  Push p{};
  double end;
  if (r < kAimedShare && FindAimedPush(app, cx, cy, &p)) {
    if (p.x == cx && p.y == cy) {
      ++counts_.aimedPushes;
      end = KeyPush(p, now);
    } else {
      const int dx = p.x - cx, dy = p.y - cy;
      const bool horizontal =
          std::abs(dx) > std::abs(dy) || (std::abs(dx) == std::abs(dy) && Uniform(0, 1) < kEvenOdds);
      end = horizontal ? KeyMove(dx > 0 ? 1 : -1, 0, now) : KeyMove(0, dy > 0 ? 1 : -1, now);
    }
  } else if (r >= kAimedShare && r < kAimedShare + kDragShare) {
    bool aimed = FindAimedPush(app, cx, cy, &p);
    if (aimed) ++counts_.aimedPushes;
    if (!aimed) {
      std::uniform_int_distribution<int> col(0, app->m_gridW - 1), row(0, app->m_gridH - 1);
      const int x = col(rng_), y = row(rng_);
      if (!Live(app, x, y) || !RandomPush(app, x, y, &p)) return;
    }
    end = MouseDrag(app, p, now);
  } else if (Uniform(0, 1) < kRandomPushShare) {
    if (!RandomPush(app, cx, cy, &p)) return;
    end = KeyPush(p, now);
  } else {
    std::vector<int> ways;
    for (int d = 0; d < 4; ++d) {
      if (Inside(app, cx + kDirections[d][0], cy + kDirections[d][1])) ways.push_back(d);
    }
    const int d = ways[std::uniform_int_distribution<int>(0, static_cast<int>(ways.size()) - 1)(rng_)];
    end = KeyMove(kDirections[d][0], kDirections[d][1], now);
  }
  nextAction_ = std::max(end, now + Uniform(kGapMin, kGapMax));
}

double ScriptedPlayer::KeyMove(int dx, int dy, double now) {
  ++counts_.cursorMoves;
  return Tap(ArrowKey(dx, dy), now, Uniform(kTapMin, kTapMax));
}

double ScriptedPlayer::KeyPush(const Push& p, double now) {
  ++counts_.pushes;
  const double arrowDown = now + kGrabLead;
  const double arrowUp = Tap(ArrowKey(p.dx, p.dy), arrowDown, Uniform(kTapMin, kTapMax));
  queue_.push_front(Event{now, Kind::kKey, kGrabKey, true, 0, 0});
  queue_.push_back(Event{arrowUp + kGrabTrail, Kind::kKey, kGrabKey, false, 0, 0});
  return arrowUp + kGrabTrail;
}

// The tile is taken with the left button and dragged into its neighbour: the window point of a
// cell follows the board layout of the game's screen and the fit of the virtual screen.
double ScriptedPlayer::MouseDrag(c_MyApp* app, const Push& p, double now) {
  ++counts_.drags;
  const float w = static_cast<float>(app->m_gridW), h = static_cast<float>(app->m_gridH);
  const float cell = std::min(jscrw / (w + 1), jscrh / (h + 1));
  const float left = jscrw / 2 - w * cell / 2 + cell / 2;
  const float top = jscrh - h * cell + cell / 2 - kBoardBottomMargin;
  const float oy = app->m_devW > 0 ? overscan * app->m_devH / app->m_devW : 0;
  auto windowX = [&](float vx) { return static_cast<int>(vx * app->m_scaleX + overscan); };
  auto windowY = [&](float vy) { return static_cast<int>(vy * app->m_scaleY + oy); };
  const float sx = p.x * cell + left, sy = p.y * cell + top;

  queue_.push_back(Event{now, Kind::kPointer, 0, false, windowX(sx), windowY(sy)});
  double t = now + kDragPress;
  queue_.push_back(Event{t, Kind::kButton, 0, true, 0, 0});
  for (int i = 1; i <= kDragSteps; ++i) {
    t += kDragStep;
    const float f = static_cast<float>(i) / kDragSteps;
    queue_.push_back(
        Event{t, Kind::kPointer, 0, false, windowX(sx + f * p.dx * cell), windowY(sy + f * p.dy * cell)});
  }
  t += kDragRelease;
  queue_.push_back(Event{t, Kind::kButton, 0, false, 0, 0});
  return t;
}

// The first push of the nearest way to a line: a tile pushed along a path of up to
// kPlanPushes cells (each push exchanges it with the next tile, as the game does), making a
// line only at its last push. Nearness is the cursor's distance to the tile plus the pushes; a
// random one among the nearest is taken. After the first push the cursor stands on the moved
// tile, so the next search finds the rest of the same path at distance 0.
bool ScriptedPlayer::FindAimedPush(c_MyApp* app, int cx, int cy, Push* out) {
  const int w = app->m_gridW, h = app->m_gridH;
  Kinds k(w, std::vector<int>(h, 0));
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y)
      k[x][y] = Live(app, x, y) ? static_cast<int>(CellField(app, x, y, kCellKind)) : 0;
  }
  std::vector<Push> best;
  int bestCost = w + h + kPlanPushes + 1;
  // Depth-first over the paths of the tile now at (x, y); `first` is the path's first push.
  auto walk = [&](auto&& self, int x, int y, int depth, int cost, const Push& first, int lastDir) -> void {
    for (int d = 0; d < 4; ++d) {
      if (depth > 0 && d == (lastDir ^ 1)) continue;  // straight back undoes the last push
      const int nx = x + kDirections[d][0], ny = y + kDirections[d][1];
      if (!Inside(app, nx, ny) || k[nx][ny] == 0 || k[nx][ny] == k[x][y]) continue;
      const Push step = depth == 0 ? Push{x, y, kDirections[d][0], kDirections[d][1]} : first;
      std::swap(k[x][y], k[nx][ny]);
      const bool line = LineThrough(k, x, y, w, h) || LineThrough(k, nx, ny, w, h);
      if (line && cost <= bestCost) {
        if (cost < bestCost) best.clear();
        bestCost = cost;
        best.push_back(step);
      } else if (!line && depth + 1 < kPlanPushes && cost + 1 <= bestCost) {
        self(self, nx, ny, depth + 1, cost + 1, step, d);
      }
      std::swap(k[x][y], k[nx][ny]);
    }
  };
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y) {
      const int distance = std::abs(x - cx) + std::abs(y - cy);
      if (k[x][y] != 0 && distance <= bestCost) walk(walk, x, y, 0, distance, Push{}, 0);
    }
  }
  if (best.empty()) return false;
  *out = best[std::uniform_int_distribution<int>(0, static_cast<int>(best.size()) - 1)(rng_)];
  return true;
}

// A push of the tile at (x, y) in a random direction that stays on the board (it may still
// meet a hole, as a player's push sometimes does).
bool ScriptedPlayer::RandomPush(c_MyApp* app, int x, int y, Push* out) {
  std::vector<int> ways;
  for (int d = 0; d < 4; ++d) {
    if (Inside(app, x + kDirections[d][0], y + kDirections[d][1])) ways.push_back(d);
  }
  if (ways.empty()) return false;
  const int d = ways[std::uniform_int_distribution<int>(0, static_cast<int>(ways.size()) - 1)(rng_)];
  *out = Push{x, y, kDirections[d][0], kDirections[d][1]};
  return true;
}

// Leaving a game: Escape opens the pause menu, Up selects its quit, Z confirms; the game-over
// overlay then returns to the menu by itself. Escape is never pressed outside play, where it
// would end the program.
void ScriptedPlayer::PlanLeave(c_MyApp* app, double now) {
  if (app->m_mode != kModePlaying) return;
  int key;
  if (!app->m_paused) {
    if (app->m_timeUp || Player(app, kPlTimer) < kPauseTimerMargin) return;
    key = kPauseKey;
  } else if (app->m_pauseState != kPauseOpening || app->m_pauseY < static_cast<int>(jscrh / 2)) {
    return;
  } else if (app->m_pauseSel == kPauseOnResume) {
    key = GLFW_KEY_UP;
  } else if (app->m_pauseSel == kPauseOnQuit) {
    key = kGrabKey;
  } else {
    key = GLFW_KEY_UP;  // on the options button: up goes back to resume first
  }
  ++counts_.menuKeys;
  nextAction_ = Tap(key, now, Uniform(kTapMin, kTapMax)) + Uniform(kMenuPauseMin, kMenuPauseMax);
}

}  // namespace play
