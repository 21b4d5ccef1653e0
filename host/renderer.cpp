// The batching renderer: vertex generation on the CPU, one batch of one kind and
// one texture, and the textures' lazy (re)creation from their CPU copies.
#include "host/renderer.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host/host_game.h"

namespace {

// Full circle in single precision, as the oval's vertex angles are computed.
constexpr float kTwoPi = 6.2831855f;
// Points and lines sit on pixel centres.
constexpr float kPixelCentre = 0.5f;
// Oval vertex counts: at least 12, at most one batch, otherwise a multiple of 4.
constexpr int kOvalMinVertices = 12;
constexpr int kOvalMinSegments = 11;
constexpr int kOvalVertexStep = 4;
// Most glGetError results drained before a texture allocation is checked.
constexpr int kMaxStaleErrors = 16;
// Largest component value of an 8-bit colour channel.
constexpr int kChannelMax = 255;
constexpr float kChannelMaxF = 255.0f;
// Bytes of one RGBA pixel in the CPU copy.
constexpr int kRgbaBytes = 4;

int FormatForDepth(int depth) {
  switch (depth) {
    case 1: return GL_LUMINANCE;
    case 2: return GL_LUMINANCE_ALPHA;
    case 3: return GL_RGB;
    case 4: return GL_RGBA;
    default: return 0;
  }
}

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// Next power of two at or above n; a size below 2 becomes 1.
int PowerOfTwoAtLeast(int n) {
  int p = 1;
  while (p < n) p <<= 1;
  return p;
}

// Premultiplies colour by alpha in place, for the two depths that carry alpha.
void Premultiply(unsigned char* p, int pixels, int depth) {
  if (depth == 4) {
    for (int i = 0; i < pixels; ++i, p += 4) {
      int a = p[3];
      p[0] = static_cast<unsigned char>(p[0] * a / kChannelMax);
      p[1] = static_cast<unsigned char>(p[1] * a / kChannelMax);
      p[2] = static_cast<unsigned char>(p[2] * a / kChannelMax);
    }
  } else if (depth == 2) {
    for (int i = 0; i < pixels; ++i, p += 2) {
      p[0] = static_cast<unsigned char>(p[0] * p[1] / kChannelMax);
    }
  }
}

// True when rows r = 0..h-1 of w elements at offset + r * pitch all lie in an
// array of `length` elements. Rows are linear in r, so the first and the last
// row bound all of them.
bool RowsFit(int length, int offset, int w, int h, int pitch) {
  if (w <= 0 || h <= 0) return false;
  long long first = offset;
  long long last = static_cast<long long>(offset) + static_cast<long long>(h - 1) * pitch;
  long long lo = first < last ? first : last;
  long long hi = (first < last ? last : first) + w;
  return lo >= 0 && hi <= length;
}

void DrainGlErrors() {
  for (int i = 0; i < kMaxStaleErrors && glGetError() != GL_NO_ERROR; ++i) {
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// gxtkSurface

bool gxtkSurface::refuseNonPowerOfTwo = false;

gxtkSurface::~gxtkSurface() { Discard(); }

int gxtkSurface::Discard() {
  ReleaseTexture();
  std::free(data);
  data = nullptr;
  return 0;
}

void gxtkSurface::ReleaseTexture() {
  // A texture of an earlier GL context went away with that context.
  if (seq != -1 && seq == glfwGraphicsSeq) {
    glDeleteTextures(1, &texture);
  }
  seq = -1;
  texture = 0;
}

int gxtkSurface::Width() { return width; }
int gxtkSurface::Height() { return height; }
int gxtkSurface::Loaded() { return 1; }
void gxtkSurface::OnUnsafeLoadComplete() { Bind(); }

bool gxtkSurface::SetData(unsigned char* pixels, int w, int h, int d) {
  int fmt = FormatForDepth(d);
  if (fmt == 0 || pixels == nullptr || w <= 0 || h <= 0) return false;
  std::free(data);
  data = pixels;
  width = w;
  height = h;
  depth = d;
  format = fmt;
  Premultiply(data, w * h, d);
  return true;
}

void gxtkSurface::SetSubData(int x, int y, int w, int h, const int* src, int pitch) {
  if (format != GL_RGBA || src == nullptr) return;
  if (w <= 0 || h <= 0 || x < 0 || y < 0 || x > width - w || y > height - h) return;
  if (data == nullptr) {
    data = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(width) * height, kRgbaBytes));
    if (data == nullptr) return;
  }
  for (int row = 0; row < h; ++row) {
    const int* in = src + static_cast<long>(row) * pitch;
    unsigned char* out = data + (static_cast<size_t>(y + row) * width + x) * kRgbaBytes;
    for (int col = 0; col < w; ++col, out += kRgbaBytes) {
      uint32_t argb = static_cast<uint32_t>(in[col]);
      int a = (argb >> 24) & 0xff;
      out[0] = static_cast<unsigned char>(((argb >> 16) & 0xff) * a / kChannelMax);
      out[1] = static_cast<unsigned char>(((argb >> 8) & 0xff) * a / kChannelMax);
      out[2] = static_cast<unsigned char>((argb & 0xff) * a / kChannelMax);
      out[3] = static_cast<unsigned char>(a);
    }
  }
  if (seq != glfwGraphicsSeq) return;  // uploaded whole when next bound
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (w == width) {
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, format, GL_UNSIGNED_BYTE,
                    data + static_cast<size_t>(y) * width * kRgbaBytes);
  } else {
    for (int row = 0; row < h; ++row) {
      glTexSubImage2D(GL_TEXTURE_2D, 0, x, y + row, w, 1, format, GL_UNSIGNED_BYTE,
                      data + (static_cast<size_t>(y + row) * width + x) * kRgbaBytes);
    }
  }
}

