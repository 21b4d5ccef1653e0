// A test's or benchmark's own connection to the X server, as another program on the desktop
// would have: windows found by title, the keyboard focus given or taken, close requests, the pointer.
#pragma once

#include <chrono>
#include <string>

struct _XDisplay;

namespace qr_test {

class XDisplay {
 public:
  XDisplay() = default;
  ~XDisplay();  // drops the focus window and closes the connection
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  // Connects to the display of the environment. An X server refuses connections for a moment
  // when it resets (its last client left), so while DISPLAY is set the connection is tried
  // again for up to `patience`. False when there is none.
  bool Open(std::chrono::milliseconds patience = std::chrono::milliseconds(0));
  bool Connected() const { return display_ != nullptr; }
  ::_XDisplay* Raw() const { return display_; }

  // The first window (depth first from the root) whose name is `title`; 0 when there is none.
  unsigned long FindWindow(const std::string& title);
  bool WindowSize(unsigned long window, int* width, int* height);
  // The size of the whole screen: what a full-screen window fills.
  bool RootSize(int* width, int* height);

  unsigned long FocusedWindow();
  // Gives `window` the keyboard focus and waits until the server has done it.
  void Focus(unsigned long window);
  // Maps a small window of our own named `name` (once) in the top-left corner and gives it the
  // keyboard focus, as another program taking it would; its id, or 0 without a connection.
  unsigned long TakeFocus(const std::string& name, int size);
  // Unmaps and destroys that window.
  void DropFocusWindow();

  // Asks a window to close the way a window manager's close button does.
  void RequestClose(unsigned long window);
  // Moves the real pointer to (x, y) inside `window`, as a hand on the mouse would.
  void WarpPointer(unsigned long window, int x, int y);

 private:
  ::_XDisplay* display_ = nullptr;
  unsigned long focusWindow_ = 0;
};

}  // namespace qr_test
