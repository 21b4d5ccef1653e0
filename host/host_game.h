// The host: the one process-wide game object (OxGame, OxGlfwGame, OxTarnGame), the delegate it
// calls, its event kinds and display-mode records, and the main loop with its update timing.
#pragma once

#include <cstdio>

#include "runtime/runtime.h"

struct GLFWwindow;
struct GLFWvidmode;

// Incremented every time a window (and with it a GL context) is opened; a surface whose texture
// was made under another value must make it again.
extern int glfwGraphicsSeq;

// The window title, and the size and colour bits of the window Run opens.
inline constexpr char OX_WINDOW_TITLE[] = "Quadrant Rush";
inline constexpr int OX_START_WIDTH = 640;
inline constexpr int OX_START_HEIGHT = 480;
inline constexpr int OX_START_COLOUR_BITS = 8;
// Refresh rate asked of the window system for every window.
inline constexpr int OX_REFRESH_RATE = 60;
// Most updates run for one rendered frame; a schedule still behind after them is dropped.
inline constexpr int OX_MAX_UPDATES_PER_FRAME = 4;
// Bit of SetDeviceWindow's flags that asks for full screen.
inline constexpr int OX_WINDOW_FULLSCREEN = 1;
// Capacity of the video-mode buffer GetDisplayModes reads into.
inline constexpr int OX_MAX_VIDEO_MODES = 1024;

// Messages the host prints, defined once.
inline constexpr char OX_GLFW_INIT_FAILED[] = "glfwInit failed";
inline constexpr char OX_WINDOW_OPEN_FAILED[] = "Window could not be opened";
// The start of the line printed when a reopening is refused and the previous window comes back.
inline constexpr char OX_WINDOW_REOPEN_FAILED[] = "Window could not be reopened";

// Event kinds, the first argument of the delegate's event operations.
class c_OxGameEvent {
 public:
  static constexpr int m_KeyDown = 1;
  static constexpr int m_KeyUp = 2;
  static constexpr int m_KeyChar = 3;
  static constexpr int m_MouseDown = 4;
  static constexpr int m_MouseUp = 5;
  static constexpr int m_MouseMove = 6;
  static constexpr int m_TouchDown = 7;
  static constexpr int m_TouchUp = 8;
  static constexpr int m_TouchMove = 9;
  static constexpr int m_MotionAccel = 10;
};

// What the host calls. The framework's c_GameDelegate implements it; the base does nothing.
class OxGameDelegate : public Object {
 public:
  virtual void StartGame() {}
  virtual void SuspendGame() {}
  virtual void ResumeGame() {}
  virtual void UpdateGame() {}
  virtual void RenderGame() {}
  virtual void KeyEvent(int event, int data) { (void)event, (void)data; }
  virtual void MouseEvent(int event, int data, float x, float y) { (void)event, (void)data, (void)x, (void)y; }
  virtual void TouchEvent(int event, int data, float x, float y) { (void)event, (void)data, (void)x, (void)y; }
  virtual void MotionEvent(int event, int data, float x, float y, float z) {
    (void)event, (void)data, (void)x, (void)y, (void)z;
  }
  virtual void DiscardGraphics() {}
};

// A display mode as the host reports it; the last three fields are always 0 on this host.
class OxDisplayMode : public Object {
 public:
  int width = 0;
  int height = 0;
  int format = 0;
  int depth = 0;
  int hertz = 0;
};

// A window-system video mode: size and colour bits.
class OxGlfwVideoMode : public Object {
 public:
  int Width = 0;
  int Height = 0;
  int RedBits = 0;
  int GreenBits = 0;
  int BlueBits = 0;
};