void gxtkSurface::Bind() {
  if (glfwGraphicsSeq == 0) return;  // no window, no GL context yet
  if (seq == glfwGraphicsSeq) {
    glBindTexture(GL_TEXTURE_2D, texture);
    return;
  }
  // The texture is missing in this GL context: make it from the CPU copy.
  seq = glfwGraphicsSeq;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);

  int texw = width;
  int texh = height;
  DrainGlErrors();
  glTexImage2D(GL_TEXTURE_2D, 0, format, texw, texh, 0, format, GL_UNSIGNED_BYTE, nullptr);
  bool refused = glGetError() != GL_NO_ERROR;
  if (refuseNonPowerOfTwo && !(IsPowerOfTwo(texw) && IsPowerOfTwo(texh))) refused = true;
  if (refused) {
    texw = PowerOfTwoAtLeast(texw);
    texh = PowerOfTwoAtLeast(texh);
    glTexImage2D(GL_TEXTURE_2D, 0, format, texw, texh, 0, format, GL_UNSIGNED_BYTE, nullptr);
  }
  uscale = 1.0f / texw;
  vscale = 1.0f / texh;

  if (data != nullptr) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, data);
  }
}

// ---------------------------------------------------------------------------
// gxtkGraphics

gxtkGraphics::gxtkGraphics() {
  for (int q = 0; q < kBatchQuads; ++q) {
    uint16_t* i = quadIndices + q * 6;
    uint16_t base = static_cast<uint16_t>(q * 4);
    i[0] = base;
    i[1] = static_cast<uint16_t>(base + 1);
    i[2] = static_cast<uint16_t>(base + 2);
    i[3] = base;
    i[4] = static_cast<uint16_t>(base + 2);
    i[5] = static_cast<uint16_t>(base + 3);
  }
  std::memset(vertices, 0, sizeof(vertices));
  ReadWindowSize();
}

void gxtkGraphics::mark() {
  Object::mark();
  gc_mark_q(primSurf);
}

void gxtkGraphics::ReadWindowSize() {
  // The renderer draws into the current context, so its window is the one measured.
  GLFWwindow* window = glfwGetCurrentContext();
  if (window == nullptr) return;
  // The host's window: its size as its events reported it, without asking the X server.
  const OxGlfwGame* host = OxGlfwGame::_glfwGame;
  if (host && host->Window() == window) {
    width = host->CachedWindowState().width;
    height = host->CachedWindowState().height;
    return;
  }
  glfwGetWindowSize(window, &width, &height);
}

