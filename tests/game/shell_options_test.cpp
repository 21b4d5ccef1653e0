// The options box and the pause menu driven through the host's input: the slide that blocks
// input, each option line, saving on close, resuming and quitting a game, the console's
// overscan slider, and suspending in play and in the menu.
#include "shell_fixture.h"

namespace {

constexpr int kSlideFrames = 30;
constexpr float kLineTapX = 200;
constexpr float kGearX = 100, kGearY = 60;  // the back gear once the box is in

// Centre of option line n (from 1) once the box is in.
float LineY(int n) { return 130 + 40.0f * (n - 1) + 8; }

class OptionsTest : public ShellFixture {
 protected:
    void SetUp() override {
        ShellFixture::SetUp();
        // The menu's pictures as loaded at level 1: buttons are 64 x 64 cells.
        app->m_imgInfo[3 * kImgButtons] = app->m_imgInfo[3 * kImgButtons + 1] = 64;
        app->p_ResetDraw();
        app->m_landscape = 1;  // as the render callback finds a 640 x 480 window
        app->m_mode = kModeMenu;
        app->m_menuIntro = 0;
    }
    void OpenBox() {
        app->m_optionsOpen = 1;
        Frames(kSlideFrames);
        ASSERT_EQ(app->m_optSlide, kSlideFrames);
    }
    void Press(int code) {
        KeyDown(code);
        Frame();
        KeyUp(code);
        Frame();
    }
    int MusicState() const { return ox_audio_device->channels[gxtkAudio::kMusicChannel].state; }
    void Pause() {
        KeyDown(kKeyCodeEscape);
        Frame();
        KeyUp(kKeyCodeEscape);
        Frames(12);  // slides fully in
        ASSERT_EQ(app->m_paused, 1);
        ASSERT_EQ(app->m_pauseY, 240);
    }
};

TEST_F(OptionsTest, SoundLineCyclesAndTheMusicFollowsInAGame) {
    StartGame(2);
    ASSERT_EQ(app->m_musicPlaying, 1);
    Pause();
    OpenBox();
    struct Step {
        int mode;
        const char* text;
        int musicPlaying;
        bool musicStopped;
    };
    const Step steps[] = {
        {2, "Sound:SFX", 0, true},
        {3, "Sound:Music", 1, false},
        {0, "Sound:Off", 0, true},
        {1, "Sound:SFX+Music", 1, false},
    };
    for (const Step& s : steps) {
        Tap(kLineTapX, LineY(1));
        EXPECT_EQ(app->m_options[kOptSoundMode], s.mode);
        EXPECT_EQ(app->m_musicPlaying, s.musicPlaying) << s.text;
        EXPECT_EQ(MusicState() == kChannelStopped, s.musicStopped) << s.text;
        EXPECT_TRUE(Drew(s.text)) << s.text;
    }
}

TEST_F(OptionsTest, SoundLineInTheMenuStartsNoMusic) {
    app->m_options[kOptSoundMode] = 0;
    OpenBox();
    Tap(kLineTapX, LineY(1));
    EXPECT_EQ(app->m_options[kOptSoundMode], 1);
    EXPECT_EQ(app->m_musicPlaying, 0);
}

TEST_F(OptionsTest, WithoutMusicTheSoundLineIsOnOrOff) {
    HasMusicStream = 0;
    app->m_options[kOptSoundMode] = 3;  // a music mode this platform cannot show
    OpenBox();
    EXPECT_TRUE(Drew("Sound:Off"));
    Tap(kLineTapX, LineY(1));
    EXPECT_EQ(app->m_options[kOptSoundMode], 1);
    EXPECT_TRUE(Drew("Sound:On"));
    Tap(kLineTapX, LineY(1));
    EXPECT_EQ(app->m_options[kOptSoundMode], 0);
    HasMusicStream = 1;
}

TEST_F(OptionsTest, SlideBlocksInputForThirtyFrames) {
    app->m_optSel = 1;  // the sound line, so that fire would toggle it
    app->m_optionsOpen = 1;
    // Fire pressed and released in turn during the whole slide: nothing reacts.
    for (int f = 1; f < kSlideFrames; ++f) {
        if (f % 2) KeyDown(kKeyCodeEnter);
        else KeyUp(kKeyCodeEnter);
        Frame();
        EXPECT_EQ(app->m_options[kOptSoundMode], 1) << "frame " << f;
        EXPECT_EQ(CountPlayed(kSfxMove), 0) << "frame " << f;
    }
    KeyUp(kKeyCodeEnter);
    Frame();  // the 30th frame: the box is in
    KeyDown(kKeyCodeEnter);
    Frame();
    EXPECT_EQ(app->m_options[kOptSoundMode], 2);
    // Held, it toggles once.
    Frames(20);
    EXPECT_EQ(app->m_options[kOptSoundMode], 2);
    KeyUp(kKeyCodeEnter);
    Frame();
    Press(kKeyCodeEnter);
    EXPECT_EQ(app->m_options[kOptSoundMode], 3);
}

TEST_F(OptionsTest, LinesShownPerProfile) {
    struct Case {
        int ouya, paused;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {0, 0, {"Sound:SFX+Music", "iCade:Off", "Fullscreen", "LeftThumbstickYFlipped", "RightThumbstickYFlipped"}},
        {1, 0, {"Sound:SFX+Music", "Fullscreen", "LeftThumbstickYFlipped", "RightThumbstickYFlipped", "Quit"}},
        {1, 1, {"Sound:SFX+Music", "Fullscreen", "LeftThumbstickYFlipped", "RightThumbstickYFlipped"}},
    };
    for (const Case& c : cases) {
        isOuya = c.ouya;
        app->m_paused = c.paused;
        app->m_optionsOpen = 1;
        app->m_optSlide = kSlideFrames;
        Frame();
        std::vector<std::string> shown;
        for (const DrawnRow& row : TextRows(0, jscrw, 120, jscrh)) shown.push_back(row.text);
        EXPECT_EQ(shown, c.lines) << "ouya " << c.ouya << ", paused " << c.paused;
    }
    isOuya = 0;
}

TEST_F(OptionsTest, LinesToggleTheirSettings) {
    OpenBox();
    Tap(kLineTapX, LineY(4));
    EXPECT_EQ(app->m_options[kOptLeftStickY], 1);
    EXPECT_TRUE(Drew("LeftThumbstickYNormal"));
    Tap(kLineTapX, LineY(5));
    EXPECT_EQ(app->m_options[kOptRightStickY], 1);
    Tap(kLineTapX, LineY(4));
    EXPECT_EQ(app->m_options[kOptLeftStickY], 0);

    app->m_vkeys[3] = 2;
    Tap(kLineTapX, LineY(2));
    EXPECT_EQ(iCadeControls, 1);
    EXPECT_EQ(app->m_vkeys[3], 0) << "virtual keys are cleared";
    EXPECT_TRUE(Drew("iCade:On"));
    Tap(kLineTapX, LineY(2));
    EXPECT_EQ(iCadeControls, 0);
    EXPECT_EQ(app->m_optSel, 2) << "a tap selects its line";
}

TEST_F(OptionsTest, KeysMoveTheSelectionAndFireOnBackCloses) {
    OpenBox();
    app->m_optSel = 0;
    Press(kKeyCodeUp);
    EXPECT_EQ(app->m_optSel, 0);
    for (int i = 1; i <= 7; ++i) Press(kKeyCodeDown);
    EXPECT_EQ(app->m_optSel, 5) << "stops at the last line";
    for (int i = 1; i <= 5; ++i) Press(kKeyCodeUp);
    EXPECT_EQ(app->m_optSel, 0);
    Press(kKeyCodeEnter);
    EXPECT_EQ(app->m_optionsOpen, 0);
    EXPECT_TRUE(StateSaved());
}

TEST_F(OptionsTest, ClosingAlwaysSaves) {
    struct Case {
        const char* how;
        bool tap;
    };
    for (Case c : {Case{"back gear", true}, Case{"pause key", false}}) {
        std::filesystem::remove(dir / OX_STATE_FILE_NAME);
        OpenBox();
        if (c.tap) {
            Tap(kGearX, kGearY);
        } else {
            Press(kKeyCodeEscape);
        }
        EXPECT_EQ(app->m_optionsOpen, 0) << c.how;
        EXPECT_TRUE(StateSaved()) << c.how;
        EXPECT_EQ(app->m_mode, kModeMenu) << c.how << ": the menu ignores the closing press";
        Frames(kSlideFrames);
        EXPECT_EQ(app->m_optSlide, 0) << c.how;
    }
}

TEST_F(OptionsTest, StoredSoundModeSevenShowsOffAndSavesZero) {
    app->m_options[kOptSoundMode] = 7;
    OpenBox();
    EXPECT_TRUE(Drew("Sound:Off"));
    Tap(kGearX, kGearY);
    ASSERT_TRUE(StateSaved());
    EXPECT_EQ(Fields(SavedState())[kOptSoundMode], "0");
}

// ---- Pause menu ----

using PauseTest = OptionsTest;

TEST_F(PauseTest, ResumeSlidesOutBeforePlayContinues) {
    StartGame(2);
    Pause();
    const float timer = Player(kPlTimer);
    Frames(30);
    EXPECT_EQ(Player(kPlTimer), timer) << "the timer stands while paused";
    EXPECT_TRUE(Drew("PAUSED"));

    KeyDown(kKeyCodeEnter);  // fire on the selected resume button
    Frame();
    KeyUp(kKeyCodeEnter);
    EXPECT_EQ(app->m_pauseState, -1);
    int frames = 0;
    while (app->m_paused && frames < 50) {
        Frame();
        ++frames;
        EXPECT_EQ(Player(kPlTimer), timer);
    }
    EXPECT_EQ(frames, 12) << "240 units at 24 per frame, gone below -32";
    Frame();
    EXPECT_EQ(Player(kPlTimer), timer - 1) << "play goes on";
}

TEST_F(PauseTest, QuitEndsTheGameOnTheSameFrame) {
    StartGame(2);
    app->m_score = 345;
    Pause();
    Tap(64, 96);  // the quit button at the top of the column
    EXPECT_EQ(app->m_paused, 0);
    EXPECT_EQ(app->m_timeUp, 1);
    EXPECT_EQ(app->m_quitting, -1);
    EXPECT_EQ(app->m_overStep, 2) << "the game-over sequence ran on the press's frame and the next";
    EXPECT_TRUE(Drew("Quit"));
    EXPECT_TRUE(Drew("Game"));
    EXPECT_FALSE(Drew("GAME"));

    for (int i = 0; i < 200 && app->m_mode != kModeMenu; ++i) Frame();
    EXPECT_EQ(app->m_mode, kModeMenu);
    EXPECT_EQ(app->m_hiscores[10], 345) << "the score entered the Normal top list";
    EXPECT_EQ(app->m_hiscores[40], 345) << "and the last list";
    EXPECT_EQ(Fields(SavedState())[57], "345") << "and was saved";
}

TEST_F(PauseTest, KeysSelectAndFireQuits) {
    StartGame(2);
    Pause();
    Press(kKeyCodeUp);
    EXPECT_EQ(app->m_pauseSel, -1);
    Press(kKeyCodeUp);
    EXPECT_EQ(app->m_pauseSel, -1);
    KeyDown(kKeyCodeEnter);
    Frame();
    KeyUp(kKeyCodeEnter);
    EXPECT_EQ(app->m_timeUp, 1);
    EXPECT_EQ(app->m_quitting, -1);
}

TEST_F(PauseTest, OneDownPressMovesOnePlace) {
    StartGame(2);
    Pause();
    Press(kKeyCodeDown);
    EXPECT_EQ(app->m_pauseSel, 1);
    Press(kKeyCodeUp);
    EXPECT_EQ(app->m_pauseSel, 0) << "up from options lands on resume, not past it";
    Press(kKeyCodeDown);
    KeyDown(kKeyCodeEnter);
    Frame();
    KeyUp(kKeyCodeEnter);
    EXPECT_EQ(app->m_optionsOpen, 1);
    EXPECT_EQ(app->m_paused, 1);
}

TEST_F(PauseTest, PauseKeyResumes) {
    StartGame(2);
    Pause();
    KeyDown(kKeyCodeEscape);
    Frame();
    KeyUp(kKeyCodeEscape);
    EXPECT_EQ(app->m_pauseState, -1);
    Frames(14);
    EXPECT_EQ(app->m_paused, 0);
    EXPECT_EQ(app->m_timeUp, 0);
}

TEST_F(PauseTest, FigureTrailStartsAtThePen) {
    StartGame(2);
    KeyDown(kKeyCodeEscape);
    Frame();
    KeyUp(kKeyCodeEscape);
    const std::vector<const float*> lines = Records(kDrawLine);
    ASSERT_EQ(lines.size(), 202u) << "101 segments, two lines each";
    // R = 216 on a 640 x 480 screen: every point lies within R of the figure's centre.
    for (const float* l : lines) {
        EXPECT_LE(std::hypot(l[kDrX] + 0.5f - 416, l[kDrY] + 0.5f - 240), 217.0f);
        EXPECT_LE(std::hypot(l[kDrA] + 0.5f - 416, l[kDrB] + 0.5f - 240), 217.0f);
    }
}

TEST_F(PauseTest, FigureArmGrowsToTheRadiusAndStops) {
    StartGame(2);
    Pause();
    KeyDown(kKeyCodeDown);
    Frames(300);
    KeyUp(kKeyCodeDown);
    EXPECT_EQ(app->m_spiroArm, 216) << "R on a 640 x 480 screen";
    Frame();
    EXPECT_TRUE(Drew("216:25"));
    EXPECT_EQ(Records(kDrawLine).size(), 202u) << "101 segments, two lines each";
}

TEST_F(PauseTest, ConsoleOverscanSlider) {
    StartGame(2);
    isOuya = 1;
    app->m_options[kOptOverscan] = 64;
    overscan = 64;
    Pause();
    const float barX = 320, barY = 240 - 158;
    struct Step {
        bool tap;  // else a press of logical key 15
        int setting;
    };
    const Step steps[] = {{true, 1}, {true, 96}, {true, 1}, {false, 17}, {false, 33}};
    for (const Step& s : steps) {
        // The margin moves the screen: a device pixel lies overscan further right and down.
        if (s.tap) Tap(barX + overscan, barY + overscan * 480 / 640);
        else Press('N');
        EXPECT_EQ(app->m_options[kOptOverscan], s.setting);
        EXPECT_EQ(overscan, s.setting);
    }
    app->m_options[kOptOverscan] = 90;
    Press('N');
    EXPECT_EQ(app->m_options[kOptOverscan], 96);
    isOuya = 0;
    overscan = 0;
}

// ---- Suspend and resume ----

using SuspendTest = OptionsTest;

TEST_F(SuspendTest, InPlayTheGameComesBackPaused) {
    StartGame(2);
    host->SuspendGame();
    EXPECT_EQ(app->m_paused, 1);
    EXPECT_EQ(app->m_pauseState, 1);
    EXPECT_EQ(app->m_pauseY, 240) << "already fully in";
    EXPECT_TRUE(StateSaved());
    EXPECT_EQ(ox_app__updateRate, 5);
    host->ResumeGame();
    EXPECT_EQ(ox_app__updateRate, 60);
    EXPECT_EQ(app->m_paused, 1);
    const float timer = Player(kPlTimer);
    Frame();
    EXPECT_EQ(Player(kPlTimer), timer);
    EXPECT_EQ(app->m_pauseY, 240);
}

TEST_F(SuspendTest, InTheMenuNothingPauses) {
    iCadeControls = 1;
    app->m_vkeys[0] = 2;
    host->SuspendGame();
    EXPECT_EQ(app->m_paused, 0);
    EXPECT_EQ(app->m_pauseY, 0);
    EXPECT_TRUE(StateSaved());
    EXPECT_EQ(iCadeControls, 0);
    EXPECT_EQ(app->m_vkeys[0], 0);
    std::filesystem::remove(dir / OX_STATE_FILE_NAME);
    host->ResumeGame();
    EXPECT_EQ(app->m_paused, 0);
    EXPECT_FALSE(StateSaved()) << "resuming does not save";
}

}  // namespace
