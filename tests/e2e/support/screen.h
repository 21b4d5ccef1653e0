// What the player sees, read from the X server: the game's window found by its title, its
// pixels grabbed as a picture, and region measures that the journeys' checks are made of.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/x_display.h"

namespace e2e {

struct Rect {
  int x, y, w, h;
};

struct Rgb {
  double r = 0, g = 0, b = 0;
  double Luma() const { return 0.299 * r + 0.587 * g + 0.114 * b; }
};

// An RGB picture of a window, 8 bits a channel.
class Shot {
 public:
  Shot() = default;
  Shot(int width, int height, std::vector<uint8_t> rgb)
      : width_(width), height_(height), rgb_(std::move(rgb)) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return rgb_.empty(); }
  Rgb At(int x, int y) const;

  // Measures over a region clipped to the picture (an empty region gives zeros).
  Rgb Mean(Rect r) const;
  double MedianLuma(Rect r) const;
  double Fraction(Rect r, const std::function<bool(const Rgb&)>& pred) const;
  // Mean absolute channel difference against another picture of the same size.
  double Difference(const Shot& other, Rect r) const;
  // The smallest rectangle holding every pixel of `r` that matches; w = 0 when none does.
  Rect Bounds(Rect r, const std::function<bool(const Rgb&)>& pred) const;

  bool SavePng(const std::string& path) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> rgb_;
};

// A connection to the X server the tests run under (window lookup, focus, close requests),
// with grabs of a window's pixels. Focus() gives a window the keyboard focus at once (what
// xdotool's windowfocus does, without starting a program), for moments when every millisecond
// of grabbing counts.
class Screen : public qr_test::XDisplay {
 public:
  Screen();

  // The window's pixels; an empty picture when the window is gone or not viewable.
  Shot Grab(unsigned long window);

  // A small window of our own that takes the keyboard focus, as another program would.
  unsigned long TakeFocus();
  void DropFocusThief() { DropFocusWindow(); }
};

}  // namespace e2e
