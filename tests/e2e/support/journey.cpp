// The journey fixture: working directory, artifacts, start-up, window lookup and screen waits.
#include "support/journey.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "host/host_game.h"

namespace e2e {

namespace fs = std::filesystem;

namespace {

constexpr auto kGrabInterval = std::chrono::milliseconds(15);  // between grabs while waiting
constexpr auto kWindowPoll = std::chrono::milliseconds(10);
constexpr int kMoveAttempts = 3;
constexpr int kLatchRelease = 15;  // updates for a released key to let go of its latch
constexpr double kSameDescription = 0.02;  // share of outline pixels that may differ
constexpr auto kStillFor = std::chrono::milliseconds(250);  // a settled board reads the same
constexpr auto kFilePoll = std::chrono::milliseconds(50);
constexpr int kDealAttempts = 4;  // deals without a line to clear are rare

std::string TestName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name();
}

// "menu with score" is kept as NN-menu-with-score.png.
std::string FileName(int stage, const std::string& name, const std::string& suffix = "") {
  std::string file = (stage < 10 ? "0" : "") + std::to_string(stage) + "-" + name + suffix;
  std::replace(file.begin(), file.end(), ' ', '-');
  return file + ".png";
}

}  // namespace

std::string Arrow(int dx, int dy) {
  if (dx < 0) return "Left";
  if (dx > 0) return "Right";
  return dy < 0 ? "Up" : "Down";
}

bool CursorAt(const Shot& s, const View& v, int column, int row) {
  std::optional<Point> c = CursorCell(s, v);
  return c && c->x == column && c->y == row;
}

int Digits(int n) { return n < 10 ? 1 : 1 + Digits(n / 10); }

std::string BuildProgram() { return std::string(QR_PROGRAM_DIR) + "/quadrant-rush"; }
std::string BuildData() { return std::string(QR_DATA_DIR); }

void Journey::SetUp() {
  ASSERT_TRUE(screen_.Connected()) << "no X display: the test script runs the suite under Xvfb";
  temp_ = std::make_unique<qr_test::TempDir>("qr-e2e");
  workdir_ = temp_->Path();
  artifacts_ = std::string(QR_E2E_ARTIFACTS) + "/" + TestName();
  fs::remove_all(artifacts_);
  fs::create_directories(artifacts_);
  ASSERT_TRUE(manager_.Start(Artifact("window-manager.txt")))
      << "the window manager \"" << WantedManager() << "\" did not take the screen over";
  started_ = Clock::now();
}

void Journey::Log(const std::string& stage) {
  std::ofstream out(Artifact("stages.txt"), std::ios::app);
  out << Seconds(Clock::now() - started_).count() << " s  " << stage << "\n";
}

void Journey::KeepOutput() {
  if (runs_ == 0) return;
  std::ofstream out(Artifact("stdout-" + std::to_string(runs_) + ".txt"));
  for (const std::string& line : game_.Lines()) out << line << "\n";
}

void Journey::TearDown() {
  if (hands_) hands_->ReleaseAll();
  game_.Kill();
  KeepOutput();
  WaitWindowGone();
  screen_.DropFocusThief();
  manager_.Stop();
  temp_.reset();
}

// Windows are looked up by title: one left by an earlier program must be gone first.
void Journey::WaitWindowGone() {
  for (auto until = Clock::now() + kExitPatience;
       screen_.FindWindow(OX_WINDOW_TITLE) != 0 && Clock::now() < until;)
    std::this_thread::sleep_for(kWindowPoll);
}

void Journey::Start(const std::string& program, const std::string& workdir,
                    const std::vector<std::string>& args) {
  KeepOutput();
  WaitWindowGone();
  ++runs_;
  const std::string dir = workdir.empty() ? workdir_ : workdir;
  ASSERT_TRUE(game_.Start(program, dir, args, Artifact("stderr-" + std::to_string(runs_) + ".txt")))
      << "could not start " << program;
  ASSERT_TRUE(FindWindow(kStartPatience)) << "no window titled \"" << OX_WINDOW_TITLE << "\"";
}

bool Journey::FindWindow(Seconds patience) {
  const auto until = Clock::now() + patience;
  for (;;) {
    unsigned long w = screen_.FindWindow(OX_WINDOW_TITLE);
    if (w && !screen_.Grab(w).Empty()) {
      window_ = w;
      if (!hands_) hands_ = std::make_unique<Hands>(w);
      hands_->SetWindow(w);
      return true;
    }
    if (Clock::now() >= until || !game_.Running()) return false;
    std::this_thread::sleep_for(kWindowPoll);
  }
}

