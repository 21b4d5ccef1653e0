// The batching 2D renderer over fixed-function OpenGL (gxtkGraphics) and its
// textures, which keep a premultiplied CPU copy and re-upload per GL context (gxtkSurface).
#pragma once

#include <cstdint>

#include "runtime/runtime.h"

// One batched vertex, handed to OpenGL with a stride of 20 bytes. The colour is
// four bytes in memory order red, green, blue, alpha, already premultiplied.
struct gxtkVertex {
  float x, y;
  float u, v;
  uint32_t color;
};
static_assert(sizeof(gxtkVertex) == 20, "the vertex layout given to OpenGL is 20 bytes");

// Primitive kinds of the batch: 1 points, 2 lines, 3 triangles, 4 quads, and
// n >= 5 polygons of n vertices each (drawn as one fan per polygon).
enum gxtkPrimKind {
  gxtkPrimNone = 0,
  gxtkPrimPoints = 1,
  gxtkPrimLines = 2,
  gxtkPrimTriangles = 3,
  gxtkPrimQuads = 4,
};

// Blend modes: premultiplied alpha and additive.
enum gxtkBlendMode { gxtkBlendAlpha = 0, gxtkBlendAdditive = 1 };

// Counters of the work sent to OpenGL, cheap enough to stay on in every build.
// `drawCalls` counts glDrawArrays/glDrawElements calls, `flushes` the batches
// sent. When `timeSubmits` is set, the time spent inside those draw calls is
// added to `submitNanos`, so a benchmark can tell the renderer's own CPU time
// from the driver's.
struct gxtkDrawStats {
  long long drawCalls = 0;
  long long flushes = 0;
  long long submitNanos = 0;
  bool timeSubmits = false;

  void Reset() {
    drawCalls = 0;
    flushes = 0;
    submitNanos = 0;
  }
};

class gxtkSurface : public Object {
 public:
  // Pixels, rows top to bottom, colour already multiplied by alpha; owned (malloc'd).
  unsigned char* data = nullptr;
  int width = 0;
  int height = 0;
  int depth = 0;   // bytes per pixel, 1 to 4
  int format = 0;  // GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB or GL_RGBA by depth
  int seq = -1;    // glfwGraphicsSeq when the texture was made; -1 for none
  unsigned int texture = 0;
  float uscale = 0;  // 1 / allocated texture width
  float vscale = 0;  // 1 / allocated texture height

  gxtkSurface() = default;
  ~gxtkSurface() override;

  virtual int Discard();
  virtual int Width();
  virtual int Height();
  virtual int Loaded();
  virtual void OnUnsafeLoadComplete();

  // Takes over `pixels` (malloc'd, rows top to bottom) and premultiplies them.
  // Refuses (returns false, frees nothing) a depth outside 1 to 4.
  bool SetData(unsigned char* pixels, int width, int height, int depth);
  // Writes a w x h rectangle of ARGB integers (rows `pitch` apart) at (x, y),
  // premultiplied, into the CPU copy and, when the texture is current, into it.
  void SetSubData(int x, int y, int w, int h, const int* src, int pitch);
  // Binds the texture, creating it first when this GL context has none.
  void Bind();

  // Lets tests stand in for a driver that rejects non-power-of-two texture
  // sizes: the first allocation of such a size then counts as refused.
  static bool refuseNonPowerOfTwo;

 private:
  void ReleaseTexture();
};

class gxtkGraphics : public Object {
 public:
  // Batch capacity: 1024 vertices, so 256 quads share one prebuilt index list.
  static constexpr int kBatchVertices = 1024;
  static constexpr int kBatchQuads = kBatchVertices / 4;
  static constexpr int kQuadIndices = kBatchQuads * 6;

  int width = 0;
  int height = 0;
  uint32_t color = 0;
  float r = 0, g = 0, b = 0;
  float alpha = 0;
  float ix = 1, iy = 0, jx = 0, jy = 1, tx = 0, ty = 0;
  bool tformed = false;
  // The batch: vertices of one kind and one texture. It goes to OpenGL on a
  // change of kind or texture, when full, and on SetBlend, SetScissor,
  // ReadPixels and EndRender; never on a colour, alpha or matrix change. Cls
  // drops it unseen.
  gxtkVertex vertices[kBatchVertices];
  uint16_t quadIndices[kQuadIndices];
  int primType = gxtkPrimNone;
  int primCount = 0;
  gxtkSurface* primSurf = nullptr;

  gxtkDrawStats stats;

  gxtkGraphics();
  void mark() override;

  virtual int Width();
  virtual int Height();
  virtual int BeginRender();
  virtual int EndRender();
  virtual int DiscardGraphics();
  virtual gxtkSurface* LoadSurface(String path);
  virtual gxtkSurface* CreateSurface(int width, int height);
  virtual bool LoadSurface__UNSAFE__(gxtkSurface* surface, String path);
  virtual int Cls(float r, float g, float b);
  virtual int SetAlpha(float alpha);
  virtual int SetColor(float r, float g, float b);
  virtual int SetBlend(int blend);
  virtual int SetScissor(int x, int y, int w, int h);
  virtual int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
  virtual int DrawPoint(float x, float y);
  virtual int DrawRect(float x, float y, float w, float h);
  virtual int DrawLine(float x1, float y1, float x2, float y2);
  virtual int DrawOval(float x, float y, float w, float h);
  virtual int DrawPoly(Array<float> xy);
  virtual int DrawPoly2(Array<float> xyuv, gxtkSurface* surface, int srcx, int srcy);
  virtual int DrawSurface(gxtkSurface* surface, float x, float y);
  virtual int DrawSurface2(gxtkSurface* surface, float x, float y, int srcx, int srcy, int srcw,
                           int srch);
  virtual int ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch);
  virtual int WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h,
                           int offset, int pitch);

  // The number of vertices DrawOval uses for an ellipse of radii xr, yr under
  // the current matrix.
  int OvalVertexCount(float xr, float yr) const;

 private:
  gxtkVertex* Reserve(int kind, int count, gxtkSurface* surface);
  void Flush();
  void ReadWindowSize();
  void PutVertex(gxtkVertex* v, float x, float y, float u, float v_) const;
};
