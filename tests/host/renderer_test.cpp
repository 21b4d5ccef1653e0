// The renderer's CPU side without a window: colour packing, vertex generation, the
// batch's kinds and counts, and the surfaces' premultiplied CPU copies.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/host_game.h"
#include "host/renderer.h"

namespace {

// A fresh renderer with an empty batch; no GL context is needed until a flush.
gxtkGraphics* NewRenderer() {
  gxtkGraphics* g = new gxtkGraphics();
  g->SetColor(255, 255, 255);
  g->SetAlpha(1);
  return g;
}

unsigned char* CopyPixels(std::initializer_list<int> bytes) {
  auto* p = static_cast<unsigned char*>(std::malloc(bytes.size()));
  int i = 0;
  for (int b : bytes) p[i++] = static_cast<unsigned char>(b);
  return p;
}

TEST(RendererColor, PacksPremultipliedRgbaWithTruncation) {
  struct Case {
    float r, g, b, a;
    uint32_t packed;
  };
  const Case cases[] = {
      {255, 255, 255, 1, 0xFFFFFFFFu},
      {255, 0, 0, 1, 0xFF0000FFu},
      {0, 0, 255, 1, 0xFFFF0000u},
      {255, 128, 0, 0.5f, 0x7F00407Fu},  // 127.5 -> 127, 64 -> 64
      {200, 100, 50, 0, 0x00000000u},
      {10, 20, 30, 0.25f, 0x3F070502u},  // 7.5, 5, 2.5 truncate
  };
  for (const Case& c : cases) {
    gxtkGraphics* g = NewRenderer();
    g->SetColor(c.r, c.g, c.b);
    g->SetAlpha(c.a);
    EXPECT_EQ(g->color, c.packed) << c.r << "," << c.g << "," << c.b << " a=" << c.a;
    // The order of the two setters does not matter.
    g->SetAlpha(c.a);
    g->SetColor(c.r, c.g, c.b);
    EXPECT_EQ(g->color, c.packed);
  }
}

TEST(RendererBatch, QuadIndicesShareOnePrebuiltList) {
  gxtkGraphics* g = NewRenderer();
  const uint16_t first[6] = {0, 1, 2, 0, 2, 3};
  const uint16_t last[6] = {1020, 1021, 1022, 1020, 1022, 1023};
  EXPECT_EQ(0, std::memcmp(g->quadIndices, first, sizeof(first)));
  EXPECT_EQ(0, std::memcmp(g->quadIndices + gxtkGraphics::kQuadIndices - 6, last, sizeof(last)));
}

TEST(RendererVertices, PointsAndLinesSitOnPixelCentresRectsDoNot) {
  gxtkGraphics* g = NewRenderer();
  g->DrawPoint(3, 4);
  EXPECT_EQ(g->primType, gxtkPrimPoints);
  EXPECT_FLOAT_EQ(g->vertices[0].x, 3.5f);
  EXPECT_FLOAT_EQ(g->vertices[0].y, 4.5f);

  g = NewRenderer();
  g->SetMatrix(2, 0, 0, 2, 10, 0);
  g->DrawLine(1, 1, 5, 1);
  EXPECT_EQ(g->primType, gxtkPrimLines);
  EXPECT_FLOAT_EQ(g->vertices[0].x, 12.5f);
  EXPECT_FLOAT_EQ(g->vertices[0].y, 2.5f);
  EXPECT_FLOAT_EQ(g->vertices[1].x, 20.5f);

  g = NewRenderer();
  g->DrawRect(10, 20, 30, 40);
  const float expect[4][2] = {{10, 20}, {40, 20}, {40, 60}, {10, 60}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(g->vertices[i].x, expect[i][0]) << i;
    EXPECT_FLOAT_EQ(g->vertices[i].y, expect[i][1]) << i;
  }
}

TEST(RendererVertices, MatrixTransformsOnTheCpuAndKeepsTheBatch) {
  gxtkGraphics* g = NewRenderer();
  g->DrawRect(0, 0, 1, 1);
  // A quarter turn counter-clockwise on screen, moved to (100, 50).
  g->SetMatrix(0, -1, 1, 0, 100, 50);
  EXPECT_TRUE(g->tformed);
  g->DrawRect(0, 0, 10, 0);
  EXPECT_EQ(g->primCount, 8);
  EXPECT_EQ(g->stats.flushes, 0);
  EXPECT_FLOAT_EQ(g->vertices[5].x, 100);  // (10, 0) maps to (100, 40)
  EXPECT_FLOAT_EQ(g->vertices[5].y, 40);
  g->SetMatrix(1, 0, 0, 1, 0, 0);
  EXPECT_FALSE(g->tformed);
}

TEST(RendererVertices, ColourChangesStayPerVertexInOneBatch) {
  gxtkGraphics* g = NewRenderer();
  g->SetColor(255, 0, 0);
  g->DrawRect(0, 0, 4, 4);
  g->SetColor(0, 255, 0);
  g->SetAlpha(0.5f);
  g->DrawRect(8, 0, 4, 4);
  EXPECT_EQ(g->primCount, 8);
  EXPECT_EQ(g->stats.flushes, 0);
  EXPECT_EQ(g->vertices[3].color, 0xFF0000FFu);
  EXPECT_EQ(g->vertices[4].color, 0x7F007F00u);
}

TEST(RendererVertices, SurfaceQuadsCarryScaledTextureCoordinates) {
  gxtkGraphics* g = NewRenderer();
  gxtkSurface* s = new gxtkSurface();
  s->width = 100;
  s->height = 60;
  s->seq = glfwGraphicsSeq;  // treat the texture as current: no GL needed
  s->uscale = 1.0f / 128;
  s->vscale = 1.0f / 64;

  g->DrawSurface(s, 5, 6);
  EXPECT_EQ(g->primSurf, s);
  EXPECT_FLOAT_EQ(g->vertices[2].x, 105);
  EXPECT_FLOAT_EQ(g->vertices[2].y, 66);
  EXPECT_FLOAT_EQ(g->vertices[2].u, 100.0f / 128);
  EXPECT_FLOAT_EQ(g->vertices[2].v, 60.0f / 64);

  g->DrawSurface2(s, 0, 0, 32, 16, 8, 4);
  EXPECT_EQ(g->primCount, 8);
  EXPECT_FLOAT_EQ(g->vertices[4].u, 32.0f / 128);
  EXPECT_FLOAT_EQ(g->vertices[4].v, 16.0f / 64);
  EXPECT_FLOAT_EQ(g->vertices[6].x, 8);
  EXPECT_FLOAT_EQ(g->vertices[6].y, 4);
  EXPECT_FLOAT_EQ(g->vertices[6].u, 40.0f / 128);
  EXPECT_FLOAT_EQ(g->vertices[6].v, 20.0f / 64);

  Array<float> xyuv(8);
  const float tri[8] = {0, 0, 1, 2, 10, 0, 3, 4};
  for (int i = 0; i < 8; ++i) xyuv[i] = tri[i];
  g = NewRenderer();
  g->DrawPoly2(xyuv, s, 10, 20);
  EXPECT_EQ(g->primType, 2);
  EXPECT_FLOAT_EQ(g->vertices[1].u, 13.0f / 128);
  EXPECT_FLOAT_EQ(g->vertices[1].v, 24.0f / 64);
}

TEST(RendererVertices, OvalVertexCountFollowsItsSize) {
  struct Case {
    float w, h;
    float scale;  // uniform matrix scale; 1 is the identity
    int vertices;
  };
  const Case cases[] = {
      {10, 10, 1, 12},      // s = 10
      {24, 0, 1, 12},       // s = 12 -> 12
      {26, 0, 1, 12},       // s = 13 -> 12
      {100, 100, 1, 100},   // s = 100
      {102, 102, 1, 100},   // s = 102 -> 100
      {5000, 10, 1, 1024},  // s > 1024
      {-100, -100, 1, 100}, // radii taken by size
      {10, 10, 2, 20},      // transformed: 10 + 10
      {10, 10, 0.5f, 12},
  };
  for (const Case& c : cases) {
    gxtkGraphics* g = NewRenderer();
    g->SetMatrix(c.scale, 0, 0, c.scale, 0, 0);
    g->DrawOval(0, 0, c.w, c.h);
    EXPECT_EQ(g->primType, c.vertices) << c.w << "x" << c.h << " scale " << c.scale;
    EXPECT_EQ(g->primCount, c.vertices);
  }
}

TEST(RendererVertices, OvalRunsCounterClockwiseFromTheRightmostPoint) {
  gxtkGraphics* g = NewRenderer();
  g->DrawOval(0, 0, 200, 100);  // centre (100, 50), radii 100 and 50
  int n = g->primCount;
  ASSERT_EQ(n, 148);
  EXPECT_NEAR(g->vertices[0].x, 200, 1e-3);
  EXPECT_NEAR(g->vertices[0].y, 50, 1e-3);
  // A quarter of the way round is the top of the ellipse (y down on screen).
  EXPECT_NEAR(g->vertices[n / 4].x, 100, 1e-3);
  EXPECT_NEAR(g->vertices[n / 4].y, 0, 1e-3);
}

TEST(RendererVertices, PolygonKindIsItsVertexCount) {
  struct Case {
    int values;
    int kind;  // 0: nothing drawn
  };
  const Case cases[] = {{0, 0}, {1, 0}, {3, 1}, {4, 2}, {6, 3}, {8, 4}, {10, 5},
                        {2048, 1024}, {2050, 0}};
  for (const Case& c : cases) {
    gxtkGraphics* g = NewRenderer();
    Array<float> xy(c.values);
    for (int i = 0; i < c.values; ++i) xy[i] = static_cast<float>(i);
    g->DrawPoly(xy);
    EXPECT_EQ(g->primCount, c.kind) << c.values << " values";
    if (c.kind > 0) {
      EXPECT_EQ(g->primType, c.kind) << c.values << " values";
    }
  }
}

TEST(RendererVertices, NullSurfacesDrawNothing) {
  gxtkGraphics* g = NewRenderer();
  g->DrawSurface(nullptr, 0, 0);
  g->DrawSurface2(nullptr, 0, 0, 0, 0, 1, 1);
  g->DrawPoly2(Array<float>(8), nullptr, 0, 0);
  EXPECT_EQ(g->primCount, 0);
}

TEST(RendererSurface, SetDataPremultipliesTheDepthsWithAlpha) {
  struct Case {
    int depth;
    std::vector<int> in, out;
    int format;
  };
  const Case cases[] = {
      {4, {200, 100, 50, 128, 9, 9, 9, 255}, {100, 50, 25, 128, 9, 9, 9, 255}, 0x1908},
      {2, {200, 128, 255, 0}, {100, 128, 0, 0}, 0x190A},
      {3, {200, 100, 50, 1, 2, 3}, {200, 100, 50, 1, 2, 3}, 0x1907},
      {1, {200, 7}, {200, 7}, 0x1909},
  };
  for (const Case& c : cases) {
    gxtkSurface* s = new gxtkSurface();
    auto* px = static_cast<unsigned char*>(std::malloc(c.in.size()));
    for (size_t i = 0; i < c.in.size(); ++i) px[i] = static_cast<unsigned char>(c.in[i]);
    int pixels = static_cast<int>(c.in.size()) / c.depth;
    ASSERT_TRUE(s->SetData(px, pixels, 1, c.depth));
    EXPECT_EQ(s->format, c.format) << "depth " << c.depth;
    for (size_t i = 0; i < c.out.size(); ++i) {
      EXPECT_EQ(s->data[i], c.out[i]) << "depth " << c.depth << " byte " << i;
    }
    s->Discard();
    EXPECT_EQ(s->data, nullptr);
  }
}

TEST(RendererSurface, SetDataRefusesDepthsItCannotUpload) {
  gxtkSurface* s = new gxtkSurface();
  unsigned char* px = CopyPixels({1, 2, 3, 4, 5});
  EXPECT_FALSE(s->SetData(px, 1, 1, 5));
  EXPECT_EQ(s->data, nullptr);
  EXPECT_EQ(s->format, 0);
  std::free(px);
}

TEST(RendererSurface, SetSubDataWritesPremultipliedPixelsInsideTheSurfaceOnly) {
  gxtkSurface* s = (new gxtkGraphics())->CreateSurface(4, 3);
  ASSERT_EQ(s->data, nullptr);
  // A 2 x 2 block of ARGB pixels taken from a 3-wide source (pitch 3).
  const int src[6] = {static_cast<int>(0x80C86432u), static_cast<int>(0xFF0000FFu), 0,
                      static_cast<int>(0x00FFFFFFu), static_cast<int>(0xFF102030u), 0};
  s->SetSubData(1, 1, 2, 2, src, 3);
  ASSERT_NE(s->data, nullptr);
  auto px = [&](int x, int y) { return s->data + (y * 4 + x) * 4; };
  const unsigned char a[4] = {100, 50, 25, 128};  // 0xC8, 0x64, 0x32 at alpha 0x80
  const unsigned char b[4] = {0, 0, 255, 255};
  const unsigned char c[4] = {0, 0, 0, 0};
  const unsigned char d[4] = {0x10, 0x20, 0x30, 255};
  EXPECT_EQ(0, std::memcmp(px(1, 1), a, 4));
  EXPECT_EQ(0, std::memcmp(px(2, 1), b, 4));
  EXPECT_EQ(0, std::memcmp(px(1, 2), c, 4));
  EXPECT_EQ(0, std::memcmp(px(2, 2), d, 4));
  EXPECT_EQ(0, std::memcmp(px(0, 0), c, 4));

  // Rectangles reaching outside the surface are refused whole.
  std::vector<unsigned char> before(s->data, s->data + 4 * 3 * 4);
  const int white[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  const int rects[][4] = {{3, 0, 2, 1}, {0, 2, 1, 2}, {-1, 0, 1, 1}, {0, 0, 0, 1}, {0, 0, 5, 1}};
  for (const auto& r : rects) s->SetSubData(r[0], r[1], r[2], r[3], white, 4);
  EXPECT_EQ(0, std::memcmp(before.data(), s->data, before.size()));
}

TEST(RendererSurface, SetSubDataIgnoresSurfacesWithoutAlphaChannel) {
  gxtkSurface* s = new gxtkSurface();
  ASSERT_TRUE(s->SetData(CopyPixels({1, 2, 3, 4, 5, 6}), 2, 1, 3));
  const int src[2] = {-1, -1};
  s->SetSubData(0, 0, 2, 1, src, 2);
  EXPECT_EQ(s->data[0], 1);
  EXPECT_EQ(s->data[5], 6);
}

TEST(RendererSurface, WritePixelsChecksTheSourceArray) {
  gxtkGraphics* g = NewRenderer();
  gxtkSurface* s = g->CreateSurface(4, 4);
  Array<int> pixels(6);
  for (int i = 0; i < 6; ++i) pixels[i] = -1;
  // 2 rows of 2 from offset 2 with pitch 3 need elements 2..6: one past the end.
  g->WritePixels2(s, pixels, 0, 0, 2, 2, 2, 3);
  EXPECT_EQ(s->data, nullptr);
  g->WritePixels2(s, pixels, 0, 0, 2, 2, 1, 3);
  ASSERT_NE(s->data, nullptr);
  EXPECT_EQ(s->data[3], 255);
  EXPECT_EQ(s->data[(1 * 4 + 1) * 4 + 3], 255);
  EXPECT_EQ(s->data[(2 * 4 + 0) * 4 + 3], 0);
}

}  // namespace
