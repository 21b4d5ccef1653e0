// A whole Easy game from the keyboard to its end by the timer: the wheel turns to Easy, Enter
// starts the game (dealt again should the deal offer no line), a push clears a line, and then nothing is pressed: the timer bars run down
// and the game ends with the "GAME" "OVER" overlay and "New Highscore" for the first place.
// The menu then lists the score first in both of Easy's lists, and ".tarnstate" keeps it.
#include "support/journey.h"
#include "support/state_text.h"

namespace e2e {
namespace {

// A clear refills the timer to 6 s of settled play on Easy, a fresh deal to 20 s: three
// times a deal's time, and the usual wait for a screen on top.
constexpr Seconds kTimeUpPatience = Seconds(3 * 20) + kScreenPatience;
constexpr double kTimerNearlyOut = 0.25;  // of a full bar
// "New Highscore" has 12 letters; "1st!" 4 glyphs, the narrow "!" last.
constexpr int kTitleLetters = 12, kFirstPlaceGlyphs = 4;

class TimeUpJourney : public Journey {};

TEST_F(TimeUpJourney, AnEasyGameRunsOutOfTimeAndItsScoreIsRanked) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  Start();
  ASSERT_FALSE(WaitFor("menu", [](const Shot& s, const View& v) {
                 return LooksLikeMenu(s, v) && SelectedDifficulty(s, v) == kNormal;
               }, kStartPatience).Empty());
  ASSERT_TRUE(hands_->Focus());
  TurnWheel("Up", kEasy);
  ASSERT_FALSE(HasFatalFailure());

  std::optional<Board> board = StartGameWithALine(tiles);
  ASSERT_TRUE(board);
  std::optional<Board> left;
  const int score = ClearALine(tiles, *board, &left);
  ASSERT_GT(score, 0);

  // Hands off: the timer bars run down to nearly nothing. (Should the push have met the
  // board's quota, a new deal comes first and its full timer runs down instead.)
  ASSERT_FALSE(WaitFor("timer nearly out", [&](const Shot& s, const View& v) {
                 const double bar = TimerBarShare(s, v);
                 return bar > 0 && bar < kTimerNearlyOut && LooksBright(s, v);
               }, kTimeUpPatience).Empty());

  // Time up: the overlay with "GAME" "OVER" in capitals (a quit would read "Quit" "Game"),
  // and the score's place in the empty table, the first.
  std::optional<HighscoreNote> note;
  ASSERT_FALSE(WaitFor("game over", [&](const Shot& s, const View& v) {
                 note = ShownHighscoreNote(s, v);
                 return ShowsGameOverBands(s, v) && OverlayWordsTitleCase(s, v) == false && note;
               }, kTimeUpPatience).Empty());
  EXPECT_EQ(note->titleLetters, kTitleLetters);
  EXPECT_EQ(note->placeGlyphs, kFirstPlaceGlyphs);
  EXPECT_TRUE(note->placeEndsNarrow) << "the place does not end with \"!\", as only \"1st!\" does";

  // Back on the menu, still on Easy, both lists show the score first.
  ASSERT_FALSE(WaitFor("menu with the easy score", [&](const Shot& s, const View& v) {
                 return LooksLikeMenu(s, v) && OverlayGone(s, v) &&
                        SelectedDifficulty(s, v) == kEasy &&
                        TopListFirstDigits(s, v) == Digits(score) &&
                        LastListFirstDigits(s, v) == Digits(score);
               }).Empty());

  // The state saved after the game holds the score in Easy's lists only.
  ASSERT_TRUE(hands_->Tap("F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
  std::optional<std::string> text = ReadFile(StatePath());
  ASSERT_TRUE(text) << "no " << OX_STATE_FILE_NAME << " in the working directory";
  std::optional<ReadState> state = ParseState(*text);
  ASSERT_TRUE(state) << *text;
  EXPECT_TRUE(state->AllValid()) << *text;
  StateValues expected;
  expected.Top(kEasy, 0) = expected.Last(kEasy, 0) = score;
  EXPECT_EQ(state->values.hiscores, expected.hiscores);
}

}  // namespace
}  // namespace e2e
