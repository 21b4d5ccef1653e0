// TrueType faces for the asset generator: loads a font file and draws glyphs and
// lines of text into coverage masks at any pixel size, through stb_truetype.
#pragma once

#include "canvas.h"

#include <stb/stb_truetype.h>

#include <string>
#include <vector>

namespace assetgen {

// A glyph's inked rectangle in pixels, relative to its pen origin on the baseline.
struct InkBox {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    float width() const { return x1 - x0; }
    float height() const { return y1 - y0; }
};

class Typeface {
public:
    // Reads and parses the font file; false when it is missing or not a font.
    bool load(const std::string& path);

    // Sizes are the em height in pixels; xScale squeezes or widens horizontally.
    float advance(int codepoint, float emPx, float xScale = 1.0f) const;
    InkBox ink(int codepoint, float emPx, float xScale = 1.0f) const;
    // Height of the capital letters (from the inked "H") at this size.
    float capHeight(float emPx) const;
    // Draws one glyph with its pen origin at (x, baseline), sub-pixel placed.
    void drawGlyph(Mask& m, int codepoint, float x, float baseline, float emPx, float xScale = 1.0f) const;

    // A line of ASCII text: its advance width, and drawing it from the pen origin.
    float textWidth(const std::string& text, float emPx, float xScale = 1.0f, float tracking = 0) const;
    void drawText(Mask& m, const std::string& text, float x, float baseline, float emPx,
                  float xScale = 1.0f, float tracking = 0) const;

private:
    float scaleFor(float emPx) const { return stbtt_ScaleForMappingEmToPixels(&info_, emPx); }
    std::vector<unsigned char> data_;
    stbtt_fontinfo info_{};
};

}  // namespace assetgen
