// Start-up and the staged loader against the generated data folder: the resolution level a
// window size picks, the 14 frames of a load, a reload that keeps the screen and stays quiet,
// a data folder with files missing, and suspending and resuming.
#include "shell_fixture.h"

#include "framework/angle.h"
#include "framework/graphics.h"

namespace {

constexpr int kMaxLoadFrames = 100;
constexpr int kFullLoadFrames = 14;

// Every image slot the loader fills, and every effect it loads.
const int kLoadedSlots[] = {kImgTiles, kImgShards, kImgBadges, kImgBlank, kImgCircle, kImgLight, kImgFont,
                            kImgMakerLogo, kImgDpad, kImgButtons, kImgParts, kImgIcons, kImgLogo, kImgMenu};
const int kLoadedSounds[] = {kSfxPush, kSfxClearFirst, 3, 4, 5, 6, kSfxClearLast, kSfxTimeUp, kSfxBoardDone, kSfxJingle,
                             kSfxConfirm, kSfxMove};

class LoaderTest : public ShellFixture {
 protected:
    void SetUp() override {
        ShellFixture::SetUp();
        if (!ox_graphics_device) ox_graphics_SetGraphicsDevice(new gxtkGraphics);
        for (int i = 0; i < app->m_sounds.Length(); ++i) gc_assign(app->m_sounds[i], nullptr);
    }
    void TearDown() override {
        UseHDImages = 1;
        ShellFixture::TearDown();
    }
    void Resize(int w, int h) {
        host->deviceWidth = w;
        host->deviceHeight = h;
        ox_app_ValidateDeviceWindow(false);
    }
    void Boot(int w, int h) {
        Resize(w, h);
        app->p_OnCreate();
    }
    // Runs update frames until loading ends; returns how many it took and notes the sounds.
    int Load() {
        jingles = 0;
        int n = 0;
        while (app->m_loadStep > 0 && n < kMaxLoadFrames) {
            Frame();
            ++n;
            jingles += CountPlayed(kSfxJingle);
            EXPECT_TRUE(Drew("Loading...")) << "frame " << n;
        }
        return n;
    }
    int jingles = 0;
};

TEST_F(LoaderTest, WindowSizePicksTheImageLevel) {
    struct Case {
        int w, h, hd;
        int level;
        float scale;
    };
    const Case cases[] = {
        {640, 480, 1, 1, 1.0f},   {800, 600, 1, 2, 0.5f},   {1280, 720, 1, 4, 0.25f}, {1280, 720, 0, 1, 1.0f},
        {630, 630, 1, 1, 1.0f},   {700, 400, 1, 2, 0.5f},   {400, 631, 1, 2, 0.5f},   {1230, 1230, 1, 2, 0.5f},
        {631, 480, 1, 1, 1.0f},   {641, 480, 1, 2, 0.5f},   {640, 481, 1, 2, 0.5f},   {640, 631, 1, 2, 0.5f},
        {1231, 200, 1, 4, 0.25f}, {200, 1231, 1, 4, 0.25f},
    };
    for (const Case& c : cases) {
        UseHDImages = c.hd;
        Resize(c.w, c.h);
        app->p_Reload();
        EXPECT_EQ(app->m_imgRes, c.level) << c.w << "x" << c.h;
        EXPECT_EQ(app->m_imgScale, c.scale) << c.w << "x" << c.h;
        EXPECT_EQ(app->m_loadStep, 1);
        // The font and the maker's logo come at once, for the Loading screen.
        EXPECT_EQ(app->m_fontSlot, kImgFont);
        EXPECT_EQ(app->m_imgInfo[3 * kImgFont], 7) << "glyph metrics are not scaled";
        EXPECT_EQ(app->m_imgInfo[3 * kImgFont + 1], 10);
        ASSERT_NE(app->m_images[kImgMakerLogo], nullptr);
        EXPECT_EQ(app->m_images[kImgMakerLogo]->m_surface->width, 256 * c.level) << "the file of the level was read";
        EXPECT_EQ(app->m_images[kImgFont]->m_width, 16 * c.level);
    }
}

TEST_F(LoaderTest, FullLoadTakesFourteenFramesAndFillsEverySlot) {
    struct Case {
        int w, h, level;
    };
    for (Case c : {Case{640, 480, 1}, Case{800, 600, 2}, Case{1280, 720, 4}}) {
        Boot(c.w, c.h);
        EXPECT_EQ(app->m_mode, kModeMenu);
        EXPECT_EQ(Load(), kFullLoadFrames) << c.w;
        EXPECT_EQ(app->m_loadStep, 0);
        for (int slot : kLoadedSlots) {
            ASSERT_NE(app->m_images[slot], nullptr) << "slot " << slot << " at " << c.w;
            if (slot != kImgBlank && slot != kImgFont) {
                EXPECT_EQ(app->m_images[slot]->m_width, app->m_imgInfo[3 * slot]) << "slot " << slot;
            }
        }
        EXPECT_EQ(app->m_imgInfo[3 * kImgTiles], 36 * c.level);
        EXPECT_EQ(app->m_imgInfo[3 * kImgTiles + 2], 49);
        EXPECT_EQ(app->m_imgInfo[3 * kImgShards + 2], 256) << "the shard strip clears throw";
        EXPECT_EQ(app->m_imgInfo[3 * kImgBlank], 2048) << "the blank image is not scaled";
        for (int n : kLoadedSounds) EXPECT_NE(app->m_sounds[n], nullptr) << "sound " << n;
    }
}

TEST_F(LoaderTest, StartUpSoundPlaysOnceOnTheFourthFrame) {
    Boot(640, 480);
    for (int frame = 1; frame <= kFullLoadFrames; ++frame) {
        Frame();
        EXPECT_EQ(CountPlayed(kSfxJingle), frame == 4 ? 1 : 0) << "frame " << frame;
    }
    EXPECT_EQ(app->m_jinglePlayed, 1);
}

TEST_F(LoaderTest, SizeChangeReloadsQuietlyAndKeepsTheScreen) {
    Boot(640, 480);
    Load();
    ASSERT_EQ(app->m_loadStep, 0);
    for (int mode : {kModeMenu, kModePlaying}) {
        app->m_mode = mode;
        Resize(800, 600);
        app->m_loadStep = 1;  // what the render callback does on a new window size
        EXPECT_EQ(Load(), kFullLoadFrames);
        EXPECT_EQ(jingles, 0) << "the start-up sound belongs to the first load";
        EXPECT_EQ(app->m_mode, mode);
        EXPECT_EQ(app->m_imgRes, 2);
        EXPECT_EQ(app->m_images[kImgLogo]->m_surface->width, 512);
        Resize(640, 480);
        app->m_loadStep = 1;
        Load();
        EXPECT_EQ(app->m_imgRes, 1);
    }
}

TEST_F(LoaderTest, LoadingScreenSpinsThreeRings) {
    Boot(640, 480);
    Frame();
    const std::vector<const float*> dots = Records(kDrawOval);
    ASSERT_EQ(dots.size(), 33u);
    // The outer ring: radius 0.45 of the smaller side, dots of 16 fading in, blue.
    const float cx = 320, cy = 240, R = 480 * 0.45f;
    for (int i = 0; i < 11; ++i) {
        EXPECT_NEAR(std::hypot(dots[i][kDrX] - cx, dots[i][kDrY] - cy), R, 0.01f);
        EXPECT_EQ(dots[i][kDrA], 16);
        EXPECT_FLOAT_EQ(dots[i][kDrAlpha], i / 10.0f);
        EXPECT_EQ(dots[i][kDrBlue], 255);
    }
    EXPECT_NEAR(std::hypot(dots[11][kDrX] - cx, dots[11][kDrY] - cy), 480 * 0.4f, 0.01f);
    EXPECT_NEAR(std::hypot(dots[22][kDrX] - cx, dots[22][kDrY] - cy), 480 * 0.35f, 0.01f);
    EXPECT_EQ(dots[22][kDrA], 8);
    // Each frame turns the spinner 3 degrees.
    const float a0 = std::atan2(dots[0][kDrX] - cx, cy - dots[0][kDrY]);
    Frame();
    const float* next = Records(kDrawOval)[0];
    const float a1 = std::atan2(next[kDrX] - cx, cy - next[kDrY]);
    EXPECT_NEAR((a1 - a0) / kDegToRad, 3, 0.01f);
    ASSERT_EQ(Records(kImgMakerLogo).size(), 1u);
    EXPECT_EQ(Records(kImgMakerLogo)[0][kDrA], 2) << "the logo at double size";
}

TEST_F(LoaderTest, MissingFilesLeaveSlotsEmptyAndLoadingGoesOn) {
    // A data folder holding only the font and one sound.
    const std::filesystem::path partial = dir / "partial";
    const std::filesystem::path data = std::filesystem::path(QR_DATA_DIR);
    std::filesystem::create_directories(partial / "data" / "fonts");
    std::filesystem::create_directories(partial / "data" / "sfx");
    std::filesystem::copy_file(data / "fonts" / "shadow_glyphrun.png", partial / "data" / "fonts" / "shadow_glyphrun.png");
    std::filesystem::copy_file(data / "sfx" / "099.wav", partial / "data" / "sfx" / "099.wav");
    const String saved = host->BaseDir();
    host->SetBaseDir(String(partial.string().c_str()));

    Boot(640, 480);
    const int frames = Load();
    host->SetBaseDir(saved);

    EXPECT_EQ(frames, kFullLoadFrames);
    EXPECT_EQ(app->m_mode, kModeMenu);
    EXPECT_NE(app->m_images[kImgFont], nullptr);
    EXPECT_NE(app->m_images[kImgBlank], nullptr) << "made in memory, not read";
    for (int slot : kLoadedSlots) {
        if (slot == kImgFont || slot == kImgBlank) continue;
        EXPECT_EQ(app->m_images[slot], nullptr) << "slot " << slot;
        EXPECT_GT(app->m_imgInfo[3 * slot], 0) << "the sizes are recorded all the same";
    }
    EXPECT_NE(app->m_sounds[kSfxMove], nullptr);
    EXPECT_EQ(app->m_sounds[kSfxJingle], nullptr);
    EXPECT_EQ(jingles, 0);

    // The menu runs on without the pictures.
    Frames(3);
    EXPECT_EQ(app->m_mode, kModeMenu);
}

TEST_F(LoaderTest, StartUpDefaultsBeforeTheSavedState) {
    WriteState("");
    isOuya = 0;
    Boot(640, 480);
    EXPECT_EQ(app->m_mode, kModeMenu);
    EXPECT_EQ(app->m_difficulty, 2);
    EXPECT_EQ(app->m_menuChoice, 1);
    EXPECT_EQ(app->m_wheelTarget, -32);
    EXPECT_EQ(app->m_options[kOptSoundMode], 1);
    EXPECT_EQ(app->m_options[kOptPadX], 64) << "the clamps ran";
    EXPECT_EQ(app->m_pauseState, -1);
    EXPECT_EQ(app->m_pauseY, -64);
    EXPECT_EQ(ox_app__updateRate, 60);
    EXPECT_EQ(app->m_devW, 640);
    for (int i = 0; i < MyAppSizes::kSfxChannels; ++i) EXPECT_EQ(app->m_sfxChannels[i], i);
}

TEST_F(LoaderTest, StartUpReadsTheSavedScores) {
    for (int i = 0; i < app->m_hiscores.Length(); ++i) app->m_hiscores[i] = 0;
    app->m_hiscores[10] = 4321;
    app->p_Save();
    app->m_hiscores[10] = 0;
    Boot(640, 480);
    EXPECT_EQ(app->m_hiscores[10], 4321);
}

}  // namespace
