// The texts stay inside the window at every size a player may give it, portrait too: at each
// size the menu (score lists, logo, description), the options box's lines and the pause menu's
// label are looked at once they stand still, and no text ink may lie in the outermost pixels
// of the window where those texts come near it, where a clipped glyph would show. The lists are
// full of wide scores.
#include <algorithm>
#include <cmath>
#include <thread>

#include "host/host_game.h"
#include "support/journey.h"

namespace e2e {
namespace {

constexpr int kMargin = 2;          // no text ink this close to the window's edge
constexpr double kInkRise = 40;     // luma away from the surface's own that counts as ink
constexpr double kStill = 1.0;      // mean channel difference of a screen that stands still
constexpr auto kStillFor = std::chrono::milliseconds(300);
// A key tap held and then let go for long enough that the game reads both, even drawing a big
// window slowly: a fire key pressed before the last key's release was read finds the key latch
// still set.
constexpr auto kKeyTap = std::chrono::milliseconds(300);

// Where the menu's texts stand, in virtual units.
constexpr double kLogoBottom = 192;    // the logo's lowest row at its full size
constexpr double kWheelReach = 264;    // the wheel's ring and items, up from the bottom edge
constexpr double kDescriptionX = 240;  // the chosen difficulty's description starts here
constexpr double kPanelGap = 5;        // the logo keeps clear of the panel by this much
// The options box: its right side, and the rows of its five lines.
constexpr double kBoxInset = 50, kBoxTextGap = 6;
constexpr double kLinesTop = 128, kLinesBottom = 314;
// The pause menu's label stands in the lower right corner.
constexpr double kLabelW = 160, kLabelH = 40;

struct Size {
  int width, height;
};

// Pixels of `strip` whose luma is more than kInkRise away from `surface`.
int InkIn(const Shot& s, Rect strip, double surface) {
  const Rect ink = s.Bounds(strip, [&](const Rgb& c) { return std::abs(c.Luma() - surface) > kInkRise; });
  return ink.w == 0 ? 0 : ink.w * ink.h;
}
// The same against the strip's own median: for strips over one even surface (the panel, the
// darkened pause screen, the options box).
int InkOnItsSurface(const Shot& s, Rect strip) { return InkIn(s, strip, s.MedianLuma(strip)); }

// The window's outermost columns or rows, over a span of virtual units along that edge.
Rect RightEdge(const Shot& s, const View& v, double top, double bottom) {
  Rect r = v.Box(0, top, 0, bottom - top);
  return {s.Width() - kMargin, std::max(r.y, kMargin), kMargin,
          std::min(r.h, s.Height() - kMargin - std::max(r.y, kMargin))};
}
Rect LeftEdge(const Shot& s, const View& v, double top, double bottom) {
  Rect r = RightEdge(s, v, top, bottom);
  r.x = 0;
  return r;
}
Rect TopEdge(const Shot& s, const View& v, double left, double right) {
  Rect r = v.Box(left, 0, right - left, 0);
  return {std::max(r.x, kMargin), 0, std::min(r.w, s.Width() - kMargin - std::max(r.x, kMargin)),
          kMargin};
}
Rect BottomEdge(const Shot& s, const View& v, double left, double right) {
  Rect r = TopEdge(s, v, left, right);
  r.y = s.Height() - kMargin;
  return r;
}

class TextFitJourney : public Journey {
 protected:
  // Resizes the window (through the manager when there is one, into the screen's corner so that
  // all of it can be grabbed) and waits for the menu laid out at that size.
  void ResizeTo(Size size) {
    const std::string w = std::to_string(size.width), h = std::to_string(size.height);
    const std::string id = std::to_string(window_);
    if (UnderManager()) {
      ASSERT_EQ(RunCommand({"wmctrl", "-i", "-r", id, "-e", "0,0,0," + w + "," + h},
                           kScreenPatience), 0);
      ASSERT_EQ(RunCommand({"wmctrl", "-i", "-r", id, "-e", "0,0,0,-1,-1"}, kScreenPatience), 0);
    } else {
      ASSERT_EQ(RunCommand({"xdotool", "windowmove", id, "0", "0"}, kScreenPatience), 0);
      ASSERT_EQ(RunCommand({"xdotool", "windowsize", id, w, h}, kScreenPatience), 0);
    }
  }

  // The window at `size` showing `test`, once the whole picture has stood still for a moment
  // (the menu's panel and the boxes slide in).
  Shot WaitStill(const std::string& stage, Size size, const ScreenTest& test) {
    Shot previous;
    Clock::time_point since;
    return WaitFor(stage, [&](const Shot& s, const View& v) {
      if (s.Width() != size.width || s.Height() != size.height || !test(s, v)) {
        previous = Shot();
        return false;
      }
      if (previous.Empty() || s.Difference(previous, {0, 0, s.Width(), s.Height()}) > kStill) {
        previous = s;
        since = Clock::now();
        return false;
      }
      return Clock::now() - since >= kStillFor;
    });
  }

  void TapKey(const std::string& key) {
    ASSERT_TRUE(hands_->Press(key));
    std::this_thread::sleep_for(kKeyTap);
    ASSERT_TRUE(hands_->Release(key));
    std::this_thread::sleep_for(kKeyTap);
  }

