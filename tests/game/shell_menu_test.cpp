// The main menu driven through the host's input: key repeat on the wheel, score lists sized
// to the screen, tapping wheel items, focus and confirm, the credits page, and quitting.
#include "shell_fixture.h"

#include "framework/angle.h"

namespace {

constexpr int kIntroFrames = 32;  // the menu has slid in after these

class MenuTest : public ShellFixture {
 protected:
    void SetUp() override {
        ShellFixture::SetUp();
        app->m_mode = kModeMenu;
        app->m_menuChoice = 1;
        app->m_menuFocus = 1;
        app->m_wheelTarget = -32;
        app->m_wheelPos = -32;
        Frames(kIntroFrames);
    }
    // Where wheel item i stands while the wheel rests on the selection.
    void ItemAt(int i, float* x, float* y) const {
        const float a = 32.0f * i + 48 + app->m_wheelPos;
        const float off = std::fabs(a - 45);
        const float r = 116 + (off <= 45 ? (45 - off) * 1.5f : 0);
        const float cx = 38, cy = jscrh - 64;
        *x = cx + std::sin(a * kDegToRad) * r;
        *y = cy - std::cos(a * kDegToRad) * r;
    }
    void Settle() {
        for (int i = 0; i < 120 && app->m_wheelPos != app->m_wheelTarget; ++i) Frame();
        ASSERT_EQ(app->m_wheelPos, app->m_wheelTarget);
    }
};

TEST_F(MenuTest, HeldDownRepeatsAfter31ThenFasterAndStopsAtHard) {
    app->m_menuChoice = 0;
    app->m_wheelTarget = app->m_wheelPos = 0;
    KeyDown(kKeyCodeDown);
    Frame();
    EXPECT_EQ(app->m_menuChoice, 1) << "at once";
    EXPECT_EQ(app->m_wheelTarget, -32);
    EXPECT_EQ(app->m_difficulty, 2);
    Frames(30);
    EXPECT_EQ(app->m_menuChoice, 1) << "not before 31 frames";
    Frame();
    EXPECT_EQ(app->m_menuChoice, 2) << "31 frames later";
    EXPECT_EQ(app->m_difficulty, 3);
    Frames(60);
    EXPECT_EQ(app->m_menuChoice, 2) << "Hard is the last item";
    KeyUp(kKeyCodeDown);
    Frame();
    // The wheel eases to the new angle instead of jumping.
    EXPECT_EQ(app->m_wheelTarget, -64);
}

TEST_F(MenuTest, RepeatIntervalsShrinkTo4) {
    // Up from Hard with a quit item below Easy: the console profile has four items.
    isOuya = 1;
    app->m_menuChoice = 2;
    KeyDown(kKeyCodeUp);
    std::vector<int> stepFrames;
    int last = app->m_menuChoice;
    for (int f = 1; f <= 80; ++f) {
        Frame();
        if (app->m_menuChoice != last) {
            stepFrames.push_back(f);
            last = app->m_menuChoice;
        }
    }
    KeyUp(kKeyCodeUp);
    isOuya = 0;
    EXPECT_EQ(stepFrames, (std::vector<int>{1, 32, 51})) << "at once, then after 31 and 19";
    EXPECT_EQ(app->m_menuChoice, -1);
}

TEST_F(MenuTest, ScoreListsFitTheScreenHeight) {
    for (int k = 0; k < 10; ++k) {
        app->m_hiscores[10 + k] = 900 - k;
        app->m_hiscores[40 + k] = 100 + k;
    }
    struct Case {
        float height;
        std::string top, last;
        int entries;
    };
    const Case cases[] = {
        {480, "Top10", "Last10", 10},
        {350, "Top5", "Last5", 5},
        {239, "Highscore", "Last", 1},
    };
    for (const Case& c : cases) {
        jscrh = c.height;
        Frame();
        // The lists stand on the right, clear of the wheel and its description.
        const std::vector<DrawnRow> rows = TextRows(jscrw - 140, jscrw, 0, jscrh);
        std::vector<DrawnRow> top, last;
        for (const DrawnRow& r : rows) (r.y < jscrh * 0.5f + 20 ? top : last).push_back(r);
        ASSERT_EQ(top.size(), static_cast<size_t>(c.entries + 1)) << c.height;
        ASSERT_EQ(last.size(), static_cast<size_t>(c.entries + 1)) << c.height;
        EXPECT_EQ(top[0].text, c.top);
        EXPECT_EQ(last[0].text, c.last);
        EXPECT_EQ(top[1].text, "900");
        EXPECT_EQ(top.back().text, std::to_string(900 - (c.entries - 1)));
        EXPECT_EQ(last[1].text, "100");
    }
    jscrh = rawscrh;
}

TEST_F(MenuTest, TapSelectsAnItemAndTappingTheSelectedOneStarts) {
    Settle();
    float x, y;
    ItemAt(0, &x, &y);
    Tap(x, y);
    EXPECT_EQ(app->m_menuChoice, 0) << "the tapped item is selected";
    EXPECT_EQ(app->m_mode, kModeMenu) << "without starting";
    EXPECT_EQ(app->m_difficulty, 1);
    EXPECT_EQ(app->m_wheelTarget, 0);
    Settle();

    ItemAt(0, &x, &y);  // Easy now stands where Normal stood
    MouseDown(x, y);
    Frame();
    MouseUp();
    EXPECT_EQ(app->m_mode, kModeStart);
    EXPECT_EQ(app->m_difficulty, 1);
    EXPECT_EQ(app->m_controlScheme, 2) << "started by pointer";
    Frame();
    EXPECT_EQ(app->m_mode, kModePlaying) << "the game has begun";
}

TEST_F(MenuTest, TapsWaitForTheWheelToSettle) {
    Settle();
    float x, y;
    ItemAt(2, &x, &y);
    app->m_wheelTarget = -64;  // still turning towards Hard
    Tap(x, y);
    EXPECT_EQ(app->m_menuChoice, 1);
}

TEST_F(MenuTest, FocusMovesAndConfirmActsOnIt) {
    struct Case {
        std::vector<int> moves;  // key codes pressed and released before the confirm
        int focus;
        int mode, optionsOpen, creditsOpen;
    };
    const Case cases[] = {
        {{}, 1, kModeStart, 0, 0},
        {{kKeyCodeLeft}, 0, kModeMenu, 1, 0},
        {{kKeyCodeRight}, 2, kModeMenu, 0, 1},
        {{kKeyCodeRight, kKeyCodeRight}, 2, kModeMenu, 0, 1},
        {{kKeyCodeLeft, kKeyCodeLeft, kKeyCodeRight}, 1, kModeStart, 0, 0},
    };
    for (const Case& c : cases) {
        ReleaseAll();
        app->m_keyLatch = app->m_touchUsed = 0;
        app->m_mode = kModeMenu;
        app->m_menuFocus = 1;
        app->m_optionsOpen = app->m_creditsOpen = 0;
        app->m_optSlide = 0;
        for (int key : c.moves) {
            KeyDown(key);
            Frame();
            KeyUp(key);
            Frame();
        }
        EXPECT_EQ(app->m_menuFocus, c.focus);
        KeyDown(kKeyCodeEnter);
        Frame();
        KeyUp(kKeyCodeEnter);
        EXPECT_EQ(app->m_mode, c.mode);
        EXPECT_EQ(app->m_optionsOpen, c.optionsOpen);
        EXPECT_EQ(app->m_creditsOpen, c.creditsOpen);
        if (c.mode == kModeStart) {
            EXPECT_EQ(app->m_controlScheme, 0) << "a keyboard start";
        }
    }
}

TEST_F(MenuTest, GearOpensTheOptionsBox) {
    Tap(38, jscrh - 64);
    EXPECT_EQ(app->m_optionsOpen, 1);
    EXPECT_EQ(app->m_menuFocus, 0);
}

TEST_F(MenuTest, CreditsScrollAndCloseOnAPress) {
    // As opened from the side panel: the panel keeps the focus.
    app->m_creditsOpen = 1;
    app->m_menuFocus = 2;
    app->m_keyLatch = app->m_touchUsed = 1;
    Frames(200);  // the panel widens to the whole screen
    EXPECT_EQ(app->m_panelX, jscrw - 140);
    EXPECT_TRUE(Drew("DebugStats"));
    EXPECT_TRUE(Drew("640x480"));
    EXPECT_EQ(Records(kDrawOval).size(), 11u) << "the ring of circles";
    const int top = app->m_creditTop;
    EXPECT_EQ(top, static_cast<int>(200 * 0.3f / 16)) << "16 units per line at 0.3 per frame";

    // Up or down scrolls faster, the same way.
    KeyDown(kKeyCodeUp);
    Frames(40);
    KeyUp(kKeyCodeUp);
    EXPECT_EQ(app->m_creditTop - top, static_cast<int>((40 * 1.8f + 200 * 0.3f - 16 * top) / 16));

    // The last line ("End") never shows, however far it scrolls.
    bool sawEnd = false;
    for (int f = 0; f < 3000 && !sawEnd; ++f) {
        Frame();
        sawEnd = Drew("End");
    }
    EXPECT_FALSE(sawEnd);

    Tap(320, 240);
    EXPECT_EQ(app->m_creditsOpen, 0);
    EXPECT_EQ(app->m_mode, kModeMenu);
}

TEST_F(MenuTest, PauseKeyEndsTheProgramOnTheDesktop) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            KeyDown(kKeyCodeEscape);
            Frame();
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(MenuTest, ConsoleAsksBeforeQuitting) {
    isOuya = 1;
    KeyDown(kKeyCodeEscape);  // the console's back and pause key
    Frame();
    KeyUp(kKeyCodeEscape);
    EXPECT_EQ(app->m_mode, kModeQuitPrompt);
    Frame();
    EXPECT_TRUE(Drew("UnexpectedQuit"));
    EXPECT_TRUE(Drew("WhatshouldIdo?"));
    // Fire ignores the question and goes back to the menu.
    KeyDown(kKeyCodeEnter);
    Frame();
    KeyUp(kKeyCodeEnter);
    EXPECT_EQ(app->m_mode, kModeMenu);
    isOuya = 0;
}

TEST_F(MenuTest, QuitPromptEndsOnTheSecondButtonEvenWithFire) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    app->m_mode = kModeQuitPrompt;
    EXPECT_EXIT(
        {
            KeyDown(kKeyCodeEnter);
            KeyDown('X');
            Frame();
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
