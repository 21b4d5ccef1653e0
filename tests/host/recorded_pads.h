// Recorded joystick reports of the pads players bring, as GLFW 3.3 on Linux gives them: the raw
// axes, buttons (each hat appended as up, right, down, left) and hats, and for a pad GLFW knows,
// the gamepad state its mapping line yields. Shared by the host's conversion tests and the
// game's pad tests.
#pragma once

#include <GLFW/glfw3.h>

#include <string>
#include <vector>

#include "host/joystick.h"

namespace recorded {

// One pad as its driver presents it. Every pad here has its left stick on axes 0 and 1.
struct Pad {
  const char* name;
  // Where the layout comes from: the database mapping line GLFW applies, or the kernel
  // driver's documented button order for a pad no mapping names.
  const char* origin;
  int axes;        // raw axes
  int ownButtons;  // raw buttons before the hats' four each
  int hats;
  bool gamepad;    // a mapping names it
  int rawA;        // the raw button in the position of A (the game's confirm)
  int rawStart;    // the raw button of Start
  // Raw axes that rest at -1 (xpad and hid-playstation report analogue triggers this way).
  std::vector<int> restingLow;
};

// The kernel drivers number buttons by key code (BTN_SOUTH, BTN_EAST, BTN_C, BTN_NORTH, BTN_WEST,
// BTN_Z, BTN_TL, BTN_TR, BTN_TL2, BTN_TR2, BTN_SELECT, BTN_START, BTN_MODE, BTN_THUMBL,
// BTN_THUMBR), skipping codes a pad lacks, and report the d-pad as hat 0 (ABS_HAT0X/Y).
inline const std::vector<Pad>& Pads() {
  static const std::vector<Pad> pads = {
      // xpad: A B X Y LB RB Back Start Guide LS RS, axes LX LY LT RX RY RT.
      {"Xbox 360 pad on xpad",
       "030000005e0400008e02000010010000,X360 Controller,a:b0,b:b1,back:b6,dpdown:h0.4,"
       "dpleft:h0.8,dpright:h0.2,dpup:h0.1,guide:b8,leftshoulder:b4,leftstick:b9,"
       "lefttrigger:a2,leftx:a0,lefty:a1,rightshoulder:b5,rightstick:b10,righttrigger:a5,"
       "rightx:a3,righty:a4,start:b7,x:b2,y:b3,platform:Linux,",
       6, 11, 1, true, 0, 7, {2, 5}},
      // hid-playstation: cross circle triangle square L1 R1 L2 R2 Share Options PS L3 R3,
      // axes LX LY L2 RX RY R2.
      {"DualShock 4 on hid-playstation",
       "030000004c050000c405000011810000,PS4 Controller,a:b0,b:b1,back:b8,dpdown:h0.4,"
       "dpleft:h0.8,dpright:h0.2,dpup:h0.1,guide:b10,leftshoulder:b4,leftstick:b11,"
       "lefttrigger:a2,leftx:a0,lefty:a1,rightshoulder:b5,rightstick:b12,righttrigger:a5,"
       "rightx:a3,righty:a4,start:b9,x:b3,y:b2,platform:Linux,",
       6, 13, 1, true, 0, 9, {2, 5}},
      // hid-nintendo: the bottom button (labelled B) is BTN_SOUTH, so the mapping's a:b0 is the
      // button in A's position; Capture, L, R, ZL, ZR, Minus, Plus, Home, thumbs follow; axes
      // LX LY RX RY.
      {"Switch Pro controller on hid-nintendo",
       "030000007e0500000920000011810000,Nintendo Switch Pro Controller,platform:Linux,a:b0,"
       "b:b1,x:b3,y:b2,back:b9,guide:b11,start:b10,leftstick:b12,rightstick:b13,"
       "leftshoulder:b5,rightshoulder:b6,dpup:h0.1,dpdown:h0.4,dpleft:h0.8,dpright:h0.2,"
       "leftx:a0,lefty:a1,rightx:a2,righty:a3,lefttrigger:b7,righttrigger:b8,",
       4, 14, 1, true, 0, 10, {}},
      // In X-input mode the pad presents itself to xpad as an Xbox 360 pad (045e:028e, version
      // 0114), so it has xpad's layout and that identity's mapping line.
      {"8BitDo pad in X-input mode",
       "030000005e0400008e02000014010000,X360 Controller,a:b0,b:b1,back:b6,dpdown:h0.4,"
       "dpleft:h0.8,dpright:h0.2,dpup:h0.1,guide:b8,leftshoulder:b4,leftstick:b9,"
       "lefttrigger:a2,leftx:a0,lefty:a1,rightshoulder:b5,rightstick:b10,righttrigger:a5,"
       "rightx:a3,righty:a4,start:b7,x:b2,y:b3,platform:Linux,",
       6, 11, 1, true, 0, 7, {2, 5}},
      // hid-generic gives HID buttons 1 to 12 the codes BTN_TRIGGER to BTN_BASE6 in order and
      // the hat switch ABS_HAT0X/Y; axes X Y Z RZ. No mapping: layout B, whose A is raw 1 and
      // Start raw 9 (the pad's buttons 2 and 10).
      {"generic USB pad, no mapping", "hid-generic button order, HID buttons 1 to 12", 4, 12, 1,
       false, 1, 9, {}},
      // The pad the layout A table was made for, unknown to the database: A B X Y LB RB Back
      // Start LS RS, one hat, five axes.
      {"14-button 5-axis pad, no mapping (layout A)",
       "hid-generic button order: A B X Y LB RB Back Start LS RS, then hat 0", 5, 10, 1, false,
       0, 7, {}},
  };
  return pads;
}

// What the player does in one recording.
enum class Action { kNothing, kPressA, kPressStart, kDpadUp, kStickUp, kStickLeft };

// One recorded report: the raw arrays, and the gamepad part in `mapped`.
struct Recording {
  std::vector<float> axes;
  std::vector<unsigned char> buttons;
  std::vector<unsigned char> hats;
  JoyReport mapped;