  // The menu's texts: the score lists against the right edge, the logo against the left and top
  // edges and clear of the panel, the description against the bottom edge.
  void CheckMenu(const Shot& s, const std::string& stage) {
    const View v = View::ForWindow(s.Width(), s.Height());
    const double bg = MenuBackgroundLuma(s, v);
    const double logoRows = std::min(kLogoBottom, v.Height() - kWheelReach);
    EXPECT_EQ(InkOnItsSurface(s, RightEdge(s, v, 0, v.Height())), 0)
        << "score list ink at the right edge at " << stage;
    EXPECT_EQ(InkIn(s, LeftEdge(s, v, 0, logoRows), bg), 0) << "logo at the left edge at " << stage;
    EXPECT_EQ(InkIn(s, TopEdge(s, v, 0, v.PanelLeft() - kPanelGap), bg), 0)
        << "logo at the top edge at " << stage;
    EXPECT_EQ(InkIn(s, v.Box(v.PanelLeft() - kPanelGap, 0, kMargin, kLogoBottom), bg), 0)
        << "logo under the panel at " << stage;
    EXPECT_EQ(InkIn(s, BottomEdge(s, v, kDescriptionX, v.PanelLeft() - kPanelGap), bg), 0)
        << "description at the bottom edge at " << stage;
  }

  // The options box's lines end inside the box, and so inside the window.
  void CheckOptionsBox(const Shot& s, const std::string& stage) {
    const View v = View::ForWindow(s.Width(), s.Height());
    const Rect boxSide = v.Box(v.Width() - kBoxInset - kBoxTextGap, kLinesTop, kBoxTextGap - 1,
                               kLinesBottom - kLinesTop);
    EXPECT_EQ(InkOnItsSurface(s, boxSide), 0) << "an option line past the box at " << stage;
    EXPECT_EQ(InkOnItsSurface(s, RightEdge(s, v, kLinesTop, kLinesBottom)), 0)
        << "an option line at the right edge at " << stage;
  }

  // The pause menu's label in the lower right corner keeps off both edges there.
  void CheckPauseMenu(const Shot& s, const std::string& stage) {
    const View v = View::ForWindow(s.Width(), s.Height());
    EXPECT_EQ(InkOnItsSurface(s, RightEdge(s, v, v.Height() - kLabelH, v.Height())), 0)
        << "pause label at the right edge at " << stage;
    EXPECT_EQ(InkOnItsSurface(s, BottomEdge(s, v, v.Width() - kLabelW, v.Width())), 0)
        << "pause label at the bottom edge at " << stage;
  }
};

TEST_F(TextFitJourney, MenuOptionsAndPauseTextsStayInsideTheWindowAtEverySize) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  // Full score lists of wide scores, every last digit among them, so the right-aligned lists
  // reach as far right as any score can.
  StateValues saved;
  for (Difficulty d : {kEasy, kNormal, kHard}) {
    for (int k = 0; k < kListEntries; ++k) {
      saved.Top(d, k) = 987654329 - k;
      saved.Last(d, k) = 13570 + 1111 * k;
    }
  }
  ASSERT_TRUE(WriteFile(StatePath(), ComposeState(saved)));
  int screenW = 0, screenH = 0;
  Start();
  ASSERT_TRUE(screen_.RootSize(&screenW, &screenH));
  ASSERT_FALSE(WaitFor("menu", LooksLikeMenu, kStartPatience).Empty());
  const Size sizes[] = {{800, 600}, {1280, 720}, {1920, 1080}, {480, 800}, {640, 480}};
  for (Size size : sizes) {
    const std::string stage = std::to_string(size.width) + "x" + std::to_string(size.height);
    // A window past the screen's edge cannot be grabbed whole (under a manager, its frame too).
    if (size.width > screenW || size.height > screenH - 64) {
      ADD_FAILURE() << "the test screen (" << screenW << " x " << screenH << ") cannot hold "
                    << stage;
      continue;
    }
    ResizeTo(size);
    ASSERT_FALSE(HasFatalFailure());
    // The size change reloads the images, and the menu comes back laid out for the new size.
    ASSERT_FALSE(WaitFor(stage + " loading", [&](const Shot& s, const View& v) {
                   return s.Width() == size.width && s.Height() == size.height &&
                          LooksLoading(s, v, tiles);
                 }).Empty());
    Shot menu = WaitStill(stage + " menu", size, LooksLikeMenu);
    ASSERT_FALSE(menu.Empty());
    CheckMenu(menu, stage);

    // The options box, from the gear left of the wheel; the pause key closes it again.
    ASSERT_TRUE(hands_->Focus());
    TapKey("Left");
    ASSERT_FALSE(HoldKeyUntil("Return", stage + " options opening",
                              [](const Shot& s, const View& v) { return ShowsOptionsBox(s, v); })
                     .Empty());
    Shot box = WaitStill(stage + " options", size, ShowsOptionsBox);
    ASSERT_FALSE(box.Empty());
    CheckOptionsBox(box, stage);
    auto menuAlone = [](const Shot& s, const View& v) {
      return !ShowsOptionsBox(s, v) && LooksLikeMenu(s, v);
    };
    ASSERT_FALSE(HoldKeyUntil("Escape", stage + " options closing", menuAlone).Empty());
    // The menu takes keys again once the box has slid out of sight.
    ASSERT_FALSE(WaitStill(stage + " options closed", size, menuAlone).Empty());

    // A game, paused: the pause menu over it. Quit is above resume in every layout.
    TapKey("Right");
    ASSERT_FALSE(HoldKeyUntil("Return", stage + " game", [&](const Shot& s, const View& v) {
                   return LooksLikeBoard(s, v, tiles);
                 }).Empty());
    ASSERT_TRUE(SettledBoard(tiles, stage + " board settled"));
    ASSERT_FALSE(HoldKeyUntil("Escape", stage + " pausing", LooksDarkened).Empty());
    Shot paused = WaitStill(stage + " paused", size, LooksDarkened);
    ASSERT_FALSE(paused.Empty());
    CheckPauseMenu(paused, stage);
    TapKey("Up");
    TapKey("z");
    ASSERT_FALSE(WaitFor(stage + " menu again", LooksLikeMenu, kStartPatience).Empty());
  }
}

}  // namespace
}  // namespace e2e
