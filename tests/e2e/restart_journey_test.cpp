// Starting again: a second start reads the state the first one saved ("Settings Loaded",
// "Badges Loaded", "Highscores Loaded") and lists the earlier score; a state with one digit
// changed starts with that difficulty's lists cleared and everything else kept, which the
// next save writes back.
#include <thread>

#include "game/shell.h"
#include "support/journey.h"
#include "support/state_text.h"

namespace e2e {
namespace {

constexpr auto kFilePoll = std::chrono::milliseconds(50);

// Settings as a first run saves them: sound on, the on-screen pad at its least place and
// default size, no overscan margin, sticks the right way up.
constexpr int kPadLeast = 64, kPadSizeDefault = 10, kNoOverscan = 1, kStickNormal = 1;
constexpr int kUnshownOption = 3;  // a setting no screen shows, kept all the same

StateValues DefaultSettings() {
  StateValues v;
  v.options[kOptSoundMode] = kSoundDefault;
  v.options[kOptPadX] = v.options[kOptPadY] = kPadLeast;
  v.options[kOptPadSize] = kPadSizeDefault;
  v.options[kOptOverscan] = kNoOverscan;
  v.options[kOptLeftStickY] = v.options[kOptRightStickY] = kStickNormal;
  return v;
}

class RestartJourney : public Journey {
 protected:
  // The status lines of a start that read a whole saved state, in their order.
  void ExpectStateRead() {
    ASSERT_TRUE(game_.WaitForLine(kMsgHighscoresLoaded, kStartPatience));
    const std::vector<std::string> lines = game_.Lines();
    std::vector<std::string> status;
    for (const std::string& l : lines) {
      if (l == kMsgSettingsLoaded || l == kMsgBadgesLoaded || l == kMsgHighscoresLoaded ||
          l == kMsgSettingsInvalid || l == kMsgBadgesInvalid)
        status.push_back(l);
    }
    EXPECT_EQ(status, (std::vector<std::string>{kMsgSettingsLoaded, kMsgBadgesLoaded,
                                                kMsgHighscoresLoaded}));
  }

  // Waits for the menu to list `top` and `last` first (as digit counts) for the chosen
  // difficulty.
  void ExpectLists(const std::string& stage, int difficulty, int top, int last) {
    ASSERT_FALSE(WaitFor(stage, [&](const Shot& s, const View& v) {
                   return LooksLikeMenu(s, v) && SelectedDifficulty(s, v) == difficulty &&
                          TopListFirstDigits(s, v) == Digits(top) &&
                          LastListFirstDigits(s, v) == Digits(last);
                 }, kStartPatience).Empty());
  }
};

TEST_F(RestartJourney, SecondStartReadsTheSavedStateAndListsTheEarlierScore) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());

  // First run: a Normal game with one line, quit from the pause menu; F4 ends it.
  Start();
  ASSERT_FALSE(WaitFor("menu", LooksLikeMenu, kStartPatience).Empty());
  ASSERT_TRUE(hands_->Focus());
  std::optional<Board> board = StartGameWithALine(tiles);
  ASSERT_TRUE(board);
  std::optional<Board> left;
  const int score = ClearALine(tiles, *board, &left);
  ASSERT_GT(score, 0);
  QuitFromThePauseMenu();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_FALSE(WaitFor("menu after the game", LooksLikeMenu).Empty());
  ASSERT_TRUE(hands_->Tap("F4"));
  ASSERT_EQ(game_.WaitExit(kExitPatience), 0);

  // Second run in the same directory: the saved state is read and the score listed.
  Start();
  ExpectStateRead();
  ExpectLists("earlier score listed", kNormal, score, score);
  ASSERT_TRUE(hands_->Tap("F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

TEST_F(RestartJourney, ChangedDigitClearsThatDifficultysListsAndKeepsTheRest) {
  StateValues saved = DefaultSettings();
  saved.options[kUnshownOption] = 7;
  saved.Top(kEasy, 0) = 4321;
  saved.Top(kEasy, 1) = 50;
  saved.Last(kEasy, 0) = 50;
  saved.Last(kEasy, 1) = 4321;
  saved.Top(kNormal, 0) = 777;
  saved.Last(kNormal, 0) = 777;
  saved.Top(kHard, 0) = 9000;
  saved.Last(kHard, 0) = 9000;
  const std::string damaged = ChangeDigit(ComposeState(saved), TopField(kNormal, 0));
  ASSERT_NE(damaged, ComposeState(saved));
  ASSERT_TRUE(WriteFile(StatePath(), damaged));

  // The settings and badges read as before; only Normal's lists are empty.
  Start();
  ExpectStateRead();
  ExpectLists("normal cleared", kNormal, 0, 0);
  ASSERT_TRUE(hands_->Focus());
  TurnWheel("Up", kEasy);
  ASSERT_FALSE(HasFatalFailure());
  ExpectLists("easy kept", kEasy, 4321, 50);
  TurnWheel("Down", kNormal);
  TurnWheel("Down", kHard);
  ASSERT_FALSE(HasFatalFailure());
  ExpectLists("hard kept", kHard, 9000, 9000);

  // The next save (the window losing the focus) writes the cleared lists back.
  screen_.TakeFocus();
  std::optional<std::string> text;
  for (auto until = Clock::now() + kScreenPatience; Clock::now() < until;) {
    text = ReadFile(StatePath());
    if (text && *text != damaged) break;
    std::this_thread::sleep_for(kFilePoll);
  }
  ASSERT_TRUE(text && *text != damaged) << "the state was not saved again";
  std::optional<ReadState> state = ParseState(*text);
  ASSERT_TRUE(state) << *text;
  EXPECT_TRUE(state->AllValid()) << *text;
  StateValues expected = saved;
  for (int k = 0; k < kListEntries; ++k) expected.Top(kNormal, k) = expected.Last(kNormal, k) = 0;
  EXPECT_EQ(state->values.options, expected.options);
  EXPECT_EQ(state->values.badgeWords, expected.badgeWords);
  EXPECT_EQ(state->values.hiscores, expected.hiscores);

  screen_.RequestClose(window_);
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

}  // namespace
}  // namespace e2e
