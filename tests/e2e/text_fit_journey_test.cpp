// The menu's texts stay inside the window at every size the test screen holds, portrait too: the
// score lists are right-aligned against the window's edge, so a glyph drawn wider than its
// advance shows as text ink in the outermost pixels of the panel, where a clipped digit would be.
#include <algorithm>

#include "host/host_game.h"
#include "support/journey.h"

namespace e2e {
namespace {

constexpr int kMargin = 2;          // no text ink this close to the window's edge
constexpr double kInkRise = 40;     // luma above the panel's own grey that counts as ink
constexpr double kStill = 1.0;     // mean channel difference of a panel that stands still
constexpr auto kStillFor = std::chrono::milliseconds(300);

struct Size {
  int width, height;
};

// Pixels of the outermost columns on the right, over the panel's height, brighter than the
// panel's grey by more than kInkRise.
int InkAtTheRightEdge(const Shot& s) {
  const Rect edge{s.Width() - kMargin, kMargin, kMargin, s.Height() - 2 * kMargin};
  const double grey = s.MedianLuma(edge);
  const Rect ink = s.Bounds(edge, [&](const Rgb& c) { return c.Luma() > grey + kInkRise; });
  return ink.w == 0 ? 0 : ink.w * ink.h;
}

class TextFitJourney : public Journey {
 protected:
  // Resizes the window (through the manager when there is one, into the screen's corner so that
  // all of it can be grabbed) and waits for the menu at that size.
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
};

TEST_F(TextFitJourney, ScoreListsEndInsideTheWindowAtEverySize) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  Start();
  ASSERT_FALSE(WaitFor("menu", LooksLikeMenu, kStartPatience).Empty());
  // 1920 x 1080 is larger than the test screen, and a window past its edge cannot be grabbed.
  for (Size size : {Size{800, 600}, Size{1280, 720}, Size{480, 800}, Size{640, 480}}) {
    const std::string stage = std::to_string(size.width) + "x" + std::to_string(size.height);
    auto atSize = [&](const Shot& s) {
      return s.Width() == size.width && s.Height() == size.height;
    };
    ResizeTo(size);
    ASSERT_FALSE(HasFatalFailure());
    // The size change reloads the images, and the menu comes back laid out for the new size.
    ASSERT_FALSE(WaitFor(stage + " loading", [&](const Shot& s, const View& v) {
                   return atSize(s) && LooksLoading(s, v, tiles);
                 }).Empty());
    // The panel slides in: the edge is read once the menu stands still.
    Shot previous;
    Clock::time_point since;
    Shot menu = WaitFor(stage + " menu", [&](const Shot& s, const View& v) {
      if (!atSize(s) || !LooksLikeMenu(s, v)) {
        previous = Shot();
        return false;
      }
      const Rect panel = v.Box(v.PanelLeft(), 0, v.Width() - v.PanelLeft(), v.Height());
      if (previous.Empty() || s.Difference(previous, panel) > kStill) {
        previous = s;
        since = Clock::now();
        return false;
      }
      return Clock::now() - since >= kStillFor;
    });
    ASSERT_FALSE(menu.Empty());
    EXPECT_EQ(InkAtTheRightEdge(menu), 0) << "text ink at the right edge at " << stage;
  }
}

}  // namespace
}  // namespace e2e
