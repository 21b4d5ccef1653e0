// The options box from the keyboard: Left moves the menu's focus to the gear and fire opens
// the box; Down and fire change the sound mode and both thumbsticks' Y direction, each once
// per press; the pause key closes the box and ".tarnstate" holds the new values. Started
// again in the same directory, the program shows the same lines in the box, and closing it
// there (fire on the back gear) saves the same settings again.
#include <array>
#include <cmath>
#include <filesystem>

#include "game/shell.h"
#include "support/journey.h"
#include "support/state_text.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

enum Line { kSoundLine = 1, kICadeLine, kFullscreenLine, kLeftStickLine, kRightStickLine };
using LineWidths = std::array<double, kOptionLines + 1>;  // by line number; [0] unused

// Settings a first run starts with: the pad at its least place and default size, both sticks
// at 0 ("Flipped"), which the journey turns to 1 ("Normal").
constexpr int kPadLeast = 64, kPadSizeDefault = 10, kStickNormal = 1;
// A desktop program keeps no overscan margin: it stores 1 whatever it read.
constexpr int kDesktopOverscan = 1;
constexpr double kSameWidth = 1.5;  // virtual units a text's ink width may vary by
// A toggle shows within a few updates; a press is tried again only after this long, so that a
// slow screen is not taken for a missed press (a second toggle).
constexpr Seconds kTogglePatience{10};

class OptionsJourney : public Journey {
 protected:
  // From the menu at rest: Left takes the focus from the wheel to the gear (the description
  // goes), and fire opens the box with its back gear selected.
  void OpenOptionsFromTheMenu() {
    ASSERT_FALSE(WaitFor("menu with wheel focus", [](const Shot& s, const View& v) {
                   return LooksLikeMenu(s, v) && SelectedDifficulty(s, v) == kNormal &&
                          ShowsDescription(s, v);
                 }, kStartPatience).Empty());
    ASSERT_TRUE(hands_->Focus());
    ASSERT_FALSE(PressUntil("Left", "gear focused", [](const Shot& s, const View& v) {
                   return LooksLikeMenu(s, v) && !ShowsDescription(s, v) && !PanelFocused(s, v);
                 }).Empty());
    ASSERT_FALSE(PressUntil("z", "options open", [](const Shot& s, const View& v) {
                   return OptionsSelection(s, v) == 0;
                 }).Empty());
  }

  LineWidths ReadLines(const std::string& stage) {
    Shot s = Snap(stage);
    const View v = View::ForWindow(s.Width(), s.Height());
    LineWidths widths{};
    for (int n = 1; n <= kOptionLines; ++n) {
      widths[n] = OptionLineWidth(s, v, n);
      EXPECT_GT(widths[n], 0) << "no text on option line " << n;
    }
    return widths;
  }

  void SelectLine(int line) {
    ASSERT_FALSE(PressUntil("Down", "line " + std::to_string(line) + " selected",
                            [line](const Shot& s, const View& v) {
                              return OptionsSelection(s, v) == line;
                            }).Empty());
  }

  // Fire on the selected line: its text changes (from `before`); the new width.
  double Toggle(int line, double before) {
    double after = 0;
    const bool changed =
        !PressUntil("z", "line " + std::to_string(line) + " toggled",
                    [&](const Shot& s, const View& v) {
                      if (OptionsSelection(s, v) != line) return false;
                      after = OptionLineWidth(s, v, line);
                      return after > 0 && std::fabs(after - before) > kSameWidth;
                    }, false, kTogglePatience).Empty();
    EXPECT_TRUE(changed) << "option line " << line << " did not change";
    return after;
  }

  // The settings a closing box saved: the old file is removed first, so the file found is the
  // one this close wrote.
  std::optional<ReadState> CloseAndReadSave(const std::string& key) {
    fs::remove(StatePath());
    if (PressUntil(key, "options closed", [](const Shot& s, const View& v) {
          return LooksLikeMenu(s, v) && !OptionsSelection(s, v);
        }).Empty())
      return std::nullopt;
    std::optional<ReadState> state = WaitForSavedState();
    EXPECT_TRUE(state) << "closing the box saved no whole state";
    return state;
  }
};

