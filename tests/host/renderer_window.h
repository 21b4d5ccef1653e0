// A 640 x 480 test window opened and reopened by the host itself (each opening makes a new
// GL context and moves the graphics sequence counter on), and pixel read-back through the renderer.
#pragma once

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "host/host_game.h"
#include "host/renderer.h"

namespace renderer_test {

inline constexpr int kWindowWidth = 640;
inline constexpr int kWindowHeight = 480;
// One 8-bit channel may differ by this much between the driver's blend and exact arithmetic.
inline constexpr int kChannelTolerance = 1;

struct Rgb {
  int r, g, b;
};

inline Rgb ToRgb(uint32_t argb) {
  return {static_cast<int>((argb >> 16) & 0xff), static_cast<int>((argb >> 8) & 0xff),
          static_cast<int>(argb & 0xff)};
}

inline bool Near(Rgb a, Rgb b) {
  return std::abs(a.r - b.r) <= kChannelTolerance && std::abs(a.g - b.g) <= kChannelTolerance &&
         std::abs(a.b - b.b) <= kChannelTolerance;
}

inline std::ostream& operator<<(std::ostream& os, Rgb c) {
  return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

class TestWindow {
 public:
  TestWindow() {
    if (!glfwInit()) std::abort();
    host_ = new OxGlfwGame();
    Reopen();
  }
  ~TestWindow() {
    delete host_;
    glfwTerminate();
  }
  // The host's window (re)opening: a new window and GL context; textures of the old one are gone.
  void Reopen() {
    host_->SetGlfwWindow(kWindowWidth, kWindowHeight, 8, 8, 8, 0, 0, 0, false);
    if (host_->Window() == nullptr) std::abort();
  }
  OxGlfwGame* host() { return host_; }

 private:
  OxGlfwGame* host_ = nullptr;
};

// The window pixel at (x, y), origin top left, as alpha-red-green-blue.
inline uint32_t PixelAt(gxtkGraphics* g, int x, int y) {
  Array<int> px(1);
  g->ReadPixels(px, x, y, 1, 1, 0, 1);
  return static_cast<uint32_t>(px[0]);
}

inline Rgb RgbAt(gxtkGraphics* g, int x, int y) { return ToRgb(PixelAt(g, x, y)); }

// A surface of w x h RGBA pixels from an ARGB function of (x, y).
template <class F>
gxtkSurface* MakeSurface(int w, int h, F argbAt) {
  auto* px = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(w) * h * 4));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t c = argbAt(x, y);
      unsigned char* p = px + (y * w + x) * 4;
      p[0] = static_cast<unsigned char>(c >> 16);
      p[1] = static_cast<unsigned char>(c >> 8);
      p[2] = static_cast<unsigned char>(c);
      p[3] = static_cast<unsigned char>(c >> 24);
    }
  }
  gxtkSurface* s = new gxtkSurface();
  if (!s->SetData(px, w, h, 4)) std::abort();
  return s;
}

inline gxtkSurface* SolidSurface(int w, int h, uint32_t argb) {
  return MakeSurface(w, h, [argb](int, int) { return argb; });
}

}  // namespace renderer_test
