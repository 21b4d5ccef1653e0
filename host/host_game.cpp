// The host objects: OxGame's defaults and guarded forwards, the window over GLFW, the main loop
// with its fixed-rate update timing, display modes, the clock, the date, URLs and the process entry.
#include "host/host_game.h"

#include <GLFW/glfw3.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

#include "host/files.h"
#include "host/isolated_decode.h"
#include "host/keys.h"
#include "host/pad_mappings.h"

extern char** environ;

int glfwGraphicsSeq = 0;

OxGame* OxGame::_game = nullptr;
OxGlfwGame* OxGlfwGame::_glfwGame = nullptr;

namespace {

// Milliseconds in a second, for Millisecs.
constexpr double kMillisPerSecond = 1000.0;
// GetDate fills year, month, day, hours, minutes, seconds and milliseconds, in this order.
constexpr int kDateFields = 7;
// struct tm counts years from 1900 and months from 0.
constexpr int kTmYearBase = 1900;
constexpr int kTmMonthBase = 1;
// The program that opens a URL with the desktop's preferred application.
constexpr char kUrlOpener[] = "xdg-open";

// The production table of the loop: GLFW's clock, event step, focus and buffer swap.
class GlfwLoopPlatform : public OxLoopPlatform {
 public:
  double Time() override { return glfwGetTime(); }
  void Sleep(double seconds) override {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  }
  void SwapBuffers() override {
    if (GLFWwindow* w = Window()) glfwSwapBuffers(w);
  }
  void PollEvents() override { glfwPollEvents(); }
  void WaitEvents() override { glfwWaitEvents(); }
  bool WindowOpen() override {
    GLFWwindow* w = Window();
    return w && !glfwWindowShouldClose(w);
  }
  bool WindowActive() override {
    if (!Window()) return false;
    const OxGlfwGame::WindowState& state = OxGlfwGame::_glfwGame->CachedWindowState();
    return state.focused && !state.iconified;
  }

 private:
  static GLFWwindow* Window() {
    return OxGlfwGame::_glfwGame ? OxGlfwGame::_glfwGame->Window() : nullptr;
  }
};

GlfwLoopPlatform glfw_loop_platform;

}  // namespace

GLFWwindow* OxLoopPlatform::OpenWindow(int width, int height, bool fullscreen) {
  return glfwCreateWindow(width, height, OX_WINDOW_TITLE, fullscreen ? glfwGetPrimaryMonitor() : nullptr,
                          nullptr);
}

// ---- OxGame: defaults ------------------------------------------------------------------------------

OxGame::OxGame() { _game = this; }

OxGame::~OxGame() {
  if (_game == this) _game = nullptr;
}

void OxGame::SetDelegate(OxGameDelegate* delegate) { _delegate = delegate; }
OxGameDelegate* OxGame::Delegate() { return _delegate; }
void OxGame::SetKeyboardEnabled(bool enabled) { _keyboardEnabled = enabled; }
bool OxGame::KeyboardEnabled() { return _keyboardEnabled; }
void OxGame::SetUpdateRate(int hertz) { _updateRate = hertz; }
int OxGame::UpdateRate() { return _updateRate; }
bool OxGame::Started() { return _started; }
bool OxGame::Suspended() { return _suspended; }
int OxGame::Millisecs() { return 0; }

void OxGame::GetDate(Array<int> date) {
  int n = date.Length();
  if (n < 1) return;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const int fields[kDateFields] = {local.tm_year + kTmYearBase, local.tm_mon + kTmMonthBase,
                                   local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, 0};
  for (int i = 0; i < n && i < kDateFields; ++i) date[i] = fields[i];
}

bool OxGame::PollJoystick(int, Array<float>, Array<float>, Array<float>, Array<bool>) {
  return false;
}
void OxGame::OpenUrl(String) {}
void OxGame::SetMouseVisible(bool) {}
int OxGame::GetDeviceWidth() { return 0; }
int OxGame::GetDeviceHeight() { return 0; }
void OxGame::SetDeviceWindow(int, int, int) {}
Array<OxDisplayMode*> OxGame::GetDisplayModes() { return Array<OxDisplayMode*>(); }
OxDisplayMode* OxGame::GetDesktopMode() { return nullptr; }
void OxGame::SetSwapInterval(int) {}
String OxGame::PathToFilePath(String path) { return path; }
unsigned char* OxGame::LoadImageData(String, int*, int*, int*) { return nullptr; }
unsigned char* OxGame::LoadAudioData(String, int*, int*, int*, int*) { return nullptr; }

