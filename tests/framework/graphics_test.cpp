// The graphics context and images without a window: frame layout and flags, the
// handle, the matrix and its growable stack, and the runtime errors of misuse.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "framework/graphics.h"

namespace {

using ::testing::ExitedWithCode;
using ::testing::HasSubstr;

// A surface of the given size with no pixels: enough for laying out frames.
gxtkSurface* BlankSurface(int w, int h) {
  gxtkSurface* s = new gxtkSurface();
  s->width = w;
  s->height = h;
  return s;
}

// In a death-test child: no debugger input, and the runtime error's line on standard error
// where the matcher reads it.
void RouteRuntimeErrorToStderr() {
  if (!std::freopen("/dev/null", "r", stdin)) std::abort();
  dup2(2, 1);
}

std::string RuntimeError(const char* message) {
  return std::string(OX_RUNTIME_ERROR_PREFIX) + message;
}

// Exit status of a runtime error without a debugger (-1).
constexpr int kRuntimeErrorStatus = 255;

class GraphicsContextTest : public ::testing::Test {
 protected:
  void SetUp() override { ox_graphics_Init(); }
};

struct LayoutCase {
  const char* name;
  int surfaceW, surfaceH;
  bool grid;  // laid out by p_Init2 with the frame size below, else a strip by p_Init
  int frameW, frameH;
  int frames;
  int flags;
  int width, height;  // expected frame size
  float tx, ty;       // expected handle
  int flagsOut;
  std::vector<std::pair<int, int>> origins;
};

TEST(ImageLayout, FramesFlagsAndHandle) {
  const int Mid = c_Image::m_MidHandle, XPad = c_Image::m_XPadding, YPad = c_Image::m_YPadding,
            Full = c_Image::m_FullFrame;
  const LayoutCase cases[] = {
      {"one mid-handled frame covers the surface", 64, 32, false, 0, 0, 1, Mid, 64, 32, 32, 16,
       Full, {{0, 0}}},
      {"strip of four", 256, 64, false, 0, 0, 4, 0, 64, 64, 0, 0, 0,
       {{0, 0}, {64, 0}, {128, 0}, {192, 0}}},
      {"strip with x padding", 264, 64, false, 0, 0, 4, XPad, 64, 64, 0, 0, XPad,
       {{1, 0}, {67, 0}, {133, 0}, {199, 0}}},
      {"padding then mid handle", 66, 34, false, 0, 0, 1, XPad | YPad | Mid, 64, 32, 32, 16,
       XPad | YPad, {{1, 1}}},
      {"strip width divides down", 100, 10, false, 0, 0, 3, 0, 33, 10, 0, 0, 0,
       {{0, 0}, {33, 0}, {66, 0}}},
      {"grid wraps at the surface edge", 128, 96, true, 32, 32, 10, 0, 32, 32, 0, 0, 0,
       {{0, 0}, {32, 0}, {64, 0}, {96, 0}, {0, 32}, {32, 32}, {64, 32}, {96, 32}, {0, 64},
        {32, 64}}},
      {"grid of one whole frame", 128, 96, true, 128, 96, 1, 0, 128, 96, 0, 0, Full, {{0, 0}}},
      {"grid row with room to spare", 100, 20, true, 30, 20, 3, Mid, 30, 20, 15, 10, 0,
       {{0, 0}, {30, 0}, {60, 0}}},
  };
  for (const LayoutCase& c : cases) {
    gxtkSurface* s = BlankSurface(c.surfaceW, c.surfaceH);
    c_Image* image = (new c_Image)->m_new();
    if (c.grid) {
      image->p_Init2(s, 0, 0, c.frameW, c.frameH, c.frames, c.flags, nullptr, 0, 0, c.surfaceW,
                     c.surfaceH);
    } else {
      image->p_Init(s, c.frames, c.flags);
    }
    EXPECT_EQ(image->m_surface, s) << c.name;
    EXPECT_EQ(image->m_width, c.width) << c.name;
    EXPECT_EQ(image->m_height, c.height) << c.name;
    EXPECT_EQ(image->m_tx, c.tx) << c.name;
    EXPECT_EQ(image->m_ty, c.ty) << c.name;
    EXPECT_EQ(image->m_flags, c.flagsOut) << c.name;
    ASSERT_EQ(image->m_frames.Length(), static_cast<int>(c.origins.size())) << c.name;
    for (size_t i = 0; i < c.origins.size(); ++i) {
      EXPECT_EQ(image->m_frames[i]->m_x, c.origins[i].first) << c.name << " frame " << i;
      EXPECT_EQ(image->m_frames[i]->m_y, c.origins[i].second) << c.name << " frame " << i;
    }
  }
}

TEST(ImageLayout, GridInsideASourceRectangleOffsetsItsFrames) {
  c_Image* sheet = (new c_Image)->m_new()->p_Init(BlankSurface(200, 100), 1, 0);
  c_Image* part = (new c_Image)->m_new()->p_Init2(sheet->m_surface, 0, 0, 20, 10, 3, 0, sheet,
                                                   100, 50, 40, 20);
  EXPECT_EQ(part->m_source, sheet);
  const int expect[3][2] = {{100, 50}, {120, 50}, {100, 60}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(part->m_frames[i]->m_x, expect[i][0]) << i;
    EXPECT_EQ(part->m_frames[i]->m_y, expect[i][1]) << i;
  }
  EXPECT_EQ(part->m_flags, 0);
}

TEST(ImageLayout, SetHandleDropsMidHandle) {
  c_Image* image = (new c_Image)->m_new();
  image->m_flags = c_Image::m_MidHandle | c_Image::m_XPadding;
  image->p_SetHandle(3, 4);
  EXPECT_EQ(image->m_tx, 3);
  EXPECT_EQ(image->m_ty, 4);
  EXPECT_EQ(image->m_flags, c_Image::m_XPadding);
}

TEST(ImageLayoutDeathTest, MisuseIsARuntimeError) {
  struct Case {
    const char* name;
    void (*misuse)();
    const char* message;
  };
  const Case cases[] = {
      {"13 frames of 32 x 32 on 128 x 96",
       [] {
         (new c_Image)->m_new()->p_Init2(BlankSurface(128, 96), 0, 0, 32, 32, 13, 0, nullptr, 0,
                                         0, 128, 96);
       },
       kImageFrameOutsideSurface},
      {"frame wider than the source",
       [] {
         (new c_Image)->m_new()->p_Init2(BlankSurface(128, 96), 0, 0, 130, 32, 1, 0, nullptr, 0,
                                         0, 128, 96);
       },
       kImageFrameOutsideSurface},
      {"frame taller than the source",
       [] {
         (new c_Image)->m_new()->p_Init2(BlankSurface(128, 96), 0, 0, 32, 97, 1, 0, nullptr, 0,
                                         0, 128, 96);
       },
       kImageFrameOutsideSurface},
      {"p_Init twice",
       [] {
         c_Image* image = (new c_Image)->m_new()->p_Init(BlankSurface(8, 8), 1, 0);
         image->p_Init(BlankSurface(8, 8), 1, 0);
       },
       kImageAlreadyInitialized},
      {"p_Init2 after p_Init",
       [] {
         c_Image* image = (new c_Image)->m_new()->p_Init(BlankSurface(8, 8), 1, 0);
         image->p_Init2(BlankSurface(8, 8), 0, 0, 8, 8, 1, 0, nullptr, 0, 0, 8, 8);
       },
       kImageAlreadyInitialized},
      {"no frames", [] { (new c_Image)->m_new()->p_Init(BlankSurface(8, 8), 0, 0); },
       kImageFrameCountInvalid},
  };
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          RouteRuntimeErrorToStderr();
          c.misuse();
        },
        ExitedWithCode(kRuntimeErrorStatus), HasSubstr(RuntimeError(c.message)))
        << c.name;
  }
}

