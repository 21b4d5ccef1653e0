// Layout of the game's screens in window pixels, from the design numbers of the game.
#include "support/view.h"

#include <algorithm>
#include <cmath>

#include "framework/angle.h"

namespace e2e {

namespace {

constexpr double kDesignW = 640, kDesignH = 480;
constexpr double kPortraitFactor = 1.5;  // a tall window shows 1.5 times the design size
constexpr double kBoardMargin = 16;      // the board stands this far above the bottom edge
constexpr double kPanelWidth = 140;      // the menu's side panel
constexpr double kPlayIconRise = 48;     // the play icon's centre above the bottom edge
constexpr double kWheelLeft = 38, kWheelRise = 64;  // the wheel's centre
constexpr double kHotAngle = 48;         // the selected item's angle, degrees
constexpr double kHotRadius = 116 + (45 - 3) * 1.5;  // its radius, bulge included
constexpr double kPauseButton = 16;      // the pause icon's centre, both axes
constexpr double kResumeX = 64, kResumeY = 196;

}  // namespace

View View::ForWindow(int width, int height) {
  View v;
  const double f = height > width ? kPortraitFactor : 1;
  const double sx = width / (kDesignW * f), sy = height / (kDesignH * f);
  if (sy <= sx) {
    v.scale_ = sx;
    v.vw_ = kDesignW * f;
    v.vh_ = height * kDesignW * f / width;
  } else {
    v.scale_ = sy;
    v.vh_ = kDesignH * f;
    v.vw_ = width * kDesignH * f / height;
  }
  return v;
}

Point View::At(double vx, double vy) const {
  return {static_cast<int>(std::lround(vx * scale_)), static_cast<int>(std::lround(vy * scale_))};
}

Rect View::Box(double vx, double vy, double vw, double vh) const {
  Point a = At(vx, vy), b = At(vx + vw, vy + vh);
  return {a.x, a.y, b.x - a.x, b.y - a.y};
}

Rect View::Centred(double vx, double vy, double vw, double vh) const {
  return Box(vx - vw / 2, vy - vh / 2, vw, vh);
}

double View::Cell() const {
  return std::min(vw_ / (kBoardSize + 1), vh_ / (kBoardSize + 1));
}

Point View::CellCentre(int column, int row) const {
  const double cell = Cell();
  const double left = vw_ / 2 - kBoardSize * cell / 2 + cell / 2;
  const double top = vh_ - kBoardSize * cell + cell / 2 - kBoardMargin;
  return At(left + column * cell, top + row * cell);
}

double View::PanelLeft() const { return vw_ - kPanelWidth; }

Point View::PlayIcon() const { return At(vw_ - kPanelWidth / 2, vh_ - kPlayIconRise); }

Point View::DifficultyHotSpot() const {
  const double cx = kWheelLeft, cy = std::floor(vh_ - kWheelRise);
  return At(cx + std::sin(kHotAngle * kDegToRad) * kHotRadius,
            cy - std::cos(kHotAngle * kDegToRad) * kHotRadius);
}

Point View::PauseButton() const { return At(kPauseButton, kPauseButton); }

Point View::ResumeButton() const { return At(kResumeX, kResumeY); }

}  // namespace e2e
