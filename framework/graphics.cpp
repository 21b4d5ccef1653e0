// The graphics context, images and frames, and the ox_graphics_* functions that keep
// drawing state on the framework side and forward it to the render device.
#include "framework/graphics.h"

#include <cmath>

#include "framework/angle.h"
#include "framework/app.h"
#include "host/files.h"

// Handle of a MidHandle image: the frame's centre.
static constexpr float kHalf = 0.5f;

gxtkGraphics* ox_graphics_device = nullptr;
c_GraphicsContext* ox_graphics_context = nullptr;
gxtkGraphics* ox_graphics_renderDevice = nullptr;

int c_Image::m_DefaultFlags = 0;

// ---------------------------------------------------------------------------
// Frames and images

c_Frame* c_Frame::m_new(int x, int y) {
  m_x = x;
  m_y = y;
  return this;
}

c_Frame* c_Frame::m_new2() { return this; }

c_Image* c_Image::m_new() { return this; }

void c_Image::mark() {
  Object::mark();
  gc_mark_q(m_surface);
  gc_mark_q(m_frames);
  gc_mark_q(m_source);
}

c_Image* c_Image::p_Init(gxtkSurface* surface, int frameCount, int flags) {
  if (m_surface != nullptr) oxError(kImageAlreadyInitialized);
  if (frameCount < 1) oxError(kImageFrameCountInvalid);
  gc_assign(m_surface, surface);
  m_width = surface->Width() / frameCount;
  m_height = surface->Height();
  gc_assign(m_frames, Array<c_Frame*>(frameCount));
  for (int i = 0; i < frameCount; ++i) {
    gc_assign(m_frames[i], (new c_Frame)->m_new(i * m_width, 0));
  }
  p_ApplyFlags(flags);
  return this;
}

c_Image* c_Image::p_Init2(gxtkSurface* surface, int x, int y, int width, int height,
                          int frameCount, int flags, c_Image* source, int srcx, int srcy,
                          int srcw, int srch) {
  if (m_surface != nullptr) oxError(kImageAlreadyInitialized);
  gc_assign(m_surface, surface);
  gc_assign(m_source, source);
  m_width = width;
  m_height = height;
  // Frames run left to right and wrap to the next row at the source rectangle's edge.
  Array<c_Frame*> frames(frameCount > 0 ? frameCount : 0);
  gc_assign(m_frames, frames);
  for (int i = 0; i < frameCount; ++i) {
    if (x + width > srcw) {
      y += height;
      x = 0;
      if (width > srcw) oxError(kImageFrameOutsideSurface);
    }
    if (y + height > srch) oxError(kImageFrameOutsideSurface);
    gc_assign(m_frames[i], (new c_Frame)->m_new(x + srcx, y + srcy));
    x += width;
  }
  p_ApplyFlags(flags);
  return this;
}

int c_Image::p_ApplyFlags(int flags) {
  m_flags = flags;
  int n = m_frames.Length();
  if (m_flags & m_XPadding) {
    for (int i = 0; i < n; ++i) m_frames[i]->m_x += 1;
    m_width -= 2;
  }
  if (m_flags & m_YPadding) {
    for (int i = 0; i < n; ++i) m_frames[i]->m_y += 1;
    m_height -= 2;
  }
  if (m_flags & m_MidHandle) {
    p_SetHandle(static_cast<float>(m_width) * kHalf, static_cast<float>(m_height) * kHalf);
  }
  if (n == 1 && m_frames[0]->m_x == 0 && m_frames[0]->m_y == 0 &&
      m_width == m_surface->Width() && m_height == m_surface->Height()) {
    m_flags |= m_FullFrame;
  }
  return 0;
}

int c_Image::p_SetHandle(float tx, float ty) {
  m_tx = tx;
  m_ty = ty;
  m_flags &= ~m_MidHandle;
  return 0;
}

// ---------------------------------------------------------------------------
// The context

c_GraphicsContext* c_GraphicsContext::m_new() {
  gc_assign(m_matrixStack, Array<float>(m_InitialStackFloats));
  return this;
}