TEST(ImageLayout, TwelveFramesFillTheGridExactly) {
  c_Image* image = (new c_Image)->m_new()->p_Init2(BlankSurface(128, 96), 0, 0, 32, 32, 12, 0,
                                                    nullptr, 0, 0, 128, 96);
  EXPECT_EQ(image->m_frames[11]->m_x, 96);
  EXPECT_EQ(image->m_frames[11]->m_y, 64);
}

TEST_F(GraphicsContextTest, StartsAtTheIdentityWithRoomForThirtyTwoMatrices) {
  c_GraphicsContext* c = ox_graphics_context;
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->m_matrixStack.Length(), 192);
  EXPECT_EQ(c->m_matrixSp, 0);
  EXPECT_EQ(c->m_tformed, 0);
  EXPECT_EQ(c->m_ix, 1);
  EXPECT_EQ(c->m_jy, 1);
  EXPECT_EQ(c->m_font, nullptr);
  EXPECT_EQ(ox_graphics_device, nullptr);
  EXPECT_EQ(ox_graphics_renderDevice, nullptr);
}

TEST_F(GraphicsContextTest, TformedIsClearOnlyForTheExactIdentity) {
  struct Case {
    float m[6];
    int tformed;
  };
  const Case cases[] = {
      {{1, 0, 0, 1, 0, 0}, 0},
      {{1, 0, 0, 1, 5, 0}, 1},
      {{1, 0, 0, 1, 0, -1}, 1},
      {{2, 0, 0, 1, 0, 0}, 1},
      {{1, 0.001f, 0, 1, 0, 0}, 1},
  };
  for (const Case& c : cases) {
    ox_graphics_context->m_matDirty = 0;
    ox_graphics_SetMatrix(c.m[0], c.m[1], c.m[2], c.m[3], c.m[4], c.m[5]);
    EXPECT_EQ(ox_graphics_context->m_tformed, c.tformed) << c.m[0] << " " << c.m[4];
    EXPECT_EQ(ox_graphics_context->m_matDirty, 1);
  }
  Array<float> m(6);
  m[0] = 1;
  m[3] = 1;
  ox_graphics_SetMatrix2(m);
  EXPECT_EQ(ox_graphics_context->m_tformed, 0);
}

