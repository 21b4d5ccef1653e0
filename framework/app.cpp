// The application lifecycle: c_App registration, the delegate that turns host events into device
// updates and application callbacks, display-mode enumeration and the ox_app_* module functions.
#include "framework/app.h"

#include "framework/audio.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "host/audio.h"
#include "host/renderer.h"
#include "runtime/containers.h"

c_App* ox_app__app = nullptr;
c_GameDelegate* ox_app__delegate = nullptr;
OxGame* ox_app__game = nullptr;
int ox_app__updateRate = 0;
int ox_app__devWidth = 0;
int ox_app__devHeight = 0;
Array<c_DisplayMode*> ox_app__displayModes;
c_DisplayMode* ox_app__desktopMode = nullptr;

namespace {

// Size of the default font, in the graphics module's terms.
constexpr int kDefaultFontSize = 32;

int init_app_globals() {
  ox_app__app = nullptr;
  ox_app__delegate = nullptr;
  ox_app__game = OxGame::_game;
  ox_app__updateRate = 0;
  ox_app__devWidth = 0;
  ox_app__devHeight = 0;
  ox_app__displayModes = Array<c_DisplayMode*>();
  ox_app__desktopMode = nullptr;
  return 0;
}

void mark_app_roots() {
  gc_mark_q(ox_app__app);
  gc_mark_q(ox_app__delegate);
}

void mark_display_mode_roots() {
  gc_mark_q(ox_app__displayModes);
  gc_mark_q(ox_app__desktopMode);
}

[[maybe_unused]] const bool registered = [] {
  ox_register_init(OX_LAYER_FRAMEWORK, init_app_globals);
  gc_register_roots(OX_ROOTS_APP, mark_app_roots);
  gc_register_roots(OX_ROOTS_DISPLAY_MODES, mark_display_mode_roots);
  return true;
}();

}  // namespace

// ---- c_App ---------------------------------------------------------------------------------------

c_App* c_App::m_new() {
  if (ox_app__app) oxError(String(OX_APP_ALREADY_CREATED));
  gc_assign(ox_app__app, this);
  gc_assign(ox_app__delegate, (new c_GameDelegate)->m_new());
  ox_app__game->SetDelegate(ox_app__delegate);
  return this;
}

int c_App::p_OnCreate() { return 0; }
int c_App::p_OnSuspend() { return 0; }
int c_App::p_OnResume() { return 0; }
int c_App::p_OnUpdate() { return 0; }
int c_App::p_OnRender() { return 0; }
int c_App::p_OnResize() { return 0; }
int c_App::p_OnLoading() { return 0; }
int c_App::p_OnClose() { ox_app_EndApp(); }
int c_App::p_OnBack() { ox_app_EndApp(); }

// ---- c_GameDelegate ------------------------------------------------------------------------------

c_GameDelegate* c_GameDelegate::m_new() { return this; }

void c_GameDelegate::mark() {
  OxGameDelegate::mark();
  gc_mark_q(m_graphics);
  gc_mark_q(m_audio);
  gc_mark_q(m_input);
}

void c_GameDelegate::StartGame() {
  gc_assign(m_graphics, new gxtkGraphics);
  gc_assign(ox_graphics_device, m_graphics);
  ox_graphics_SetFont(nullptr, kDefaultFontSize);
  gc_assign(m_audio, new gxtkAudio);
  gc_assign(ox_audio_device, m_audio);
  gc_assign(m_input, (new c_InputDevice)->m_new());
  gc_assign(ox_input_device, m_input);
  ox_app_ValidateDeviceWindow(false);
  ox_app_EnumDisplayModes();
  ox_app__app->p_OnCreate();
}

void c_GameDelegate::SuspendGame() {
  ox_app__app->p_OnSuspend();
  m_audio->Suspend();
}

void c_GameDelegate::ResumeGame() {
  m_audio->Resume();
  ox_app__app->p_OnResume();
}

void c_GameDelegate::UpdateGame() {
  ox_app_ValidateDeviceWindow(true);
  m_input->p_BeginUpdate();
  ox_app__app->p_OnUpdate();
  m_input->p_EndUpdate();
}