int gxtkGraphics::Width() { return width; }
int gxtkGraphics::Height() { return height; }

int gxtkGraphics::BeginRender() {
  ReadWindowSize();
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(2, GL_FLOAT, sizeof(gxtkVertex), &vertices[0].x);
  glTexCoordPointer(2, GL_FLOAT, sizeof(gxtkVertex), &vertices[0].u);
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(gxtkVertex), &vertices[0].color);

  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  primCount = 0;
  return 1;
}

int gxtkGraphics::EndRender() {
  Flush();
  return 0;
}

int gxtkGraphics::DiscardGraphics() { return 0; }

gxtkSurface* gxtkGraphics::LoadSurface(String path) {
  gxtkSurface* surface = new gxtkSurface();
  if (!LoadSurface__UNSAFE__(surface, path)) return nullptr;
  surface->Bind();
  return surface;
}

gxtkSurface* gxtkGraphics::CreateSurface(int w, int h) {
  gxtkSurface* surface = new gxtkSurface();
  surface->width = w;
  surface->height = h;
  surface->depth = kRgbaBytes;
  surface->format = GL_RGBA;
  surface->Bind();
  return surface;
}

bool gxtkGraphics::LoadSurface__UNSAFE__(gxtkSurface* surface, String path) {
  if (surface == nullptr || OxGame::_game == nullptr) return false;
  int w = 0, h = 0, d = 0;
  unsigned char* pixels = OxGame::_game->LoadImageData(path, &w, &h, &d);
  if (pixels == nullptr) return false;
  if (!surface->SetData(pixels, w, h, d)) {
    std::free(pixels);
    return false;
  }
  return true;
}

int gxtkGraphics::Cls(float cr, float cg, float cb) {
  primCount = 0;  // what was batched this frame is dropped unseen
  glClearColor(cr / kChannelMaxF, cg / kChannelMaxF, cb / kChannelMaxF, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  return 0;
}

static uint32_t PackColor(float r, float g, float b, float a) {
  return static_cast<uint32_t>(static_cast<int>(kChannelMaxF * a)) << 24 |
         static_cast<uint32_t>(static_cast<int>(b * a)) << 16 |
         static_cast<uint32_t>(static_cast<int>(g * a)) << 8 |
         static_cast<uint32_t>(static_cast<int>(r * a));
}

int gxtkGraphics::SetAlpha(float a) {
  alpha = a;
  color = PackColor(r, g, b, alpha);
  return 0;
}

int gxtkGraphics::SetColor(float cr, float cg, float cb) {
  r = cr;
  g = cg;
  b = cb;
  color = PackColor(r, g, b, alpha);
  return 0;
}

int gxtkGraphics::SetBlend(int blend) {
  Flush();
  if (blend == gxtkBlendAdditive) {
    glBlendFunc(GL_ONE, GL_ONE);
  } else {
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  }
  return 0;
}

int gxtkGraphics::SetScissor(int x, int y, int w, int h) {
  Flush();
  if (x == 0 && y == 0 && w == Width() && h == Height()) {
    glDisable(GL_SCISSOR_TEST);
  } else {
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, Height() - y - h, w, h);
  }
  return 0;
}

int gxtkGraphics::SetMatrix(float mix, float miy, float mjx, float mjy, float mtx, float mty) {
  ix = mix;
  iy = miy;
  jx = mjx;
  jy = mjy;
  tx = mtx;
  ty = mty;
  tformed = !(ix == 1 && iy == 0 && jx == 0 && jy == 1 && tx == 0 && ty == 0);
  return 0;
}

gxtkVertex* gxtkGraphics::Reserve(int kind, int count, gxtkSurface* surface) {
  if (kind == primType && surface == primSurf && primCount + count <= kBatchVertices) {
    gxtkVertex* v = vertices + primCount;
    primCount += count;
    return v;
  }
  Flush();
  primType = kind;
  gc_assign(primSurf, surface);
  primCount = count;
  return vertices;
}