// Where the current matrix takes the point (x, y).
std::pair<float, float> Apply(float x, float y) {
  c_GraphicsContext* c = ox_graphics_context;
  return {c->m_ix * x + c->m_jx * y + c->m_tx, c->m_iy * x + c->m_jy * y + c->m_ty};
}

TEST_F(GraphicsContextTest, TransformsComposeInCallOrder) {
  ox_graphics_Translate(10, 20);
  ox_graphics_Scale(2, 3);
  auto p = Apply(1, 1);  // scaled first, then moved
  EXPECT_FLOAT_EQ(p.first, 12);
  EXPECT_FLOAT_EQ(p.second, 23);

  ox_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
  ox_graphics_Rotate(90);
  p = Apply(1, 0);  // right turns to up: counter-clockwise on a y-down screen
  EXPECT_NEAR(p.first, 0, 1e-6);
  EXPECT_NEAR(p.second, -1, 1e-6);
  p = Apply(0, 1);
  EXPECT_NEAR(p.first, 1, 1e-6);
  EXPECT_NEAR(p.second, 0, 1e-6);

  Array<float> shift(6);
  const float t[6] = {1, 0, 0, 1, 5, 7};
  for (int i = 0; i < 6; ++i) shift[i] = t[i];
  ox_graphics_SetMatrix(2, 0, 0, 2, 1, 1);
  ox_graphics_Transform2(shift);
  p = Apply(0, 0);
  EXPECT_FLOAT_EQ(p.first, 11);
  EXPECT_FLOAT_EQ(p.second, 15);
}

TEST_F(GraphicsContextTest, MatrixStackGrowsByDoublingAndPopsInReverse) {
  const int kPushes = 40;
  for (int i = 0; i < kPushes; ++i) {
    ox_graphics_SetMatrix(1, 0, 0, 1, static_cast<float>(i), static_cast<float>(-i));
    ox_graphics_PushMatrix();
  }
  EXPECT_EQ(ox_graphics_context->m_matrixStack.Length(), 384);
  EXPECT_EQ(ox_graphics_context->m_matrixSp, kPushes * 6);
  ox_graphics_SetMatrix(9, 9, 9, 9, 9, 9);
  for (int i = kPushes - 1; i >= 0; --i) {
    ox_graphics_PopMatrix();
    EXPECT_EQ(ox_graphics_context->m_tx, static_cast<float>(i));
    EXPECT_EQ(ox_graphics_context->m_ty, static_cast<float>(-i));
    EXPECT_EQ(ox_graphics_context->m_ix, 1);
    EXPECT_EQ(ox_graphics_context->m_tformed, i != 0 ? 1 : 0);
  }
  EXPECT_EQ(ox_graphics_context->m_matrixSp, 0);
}

