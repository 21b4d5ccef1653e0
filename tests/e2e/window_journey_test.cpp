// The window as a desktop treats it: its close button ends the program normally from the menu
// and from a game; F11 switches to full screen and back, reloading the images and keeping the
// game; another window taking the focus pauses the game and saves, and the game is still
// paused when the focus comes back.
#include <cstdio>
#include <thread>

#include "host/host_game.h"
#include "support/journey.h"
#include "support/state_text.h"

namespace e2e {
namespace {

constexpr int kWindowWidth = 640, kWindowHeight = 480;
constexpr auto kFilePoll = std::chrono::milliseconds(50);
constexpr auto kStillPaused = std::chrono::seconds(1);  // the pause menu stays up this long
constexpr auto kKeyTap = std::chrono::milliseconds(150);

bool InPauseMenu(const Shot& s, const View& v) {
  return LooksDarkened(s, v) && PauseSelection(s, v).has_value();
}

class WindowJourney : public Journey {
 protected:
  // F11, then the window again after the switch: its new size, the Loading screen (the images
  // reloading for that size) and then the game where it was. Grabbing starts before the key
  // goes down and goes on without pause, since loading takes a fraction of a second.
  void SwitchAndExpectReload(int width, int height, const std::string& stage,
                             const TileReader& tiles) {
    const std::string title = OX_WINDOW_TITLE;
    ASSERT_TRUE(hands_->Press("F11"));
    // Let go well before the X server would start repeating the key (each repeat is a hit).
    const auto pressed = Clock::now();
    bool held = true;
    bool loading = false;
    for (auto until = Clock::now() + kScreenPatience; !loading && Clock::now() < until;) {
      if (held && Clock::now() - pressed > kKeyTap) {
        EXPECT_TRUE(hands_->Release("F11"));
        held = false;
      }
      unsigned long w = screen_.FindWindow(title);
      int ww = 0, wh = 0;
      if (!w || !screen_.WindowSize(w, &ww, &wh) || ww != width || wh != height) continue;
      if (screen_.FocusedWindow() != w) screen_.Focus(w);
      Shot s = screen_.Grab(w);
      if (s.Empty()) continue;
      window_ = w;
      loading = LooksLoading(s, View::ForWindow(ww, wh), tiles);
      if (loading) Keep(s, stage + " loading");
    }
    if (held) {
      EXPECT_TRUE(hands_->Release("F11"));
    }
    ASSERT_TRUE(loading) << "no Loading screen at " << width << " x " << height;
    hands_->SetWindow(window_);
    ASSERT_TRUE(hands_->Focus());
    ASSERT_FALSE(WaitFor(stage + " game", [&](const Shot& s, const View& v) {
                   return !LooksLikeMenu(s, v) &&
                          (InPauseMenu(s, v) || LooksLikeBoard(s, v, tiles));
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
  ASSERT_NO_FATAL_FAILURE(StartAGame(tiles));
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

  // Escape resumes play, and the close button ends the program normally in the middle of it.
  ASSERT_FALSE(HoldKeyUntil("Escape", "playing again", [&](const Shot& s, const View& v) {
                 return LooksBright(s, v) && LooksLikeBoard(s, v, tiles);
               }).Empty());
  screen_.RequestClose(window_);
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

TEST_F(WindowJourney, FullScreenSwitchReloadsTheImagesAndKeepsTheGame) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  Start();
  ASSERT_NO_FATAL_FAILURE(StartAGame(tiles));
  ASSERT_FALSE(HasFatalFailure());

  int fullWidth = 0, fullHeight = 0;  // full screen fills the test screen
  ASSERT_TRUE(screen_.RootSize(&fullWidth, &fullHeight));
  SwitchAndExpectReload(fullWidth, fullHeight, "full-screen", tiles);
  ASSERT_FALSE(HasFatalFailure());
  SwitchAndExpectReload(kWindowWidth, kWindowHeight, "windowed", tiles);
  ASSERT_FALSE(HasFatalFailure());

  ASSERT_TRUE(hands_->Tap("F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

}  // namespace
}  // namespace e2e
