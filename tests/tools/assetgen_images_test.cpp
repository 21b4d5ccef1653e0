// The generated pictures and fonts: every file the loader asks for exists at every
// level, cuts into exactly its frame count, is drawn at its own size, and shows ink
// where the game draws.
#include "data_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace datatest;

namespace {

// What the loader reads: file name, cell size at level 1 and frame count.
// hardEdged: crisp outlines rather than glows, so its edges show the size it was drawn at.
struct Slot {
    const char* name;
    int cellW, cellH, frames;
    bool hardEdged;
};
const Slot kSlots[] = {
    {"gfx", 36, 36, 49, true},
    {"BadgesA", 64, 64, 64, true},
    {"common/circle", 256, 256, 4, false},
    {"common/light", 32, 32, 4, false},
    {"fonts/shadow_glyphrun", 16, 16, 128, true},
    {"common/KELPLogo", 256, 256, 1, true},
    {"common/dpad", 32, 32, 16, true},
    {"common/Buttons", 64, 64, 16, true},
    {"parts", 8, 8, 256, false},
    {"common/icons", 32, 32, 16, true},
    {"logo", 256, 128, 1, true},
    {"menu", 256, 256, 4, false},
    {"shards", 8, 8, 256, true},
};
const int kLevels[] = {1, 2, 4};
constexpr int kMaxWidth = 2048;  // widest picture a graphics card is asked to hold

std::string fileOf(const Slot& s, int level) { return dataPath(std::string(s.name) + levelSuffix(level) + ".png"); }

class EverySlot : public ::testing::TestWithParam<Slot> {};

TEST_P(EverySlot, CutsIntoExactlyItsFramesAtEveryLevel) {
    const Slot& s = GetParam();
    Picture base;
    ASSERT_TRUE(readPicture(fileOf(s, 1), base)) << fileOf(s, 1);
    for (int level : kLevels) {
        Picture p;
        ASSERT_TRUE(readPicture(fileOf(s, level), p)) << fileOf(s, level);
        int w = s.cellW * level, h = s.cellH * level;
        EXPECT_EQ(p.width % w, 0) << s.name << " level " << level;
        EXPECT_EQ(p.height % h, 0) << s.name << " level " << level;
        std::vector<Frame> frames;
        EXPECT_TRUE(loaderFrames(p.width, p.height, w, h, s.frames, frames)) << s.name << " level " << level;
        // No whole row or column of cells is wasted.
        int cols = p.width / w, rows = p.height / h;
        EXPECT_LE(cols, s.frames) << s.name;
        EXPECT_LT(cols * rows - s.frames, cols) << s.name;
        EXPECT_LE(p.width, kMaxWidth) << s.name;
        EXPECT_EQ(p.width, base.width * level) << s.name;
        EXPECT_EQ(p.height, base.height * level) << s.name;
    }
}

// Neighbouring pixel pairs (across and down) whose alpha jumps by at least 128.
int steepSteps(const Picture& p) {
    int n = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            if (x + 1 < p.width) n += std::abs(p.alpha(x + 1, y) - p.alpha(x, y)) >= 128;
            if (y + 1 < p.height) n += std::abs(p.alpha(x, y + 1) - p.alpha(x, y)) >= 128;
        }
    return n;
}

// The largest level is drawn at its own size: shrunk back it matches level 1, but it
// is no blow-up of level 1. Copying pixels would leave every 4 x 4 block flat;
// smoothing them would leave no steep edge, while a crisp drawing has ever more of
// them as its edges grow four times longer.
TEST_P(EverySlot, LargestLevelIsDrawnNativelyNotBlownUp) {
    const Slot& s = GetParam();
    Picture small, big;
    ASSERT_TRUE(readPicture(fileOf(s, 1), small));
    ASSERT_TRUE(readPicture(fileOf(s, 4), big));
    double diff = 0;
    int inkedBlocks = 0, flatBlocks = 0;
    for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.width; ++x) {
            int sum = 0, lo = 255, hi = 0;
            for (int k = 0; k < 16; ++k) {
                int a = big.alpha(x * 4 + k % 4, y * 4 + k / 4);
                sum += a;
                lo = std::min(lo, a);
                hi = std::max(hi, a);
            }
            diff += std::fabs(sum / 16.0 - small.alpha(x, y));
            if (hi > 0 && lo < 255) {
                ++inkedBlocks;
                flatBlocks += lo == hi;
            }
        }
    }
    EXPECT_LT(diff / (small.width * small.height), 12.0) << s.name << ": level 4 shows something else";
    ASSERT_GT(inkedBlocks, 0) << s.name << " is empty";
    EXPECT_LT(double(flatBlocks) / inkedBlocks, 0.5) << s.name << ": level 4 looks copied up from level 1";
    if (s.hardEdged) {
        EXPECT_GT(steepSteps(big), 2 * steepSteps(small)) << s.name << ": level 4 looks smoothed up";
    }
}

INSTANTIATE_TEST_SUITE_P(DataImages, EverySlot, ::testing::ValuesIn(kSlots),
                         [](const ::testing::TestParamInfo<Slot>& info) {
                             std::string n = info.param.name;
                             for (char& c : n)
                                 if (c == '/') c = '_';
                             return n;
                         });

