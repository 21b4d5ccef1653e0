// Controls through whole frames: the ramped direction keys and the move latch, the logical
// key map with its console and iCade profiles, iCade letters, the key latch and function keys.
#include "support/game_fixture.h"

#include "host/joystick.h"

namespace {

class ControlsTest : public GameFixture {
 protected:
    void OnBoard() {
        StartGame(2);
        SetBoard({});
        Player(kPlCursorX) = 3;
        Player(kPlCursorY) = 3;
    }
};

TEST_F(ControlsTest, ATappedDirectionNeedsThreeFramesAndMovesOnce) {
    OnBoard();
    KeyDown(kKeyCodeLeft);
    Frame();
    Frame();
    EXPECT_EQ(Player(kPlCursorX), 3.0f) << "-0.15 and -0.30 stay inside the threshold";
    Frame();
    EXPECT_EQ(Player(kPlCursorX), 2.0f);
    KeyUp(kKeyCodeLeft);
    Frames(20);
    EXPECT_EQ(Player(kPlCursorX), 2.0f) << "the latch held until the ramp came back";
}

TEST_F(ControlsTest, AHeldDirectionRampsToFullAndBackInFiveFrames) {
    OnBoard();
    KeyDown('Z');  // holding a grab button changes nothing about the ramp
    KeyDown(kKeyCodeRight);
    for (int frame = 1; frame <= 6; ++frame) {
        Frame();
        EXPECT_NEAR(app->m_keyStickX, 0.15f * frame, 1e-5) << "frame " << frame;
    }
    Frame();
    EXPECT_EQ(app->m_keyStickX, 1.0f);
    Frames(5);
    EXPECT_EQ(app->m_keyStickX, 1.0f);
    KeyUp(kKeyCodeRight);
    Frames(4);
    EXPECT_GT(app->m_keyStickX, 0.0f);
    Frame();
    EXPECT_EQ(app->m_keyStickX, 0.0f);
    EXPECT_EQ(app->m_stickX, 0.0f);
}

TEST_F(ControlsTest, HeldMovesRepeatOnceTheCursorHasSlidAndTheLatchReleased) {
    OnBoard();
    KeyDown(kKeyCodeUp);
    Frames(30);
    EXPECT_EQ(Player(kPlCursorY), 2.0f) << "a held key keeps the latch: one move";
}

// Which logical keys a framework key code holds, per profile.
struct KeyMapCase {
    const char* name;
    int ouya, icade;
    int code;
    int key, player;
    int held;
};

class KeyMapTest : public GameFixture, public ::testing::WithParamInterface<KeyMapCase> {};

TEST_P(KeyMapTest, MapsCodesToLogicalKeys) {
    const KeyMapCase& c = GetParam();
    isOuya = c.ouya;
    iCadeControls = c.icade;
    if (c.code) KeyDown(c.code);
    EXPECT_EQ(app->p_PlayKey(c.key, kKeyModeStick, c.player) != 0, c.held != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, KeyMapTest,
    ::testing::Values(
        KeyMapCase{"UpArrow", 0, 0, kKeyCodeUp, kKeyUp, 0, 1},
        KeyMapCase{"W", 0, 0, 'W', kKeyUp, 0, 1},
        KeyMapCase{"S", 0, 0, 'S', kKeyDown, 0, 1},
        KeyMapCase{"SpaceFire1", 0, 0, kKeyCodeSpace, kKeyFire1, 0, 1},
        KeyMapCase{"CtrlFire2", 0, 0, kKeyCodeControl, kKeyFire2, 0, 1},
        KeyMapCase{"ShiftFire3", 0, 0, kKeyCodeShift, kKeyFire3, 0, 1},
        KeyMapCase{"OFire6", 0, 0, 'O', kKeyFire6, 0, 1},
        KeyMapCase{"TildePause", 0, 0, kKeyCodeGrave, kKeyPause, 0, 1},
        KeyMapCase{"EscapeBack", 0, 0, kKeyCodeEscape, kKeyBack, 0, 1},
        KeyMapCase{"KeyboardOnlyBackNever", 0, 0, kKeyCodeEscape, kKeyBack, -1, 0},
        KeyMapCase{"KeyboardOnlyPause", 0, 0, kKeyCodeEscape, kKeyPause, -1, 1},
        KeyMapCase{"PadStartPause", 0, 0, JoyKey(0, kJoyButtonStart), kKeyPause, 0, 1},
        KeyMapCase{"SecondPadA", 0, 0, JoyKey(1, kJoyButtonA), kKeyFire1, 1, 1},
        KeyMapCase{"SecondPadAIsNotFirstPads", 0, 0, JoyKey(1, kJoyButtonA), kKeyFire1, 0, 0},
        KeyMapCase{"KeyboardOnlyIgnoresPads", 0, 0, JoyKey(0, kJoyButtonA), kKeyFire1, -1, 0},
        KeyMapCase{"OtherNegativePlayer", 0, 0, kKeyCodeUp, kKeyUp, -2, 0},
        KeyMapCase{"UnlistedKey", 0, 0, kKeyCodeUp, 7, 0, 0},
        KeyMapCase{"ConsoleTildeIsNotPause", 1, 0, kKeyCodeGrave, kKeyPause, 0, 0},
        KeyMapCase{"ConsoleEscapePause", 1, 0, kKeyCodeEscape, kKeyPause, 0, 1},
        KeyMapCase{"ConsoleStartPause", 1, 0, JoyKey(0, kJoyButtonStart), kKeyPause, 0, 1},
        KeyMapCase{"ConsoleStartIsNotBack", 1, 0, JoyKey(0, kJoyButtonStart), kKeyBack, 0, 0},
        KeyMapCase{"ConsoleKeyboardOnlyPause", 1, 0, kKeyCodeEscape, kKeyPause, -1, 0},
        KeyMapCase{"UnknownProfileNoPause", 2, 0, kKeyCodeEscape, kKeyPause, 0, 0},
        KeyMapCase{"ICadeLeavesLettersOut", 0, 1, 'W', kKeyUp, 0, 0},
        KeyMapCase{"ICadeArrowsStay", 0, 1, kKeyCodeUp, kKeyUp, 0, 1},
        KeyMapCase{"ICadeBackNever", 0, 1, kKeyCodeEscape, kKeyBack, 0, 0},
        KeyMapCase{"ICadeEscapePause", 0, 1, kKeyCodeEscape, kKeyPause, 0, 1},
        KeyMapCase{"ICadeSpaceFire1", 0, 1, kKeyCodeSpace, kKeyFire1, 0, 1}),
    [](const ::testing::TestParamInfo<KeyMapCase>& info) { return std::string(info.param.name); });

TEST_F(ControlsTest, ICadeLettersPressAndReleaseVirtualKeys) {
    app->p_iCade(1);
    EXPECT_EQ(iCadeControls, 1);
    struct Step {
        int chr;
        int key;
        int value;
    };
    const Step steps[] = {{'w', 0, 2}, {'W', 0, 2}, {'e', 0, 0}, {'h', 10, 2}, {'L', 17, 2},
                          {'v', 17, 0}, {'x', 8, 2}, {'z', 8, 0}};
    app->m_mode = 0;  // no screen: only the decoder reads the characters
    for (const Step& s : steps) {
        host->KeyEvent(c_OxGameEvent::m_KeyChar, s.chr);
        Frame();
        EXPECT_EQ(app->m_vkeys[s.key], s.value) << "after '" << static_cast<char>(s.chr) << "'";
    }
    app->m_vkeys[10] = 2;
    app->p_iCade(0);
    EXPECT_EQ(iCadeControls, 0);
    EXPECT_EQ(app->m_vkeys[10], 0);
}

TEST_F(ControlsTest, SwitchingICadeOnDropsQueuedCharacters) {
    host->KeyEvent(c_OxGameEvent::m_KeyChar, 'w');
    app->p_iCade(1);
    app->m_mode = 0;
    Frame();
    EXPECT_EQ(app->m_vkeys[0], 0);
}

TEST_F(ControlsTest, TheKeyLatchReleasesOnlyWhenEveryControlIsUp) {
    app->m_mode = 0;
    app->m_keyLatch = 1;
    KeyDown('Z');
    KeyDown(kKeyCodeUp);
    Frame();
    EXPECT_EQ(app->m_keyLatch, 1);
    KeyUp('Z');
    Frame();
    EXPECT_EQ(app->m_keyLatch, 1);
    KeyUp(kKeyCodeUp);
    Frame();
    EXPECT_EQ(app->m_keyLatch, 0);
}

TEST_F(ControlsTest, FunctionKeysToggleDebugAndTheHud) {
    app->m_mode = 0;
    KeyDown(kKeyCodeF1);
    KeyDown(kKeyCodeF2);
    Frame();
    EXPECT_EQ(DebugMode, 1);
    EXPECT_EQ(app->m_hideHud, 1);
    Frame();
    EXPECT_EQ(DebugMode, 1) << "a held key toggles once";
    KeyUp(kKeyCodeF1);
    KeyUp(kKeyCodeF2);
    KeyDown(kKeyCodeF2);
    Frame();
    EXPECT_EQ(app->m_hideHud, 0);
}

TEST_F(ControlsTest, PauseKeyOpensThePauseMenuOnce) {
    StartGame(2);
    KeyDown(kKeyCodeEscape);
    Frame();
    EXPECT_EQ(app->m_paused, 1);
    EXPECT_EQ(app->m_pauseState, 1);
    EXPECT_EQ(app->m_keyLatch, 1);
    EXPECT_EQ(CountPlayed(kSfxConfirm), 1);
    const float timer = Player(kPlTimer);
    Frames(5);
    EXPECT_EQ(Player(kPlTimer), timer) << "play stops while paused";
}

TEST_F(ControlsTest, TouchingThePauseButtonPauses) {
    StartGame(2);
    MouseDown(16, 16);
    Frame();
    EXPECT_EQ(app->m_paused, 1);
    EXPECT_EQ(app->m_touchUsed, 1);
}

using ControlsDeathTest = ControlsTest;

TEST_F(ControlsDeathTest, F4EndsTheProgramNormally) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            StartGame(2);
            KeyDown(kKeyCodeF4);
            Frame();
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
