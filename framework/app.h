// The application layer the game sees: c_App and its callbacks, c_GameDelegate (the host's delegate,
// which owns the three devices and drives the callbacks), display modes and the ox_app_* functions.
#pragma once

#include "host/host_game.h"
#include "runtime/runtime.h"

class gxtkGraphics;
class gxtkAudio;
class c_InputDevice;

// Ranks of the framework's collector roots, so that gc_mark visits them in this order: the
// application and its delegate; the graphics device and context; the audio device; the input
// device; the display modes; the graphics render device. Each module registers its own function.
inline constexpr int OX_ROOTS_APP = GC_ROOTS_FRAMEWORK;
inline constexpr int OX_ROOTS_GRAPHICS = GC_ROOTS_FRAMEWORK + 1;
inline constexpr int OX_ROOTS_AUDIO = GC_ROOTS_FRAMEWORK + 2;
inline constexpr int OX_ROOTS_INPUT = GC_ROOTS_FRAMEWORK + 3;
inline constexpr int OX_ROOTS_DISPLAY_MODES = GC_ROOTS_FRAMEWORK + 4;
inline constexpr int OX_ROOTS_RENDER_DEVICE = GC_ROOTS_FRAMEWORK + 5;

// Renderer answers to BeginRender: skip the frame, draw it, or show the loading screen.
inline constexpr int OX_RENDER_SKIP = 0;
inline constexpr int OX_RENDER_LOADING = 2;
// Display modes are told apart by (width << 16) | height.
inline constexpr int OX_MODE_KEY_SHIFT = 16;

// Runtime error of a second application object.
inline constexpr char OX_APP_ALREADY_CREATED[] = "App has already been created";

// The game's application derives this and overrides the five virtual callbacks.
class c_App : public Object {
 public:
  c_App() {}
  // Registers the one application and hands its delegate to the host.
  c_App* m_new();

  virtual int p_OnCreate();
  virtual int p_OnSuspend();
  virtual int p_OnResume();
  virtual int p_OnUpdate();
  virtual int p_OnRender();
  // Called directly, never replaced: resize and loading do nothing, close and back end the program.
  int p_OnResize();
  int p_OnLoading();
  int p_OnClose();
  int p_OnBack();
};

// The host's delegate: creates the renderer, audio and input devices at start, keeps the input
// state and window size current around each update and render, and calls the application.
class c_GameDelegate : public OxGameDelegate {
 public:
  gxtkGraphics* m_graphics = nullptr;
  gxtkAudio* m_audio = nullptr;
  c_InputDevice* m_input = nullptr;

  c_GameDelegate() {}
  c_GameDelegate* m_new();
  void mark() override;

  void StartGame() override;
  void SuspendGame() override;
  void ResumeGame() override;
  void UpdateGame() override;
  void RenderGame() override;
  void KeyEvent(int event, int data) override;
  void MouseEvent(int event, int data, float x, float y) override;
  void TouchEvent(int event, int data, float x, float y) override;
  void MotionEvent(int event, int data, float x, float y, float z) override;
  void DiscardGraphics() override;
};

class c_DisplayMode : public Object {
 public:
  int m_width = 0;
  int m_height = 0;

  c_DisplayMode() {}
  c_DisplayMode* m_new(int width, int height);
  c_DisplayMode* m_new2();
};

// Module globals, reset by oxInit.
extern c_App* ox_app__app;
extern c_GameDelegate* ox_app__delegate;
extern OxGame* ox_app__game;
extern int ox_app__updateRate;
extern int ox_app__devWidth;
extern int ox_app__devHeight;
extern Array<c_DisplayMode*> ox_app__displayModes;
extern c_DisplayMode* ox_app__desktopMode;

int ox_app_SetUpdateRate(int hertz);
int ox_app_Millisecs();
String ox_app_LoadState();
// The host's result: 0 saved, -1 the file could not be made, -2 it could not be written whole.
int ox_app_SaveState(String state);
int ox_app_DeviceWidth();
int ox_app_DeviceHeight();
// Refreshes the stored window size from the host.
int ox_app_ValidateDeviceWindow(bool notifyApp);
// The host's display modes without duplicate sizes, in first-seen order, and the desktop mode.
int ox_app_EnumDisplayModes();
// Reopens the window at width x height, full screen when flags has OX_WINDOW_FULLSCREEN; the new
// size reaches the application through the next size check.
int ox_app_SetDeviceWindow(int width, int height, int flags);
// The desktop's mode as the host reports it now, null when the host knows none.
c_DisplayMode* ox_app_DesktopMode();
// Ends the process at once with status 0; no further callback runs and nothing is saved.
[[noreturn]] int ox_app_EndApp();
