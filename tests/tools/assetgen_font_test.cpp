// The game's glyph run as the text drawer lays it out: each frame is drawn centred on
// the pen and the pen moves on by the glyph's advance (7 units, plus the letter's
// spacing adjustment), so every glyph's ink, rim and shadow included, has to stay within
// its own slot of the cell or it overlaps its neighbour. Checked at every level.
#include "data_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "game/glyph_spacing.h"

using namespace datatest;

namespace {

constexpr int kCell = 16;       // cell size at level 1
constexpr int kPen = 8;         // the pen stands at the cell's middle
constexpr int kAdvance = 7;
constexpr int kSlotLeft = 3;    // units from the cell's left edge to the start of every slot
constexpr int kNumberRoom = 6;  // digits and the space: one unit clear on the right
constexpr int kFirstText = 1, kLastText = 94;  // frames of the characters 33..126

// Columns of a frame holding any visible pixel; {cell, -1} when none does.
std::pair<int, int> inkColumns(const Picture& p, const Frame& f) {
    int x0 = f.w, x1 = -1;
    for (int y = f.y; y < f.y + f.h; ++y)
        for (int x = f.x; x < f.x + f.w; ++x)
            if (p.alpha(x, y) > 0) {
                x0 = std::min(x0, x - f.x);
                x1 = std::max(x1, x - f.x);
            }
    return {x0, x1};
}

class GlyphRun : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        level_ = GetParam();
        file_ = dataPath("fonts/shadow_glyphrun" + levelSuffix(level_) + ".png");
        ASSERT_TRUE(readPicture(file_, picture_)) << file_;
        ASSERT_TRUE(loaderFrames(picture_.width, picture_.height, kCell * level_, kCell * level_, 128, frames_));
    }
    int level_ = 1;
    std::string file_;
    Picture picture_;
    std::vector<Frame> frames_;
};

// The slot of a character starts at the same place left of the pen for every glyph, so a
// glyph that ends inside its advance can never touch the next one, whatever it is.
TEST_P(GlyphRun, EveryGlyphInksOnlyItsOwnSlot) {
    const int l = level_;
    for (int f = kFirstText; f <= kLastText; ++f) {
        const char c = char(f + 32);
        const bool number = c >= '0' && c <= '9';
        const int room = number ? kNumberRoom : kAdvance + GlyphSpacing(c);
        auto [x0, x1] = inkColumns(picture_, frames_[f]);
        ASSERT_LE(x0, x1) << "'" << c << "' has no ink in " << file_;
        EXPECT_GE(x0, kSlotLeft * l) << "'" << c << "' reaches into the glyph before it in " << file_;
        EXPECT_LT(x1, (kSlotLeft + room) * l) << "'" << c << "' reaches past its " << room
                                              << "-unit room in " << file_;
        // A glyph squeezed to a sliver would fit and be unreadable.
        EXPECT_GE(x1 - x0 + 1, std::min(room, 3) * l) << "'" << c << "' in " << file_;
    }
    // The space prints nothing, so a score padded with spaces shows only its digits.
    auto [sx0, sx1] = inkColumns(picture_, frames_[0]);
    EXPECT_GT(sx0, sx1) << "the space has ink in " << file_;
}

// A right-aligned number ends with its last digit's pen on the alignment point: its ink
// must end at most one unit right of the pen, so that "   1234" at 1.5 size, aligned 4.5
// units inside a 640-unit screen, leaves the outermost pixels clear.
TEST_P(GlyphRun, DigitsEndOneUnitRightOfThePen) {
    for (char c = '0'; c <= '9'; ++c) {
        auto [x0, x1] = inkColumns(picture_, frames_[c - 32]);
        ASSERT_LE(x0, x1) << c;
        EXPECT_LT(x1, (kPen + 1) * level_) << "'" << c << "' in " << file_;
    }
}

// The face stays white and full-height, so the text reads on the light play-field and
// the dark panel alike: every letter has a bright core and a dark rim.
TEST_P(GlyphRun, LettersKeepABrightFaceAndADarkRim) {
    for (char c : std::string("AHMWgimw0158%#")) {
        const Frame& f = frames_[c - 32];
        int bright = 0, dark = 0;
        for (int y = f.y; y < f.y + f.h; ++y)
            for (int x = f.x; x < f.x + f.w; ++x) {
                const uint8_t* px = picture_.pixel(x, y);
                if (px[3] < 128) continue;
                (std::min({px[0], px[1], px[2]}) > 160 ? bright : dark) += 1;
            }
        EXPECT_GE(bright, 4 * level_ * level_) << "'" << c << "' in " << file_;
        EXPECT_GT(dark, 0) << "'" << c << "' has no rim in " << file_;
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, GlyphRun, ::testing::Values(1, 2, 4),
                         [](const ::testing::TestParamInfo<int>& i) { return "Level" + std::to_string(i.param); });

}  // namespace
