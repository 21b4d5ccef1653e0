// The draw list and helpers: capacity, draw state, palette, background easing, text layout
// with button glyphs and line breaks; and the sound helpers on the real audio device.
#include "support/game_fixture.h"

#include <array>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "game/draw_list.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_file.h"

namespace {

class DrawTest : public GameFixture {
 protected:
    int Records() const { return app->m_drawCount / kDrawRecordFloats; }
    float Rec(int record, int field) const { return app->m_drawList[record * kDrawRecordFloats + field]; }
    // Glyph records of the font (slot 90) in order: x, y, frame.
    std::vector<std::array<float, 3>> Glyphs() const {
        std::vector<std::array<float, 3>> g;
        for (int i = 0; i < Records(); ++i)
            if (Rec(i, kDrKind) == 90) g.push_back({Rec(i, kDrX), Rec(i, kDrY), Rec(i, kDrFrame)});
        return g;
    }
};

TEST_F(DrawTest, TheListHoldsTwoThousandFiveHundredRecordsAFrame) {
    app->p_CLS2D(0, 0, 0, 1);
    for (int i = 0; i < 2500; ++i) app->p_Rect(static_cast<float>(i), 0, 1, 1);
    EXPECT_EQ(Records(), 2500);
    EXPECT_EQ(Rec(2499, kDrX), 2499.0f) << "the 2500th record is kept whole";
    EXPECT_EQ(app->p_Rect(1, 1, 1, 1), 0);
    EXPECT_EQ(app->p_DrawImg(1, 1, 1, 0), 0);
    EXPECT_EQ(app->p_Oval(1, 1, 1, 1), 0);
    EXPECT_EQ(app->p_Line(1, 1, 2, 2), 0);
    EXPECT_EQ(app->m_drawCount, 37500) << "the 2501st and later calls are dropped";
    app->p_CLS2D(kNotGiven, 0, 0, 0);
    EXPECT_EQ(app->m_drawCount, 0) << "a new frame empties the list";
}

TEST_F(DrawTest, RecordsCarryTheDrawState) {
    app->p_CLS2D(1, 2, 3, 0.5f);
    app->p_SetSize(3);
    app->p_SetRot(30);
    app->p_SetCol(10, 20, 30, 0.25f);
    app->p_DrawImg(5, 100, 200, 7);
    app->p_SetSize(2, 4);
    app->p_SetCol(40, 50, 60);  // three arguments keep the alpha
    app->m_drawBlend = kBlendAdditive;
    app->p_Oval(1, 2, 3, 4);
    app->p_Line(5, 6, 7, 8);

    ASSERT_EQ(Records(), 3);
    EXPECT_EQ(app->m_clsR, 1.0f);
    EXPECT_EQ(app->m_clsA, 0.5f);
    struct Expect {
        float kind, x, y, rot, a, b, frame, alpha, r, g, bl, blend;
    };
    const Expect e[] = {
        {5, 100, 200, -30, 3, 3, 7, 0.25f, 10, 20, 30, 1},
        {kDrawOval, 1, 2, -30, 3, 4, 0, 0.25f, 40, 50, 60, 3},
        {kDrawLine, 5, 6, -30, 7, 8, 0, 0.25f, 40, 50, 60, 3},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Rec(i, kDrKind), e[i].kind) << i;
        EXPECT_EQ(Rec(i, kDrX), e[i].x) << i;
        EXPECT_EQ(Rec(i, kDrY), e[i].y) << i;
        EXPECT_EQ(Rec(i, kDrRot), e[i].rot) << i;
        EXPECT_EQ(Rec(i, kDrA), e[i].a) << i;
        EXPECT_EQ(Rec(i, kDrB), e[i].b) << i;
        EXPECT_EQ(Rec(i, kDrFrame), e[i].frame) << i;
        EXPECT_EQ(Rec(i, kDrAlpha), e[i].alpha) << i;
        EXPECT_EQ(Rec(i, kDrRed), e[i].r) << i;
        EXPECT_EQ(Rec(i, kDrGreen), e[i].g) << i;
        EXPECT_EQ(Rec(i, kDrBlue), e[i].bl) << i;
        EXPECT_EQ(Rec(i, kDrBlend), e[i].blend) << i;
    }
    app->p_ResetDraw();
    EXPECT_EQ(app->m_drawScaleX, 1.0f);
    EXPECT_EQ(app->m_drawRot, 0.0f);
    EXPECT_EQ(app->m_drawAlpha, 1.0f);
    EXPECT_EQ(app->m_drawBlend, kBlendNormal);
}

