// The studio emblem shown while loading, the game's title logo, the menu artwork and
// the desktop entry's icon: all drawn here from shapes and the DejaVu faces.
#include "art.h"
#include "rng.h"
#include "shapes.h"

namespace assetgen {

namespace {

const Rgba kNavy = rgb(16, 20, 44);
constexpr uint64_t kBubbleSeed = 0xB0BB1E5ull;  // where the emblem's bubbles rise

// Distance to a swaying frond stalk from (x0, y0) upwards, tapering as it rises.
auto frond(Vec2 base, float height, float sway, float phase, float width) {
    constexpr int kSteps = 24;
    std::vector<Vec2> pts;
    for (int i = 0; i <= kSteps; ++i) {
        float t = float(i) / kSteps;
        pts.push_back({base.x + sway * std::sin(phase + t * 5.0f) * t, base.y - height * t});
    }
    return [pts, width](Vec2 p) {
        float best = 1e9f;
        for (size_t i = 0; i + 1 < pts.size(); ++i) {
            float t = float(i) / (pts.size() - 1);
            best = std::min(best, segment(pts[i], pts[i + 1], width * (1.0f - 0.6f * t))(p));
        }
        return best;
    };
}

// A leaf blade: a pointed oval from a towards b, half as wide as given.
auto blade(Vec2 a, Vec2 b, float halfWidth) {
    return [=](Vec2 p) {
        Vec2 ab = b - a;
        float len = length(ab);
        Vec2 u = ab * (1.0f / len), n{-u.y, u.x};
        Vec2 d = p - a;
        float x = dot(d, u) / len, y = dot(d, n);
        float w = halfWidth * 2.0f * std::sqrt(std::max(0.0f, x * (1.0f - x)));
        float along = std::max(-x * len, (x - 1.0f) * len);
        return std::max(std::fabs(y) - w, along);
    };
}

}  // namespace

void paintStudioEmblem(Pen& pen, int, const Fonts&) {
    // Kept within 80 units of the centre: the Loading screen draws it at double size
    // inside its spinner rings, the menu at a quarter size in a corner.
    Vec2 c = pen.centre();
    constexpr float kR = 70.0f;
    auto disc = circle(c, kR);
    auto inside = [disc](auto shape) { return intersect(shape, disc); };
    pen.glow(circle(c, kR + 6), withAlpha(rgb(80, 220, 200), 0.35f), 10.0f);
    pen.fill(circle(c, kR + 8.5f), kNavy);
    pen.fill(circle(c, kR + 6.5f), vertical(rgb(250, 226, 140), rgb(196, 130, 40), c.y - kR, c.y + kR));
    pen.fill(circle(c, kR + 2.0f), kNavy);
    pen.fill(disc, vertical(rgb(60, 200, 210), rgb(8, 44, 96), c.y - kR, c.y + kR));
    // Light falling from the surface.
    for (int i = -2; i <= 2; ++i) {
        Vec2 top = c + Vec2{i * 22.0f - 8, -kR - 10};
        auto ray = polygon({top, top + Vec2{10, 0}, top + Vec2{30 + i * 6.0f, 150}, top + Vec2{10 + i * 6.0f, 150}});
        pen.fill(inside(ray), [c](Vec2 p) { return withAlpha(kWhite, 0.14f * (1 - clamp01((p.y - c.y + 70) / 120))); },
                 2.0f);
    }
    // Sea floor.
    pen.fill(inside([c](Vec2 p) { return (c.y + 50 + 6 * std::sin((p.x - c.x) * 0.05f)) - p.y; }),
             vertical(rgb(236, 200, 120), rgb(150, 100, 50), c.y + 44, c.y + kR));
    // Three fronds, each with leaf blades on alternate sides.
    struct Frond {
        float x, height, sway, phase;
        Rgba colour;
    };
    const Frond fronds[] = {{-26, 104, 10, 0.3f, rgb(70, 170, 80)},
                            {4, 124, 12, 2.1f, rgb(110, 210, 90)},
                            {30, 96, 9, 4.0f, rgb(50, 150, 100)}};
    for (const Frond& f : fronds) {
        Vec2 base = c + Vec2{f.x, 58};
        auto stalk = frond(base, f.height, f.sway, f.phase, 3.2f);
        pen.fill(inside(grow(stalk, 1.4f)), kNavy);
        pen.fill(inside(stalk), lighten(f.colour, -0.15f));
        for (int k = 1; k <= 5; ++k) {
            float t = k / 6.0f;
            Vec2 at{base.x + f.sway * std::sin(f.phase + t * 5.0f) * t, base.y - f.height * t};
            float side = (k % 2) ? 1.0f : -1.0f;
            float len = 34.0f * (1.0f - 0.4f * t);
            Vec2 tip = at + Vec2{side * len * 0.62f, -len * 0.8f};
            auto leaf = blade(at, tip, 4.6f * (1.0f - 0.3f * t));
            pen.fill(inside(grow(leaf, 1.2f)), kNavy);
            pen.fill(inside(leaf), vertical(lighten(f.colour, 0.35f), f.colour, at.y - len, at.y));
            pen.fill(inside(intersect(segment(at, tip, 0.5f), leaf)), withAlpha(lighten(f.colour, -0.35f), 0.8f));
        }
    }
    // Bubbles.
    Rng rng(kBubbleSeed);
    for (int i = 0; i < 9; ++i) {
        Vec2 b = c + Vec2{rng.range(-50, 50), rng.range(-55, 25)};
        float r = rng.range(2.0f, 5.0f);
        pen.fill(inside(outline(circle(b, r), 0.8f)), withAlpha(rgb(220, 250, 255), 0.85f));
        pen.fill(inside(circle(b - Vec2{r * 0.35f, r * 0.35f}, r * 0.3f)), withAlpha(kWhite, 0.8f));
    }
    // Glass sheen over the upper half.
    pen.fill(intersect(circle(c, kR - 4), circle(c + Vec2{0, -100}, 90)), withAlpha(kWhite, 0.12f), 1.0f);
}

namespace {

// Text as a mask: capital height in units, its ink centred on cx with the baseline at y.
Mask titleLine(const Pen& pen, const Typeface& face, const std::string& text, float cx, float baseline, float cap,
               float tracking, float squeeze) {
    int l = pen.level();
    float em = cap / face.capHeight(1.0f) * l;
    float w = face.textWidth(text, em, squeeze, tracking * l);
    float inkLeft = face.ink(text.front(), em, squeeze).x0;
    float inkRight = w - face.advance(text.back(), em, squeeze) + face.ink(text.back(), em, squeeze).x1;
    Mask m = pen.blankMask();
    face.drawText(m, text, cx * l - (inkLeft + inkRight) / 2, baseline * l, em, squeeze, tracking * l);
    return m;
}

// Paints a title word: soft shadow, thick dark outline, a light inner rim, the gradient face.
template <class Paint>
void paintWord(Pen& pen, const Mask& m, float outlineUnits, const Paint& face) {
    int l = pen.level();
    Mask rim = m.dilated(outlineUnits * l);
    pen.mask(rim.shifted(int(2.5f * l), int(3.0f * l)).blurred(l), withAlpha(kBlack, 0.45f));
    pen.mask(rim, kNavy);
    pen.mask(m.dilated(0.9f * l), withAlpha(kWhite, 0.95f));
    pen.mask(m, face);
}

}  // namespace

void paintTitle(Pen& pen, int, const Fonts& fonts) {
    Vec2 c = pen.centre();
    int l = pen.level();
    // "RUSH": large, slanted, hot colours, with speed lines trailing to the left.
    constexpr float kRushBaseline = 112, kRushCap = 50, kSlant = 0.22f;
    Mask rush = titleLine(pen, fonts.sansBold, "RUSH", c.x + 14, kRushBaseline, kRushCap, 2.0f, 1.0f)
                    .sheared(kSlant, (kRushBaseline - kRushCap / 2) * l);
    for (int i = 0; i < 3; ++i) {
        float y = kRushBaseline - 12 - i * 13.0f, x1 = 62 - i * 8.0f;
        auto line = segment({10.0f + i * 10, y}, {x1, y}, 2.6f - i * 0.4f);
        pen.fill(grow(line, 2.2f), kNavy);
        pen.fill(line, vertical(rgb(255, 250, 200), rgb(255, 140, 20), y - 3, y + 3));
    }
    paintWord(pen, rush, 4.5f, vertical(rgb(255, 248, 150), rgb(255, 60, 30), kRushBaseline - kRushCap, kRushBaseline));
    pen.mask(rush.minus(rush.shifted(0, int(3.0f * l))), withAlpha(kWhite, 0.55f));
    // "QUADRANT": cool colours across the top.
    constexpr float kQuadBaseline = 48, kQuadCap = 31;
    Mask quad = titleLine(pen, fonts.sansBold, "QUADRANT", c.x, kQuadBaseline, kQuadCap, 1.5f, 0.86f);
    paintWord(pen, quad, 4.0f, vertical(rgb(200, 255, 255), rgb(40, 120, 255), kQuadBaseline - kQuadCap, kQuadBaseline));
    pen.mask(quad.minus(quad.shifted(0, int(2.5f * l))), withAlpha(kWhite, 0.5f));
}

void paintMenuArt(Pen& pen, int frame, const Fonts&) {
    Vec2 c = pen.centre();
    switch (frame) {
        case 0: {  // a dialog panel with a header band
            auto panel = roundBox(c, {118, 100}, 14);
            pen.fill(grow(panel, 3), withAlpha(kNavy, 0.9f));
            pen.fill(panel, vertical(withAlpha(rgb(40, 60, 130), 0.92f), withAlpha(rgb(16, 24, 60), 0.92f), c.y - 100, c.y + 100));
            pen.fill(intersect(panel, [c](Vec2 p) { return p.y - (c.y - 66); }),
                     vertical(rgb(90, 170, 255), rgb(40, 90, 200), c.y - 100, c.y - 66));
            pen.fill(outline(grow(panel, -4), 0.8f), withAlpha(rgb(160, 200, 255), 0.6f));
            break;
        }
        case 1: {  // a ribbon banner with folded ends
            for (float s : {-1.0f, 1.0f}) {
                auto tail = polygon({c + Vec2{s * 84, -10}, c + Vec2{s * 120, -10}, c + Vec2{s * 106, 8},
                                     c + Vec2{s * 120, 26}, c + Vec2{s * 84, 26}});
                pen.fill(grow(tail, 2), kNavy);
                pen.fill(tail, rgb(160, 30, 40));
            }
            auto band = roundBox(c, {98, 22}, 4);
            pen.fill(grow(band, 2.5f), kNavy);
            pen.fill(band, vertical(rgb(255, 110, 100), rgb(190, 30, 40), c.y - 22, c.y + 22));
            pen.fill(outline(grow(band, -4), 0.8f), withAlpha(rgb(255, 220, 200), 0.7f));
            break;
        }
        case 2: {  // a sunburst for backgrounds
            constexpr int kRays = 16;
            pen.fill(circle(c, 124), [c](Vec2 p) {
                Vec2 d = p - c;
                float a = std::atan2(d.y, d.x) * kRays / (2 * kPi);
                float ray = 0.5f + 0.5f * std::cos(2 * kPi * a);
                float fade = 1.0f - clamp01(length(d) / 124);
                return withAlpha(kWhite, smoothstep(0.35f, 0.65f, ray) * fade * 0.6f);
            });
            pen.glow(circle(c, 8), withAlpha(kWhite, 0.8f), 40);
            break;
        }
        default: {  // four tiles in a quadrant, the game's emblem
            pen.glow(roundBox(c, {76, 76}, 20), withAlpha(rgb(120, 200, 255), 0.5f), 24);
            pen.fill(roundBox(c, {80, 80}, 22), withAlpha(kNavy, 0.9f));
            const int kinds[4] = {0, 2, 3, 6};
            for (int i = 0; i < 4; ++i) {
                Vec2 at = c + Vec2{(i % 2 ? 2.0f : -74.0f), (i / 2 ? 2.0f : -74.0f)};
                Pen tile = pen.sub(at, kTileCell, kTileCell, 72.0f / kTileCell);
                paintTileFace(tile, kinds[i]);
            }
            break;
        }
    }
}

const std::vector<int>& desktopIconSizes() {
    static const std::vector<int> kSizes = {16, 24, 32, 48, 64, 128, 256, 512};
    return kSizes;
}

namespace {

constexpr int kDetailedIconSize = 48;       // from this size on, the tiles show their full faces
constexpr float kIconUnits = 256.0f;        // the detailed drawing's units across
const int kIconKinds[4] = {0, 2, 3, 6};     // the four tiles, left to right, top to bottom

// The emblem with full tile faces, laid out in 256 units and drawn at the icon's own size.
Canvas detailedIcon(int size) {
    Canvas canvas(size, size);
    float ppu = size / kIconUnits;
    Pen pen(canvas, 0, 0, kIconUnits, kIconUnits, ppu);
    Vec2 c = pen.centre();
    auto back = roundBox(c, {120, 120}, 40);
    float rim = std::max(2.0f, 1.0f / ppu);  // never thinner than a pixel
    pen.fill(grow(back, rim), kNavy);
    pen.fill(back, vertical(rgb(50, 70, 160), rgb(20, 24, 70), c.y - 120, c.y + 120));
    pen.fill(intersect(back, circle(c + Vec2{0, -220}, 200)), withAlpha(kWhite, 0.12f), 1.0f);
    for (int i = 0; i < 4; ++i) {
        Vec2 at = c + Vec2{(i % 2 ? 3.0f : -93.0f), (i / 2 ? 3.0f : -93.0f)};
        Pen tile = pen.sub(at, kTileCell, kTileCell, 90.0f / kTileCell);
        paintTileFace(tile, kIconKinds[i]);
    }
    return canvas;
}

// The emblem on the pixel grid, for sizes where a tile is a handful of pixels: every tile
// edge falls on a pixel edge, so the tiles and the gaps between them stay crisp; each tile is
// one colour with a dark rim and a light top row, and from 24 pixels on carries its symbol.
Canvas pixelIcon(int size) {
    Canvas canvas(size, size);
    Pen pen(canvas, 0, 0, float(size), float(size), 1.0f);  // one unit is one pixel
    Vec2 c = pen.centre();
    const float half = size * 0.5f;
    pen.fill(roundBox(c, {half, half}, size * 0.2f), kNavy);
    pen.fill(roundBox(c, {half - 1, half - 1}, size * 0.2f - 1),
             vertical(rgb(50, 70, 160), rgb(20, 24, 70), 1, float(size - 1)));
    const int pad = std::max(2, int(std::lround(size / 10.0f)));  // edge to the first tile
    constexpr int kGap = 2;                                        // between two tiles
    const int side = (size - 2 * pad - kGap) / 2;
    for (int i = 0; i < 4; ++i) {
        const float x0 = float(pad + (i % 2) * (side + kGap)), y0 = float(pad + (i / 2) * (side + kGap));
        const Rgba base = tileColour(kIconKinds[i]);
        const Vec2 mid{x0 + side * 0.5f, y0 + side * 0.5f};
        const float h = side * 0.5f;
        pen.fill(roundBox(mid, {h, h}, 1.0f), lighten(base, -0.62f));
        pen.fill(roundBox(mid, {h - 1, h - 1}, 0.0f), lighten(base, -0.08f));
        pen.fill(roundBox({mid.x, y0 + 1.5f}, {h - 1, 0.5f}, 0.0f), lighten(base, 0.4f));
        if (size >= 24) {
            Pen cell = pen.sub({x0, y0}, kTileCell, kTileCell, side / kTileCell);
            Vec2 cc = cell.centre();
            cell.fill([&](Vec2 p) { return tileSymbolDistance(kIconKinds[i], cc, p); }, kWhite);
        }
    }
    return canvas;
}

}  // namespace

Canvas renderDesktopIcon(int size) { return size < kDetailedIconSize ? pixelIcon(size) : detailedIcon(size); }

}  // namespace assetgen