// True when p is on one of the lists of live objects (white, grey or black).
bool IsLive(gc_object* p) {
  for (gc_object* head : {&gc_unmarked_list, &gc_queued_list, &gc_marked_list}) {
    for (gc_object* o = head->succ; o != head; o = o->succ) {
      if (o == p) return true;
    }
  }
  return false;
}

TEST_F(GraphicsContextTest, ModuleGlobalsAreCollectorRoots) {
  gxtkGraphics* device = new gxtkGraphics();
  ox_graphics_SetGraphicsDevice(device);
  gc_mark();  // the start-up's root marking
  for (int i = 0; i < 40; ++i) {
    ox_graphics_SetMatrix(1, 0, 0, 1, static_cast<float>(i), 0);
    ox_graphics_PushMatrix();
  }
  c_Image* font = (new c_Image)->m_new()->p_Init(BlankSurface(8, 8), 1, 0);
  ox_graphics_SetFont(font, 65);
  c_Image* dropped = (new c_Image)->m_new();

  gc_collect_all();
  gc_collect_all();
  EXPECT_STREQ(gc_check_heap(), "");
  EXPECT_TRUE(IsLive(device));
  EXPECT_TRUE(IsLive(ox_graphics_context));
  EXPECT_TRUE(IsLive(ox_graphics_context->m_matrixStack.GetRep()));  // the grown stack
  EXPECT_TRUE(IsLive(font));
  EXPECT_TRUE(IsLive(font->m_surface));
  EXPECT_FALSE(IsLive(dropped));
  EXPECT_EQ(ox_graphics_context->m_firstChar, 65);
  for (int i = 39; i >= 0; --i) {
    ox_graphics_PopMatrix();
    EXPECT_EQ(ox_graphics_context->m_tx, static_cast<float>(i));
  }
}

TEST_F(GraphicsContextTest, LoadersWithoutADeviceGiveNull) {
  EXPECT_EQ(ox_graphics_LoadImage("a.png", 1, 0), nullptr);
  EXPECT_EQ(ox_graphics_LoadImage2("a.png", 8, 8, 1, 0), nullptr);
  EXPECT_EQ(ox_graphics_CreateImage(8, 8, 1, 0), nullptr);
}

TEST(GraphicsContextDeathTest, MisuseIsARuntimeError) {
  struct Case {
    const char* name;
    void (*misuse)();
    const char* message;
  };
  const Case cases[] = {
      {"pop without push", [] { ox_graphics_PopMatrix(); }, kMatrixStackUnderflow},
      {"draw outside rendering", [] { ox_graphics_DrawRect(0, 0, 1, 1); }, kNotRendering},
      {"colour outside rendering", [] { ox_graphics_SetColor(1, 2, 3); }, kNotRendering},
      {"short matrix array", [] { ox_graphics_SetMatrix2(Array<float>(5)); },
       kMatrixArrayTooShort},
      {"null image", [] { ox_graphics_DrawImage(nullptr, 0, 0, 0); }, kImageIsNull},
      {"frame past the end",
       [] {
         c_Image* image = (new c_Image)->m_new()->p_Init(BlankSurface(8, 8), 2, 0);
         ox_graphics_DrawImage(image, 0, 0, 2);
       },
       kImageFrameOutOfRange},
  };
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          RouteRuntimeErrorToStderr();
          ox_graphics_Init();
          c.misuse();
        },
        ExitedWithCode(kRuntimeErrorStatus), HasSubstr(RuntimeError(c.message)))
        << c.name;
  }
}

}  // namespace
