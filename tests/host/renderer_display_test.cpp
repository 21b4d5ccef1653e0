// The renderer drawing into a real window (Mesa's software GL under Xvfb), checked by
// reading the pixels back: colours and blending, scissor, Cls, batching, textures and their re-upload.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <functional>
#include <string>
#include <vector>

#include "renderer_window.h"

namespace {

using namespace renderer_test;

constexpr uint32_t kOpaqueRed = 0xFFFF0000u;
constexpr uint32_t kOpaqueGreen = 0xFF00FF00u;
constexpr uint32_t kOpaqueBlue = 0xFF0000FFu;

class RendererDisplay : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { window_ = new TestWindow(); }
  static void TearDownTestSuite() {
    delete window_;
    window_ = nullptr;
  }

  // A frame in progress: black, white opaque colour, alpha blending, no scissor.
  void SetUp() override {
    gxtkSurface::refuseNonPowerOfTwo = false;
    g = new gxtkGraphics();
    ASSERT_EQ(g->BeginRender(), 1);
    ASSERT_EQ(g->Width(), kWindowWidth);
    ASSERT_EQ(g->Height(), kWindowHeight);
    g->SetScissor(0, 0, kWindowWidth, kWindowHeight);
    g->Cls(0, 0, 0);
    g->SetColor(255, 255, 255);
    g->SetAlpha(1);
    g->SetBlend(gxtkBlendAlpha);
    g->SetMatrix(1, 0, 0, 1, 0, 0);
    g->stats.Reset();
  }
  void TearDown() override { gxtkSurface::refuseNonPowerOfTwo = false; }

  static TestWindow* window_;
  gxtkGraphics* g = nullptr;
};

TestWindow* RendererDisplay::window_ = nullptr;

TEST_F(RendererDisplay, BlendingGivesTheExpectedPixels) {
  struct Case {
    const char* name;
    Rgb background;
    Rgb color;
    float alpha;
    int blend;
    Rgb expected;
  };
  const Case cases[] = {
      {"opaque colour replaces", {0, 0, 255}, {255, 0, 0}, 1, gxtkBlendAlpha, {255, 0, 0}},
      // Premultiplied: 127 of white over blue keeps 128/255 of the blue.
      {"half white over blue", {0, 0, 255}, {255, 255, 255}, 0.5f, gxtkBlendAlpha, {127, 127, 255}},
      {"quarter red over green", {0, 200, 0}, {255, 0, 0}, 0.25f, gxtkBlendAlpha, {63, 151, 0}},
      {"transparent leaves it", {10, 20, 30}, {255, 255, 255}, 0, gxtkBlendAlpha, {10, 20, 30}},
      {"additive adds", {200, 0, 100}, {100, 255, 100}, 1, gxtkBlendAdditive, {255, 255, 200}},
      {"half additive adds half", {0, 0, 100}, {0, 200, 100}, 0.5f, gxtkBlendAdditive, {0, 100, 150}},
  };
  for (const Case& c : cases) {
    g->SetBlend(gxtkBlendAlpha);
    g->Cls(static_cast<float>(c.background.r), static_cast<float>(c.background.g),
           static_cast<float>(c.background.b));
    g->SetBlend(c.blend);
    g->SetColor(static_cast<float>(c.color.r), static_cast<float>(c.color.g),
                static_cast<float>(c.color.b));
    g->SetAlpha(c.alpha);
    g->DrawRect(100, 100, 50, 50);
    Rgb inside = RgbAt(g, 120, 120);
    EXPECT_TRUE(Near(inside, c.expected)) << c.name << ": got " << inside;
    EXPECT_TRUE(Near(RgbAt(g, 99, 120), c.background)) << c.name << ": left of the rect";
    EXPECT_TRUE(Near(RgbAt(g, 120, 150), c.background)) << c.name << ": below the rect";
  }
}