void OxGame::Die(ThrowableObject*) {
  oxPrint(String(OX_RUNTIME_ERROR_PREFIX) + String(OX_UNCAUGHT_EXCEPTION));
  std::exit(-1);
}

void OxGame::gc_collect() {
  gc_mark(_delegate);
  ::gc_collect();
}

// ---- OxGame: guarded forwards ------------------------------------------------------------------

void OxGame::StartGame() {
  if (_started) return;
  _started = true;
  Guarded([this] { _delegate->StartGame(); });
}

void OxGame::SuspendGame() {
  if (!_started || _suspended) return;
  _suspended = true;
  Guarded([this] { _delegate->SuspendGame(); });
}

void OxGame::ResumeGame() {
  if (!_started || !_suspended) return;
  _suspended = false;
  Guarded([this] { _delegate->ResumeGame(); });
}

void OxGame::UpdateGame() {
  if (!_started || _suspended) return;
  Guarded([this] { _delegate->UpdateGame(); });
}

void OxGame::RenderGame() {
  if (!_started) return;
  Guarded([this] { _delegate->RenderGame(); });
}

void OxGame::KeyEvent(int event, int data) {
  if (!_started) return;
  Guarded([=] { _delegate->KeyEvent(event, data); });
}

void OxGame::MouseEvent(int event, int data, float x, float y) {
  if (!_started) return;
  Guarded([=] { _delegate->MouseEvent(event, data, x, y); });
}

void OxGame::TouchEvent(int event, int data, float x, float y) {
  if (!_started) return;
  Guarded([=] { _delegate->TouchEvent(event, data, x, y); });
}

void OxGame::MotionEvent(int event, int data, float x, float y, float z) {
  if (!_started) return;
  Guarded([=] { _delegate->MotionEvent(event, data, x, y, z); });
}

void OxGame::DiscardGraphics() {
  if (!_started) return;
  Guarded([this] { _delegate->DiscardGraphics(); });
}

// ---- OxGlfwGame: the window ----------------------------------------------------------------------

OxGlfwGame::OxGlfwGame() : _platform(&glfw_loop_platform) { _glfwGame = this; }

OxGlfwGame::~OxGlfwGame() {
  if (_window) glfwDestroyWindow(_window);
  if (_glfwGame == this) _glfwGame = nullptr;
}

void OxGlfwGame::SetLoopPlatform(OxLoopPlatform* platform) {
  _platform = platform ? platform : &glfw_loop_platform;
}

void OxGlfwGame::SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha,
                               int depth, int stencil, bool fullscreen) {
  // No key stays down across the switch: the new window will not report their release.
  if (_window) {
    for (int k = 0; k <= GLFW_KEY_LAST; ++k) {
      int key = TransKey(k);
      if (key != 0 && glfwGetKey(_window, k) == GLFW_PRESS) KeyEvent(c_OxGameEvent::m_KeyUp, key);
    }
  }

  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* desktop = monitor ? glfwGetVideoMode(monitor) : nullptr;
  const bool reopening = _window != nullptr;
  const WindowRequest previous = _windowRequest;
  if (_window) {
    glfwDestroyWindow(_window);
    _window = nullptr;
  }

  const WindowRequest wanted{width, height, red, green, blue, alpha, depth, stencil, fullscreen};
  if (OpenGlfwWindow(wanted, desktop)) return;
  // A window that could not be opened at all ends the loop at its next test (and Run ends the
  // program). One refused in a reopening gives the game the window it had back.
  if (!reopening) return;
  const auto describe = [](const WindowRequest& r) {
    return std::to_string(r.width) + " x " + std::to_string(r.height) +
           (r.fullscreen ? " full screen" : " windowed");
  };
  const std::string line = std::string(OX_WINDOW_REOPEN_FAILED) + " at " + describe(wanted) +
                           "; keeping " + describe(previous);
  oxPrint(String(line.c_str()));
  if (OpenGlfwWindow(previous, desktop)) return;
  oxPrint(String(OX_WINDOW_OPEN_FAILED));
  glfwTerminate();
  std::exit(-1);
}

