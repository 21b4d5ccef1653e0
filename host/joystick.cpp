// Game pads over GLFW: the conversion of one joystick's report (a known gamepad's remapped state
// or the raw layouts A and B), the rescan of joysticks into four units, and
// OxGlfwGame::PollJoystick.
#include "host/joystick.h"

#include <GLFW/glfw3.h>

#include <algorithm>

#include "host/host_game.h"

static_assert(kPadAxes == GLFW_GAMEPAD_AXIS_LAST + 1, "one value per gamepad axis");
static_assert(kPadButtons == GLFW_GAMEPAD_BUTTON_LAST + 1, "one value per gamepad button");
static_assert(kHatUp == GLFW_HAT_UP && kHatRight == GLFW_HAT_RIGHT && kHatDown == GLFW_HAT_DOWN &&
                  kHatLeft == GLFW_HAT_LEFT,
              "hat bits as GLFW reports them");

namespace {

// ---- Known gamepads --------------------------------------------------------------------------

// The gamepad button behind each logical button 0 to 14.
constexpr int kPadButtonOf[] = {
    GLFW_GAMEPAD_BUTTON_A,          GLFW_GAMEPAD_BUTTON_B,           GLFW_GAMEPAD_BUTTON_X,
    GLFW_GAMEPAD_BUTTON_Y,          GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER,
    GLFW_GAMEPAD_BUTTON_BACK,       GLFW_GAMEPAD_BUTTON_START,       GLFW_GAMEPAD_BUTTON_DPAD_LEFT,
    GLFW_GAMEPAD_BUTTON_DPAD_UP,    GLFW_GAMEPAD_BUTTON_DPAD_RIGHT,  GLFW_GAMEPAD_BUTTON_DPAD_DOWN,
    GLFW_GAMEPAD_BUTTON_LEFT_THUMB, GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, GLFW_GAMEPAD_BUTTON_GUIDE,
};
static_assert(kPadButtonOf[kJoyButtonA] == GLFW_GAMEPAD_BUTTON_A &&
                  kPadButtonOf[kJoyButtonUp] == GLFW_GAMEPAD_BUTTON_DPAD_UP &&
                  kPadButtonOf[kJoyButtonGuide] == GLFW_GAMEPAD_BUTTON_GUIDE,
              "the table follows the logical numbering");

// A trigger rests at -1 and is fully pressed at 1; the framework's z runs 0 to 1.
float TriggerAsZ(float t) { return (t + 1.0f) / 2.0f; }

JoyReading ReadGamepad(const JoyReport& r) {
  JoyReading out;
  for (int b = 0; b < static_cast<int>(sizeof kPadButtonOf / sizeof kPadButtonOf[0]); ++b) {
    out.buttons[b] = r.padButtons[kPadButtonOf[b]] != 0;
  }
  // The gamepad's y axes are positive downward; the framework's up.
  out.joyx[0] = r.padAxes[GLFW_GAMEPAD_AXIS_LEFT_X];
  out.joyy[0] = -r.padAxes[GLFW_GAMEPAD_AXIS_LEFT_Y];
  out.joyz[0] = TriggerAsZ(r.padAxes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER]);
  out.joyx[1] = r.padAxes[GLFW_GAMEPAD_AXIS_RIGHT_X];
  out.joyy[1] = -r.padAxes[GLFW_GAMEPAD_AXIS_RIGHT_Y];
  out.joyz[1] = TriggerAsZ(r.padAxes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER]);
  return out;
}

// ---- Raw layouts -----------------------------------------------------------------------------

// Axis table entries: the low 4 bits pick an axis or a raw button, the high bits say what to do
// with it. kTableEnd closes a table.
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

// Raw button for each logical button; a negative index counts back from the number of buttons
// the pad reports: the last four, read as the d-pad's left, up, right and down.
constexpr int kLayoutAButtons[] = {0, 1, 2, 3, 4, 5, 6, 7, -4, -3, -2, -1, 8, 9, kTableEnd};
constexpr int kLayoutBButtons[] = {1, 2, 0, 3, 4, 5, 8, 9, -4, -3, -2, -1, 10, 11, kTableEnd};

// The hat direction of logical buttons 8 to 11 (left, up, right, down) for a joystick with a
// hat: GLFW's four hat buttons come in the order up, right, down, left, so the tables' "last
// four" would turn the d-pad a quarter turn; the hat itself says which way is which.
constexpr unsigned char kHatOfDpad[] = {kHatLeft, kHatUp, kHatRight, kHatDown};
constexpr int kFirstDpadButton = kJoyButtonLeft;

// The pad that layout A was made for.
constexpr int kLayoutAButtonCount = 14;
constexpr int kLayoutAAxisCount = 5;

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

