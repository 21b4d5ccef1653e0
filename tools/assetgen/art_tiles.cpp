// The board picture "gfx": the seven tile faces (each its own colour and its own
// symbol, so colour-blind players can tell them apart) and the two cursor animations.
#include "art.h"
#include "shapes.h"

namespace assetgen {

namespace {

constexpr int kTileKinds = 7;          // frames 0..6
constexpr int kGrabFirst = 35;         // grab cursor, 7 frames
constexpr int kIdleFirst = 42;         // idle cursor, 7 frames
constexpr int kCursorFrames = 7;
constexpr float kTileHalf = 16.4f;     // tile half size: a 34-unit face with a clear border
constexpr float kTileRadius = 6.0f;    // tile corner radius
constexpr float kRimWidth = 1.3f;      // dark rim around the tile
constexpr float kSymbolShadow = 1.0f;  // drop of the symbol's shadow, units

// Tile colours, in the order of the game's palette (red, orange, yellow, green, cyan,
// blue, purple), so a tile's shards and its face agree.
const Rgba kTileColours[kTileKinds] = {rgb(232, 44, 52),  rgb(255, 136, 24), rgb(255, 214, 30), rgb(52, 196, 72),
                                       rgb(30, 200, 220), rgb(48, 96, 240),  rgb(156, 64, 232)};

// The symbol of each kind, as a distance function around the cell centre c.
float symbolDistance(int kind, Vec2 c, Vec2 p) {
    switch (kind) {
        case 0: {  // heart
            static const auto heart = polygon(heartPoints({0, 0}, 20.5f));
            return heart(p - c - Vec2{0, 0.5f});
        }
        case 1: {  // triangle pointing up, corners rounded
            static const auto tri = grow(polygon(regularPoints({0, 1.6f}, 9.4f, 3)), 1.4f);
            return tri(p - c);
        }
        case 2: {  // five-pointed star
            static const auto star = grow(polygon(starPoints({0, 0.8f}, 11.0f, 4.8f, 5)), 0.5f);
            return star(p - c);
        }
        case 3: {  // tall diamond
            static const auto diamond = grow(polygon({{0, -10.0f}, {7.2f, 0}, {0, 10.0f}, {-7.2f, 0}}), 0.8f);
            return diamond(p - c);
        }
        case 4: {  // ring
            return std::fabs(length(p - c) - 6.6f) - 2.9f;
        }
        case 5: {  // crescent moon
            float outer = length(p - c) - 9.5f;
            float bite = length(p - c - Vec2{4.6f, -3.2f}) - 7.6f;
            return std::max(outer, -bite);
        }
        default: {  // plus
            static const auto plus = unite(roundBox({0, 0}, {9.5f, 3.3f}, 1.2f), roundBox({0, 0}, {3.3f, 9.5f}, 1.2f));
            return plus(p - c);
        }
    }
}

}  // namespace

Rgba tileColour(int kind) { return kTileColours[kind]; }
float tileSymbolDistance(int kind, Vec2 c, Vec2 p) { return symbolDistance(kind, c, p); }

void paintTileFace(Pen& pen, int kind) {
    Vec2 c = pen.centre();
    Rgba base = kTileColours[kind];
    auto face = roundBox(c, {kTileHalf, kTileHalf}, kTileRadius);
    auto body = roundBox(c, {kTileHalf - kRimWidth, kTileHalf - kRimWidth}, kTileRadius - kRimWidth);
    pen.fill(face, lighten(base, -0.62f));
    pen.fill(body, vertical(lighten(base, 0.32f), lighten(base, -0.28f), c.y - kTileHalf, c.y + kTileHalf));
    // A bevel: light along the top and left, shade along the bottom and right.
    auto bevel = outline(grow(body, -1.0f), 0.7f);
    pen.fill(intersect(bevel, [c](Vec2 p) { return (p.y - c.y) + (p.x - c.x) * 0.6f; }), withAlpha(kWhite, 0.45f));
    pen.fill(intersect(bevel, [c](Vec2 p) { return -((p.y - c.y) + (p.x - c.x) * 0.6f); }),
             withAlpha(kBlack, 0.22f));
    // Gloss over the upper half.
    auto gloss = intersect(grow(body, -2.2f), circle(c + Vec2{0, -27.0f}, 22.5f));
    pen.fill(gloss, [c](Vec2 p) { return withAlpha(kWhite, 0.34f - 0.2f * clamp01((p.y - c.y + 14) / 10)); }, 0.6f);
    // The symbol: soft shadow, dark outline, then a white face with a hint of the tile's colour.
    auto symbol = [kind, c](Vec2 p) { return symbolDistance(kind, c, p); };
    pen.fill([&](Vec2 p) { return symbol(p - Vec2{0, kSymbolShadow}) - 1.0f; }, withAlpha(lighten(base, -0.75f), 0.5f),
             1.0f);
    pen.fill(grow(symbol, 1.1f), lighten(base, -0.6f));
    pen.fill(symbol, vertical(kWhite, mix(kWhite, base, 0.28f), c.y - 10, c.y + 10));
}

namespace {

// Idle cursor: four bright corner brackets that breathe.
void paintIdleCursor(Pen& pen, int step) {
    Vec2 c = pen.centre();
    float phase = 2 * kPi * step / kCursorFrames;
    // Everything stays inside 17.5 units of the centre, clear of the neighbouring cells.
    float e = 15.2f + 0.45f * std::sin(phase);
    constexpr float kArm = 7.5f, kHalfWidth = 1.2f;
    auto brackets = [=](Vec2 p) {
        Vec2 q{std::fabs(p.x - c.x), std::fabs(p.y - c.y)};  // fold into one corner
        Vec2 corner{e, e};
        float a = segment(corner, corner - Vec2{kArm, 0}, kHalfWidth)(q);
        float b = segment(corner, corner - Vec2{0, kArm}, kHalfWidth)(q);
        return std::min(a, b);
    };
    pen.glow(brackets, withAlpha(rgb(255, 240, 120), 0.35f + 0.2f * std::sin(phase)), 3.0f);
    pen.fill(grow(brackets, 0.6f), withAlpha(rgb(20, 20, 40), 0.75f));
    pen.fill(brackets, vertical(kWhite, rgb(255, 236, 140), c.y - e, c.y + e));
}

// Grab cursor: a hot outline whose bright dashes march around the tile.
void paintGrabCursor(Pen& pen, int step) {
    Vec2 c = pen.centre();
    constexpr float kHalf = 15.5f, kHalfWidth = 1.3f, kDashes = 8;
    auto ring = outline(roundBox(c, {kHalf, kHalf}, kTileRadius), kHalfWidth);
    float shift = float(step) / kCursorFrames;
    pen.glow(ring, withAlpha(rgb(255, 120, 20), 0.55f), 3.0f);
    pen.fill(grow(ring, 0.6f), withAlpha(rgb(40, 10, 0), 0.8f));
    pen.fill(ring, [=](Vec2 p) {
        float turn = (std::atan2(p.y - c.y, p.x - c.x) / (2 * kPi) + 0.5f) * kDashes + shift;
        float dash = 0.5f + 0.5f * std::cos(2 * kPi * turn);
        return mix(rgb(255, 110, 20), rgb(255, 250, 200), smoothstep(0.3f, 0.8f, dash));
    });
    for (Vec2 k : {Vec2{-1, -1}, Vec2{1, -1}, Vec2{-1, 1}, Vec2{1, 1}}) {
        Vec2 stud = c + k * (kHalf - 2.2f);
        pen.fill(circle(stud, 2.2f), rgb(60, 20, 0));
        pen.fill(circle(stud, 1.5f), kWhite);
    }
}

}  // namespace

void paintTiles(Pen& pen, int frame, const Fonts&) {
    if (frame < kTileKinds) paintTileFace(pen, frame);
    else if (frame >= kGrabFirst && frame < kGrabFirst + kCursorFrames) paintGrabCursor(pen, frame - kGrabFirst);
    else if (frame >= kIdleFirst && frame < kIdleFirst + kCursorFrames) paintIdleCursor(pen, frame - kIdleFirst);
}

}  // namespace assetgen
