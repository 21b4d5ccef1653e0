// The window as a desktop treats it: its close button ends the program normally from the menu
// and from a game; F11 switches to full screen and back, reloading the images and keeping the
// game; another window taking the focus pauses the game and saves, and the game is still
// paused when the focus comes back.
#include <cstdio>
#include <thread>

#include "support/journey.h"
#include "support/state_text.h"

namespace e2e {
namespace {

constexpr int kFullWidth = 1280, kFullHeight = 1024;  // the test screen: full screen fills it
constexpr int kWindowWidth = 640, kWindowHeight = 480;
constexpr auto kFilePoll = std::chrono::milliseconds(50);
constexpr auto kStillPaused = std::chrono::seconds(1);  // the pause menu stays up this long

bool InPauseMenu(const Shot& s, const View& v) {
  return LooksDarkened(s, v) && PauseSelection(s, v).has_value();
}

class WindowJourney : public Journey {
 protected:
  // From the menu, Enter starts a game; back once the board has dropped in.
  void StartAGame(const TileReader& tiles) {
    ASSERT_FALSE(WaitFor("menu", LooksLikeMenu, kStartPatience).Empty());
    ASSERT_TRUE(hands_->Focus());
    ASSERT_FALSE(HoldKeyUntil("Return", "game started", [&](const Shot& s, const View& v) {
                   return LooksLikeBoard(s, v, tiles);
                 }).Empty());
    ASSERT_TRUE(SettledBoard(tiles, "board settled"));
  }

  // The window again after a switch between full screen and a window: its new size, the
  // Loading screen once it has the focus, then the game where it was.
  void ExpectReloadedGame(int width, int height, const std::string& stage,
                          const TileReader& tiles) {
    int w = 0, h = 0;
    for (auto until = Clock::now() + kScreenPatience; Clock::now() < until;) {
      ASSERT_TRUE(FindWindow());
      if (screen_.WindowSize(window_, &w, &h) && w == width && h == height) break;
      std::this_thread::sleep_for(kFilePoll);
    }
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, height);
    ASSERT_TRUE(hands_->Focus());
    ASSERT_FALSE(WaitFor(stage + " loading", [&](const Shot& s, const View& v) {
                   return LooksLoading(s, v, tiles);
                 }).Empty());
    ASSERT_FALSE(WaitFor(stage + " game", [&](const Shot& s, const View& v) {
                   return !LooksLikeMenu(s, v) && (InPauseMenu(s, v) || LooksLikeBoard(s, v, tiles));
                 }).Empty());
  }
};

TEST_F(WindowJourney, CloseButtonEndsTheProgramFromTheMenu) {
  Start(BuildProgram(), "", {"--an-option-it-does-not-know"});
  ASSERT_FALSE(WaitFor("menu", LooksLikeMenu, kStartPatience).Empty());
  screen_.RequestClose(window_);
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

TEST_F(WindowJourney, LosingTheFocusPausesAndSavesAndTheCloseButtonEndsTheGame) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  Start();
  StartAGame(tiles);
  ASSERT_FALSE(HasFatalFailure());
  std::remove(StatePath().c_str());

  // Another window takes the focus: the state is saved.
  screen_.TakeFocus();
  std::optional<std::string> saved;
  for (auto until = Clock::now() + kScreenPatience; !saved && Clock::now() < until;) {
    saved = ReadFile(StatePath());
    if (!saved) std::this_thread::sleep_for(kFilePoll);
  }
  ASSERT_TRUE(saved) << "nothing saved when the window lost the focus";
  std::optional<ReadState> state = ParseState(*saved);
  ASSERT_TRUE(state) << *saved;
  EXPECT_TRUE(state->AllValid()) << *saved;

  // The focus comes back: the pause menu is up at once, and stays up.
  ASSERT_TRUE(hands_->Focus());
  ASSERT_FALSE(WaitFor("paused on return", InPauseMenu).Empty());
  std::this_thread::sleep_for(kStillPaused);
  Shot later = Snap("still paused");
  EXPECT_TRUE(InPauseMenu(later, View::ForWindow(later.Width(), later.Height())));

  // The close button ends the program normally from a game too.
  screen_.RequestClose(window_);
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

TEST_F(WindowJourney, FullScreenSwitchReloadsTheImagesAndKeepsTheGame) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  Start();
  StartAGame(tiles);
  ASSERT_FALSE(HasFatalFailure());

  ASSERT_TRUE(hands_->Tap("F11"));
  ExpectReloadedGame(kFullWidth, kFullHeight, "full screen", tiles);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(hands_->Tap("F11"));
  ExpectReloadedGame(kWindowWidth, kWindowHeight, "windowed", tiles);
  ASSERT_FALSE(HasFatalFailure());

  ASSERT_TRUE(hands_->Tap("F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

}  // namespace
}  // namespace e2e