  // The report as GLFW would hand it over, pointing into this recording.
  JoyReport Report() const {
    JoyReport rep = mapped;
    rep.axes = axes.data();
    rep.axisCount = static_cast<int>(axes.size());
    rep.buttons = buttons.data();
    rep.buttonCount = static_cast<int>(buttons.size());
    rep.hats = hats.data();
    rep.hatCount = static_cast<int>(hats.size());
    return rep;
  }
};

// The report GLFW gives for the pad while the player does `action`: the raw state, and for a
// mapped pad the gamepad state the mapping line makes of it (the mapped buttons, hat bits and
// axes carried over; triggers at rest read -1).
inline Recording Record(const Pad& pad, Action action) {
  Recording r;
  r.axes.assign(pad.axes, 0.0f);
  for (int a : pad.restingLow) r.axes[a] = -1.0f;
  r.buttons.assign(pad.ownButtons + kButtonsPerHat * pad.hats, 0);
  r.hats.assign(pad.hats, 0);
  JoyReport& rep = r.mapped;
  rep.gamepad = pad.gamepad;
  rep.padAxes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = rep.padAxes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1;
  switch (action) {
    case Action::kNothing: break;
    case Action::kPressA:
      r.buttons[pad.rawA] = 1;
      rep.padButtons[GLFW_GAMEPAD_BUTTON_A] = 1;
      break;
    case Action::kPressStart:
      r.buttons[pad.rawStart] = 1;
      rep.padButtons[GLFW_GAMEPAD_BUTTON_START] = 1;
      break;
    case Action::kDpadUp:
      r.hats[0] = GLFW_HAT_UP;
      r.buttons[pad.ownButtons] = 1;  // the hat's first button is up
      rep.padButtons[GLFW_GAMEPAD_BUTTON_DPAD_UP] = 1;
      break;
    case Action::kStickUp:
      r.axes[1] = -1.0f;  // GLFW's y is positive downward
      rep.padAxes[GLFW_GAMEPAD_AXIS_LEFT_Y] = -1.0f;
      break;
    case Action::kStickLeft:
      r.axes[0] = -1.0f;
      rep.padAxes[GLFW_GAMEPAD_AXIS_LEFT_X] = -1.0f;
      break;
  }
  if (!pad.gamepad) rep = JoyReport{};
  return r;
}

// A joystick source that plays recordings: slot i is GLFW joystick i, empty when unplugged.
class Player : public JoySource {
 public:
  std::vector<Recording> slots[kJoyScanCount];  // at most one recording per slot

  void Plug(int joy, Recording recording) {
    slots[joy].clear();
    slots[joy].push_back(std::move(recording));
  }
  void Unplug(int joy) { slots[joy].clear(); }
  bool Present(int joy) override { return !slots[joy].empty(); }
  bool Read(int joy, JoyReport* report) override {
    if (slots[joy].empty()) return false;
    *report = slots[joy].front().Report();
    return true;
  }
};

}  // namespace recorded