bool OxGlfwGame::OpenGlfwWindow(const WindowRequest& r, const GLFWvidmode* desktop) {
  glfwDefaultWindowHints();
  glfwWindowHint(GLFW_RED_BITS, r.red);
  glfwWindowHint(GLFW_GREEN_BITS, r.green);
  glfwWindowHint(GLFW_BLUE_BITS, r.blue);
  glfwWindowHint(GLFW_ALPHA_BITS, r.alpha);
  glfwWindowHint(GLFW_DEPTH_BITS, r.depth);
  glfwWindowHint(GLFW_STENCIL_BITS, r.stencil);
  glfwWindowHint(GLFW_REFRESH_RATE, OX_REFRESH_RATE);
  glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);

  _window = _platform->OpenWindow(r.width, r.height, r.fullscreen);
  ++glfwGraphicsSeq;
  if (!_window) {
    _windowState = WindowState();
    return false;
  }
  _windowRequest = r;
  glfwMakeContextCurrent(_window);

  if (!r.fullscreen && desktop) {
    glfwSetWindowPos(_window, (desktop->width - r.width) / 2, (desktop->height - r.height) / 2);
  }
  if (_swapInterval >= 0) glfwSwapInterval(_swapInterval);
  RegisterCallbacks();
  ReadWindowState();
  return true;
}

void OxGlfwGame::ReadWindowState() {
  glfwGetWindowSize(_window, &_windowState.width, &_windowState.height);
  _windowState.focused = glfwGetWindowAttrib(_window, GLFW_FOCUSED) != 0;
  _windowState.iconified = glfwGetWindowAttrib(_window, GLFW_ICONIFIED) != 0;
}

void OxGlfwGame::SetDeviceWindow(int width, int height, int flags) {
  SetGlfwWindow(width, height, OX_START_COLOUR_BITS, OX_START_COLOUR_BITS, OX_START_COLOUR_BITS,
                0, 0, 0, (flags & OX_WINDOW_FULLSCREEN) != 0);
}

void OxGlfwGame::SetSwapInterval(int interval) {
  _swapInterval = interval;
  if (interval >= 0 && _window) glfwSwapInterval(interval);
}

void OxGlfwGame::SetMouseVisible(bool visible) {
  if (_window) {
    glfwSetInputMode(_window, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
  }
}

int OxGlfwGame::GetDeviceWidth() { return _window ? _windowState.width : 0; }

int OxGlfwGame::GetDeviceHeight() { return _window ? _windowState.height : 0; }

// ---- OxGlfwGame: display modes -------------------------------------------------------------------

namespace {

const GLFWvidmode* video_modes(int* count) {
  *count = 0;
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* modes = monitor ? glfwGetVideoModes(monitor, count) : nullptr;
  if (!modes) *count = 0;
  if (*count > OX_MAX_VIDEO_MODES) *count = OX_MAX_VIDEO_MODES;
  return modes;
}

const GLFWvidmode* desktop_mode() {
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  return monitor ? glfwGetVideoMode(monitor) : nullptr;
}

OxDisplayMode* new_display_mode(const GLFWvidmode& m) {
  OxDisplayMode* mode = new OxDisplayMode;
  mode->width = m.width;
  mode->height = m.height;
  return mode;
}

OxGlfwVideoMode* new_video_mode(const GLFWvidmode& m) {
  OxGlfwVideoMode* mode = new OxGlfwVideoMode;
  mode->Width = m.width;
  mode->Height = m.height;
  mode->RedBits = m.redBits;
  mode->GreenBits = m.greenBits;
  mode->BlueBits = m.blueBits;
  return mode;
}

}  // namespace

// The array is made before its elements, and each element is stored through the barrier, so a
// collector step between the allocations cannot lose one.
Array<OxDisplayMode*> OxGlfwGame::GetDisplayModes() {
  int n = 0;
  const GLFWvidmode* modes = video_modes(&n);
  Array<OxDisplayMode*> result(n);
  for (int i = 0; i < n; ++i) gc_assign(result[i], new_display_mode(modes[i]));
  return result;
}

OxDisplayMode* OxGlfwGame::GetDesktopMode() {
  const GLFWvidmode* m = desktop_mode();
  return m ? new_display_mode(*m) : nullptr;
}

Array<OxGlfwVideoMode*> OxGlfwGame::GetGlfwVideoModes() {
  int n = 0;
  const GLFWvidmode* modes = video_modes(&n);
  Array<OxGlfwVideoMode*> result(n);
  for (int i = 0; i < n; ++i) gc_assign(result[i], new_video_mode(modes[i]));
  return result;
}

OxGlfwVideoMode* OxGlfwGame::GetGlfwDesktopMode() {
  const GLFWvidmode* m = desktop_mode();
  return m ? new_video_mode(*m) : nullptr;
}

// The close button never closes the window by itself: it becomes kWindowCloseKey down and up, and the
// framework decides.
bool OxGlfwGame::OnWindowClose() {
  if (_game) {
    _game->KeyEvent(c_OxGameEvent::m_KeyDown, kWindowCloseKey);
    _game->KeyEvent(c_OxGameEvent::m_KeyUp, kWindowCloseKey);
  }
  return false;
}

// ---- OxGlfwGame: clock and URLs ------------------------------------------------------------------

int OxGlfwGame::Millisecs() { return static_cast<int>(_platform->Time() * kMillisPerSecond); }

// The URL goes to the opener as its one argument, never through a shell; a URL that the opener
// would read as an option is refused. The child is reaped in the background.
void OxGlfwGame::OpenUrl(String url) {
  String::CString<char> narrow = url.ToCString();
  const char* text = narrow.c_str();
  if (text[0] == 0 || text[0] == '-') return;
  char* args[] = {const_cast<char*>(kUrlOpener), const_cast<char*>(text), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, kUrlOpener, nullptr, nullptr, args, environ) != 0) return;
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
}

