// The bench's second X connection: pointer warps for the scripted mouse, and the focus window
// that makes the game lose the focus and suspend, the way another program taking it would.
#include "x_session.h"

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>
#include <X11/Xlib.h>

namespace play {

namespace {

constexpr int kFocusWindowSize = 32;  // small and at the top-left corner, clear of the game's
constexpr char kFocusWindowName[] = "play bench focus";

}  // namespace

XSession::~XSession() {
  DropFocusWindow();
  if (display_) XCloseDisplay(display_);
}

bool XSession::Open() {
  if (!display_) display_ = XOpenDisplay(nullptr);
  return display_ != nullptr;
}

void XSession::WarpPointer(unsigned long window, int x, int y) {
  if (!display_ || !window) return;
  XWarpPointer(display_, None, window, 0, 0, 0, 0, x, y);
  XFlush(display_);
}

bool XSession::TakeFocus() {
  if (!display_) return false;
  if (!focusWindow_) {
    focusWindow_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, kFocusWindowSize,
                                       kFocusWindowSize, 0, 0, 0);
    XStoreName(display_, focusWindow_, kFocusWindowName);
    XSelectInput(display_, focusWindow_, StructureNotifyMask);
    XMapWindow(display_, focusWindow_);
    for (XEvent ev; XNextEvent(display_, &ev), ev.type != MapNotify;) {
    }
  }
  XSetInputFocus(display_, focusWindow_, RevertToParent, CurrentTime);
  XSync(display_, False);
  return true;
}

void XSession::GiveFocus(unsigned long window) {
  if (!display_ || !window) return;
  XSetInputFocus(display_, window, RevertToParent, CurrentTime);
  XSync(display_, False);
}

void XSession::DropFocusWindow() {
  if (!display_ || !focusWindow_) return;
  XDestroyWindow(display_, focusWindow_);
  XSync(display_, False);
  focusWindow_ = 0;
}

unsigned long XSession::WindowOf(GLFWwindow* window) { return window ? glfwGetX11Window(window) : 0; }

}  // namespace play
