// The X connection of tests and benchmarks over Xlib: the window tree walked for a title, focus
// set synchronously, the focus window mapped before it takes the focus, WM_DELETE_WINDOW sent.
#include "tests/support/x_display.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <thread>

namespace qr_test {

namespace {

constexpr auto kConnectRetry = std::chrono::milliseconds(50);

Window FindBelow(Display* display, Window parent, const std::string& title) {
  Window root, up, *children = nullptr;
  unsigned n = 0;
  Window found = 0;
  if (!XQueryTree(display, parent, &root, &up, &children, &n)) return 0;
  for (unsigned i = 0; i < n && !found; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) && name) {
      if (title == name) found = children[i];
      XFree(name);
    }
    if (!found) found = FindBelow(display, children[i], title);
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

XDisplay::~XDisplay() {
  if (!display_) return;
  DropFocusWindow();
  XCloseDisplay(display_);
}

bool XDisplay::Open(std::chrono::milliseconds patience) {
  const auto until = std::chrono::steady_clock::now() + patience;
  while (!display_ && !(display_ = XOpenDisplay(nullptr)) && std::getenv("DISPLAY") &&
         std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(kConnectRetry);
  return display_ != nullptr;
}

unsigned long XDisplay::FindWindow(const std::string& title) {
  if (!display_) return 0;
  XSync(display_, False);
  return FindBelow(display_, DefaultRootWindow(display_), title);
}

bool XDisplay::WindowSize(unsigned long window, int* width, int* height) {
  XWindowAttributes a;
  if (!display_ || !XGetWindowAttributes(display_, window, &a)) return false;
  *width = a.width;
  *height = a.height;
  return true;
}

bool XDisplay::RootSize(int* width, int* height) {
  return display_ && WindowSize(DefaultRootWindow(display_), width, height);
}

unsigned long XDisplay::FocusedWindow() {
  Window focus = 0;
  int revert = 0;
  if (display_) XGetInputFocus(display_, &focus, &revert);
  return focus;
}

void XDisplay::Focus(unsigned long window) {
  if (!display_ || !window) return;
  XSetInputFocus(display_, window, RevertToParent, CurrentTime);
  XSync(display_, False);
}

unsigned long XDisplay::TakeFocus(const std::string& name, int size) {
  if (!display_) return 0;
  if (!focusWindow_) {
    focusWindow_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, static_cast<unsigned>(size),
                                       static_cast<unsigned>(size), 0, 0, 0);
    XStoreName(display_, focusWindow_, name.c_str());
    XSelectInput(display_, focusWindow_, StructureNotifyMask);
    XMapWindow(display_, focusWindow_);
    for (XEvent ev; XNextEvent(display_, &ev), ev.type != MapNotify;) {
    }
  }
  Focus(focusWindow_);
  return focusWindow_;
}

void XDisplay::DropFocusWindow() {
  if (!display_ || !focusWindow_) return;
  XDestroyWindow(display_, focusWindow_);
  XSync(display_, False);
  focusWindow_ = 0;
}

void XDisplay::RequestClose(unsigned long window) {
  if (!display_) return;
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = window;
  ev.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &ev);
  XFlush(display_);
}

void XDisplay::WarpPointer(unsigned long window, int x, int y) {
  if (!display_ || !window) return;
  XWarpPointer(display_, None, window, 0, 0, 0, 0, x, y);
  XFlush(display_);
}

}  // namespace qr_test