// ---- OxGlfwGame: the main loop -------------------------------------------------------------------

void OxGlfwGame::SetUpdateRate(int hertz) {
  _updateRate = hertz;
  if (hertz != 0) _updatePeriod = 1.0 / hertz;
  _nextUpdate = 0;
}

void OxGlfwGame::UpdateEvents() {
  if (_suspended) {
    _platform->WaitEvents();
  } else {
    _platform->PollEvents();
  }
}

// Without a first window there is no GL context for the devices the game's start creates: the
// program ends with a message instead of starting the game.
void OxGlfwGame::Run() {
  SetGlfwWindow(OX_START_WIDTH, OX_START_HEIGHT, OX_START_COLOUR_BITS, OX_START_COLOUR_BITS,
                OX_START_COLOUR_BITS, 0, 0, 0, false);
  if (!_window) {
    oxPrint(String(OX_WINDOW_OPEN_FAILED));
    glfwTerminate();
    std::exit(-1);
  }
  StartGame();
  RunLoop();
}

// _nextUpdate is the time the next update is due, or 0 when the schedule is to be anchored
// afresh at the next frame (after a rate change, a suspend or resume, or a dropped schedule).
void OxGlfwGame::RunLoop() {
  OxLoopPlatform& p = *_platform;
  while (p.WindowOpen()) {
    RenderGame();
    p.SwapBuffers();

    if (_nextUpdate != 0) {
      double delay = _nextUpdate - p.Time();
      if (delay > 0) p.Sleep(delay);
    }

    UpdateEvents();

    bool active = p.WindowActive();
    if (active && _suspended) {
      ResumeGame();
      _nextUpdate = 0;
    } else if (!active && !_suspended) {
      SuspendGame();
      _nextUpdate = 0;
    }
    if (_suspended) continue;

    if (_updateRate == 0) {
      UpdateGame();
      continue;
    }

    if (_nextUpdate == 0) _nextUpdate = p.Time();
    bool behind = true;
    for (int i = 0; i < OX_MAX_UPDATES_PER_FRAME; ++i) {
      UpdateGame();
      if (_nextUpdate == 0) {  // the update changed the rate or suspended the game
        behind = false;
        break;
      }
      _nextUpdate += _updatePeriod;
      if (_nextUpdate > p.Time()) {
        behind = false;
        break;
      }
    }
    if (behind) _nextUpdate = 0;
  }
}

// ---- OxTarnGame ----------------------------------------------------------------------------------

int OxTarnGame::Main(int argc, const char** argv, Factory make) {
  // Forked now, before the window system and GL are loaded, the decoding process is a small copy.
  ox_decode_server_start();
  // Saves of earlier runs that were killed mid-write left their private files behind.
  ox_state_RemoveLeftoverSaves();
  if (!glfwInit()) {
    std::puts(OX_GLFW_INIT_FAILED);
    std::fflush(stdout);
    std::exit(-1);
  }
  LoadPadMappings(stderr);
  OxTarnGame* game = make ? make() : new OxTarnGame;
  try {
    ox_runtime_start(argc, const_cast<char**>(argv));
    oxMain();
    if (game->Delegate()) game->Run();
  } catch (ThrowableObject* ex) {
    glfwTerminate();
    game->Die(ex);
  }
  glfwTerminate();
  game->_window = nullptr;  // went with the window system
  return 0;
}
