// Tests of the pad conversion: recorded reports of real pads, a known gamepad's state, the raw
// layouts A and B with and without a hat, the assignment of joysticks to units, and polling
// units from a source whose pads come and go.
#include "host/joystick.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/recorded_pads.h"

namespace {

using recorded::Action;

std::vector<int> LogicalDown(const JoyReading& r) {
  std::vector<int> down;
  for (int b = 0; b < kJoyLogicalButtons; ++b) {
    if (r.buttons[b]) down.push_back(b);
  }
  return down;
}

struct Sticks {
  float joyx[kJoySticks], joyy[kJoySticks], joyz[kJoySticks];
};

void ExpectSticks(const JoyReading& r, const Sticks& s) {
  for (int i = 0; i < kJoySticks; ++i) {
    EXPECT_FLOAT_EQ(r.joyx[i], s.joyx[i]) << "joyx[" << i << "]";
    EXPECT_FLOAT_EQ(r.joyy[i], s.joyy[i]) << "joyy[" << i << "]";
    EXPECT_FLOAT_EQ(r.joyz[i], s.joyz[i]) << "joyz[" << i << "]";
  }
}

// Every pad, whatever its driver's numbering, gives the game the same logical controls.
TEST(ReadJoystick, RecordedPadsGiveTheGameTheSameControls) {
  struct Expect {
    Action action;
    std::vector<int> down;
    Sticks sticks;
  };
  const Expect expects[] = {
      {Action::kNothing, {}, {{0, 0}, {0, 0}, {0, 0}}},
      {Action::kPressA, {kJoyButtonA}, {{0, 0}, {0, 0}, {0, 0}}},
      {Action::kPressStart, {kJoyButtonStart}, {{0, 0}, {0, 0}, {0, 0}}},
      {Action::kDpadUp, {kJoyButtonUp}, {{0, 0}, {0, 0}, {0, 0}}},
      {Action::kStickUp, {}, {{0, 0}, {1, 0}, {0, 0}}},
      {Action::kStickLeft, {}, {{-1, 0}, {0, 0}, {0, 0}}},
  };
  for (const recorded::Pad& pad : recorded::Pads()) {
    for (const Expect& e : expects) {
      SCOPED_TRACE(std::string(pad.name) + ", action " + std::to_string(int(e.action)));
      recorded::Recording rec = recorded::Record(pad, e.action);
      JoyReading r = ReadJoystick(rec.Report());
      EXPECT_EQ(LogicalDown(r), e.down);
      ExpectSticks(r, e.sticks);
    }
  }
}

TEST(ReadJoystick, AGamepadsButtonsAndAxesLandWhereTheGameReadsThem) {
  const std::pair<int, int> buttons[] = {
      {GLFW_GAMEPAD_BUTTON_A, kJoyButtonA},
      {GLFW_GAMEPAD_BUTTON_B, kJoyButtonB},
      {GLFW_GAMEPAD_BUTTON_X, kJoyButtonX},
      {GLFW_GAMEPAD_BUTTON_Y, kJoyButtonY},
      {GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, kJoyButtonLB},
      {GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, kJoyButtonRB},
      {GLFW_GAMEPAD_BUTTON_BACK, kJoyButtonBack},
      {GLFW_GAMEPAD_BUTTON_START, kJoyButtonStart},
      {GLFW_GAMEPAD_BUTTON_GUIDE, kJoyButtonGuide},
      {GLFW_GAMEPAD_BUTTON_LEFT_THUMB, kJoyButtonLeftThumb},
      {GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, kJoyButtonRightThumb},
      {GLFW_GAMEPAD_BUTTON_DPAD_UP, kJoyButtonUp},
      {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, kJoyButtonRight},
      {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, kJoyButtonDown},
      {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, kJoyButtonLeft},
  };
  for (const auto& [padButton, logical] : buttons) {
    SCOPED_TRACE("gamepad button " + std::to_string(padButton));
    JoyReport rep;
    rep.gamepad = true;
    rep.padButtons[padButton] = 1;
    EXPECT_EQ(LogicalDown(ReadJoystick(rep)), std::vector<int>{logical});
  }

  // Sticks with up positive; triggers from rest (-1) to full (1) as 0 to 1. The raw arrays of
  // the same pad are ignored.
  const float rawAxes[6] = {0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f};
  const unsigned char rawButtons[15] = {1, 1, 1};
  JoyReport rep;
  rep.gamepad = true;
  rep.axes = rawAxes;
  rep.axisCount = 6;
  rep.buttons = rawButtons;
  rep.buttonCount = 15;
  rep.padAxes[GLFW_GAMEPAD_AXIS_LEFT_X] = 0.25f;
  rep.padAxes[GLFW_GAMEPAD_AXIS_LEFT_Y] = 0.5f;
  rep.padAxes[GLFW_GAMEPAD_AXIS_RIGHT_X] = -0.75f;
  rep.padAxes[GLFW_GAMEPAD_AXIS_RIGHT_Y] = -1.0f;
  rep.padAxes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1.0f;
  rep.padAxes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = 0.5f;
  JoyReading r = ReadJoystick(rep);
  EXPECT_EQ(LogicalDown(r), std::vector<int>());
  ExpectSticks(r, {{0.25f, -0.75f}, {-0.5f, 1.0f}, {0.0f, 0.75f}});
}

// A joystick no mapping names, as GLFW reports it.
struct RawCase {
  const char* name;
  std::vector<float> axes;
  int ownButtons;
  std::vector<int> pressed;  // raw buttons held, own or hat buttons
  std::vector<unsigned char> hats;
  Sticks sticks;
  std::vector<int> down;
};

std::vector<unsigned char> Buttons(const RawCase& c) {
  std::vector<unsigned char> b(c.ownButtons + kButtonsPerHat * c.hats.size(), 0);
  for (int i : c.pressed) b[i] = 1;
  return b;
}

TEST(ReadJoystick, RawLayoutsReadTheTablesWithTheDpadFromTheHat) {
  constexpr Sticks kCentred = {{0, 0}, {0, 0}, {0, 0}};
  const RawCase cases[] = {
      // 10 buttons and a hat: 14 in all with 5 axes, layout A. GLFW's y axes have up
      // negative, the framework's up positive.
      {"layout A sticks", {0.5f, -0.25f, 0.75f, 0.3f, -0.6f}, 10, {}, {0},
       {{0.5f, -0.6f}, {0.25f, 0.3f}, {0.75f, -0.75f}}, {}},
      {"layout A face buttons, shoulders, Back, Start, thumbs", {0, 0, 0, 0, 0}, 10,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0}, kCentred, {0, 1, 2, 3, 4, 5, 6, 7, 12, 13}},
      {"layout A hat up is Up, not Left", {0, 0, 0, 0, 0}, 10, {10}, {kHatUp}, kCentred, {9}},
      {"layout A hat right", {0, 0, 0, 0, 0}, 10, {11}, {kHatRight}, kCentred, {10}},
      {"layout A hat down", {0, 0, 0, 0, 0}, 10, {12}, {kHatDown}, kCentred, {11}},
      {"layout A hat left", {0, 0, 0, 0, 0}, 10, {13}, {kHatLeft}, kCentred, {8}},
      {"layout A hat up-left", {0, 0, 0, 0, 0}, 10, {10, 13}, {kHatUp | kHatLeft}, kCentred,
       {8, 9}},
      // 14 buttons of its own and no hat: its last four are its d-pad, left, up, right, down.
      {"layout A without a hat keeps the last four", {0, 0, 0, 0, 0}, 14, {10, 11, 12, 13}, {},
       kCentred, {8, 9, 10, 11}},
      {"layout A without a hat: only raw 12", {0, 0, 0, 0, 0}, 14, {12}, {}, kCentred, {10}},
      // 12 buttons, 4 axes and a hat: layout B.
      {"layout B reorders the face buttons", {0, 0, 0, 0}, 12, {0, 1, 2}, {0}, kCentred,
       {0, 1, 2}},
      {"layout B Back, Start and thumbs", {0, 0, 0, 0}, 12, {8, 9, 10, 11}, {0}, kCentred,
       {6, 7, 12, 13}},
      {"layout B hat up", {0, 0, 0, 0}, 12, {12}, {kHatUp}, kCentred, {9}},
      {"layout B hat down-right", {0, 0, 0, 0}, 12, {13, 14}, {kHatRight | kHatDown}, kCentred,
       {10, 11}},
      {"layout B sticks, triggers from raw 6 and 7",
       {-1.0f, 1.0f, 0.4f, -0.5f}, 12, {6, 7}, {0}, {{-1.0f, 0.4f}, {-1.0f, -0.5f}, {1, 1}}, {}},
      // 8 buttons and a hat: raw 8 to 11 are the hat's, never Back, Start or the thumbs.
      {"hat buttons are not read as own buttons", {0, 0}, 8, {8}, {kHatUp}, kCentred, {9}},
      {"triggers only from own buttons", {0, 0}, 6, {6, 7}, {kHatUp | kHatRight},
       kCentred, {9, 10}},
      // With two hats the d-pad is the first one.
      {"the first of two hats", {0, 0}, 8, {8}, {kHatUp, 0}, kCentred, {9}},
      {"the second hat moves nothing", {0, 0}, 8, {14}, {0, kHatDown}, kCentred, {}},
      // A small pad: missing axes read 0 and the last-four rule wraps onto its only buttons.
      {"2 axes, 4 buttons, no hat", {0.2f, 0.2f}, 4, {1, 3}, {}, {{0.2f, 0}, {-0.2f, 0}, {0, 0}},
       {0, 3, 9, 11}},
      {"no axes, no buttons", {}, 0, {}, {}, kCentred, {}},
      {"more than 32 buttons: only the first 32 count", {0, 0, 0, 0, 0, 0}, 40, {31, 35}, {},
       kCentred, {11}},
  };
  for (const RawCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<unsigned char> buttons = Buttons(c);
    JoyReport rep;
    rep.axes = c.axes.data();
    rep.axisCount = int(c.axes.size());
    rep.buttons = buttons.data();
    rep.buttonCount = int(buttons.size());
    rep.hats = c.hats.data();
    rep.hatCount = int(c.hats.size());
    JoyReading r = ReadJoystick(rep);
    ExpectSticks(r, c.sticks);
    EXPECT_EQ(LogicalDown(r), c.down);
  }
}

