// The graphics context and images drawing into a real window through the renderer: rotation
// about the handle, mid handles, padding, the lazy matrix, the per-frame reset and the default font.
#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <cstdio>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "../host/renderer_window.h"
#include "framework/app.h"
#include "framework/graphics.h"

namespace {

using namespace renderer_test;

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBorder = 0xFFFF00FFu;  // padding pixels that must never be drawn

// The default font's picture for these tests: 96 frames of 6 x 10 pixels, each with a one-pixel
// border left and right; frame i is filled with grey level i.
constexpr int kFontCellWidth = 8;
constexpr int kFontHeight = 10;

uint32_t FontPixel(int x) {
  int cell = x % kFontCellWidth;
  if (cell == 0 || cell == kFontCellWidth - 1) return kBorder;
  uint32_t grey = static_cast<uint32_t>(x / kFontCellWidth);
  return 0xFF000000u | grey << 16 | grey << 8 | grey;
}

// Writes the font picture where the host looks for data files: data/ beside this program. It is
// written under a private name and renamed, so tests running side by side never read half a file.
void WriteFontFixture() {
  std::string dir = std::string(QR_TEST_BIN_DIR) + "/data";
  mkdir(dir.c_str(), 0755);
  int w = kFontCellWidth * kDefaultFontFrames;
  std::vector<unsigned char> rgba(static_cast<size_t>(w) * kFontHeight * 4);
  for (int y = 0; y < kFontHeight; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t c = FontPixel(x);
      unsigned char* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
      p[0] = static_cast<unsigned char>(c >> 16);
      p[1] = static_cast<unsigned char>(c >> 8);
      p[2] = static_cast<unsigned char>(c);
      p[3] = static_cast<unsigned char>(c >> 24);
    }
  }
  std::string temp = dir + "/" + kDefaultFontPath + "." + std::to_string(getpid());
  ASSERT_TRUE(stbi_write_png(temp.c_str(), w, kFontHeight, 4, rgba.data(), w * 4));
  ASSERT_EQ(std::rename(temp.c_str(), (dir + "/" + kDefaultFontPath).c_str()), 0);
}

// A 16 x 8 image: the left half red, the right half green.
c_Image* HalfAndHalf(int flags) {
  gxtkSurface* s = MakeSurface(16, 8, [](int x, int) { return x < 8 ? kRed : kGreen; });
  return (new c_Image)->m_new()->p_Init(s, 1, flags);
}

class GraphicsDisplay : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { window_ = new TestWindow(); }
  static void TearDownTestSuite() {
    delete window_;
    window_ = nullptr;
  }

  // A frame in progress as the delegate starts one, on a black window.
  void SetUp() override {
    ox_graphics_Init();
    device = new gxtkGraphics();
    ox_graphics_SetGraphicsDevice(device);
    ox_app__devWidth = kWindowWidth;
    ox_app__devHeight = kWindowHeight;
    ASSERT_EQ(device->BeginRender(), 1);
    ox_graphics_BeginRender();
    device->Cls(0, 0, 0);
    device->stats.Reset();
  }
  void TearDown() override {
    ox_graphics_EndRender();
    device->EndRender();
  }

  uint32_t Pixel(int x, int y) { return PixelAt(device, x, y); }

  static TestWindow* window_;
  gxtkGraphics* device = nullptr;
};

TestWindow* GraphicsDisplay::window_ = nullptr;

TEST_F(GraphicsDisplay, RotationNinetyTurnsAQuarterCounterClockwiseAboutTheHandle) {
  c_Image* image = HalfAndHalf(c_Image::m_MidHandle);  // handle (8, 4)
  ox_graphics_DrawImage2(image, 100, 100, 90, 1, 1, 0);
  // Upright 8 wide and 16 tall around (100, 100), the green (right) half now on top.
  EXPECT_EQ(Pixel(100, 93), kGreen);
  EXPECT_EQ(Pixel(97, 92), kGreen);
  EXPECT_EQ(Pixel(102, 106), kRed);
  EXPECT_EQ(Pixel(96, 107), kRed);
  EXPECT_EQ(Pixel(100, 91), kBlack);
  EXPECT_EQ(Pixel(100, 108), kBlack);
  EXPECT_EQ(Pixel(95, 100), kBlack);
  EXPECT_EQ(Pixel(104, 100), kBlack);
  // The matrix is back where it was.
  EXPECT_EQ(ox_graphics_context->m_matrixSp, 0);
  EXPECT_EQ(ox_graphics_context->m_tformed, 0);
}