TEST_F(RendererDisplay, ScissorLimitsDrawingAndCls) {
  g->SetScissor(10, 20, 30, 40);
  g->Cls(0, 0, 255);
  g->SetColor(255, 0, 0);
  g->DrawRect(0, 0, 100, 30);  // only rows 20..29, columns 10..39 are inside
  g->SetScissor(0, 0, kWindowWidth, kWindowHeight);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));

  EXPECT_EQ(PixelAt(g, 10, 20), kOpaqueRed);
  EXPECT_EQ(PixelAt(g, 39, 29), kOpaqueRed);
  EXPECT_EQ(PixelAt(g, 39, 30), kOpaqueBlue);
  EXPECT_EQ(PixelAt(g, 39, 59), kOpaqueBlue);
  EXPECT_EQ(PixelAt(g, 40, 25), 0xFF000000u);  // right of the scissor: untouched
  EXPECT_EQ(PixelAt(g, 9, 25), 0xFF000000u);
  EXPECT_EQ(PixelAt(g, 20, 19), 0xFF000000u);
  EXPECT_EQ(PixelAt(g, 20, 60), 0xFF000000u);

  // With the full window the test is off, so Cls reaches every pixel.
  g->Cls(0, 255, 0);
  EXPECT_EQ(PixelAt(g, 0, 0), kOpaqueGreen);
  EXPECT_EQ(PixelAt(g, kWindowWidth - 1, kWindowHeight - 1), kOpaqueGreen);
}

TEST_F(RendererDisplay, ClsDiscardsWhatWasBatchedUnseen) {
  g->SetColor(255, 0, 0);
  g->DrawRect(0, 0, 50, 50);
  g->DrawOval(100, 100, 30, 30);
  g->Cls(0, 0, 255);
  g->EndRender();
  EXPECT_EQ(g->stats.drawCalls, 1);  // only the oval's kind change flushed the rect
  EXPECT_EQ(PixelAt(g, 25, 25), kOpaqueBlue);
  EXPECT_EQ(PixelAt(g, 115, 115), kOpaqueBlue);
}

TEST_F(RendererDisplay, DrawCallsFollowTheBatchRules) {
  gxtkSurface* a = SolidSurface(8, 8, kOpaqueGreen);
  gxtkSurface* b = SolidSurface(8, 8, kOpaqueBlue);
  struct Case {
    const char* name;
    std::function<void()> draw;
    long long drawCalls;
  };
  const std::vector<Case> cases = {
      {"300 rectangles: 256 + 44 quads",
       [&] { for (int i = 0; i < 300; ++i) g->DrawRect(static_cast<float>(i % 20), 0, 1, 1); }, 2},
      {"image, rectangle, image", [&] {
         g->DrawSurface(a, 0, 0);
         g->DrawRect(10, 0, 4, 4);
         g->DrawSurface(a, 20, 0);
       }, 3},
      {"two textures alternating", [&] {
         g->DrawSurface(a, 0, 0);
         g->DrawSurface(b, 10, 0);
         g->DrawSurface(a, 20, 0);
       }, 3},
      {"colour, alpha and matrix changes keep one batch", [&] {
         for (int i = 0; i < 50; ++i) {
           g->SetColor(static_cast<float>(i * 5), 0, 0);
           g->SetAlpha(i % 2 ? 1.0f : 0.5f);
           g->SetMatrix(1, 0, 0, 1, static_cast<float>(i), 0);
           g->DrawSurface(a, 0, 0);
         }
       }, 1},
      {"blend change flushes", [&] {
         g->DrawRect(0, 0, 1, 1);
         g->SetBlend(gxtkBlendAdditive);
         g->DrawRect(0, 0, 1, 1);
       }, 2},
      {"scissor change flushes", [&] {
         g->DrawRect(0, 0, 1, 1);
         g->SetScissor(0, 0, 10, 10);
         g->DrawRect(0, 0, 1, 1);
         g->SetScissor(0, 0, kWindowWidth, kWindowHeight);
       }, 2},
      {"read-back flushes", [&] {
         g->DrawRect(0, 0, 1, 1);
         PixelAt(g, 0, 0);
         g->DrawRect(0, 0, 1, 1);
       }, 2},
      {"three pentagons: one fan each in one flush", [&] {
         Array<float> pentagon(10);
         for (int i = 0; i < 3; ++i) g->DrawPoly(pentagon);
       }, 3},
      {"ovals of one size share a batch", [&] {
         for (int i = 0; i < 3; ++i) g->DrawOval(0, 0, 100, 100);
       }, 3},
  };
  for (const Case& c : cases) {
    g->SetBlend(gxtkBlendAlpha);
    g->stats.Reset();
    c.draw();
    g->EndRender();
    EXPECT_EQ(g->stats.drawCalls, c.drawCalls) << c.name;
  }
  g->stats.Reset();
  for (int i = 0; i < 3; ++i) g->DrawOval(0, 0, 100, 100);
  g->EndRender();
  EXPECT_EQ(g->stats.flushes, 1) << "three 100-vertex ovals fit one batch";
}

