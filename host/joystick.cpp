// Game pads over GLFW: the rescan of joysticks into four units, the two pad
// layouts (axis encodings and logical-button tables) and OxGlfwGame::PollJoystick.
#include "host/joystick.h"

#include <GLFW/glfw3.h>

#include "host/host_game.h"

namespace {

// Axis table entries: the low 4 bits pick an axis or a raw button, the high
// bits say what to do with it. kTableEnd closes a table.
constexpr int kSourceMask = 15;
constexpr int kAxisPlain = 0;       // the axis unchanged
constexpr int kAxisHalfUp = 16;     // (1 + axis) / 2
constexpr int kAxisHalfDown = 32;   // (1 - axis) / 2
constexpr int kAxisNegated = 64;    // minus the axis
constexpr int kButtonAsAxis = 128;  // 1.0 while the raw button is held, else 0.0
constexpr int kTableEnd = 999;

// Outputs in the order joyx[0], joyy[0], joyz[0], joyx[1], joyy[1], joyz[1].
constexpr int kLayoutAAxes[] = {kAxisPlain | 0, kAxisPlain | 1,   kAxisPlain | 2,
                                kAxisPlain | 4, kAxisNegated | 3, kAxisNegated | 2,
                                kTableEnd};
constexpr int kLayoutBAxes[] = {kAxisPlain | 0, kAxisPlain | 1,   kButtonAsAxis | 6,
                                kAxisPlain | 2, kAxisNegated | 3, kButtonAsAxis | 7,
                                kTableEnd};

// Raw button for each logical button; a negative index counts back from the
// number of buttons the pad reports (the last four are its direction pad).
constexpr int kLayoutAButtons[] = {0, 1, 2, 3, 4, 5, 6, 7, -4, -3, -2, -1, 8, 9, kTableEnd};
constexpr int kLayoutBButtons[] = {1, 2, 0, 3, 4, 5, 8, 9, -4, -3, -2, -1, 10, 11, kTableEnd};

// The pad that layout A was made for.
constexpr int kLayoutAButtonCount = 14;
constexpr int kLayoutAAxisCount = 5;

// GLFW joystick numbers of the four units, refreshed when unit 0 is polled.
int pjoys[kJoyUnits] = {kNoJoystick, kNoJoystick, kNoJoystick, kNoJoystick};

float AxisOutput(int entry, const float (&axes)[kJoyRawAxes], const bool (&raw)[kJoyRawButtons]) {
  int source = entry & kSourceMask;
  float axis = source < kJoyRawAxes ? axes[source] : 0.0f;
  switch (entry & ~kSourceMask) {
    case kAxisHalfUp: return (1.0f + axis) / 2.0f;
    case kAxisHalfDown: return (1.0f - axis) / 2.0f;
    case kAxisNegated: return -axis;
    case kButtonAsAxis: return raw[source] ? 1.0f : 0.0f;
    default: return axis;
  }
}

}  // namespace

void AssignJoyUnits(const bool present[kJoyScanCount], int units[kJoyUnits]) {
  int unit = 0;
  for (int joy = 0; joy < kJoyScanCount && unit < kJoyUnits; ++joy) {
    if (present[joy]) units[unit++] = joy;
  }
  while (unit < kJoyUnits) units[unit++] = kNoJoystick;
}

JoyReading MapJoystick(const float* axes, int nAxes, const unsigned char* buttons, int nButtons) {
  if (nAxes < 0 || !axes) nAxes = 0;
  if (nButtons < 0 || !buttons) nButtons = 0;
  if (nAxes > kJoyRawAxes) nAxes = kJoyRawAxes;
  if (nButtons > kJoyRawButtons) nButtons = kJoyRawButtons;

  float axis[kJoyRawAxes] = {};
  for (int i = 0; i < nAxes; ++i) axis[i] = (i & 1) ? -axes[i] : axes[i];
  bool raw[kJoyRawButtons] = {};
  for (int i = 0; i < nButtons; ++i) raw[i] = buttons[i] != 0;

  const bool layoutA = nButtons == kLayoutAButtonCount && nAxes == kLayoutAAxisCount;
  const int* axisTable = layoutA ? kLayoutAAxes : kLayoutBAxes;
  const int* buttonTable = layoutA ? kLayoutAButtons : kLayoutBButtons;

  JoyReading out;
  float* outputs[] = {&out.joyx[0], &out.joyy[0], &out.joyz[0],
                      &out.joyx[1], &out.joyy[1], &out.joyz[1]};
  for (int i = 0; axisTable[i] != kTableEnd; ++i) *outputs[i] = AxisOutput(axisTable[i], axis, raw);

  for (int b = 0; buttonTable[b] != kTableEnd; ++b) {
    int r = buttonTable[b] < 0 ? buttonTable[b] + nButtons : buttonTable[b];
    out.buttons[b] = r >= 0 && r < nButtons && raw[r];
  }
  return out;
}

bool OxGlfwGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                              Array<bool> buttons) {
  if (port < 0 || port >= kJoyUnits) return false;
  if (port == 0) {
    bool present[kJoyScanCount];
    for (int joy = 0; joy < kJoyScanCount; ++joy) {
      present[joy] = glfwJoystickPresent(GLFW_JOYSTICK_1 + joy) == GLFW_TRUE;
    }
    AssignJoyUnits(present, pjoys);
  }
  int joy = pjoys[port];
  if (joy == kNoJoystick) return false;

  int nAxes = 0, nButtons = 0;
  const float* axes = glfwGetJoystickAxes(GLFW_JOYSTICK_1 + joy, &nAxes);
  const unsigned char* raw = glfwGetJoystickButtons(GLFW_JOYSTICK_1 + joy, &nButtons);
  JoyReading reading = MapJoystick(axes, nAxes, raw, nButtons);

  for (int s = 0; s < kJoySticks; ++s) {
    if (s < joyx.Length()) joyx[s] = reading.joyx[s];
    if (s < joyy.Length()) joyy[s] = reading.joyy[s];
    if (s < joyz.Length()) joyz[s] = reading.joyz[s];
  }
  for (int b = 0; b < kJoyLogicalButtons && b < buttons.Length(); ++b) {
    buttons[b] = reading.buttons[b];
  }
  return true;
}