TEST_F(GraphicsDisplay, ScaleAndHandleMoveTheImageAboutThePosition) {
  c_Image* image = HalfAndHalf(0);
  image->p_SetHandle(16, 0);  // top-right corner on the position
  ox_graphics_DrawImage2(image, 200, 50, 0, 2, 0.5f, 0);
  // 32 x 4 pixels ending at x = 200.
  EXPECT_EQ(Pixel(168, 50), kRed);
  EXPECT_EQ(Pixel(199, 53), kGreen);
  EXPECT_EQ(Pixel(167, 50), kBlack);
  EXPECT_EQ(Pixel(200, 50), kBlack);
  EXPECT_EQ(Pixel(180, 54), kBlack);
}

TEST_F(GraphicsDisplay, MidHandleCentresFrames) {
  c_Image* image = HalfAndHalf(c_Image::m_MidHandle);
  EXPECT_EQ(image->m_flags, c_Image::m_FullFrame);
  ox_graphics_DrawImage(image, 100, 100, 0);
  EXPECT_EQ(Pixel(92, 96), kRed);
  EXPECT_EQ(Pixel(107, 103), kGreen);
  EXPECT_EQ(Pixel(91, 96), kBlack);
  EXPECT_EQ(Pixel(92, 95), kBlack);
  EXPECT_EQ(Pixel(108, 103), kBlack);
  EXPECT_EQ(Pixel(107, 104), kBlack);
}

TEST_F(GraphicsDisplay, PaddingKeepsTheBordersOfEachFrameUndrawn) {
  // Two 6 x 6 frames side by side; each has a border ring, inside red (frame 0) or green (1).
  gxtkSurface* s = MakeSurface(12, 6, [](int x, int y) {
    int cx = x % 6;
    if (cx == 0 || cx == 5 || y == 0 || y == 5) return kBorder;
    return x < 6 ? kRed : kGreen;
  });
  c_Image* image = (new c_Image)->m_new()->p_Init(s, 2, c_Image::m_XPadding | c_Image::m_YPadding);
  ASSERT_EQ(image->m_width, 4);
  ASSERT_EQ(image->m_height, 4);
  ox_graphics_DrawImage(image, 50, 50, 1);
  ox_graphics_DrawImage(image, 60, 50, 0);
  for (int y = 49; y <= 54; ++y) {
    for (int x = 49; x <= 54; ++x) {
      bool inside = x >= 50 && x < 54 && y >= 50 && y < 54;
      EXPECT_EQ(Pixel(x, y), inside ? kGreen : kBlack) << x << "," << y;
      EXPECT_EQ(Pixel(x + 10, y), inside ? kRed : kBlack) << x + 10 << "," << y;
    }
  }
}

TEST_F(GraphicsDisplay, MatrixReachesTheDeviceOnlyWhenDrawingAndKeepsTheBatch) {
  c_Image* image = HalfAndHalf(c_Image::m_MidHandle);
  ox_graphics_Translate(300, 200);
  EXPECT_EQ(device->tx, 0) << "no device call before drawing";
  EXPECT_EQ(ox_graphics_context->m_matDirty, 1);
  for (int i = 0; i < 12; ++i) ox_graphics_DrawImage2(image, 0, 0, static_cast<float>(i * 30), 1, 1, 0);
  ox_graphics_DrawImage(image, 50, 0, 0);
  EXPECT_EQ(device->tx, 300);
  EXPECT_EQ(ox_graphics_context->m_matDirty, 0);
  device->EndRender();
  EXPECT_EQ(device->stats.drawCalls, 1);
  EXPECT_EQ(Pixel(350, 200), kGreen);  // the translation applies to the plain draw too
}