inline void gxtkGraphics::PutVertex(gxtkVertex* out, float x, float y, float u, float v) const {
  if (tformed) {
    out->x = ix * x + jx * y + tx;
    out->y = iy * x + jy * y + ty;
  } else {
    out->x = x;
    out->y = y;
  }
  out->u = u;
  out->v = v;
  out->color = color;
}

void gxtkGraphics::Flush() {
  if (primCount == 0) return;
  if (primSurf != nullptr) {
    glEnable(GL_TEXTURE_2D);
    primSurf->Bind();
  }
  std::chrono::steady_clock::time_point start;
  if (stats.timeSubmits) start = std::chrono::steady_clock::now();
  switch (primType) {
    case gxtkPrimPoints:
      glDrawArrays(GL_POINTS, 0, primCount);
      ++stats.drawCalls;
      break;
    case gxtkPrimLines:
      glDrawArrays(GL_LINES, 0, primCount);
      ++stats.drawCalls;
      break;
    case gxtkPrimTriangles:
      glDrawArrays(GL_TRIANGLES, 0, primCount);
      ++stats.drawCalls;
      break;
    case gxtkPrimQuads:
      glDrawElements(GL_TRIANGLES, primCount / 4 * 6, GL_UNSIGNED_SHORT, quadIndices);
      ++stats.drawCalls;
      break;
    default:
      for (int first = 0; first + primType <= primCount; first += primType) {
        glDrawArrays(GL_TRIANGLE_FAN, first, primType);
        ++stats.drawCalls;
      }
      break;
  }
  if (stats.timeSubmits) {
    stats.submitNanos += std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
  }
  ++stats.flushes;
  if (primSurf != nullptr) glDisable(GL_TEXTURE_2D);
  primCount = 0;
}

int gxtkGraphics::DrawPoint(float x, float y) {
  gxtkVertex* v = Reserve(gxtkPrimPoints, 1, nullptr);
  PutVertex(v, x, y, 0, 0);
  v->x += kPixelCentre;
  v->y += kPixelCentre;
  return 0;
}

int gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
  gxtkVertex* v = Reserve(gxtkPrimLines, 2, nullptr);
  PutVertex(v, x1, y1, 0, 0);
  PutVertex(v + 1, x2, y2, 0, 0);
  for (int i = 0; i < 2; ++i) {
    v[i].x += kPixelCentre;
    v[i].y += kPixelCentre;
  }
  return 0;
}

int gxtkGraphics::DrawRect(float x, float y, float w, float h) {
  gxtkVertex* v = Reserve(gxtkPrimQuads, 4, nullptr);
  PutVertex(v, x, y, 0, 0);
  PutVertex(v + 1, x + w, y, 0, 0);
  PutVertex(v + 2, x + w, y + h, 0, 0);
  PutVertex(v + 3, x, y + h, 0, 0);
  return 0;
}

int gxtkGraphics::OvalVertexCount(float xr, float yr) const {
  int s;
  if (tformed) {
    float ilen = std::sqrt((ix * xr) * (ix * xr) + (iy * xr) * (iy * xr));
    float jlen = std::sqrt((jx * yr) * (jx * yr) + (jy * yr) * (jy * yr));
    float sum = ilen + jlen;
    // A non-finite or enormous size takes the largest count.
    s = std::isfinite(sum) && sum < kBatchVertices + 1 ? static_cast<int>(sum) : kBatchVertices + 1;
  } else {
    float ax = std::fabs(std::trunc(xr));
    float ay = std::fabs(std::trunc(yr));
    float sum = ax + ay;
    s = std::isfinite(sum) && sum < kBatchVertices + 1 ? static_cast<int>(sum) : kBatchVertices + 1;
  }
  if (s <= kOvalMinSegments) return kOvalMinVertices;
  if (s > kBatchVertices) return kBatchVertices;
  return s / kOvalVertexStep * kOvalVertexStep;
}

