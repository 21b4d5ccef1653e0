// Window lookup, grabs and region measures over Xlib; PNG output through stb_image_write.
// X errors (a window destroyed between lookup and grab) are absorbed: the grab comes back empty.
#include "support/screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace e2e {

namespace {

constexpr int kChannels = 3;
constexpr int kThiefSize = 64;  // the focus thief: a small window in the corner
constexpr char kThiefName[] = "focus thief";
constexpr auto kConnectPatience = std::chrono::seconds(10);

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// The region clipped to a width x height picture.
Rect Clip(Rect r, int width, int height) {
  int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  int x1 = std::min(r.x + r.w, width), y1 = std::min(r.y + r.h, height);
  return {x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
}

// Shift that brings a channel mask's lowest bit to bit 0, and the mask's width in bits.
void MaskShape(unsigned long mask, int* shift, int* bits) {
  *shift = 0;
  *bits = 0;
  if (!mask) return;
  while (!(mask & 1)) {
    mask >>= 1;
    ++*shift;
  }
  while (mask & 1) {
    mask >>= 1;
    ++*bits;
  }
}

uint8_t Channel(unsigned long pixel, unsigned long mask) {
  int shift, bits;
  MaskShape(mask, &shift, &bits);
  if (bits == 0) return 0;
  unsigned long v = (pixel & mask) >> shift;
  unsigned long max = (1ul << bits) - 1;
  return static_cast<uint8_t>(v * 255 / max);
}

}  // namespace

// ---- Shot ----------------------------------------------------------------------------------

Rgb Shot::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  const uint8_t* p = &rgb_[(static_cast<size_t>(y) * width_ + x) * kChannels];
  return {double(p[0]), double(p[1]), double(p[2])};
}

Rgb Shot::Mean(Rect r) const {
  r = Clip(r, width_, height_);
  Rgb sum;
  const double n = double(r.w) * r.h;
  if (n == 0) return sum;
  for (int y = r.y; y < r.y + r.h; ++y) {
    for (int x = r.x; x < r.x + r.w; ++x) {
      Rgb c = At(x, y);
      sum.r += c.r;
      sum.g += c.g;
      sum.b += c.b;
    }
  }
  return {sum.r / n, sum.g / n, sum.b / n};
}

double Shot::MedianLuma(Rect r) const {
  r = Clip(r, width_, height_);
  std::vector<double> lumas;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) lumas.push_back(At(x, y).Luma());
  if (lumas.empty()) return 0;
  auto mid = lumas.begin() + static_cast<long>(lumas.size() / 2);
  std::nth_element(lumas.begin(), mid, lumas.end());
  return *mid;
}

double Shot::Fraction(Rect r, const std::function<bool(const Rgb&)>& pred) const {
  r = Clip(r, width_, height_);
  const double n = double(r.w) * r.h;
  if (n == 0) return 0;
  size_t hits = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x)
      if (pred(At(x, y))) ++hits;
  return double(hits) / n;
}

double Shot::Difference(const Shot& other, Rect r) const {
  if (other.width_ != width_ || other.height_ != height_) return 255;
  r = Clip(r, width_, height_);
  const double n = double(r.w) * r.h * kChannels;
  if (n == 0) return 0;
  double sum = 0;
  for (int y = r.y; y < r.y + r.h; ++y) {
    for (int x = r.x; x < r.x + r.w; ++x) {
      Rgb a = At(x, y), b = other.At(x, y);
      sum += std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b);
    }
  }
  return sum / n;
}

Rect Shot::Bounds(Rect r, const std::function<bool(const Rgb&)>& pred) const {
  r = Clip(r, width_, height_);
  int x0 = r.x + r.w, y0 = r.y + r.h, x1 = -1, y1 = -1;
  for (int y = r.y; y < r.y + r.h; ++y) {
    for (int x = r.x; x < r.x + r.w; ++x) {
      if (!pred(At(x, y))) continue;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  }
  if (x1 < 0) return {r.x, r.y, 0, 0};
  return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

bool Shot::SavePng(const std::string& path) const {
  if (Empty()) return false;
  return stbi_write_png(path.c_str(), width_, height_, kChannels, rgb_.data(),
                        width_ * kChannels) != 0;
}

// ---- Screen --------------------------------------------------------------------------------

// An X server resets itself when its last client leaves, as between two journeys, and
// refuses connections meanwhile: the connection is tried again for a while.
Screen::Screen() {
  if (Open(kConnectPatience)) XSetErrorHandler(IgnoreXErrors);
}

Shot Screen::Grab(unsigned long window) {
  Display* display = Raw();
  XWindowAttributes a;
  if (!display || !XGetWindowAttributes(display, window, &a) || a.map_state != IsViewable)
    return {};
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(a.width),
                            static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
  if (!image) return {};
  std::vector<uint8_t> rgb(static_cast<size_t>(a.width) * a.height * kChannels);
  const bool direct = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 &&
                      image->green_mask == 0xFF00 && image->blue_mask == 0xFF &&
                      image->byte_order == LSBFirst;
  size_t o = 0;
  for (int y = 0; y < a.height; ++y) {
    const uint8_t* row = reinterpret_cast<const uint8_t*>(image->data) +
                         static_cast<size_t>(y) * image->bytes_per_line;
    for (int x = 0; x < a.width; ++x) {
      if (direct) {
        const uint8_t* p = row + 4 * x;  // B, G, R, unused
        rgb[o++] = p[2];
        rgb[o++] = p[1];
        rgb[o++] = p[0];
      } else {
        unsigned long pixel = XGetPixel(image, x, y);
        rgb[o++] = Channel(pixel, image->red_mask);
        rgb[o++] = Channel(pixel, image->green_mask);
        rgb[o++] = Channel(pixel, image->blue_mask);
      }
    }
  }
  XDestroyImage(image);
  return Shot(a.width, a.height, std::move(rgb));
}

unsigned long Screen::TakeFocus() { return XDisplay::TakeFocus(kThiefName, kThiefSize); }

}  // namespace e2e
