// The bench's own connection to the X server, as another program on the desktop would have:
// it moves the real pointer, and maps a small window of its own that takes the keyboard focus.
#pragma once

struct _XDisplay;
struct GLFWwindow;

namespace play {

class XSession {
 public:
  XSession() = default;
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  // Opens the connection to the display the game runs on; false when there is none.
  bool Open();
  bool Connected() const { return display_ != nullptr; }

  // Moves the real pointer to (x, y) inside `window`, as a hand on the mouse would.
  void WarpPointer(unsigned long window, int x, int y);
  // Maps the focus window (once) and gives it the keyboard focus; false without a connection.
  bool TakeFocus();
  // Gives the keyboard focus to `window` and waits until the server has done it.
  void GiveFocus(unsigned long window);
  // Unmaps and destroys the focus window.
  void DropFocusWindow();

  // The X id of a window-system window (0 for none).
  static unsigned long WindowOf(GLFWwindow* window);

 private:
  ::_XDisplay* display_ = nullptr;
  unsigned long focusWindow_ = 0;
};

}  // namespace play
