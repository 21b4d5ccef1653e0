// Game pads: which GLFW joysticks become the framework's four units, and how one joystick's
// report (a known gamepad's remapped state, or the raw axes, buttons and hats) becomes the two
// stick triples and 32 logical buttons the framework sees.
#pragma once

#include "runtime/runtime.h"

// The framework polls up to four units; GLFW numbers joysticks 0 to 15.
inline constexpr int kJoyUnits = 4;
inline constexpr int kJoyScanCount = 16;
// Raw values read per pad: missing axes read 0, missing buttons released.
inline constexpr int kJoyRawAxes = 6;
inline constexpr int kJoyRawButtons = 32;
// Each unit reports two x, y, z triples and 32 logical buttons.
inline constexpr int kJoySticks = 2;
inline constexpr int kJoyLogicalButtons = 32;
// Marks a unit with no joystick behind it.
inline constexpr int kNoJoystick = -1;
// A gamepad's remapped state: axes left x, left y, right x, right y, left trigger, right
// trigger; buttons A, B, X, Y, left bumper, right bumper, Back, Start, Guide, left thumb, right
// thumb, d-pad up, right, down, left (GLFW's gamepad order).
inline constexpr int kPadAxes = 6;
inline constexpr int kPadButtons = 15;
// Each hat also appears at the end of the raw buttons as four buttons: up, right, down, left.
inline constexpr int kButtonsPerHat = 4;
// Hat bits of a raw hat value.
inline constexpr unsigned char kHatUp = 1, kHatRight = 2, kHatDown = 4, kHatLeft = 8;

// The logical buttons the game reads (the same numbers for every pad).
enum JoyLogicalButton : int {
  kJoyButtonA = 0, kJoyButtonB = 1, kJoyButtonX = 2, kJoyButtonY = 3,
  kJoyButtonLB = 4, kJoyButtonRB = 5, kJoyButtonBack = 6, kJoyButtonStart = 7,
  kJoyButtonLeft = 8, kJoyButtonUp = 9, kJoyButtonRight = 10, kJoyButtonDown = 11,
  kJoyButtonLeftThumb = 12, kJoyButtonRightThumb = 13, kJoyButtonGuide = 14,
};

// One pad's state as the framework sees it: sticks with up positive, triggers 0 to 1.
struct JoyReading {
  float joyx[kJoySticks] = {};
  float joyy[kJoySticks] = {};
  float joyz[kJoySticks] = {};
  bool buttons[kJoyLogicalButtons] = {};
};

// What GLFW reported for one joystick in one poll. The raw arrays are GLFW's (axes in [-1, 1]
// with y positive downward, buttons non-zero when pressed and each hat appended as four buttons,
// hats as bit sets); `gamepad` says GLFW knows the joystick as a gamepad, and then the pad arrays
// hold its state remapped by the gamepad mapping.
struct JoyReport {
  const float* axes = nullptr;
  int axisCount = 0;
  const unsigned char* buttons = nullptr;
  int buttonCount = 0;
  const unsigned char* hats = nullptr;
  int hatCount = 0;
  bool gamepad = false;
  float padAxes[kPadAxes] = {};
  unsigned char padButtons[kPadButtons] = {};
};

// The whole choice and conversion, with no GLFW call: a known gamepad is read from its remapped
// state (face buttons, bumpers, Back, Start, d-pad, thumbs and Guide in the game's order, sticks
// with up positive, triggers as 0 to 1); any other joystick goes through the raw layout tables
// (layout A for exactly 14 buttons and 5 axes, layout B otherwise), with its d-pad taken from its
// first hat when it has one.
JoyReading ReadJoystick(const JoyReport& report);

// Units are the present joysticks in GLFW's order, the first four of them, so a present unit
// never follows an empty one. Unused units get kNoJoystick.
void AssignJoyUnits(const bool present[kJoyScanCount], int units[kJoyUnits]);

// Where PollJoystick reads joysticks from: GLFW in the program, a recording in tests.
class JoySource {
 public:
  virtual ~JoySource() {}
  virtual bool Present(int joy) = 0;
  // Fills the report of a present joystick; false when it has gone. The report's arrays stay
  // valid until the next call.
  virtual bool Read(int joy, JoyReport* report) = 0;
};

// The joysticks GLFW reports (needs glfwInit).
JoySource* GlfwJoySource();
// Replaces the source PollJoystick reads; null restores GLFW's.
void SetJoySource(JoySource* source);
// One unit's reading from the current source: rescans the units first when unit is 0 (as the
// framework polls 0 to 3 in order every update); false for a unit with no joystick behind it.
bool PollJoyUnit(int unit, JoyReading* reading);
// PollJoystick's work, for any host: unit `port`'s reading written into the framework's arrays
// (as many sticks and buttons as they hold); false, the arrays untouched, for a unit with no
// joystick behind it.
bool ox_joystick_Poll(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                      Array<bool> buttons);