void c_GraphicsContext::mark() {
  Object::mark();
  gc_mark_q(m_defaultFont);
  gc_mark_q(m_font);
  gc_mark_q(m_matrixStack);
}

// The device and the context are roots in their place after the application's; the render
// device is the framework's last root.
static void MarkGraphicsRoots() {
  gc_mark_q(ox_graphics_device);
  gc_mark_q(ox_graphics_context);
}

static void MarkRenderDeviceRoot() { gc_mark_q(ox_graphics_renderDevice); }

void ox_graphics_Init() {
  gc_assign(ox_graphics_device, nullptr);
  gc_assign(ox_graphics_context, (new c_GraphicsContext)->m_new());
  gc_assign(ox_graphics_renderDevice, nullptr);
}

static int InitGraphicsGlobals() {
  ox_graphics_Init();
  return 0;
}

// Registered while the program loads, before the start-up sequence runs oxInit and marks roots.
[[maybe_unused]] static const bool registered = [] {
  ox_register_init(OX_LAYER_FRAMEWORK, InitGraphicsGlobals);
  gc_register_roots(OX_ROOTS_GRAPHICS, MarkGraphicsRoots);
  gc_register_roots(OX_ROOTS_RENDER_DEVICE, MarkRenderDeviceRoot);
  return true;
}();

// The device to draw on; drawing outside BeginRender/EndRender is a runtime error.
static gxtkGraphics* RenderDevice() {
  if (ox_graphics_renderDevice == nullptr) oxError(kNotRendering);
  return ox_graphics_renderDevice;
}

// Hands the current matrix to the device once after it changed.
static void ValidateMatrix() {
  c_GraphicsContext* c = ox_graphics_context;
  gxtkGraphics* device = RenderDevice();
  if (c->m_matDirty) {
    device->SetMatrix(c->m_ix, c->m_iy, c->m_jx, c->m_jy, c->m_tx, c->m_ty);
    c->m_matDirty = 0;
  }
}

int ox_graphics_SetGraphicsDevice(gxtkGraphics* device) {
  gc_assign(ox_graphics_device, device);
  return 0;
}

int ox_graphics_BeginRender() {
  gc_assign(ox_graphics_renderDevice, ox_graphics_device);
  c_GraphicsContext* c = ox_graphics_context;
  c->m_matrixSp = 0;
  ox_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
  ox_graphics_SetColor(255, 255, 255);
  ox_graphics_SetAlpha(1);
  ox_graphics_SetBlend(gxtkBlendAlpha);
  ox_graphics_SetScissor(0, 0, static_cast<float>(ox_app_DeviceWidth()),
                         static_cast<float>(ox_app_DeviceHeight()));
  return 0;
}

int ox_graphics_EndRender() {
  gc_assign(ox_graphics_renderDevice, nullptr);
  return 0;
}

// ---------------------------------------------------------------------------
// State

int ox_graphics_SetColor(float r, float g, float b) {
  c_GraphicsContext* c = ox_graphics_context;
  c->m_color_r = r;
  c->m_color_g = g;
  c->m_color_b = b;
  RenderDevice()->SetColor(r, g, b);
  return 0;
}

int ox_graphics_SetAlpha(float alpha) {
  ox_graphics_context->m_alpha = alpha;
  RenderDevice()->SetAlpha(alpha);
  return 0;
}

int ox_graphics_SetBlend(int blend) {
  ox_graphics_context->m_blend = blend;
  RenderDevice()->SetBlend(blend);
  return 0;
}

int ox_graphics_SetScissor(float x, float y, float w, float h) {
  c_GraphicsContext* c = ox_graphics_context;
  c->m_scissor_x = x;
  c->m_scissor_y = y;
  c->m_scissor_w = w;
  c->m_scissor_h = h;
  RenderDevice()->SetScissor(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                             static_cast<int>(h));
  return 0;
}

