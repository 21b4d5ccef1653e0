// The bench's second X connection: the focus window that makes the game lose the focus and
// suspend, the way another program taking it would, and the X ids of the game's windows.
#include "x_session.h"

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

namespace play {

namespace {

constexpr int kFocusWindowSize = 32;  // small and at the top-left corner, clear of the game's
constexpr char kFocusWindowName[] = "play bench focus";

}  // namespace

bool XSession::TakeFocus() { return XDisplay::TakeFocus(kFocusWindowName, kFocusWindowSize) != 0; }

unsigned long XSession::WindowOf(GLFWwindow* window) { return window ? glfwGetX11Window(window) : 0; }

}  // namespace play