TEST(ReadJoystick, ToleratesMissingArrays) {
  JoyReport rep;
  rep.axisCount = 3;
  rep.buttonCount = 5;
  rep.hatCount = 1;
  JoyReading r = ReadJoystick(rep);
  EXPECT_EQ(LogicalDown(r), std::vector<int>());
  EXPECT_FLOAT_EQ(r.joyx[0], 0.0f);
}

struct UnitCase {
  const char* name;
  std::vector<int> present;  // GLFW joystick numbers reported present
  int units[kJoyUnits];
};

TEST(AssignJoyUnits, PresentJoysticksFillUnitsInOrderWithoutGaps) {
  const UnitCase cases[] = {
      {"none", {}, {-1, -1, -1, -1}},
      {"joystick 3 alone is unit 0", {3}, {3, -1, -1, -1}},
      {"0 and 2", {0, 2}, {0, 2, -1, -1}},
      {"after unplugging 0 the rest shift down", {2}, {2, -1, -1, -1}},
      {"only the first four of six", {1, 4, 5, 7, 9, 15}, {1, 4, 5, 7}},
      {"the last number counts", {15}, {15, -1, -1, -1}},
  };
  for (const UnitCase& c : cases) {
    SCOPED_TRACE(c.name);
    bool present[kJoyScanCount] = {};
    for (int j : c.present) present[j] = true;
    int units[kJoyUnits] = {7, 7, 7, 7};
    AssignJoyUnits(present, units);
    for (int u = 0; u < kJoyUnits; ++u) EXPECT_EQ(units[u], c.units[u]) << "unit " << u;
  }
}