JoyReading ReadRawJoystick(const JoyReport& r) {
  int nAxes = r.axes ? std::clamp(r.axisCount, 0, kJoyRawAxes) : 0;
  int nButtons = r.buttons ? std::clamp(r.buttonCount, 0, kJoyRawButtons) : 0;
  const bool hasHat = r.hats && r.hatCount > 0;
  // The joystick's own buttons, before the hats' four each: a hat button is never read as one
  // of the face or shoulder buttons.
  int ownButtons = nButtons;
  if (hasHat && r.buttons) {
    ownButtons = std::clamp(r.buttonCount - kButtonsPerHat * r.hatCount, 0, nButtons);
  }

  float axis[kJoyRawAxes] = {};
  for (int i = 0; i < nAxes; ++i) axis[i] = (i & 1) ? -r.axes[i] : r.axes[i];
  bool raw[kJoyRawButtons] = {};
  for (int i = 0; i < ownButtons; ++i) raw[i] = r.buttons[i] != 0;
  bool last[kJoyRawButtons] = {};  // every reported button, for the "last four" rule
  for (int i = 0; i < nButtons; ++i) last[i] = r.buttons[i] != 0;

  const bool layoutA = nButtons == kLayoutAButtonCount && nAxes == kLayoutAAxisCount;
  const int* axisTable = layoutA ? kLayoutAAxes : kLayoutBAxes;
  const int* buttonTable = layoutA ? kLayoutAButtons : kLayoutBButtons;

  JoyReading out;
  float* outputs[] = {&out.joyx[0], &out.joyy[0], &out.joyz[0],
                      &out.joyx[1], &out.joyy[1], &out.joyz[1]};
  for (int i = 0; axisTable[i] != kTableEnd; ++i) *outputs[i] = AxisOutput(axisTable[i], axis, raw);

  for (int b = 0; buttonTable[b] != kTableEnd; ++b) {
    int entry = buttonTable[b];
    if (entry < 0 && hasHat) {
      out.buttons[b] = (r.hats[0] & kHatOfDpad[b - kFirstDpadButton]) != 0;
    } else if (entry < 0) {
      int i = entry + nButtons;
      out.buttons[b] = i >= 0 && last[i];
    } else {
      out.buttons[b] = entry < ownButtons && raw[entry];
    }
  }
  return out;
}

// ---- Units and sources -----------------------------------------------------------------------

class GlfwJoysticks : public JoySource {
 public:
  bool Present(int joy) override { return glfwJoystickPresent(GLFW_JOYSTICK_1 + joy) == GLFW_TRUE; }

  bool Read(int joy, JoyReport* report) override {
    const int jid = GLFW_JOYSTICK_1 + joy;
    *report = JoyReport{};
    report->axes = glfwGetJoystickAxes(jid, &report->axisCount);
    report->buttons = glfwGetJoystickButtons(jid, &report->buttonCount);
    report->hats = glfwGetJoystickHats(jid, &report->hatCount);
    // GLFW answers null for all three once the joystick has been unplugged.
    if (!report->axes && !report->buttons && !report->hats) return false;
    GLFWgamepadstate state;
    if (glfwJoystickIsGamepad(jid) == GLFW_TRUE && glfwGetGamepadState(jid, &state) == GLFW_TRUE) {
      report->gamepad = true;
      std::copy(std::begin(state.axes), std::end(state.axes), report->padAxes);
      std::copy(std::begin(state.buttons), std::end(state.buttons), report->padButtons);
    }
    return true;
  }
};

GlfwJoysticks glfwJoysticks;
JoySource* source = &glfwJoysticks;

// GLFW joystick numbers of the four units, refreshed when unit 0 is polled.
int pjoys[kJoyUnits] = {kNoJoystick, kNoJoystick, kNoJoystick, kNoJoystick};

}  // namespace

JoyReading ReadJoystick(const JoyReport& report) {
  return report.gamepad ? ReadGamepad(report) : ReadRawJoystick(report);
}

void AssignJoyUnits(const bool present[kJoyScanCount], int units[kJoyUnits]) {
  int unit = 0;
  for (int joy = 0; joy < kJoyScanCount && unit < kJoyUnits; ++joy) {
    if (present[joy]) units[unit++] = joy;
  }
  while (unit < kJoyUnits) units[unit++] = kNoJoystick;
}

JoySource* GlfwJoySource() { return &glfwJoysticks; }

void SetJoySource(JoySource* s) { source = s ? s : &glfwJoysticks; }

bool PollJoyUnit(int unit, JoyReading* reading) {
  if (unit < 0 || unit >= kJoyUnits) return false;
  if (unit == 0) {
    bool present[kJoyScanCount];
    for (int joy = 0; joy < kJoyScanCount; ++joy) present[joy] = source->Present(joy);
    AssignJoyUnits(present, pjoys);
  }
  int joy = pjoys[unit];
  JoyReport report;
  if (joy == kNoJoystick || !source->Read(joy, &report)) return false;
  *reading = ReadJoystick(report);
  return true;
}

bool ox_joystick_Poll(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                      Array<bool> buttons) {
  JoyReading reading;
  if (!PollJoyUnit(port, &reading)) return false;
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

bool OxGlfwGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                              Array<bool> buttons) {
  return ox_joystick_Poll(port, joyx, joyy, joyz, buttons);
}
