// Pixels for the asset generator: colours, the RGBA canvas, coverage masks and the
// pen that paints anti-aliased shapes into one frame cell at one resolution level.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace assetgen {

struct Vec2 {
    float x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, float s) { return {a.x * s, a.y * s}; }
inline float dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline float length(Vec2 a) { return std::sqrt(dot(a, a)); }

constexpr float kPi = 3.14159265358979f;
inline float radians(float degrees) { return degrees * kPi / 180.0f; }
inline float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }
inline float smoothstep(float e0, float e1, float v) {
    float t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Turns p about centre c by the given angle in degrees (clockwise on screen).
inline Vec2 rotate(Vec2 p, Vec2 c, float degrees) {
    float s = std::sin(radians(degrees)), k = std::cos(radians(degrees));
    Vec2 d = p - c;
    return {c.x + d.x * k - d.y * s, c.y + d.x * s + d.y * k};
}

// A straight (not premultiplied) colour, each component 0..1.
struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;
};
constexpr float kByte = 255.0f;  // full intensity of an 8-bit channel
inline Rgba rgb(int r, int g, int b, float a = 1.0f) { return {r / kByte, g / kByte, b / kByte, a}; }
inline Rgba withAlpha(Rgba c, float a) { return {c.r, c.g, c.b, a}; }
inline Rgba mix(Rgba a, Rgba b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}
// Moves a colour towards white (amount > 0) or black (amount < 0), keeping alpha.
inline Rgba lighten(Rgba c, float amount) {
    Rgba target = amount >= 0 ? Rgba{1, 1, 1, c.a} : Rgba{0, 0, 0, c.a};
    return mix(c, target, std::fabs(amount));
}
const Rgba kWhite{1, 1, 1, 1};
const Rgba kBlack{0, 0, 0, 1};
const Rgba kClear{0, 0, 0, 0};

// An RGBA picture held premultiplied in floats while painting.
class Canvas {
public:
    Canvas(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }

    // Composites a straight colour over the pixel with the given coverage.
    void over(int x, int y, Rgba c, float coverage);
    // The pixel as a straight colour.
    Rgba at(int x, int y) const;
    // Composites a w x h block of src, each pixel magnified zoom times (nearest), at (dx, dy).
    void blit(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy, int zoom);
    // Straight-alpha 8-bit RGBA rows, top to bottom.
    std::vector<uint8_t> rgba8() const;
    // Writes the canvas as an RGBA PNG; false when the file cannot be written.
    bool writePng(const std::string& path) const;

private:
    int width_, height_;
    std::vector<float> px_;  // premultiplied r, g, b, a per pixel
};

// Coverage 0..1 per pixel, used for text and for effects built from a silhouette.
class Mask {
public:
    Mask(int width, int height) : width_(width), height_(height), v_(size_t(width) * height, 0.0f) {}
    int width() const { return width_; }
    int height() const { return height_; }
    float get(int x, int y) const {
        return (x < 0 || y < 0 || x >= width_ || y >= height_) ? 0.0f : v_[size_t(y) * width_ + x];
    }
    void set(int x, int y, float v) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) v_[size_t(y) * width_ + x] = v;
    }
    // Adds coverage, saturating at 1.
    void add(int x, int y, float v) { set(x, y, std::min(1.0f, get(x, y) + v)); }
    // The silhouette grown by radius pixels, anti-aliased at its new edge.
    Mask dilated(float radius) const;
    // The silhouette softened by two passes of a box blur of the given radius.
    Mask blurred(int radius) const;
    // The silhouette moved by whole pixels.
    Mask shifted(int dx, int dy) const;
    // The silhouette slanted: row y moves right by k * (pivotY - y) pixels.
    Mask sheared(float k, float pivotY) const;
    // Coverage raised to a power below 1: part-covered edge pixels become firmer.
    Mask firmed(float gamma) const;
    // Coverage left after removing other (this * (1 - other)).
    Mask minus(const Mask& other) const;

private:
    int width_, height_;
    std::vector<float> v_;
};

// Paints into one cell of a canvas. Shapes are given in units (the size at level 1);
// the pen maps them to pixels at its level, so each level is drawn at its own size.
class Pen {
public:
    Pen(Canvas& canvas, int pixelX, int pixelY, float unitsWide, float unitsHigh, int level)
        : Pen(canvas, pixelX, pixelY, unitsWide, unitsHigh, float(level)) {}
    // A pen at any scale, for drawing one picture's parts inside another.
    Pen(Canvas& canvas, int pixelX, int pixelY, float unitsWide, float unitsHigh, float pixelsPerUnit)
        : canvas_(canvas), x0_(pixelX), y0_(pixelY), level_(std::max(1, int(std::lround(pixelsPerUnit)))),
          ppu_(pixelsPerUnit), pxW_(int(std::lround(unitsWide * pixelsPerUnit))),
          pxH_(int(std::lround(unitsHigh * pixelsPerUnit))), unitsW_(unitsWide), unitsH_(unitsHigh) {}

