// A game driven with the mouse: a press on the menu's play icon starts the game; a drag from one tile to its neighbour pushes it there; the pause
// icon pauses and the pause menu's resume button resumes.
#include "support/journey.h"

namespace e2e {
namespace {

class MouseJourney : public Journey {};

TEST_F(MouseJourney, PlayIconStartsDragPushesAndPauseIconAndResumeButtonWork) {
  TileReader tiles(BuildData() + "/gfx.png");
  ASSERT_TRUE(tiles.Ready());
  Start();
  ASSERT_FALSE(WaitFor("menu", LooksLikeMenu, kStartPatience).Empty());
  ASSERT_TRUE(hands_->Focus());
  const View view = CurrentView();

  // A press on the play icon starts a game (the icon lies below the part of the panel whose
  // press only takes the focus).
  ASSERT_FALSE(HoldButtonUntil(view.PlayIcon(), "game started", [&](const Shot& s, const View& v) {
                 return LooksLikeBoard(s, v, tiles);
               }).Empty());
  std::optional<Board> settled = SettledBoard(tiles, "board settled");
  ASSERT_TRUE(settled);
  const Board board = *settled;

  // Dragging a tile onto its neighbour exchanges the two (a push that makes no line, so the
  // exchange stays in view).
  std::optional<Push> push = QuietPush(board, kStartColumn, kStartRow);
  ASSERT_TRUE(push) << "the board offers no push without a line";
  const Point from = view.CellCentre(push->column, push->row);
  const Point to = view.CellCentre(push->column + push->dx, push->row + push->dy);
  const Board expected = Swapped(board, *push);
  ASSERT_TRUE(hands_->MoveTo(from));
  ASSERT_TRUE(hands_->PressButton());
  Shot grabbed = WaitFor("tile pressed", [&](const Shot& s, const View& v) {
    return CursorAt(s, v, push->column, push->row);
  });
  Shot dragged;
  if (!grabbed.Empty()) {
    ASSERT_TRUE(hands_->MoveTo({(from.x + to.x) / 2, (from.y + to.y) / 2}));
    ASSERT_TRUE(hands_->MoveTo(to));
    dragged = WaitFor("dragged", [&](const Shot& s, const View& v) {
      return tiles.Read(s, v).Differences(expected) == 0 &&
             CursorAt(s, v, push->column + push->dx, push->row + push->dy);
    });
  }
  ASSERT_TRUE(hands_->ReleaseButton());
  ASSERT_FALSE(dragged.Empty());

  // The pause icon in the corner opens the pause menu; its resume button closes it and play
  // goes on with the board as it was.
  ASSERT_FALSE(HoldButtonUntil(view.PauseButton(), "paused", [](const Shot& s, const View& v) {
                 return LooksDarkened(s, v) && PauseSelection(s, v).has_value();
               }).Empty());
  ASSERT_FALSE(HoldButtonUntil(view.ResumeButton(), "resumed", [&](const Shot& s, const View& v) {
                 return LooksBright(s, v) && tiles.Read(s, v).Differences(expected) == 0;
               }).Empty());
}

}  // namespace
}  // namespace e2e
