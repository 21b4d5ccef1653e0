// Game pads: which GLFW joysticks become the framework's four units, and how a
// pad's raw axes and buttons map to its two stick triples and 32 logical buttons.
#pragma once

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

// One pad's state as the framework sees it.
struct JoyReading {
  float joyx[kJoySticks] = {};
  float joyy[kJoySticks] = {};
  float joyz[kJoySticks] = {};
  bool buttons[kJoyLogicalButtons] = {};
};

// Units are the present joysticks in GLFW's order, the first four of them, so a
// present unit never follows an empty one. Unused units get kNoJoystick.
void AssignJoyUnits(const bool present[kJoyScanCount], int units[kJoyUnits]);

// Maps one pad's report as GLFW gives it (axes in [-1, 1], buttons non-zero when
// pressed, counts as reported) to the framework's reading. The framework's axes
// have up positive: every odd axis is negated before the layout's table applies.
// A pad with exactly 14 buttons and 5 axes uses layout A, any other layout B.
JoyReading MapJoystick(const float* axes, int nAxes, const unsigned char* buttons, int nButtons);
