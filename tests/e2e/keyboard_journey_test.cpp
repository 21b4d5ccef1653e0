// A first game played from the keyboard: Loading gives way to the menu, the wheel turns down
// and up, Enter starts a Normal game, the cursor moves and a push clears a line, the pause menu
// opens and closes on Escape and its quit ends the game with the "Quit" "Game" overlay; the
// menu then lists the score, F4 ends the program normally and ".tarnstate" keeps the score.
// Escape on the menu ends the program normally.
#include <algorithm>

#include "game/shell.h"
#include "support/journey.h"
#include "support/state_text.h"

namespace e2e {
namespace {

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
  TurnWheel("Down", kHard);
  TurnWheel("Up", kNormal);
  ASSERT_FALSE(HasFatalFailure());

  // Enter starts the game (dealt again should it offer no line); the arrows bring the cursor to a tile whose push makes a line, and
  // Z held with the arrow pushes it: the line clears and leaves holes.
  std::optional<Board> board = StartGameWithALine(tiles);
  ASSERT_TRUE(board);
  std::optional<Board> expected;
  const int score = ClearALine(tiles, *board, &expected);
  ASSERT_GT(score, 0);

  // Escape opens the pause menu over a darkened screen, and closes it again.
  ASSERT_FALSE(HoldKeyUntil("Escape", "paused", [](const Shot& s, const View& v) {
                 return LooksDarkened(s, v) && PauseSelection(s, v) == 0;
               }).Empty());
  ASSERT_FALSE(HoldKeyUntil("Escape", "resumed", [&](const Shot& s, const View& v) {
                 return LooksBright(s, v) && tiles.Read(s, v).Differences(*expected) == 0;
               }).Empty());

  // The pause menu's quit: Up selects it, Z confirms, and the game ends with "Quit" "Game".
  QuitFromThePauseMenu();
  ASSERT_FALSE(HasFatalFailure());

  // Back in the menu, once the overlay has faded, both lists of Normal show the score first.
  // This picture is also kept as e2e-artifacts/menu.png, the menu shown in the README.
  Shot listed = WaitFor("menu with score", [&](const Shot& s, const View& v) {
    return LooksLikeMenu(s, v) && OverlayGone(s, v) &&
           TopListFirstDigits(s, v) == Digits(score) &&
           LastListFirstDigits(s, v) == Digits(score);
  });
  ASSERT_FALSE(listed.Empty());
  EXPECT_TRUE(listed.SavePng(std::string(QR_E2E_ARTIFACTS) + "/menu.png"));

  // F4 ends the program normally; the state it saved after the game holds the score.
  ASSERT_TRUE(hands_->Tap("F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
  std::optional<std::string> text = ReadFile(StatePath());
  ASSERT_TRUE(text) << "no " << OX_STATE_FILE_NAME << " in the working directory";
  std::optional<ReadState> state = ParseState(*text);
  ASSERT_TRUE(state) << "not 203 plain fields: " << *text;
  EXPECT_TRUE(state->AllValid()) << *text;
  EXPECT_EQ(state->values.Last(kNormal, 0), score);
  EXPECT_EQ(state->values.Top(kNormal, 0), score);
  for (Difficulty d : {kEasy, kHard}) EXPECT_EQ(state->values.Last(d, 0), 0);
}

// Escape on the menu is the way out: the program ends normally, with status 0.
TEST_F(KeyboardJourney, EscapeInTheMenuEndsTheProgram) {
  Start();
  ASSERT_FALSE(WaitFor("menu", LooksLikeMenu, kStartPatience).Empty());
  ASSERT_TRUE(hands_->Focus());
  ASSERT_TRUE(hands_->Press("Escape"));  // held: the menu reads it at its next update
  const std::optional<int> status = game_.WaitExit(kExitPatience);
  hands_->Release("Escape");
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace e2e