TEST_F(DrawTest, PaletteScalesAndClamps) {
    struct Case {
        int n;
        float bright;
        float r, g, b;
    };
    const Case cases[] = {{1, 1, 255, 25.5f, 25.5f}, {9, 1, 255, 255, 255}, {0, 1, 76.5f, 76.5f, 76.5f},
                          {12, 1, 76.5f, 76.5f, 76.5f}, {2, 2, 255, 255, 51}, {6, -1, 0, 0, 0}};
    for (const Case& c : cases) {
        app->p_Alpha(0.3f);
        app->p_Ink(c.n, c.bright);
        EXPECT_NEAR(app->m_drawR, c.r, 1e-3) << c.n << " x " << c.bright;
        EXPECT_NEAR(app->m_drawG, c.g, 1e-3) << c.n << " x " << c.bright;
        EXPECT_NEAR(app->m_drawB, c.b, 1e-3) << c.n << " x " << c.bright;
        EXPECT_EQ(app->m_drawAlpha, 0.3f) << "ink leaves the alpha alone";
    }
}

TEST_F(DrawTest, BackgroundEasesAnEighthPerFrame) {
    app->p_DoBG(200, 100, -123, -123);
    EXPECT_EQ(app->m_bgR, 25.0f);
    EXPECT_EQ(app->m_bgG, 12.5f);
    EXPECT_EQ(app->m_bgB, 0.0f) << "a channel below -122 keeps its target";
    EXPECT_EQ(app->m_clsA, 1.0f) << "-123 means opaque";
    app->p_DoBG(-123, -123, -123, 2);
    EXPECT_EQ(app->m_bgR, 25.0f + 175.0f / 8);
    EXPECT_EQ(app->m_clsA, 1.0f) << "alpha is clamped to 1";
    EXPECT_EQ(app->m_drawCount, 0);
}

struct TextCase {
    const char* name;
    std::u16string text;
    float scale;
    float alignX;
    float firstX;  // where the first glyph is drawn for a text ending at x = 100
};

class TextWidthTest : public DrawTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextWidthTest, MeasuresAllButTheLastGlyph) {
    const TextCase& c = GetParam();
    app->p_CLS2D(kNotGiven, 0, 0, 0);
    app->p_SetSize(c.scale);
    app->p_Text(100, 50, String(c.text.c_str()), c.alignX, 1, 0);
    auto g = Glyphs();
    ASSERT_FALSE(g.empty());
    EXPECT_FLOAT_EQ(g[0][0], c.firstX);
    EXPECT_FLOAT_EQ(g[0][1], 50.0f) << "alignment 1 puts the pen on y";
}

