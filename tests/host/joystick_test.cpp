// Tests of the pad mapping: recorded raw GLFW reports through layouts A and B,
// and the assignment of present joysticks to the four units.
#include "host/joystick.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Report {
  std::vector<float> axes;
  std::vector<unsigned char> buttons;
};

std::vector<unsigned char> Pressed(int count, std::initializer_list<int> down) {
  std::vector<unsigned char> b(count, 0);
  for (int i : down) b[i] = 1;
  return b;
}

std::vector<int> LogicalDown(const JoyReading& r) {
  std::vector<int> down;
  for (int b = 0; b < kJoyLogicalButtons; ++b) {
    if (r.buttons[b]) down.push_back(b);
  }
  return down;
}

struct MapCase {
  const char* name;
  Report raw;
  float joyx[2], joyy[2], joyz[2];
  std::vector<int> logicalDown;
};

TEST(MapJoystick, LayoutsFromRecordedReports) {
  const MapCase cases[] = {
      // A 14-button, 5-axis pad: layout A. GLFW's y axes have up negative; the
      // framework's have up positive.
      {"layout A sticks",
       {{0.5f, -0.25f, 0.75f, 0.3f, -0.6f}, Pressed(14, {})},
       {0.5f, -0.6f}, {0.25f, 0.3f}, {0.75f, -0.75f}, {}},
      {"layout A face buttons and shoulders",
       {{0, 0, 0, 0, 0}, Pressed(14, {0, 1, 2, 3, 4, 5, 6, 7})},
       {0, 0}, {0, 0}, {0, 0}, {0, 1, 2, 3, 4, 5, 6, 7}},
      {"layout A: raw 10-13 are logical 8-11, raw 8-9 logical 12-13",
       {{0, 0, 0, 0, 0}, Pressed(14, {8, 9, 10, 11, 12, 13})},
       {0, 0}, {0, 0}, {0, 0}, {8, 9, 10, 11, 12, 13}},
      {"layout A: only raw 12 held",
       {{0, 0, 0, 0, 0}, Pressed(14, {12})}, {0, 0}, {0, 0}, {0, 0}, {10}},
      // Six axes and 15 buttons (11 and one hat): layout B.
      {"layout B sticks, triggers from raw 6 and 7",
       {{-1.0f, 1.0f, 0.4f, -0.5f, 0.9f, 0.1f}, Pressed(15, {6, 7})},
       {-1.0f, 0.4f}, {-1.0f, -0.5f}, {1.0f, 1.0f}, {}},
      {"layout B reorders the face buttons",
       {{0, 0, 0, 0, 0, 0}, Pressed(15, {0})}, {0, 0}, {0, 0}, {0, 0}, {2}},
      {"layout B raw 1, 2, 8, 9",
       {{0, 0, 0, 0, 0, 0}, Pressed(15, {1, 2, 8, 9})}, {0, 0}, {0, 0}, {0, 0}, {0, 1, 6, 7}},
      {"layout B last four buttons are logical 8-11, raw 10-11 are 12-13",
       {{0, 0, 0, 0, 0, 0}, Pressed(15, {10, 11, 12, 14})}, {0, 0}, {0, 0}, {0, 0},
       {8, 9, 11, 12, 13}},
      {"layout B: 14 buttons with 6 axes is not layout A",
       {{0, 0, 0, 0, 0, 0}, Pressed(14, {0, 10})}, {0, 0}, {0, 0}, {0, 0}, {2, 8, 12}},
      // A small pad: missing axes read 0, missing raw buttons read released, and
      // the last-four rule wraps onto its only buttons.
      {"layout B with 2 axes and 4 buttons",
       {{0.2f, 0.2f}, Pressed(4, {1, 3})}, {0.2f, 0}, {-0.2f, 0}, {0, 0}, {0, 3, 9, 11}},
      {"no axes, no buttons", {{}, {}}, {0, 0}, {0, 0}, {0, 0}, {}},
      {"more than 32 buttons: only the first 32 count, n is 32",
       {{0, 0, 0, 0, 0, 0}, Pressed(40, {31, 35})}, {0, 0}, {0, 0}, {0, 0}, {11}},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.name);
    JoyReading r = MapJoystick(c.raw.axes.data(), int(c.raw.axes.size()), c.raw.buttons.data(),
                               int(c.raw.buttons.size()));
    for (int s = 0; s < kJoySticks; ++s) {
      EXPECT_FLOAT_EQ(r.joyx[s], c.joyx[s]) << "joyx[" << s << "]";
      EXPECT_FLOAT_EQ(r.joyy[s], c.joyy[s]) << "joyy[" << s << "]";
      EXPECT_FLOAT_EQ(r.joyz[s], c.joyz[s]) << "joyz[" << s << "]";
    }
    EXPECT_EQ(LogicalDown(r), c.logicalDown);
  }
}

TEST(MapJoystick, ToleratesMissingArrays) {
  JoyReading r = MapJoystick(nullptr, 3, nullptr, 5);
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

}  // namespace
