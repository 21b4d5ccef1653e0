// "BadgesA": 64 badge icons, each a different pairing of medal shape, metal colour
// and symbol, so any badge the game names has a picture of its own.
#include "art.h"
#include "shapes.h"

namespace assetgen {

namespace {

constexpr int kSymbols = 8;
constexpr int kMetals = 8;
constexpr int kShapes = 4;
constexpr float kMedal = 24.0f;  // medal radius, clear of the 64-unit cell's edge

const Rgba kMetalColours[kMetals] = {rgb(255, 200, 40),  rgb(200, 210, 226), rgb(214, 130, 70), rgb(230, 50, 80),
                                     rgb(50, 200, 110),  rgb(60, 130, 245),  rgb(170, 90, 240), rgb(40, 200, 200)};
const Rgba kDark = rgb(20, 22, 40);

float medalDistance(int shape, Vec2 c, Vec2 p) {
    switch (shape) {
        case 0: return length(p - c) - kMedal;
        case 1: {  // shield
            static const auto shield = grow(polygon({{-19, -21}, {19, -21}, {19, 2}, {0, 23}, {-19, 2}}), 2.5f);
            return shield(p - c);
        }
        case 2: {  // hexagon
            static const auto hex = grow(polygon(regularPoints({0, 0}, kMedal - 2, 6, 30)), 2.0f);
            return hex(p - c);
        }
        default: {  // rosette
            static const auto rosette = grow(polygon(starPoints({0, 0}, kMedal + 1, kMedal - 4, 16)), 1.0f);
            return rosette(p - c);
        }
    }
}

void paintSymbol(Pen& pen, int symbol, Vec2 c, Rgba ink) {
    switch (symbol) {
        case 0: pen.fill(grow(polygon(starPoints(c + Vec2{0, 1}, 12, 5, 5)), 0.5f), ink); break;
        case 1:  // lightning bolt
            pen.fill(grow(polygon({c + Vec2{3, -13}, c + Vec2{-7, 2}, c + Vec2{-1, 2}, c + Vec2{-4, 13}, c + Vec2{7, -3},
                                   c + Vec2{1, -3}}),
                          0.5f),
                     ink);
            break;
        case 2: pen.fill(polygon(heartPoints(c + Vec2{0, 1}, 23)), ink); break;
        case 3:  // crown
            pen.fill(grow(polygon({c + Vec2{-11, 8}, c + Vec2{-12, -7}, c + Vec2{-5, 0}, c + Vec2{0, -10}, c + Vec2{5, 0},
                                   c + Vec2{12, -7}, c + Vec2{11, 8}}),
                          0.6f),
                     ink);
            break;
        case 4:  // clock
            pen.fill(outline(circle(c, 10), 1.8f), ink);
            pen.fill(segment(c, c + Vec2{0, -7}, 1.3f), ink);
            pen.fill(segment(c, c + Vec2{5, 2}, 1.3f), ink);
            break;
        case 5:  // tick
            pen.fill(segment(c + Vec2{-9, 0}, c + Vec2{-3, 7}, 2.4f), ink);
            pen.fill(segment(c + Vec2{-3, 7}, c + Vec2{10, -8}, 2.4f), ink);
            break;
        case 6: {  // flame
            auto outer = unite(circle(c + Vec2{0, 4}, 8), polygon({c + Vec2{-7.5f, 2}, c + Vec2{1, -14}, c + Vec2{7.5f, 2}}));
            pen.fill(outer, ink);
            break;
        }
        default:  // cup
            pen.fill(intersect(circle(c + Vec2{0, -6}, 10), [c](Vec2 p) { return (c.y - 8) - p.y; }), ink);
            pen.fill(roundBox(c + Vec2{0, 5}, {2, 5}, 1), ink);
            pen.fill(roundBox(c + Vec2{0, 11}, {7, 2}, 1), ink);
            pen.fill(outline(circle(c + Vec2{-10, -5}, 4), 1.2f), ink);
            pen.fill(outline(circle(c + Vec2{10, -5}, 4), 1.2f), ink);
            break;
    }
}

}  // namespace

void paintBadges(Pen& pen, int frame, const Fonts&) {
    Vec2 c = pen.centre();
    int symbol = frame % kSymbols;
    int metal = (frame + frame / kSymbols) % kMetals;
    int shape = (frame / kSymbols) % kShapes;
    Rgba base = kMetalColours[metal];
    auto medal = [shape, c](Vec2 p) { return medalDistance(shape, c, p); };
    pen.fill(grow(medal, 1.6f), kDark);
    pen.fill(medal, vertical(lighten(base, 0.5f), lighten(base, -0.35f), c.y - kMedal, c.y + kMedal));
    auto face = grow(medal, -4.0f);
    pen.fill(face, radial(lighten(base, -0.15f), lighten(base, -0.55f), c - Vec2{0, 6}, 26));
    pen.fill(outline(face, 0.6f), withAlpha(lighten(base, 0.7f), 0.8f));
    paintSymbol(pen, symbol, c + Vec2{0, 1.2f}, withAlpha(kDark, 0.6f));
    paintSymbol(pen, symbol, c, lighten(base, 0.8f));
    pen.fill(intersect(face, circle(c + Vec2{0, -34}, 26)), withAlpha(kWhite, 0.2f));
}

}  // namespace assetgen