// Glyphs are 7 wide; the text drawn is a space followed by the text, and the width counts
// every glyph but the last, truncated after each step.
INSTANTIATE_TEST_SUITE_P(
    Widths, TextWidthTest,
    ::testing::Values(
        TextCase{"OneCharacterIsOneSpaceWide", u"A", 1, 1, 100 - 3.5f + 7},
        TextCase{"EndsAtX", u"A", 1, 2, 100},
        TextCase{"Hello", u"Hello", 1, 2, 100 - 29 + 7},            // 7 + 7 + 7 + 4 + 4
        TextCase{"WideAndNarrow", u"wiW", 1, 2, 100 - 20 + 7},      // 7 + 9 + 4
        TextCase{"TruncatedSteps", u"lmx", 1.5f, 2, 100 - 29 + 10.5f},  // 10, 16, 29
        TextCase{"ButtonCountsPlusTwo", u"\u00acJx", 1, 2, 100 - 16 + 7},  // 7 + 9
        TextCase{"StartsAtX", u"abc", 2, 0, 100 + 14}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST_F(DrawTest, ButtonGlyphsFollowTheControlScheme) {
    struct Case {
        int scheme;
        double clockSeconds;
        std::u16string text;
        float frame;
    };
    const Case cases[] = {
        {0, 10.0, u"\u00acJ", 112}, {0, 10.0, u"\u00acD", 124}, {0, 10.1, u"\u00acU", 116},
        {2, 10.0, u"\u00acJ", 96},  {2, 10.0, u"\u00acQ", 102},
        {1, 10.1, u"\u00acK", 109}, {1, 10.3, u"\u00acK", 97},   // blinks for 200 ms of 500
        {1, 10.1, u"\u00acO", 110}, {1, 10.1, u"\u00acW", 104}, {1, 10.1, u"\u00acE", 103},
        {1, 10.3, u"\u00acb", 'b'},
    };
    for (const Case& c : cases) {
        app->p_CLS2D(kNotGiven, 0, 0, 0);
        app->m_controlScheme = c.scheme;
        host->clock.seconds = c.clockSeconds;
        app->p_Text(0, 0, String(c.text.c_str()), 0, 1, 0);
        auto g = Glyphs();
        ASSERT_EQ(g.size(), 1u);
        EXPECT_EQ(g[0][2], c.frame) << "scheme " << c.scheme << " at " << c.clockSeconds;
    }
}

TEST_F(DrawTest, LineBreaksStartOneGlyphInOnTheNextLine) {
    app->p_CLS2D(kNotGiven, 0, 0, 0);
    app->p_SetSize(2);
    app->p_Text(10, 20, String("ab\\ncd"), 0, 1, 0);
    auto g = Glyphs();
    ASSERT_EQ(g.size(), 4u);
    EXPECT_FLOAT_EQ(g[0][0], 10 + 14.0f);  // after the leading space
    EXPECT_FLOAT_EQ(g[1][0], 10 + 28.0f);
    EXPECT_FLOAT_EQ(g[2][0], 10 + 14.0f) << "one glyph advance right of the first line's start";
    EXPECT_FLOAT_EQ(g[2][1], 20 + 20.0f) << "one line of 10 at scale 2 lower";
    EXPECT_EQ(g[3][2], 'd' - 32);
}

TEST_F(DrawTest, RotatedTextRunsAlongItsAngle) {
    app->p_CLS2D(kNotGiven, 0, 0, 0);
    app->p_SetRot(90);  // the pen runs down the screen
    app->p_Text(0, 0, String("ab"), 0, 1, 0);
    auto g = Glyphs();
    ASSERT_EQ(g.size(), 2u);
    EXPECT_NEAR(g[0][0], 0, 1e-4);
    EXPECT_NEAR(g[0][1], 7, 1e-4);
    EXPECT_NEAR(g[1][1], 14, 1e-4);
}

class SoundTest : public GameFixture {
 protected:
    void SetUp() override {
        GameFixture::SetUp();
        ASSERT_NE(app->m_sounds[kSfxPush], nullptr) << "the data folder holds the effects";
    }
    gxtkChannel& Channel(int c) { return ox_audio_device->channels[c]; }
};

TEST_F(SoundTest, EffectsRotateOverTwentyFourChannels) {
    app->m_sfxSlot = 0;
    for (int i = 0; i < 25; ++i) app->p_PlaySFX(kSfxPush, 1, 0.5f, 0);
    EXPECT_EQ(app->m_sfxSlot, 1);
    for (int c = 0; c < 24; ++c) {
        EXPECT_EQ(Channel(c).sample, app->m_sounds[kSfxPush]->m_sample) << "channel " << c;
        EXPECT_EQ(ox_audio_device->ChannelState(c), kChannelPlaying) << "channel " << c;
    }
    EXPECT_EQ(Channel(24).sample, nullptr) << "channels above 23 are left to others";
}

TEST_F(SoundTest, SoundModesGateEffectsAndTunes) {
    struct Case {
        int mode;
        bool effects;
        bool music;
    };
    for (Case c : {Case{1, true, true}, Case{2, true, false}, Case{3, false, true}, Case{0, false, false}}) {
        app->p_StopTune();
        app->m_options[5] = c.mode;
        const int slot = app->m_sfxSlot;
        app->p_PlaySFX(kSfxPush, 1, 1, 0);
        EXPECT_EQ(app->m_sfxSlot != slot, c.effects) << "mode " << c.mode;
        app->p_PlayTune(String("Didiziroze_Razudud"), 1);
        EXPECT_EQ(app->m_tuneName, String("Didiziroze_Razudud"));
        EXPECT_EQ(app->m_musicPlaying == 1, c.music) << "mode " << c.mode;
    }
    app->p_StopTune();
}

TEST_F(SoundTest, ResumingATuneNeedsOneToHaveBeenPlayed) {
    app->p_PlayTune(String("-1"), 1);
    EXPECT_EQ(app->m_musicPlaying, 0);
    EXPECT_EQ(app->m_tuneName, String());
    app->p_PlayTune(String(""), 1);
    EXPECT_EQ(app->m_musicPlaying, 0);
    app->p_PlayTune(String("Didiziroze_Razudud"), 1);
    app->p_StopTune();
    app->p_PlayTune(String("-1"), 1);
    EXPECT_EQ(app->m_musicPlaying, 1);
    EXPECT_EQ(app->m_tuneName, String("Didiziroze_Razudud"));
    app->p_StopTune();
    HasMusicStream = 0;
    app->p_PlayTune(String("-1"), 1);
    EXPECT_EQ(app->m_musicPlaying, 0);
}

// A data folder of its own with three effect files, to see which names an effect number reads.
TEST_F(SoundTest, EffectNumbersNameThreeDigitFiles) {
    const qr_test::TempDir dir("qr-sfx");
    const std::string sfx = dir / "data/sfx";
    ASSERT_EQ(mkdir((dir / "data").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(sfx.c_str(), 0700), 0);
    // The smallest valid file: 8-bit mono PCM with four samples.
    const qr_test::Bytes wav = qr_test::WavFile({1, 1, 44100, 8}, qr_test::Bytes(4, 128));
    for (const char* name : {"007.wav", "042.wav", "123.wav"}) ASSERT_TRUE(qr_test::WriteFile(sfx + "/" + name, wav));
    host->SetBaseDir(String(dir.Path().c_str()));
    struct Case {
        int n;
        bool loads;
    };
    // There is no slot above 99, so 123 is refused instead of written past the table.
    for (Case c : {Case{7, true}, Case{42, true}, Case{70, false}, Case{8, false}, Case{123, false}}) {
        app->p_LoadSFX(c.n);
        const bool loaded = c.n < app->m_sounds.Length() && app->m_sounds[c.n] != nullptr;
        EXPECT_EQ(loaded, c.loads) << "effect " << c.n;
    }
    host->SetBaseDir(String(QR_PROGRAM_DIR));
}

}  // namespace
