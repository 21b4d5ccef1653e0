// A first game played from the keyboard: Loading gives way to the menu, the wheel turns down
// and up, Enter starts a Normal game, the cursor moves and a push clears a line, the pause menu
// opens and closes on Escape and its quit ends the game with the "Quit" "Game" overlay; the
// menu then lists the score, F4 ends the program normally and ".tarnstate" keeps the score.
#include <algorithm>
#include <cstdlib>

#include "game/shell.h"
#include "support/journey.h"
#include "support/state_text.h"

namespace e2e {
namespace {

constexpr double kSameDescription = 0.02;  // share of outline pixels that may differ


class KeyboardJourney : public Journey {};

TEST_F(KeyboardJourney, PlaysANormalGameQuitsFromThePauseMenuAndKeepsTheScore) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  Start();

  // Start-up: the Loading screen, then the menu; a first run has no saved state to report.
  ASSERT_FALSE(WaitFor("loading", [&](const Shot& s, const View& v) {
                 return LooksLoading(s, v, tiles);
               }, kStartPatience).Empty());
  ASSERT_FALSE(WaitFor("menu", LooksLikeMenu, kStartPatience).Empty());
  ASSERT_TRUE(game_.WaitForLine(kMsgHighscoresLoaded, kScreenPatience));
  const std::vector<std::string> lines = game_.Lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kMsgSettingsLoaded), 0);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kMsgBadgesLoaded), 0);
  ASSERT_TRUE(hands_->Focus());

  // The wheel: Normal stands out at first; Down turns Hard there, Up turns Normal back.
  Shot normal = WaitFor("menu normal", [](const Shot& s, const View& v) {
    return LooksLikeMenu(s, v) && SelectedDifficulty(s, v) == kNormal;
  });
  ASSERT_FALSE(normal.Empty());
  Shot hard = HoldKeyUntil("Down", "wheel down to hard", [&](const Shot& s, const View& v) {
    return DescriptionDifference(s, normal, v) > kSameDescription;
  });
  ASSERT_FALSE(hard.Empty());
  ASSERT_FALSE(WaitFor("hard stands out", [](const Shot& s, const View& v) {
                 return SelectedDifficulty(s, v) == kHard;
               }).Empty());
  ASSERT_FALSE(HoldKeyUntil("Up", "wheel up to normal", [&](const Shot& s, const View& v) {
                 return DescriptionDifference(s, normal, v) <= kSameDescription;
               }).Empty());
  ASSERT_FALSE(WaitFor("normal stands out", [](const Shot& s, const View& v) {
                 return SelectedDifficulty(s, v) == kNormal;
               }).Empty());

  // Enter starts the game: a full board once the tiles have dropped in, the cursor at 3,3.
  ASSERT_FALSE(HoldKeyUntil("Return", "game dealt", [&](const Shot& s, const View& v) {
                 return LooksLikeBoard(s, v, tiles);
               }).Empty());
  std::optional<Board> settled = SettledBoard(tiles, "board settled");
  ASSERT_TRUE(settled);
  ASSERT_FALSE(WaitFor("cursor at start", [&](const Shot& s, const View& v) {
                 return CursorAt(s, v, kStartColumn, kStartRow);
               }).Empty());
  const Board board = *settled;

  // A push that makes a line; the arrows bring the cursor to its tile.
  std::optional<Push> push = ClearingPush(board);
  ASSERT_TRUE(push) << "the board offers no line to make";
  MoveCursor(kStartColumn, kStartRow, push->column, push->row);
  ASSERT_FALSE(HasFatalFailure());
  if (push->column == kStartColumn && push->row == kStartRow) {
    // Show the cursor moving all the same: one step away and back.
    MoveCursor(kStartColumn, kStartRow, kStartColumn, kStartRow == 0 ? 1 : kStartRow - 1);
    MoveCursor(kStartColumn, kStartRow == 0 ? 1 : kStartRow - 1, kStartColumn, kStartRow);
    ASSERT_FALSE(HasFatalFailure());
  }

  // Z held with the arrow pushes the tile: the line clears and leaves holes.
  const Board expected = AfterClears(Swapped(board, *push));
  ASSERT_TRUE(hands_->Press("z"));
  Shot pushed = HoldKeyUntil(Arrow(push->dx, push->dy), "pushed",
                             [&](const Shot& s, const View& v) {
                               return tiles.Read(s, v).Differences(board) >= 2;
                             });
  ASSERT_TRUE(hands_->Release("z"));
  ASSERT_FALSE(pushed.Empty());
  ASSERT_FALSE(WaitFor("line cleared", [&](const Shot& s, const View& v) {
                 return tiles.Read(s, v).Differences(expected) == 0;
               }).Empty());
  const int score = kScorePerSquare * push->cleared * push->cleared;

  // Escape opens the pause menu over a darkened screen, and closes it again.
  ASSERT_FALSE(HoldKeyUntil("Escape", "paused", [](const Shot& s, const View& v) {
                 return LooksDarkened(s, v) && PauseSelection(s, v) == 0;
               }).Empty());
  ASSERT_FALSE(HoldKeyUntil("Escape", "resumed", [&](const Shot& s, const View& v) {
                 return LooksBright(s, v) && tiles.Read(s, v).Differences(expected) == 0;
               }).Empty());

  // The pause menu's quit: Up selects it, Z confirms, and the game ends with "Quit" "Game".
  ASSERT_FALSE(HoldKeyUntil("Escape", "paused again", [](const Shot& s, const View& v) {
                 return LooksDarkened(s, v) && PauseSelection(s, v) == 0;
               }).Empty());
  ASSERT_FALSE(HoldKeyUntil("Up", "quit selected", [](const Shot& s, const View& v) {
                 return PauseSelection(s, v) == -1;
               }).Empty());
  ASSERT_FALSE(HoldKeyUntil("z", "quit game overlay", [](const Shot& s, const View& v) {
                 return ShowsGameOverBands(s, v) && OverlayWordsTitleCase(s, v) == true;
               }).Empty());

  // Back in the menu, both lists of Normal show the score first.
  ASSERT_FALSE(WaitFor("menu with score", [&](const Shot& s, const View& v) {
                 return LooksLikeMenu(s, v) && TopListFirstDigits(s, v) == Digits(score) &&
                        LastListFirstDigits(s, v) == Digits(score);
               }).Empty());

  // F4 ends the program normally; the state it saved after the game holds the score.
  ASSERT_TRUE(hands_->Tap("F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
  std::optional<std::string> text = ReadFile(StatePath());
  ASSERT_TRUE(text) << "no .tarnstate in the working directory";
  std::optional<ReadState> state = ParseState(*text);
  ASSERT_TRUE(state) << "not 203 plain fields: " << *text;
  EXPECT_TRUE(state->AllValid()) << *text;
  EXPECT_EQ(state->values.Last(kNormal, 0), score);
  EXPECT_EQ(state->values.Top(kNormal, 0), score);
  for (Difficulty d : {kEasy, kHard}) EXPECT_EQ(state->values.Last(d, 0), 0);
}

}  // namespace
}  // namespace e2e