int gxtkGraphics::DrawOval(float x, float y, float w, float h) {
  float xr = w / 2;
  float yr = h / 2;
  float cx = x + xr;
  float cy = y + yr;
  int n = OvalVertexCount(xr, yr);
  gxtkVertex* v = Reserve(n, n, nullptr);
  for (int i = 0; i < n; ++i) {
    float th = static_cast<float>(i) * kTwoPi / static_cast<float>(n);
    PutVertex(v + i, cx + std::cos(th) * xr, cy - std::sin(th) * yr, 0, 0);
  }
  return 0;
}

int gxtkGraphics::DrawPoly(Array<float> xy) {
  int n = xy.Length() / 2;
  if (n < 1 || n > kBatchVertices) return 0;
  gxtkVertex* v = Reserve(n, n, nullptr);
  for (int i = 0; i < n; ++i) {
    PutVertex(v + i, xy[i * 2], xy[i * 2 + 1], 0, 0);
  }
  return 0;
}

int gxtkGraphics::DrawPoly2(Array<float> xyuv, gxtkSurface* surface, int srcx, int srcy) {
  int n = xyuv.Length() / 4;
  if (n < 1 || n > kBatchVertices || surface == nullptr) return 0;
  // The texture's size (and so its scale) is settled when it is bound.
  if (surface->seq != glfwGraphicsSeq) surface->Bind();
  gxtkVertex* v = Reserve(n, n, surface);
  for (int i = 0; i < n; ++i) {
    PutVertex(v + i, xyuv[i * 4], xyuv[i * 4 + 1], (xyuv[i * 4 + 2] + srcx) * surface->uscale,
              (xyuv[i * 4 + 3] + srcy) * surface->vscale);
  }
  return 0;
}

int gxtkGraphics::DrawSurface(gxtkSurface* surface, float x, float y) {
  if (surface == nullptr) return 0;
  if (surface->seq != glfwGraphicsSeq) surface->Bind();
  float w = static_cast<float>(surface->width);
  float h = static_cast<float>(surface->height);
  float u1 = w * surface->uscale;
  float v1 = h * surface->vscale;
  gxtkVertex* v = Reserve(gxtkPrimQuads, 4, surface);
  PutVertex(v, x, y, 0, 0);
  PutVertex(v + 1, x + w, y, u1, 0);
  PutVertex(v + 2, x + w, y + h, u1, v1);
  PutVertex(v + 3, x, y + h, 0, v1);
  return 0;
}

int gxtkGraphics::DrawSurface2(gxtkSurface* surface, float x, float y, int srcx, int srcy,
                               int srcw, int srch) {
  if (surface == nullptr) return 0;
  if (surface->seq != glfwGraphicsSeq) surface->Bind();
  float w = static_cast<float>(srcw);
  float h = static_cast<float>(srch);
  float u0 = srcx * surface->uscale;
  float u1 = (srcx + srcw) * surface->uscale;
  float v0 = srcy * surface->vscale;
  float v1 = (srcy + srch) * surface->vscale;
  gxtkVertex* v = Reserve(gxtkPrimQuads, 4, surface);
  PutVertex(v, x, y, u0, v0);
  PutVertex(v + 1, x + w, y, u1, v0);
  PutVertex(v + 2, x + w, y + h, u1, v1);
  PutVertex(v + 3, x, y + h, u0, v1);
  return 0;
}

int gxtkGraphics::ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset,
                             int pitch) {
  Flush();
  if (!RowsFit(pixels.Length(), offset, w, h, pitch)) return 0;
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  // GL rows run bottom up: read each window row straight into its array row.
  for (int row = 0; row < h; ++row) {
    glReadPixels(x, Height() - y - 1 - row, w, 1, GL_BGRA, GL_UNSIGNED_BYTE,
                 &pixels[offset + row * pitch]);
  }
  return 0;
}

int gxtkGraphics::WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w,
                               int h, int offset, int pitch) {
  if (surface == nullptr || !RowsFit(pixels.Length(), offset, w, h, pitch)) return 0;
  surface->SetSubData(x, y, w, h, &pixels[offset], pitch);
  return 0;
}
