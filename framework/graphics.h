// The drawing interface the game uses: the graphics context (colour, blend, scissor,
// matrix and its stack, font), images made of frames on a surface, and the ox_graphics_* functions.
#pragma once

#include "host/renderer.h"
#include "runtime/runtime.h"

// Runtime error texts of this module.
inline constexpr const char* kImageAlreadyInitialized = "Image already initialized";
inline constexpr const char* kImageFrameOutsideSurface = "Image frame outside surface";
inline constexpr const char* kImageFrameCountInvalid = "Image frame count must be at least 1";
inline constexpr const char* kImageFrameOutOfRange = "Image frame out of range";
inline constexpr const char* kImageIsNull = "Image is null";
inline constexpr const char* kMatrixStackUnderflow = "Matrix stack underflow";
inline constexpr const char* kMatrixArrayTooShort = "Matrix array needs 6 elements";
inline constexpr const char* kNotRendering = "Drawing is only allowed while rendering";

// The built-in font: 96 frames for the characters 32 to 127, each with a
// one-pixel border left and right.
inline constexpr const char* kDefaultFontPath = "loom_font.png";
inline constexpr int kDefaultFontFrames = 96;
inline constexpr int kDefaultFontFirstChar = 32;

class c_Frame : public Object {
 public:
  int m_x = 0;
  int m_y = 0;

  c_Frame() {}
  c_Frame* m_new(int x, int y);
  c_Frame* m_new2();
};

class c_Image : public Object {
 public:
  // Image flags.
  static constexpr int m_MidHandle = 1;     // handle at the frame's centre
  static constexpr int m_XPadding = 2;      // one undrawn pixel left and right of each frame
  static constexpr int m_YPadding = 4;      // one undrawn pixel above and below each frame
  static constexpr int m_FullFrame = 65536; // one frame covering the whole surface
  static int m_DefaultFlags;

  gxtkSurface* m_surface = nullptr;
  int m_width = 0;
  int m_height = 0;
  Array<c_Frame*> m_frames;
  int m_flags = 0;
  float m_tx = 0;
  float m_ty = 0;
  c_Image* m_source = nullptr;

  c_Image() {}
  c_Image* m_new();
  void mark() override;

  c_Image* p_Init(gxtkSurface* surface, int frameCount, int flags);
  c_Image* p_Init2(gxtkSurface* surface, int x, int y, int width, int height, int frameCount,
                   int flags, c_Image* source, int srcx, int srcy, int srcw, int srch);
  int p_ApplyFlags(int flags);
  int p_SetHandle(float tx, float ty);
};

class c_GraphicsContext : public Object {
 public:
  // The matrix stack starts with room for 32 saved matrices of 6 floats and doubles when full.
  static constexpr int m_MatrixFloats = 6;
  static constexpr int m_InitialStackFloats = 32 * m_MatrixFloats;

  c_Image* m_defaultFont = nullptr;
  c_Image* m_font = nullptr;
  int m_firstChar = 0;
  int m_matrixSp = 0;
  float m_ix = 1, m_iy = 0, m_jx = 0, m_jy = 1, m_tx = 0, m_ty = 0;
  int m_tformed = 0;
  int m_matDirty = 0;
  float m_color_r = 0, m_color_g = 0, m_color_b = 0;
  float m_alpha = 0;
  int m_blend = 0;
  float m_scissor_x = 0, m_scissor_y = 0, m_scissor_w = 0, m_scissor_h = 0;
  Array<float> m_matrixStack;

  c_GraphicsContext() {}
  c_GraphicsContext* m_new();
  void mark() override;
};

extern gxtkGraphics* ox_graphics_device;
extern c_GraphicsContext* ox_graphics_context;
extern gxtkGraphics* ox_graphics_renderDevice;

// Module start-up, run by oxInit: a fresh context and no devices. The module's globals are
// collector roots from the moment the program is loaded.
void ox_graphics_Init();

int ox_graphics_SetGraphicsDevice(gxtkGraphics* device);
int ox_graphics_BeginRender();
int ox_graphics_EndRender();

int ox_graphics_SetColor(float r, float g, float b);
int ox_graphics_SetAlpha(float alpha);
int ox_graphics_SetBlend(int blend);
int ox_graphics_SetScissor(float x, float y, float w, float h);

int ox_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
int ox_graphics_SetMatrix2(Array<float> m);
int ox_graphics_Transform(float ix, float iy, float jx, float jy, float tx, float ty);
int ox_graphics_Transform2(Array<float> m);
int ox_graphics_Translate(float x, float y);
int ox_graphics_Scale(float x, float y);
int ox_graphics_Rotate(float angle);
int ox_graphics_PushMatrix();
int ox_graphics_PopMatrix();

int ox_graphics_DrawRect(float x, float y, float w, float h);
int ox_graphics_DrawLine(float x1, float y1, float x2, float y2);
int ox_graphics_DrawEllipse(float x, float y, float xr, float yr);
int ox_graphics_DrawImage(c_Image* image, float x, float y, int frame);
int ox_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float scaleX,
                           float scaleY, int frame);

c_Image* ox_graphics_LoadImage(String path, int frameCount, int flags);
c_Image* ox_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount,
                                int flags);
c_Image* ox_graphics_CreateImage(int width, int height, int frameCount, int flags);
int ox_graphics_SetFont(c_Image* font, int firstChar);