// Frames the game draws must show something, at every level.
struct InkedFrames {
    const char* name;
    int cellW, cellH, frames;
    std::vector<int> drawn;
};

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
}

TEST(DataImages, FramesTheGameDrawsAreNotEmpty) {
    std::vector<int> tiles = range(0, 6), cursors = range(35, 48);
    tiles.insert(tiles.end(), cursors.begin(), cursors.end());
    const InkedFrames table[] = {
        {"gfx", 36, 36, 49, tiles},
        {"parts", 8, 8, 256, range(0, 255)},
        {"shards", 8, 8, 256, range(0, 255)},
        {"common/icons", 32, 32, 16, {0, 1, 3, 6}},
        {"common/Buttons", 64, 64, 16, {0, 1, 2, 3, 4, 5, 8, 9, 10, 12}},
        {"common/circle", 256, 256, 4, {1, 3}},
        {"common/light", 32, 32, 4, range(0, 3)},
        {"common/dpad", 32, 32, 16, range(0, 8)},
        {"common/KELPLogo", 256, 256, 1, {0}},
        {"logo", 256, 128, 1, {0}},
        {"menu", 256, 256, 4, range(0, 3)},
        {"BadgesA", 64, 64, 64, range(0, 63)},
    };
    for (const InkedFrames& t : table) {
        for (int level : kLevels) {
            Picture p;
            std::string file = dataPath(std::string(t.name) + levelSuffix(level) + ".png");
            ASSERT_TRUE(readPicture(file, p)) << file;
            std::vector<Frame> frames;
            ASSERT_TRUE(loaderFrames(p.width, p.height, t.cellW * level, t.cellH * level, t.frames, frames));
            for (int f : t.drawn) EXPECT_GT(inkedPixels(p, frames[f]), 0) << file << " frame " << f;
        }
    }
}

// The seven tile faces differ in shape as well as colour: their bright symbols
// overlap little, so a player who cannot tell the colours apart still can.
TEST(DataImages, TileSymbolsDifferInShape) {
    constexpr int kKinds = 7, kLevel = 2, kCell = 36 * kLevel;
    Picture p;
    ASSERT_TRUE(readPicture(dataPath("gfx-hd.png"), p));
    std::vector<Frame> frames;
    ASSERT_TRUE(loaderFrames(p.width, p.height, kCell, kCell, 49, frames));
    std::vector<std::vector<bool>> symbol(kKinds);
    for (int k = 0; k < kKinds; ++k) {
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x) {
                const uint8_t* px = p.pixel(frames[k].x + x, frames[k].y + y);
                symbol[k].push_back(px[3] > 200 && std::min({px[0], px[1], px[2]}) > 190);
            }
    }
    for (int a = 0; a < kKinds; ++a) {
        for (int b = a + 1; b < kKinds; ++b) {
            int both = 0, either = 0;
            for (size_t i = 0; i < symbol[a].size(); ++i) {
                both += symbol[a][i] && symbol[b][i];
                either += symbol[a][i] || symbol[b][i];
            }
            ASSERT_GT(either, 0);
            EXPECT_LT(double(both) / either, 0.8) << "tiles " << a << " and " << b << " have the same symbol";
        }
    }
}

// ----- fonts -----------------------------------------------------------------------

// Bright face pixels of a glyph (the white letter, not its shadow).
struct Ink {
    int count = 0, x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
};
Ink faceInk(const Picture& p, const Frame& f) {
    Ink ink;
    for (int y = f.y; y < f.y + f.h; ++y)
        for (int x = f.x; x < f.x + f.w; ++x) {
            const uint8_t* px = p.pixel(x, y);
            if (px[3] > 128 && std::min({px[0], px[1], px[2]}) > 160) {
                ++ink.count;
                ink.x0 = std::min(ink.x0, x - f.x);
                ink.y0 = std::min(ink.y0, y - f.y);
                ink.x1 = std::max(ink.x1, x - f.x);
                ink.y1 = std::max(ink.y1, y - f.y);
            }
        }
    return ink;
}

TEST(DataFonts, GlyphRunShowsTextAndButtonGlyphs) {
    constexpr int kFrameA = 'A' - 32, kFrameG = 'g' - 32, kFrameSpace = 0;
    constexpr int kPadJ = 96, kKeyJ = 112;  // the button glyph of "¬J", controller and keyboard
    for (int level : kLevels) {
        Picture p;
        std::string file = dataPath("fonts/shadow_glyphrun" + levelSuffix(level) + ".png");
        ASSERT_TRUE(readPicture(file, p)) << file;
        std::vector<Frame> frames;
        ASSERT_TRUE(loaderFrames(p.width, p.height, 16 * level, 16 * level, 128, frames));
        for (int f : {kFrameA, kFrameG, kPadJ, kKeyJ}) EXPECT_GT(inkedPixels(p, frames[f]), 0) << file << " " << f;
        EXPECT_EQ(inkedPixels(p, frames[kFrameSpace], 1), 0) << file;
        for (int f = 96; f <= 110; ++f) EXPECT_GT(inkedPixels(p, frames[f]), 0) << file << " button " << f;
        for (int f = 112; f <= 126; ++f) EXPECT_GT(inkedPixels(p, frames[f]), 0) << file << " key " << f;
    }
}