Shot Journey::Snap(const std::string& stage) {
  Shot s = screen_.Grab(window_);
  Keep(s, stage);
  return s;
}

void Journey::Keep(const Shot& s, const std::string& stage) {
  s.SavePng(Artifact(FileName(++stage_, stage)));
  Log(stage);
}

View Journey::CurrentView() {
  int w = 0, h = 0;
  screen_.WindowSize(window_, &w, &h);
  return View::ForWindow(w, h);
}

Shot Journey::WaitFor(const std::string& stage, const ScreenTest& test, Seconds patience,
                      bool required) {
  const auto until = Clock::now() + patience;
  Shot last;
  ++stage_;
  for (;;) {
    Shot s = screen_.Grab(window_);
    if (!s.Empty()) {
      View v = View::ForWindow(s.Width(), s.Height());
      if (test(s, v)) {
        s.SavePng(Artifact(FileName(stage_, stage)));
        Log(stage);
        return s;
      }
      last = std::move(s);
    }
    if (Clock::now() >= until) break;
    std::this_thread::sleep_for(kGrabInterval);
  }
  last.SavePng(Artifact(FileName(stage_, stage, "-not-seen")));
  Log(stage + " (not seen)");
  if (required)
    ADD_FAILURE() << "the screen \"" << stage << "\" did not appear; last picture kept in "
                << artifacts_;
  return {};
}

// A released arrow takes a few updates to let go of the move latch; a press that comes too
// early is tried again.
void Journey::MoveCursor(int fromColumn, int fromRow, int toColumn, int toRow) {
  int x = fromColumn, y = fromRow;
  while (x != toColumn || y != toRow) {
    const int dx = toColumn > x ? 1 : toColumn < x ? -1 : 0;
    const int dy = dx != 0 ? 0 : toRow > y ? 1 : -1;
    x += dx;
    y += dy;
    const bool moved = !PressUntil(Arrow(dx, dy), "cursor", [&](const Shot& s, const View& v) {
                          return CursorAt(s, v, x, y);
                        }, false).Empty();
    ASSERT_TRUE(moved) << "the cursor did not reach " << x << "," << y;
  }
}

Shot Journey::PressUntil(const std::string& key, const std::string& stage,
                         const ScreenTest& test, bool required, Seconds patience) {
  for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
    Shot s = HoldKeyUntil(key, stage, test, patience, false);
    Settle(kLatchRelease);
    if (!s.Empty()) return s;
  }
  if (required)
    ADD_FAILURE() << "the screen \"" << stage << "\" did not appear after " << kMoveAttempts
                  << " presses of " << key << "; last picture kept in " << artifacts_;
  return {};
}

std::optional<ReadState> Journey::WaitForSavedState(Seconds patience) {
  for (auto until = Clock::now() + patience;;) {
    std::optional<std::string> text = ReadFile(StatePath());
    if (text) {
      std::optional<ReadState> state = ParseState(*text);
      if (state) return state;
    }
    if (Clock::now() >= until) return std::nullopt;
    std::this_thread::sleep_for(kFilePoll);
  }
}

std::optional<Board> Journey::SettledBoard(const TileReader& tiles, const std::string& stage) {
  std::optional<Board> seen;
  Clock::time_point since;
  Shot s = WaitFor(stage, [&](const Shot& shot, const View& v) {
    Board b = tiles.Read(shot, v);
    if (b.Tiles() != kBoardSize * kBoardSize) {
      seen.reset();
      return false;
    }
    if (!seen || b.Differences(*seen) != 0) {
      seen = b;
      since = Clock::now();
      return false;
    }
    return Clock::now() - since >= kStillFor;
  });
  if (s.Empty()) return std::nullopt;
  return seen;
}

std::optional<Board> Journey::StartGameWithEnter(const TileReader& tiles) {
  if (HoldKeyUntil("Return", "game dealt", [&](const Shot& s, const View& v) {
        return LooksLikeBoard(s, v, tiles);
      }).Empty())
    return std::nullopt;
  std::optional<Board> board = SettledBoard(tiles, "board settled");
  if (!board) return std::nullopt;
  if (WaitFor("cursor at start", [&](const Shot& s, const View& v) {
        return CursorAt(s, v, kStartColumn, kStartRow);
      }).Empty())
    return std::nullopt;
  return board;
}

