// The bench's own connection to the X server, as another program on the desktop would have:
// it moves the real pointer, and maps a small window of its own that takes the keyboard focus.
#pragma once

#include "tests/support/x_display.h"

struct GLFWwindow;

namespace play {

class XSession : public qr_test::XDisplay {
 public:
  // Maps the focus window (once) and gives it the keyboard focus; false without a connection.
  bool TakeFocus();
  // Gives the keyboard focus to `window` and waits until the server has done it.
  void GiveFocus(unsigned long window) { Focus(window); }

  // The X id of a window-system window (0 for none).
  static unsigned long WindowOf(GLFWwindow* window);
};

}  // namespace play
