// Where the game draws things in its window: the 640 x 480 design screen fitted to the window
// the way the game's render fits it, the board's cells, and the menu's and pause menu's places.
#pragma once

#include "support/input.h"
#include "support/screen.h"

namespace e2e {

inline constexpr int kBoardSize = 7;  // columns and rows of every board

class View {
 public:
  // The fit for a window of this size: the larger of the two scales is used and the virtual
  // screen keeps the design size along that axis.
  static View ForWindow(int width, int height);

  double Scale() const { return scale_; }
  double Width() const { return vw_; }   // virtual units
  double Height() const { return vh_; }

  Point At(double vx, double vy) const;  // window pixels of a virtual point
  Rect Box(double vx, double vy, double vw, double vh) const;
  Rect Centred(double vx, double vy, double vw, double vh) const;

  // The board: the cell size and the window position of a cell's centre.
  double Cell() const;
  Point CellCentre(int column, int row) const;

  // The menu's side panel (its left edge and width) while no page is open, once slid in.
  double PanelLeft() const;
  Point PlayIcon() const;
  Point DifficultyHotSpot() const;  // where the wheel's selected item stands out
  Point PauseButton() const;        // the playing screen's pause icon
  Point ResumeButton() const;       // in the open pause menu (landscape)

 private:
  double scale_ = 1, vw_ = 640, vh_ = 480;
};

}  // namespace e2e