TEST_F(OptionsJourney, ChangedOptionsAreSavedOnClosingAndKeptOverARestart) {
  // First run, no saved state: the defaults are shown.
  Start();
  OpenOptionsFromTheMenu();
  ASSERT_FALSE(HasFatalFailure());
  const LineWidths defaults = ReadLines("default lines");

  // Sound: "SFX + Music", then "SFX", then "Music" (each press toggles once). The sticks: from
  // flipped to normal.
  LineWidths changed = defaults;
  SelectLine(kSoundLine);
  ASSERT_FALSE(HasFatalFailure());
  changed[kSoundLine] = Toggle(kSoundLine, defaults[kSoundLine]);
  const double sfxOnly = changed[kSoundLine];
  changed[kSoundLine] = Toggle(kSoundLine, sfxOnly);
  for (int n = kSoundLine + 1; n <= kLeftStickLine; ++n) SelectLine(n);
  ASSERT_FALSE(HasFatalFailure());
  changed[kLeftStickLine] = Toggle(kLeftStickLine, defaults[kLeftStickLine]);
  SelectLine(kRightStickLine);
  ASSERT_FALSE(HasFatalFailure());
  changed[kRightStickLine] = Toggle(kRightStickLine, defaults[kRightStickLine]);
  ASSERT_FALSE(HasFailure());
  const LineWidths shown = ReadLines("changed lines");
  for (int n = 1; n <= kOptionLines; ++n)
    EXPECT_NEAR(shown[n], changed[n], kSameWidth) << "option line " << n;

  // The pause key closes the box; the state it saves holds the new values and the rest as a
  // first run keeps them.
  std::optional<ReadState> saved = CloseAndReadSave("Escape");
  ASSERT_TRUE(saved);
  EXPECT_TRUE(saved->AllValid());
  StateValues expected;
  expected.options[kOptSoundMode] = kSoundMusic;
  expected.options[kOptPadX] = expected.options[kOptPadY] = kPadLeast;
  expected.options[kOptPadSize] = kPadSizeDefault;
  expected.options[kOptOverscan] = kDesktopOverscan;
  expected.options[kOptLeftStickY] = expected.options[kOptRightStickY] = kStickNormal;
  EXPECT_EQ(saved->values.options, expected.options);
  EXPECT_EQ(saved->values.hiscores, expected.hiscores);

  // The press that closed the box did not also end the program from the menu.
  Settle();
  ASSERT_FALSE(WaitFor("menu after the box", LooksLikeMenu).Empty());
  EXPECT_TRUE(game_.Running());
  ASSERT_TRUE(hands_->Tap("F4"));
  ASSERT_EQ(game_.WaitExit(kExitPatience), 0);

  // Second run in the same directory: the settings are read back and the box shows the
  // changed lines.
  Start();
  ASSERT_TRUE(game_.WaitForLine(kMsgSettingsLoaded, kStartPatience));
  OpenOptionsFromTheMenu();
  ASSERT_FALSE(HasFatalFailure());
  const LineWidths reopened = ReadLines("lines after the restart");
  for (int n = 1; n <= kOptionLines; ++n)
    EXPECT_NEAR(reopened[n], changed[n], kSameWidth) << "option line " << n;

  // Fire on the back gear closes the box and saves the same settings. The console's overscan
  // setting has no line on the desktop: its stored value stays as the first run saved it.
  std::optional<ReadState> again = CloseAndReadSave("z");
  ASSERT_TRUE(again);
  EXPECT_TRUE(again->AllValid());
  EXPECT_EQ(again->values.options, saved->values.options);
  EXPECT_EQ(again->values.options[kOptOverscan], kDesktopOverscan);
  ASSERT_TRUE(hands_->Tap("F4"));
  EXPECT_EQ(game_.WaitExit(kExitPatience), 0);
}

}  // namespace
}  // namespace e2e