TEST_F(GraphicsDisplay, EveryFrameStartsWhiteOpaqueAlphaBlendedAndUnclipped) {
  ox_graphics_SetColor(255, 0, 0);
  ox_graphics_SetAlpha(0.25f);
  ox_graphics_SetBlend(gxtkBlendAdditive);
  ox_graphics_SetScissor(10.9f, 10.2f, 5.7f, 5.5f);  // truncated to (10, 10, 5, 5)
  ox_graphics_Translate(40, 0);
  ox_graphics_PushMatrix();
  ox_graphics_DrawRect(-40, 0, 100, 100);
  EXPECT_EQ(ToRgb(Pixel(12, 12)).r, 63);
  EXPECT_EQ(Pixel(15, 12), kBlack);
  EXPECT_EQ(Pixel(12, 15), kBlack);
  ox_graphics_EndRender();
  device->EndRender();

  device->BeginRender();
  ox_graphics_BeginRender();
  c_GraphicsContext* c = ox_graphics_context;
  EXPECT_EQ(c->m_matrixSp, 0);
  EXPECT_EQ(c->m_tformed, 0);
  EXPECT_EQ(c->m_color_g, 255);
  EXPECT_EQ(c->m_alpha, 1);
  EXPECT_EQ(c->m_blend, 0);
  EXPECT_EQ(c->m_scissor_w, kWindowWidth);
  ox_graphics_DrawRect(0, 0, 200, 200);
  EXPECT_EQ(Pixel(0, 0), kWhite);
  EXPECT_EQ(Pixel(199, 199), kWhite);
  EXPECT_EQ(Pixel(200, 199), kBlack);
}

TEST_F(GraphicsDisplay, EllipseAndLineTakeCentreAndEnds) {
  ox_graphics_DrawEllipse(300, 300, 20, 10);
  ox_graphics_DrawLine(10, 400, 20, 400);
  EXPECT_EQ(Pixel(300, 300), kWhite);
  EXPECT_EQ(Pixel(282, 300), kWhite);
  EXPECT_EQ(Pixel(300, 292), kWhite);
  EXPECT_EQ(Pixel(300, 288), kBlack);
  EXPECT_EQ(Pixel(322, 300), kBlack);
  EXPECT_EQ(Pixel(15, 400), kWhite);
  EXPECT_EQ(Pixel(15, 401), kBlack);
}

TEST_F(GraphicsDisplay, DefaultFontLoadsOnceWithPaddedFrames) {
  WriteFontFixture();
  ox_graphics_SetFont(nullptr, 0);
  c_Image* font = ox_graphics_context->m_font;
  ASSERT_NE(font, nullptr) << "data/" << kDefaultFontPath << " beside the program";
  EXPECT_EQ(ox_graphics_context->m_defaultFont, font);
  EXPECT_EQ(ox_graphics_context->m_firstChar, kDefaultFontFirstChar);
  EXPECT_EQ(font->m_frames.Length(), kDefaultFontFrames);
  EXPECT_EQ(font->m_width, kFontCellWidth - 2);
  EXPECT_EQ(font->m_height, kFontHeight);
  EXPECT_EQ(font->m_frames[1]->m_x, kFontCellWidth + 1);

  // Another font, then back to the default: the loaded one is kept.
  c_Image* other = HalfAndHalf(0);
  ox_graphics_SetFont(other, 65);
  EXPECT_EQ(ox_graphics_context->m_font, other);
  EXPECT_EQ(ox_graphics_context->m_firstChar, 65);
  ox_graphics_SetFont(nullptr, 65);
  EXPECT_EQ(ox_graphics_context->m_font, font);
  EXPECT_EQ(ox_graphics_context->m_firstChar, kDefaultFontFirstChar);

  // "A" is frame 33: its 6 inner columns, none of its border.
  int frame = 'A' - kDefaultFontFirstChar;
  ox_graphics_DrawImage(font, 20, 20, frame);
  uint32_t grey = 0xFF000000u | 33u << 16 | 33u << 8 | 33u;
  EXPECT_EQ(Pixel(20, 20), grey);
  EXPECT_EQ(Pixel(25, 29), grey);
  EXPECT_EQ(Pixel(26, 20), kBlack);
  EXPECT_EQ(Pixel(19, 20), kBlack);
}

TEST_F(GraphicsDisplay, LoadersGiveNullForMissingFilesAndFramesForPictures) {
  WriteFontFixture();
  EXPECT_EQ(ox_graphics_LoadImage("no_such_picture.png", 1, 0), nullptr);
  EXPECT_EQ(ox_graphics_LoadImage2("no_such_picture.png", 8, 8, 1, 0), nullptr);
  c_Image* grid = ox_graphics_LoadImage2(kDefaultFontPath, 64, 5, 24, 0);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->m_frames[12]->m_x, 0);  // 768 wide: 12 frames of 64 to a row
  EXPECT_EQ(grid->m_frames[12]->m_y, 5);
  c_Image* made = ox_graphics_CreateImage(10, 4, 3, c_Image::m_MidHandle);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->m_surface->Width(), 30);
  EXPECT_EQ(made->m_frames[2]->m_x, 20);
  EXPECT_EQ(made->m_tx, 5);
}

}  // namespace