int ox_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
  c_GraphicsContext* c = ox_graphics_context;
  c->m_ix = ix;
  c->m_iy = iy;
  c->m_jx = jx;
  c->m_jy = jy;
  c->m_tx = tx;
  c->m_ty = ty;
  c->m_tformed = (ix != 1 || iy != 0 || jx != 0 || jy != 1 || tx != 0 || ty != 0) ? 1 : 0;
  c->m_matDirty = 1;
  return 0;
}

int ox_graphics_SetMatrix2(Array<float> m) {
  if (m.Length() < c_GraphicsContext::m_MatrixFloats) oxError(kMatrixArrayTooShort);
  return ox_graphics_SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]);
}

int ox_graphics_Transform(float ix, float iy, float jx, float jy, float tx, float ty) {
  c_GraphicsContext* c = ox_graphics_context;
  float nix = ix * c->m_ix + iy * c->m_jx;
  float niy = ix * c->m_iy + iy * c->m_jy;
  float njx = jx * c->m_ix + jy * c->m_jx;
  float njy = jx * c->m_iy + jy * c->m_jy;
  float ntx = tx * c->m_ix + ty * c->m_jx + c->m_tx;
  float nty = tx * c->m_iy + ty * c->m_jy + c->m_ty;
  return ox_graphics_SetMatrix(nix, niy, njx, njy, ntx, nty);
}

int ox_graphics_Transform2(Array<float> m) {
  if (m.Length() < c_GraphicsContext::m_MatrixFloats) oxError(kMatrixArrayTooShort);
  return ox_graphics_Transform(m[0], m[1], m[2], m[3], m[4], m[5]);
}

int ox_graphics_Translate(float x, float y) { return ox_graphics_Transform(1, 0, 0, 1, x, y); }

int ox_graphics_Scale(float x, float y) { return ox_graphics_Transform(x, 0, 0, y, 0, 0); }

int ox_graphics_Rotate(float angle) {
  float radians = angle * kDegToRad;
  float s = static_cast<float>(std::sin(static_cast<double>(radians)));
  float c = static_cast<float>(std::cos(static_cast<double>(radians)));
  return ox_graphics_Transform(c, -s, s, c, 0, 0);
}

int ox_graphics_PushMatrix() {
  c_GraphicsContext* c = ox_graphics_context;
  int sp = c->m_matrixSp;
  if (sp + c_GraphicsContext::m_MatrixFloats > c->m_matrixStack.Length()) {
    Array<float> old = c->m_matrixStack;
    int length = old.Length() > 0 ? old.Length() * 2 : c_GraphicsContext::m_InitialStackFloats;
    Array<float> grown(length);
    for (int i = 0; i < old.Length(); ++i) grown[i] = old[i];
    gc_assign(c->m_matrixStack, grown);
  }
  float* m = &c->m_matrixStack[sp];
  m[0] = c->m_ix;
  m[1] = c->m_iy;
  m[2] = c->m_jx;
  m[3] = c->m_jy;
  m[4] = c->m_tx;
  m[5] = c->m_ty;
  c->m_matrixSp = sp + c_GraphicsContext::m_MatrixFloats;
  return 0;
}

int ox_graphics_PopMatrix() {
  c_GraphicsContext* c = ox_graphics_context;
  if (c->m_matrixSp < c_GraphicsContext::m_MatrixFloats) oxError(kMatrixStackUnderflow);
  c->m_matrixSp -= c_GraphicsContext::m_MatrixFloats;
  const float* m = &c->m_matrixStack[c->m_matrixSp];
  return ox_graphics_SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]);
}

// ---------------------------------------------------------------------------
// Drawing

int ox_graphics_DrawRect(float x, float y, float w, float h) {
  ValidateMatrix();
  ox_graphics_renderDevice->DrawRect(x, y, w, h);
  return 0;
}

int ox_graphics_DrawLine(float x1, float y1, float x2, float y2) {
  ValidateMatrix();
  ox_graphics_renderDevice->DrawLine(x1, y1, x2, y2);
  return 0;
}

int ox_graphics_DrawEllipse(float x, float y, float xr, float yr) {
  ValidateMatrix();
  ox_graphics_renderDevice->DrawOval(x - xr, y - yr, xr * 2, yr * 2);
  return 0;
}

