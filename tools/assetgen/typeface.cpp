// TrueType faces for the asset generator: glyph metrics and rasterisation.
// stb_truetype gives anti-aliased coverage that is copied into our masks.
#include "typeface.h"

#include <cstdio>

namespace assetgen {

bool Typeface::load(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<unsigned char> bytes;
    unsigned char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    data_ = std::move(bytes);
    if (data_.empty()) return false;
    int offset = stbtt_GetFontOffsetForIndex(data_.data(), 0);
    return offset >= 0 && stbtt_InitFont(&info_, data_.data(), offset) != 0;
}

float Typeface::advance(int codepoint, float emPx, float xScale) const {
    int adv = 0, lsb = 0;
    stbtt_GetCodepointHMetrics(&info_, codepoint, &adv, &lsb);
    return adv * scaleFor(emPx) * xScale;
}

InkBox Typeface::ink(int codepoint, float emPx, float xScale) const {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!stbtt_GetCodepointBox(&info_, codepoint, &x0, &y0, &x1, &y1)) return {};
    float s = scaleFor(emPx);
    return {x0 * s * xScale, -y1 * s, x1 * s * xScale, -y0 * s};
}

float Typeface::capHeight(float emPx) const { return ink('H', emPx).height(); }

void Typeface::drawGlyph(Mask& m, int codepoint, float x, float baseline, float emPx, float xScale) const {
    float s = scaleFor(emPx);
    float fx = std::floor(x), fy = std::floor(baseline);
    float shiftX = x - fx, shiftY = baseline - fy;
    int ix0, iy0, ix1, iy1;
    stbtt_GetCodepointBitmapBoxSubpixel(&info_, codepoint, s * xScale, s, shiftX, shiftY, &ix0, &iy0, &ix1, &iy1);
    int w = ix1 - ix0, h = iy1 - iy0;
    if (w <= 0 || h <= 0) return;
    std::vector<unsigned char> bmp(size_t(w) * h);
    stbtt_MakeCodepointBitmapSubpixel(&info_, bmp.data(), w, h, w, s * xScale, s, shiftX, shiftY, codepoint);
    for (int y = 0; y < h; ++y)
        for (int xx = 0; xx < w; ++xx) {
            unsigned char v = bmp[size_t(y) * w + xx];
            if (v) m.add(int(fx) + ix0 + xx, int(fy) + iy0 + y, v / kByte);
        }
}

float Typeface::textWidth(const std::string& text, float emPx, float xScale, float tracking) const {
    float w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        w += advance((unsigned char)text[i], emPx, xScale) + (i + 1 < text.size() ? tracking : 0);
        if (i + 1 < text.size())
            w += stbtt_GetCodepointKernAdvance(&info_, (unsigned char)text[i], (unsigned char)text[i + 1]) *
                 scaleFor(emPx) * xScale;
    }
    return w;
}

void Typeface::drawText(Mask& m, const std::string& text, float x, float baseline, float emPx, float xScale,
                        float tracking) const {
    for (size_t i = 0; i < text.size(); ++i) {
        int c = (unsigned char)text[i];
        drawGlyph(m, c, x, baseline, emPx, xScale);
        x += advance(c, emPx, xScale) + tracking;
        if (i + 1 < text.size())
            x += stbtt_GetCodepointKernAdvance(&info_, c, (unsigned char)text[i + 1]) * scaleFor(emPx) * xScale;
    }
}

}  // namespace assetgen