// What the main loop needs from the window system. The window-system table is the production
// one; a test supplies its own clock, sleep, event step and focus state, and may refuse windows.
class OxLoopPlatform {
 public:
  virtual ~OxLoopPlatform() {}
  // Opens a window (with the hints already set) on the primary monitor when fullscreen; null when
  // the window system refuses it. Every table opens real windows unless it replaces this.
  virtual GLFWwindow* OpenWindow(int width, int height, bool fullscreen);
  virtual double Time() = 0;               // seconds, monotonic
  virtual void Sleep(double seconds) = 0;  // only called with a positive delay
  virtual void SwapBuffers() = 0;
  virtual void PollEvents() = 0;           // run the pending callbacks, do not block
  virtual void WaitEvents() = 0;           // block until at least one event, run the callbacks
  virtual bool WindowOpen() = 0;           // the window exists and was not asked to close
  virtual bool WindowActive() = 0;         // the window has the focus and is not iconified
};

// The platform-neutral host: event dispatch with the exception guard, defaults for every
// operation, the state file and data files. Not a collected object; one per process.
class OxGame {
 public:
  OxGame();
  virtual ~OxGame();

  virtual void SetDelegate(OxGameDelegate* delegate);
  virtual OxGameDelegate* Delegate();
  virtual void SetKeyboardEnabled(bool enabled);
  virtual bool KeyboardEnabled();
  virtual void SetUpdateRate(int hertz);
  virtual int UpdateRate();
  virtual bool Started();
  virtual bool Suspended();
  virtual int Millisecs();
  virtual void GetDate(Array<int> date);
  virtual int SaveState(String state);
  virtual String LoadState();
  virtual String LoadString(String path);
  virtual bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                            Array<bool> buttons);
  virtual void OpenUrl(String url);
  virtual void SetMouseVisible(bool visible);
  virtual int GetDeviceWidth();
  virtual int GetDeviceHeight();
  virtual void SetDeviceWindow(int width, int height, int flags);
  virtual Array<OxDisplayMode*> GetDisplayModes();
  virtual OxDisplayMode* GetDesktopMode();
  virtual void SetSwapInterval(int interval);
  virtual String PathToFilePath(String path);
  virtual FILE* OpenFile(String path, String mode);
  // The whole file in a malloc'ed buffer the caller frees; null (length untouched) when missing.
  virtual unsigned char* LoadData(String path, int* length);
  virtual unsigned char* LoadImageData(String path, int* width, int* height, int* depth);
  virtual unsigned char* LoadAudioData(String path, int* length, int* channels, int* format,
                                       int* hertz);
  virtual void Die(ThrowableObject* ex);
  // One collector step, with the delegate (not reachable from any root) marked first.
  virtual void gc_collect();

  // Guarded forwards to the delegate: a ThrowableObject thrown out of it goes to Die, and one
  // collector step follows every call.
  virtual void StartGame();
  virtual void SuspendGame();
  virtual void ResumeGame();
  virtual void UpdateGame();
  virtual void RenderGame();
  virtual void KeyEvent(int event, int data);
  virtual void MouseEvent(int event, int data, float x, float y);
  virtual void TouchEvent(int event, int data, float x, float y);
  virtual void MotionEvent(int event, int data, float x, float y, float z);
  virtual void DiscardGraphics();

  static OxGame* _game;

 protected:
  template <class Call>
  void Guarded(Call call);

  OxGameDelegate* _delegate = nullptr;
  bool _keyboardEnabled = false;
  int _updateRate = 0;
  bool _started = false;
  bool _suspended = false;
};

// The desktop host over the window system: the one window, the main loop, data paths.
class OxGlfwGame : public OxGame {
 public:
  OxGlfwGame();
  ~OxGlfwGame() override;