TEST_F(RendererDisplay, ColourChangesBetweenRectanglesKeepEachColour) {
  g->SetColor(255, 0, 0);
  g->DrawRect(0, 0, 10, 10);
  g->SetColor(0, 255, 0);
  g->DrawRect(10, 0, 10, 10);
  g->SetColor(0, 0, 255);
  g->SetAlpha(0.5f);
  g->DrawRect(20, 0, 10, 10);
  g->EndRender();
  EXPECT_EQ(g->stats.drawCalls, 1);
  EXPECT_EQ(PixelAt(g, 5, 5), kOpaqueRed);
  EXPECT_EQ(PixelAt(g, 15, 5), kOpaqueGreen);
  EXPECT_TRUE(Near(RgbAt(g, 25, 5), Rgb{0, 0, 127}));
}

TEST_F(RendererDisplay, PointsLinesAndPolygonsLandOnTheirPixels) {
  g->DrawPoint(10, 10);
  g->DrawLine(20, 5, 30, 5);
  Array<float> three(3);  // three values: one point, placed on the centre of pixel (40, 7)
  three[0] = 40.5f;
  three[1] = 7.5f;
  three[2] = 99;
  g->DrawPoly(three);
  g->EndRender();
  EXPECT_EQ(PixelAt(g, 10, 10), 0xFFFFFFFFu);
  EXPECT_EQ(PixelAt(g, 11, 10), 0xFF000000u);
  EXPECT_EQ(PixelAt(g, 10, 11), 0xFF000000u);
  EXPECT_EQ(PixelAt(g, 20, 5), 0xFFFFFFFFu);
  EXPECT_EQ(PixelAt(g, 29, 5), 0xFFFFFFFFu);
  EXPECT_EQ(PixelAt(g, 25, 4), 0xFF000000u);
  EXPECT_EQ(PixelAt(g, 25, 6), 0xFF000000u);
  EXPECT_EQ(PixelAt(g, 40, 7), 0xFFFFFFFFu);
  EXPECT_EQ(PixelAt(g, 41, 7), 0xFF000000u);
}

TEST_F(RendererDisplay, OvalFillsItsEllipseOnly) {
  g->DrawOval(100, 100, 100, 50);
  g->EndRender();
  EXPECT_EQ(PixelAt(g, 150, 125), 0xFFFFFFFFu);  // centre
  EXPECT_EQ(PixelAt(g, 102, 125), 0xFFFFFFFFu);  // near the left end
  EXPECT_EQ(PixelAt(g, 103, 103), 0xFF000000u);  // bounding box corner
  EXPECT_EQ(PixelAt(g, 150, 98), 0xFF000000u);   // above the top
}

TEST_F(RendererDisplay, SurfacesDrawAtPixelSizeWithPremultipliedAlpha) {
  // Left half opaque red, right half red at alpha 128 (premultiplied at load).
  gxtkSurface* s = MakeSurface(16, 8, [](int x, int) { return x < 8 ? 0xFFFF0000u : 0x80FF0000u; });
  g->Cls(0, 0, 255);
  g->DrawSurface(s, 50, 60);
  g->DrawSurface2(s, 100, 60, 8, 0, 8, 8);  // the right half only
  g->EndRender();
  EXPECT_EQ(PixelAt(g, 50, 60), kOpaqueRed);
  EXPECT_EQ(PixelAt(g, 57, 67), kOpaqueRed);
  EXPECT_TRUE(Near(RgbAt(g, 58, 60), Rgb{128, 0, 127}));
  EXPECT_EQ(PixelAt(g, 66, 60), kOpaqueBlue);
  EXPECT_EQ(PixelAt(g, 50, 68), kOpaqueBlue);
  EXPECT_TRUE(Near(RgbAt(g, 100, 60), Rgb{128, 0, 127}));
  EXPECT_TRUE(Near(RgbAt(g, 107, 67), Rgb{128, 0, 127}));
  EXPECT_EQ(PixelAt(g, 108, 60), kOpaqueBlue);
}