void c_GameDelegate::RenderGame() {
  ox_app_ValidateDeviceWindow(true);
  int mode = m_graphics->BeginRender();
  if (mode != OX_RENDER_SKIP) ox_graphics_BeginRender();
  if (mode == OX_RENDER_LOADING) {
    ox_app__app->p_OnLoading();
  } else {
    ox_app__app->p_OnRender();
  }
  if (mode != OX_RENDER_SKIP) ox_graphics_EndRender();
  m_graphics->EndRender();
}

// The back and close keys end the program on every key-down, without asking the game.
void c_GameDelegate::KeyEvent(int event, int data) {
  m_input->p_KeyEvent(event, data);
  if (event != c_OxGameEvent::m_KeyDown) return;
  if (data == kBackKey) ox_app__app->p_OnBack();
  if (data == kWindowCloseKey) ox_app__app->p_OnClose();
}

void c_GameDelegate::MouseEvent(int event, int data, float x, float y) {
  m_input->p_MouseEvent(event, data, x, y);
}

void c_GameDelegate::TouchEvent(int event, int data, float x, float y) {
  m_input->p_TouchEvent(event, data, x, y);
}

void c_GameDelegate::MotionEvent(int event, int data, float x, float y, float z) {
  m_input->p_MotionEvent(event, data, x, y, z);
}

void c_GameDelegate::DiscardGraphics() { m_graphics->DiscardGraphics(); }

// ---- c_DisplayMode -------------------------------------------------------------------------------

c_DisplayMode* c_DisplayMode::m_new(int width, int height) {
  m_width = width;
  m_height = height;
  return this;
}

c_DisplayMode* c_DisplayMode::m_new2() { return this; }

// ---- Module functions ----------------------------------------------------------------------------

int ox_app_SetUpdateRate(int hertz) {
  ox_app__updateRate = hertz;
  ox_app__game->SetUpdateRate(hertz);
  return 0;
}

int ox_app_Millisecs() { return ox_app__game->Millisecs(); }
String ox_app_LoadState() { return ox_app__game->LoadState(); }
int ox_app_SaveState(String state) { return ox_app__game->SaveState(state); }
int ox_app_DeviceWidth() { return ox_app__devWidth; }
int ox_app_DeviceHeight() { return ox_app__devHeight; }

// A size change needs no notification: the application's resize callback does nothing.
int ox_app_ValidateDeviceWindow(bool) {
  int width = ox_app__game->GetDeviceWidth();
  int height = ox_app__game->GetDeviceHeight();
  if (width != ox_app__devWidth || height != ox_app__devHeight) {
    ox_app__devWidth = width;
    ox_app__devHeight = height;
  }
  return 0;
}

// Modes that differ only in colour depth or refresh rate collapse into the first of them.
int ox_app_EnumDisplayModes() {
  Array<OxDisplayMode*> modes = ox_app__game->GetDisplayModes();
  // The map and the stack are reachable from no root; no collector step runs until this returns.
  c_IntMap<c_DisplayMode>* seen = (new c_IntMap<c_DisplayMode>)->m_new();
  c_Stack<c_DisplayMode>* unique = (new c_Stack<c_DisplayMode>)->m_new();
  for (int i = 0; i < modes.Length(); ++i) {
    OxDisplayMode* mode = modes[i];
    int key = (mode->width << OX_MODE_KEY_SHIFT) | mode->height;
    if (seen->p_Contains(key)) continue;
    c_DisplayMode* dm = (new c_DisplayMode)->m_new(mode->width, mode->height);
    seen->p_Insert(key, dm);
    unique->p_Push(dm);
  }
  gc_assign(ox_app__displayModes, unique->p_ToArray());

  OxDisplayMode* desktop = ox_app__game->GetDesktopMode();
  int width = desktop ? desktop->width : ox_app__devWidth;
  int height = desktop ? desktop->height : ox_app__devHeight;
  gc_assign(ox_app__desktopMode, (new c_DisplayMode)->m_new(width, height));
  return 0;
}

int ox_app_SetDeviceWindow(int width, int height, int flags) {
  ox_app__game->SetDeviceWindow(width, height, flags);
  return 0;
}

c_DisplayMode* ox_app_DesktopMode() {
  OxDisplayMode* desktop = ox_app__game->GetDesktopMode();
  return desktop ? (new c_DisplayMode)->m_new(desktop->width, desktop->height) : nullptr;
}

int ox_app_EndApp() { oxError(String()); }