void Journey::StartAGame(const TileReader& tiles) {
  ASSERT_FALSE(WaitFor("menu", LooksLikeMenu, kStartPatience).Empty());
  ASSERT_TRUE(hands_->Focus());
  ASSERT_TRUE(StartGameWithEnter(tiles)) << "no game was dealt";
}

std::optional<Board> Journey::StartGameWithALine(const TileReader& tiles) {
  for (int deal = 0; deal < kDealAttempts; ++deal) {
    std::optional<Board> board = StartGameWithEnter(tiles);
    if (!board || ClearingPush(*board)) return board;
    Log("the deal offers no line: quit and deal again");
    QuitFromThePauseMenu();
    if (HasFatalFailure() || WaitFor("menu for another deal", [](const Shot& s, const View& v) {
                               return LooksLikeMenu(s, v) && OverlayGone(s, v);
                             }).Empty())
      return std::nullopt;
  }
  ADD_FAILURE() << kDealAttempts << " deals in a row offered no line to clear";
  return std::nullopt;
}

int Journey::ClearALine(const TileReader& tiles, const Board& board, std::optional<Board>* left) {
  std::optional<Push> push = ClearingPush(board);
  EXPECT_TRUE(push) << "the board offers no line to make";
  if (!push) return 0;
  MoveCursor(kStartColumn, kStartRow, push->column, push->row);
  if (push->column == kStartColumn && push->row == kStartRow) {
    // Show the cursor moving all the same: one step up and back.
    MoveCursor(kStartColumn, kStartRow, kStartColumn, kStartRow - 1);
    MoveCursor(kStartColumn, kStartRow - 1, kStartColumn, kStartRow);
  }
  if (HasFatalFailure()) return 0;

  const Board expected = AfterClears(Swapped(board, *push));
  EXPECT_TRUE(hands_->Press("z"));
  Shot pushed = HoldKeyUntil(Arrow(push->dx, push->dy), "pushed",
                             [&](const Shot& s, const View& v) {
                               return tiles.Read(s, v).Differences(board) >= 2;
                             });
  EXPECT_TRUE(hands_->Release("z"));
  if (pushed.Empty()) return 0;
  if (WaitFor("line cleared", [&](const Shot& s, const View& v) {
        return tiles.Read(s, v).Differences(expected) == 0;
      }).Empty())
    return 0;
  *left = expected;
  return kScorePerSquare * push->cleared * push->cleared;
}

void Journey::QuitFromThePauseMenu() {
  ASSERT_FALSE(HoldKeyUntil("Escape", "paused to quit", [](const Shot& s, const View& v) {
                 return LooksDarkened(s, v) && PauseSelection(s, v) == 0;
               }).Empty());
  ASSERT_FALSE(HoldKeyUntil("Up", "quit selected", [](const Shot& s, const View& v) {
                 return PauseSelection(s, v) == -1;
               }).Empty());
  ASSERT_FALSE(HoldKeyUntil("z", "quit game overlay", [](const Shot& s, const View& v) {
                 return ShowsGameOverBands(s, v) && OverlayWordsTitleCase(s, v) == true;
               }).Empty());
}

void Journey::TurnWheel(const std::string& key, int difficulty) {
  const Shot before = screen_.Grab(window_);
  ASSERT_FALSE(before.Empty());
  ASSERT_FALSE(HoldKeyUntil(key, "wheel " + key, [&](const Shot& s, const View& v) {
                 return DescriptionDifference(s, before, v) > kSameDescription;
               }).Empty());
  ASSERT_FALSE(WaitFor("wheel at " + std::to_string(difficulty), [&](const Shot& s, const View& v) {
                 return SelectedDifficulty(s, v) == difficulty;
               }).Empty());
}

Shot Journey::HoldKeyUntil(const std::string& key, const std::string& stage,
                           const ScreenTest& test, Seconds patience, bool required) {
  EXPECT_TRUE(hands_->Press(key));
  Shot s = WaitFor(stage, test, patience, required);
  EXPECT_TRUE(hands_->Release(key));
  return s;
}

Shot Journey::HoldButtonUntil(Point at, const std::string& stage, const ScreenTest& test) {
  EXPECT_TRUE(hands_->MoveTo({at.x + 1, at.y + 1}));
  EXPECT_TRUE(hands_->MoveTo(at));
  EXPECT_TRUE(hands_->PressButton());
  Shot s = WaitFor(stage, test);
  EXPECT_TRUE(hands_->ReleaseButton());
  return s;
}

}  // namespace e2e
