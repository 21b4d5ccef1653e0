// The credits page from the keyboard: Right moves the menu's focus to the side panel, fire
// opens the page over the whole screen, its lines keep scrolling while it is open, and fire
// closes it again: the menu is back with the chosen difficulty's score lists.
#include "support/journey.h"
#include "support/state_text.h"

namespace e2e {
namespace {

// Share of the page's moving column that must change between two pictures for the page to
// count as having scrolled (one line's height of movement changes far more).
constexpr double kScrolled = 0.005;
// The panel eases over the screen and back in well under a second; a press is tried again
// only after this long, since a second one would open or close the page again.
constexpr Seconds kPagePatience{10};

class CreditsJourney : public Journey {
 protected:
  // The menu resting on Normal with a four-digit best and a two-digit last score.
  static constexpr int kBest = 4321, kLast = 50;

  bool ShowsLists(const Shot& s, const View& v) {
    return LooksLikeMenu(s, v) && SelectedDifficulty(s, v) == kNormal &&
           TopListFirstDigits(s, v) == Digits(kBest) && LastListFirstDigits(s, v) == Digits(kLast);
  }
};

TEST_F(CreditsJourney, PanelOpensScrollingCreditsAndFireClosesThemToTheMenu) {
  StateValues saved;
  saved.Top(kNormal, 0) = kBest;
  saved.Last(kNormal, 0) = kLast;
  ASSERT_TRUE(WriteFile(StatePath(), ComposeState(saved)));

  Start();
  ASSERT_FALSE(WaitFor("menu with lists", [&](const Shot& s, const View& v) {
                 return ShowsLists(s, v) && !PanelFocused(s, v);
               }, kStartPatience).Empty());
  ASSERT_TRUE(hands_->Focus());

  // Right: the panel takes the focus and darkens; fire opens the page over the whole screen.
  ASSERT_FALSE(PressUntil("Right", "panel focused", PanelFocused).Empty());
  ASSERT_FALSE(PressUntil("z", "credits open", ShowsCreditsPage, true, kPagePatience).Empty());

  // While it stays open the page keeps moving: each picture differs from the one before.
  Shot before = WaitFor("credits at rest", ShowsCreditsPage);
  ASSERT_FALSE(before.Empty());
  for (int step = 1; step <= 2; ++step) {
    Shot after = WaitFor("credits scrolled " + std::to_string(step),
                         [&](const Shot& s, const View& v) {
                           return ShowsCreditsPage(s, v) &&
                                  CreditsDifference(before, s, v) > kScrolled;
                         });
    ASSERT_FALSE(after.Empty());
    before = std::move(after);
  }

  // Fire closes it: the panel slides back and the lists show again.
  ASSERT_FALSE(PressUntil("z", "credits closed", [&](const Shot& s, const View& v) {
                 return ShowsLists(s, v);
               }, true, kPagePatience).Empty());
  EXPECT_TRUE(game_.Running());
  ASSERT_TRUE(hands_->Tap("F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

}  // namespace
}  // namespace e2e