// The text drawer advances 7 units a glyph, each glyph owning the units 3 to 10 of its
// 16-unit cell: a capital stands about 10 units high, its face 3 to 8 wide, centred in
// that slot.
TEST(DataFonts, CapitalsHaveTheDrawersMetricsAtEveryLevel) {
    for (int level : kLevels) {
        Picture p;
        ASSERT_TRUE(readPicture(dataPath("fonts/shadow_glyphrun" + levelSuffix(level) + ".png"), p));
        std::vector<Frame> frames;
        ASSERT_TRUE(loaderFrames(p.width, p.height, 16 * level, 16 * level, 128, frames));
        for (char c : std::string("AEHNOTUXZ")) {
            Ink ink = faceInk(p, frames[c - 32]);
            ASSERT_GT(ink.count, 0) << c;
            double height = double(ink.y1 - ink.y0 + 1) / level, width = double(ink.x1 - ink.x0 + 1) / level;
            double centreX = (ink.x0 + ink.x1 + 1) / 2.0 / level, centreY = (ink.y0 + ink.y1 + 1) / 2.0 / level;
            EXPECT_NEAR(height, 9.5, 1.5) << c << " level " << level;
            EXPECT_LE(width, 8.0) << c << " level " << level;
            EXPECT_GE(width, 3.0) << c << " level " << level;
            EXPECT_NEAR(centreX, 6.5, 1.0) << c << " level " << level;
            EXPECT_NEAR(centreY, 8.0, 1.5) << c << " level " << level;
        }
    }
}

TEST(DataFonts, DefaultFontIsAPaddedStripOf96Glyphs) {
    Picture p;
    ASSERT_TRUE(readPicture(dataPath("loom_font.png"), p));
    constexpr int kGlyphs = 96;
    ASSERT_EQ(p.width % kGlyphs, 0);
    int w = p.width / kGlyphs;
    ASSERT_GT(w, 2);
    for (int g = 0; g < kGlyphs; ++g) {
        for (int y = 0; y < p.height; ++y) {
            EXPECT_EQ(p.alpha(g * w, y), 0) << "left border of glyph " << g;
            EXPECT_EQ(p.alpha(g * w + w - 1, y), 0) << "right border of glyph " << g;
        }
    }
    for (char c : std::string("Ag0?")) EXPECT_GT(inkedPixels(p, {(c - 32) * w, 0, w, p.height}), 0) << c;
    EXPECT_EQ(inkedPixels(p, {0, 0, w, p.height}, 1), 0) << "space";
}

// The desktop icon, one picture per size of the icon theme, in the theme's own folders.
const int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};
constexpr int kPixelIconLargest = 32;  // sizes drawn on the pixel grid, tile edge on pixel edge

std::string iconPath(int size) {
    const std::string side = std::to_string(size);
    return dataPath("icons/hicolor/" + side + "x" + side + "/apps/quadrant-rush.png");
}

TEST(DataImages, DesktopIconIsASquareOfItsSizeWithClearCorners) {
    for (int size : kIconSizes) {
        Picture p;
        ASSERT_TRUE(readPicture(iconPath(size), p)) << iconPath(size);
        EXPECT_EQ(p.width, size);
        EXPECT_EQ(p.height, size);
        EXPECT_GT(inkedPixels(p, {0, 0, p.width, p.height}), size * size / 2) << size;
        for (int corner = 0; corner < 4; ++corner)
            EXPECT_EQ(p.alpha(corner % 2 ? size - 1 : 0, corner / 2 ? size - 1 : 0), 0) << size << " corner " << corner;
    }
}

// The small sizes are drawn for their pixels, not shrunk from a large picture: the two
// columns between the left and the right tiles are the dark blue back from the top tile row
// to the bottom one, where a shrunk picture melts the tiles into each other.
TEST(DataImages, SmallDesktopIconsKeepTheirTilesApart) {
    auto isBack = [](const uint8_t* px) { return px[3] == 255 && px[2] > 2 * px[0] && px[2] > 2 * px[1]; };
    for (int size : kIconSizes) {
        if (size > kPixelIconLargest) continue;
        Picture p;
        ASSERT_TRUE(readPicture(iconPath(size), p)) << iconPath(size);
        for (int y = size / 4; y <= size - size / 4; ++y) {
            if (y > size / 2 - 2 && y <= size / 2) continue;  // the gap between the tile rows
            EXPECT_TRUE(isBack(p.pixel(size / 2 - 1, y))) << size << " row " << y;
            EXPECT_TRUE(isBack(p.pixel(size / 2, y))) << size << " row " << y;
            EXPECT_FALSE(isBack(p.pixel(size / 2 - 2, y))) << size << " row " << y << ": the tile's own edge";
        }
    }
}

}  // namespace