// The frame to draw, checked: a bad image or frame number is a runtime error.
static c_Frame* CheckedFrame(c_Image* image, int frame) {
  if (image == nullptr) oxError(kImageIsNull);
  if (frame < 0 || frame >= image->m_frames.Length()) oxError(kImageFrameOutOfRange);
  return image->m_frames[frame];
}

// Draws one frame with its handle at (x, y) under the device's current matrix.
static void DrawFrame(c_Image* image, c_Frame* f, float x, float y) {
  if (image->m_flags & c_Image::m_FullFrame) {
    ox_graphics_renderDevice->DrawSurface(image->m_surface, x - image->m_tx, y - image->m_ty);
  } else {
    ox_graphics_renderDevice->DrawSurface2(image->m_surface, x - image->m_tx, y - image->m_ty,
                                           f->m_x, f->m_y, image->m_width, image->m_height);
  }
}

int ox_graphics_DrawImage(c_Image* image, float x, float y, int frame) {
  c_Frame* f = CheckedFrame(image, frame);
  ValidateMatrix();
  DrawFrame(image, f, x, y);
  return 0;
}

int ox_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float scaleX,
                           float scaleY, int frame) {
  c_Frame* f = CheckedFrame(image, frame);
  ox_graphics_PushMatrix();
  ox_graphics_Transform(1, 0, 0, 1, x, y);
  ox_graphics_Rotate(rotation);
  ox_graphics_Transform(scaleX, 0, 0, scaleY, 0, 0);
  ox_graphics_Transform(1, 0, 0, 1, -image->m_tx, -image->m_ty);
  ValidateMatrix();
  // The handle is already in the matrix: draw the frame's corner at the origin.
  if (image->m_flags & c_Image::m_FullFrame) {
    ox_graphics_renderDevice->DrawSurface(image->m_surface, 0, 0);
  } else {
    ox_graphics_renderDevice->DrawSurface2(image->m_surface, 0, 0, f->m_x, f->m_y,
                                           image->m_width, image->m_height);
  }
  ox_graphics_PopMatrix();
  return 0;
}

// ---------------------------------------------------------------------------
// Images and the font

c_Image* ox_graphics_LoadImage(String path, int frameCount, int flags) {
  if (ox_graphics_device == nullptr) return nullptr;
  gxtkSurface* surface = ox_graphics_device->LoadSurface(ox_data_FixDataPath(path));
  if (surface == nullptr) return nullptr;
  return (new c_Image)->m_new()->p_Init(surface, frameCount, flags);
}

c_Image* ox_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount,
                                int flags) {
  if (ox_graphics_device == nullptr) return nullptr;
  gxtkSurface* surface = ox_graphics_device->LoadSurface(ox_data_FixDataPath(path));
  if (surface == nullptr) return nullptr;
  return (new c_Image)->m_new()->p_Init2(surface, 0, 0, frameWidth, frameHeight, frameCount,
                                         flags, nullptr, 0, 0, surface->Width(),
                                         surface->Height());
}

c_Image* ox_graphics_CreateImage(int width, int height, int frameCount, int flags) {
  if (ox_graphics_device == nullptr) return nullptr;
  gxtkSurface* surface = ox_graphics_device->CreateSurface(width * frameCount, height);
  if (surface == nullptr) return nullptr;
  return (new c_Image)->m_new()->p_Init(surface, frameCount, flags);
}

int ox_graphics_SetFont(c_Image* font, int firstChar) {
  c_GraphicsContext* c = ox_graphics_context;
  if (font == nullptr) {
    if (c->m_defaultFont == nullptr) {
      gc_assign(c->m_defaultFont,
                ox_graphics_LoadImage(kDefaultFontPath, kDefaultFontFrames, c_Image::m_XPadding));
    }
    font = c->m_defaultFont;
    firstChar = kDefaultFontFirstChar;
  }
  gc_assign(c->m_font, font);
  c->m_firstChar = firstChar;
  return 0;
}