TEST_F(RendererDisplay, RefusedNonPowerOfTwoTextureStillDrawsAtPixelSize) {
  gxtkSurface::refuseNonPowerOfTwo = true;
  // 100 x 60, red with a green bottom-right pixel.
  gxtkSurface* s = MakeSurface(100, 60, [](int x, int y) {
    return x == 99 && y == 59 ? kOpaqueGreen : kOpaqueRed;
  });
  g->DrawSurface(s, 10, 10);
  g->EndRender();
  EXPECT_FLOAT_EQ(s->uscale, 1.0f / 128);
  EXPECT_FLOAT_EQ(s->vscale, 1.0f / 64);
  GLint texw = 0, texh = 0;
  glBindTexture(GL_TEXTURE_2D, s->texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &texw);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &texh);
  EXPECT_EQ(texw, 128);
  EXPECT_EQ(texh, 64);
  EXPECT_EQ(PixelAt(g, 10, 10), kOpaqueRed);
  EXPECT_EQ(PixelAt(g, 108, 69), kOpaqueRed);
  EXPECT_EQ(PixelAt(g, 109, 69), kOpaqueGreen);
  EXPECT_EQ(PixelAt(g, 110, 69), 0xFF000000u);
  EXPECT_EQ(PixelAt(g, 109, 70), 0xFF000000u);
}

TEST_F(RendererDisplay, WrittenPixelsReachTheTextureAndReadBackWithPitch) {
  gxtkSurface* s = g->CreateSurface(4, 2);
  Array<int> src(8);
  const uint32_t colors[8] = {kOpaqueRed, kOpaqueGreen, kOpaqueBlue, 0xFFFFFFFFu,
                              0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u};
  for (int i = 0; i < 8; ++i) src[i] = static_cast<int>(colors[i]);
  g->WritePixels2(s, src, 0, 0, 4, 2, 0, 4);  // whole rows: one upload
  g->DrawSurface(s, 200, 100);
  // Only the middle two pixels of the second row change, after the texture exists.
  Array<int> patch(2);
  patch[0] = static_cast<int>(0xFFFFFF00u);
  patch[1] = static_cast<int>(0xFF00FFFFu);
  g->EndRender();
  g->WritePixels2(s, patch, 1, 1, 2, 1, 0, 2);
  g->DrawSurface(s, 200, 110);
  g->EndRender();

  // Read both copies into one array, 5 elements per row, from element 1.
  Array<int> out(1 + 5 * 2 + 5 * 2);
  g->ReadPixels(out, 200, 100, 4, 2, 1, 5);
  g->ReadPixels(out, 200, 110, 4, 2, 11, 5);
  EXPECT_EQ(out[0], 0);
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 4; ++col) {
      EXPECT_EQ(static_cast<uint32_t>(out[1 + row * 5 + col]), colors[row * 4 + col])
          << "first copy " << col << "," << row;
    }
    EXPECT_EQ(out[1 + row * 5 + 4], 0) << "pitch padding stays untouched";
  }
  EXPECT_EQ(static_cast<uint32_t>(out[11]), kOpaqueRed);
  EXPECT_EQ(static_cast<uint32_t>(out[11 + 5 + 1]), 0xFFFFFF00u);
  EXPECT_EQ(static_cast<uint32_t>(out[11 + 5 + 2]), 0xFF00FFFFu);
  EXPECT_EQ(static_cast<uint32_t>(out[11 + 5 + 3]), 0xFFA0B0C0u);

  // A read that does not fit the array leaves it alone.
  Array<int> small(3);
  g->ReadPixels(small, 200, 100, 2, 2, 0, 2);
  EXPECT_EQ(small[0], 0);
}

TEST_F(RendererDisplay, TexturesComeBackAfterTheWindowIsReopened) {
  gxtkSurface* s = MakeSurface(8, 8, [](int x, int) { return x < 4 ? kOpaqueRed : kOpaqueGreen; });
  g->DrawSurface(s, 30, 30);
  g->EndRender();
  ASSERT_EQ(PixelAt(g, 30, 30), kOpaqueRed);
  int firstSeq = s->seq;

  window_->Reopen();
  EXPECT_NE(glfwGraphicsSeq, firstSeq);
  g->BeginRender();
  g->Cls(0, 0, 0);
  g->DrawSurface(s, 40, 40);
  g->EndRender();
  EXPECT_EQ(s->seq, glfwGraphicsSeq);
  EXPECT_TRUE(glIsTexture(s->texture));
  EXPECT_EQ(PixelAt(g, 40, 40), kOpaqueRed);
  EXPECT_EQ(PixelAt(g, 47, 47), kOpaqueGreen);
  EXPECT_EQ(PixelAt(g, 30, 30), 0xFF000000u);

  // Discarding deletes the texture of the current context and the CPU copy.
  GLuint name = s->texture;
  s->Discard();
  EXPECT_FALSE(glIsTexture(name));
  EXPECT_EQ(s->data, nullptr);
  EXPECT_EQ(s->seq, -1);
}

}  // namespace