  void SetUpdateRate(int hertz) override;
  int Millisecs() override;
  int SaveState(String state) override;
  String LoadState() override;
  void OpenUrl(String url) override;
  void SetMouseVisible(bool visible) override;
  int GetDeviceWidth() override;
  int GetDeviceHeight() override;
  void SetDeviceWindow(int width, int height, int flags) override;
  Array<OxDisplayMode*> GetDisplayModes() override;
  OxDisplayMode* GetDesktopMode() override;
  void SetSwapInterval(int interval) override;
  String PathToFilePath(String path) override;
  unsigned char* LoadImageData(String path, int* width, int* height, int* depth) override;
  unsigned char* LoadAudioData(String path, int* length, int* channels, int* format,
                               int* hertz) override;
  bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                    Array<bool> buttons) override;

  virtual void SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha,
                             int depth, int stencil, bool fullscreen);
  virtual OxGlfwVideoMode* GetGlfwDesktopMode();
  virtual Array<OxGlfwVideoMode*> GetGlfwVideoModes();
  // Opens the first window, starts the game and runs the loop until the window closes.
  virtual void Run();

  // The loop of Run after start-up: render, swap, sleep until the next update is due, the event
  // step, focus-driven suspend and resume, then the due updates (at most four per frame).
  void RunLoop();
  // The event step: block while suspended, else poll.
  void UpdateEvents();
  // Replaces the window-system table (tests drive the loop with a scripted one); null restores it.
  void SetLoopPlatform(OxLoopPlatform* platform);
  // The table the loop runs on now, so a replacement can wrap the production one.
  OxLoopPlatform* LoopPlatform() const { return _platform; }
  GLFWwindow* Window() const { return _window; }
  // The window's size, focus and iconified state as its own events last reported them (read once
  // from the window system when the window is made). Reading them costs no X round trip; the loop
  // and the frame would otherwise ask the server several times every frame.
  struct WindowState {
    int width = 0;
    int height = 0;
    bool focused = false;
    bool iconified = false;
  };
  const WindowState& CachedWindowState() const { return _windowState; }

  // Window-system callbacks, in the framework's terms (the registered adapters call these).
  static void OnKey(int key, int action);
  static void OnChar(int chr, int action);
  static void OnMouseButton(int button, int action);
  static void OnMousePos(int x, int y);
  static bool OnWindowClose();
  // The framework key for a window-system key code, 0 for none.
  static int TransKey(int key);
  // The character a framework key types by itself (8, 9, 13, 27, 127, 65536 + cursor keys), or 0.
  static int KeyToChar(int key);

  static OxGlfwGame* _glfwGame;

 protected:
  // Registers the key, character, mouse, close, size, focus and iconify callbacks on the window.
  void RegisterCallbacks();
  // Asks the window system for the new window's size, focus and iconified state.
  void ReadWindowState();
  // What a window was opened with, so that a refused reopening can give the old one back.
  struct WindowRequest {
    int width = 0, height = 0;
    int red = 0, green = 0, blue = 0, alpha = 0, depth = 0, stencil = 0;
    bool fullscreen = false;
  };
  // Opens the window r asks for (centred on the desktop when windowed) and makes it current;
  // false, with no window, when the window system refuses it.
  bool OpenGlfwWindow(const WindowRequest& r, const GLFWvidmode* desktop);
  // The program's own directory, without a trailing "/".
  static String ProgramDir();

  double _updatePeriod = 0;
  double _nextUpdate = 0;
  String _baseDir;
  int _swapInterval = 1;
  GLFWwindow* _window = nullptr;
  WindowRequest _windowRequest;  // of the open window
  WindowState _windowState;
  OxLoopPlatform* _platform;
};

// The program's host; adds only the process entry.
class OxTarnGame : public OxGlfwGame {
 public:
  // Builds the one host object once the window system is up.
  using Factory = OxTarnGame* (*)();

  // Starts the window system, the runtime and the application, runs the loop; returns 0.
  // `make` lets a measuring program run the same entry on a host subclass of its own; without
  // it the host is a plain OxTarnGame.
  static int Main(int argc, const char** argv, Factory make = nullptr);
};

template <class Call>
void OxGame::Guarded(Call call) {
  try {
    call();
  } catch (ThrowableObject* ex) {
    Die(ex);
  }
  gc_collect();
}
