// The fixture every journey runs in: a fresh working directory (so ".tarnstate" starts absent),
// the real program started there under the test's X server, its window found, and
// a screenshot kept under the build folder at each stage the journey names.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "host/files.h"
#include "support/board.h"
#include "support/game_process.h"
#include "support/input.h"
#include "support/screens.h"
#include "support/screen.h"
#include "support/state_text.h"
#include "support/view.h"
#include "support/window_manager.h"
#include "tests/support/temp_dir.h"

namespace e2e {

// Generous limits for a loaded two-core machine drawing with a software renderer.
inline constexpr Seconds kStartPatience{60};   // program start to its menu
inline constexpr Seconds kScreenPatience{30};  // a screen to appear after an action
inline constexpr Seconds kExitPatience{20};    // the program to end once asked
inline constexpr Seconds kPressPatience{3};    // one press to show before it is tried again

using ScreenTest = std::function<bool(const Shot&, const View&)>;

// The program in the build tree, and its data folder.
std::string BuildProgram();
std::string BuildData();

inline constexpr int kStartColumn = 3, kStartRow = 3;  // where a game puts the cursor
inline constexpr int kScorePerSquare = 15;             // a frame clearing n tiles scores 15 n^2

// The X key that moves the cursor (or pushes) one cell in a direction.
std::string Arrow(int dx, int dy);
bool CursorAt(const Shot& s, const View& v, int column, int row);
int Digits(int n);

class Journey : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts `program` in the working directory (or `workdir`) and waits for its window.
  void Start(const std::string& program = BuildProgram(), const std::string& workdir = "",
             const std::vector<std::string>& args = {});
  // Finds the window again (a full-screen switch makes a new one).
  bool FindWindow(Seconds patience = kScreenPatience);

  // Grabs the window and keeps the picture as the next numbered artifact.
  Shot Snap(const std::string& stage);
  // Keeps a picture as the next numbered artifact and notes the stage's time.
  void Keep(const Shot& s, const std::string& stage);
  // Grabs the window until `test` holds; keeps the matching picture, or the last one seen
  // when time runs out (then the shot is empty and, when `required`, the test has failed).
  Shot WaitFor(const std::string& stage, const ScreenTest& test,
               Seconds patience = kScreenPatience, bool required = true);
  View CurrentView();

  // Holds a key (or the left button at a point) until the screen shows `test`, then lets go:
  // the game reads keys as held at each update, however late a loaded machine runs them.
  Shot HoldKeyUntil(const std::string& key, const std::string& stage, const ScreenTest& test,
                    Seconds patience = kScreenPatience, bool required = true);
  Shot HoldButtonUntil(Point at, const std::string& stage, const ScreenTest& test);
  // For a control that acts once per press and must be let go of before it acts again: holds
  // the key until the screen shows `test`, and when a loaded machine missed the press (or the
  // release before it), lets go, waits and presses again, a few times.
  Shot PressUntil(const std::string& key, const std::string& stage, const ScreenTest& test,
                  bool required = true, Seconds patience = kPressPatience);

  // Moves the board's cursor one cell at a time with the arrow keys, checking each step on the
  // screen.
  void MoveCursor(int fromColumn, int fromRow, int toColumn, int toRow);

  // From the menu: Enter held until a board is dealt; the board once it has dropped in, with
  // the cursor at its starting cell.
  std::optional<Board> StartGameWithEnter(const TileReader& tiles);
  // Waits for the menu, focuses the window and starts a game with Enter as above; a fatal
  // failure when no board settles.
  void StartAGame(const TileReader& tiles);
  // The same as StartGameWithEnter, for a deal that offers a line to clear: a deal may offer none, and then that
  // game is quit from the pause menu (entering a score of 0) and another one started.
  std::optional<Board> StartGameWithALine(const TileReader& tiles);
  // Brings the cursor to a tile whose push makes a line and pushes it with Z and an arrow; the
  // score the line earns once it has cleared (0 on failure), and the board left behind.
  int ClearALine(const TileReader& tiles, const Board& board, std::optional<Board>* left);
  // Opens the pause menu with Escape, selects its quit with Up and confirms with Z: the game
  // ends with the "Quit" "Game" overlay.
  void QuitFromThePauseMenu();
  // Holds `key` on the menu until the chosen difficulty's description changes, then waits for
  // the wheel to rest on `difficulty`.
  void TurnWheel(const std::string& key, int difficulty);

  // A full board that reads the same for a while: the deal has dropped in and nothing moves.
  std::optional<Board> SettledBoard(const TileReader& tiles, const std::string& stage);

  std::string StatePath() const { return workdir_ + "/" + OX_STATE_FILE_NAME; }
  // Waits until ".tarnstate" holds a whole state text (the program writes it by renaming a
  // finished file into place); nothing when none appeared in time.
  std::optional<ReadState> WaitForSavedState(Seconds patience = kScreenPatience);
  std::string Artifact(const std::string& name) const { return artifacts_ + "/" + name; }

  // Notes the time of a stage in stages.txt beside the pictures.
  void Log(const std::string& stage);
  // Keeps the current run's standard output as stdout-N.txt.
  void KeepOutput();
  // Waits until no window carries the game's title.
  void WaitWindowGone();

  WindowManager manager_;  // started first and ended last, when one is wanted
  GameProcess game_;
  Screen screen_;
  std::unique_ptr<Hands> hands_;
  unsigned long window_ = 0;
  std::unique_ptr<qr_test::TempDir> temp_;  // the game's working directory, removed afterwards
  std::string workdir_;
  std::string artifacts_;
  int stage_ = 0;
  int runs_ = 0;
  Clock::time_point started_;
};

}  // namespace e2e
