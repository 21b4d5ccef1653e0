// The pad check's live line: each unit shows the logical buttons it holds by the names the README
// uses, and its two sticks as the game reads them.
#include "host/pad_check.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/joystick.h"

namespace {

TEST(FormatPadUnit, NamesTheHeldButtonsAndShowsTheSticks) {
  const struct {
    std::vector<int> held;
    float lx, ly, rx, ry;
    const char* line;
  } cases[] = {
      {{}, 0, 0, 0, 0, "pad 2: [] left +0.00 +0.00 right +0.00 +0.00"},
      {{kJoyButtonA, kJoyButtonStart, kJoyButtonUp}, -1, 0.5f, 0.25f, -0.125f,
       "pad 2: [A Start Up] left -1.00 +0.50 right +0.25 -0.12"},
      {{kJoyButtonB, kJoyButtonX, kJoyButtonY, kJoyButtonLB, kJoyButtonRB, kJoyButtonBack}, 0, 0,
       0, 0, "pad 2: [B X Y LB RB Back] left +0.00 +0.00 right +0.00 +0.00"},
      {{kJoyButtonLeft, kJoyButtonRight, kJoyButtonDown, kJoyButtonLeftThumb,
        kJoyButtonRightThumb, kJoyButtonGuide, 20},
       0, 0, 0, 0, "pad 2: [Left Right Down LS RS Guide 20] left +0.00 +0.00 right +0.00 +0.00"},
  };
  for (const auto& c : cases) {
    JoyReading r;
    for (int b : c.held) r.buttons[b] = true;
    r.joyx[0] = c.lx;
    r.joyy[0] = c.ly;
    r.joyx[1] = c.rx;
    r.joyy[1] = c.ry;
    char line[256];
    FormatPadUnit(1, r, line, sizeof line);
    EXPECT_STREQ(line, c.line);
  }
}

}  // namespace