// Pads plugged in and out between polls, through the same path the host's PollJoystick takes.
TEST(PollJoyUnit, PadsPluggedInOrOutArePickedUpAtTheNextRescan) {
  const recorded::Pad& xbox = recorded::Pads()[0];
  const recorded::Pad& generic = recorded::Pads()[4];
  recorded::Player player;
  SetJoySource(&player);
  JoyReading r;

  EXPECT_FALSE(PollJoyUnit(0, &r)) << "no pads yet";
  player.Plug(5, recorded::Record(xbox, Action::kPressA));
  ASSERT_TRUE(PollJoyUnit(0, &r)) << "plugged in during play";
  EXPECT_EQ(LogicalDown(r), std::vector<int>{kJoyButtonA});
  EXPECT_FALSE(PollJoyUnit(1, &r));

  player.Plug(2, recorded::Record(generic, Action::kPressStart));
  ASSERT_TRUE(PollJoyUnit(0, &r));
  EXPECT_EQ(LogicalDown(r), std::vector<int>{kJoyButtonStart}) << "joystick 2 comes first";
  ASSERT_TRUE(PollJoyUnit(1, &r));
  EXPECT_EQ(LogicalDown(r), std::vector<int>{kJoyButtonA});

  player.Unplug(2);
  ASSERT_TRUE(PollJoyUnit(0, &r));
  EXPECT_EQ(LogicalDown(r), std::vector<int>{kJoyButtonA}) << "the rest shift down";
  EXPECT_FALSE(PollJoyUnit(1, &r));

  player.Unplug(5);
  EXPECT_FALSE(PollJoyUnit(0, &r)) << "the last one gone";
  EXPECT_FALSE(PollJoyUnit(kJoyUnits, &r));
  SetJoySource(nullptr);
}

}  // namespace