    // Whole pixels per unit, for text and mask filters; pixelsPerUnit() is exact.
    int level() const { return level_; }
    float pixelsPerUnit() const { return ppu_; }
    int pixelsWide() const { return pxW_; }
    int pixelsHigh() const { return pxH_; }
    float unitsWide() const { return unitsW_; }
    float unitsHigh() const { return unitsH_; }
    Vec2 centre() const { return {unitsW_ * 0.5f, unitsH_ * 0.5f}; }
    // Centre of pixel (px, py) of the cell, in units.
    Vec2 unitAt(int px, int py) const { return {(px + 0.5f) / ppu_, (py + 0.5f) / ppu_}; }

    // Fills where the signed distance (units, negative inside) is below zero. The edge
    // is anti-aliased over one pixel, widened by softness units for blurred edges.
    template <class Sdf, class Paint>
    void fill(const Sdf& sdf, const Paint& paint, float softness = 0.0f) {
        float width = 1.0f + softness * ppu_;
        float reach = 0.5f * width / ppu_;  // distance outside the shape that still gets coverage
        forBlocksNear(sdf, reach, [&](int px, int py, Vec2 p) {
            float cov = clamp01(0.5f - sdf(p) * ppu_ / width);
            if (cov > 0.0f) canvas_.over(x0_ + px, y0_ + py, colourAt(paint, p), cov);
        });
    }

    // A halo: full strength inside the shape, fading to nothing radius units outside.
    // It also fades out near the cell's border, so no halo is cut off by a hard edge.
    template <class Sdf>
    void glow(const Sdf& sdf, Rgba colour, float radius) {
        forBlocksNear(sdf, radius, [&](int px, int py, Vec2 p) {
            float fall = 1.0f - clamp01(sdf(p) / radius);
            float border = std::min(std::min(p.x, p.y), std::min(unitsW_ - p.x, unitsH_ - p.y));
            fall *= smoothstep(kGlowClearance, kGlowClearance + kGlowFade, border);
            if (fall > 0.0f) canvas_.over(x0_ + px, y0_ + py, colour, fall * fall);
        });
    }

    // Paints through a coverage mask the size of the cell.
    template <class Paint>
    void mask(const Mask& m, const Paint& paint) {
        for (int py = 0; py < pxH_; ++py) {
            for (int px = 0; px < pxW_; ++px) {
                float cov = m.get(px, py);
                if (cov > 0.0f) canvas_.over(x0_ + px, y0_ + py, colourAt(paint, unitAt(px, py)), cov);
            }
        }
    }

    Mask blankMask() const { return Mask(pxW_, pxH_); }

    // A pen over part of this one: its top left at `at` (units of this pen), its own
    // size in its own units, each of which is `scale` of this pen's units.
    Pen sub(Vec2 at, float unitsWide, float unitsHigh, float scale) const {
        return Pen(canvas_, x0_ + int(std::lround(at.x * ppu_)), y0_ + int(std::lround(at.y * ppu_)), unitsWide,
                   unitsHigh, ppu_ * scale);
    }

private:
    // Visits the pixels of every block of the cell that may lie within reach units of
    // the shape. A block is skipped when the distance at its centre exceeds reach plus
    // the block's half diagonal, with a safety factor for shapes (gears, waves) whose
    // distance grows up to twice as fast as the true one.
    template <class Sdf, class Visit>
    void forBlocksNear(const Sdf& sdf, float reach, const Visit& visit) {
        for (int by = 0; by < pxH_; by += kBlock) {
            for (int bx = 0; bx < pxW_; bx += kBlock) {
                int ex = std::min(bx + kBlock, pxW_), ey = std::min(by + kBlock, pxH_);
                Vec2 mid{(bx + ex) * 0.5f / ppu_, (by + ey) * 0.5f / ppu_};
                float halfDiagonal = 0.7072f * float(std::max(ex - bx, ey - by)) / ppu_;
                if (sdf(mid) > (reach + halfDiagonal) * kDistanceSlack) continue;
                for (int py = by; py < ey; ++py)
                    for (int px = bx; px < ex; ++px) visit(px, py, unitAt(px, py));
            }
        }
    }

    template <class Paint>
    static Rgba colourAt(const Paint& paint, Vec2 p) {
        if constexpr (std::is_same_v<Paint, Rgba>) {
            (void)p;
            return paint;
        } else {
            return paint(p);
        }
    }

    static constexpr int kBlock = 8;               // pixels per side of a culling block
    static constexpr float kDistanceSlack = 2.5f;  // allowance for distances that are not exact
    static constexpr float kGlowClearance = 0.5f;  // units next to the border a halo never reaches
    static constexpr float kGlowFade = 2.0f;       // units over which a halo fades before that

    Canvas& canvas_;
    int x0_, y0_, level_;
    float ppu_;
    int pxW_, pxH_;
    float unitsW_, unitsH_;
};

// A vertical gradient paint from top colour at y0 to bottom colour at y1 (units).
inline auto vertical(Rgba top, Rgba bottom, float y0, float y1) {
    return [=](Vec2 p) { return mix(top, bottom, clamp01((p.y - y0) / (y1 - y0))); };
}
// A radial gradient paint from inner colour at the centre to outer colour at radius.
inline auto radial(Rgba inner, Rgba outer, Vec2 c, float radius) {
    return [=](Vec2 p) { return mix(inner, outer, clamp01(length(p - c) / radius)); };
}

}  // namespace assetgen
