// Interface pictures: round icons, the menu's difficulty badges and gear layers,
// the runtime's emblem, discs and the wheel ring, lights and the on-screen pad.
#include "art.h"
#include "shapes.h"

namespace assetgen {

namespace {

const Rgba kInk = rgb(34, 38, 56);          // dark symbols on light buttons
const Rgba kRimDark = rgb(22, 24, 38);      // outlines

// ----- icons (32 units) --------------------------------------------------------------

constexpr float kIconRadius = 13.0f;  // round icon button radius

void iconBody(Pen& pen) {
    Vec2 c = pen.centre();
    pen.fill(circle(c, kIconRadius + 1.3f), kRimDark);
    pen.fill(circle(c, kIconRadius), vertical(kWhite, rgb(196, 202, 220), c.y - kIconRadius, c.y + kIconRadius));
    pen.fill(intersect(outline(circle(c, kIconRadius - 1.4f), 0.5f), [c](Vec2 p) { return p.y - c.y; }),
             withAlpha(kWhite, 0.9f));
}

// A gear outline of n teeth, used by the icons and the menu gear.
auto gearShape(Vec2 c, float outer, float root, int teeth, float hole) {
    return [=](Vec2 p) {
        Vec2 d = p - c;
        float a = std::atan2(d.y, d.x) * teeth / (2 * kPi);
        float f = a - std::floor(a);                           // 0..1 within one tooth
        float tooth = smoothstep(0.15f, 0.3f, f) * (1 - smoothstep(0.65f, 0.8f, f));
        float r = root + (outer - root) * tooth;
        return std::max(length(d) - r, hole - length(d));
    };
}

void arrowIcon(Pen& pen, Vec2 dir) {
    iconBody(pen);
    Vec2 c = pen.centre(), side{dir.y, dir.x};
    pen.fill(segment(c - dir * 6.0f, c + dir * 1.0f, 1.6f), kInk);
    pen.fill(grow(polygon({c + dir * 7.0f, c + dir * 0.5f + side * 5.5f, c + dir * 0.5f - side * 5.5f}), 0.5f), kInk);
}

}  // namespace

void paintIcons(Pen& pen, int frame, const Fonts&) {
    Vec2 c = pen.centre();
    switch (frame) {
        case 0:  // pause
            iconBody(pen);
            for (float x : {-3.6f, 3.6f}) pen.fill(roundBox(c + Vec2{x, 0}, {2.3f, 6.5f}, 1.0f), kInk);
            break;
        case 1:  // quit: a cross
            iconBody(pen);
            pen.fill(segment(c + Vec2{-5.5f, -5.5f}, c + Vec2{5.5f, 5.5f}, 1.9f), rgb(70, 24, 30));
            pen.fill(segment(c + Vec2{5.5f, -5.5f}, c + Vec2{-5.5f, 5.5f}, 1.9f), rgb(70, 24, 30));
            break;
        case 2:  // options: a gear
            iconBody(pen);
            pen.fill(gearShape(c, 8.5f, 6.3f, 8, 2.6f), kInk);
            break;
        case 3:  // play / resume: a triangle
            iconBody(pen);
            pen.fill(grow(polygon({c + Vec2{-3.8f, -6.2f}, c + Vec2{7.0f, 0}, c + Vec2{-3.8f, 6.2f}}), 0.8f), kInk);
            break;
        case 4:  // sound: a speaker with waves
            iconBody(pen);
            pen.fill(polygon({c + Vec2{-7, -2.5f}, c + Vec2{-4, -2.5f}, c + Vec2{0.5f, -6.5f}, c + Vec2{0.5f, 6.5f},
                              c + Vec2{-4, 2.5f}, c + Vec2{-7, 2.5f}}),
                     kInk);
            for (float r : {3.5f, 6.5f})
                pen.fill(intersect(outline(circle(c + Vec2{0.5f, 0}, r), 0.8f),
                                   [c](Vec2 p) { return std::fabs(p.y - c.y) - (p.x - c.x - 0.5f) * 1.1f; }),
                         kInk);
            break;
        case 5:  // music: a pair of quavers
            iconBody(pen);
            pen.fill(circle(c + Vec2{-4.5f, 4.5f}, 2.4f), kInk);
            pen.fill(circle(c + Vec2{4.0f, 3.0f}, 2.4f), kInk);
            pen.fill(segment(c + Vec2{-2.4f, 4.5f}, c + Vec2{-2.4f, -5.5f}, 0.8f), kInk);
            pen.fill(segment(c + Vec2{6.1f, 3.0f}, c + Vec2{6.1f, -7.0f}, 0.8f), kInk);
            pen.fill(segment(c + Vec2{-2.4f, -5.5f}, c + Vec2{6.1f, -7.0f}, 1.3f), kInk);
            break;
        case 6:  // selection highlight: a bright ring around a button
            pen.glow(outline(circle(c, 14.0f), 1.0f), withAlpha(kWhite, 0.5f), 2.0f);
            pen.fill(outline(circle(c, 14.0f), 1.1f), kWhite);
            break;
        case 7:  // confirm: a tick
            iconBody(pen);
            pen.fill(segment(c + Vec2{-6, 0.5f}, c + Vec2{-2, 4.5f}, 1.7f), kInk);
            pen.fill(segment(c + Vec2{-2, 4.5f}, c + Vec2{6.5f, -5}, 1.7f), kInk);
            break;
        case 8: arrowIcon(pen, {-1, 0}); break;
        case 9: arrowIcon(pen, {1, 0}); break;
        case 10: arrowIcon(pen, {0, -1}); break;
        case 11: arrowIcon(pen, {0, 1}); break;
        case 12:  // star
            iconBody(pen);
            pen.fill(grow(polygon(starPoints(c + Vec2{0, 0.6f}, 8.5f, 3.8f, 5)), 0.4f), kInk);
            break;
        default:
            break;
    }
}

// ----- Buttons (64 units) --------------------------------------------------------------

namespace {

constexpr float kBadgeRadius = 25.0f;  // difficulty badge radius
constexpr int kDifficulties = 3;

const Rgba kDifficultyColours[kDifficulties] = {rgb(60, 200, 90), rgb(255, 170, 30), rgb(235, 50, 60)};

// Each difficulty has its own rim shape, so the wheel reads without colour too:
// Easy round, Normal an octagon, Hard a spiked star; and 1, 2 or 3 pips below.
float badgeDistance(int d, Vec2 c, Vec2 p) {
    switch (d) {
        case 0: return length(p - c) - kBadgeRadius;
        case 1: {
            static const auto oct = grow(polygon(regularPoints({0, 0}, kBadgeRadius - 2.0f, 8, 22.5f)), 1.5f);
            return oct(p - c);
        }
        default: {
            static const auto spikes = grow(polygon(starPoints({0, 0}, kBadgeRadius + 1.0f, kBadgeRadius - 4.5f, 12)), 0.8f);
            return spikes(p - c);
        }
    }
}

void paintDifficultyBadge(Pen& pen, int d, bool lit) {
    Vec2 c = pen.centre();
    Rgba base = kDifficultyColours[d];
    auto shape = [d, c](Vec2 p) { return badgeDistance(d, c, p); };
    if (lit) pen.glow(shape, withAlpha(lighten(base, 0.5f), 0.7f), 5.0f);
    pen.fill(grow(shape, 1.4f), kRimDark);
    pen.fill(shape, vertical(lighten(base, 0.45f), lighten(base, -0.35f), c.y - kBadgeRadius, c.y + kBadgeRadius));
    // A darker inner plate keeps the white difficulty name readable.
    auto plate = circle(c, kBadgeRadius - 5.5f);
    pen.fill(grow(plate, 0.8f), withAlpha(lighten(base, 0.7f), 0.8f));
    pen.fill(plate, radial(lighten(base, lit ? -0.35f : -0.5f), lighten(base, -0.7f), c - Vec2{0, 6}, 24));
    pen.fill(intersect(grow(plate, -1.0f), circle(c + Vec2{0, -30}, 26.5f)), withAlpha(kWhite, 0.18f));
    for (int i = 0; i <= d; ++i) {
        float x = (i - d * 0.5f) * 6.0f;
        auto pip = polygon(starPoints(c + Vec2{x, 13.0f}, 3.0f, 1.3f, 5));
        pen.fill(grow(pip, 0.7f), kRimDark);
        pen.fill(pip, rgb(255, 240, 150));
    }
}

// Gear layers turn against each other, so their shading is the same all round.
void paintGearLayer(Pen& pen, int layer) {
    Vec2 c = pen.centre();
    auto ringShade = [c](Rgba mid, float r0, float r1) {
        return [=](Vec2 p) {
            float t = clamp01((length(p - c) - r0) / (r1 - r0));
            return mix(lighten(mid, -0.35f), lighten(mid, 0.45f), 1 - std::fabs(t - 0.45f) * 2);
        };
    };
    switch (layer) {
        case 0: {  // outer toothed ring
            auto g = gearShape(c, 30.0f, 26.0f, 14, 20.6f);
            pen.fill(grow(g, 1.2f), kRimDark);
            pen.fill(g, ringShade(rgb(176, 186, 206), 20.6f, 30.0f));
            pen.fill(outline(circle(c, 23.3f), 0.5f), withAlpha(kRimDark, 0.5f));
            break;
        }
        case 1: {  // middle ring with six windows
            auto ring = [c](Vec2 p) {
                float d = std::fabs(length(p - c) - 16.3f) - 3.4f;
                for (int i = 0; i < 6; ++i) {
                    float a = radians(60.0f * i);
                    d = std::max(d, -(length(p - c - Vec2{std::sin(a) * 16.3f, -std::cos(a) * 16.3f}) - 1.6f));
                }
                return d;
            };
            pen.fill(grow(ring, 1.0f), kRimDark);
            pen.fill(ring, ringShade(rgb(238, 186, 70), 12.9f, 19.7f));
            break;
        }
        default: {  // hub: a small gear with a blue cap
            auto g = gearShape(c, 11.8f, 9.6f, 8, 0.0f);
            pen.fill(grow(g, 1.0f), kRimDark);
            pen.fill(g, ringShade(rgb(120, 160, 236), 0.0f, 11.8f));
            pen.fill(circle(c, 4.6f), kRimDark);
            pen.fill(circle(c, 3.6f), radial(rgb(210, 226, 255), rgb(70, 100, 190), c, 3.6f));
            break;
        }
    }
}

// The emblem of the game's own runtime: a mountain lake under a night sky.
void paintRuntimeEmblem(Pen& pen) {
    Vec2 c = pen.centre();
    constexpr float kR = 24.0f;
    auto disc = circle(c, kR);
    pen.fill(grow(disc, 2.6f), kRimDark);
    pen.fill(grow(disc, 1.6f), vertical(rgb(230, 236, 250), rgb(150, 160, 186), c.y - kR, c.y + kR));
    pen.fill(disc, vertical(rgb(22, 40, 96), rgb(60, 150, 200), c.y - kR, c.y + 4));
    auto inside = [disc](auto shape) { return intersect(shape, disc); };
    pen.fill(inside(circle(c + Vec2{9, -11}, 3.2f)), rgb(255, 244, 200));
    auto farPeak = polygon({c + Vec2{-26, 5}, c + Vec2{-8, -13}, c + Vec2{4, 0}, c + Vec2{14, -8}, c + Vec2{28, 5}});
    pen.fill(inside(farPeak), rgb(70, 90, 150));
    auto nearPeak = polygon({c + Vec2{-20, 5}, c + Vec2{-3, -16}, c + Vec2{14, 5}});
    pen.fill(inside(nearPeak), vertical(rgb(120, 130, 170), rgb(50, 60, 100), c.y - 16, c.y + 5));
    pen.fill(inside(polygon({c + Vec2{-3, -16}, c + Vec2{-7.5f, -10.5f}, c + Vec2{-4, -11.5f}, c + Vec2{-1.5f, -9.5f},
                             c + Vec2{1.2f, -11.3f}})),
             kWhite);
    // The lake and its reflection lines.
    auto lake = inside([c](Vec2 p) { return c.y + 5 - p.y; });
    pen.fill(lake, vertical(rgb(40, 120, 190), rgb(16, 40, 90), c.y + 5, c.y + kR));
    for (int i = 0; i < 3; ++i) {
        float y = c.y + 9 + i * 4.5f, hw = 9.0f - i * 2.5f;
        pen.fill(inside(segment(c + Vec2{-hw, y - c.y}, c + Vec2{hw, y - c.y}, 0.6f)), withAlpha(rgb(180, 220, 255), 0.8f));
    }
}

}  // namespace

void paintButtons(Pen& pen, int frame, const Fonts&) {
    if (frame < kDifficulties) paintDifficultyBadge(pen, frame, false);
    else if (frame < 2 * kDifficulties) paintDifficultyBadge(pen, frame - kDifficulties, true);
    else if (frame >= 8 && frame <= 10) paintGearLayer(pen, frame - 8);
    else if (frame == 12) paintRuntimeEmblem(pen);
}

// ----- discs and the wheel ring (256 units) ------------------------------------------------

void paintCircles(Pen& pen, int frame, const Fonts&) {
    Vec2 c = pen.centre();
    switch (frame) {
        case 0:  // hard disc
            pen.fill(circle(c, 120.0f), kWhite);
            break;
        case 1: {  // soft filled disc behind the menu gear: deep blue, fading at its edge
            pen.fill(circle(c, 121.0f), [c](Vec2 p) {
                float t = length(p - c) / 121.0f;
                return withAlpha(mix(rgb(40, 70, 150), rgb(12, 20, 60), t), 1.0f - smoothstep(0.55f, 1.0f, t));
            });
            break;
        }
        case 2: {  // soft glow
            pen.fill(circle(c, 122.0f), [c](Vec2 p) {
                float t = 1.0f - clamp01(length(p - c) / 122.0f);
                return withAlpha(kWhite, t * t);
            });
            break;
        }
        default: {  // the wheel's ring: a dark band with ticks, bright edges and an outer dotted track
            constexpr float kInner = 62.0f, kOuter = 88.0f, kTrack = 104.0f;
            auto band = [=](Vec2 p) { return std::fabs(length(p - c) - (kInner + kOuter) / 2) - (kOuter - kInner) / 2; };
            pen.fill(grow(band, 2.0f), withAlpha(kRimDark, 0.6f));
            pen.fill(band, radial(rgb(30, 50, 100), rgb(14, 22, 50), c, kOuter));
            for (float r : {kInner, kOuter}) pen.fill(outline(circle(c, r), 1.2f), rgb(200, 230, 255));
            // Eleven long ticks (close to the 32-degree item step, but even all round), three
            // short ones between each pair.
            constexpr int kMajor = 11, kMinorPerMajor = 4;
            for (int i = 0; i < kMajor * kMinorPerMajor; ++i) {
                bool major = i % kMinorPerMajor == 0;
                float a = radians(360.0f * i / (kMajor * kMinorPerMajor)), r0 = major ? kInner + 4 : kOuter - 8,
                      r1 = kOuter - 4;
                Vec2 d{std::sin(a), -std::cos(a)};
                pen.fill(segment(c + d * r0, c + d * r1, major ? 1.6f : 0.8f),
                         major ? rgb(255, 220, 110) : withAlpha(rgb(170, 200, 240), 0.8f));
            }
            for (int i = 0; i < 60; ++i) {
                float a = radians(6.0f * i);
                pen.fill(circle(c + Vec2{std::sin(a), -std::cos(a)} * kTrack, i % 5 == 0 ? 2.2f : 1.3f),
                         withAlpha(rgb(60, 90, 160), 0.85f));
            }
            break;
        }
    }
}

// ----- lights (32 units) ---------------------------------------------------------------------

void paintLights(Pen& pen, int frame, const Fonts&) {
    Vec2 c = pen.centre();
    switch (frame) {
        case 0:  // round glow
            pen.glow(circle(c, 1.0f), kWhite, 13.5f);
            break;
        case 1:  // four-ray flare
            pen.glow(circle(c, 1.0f), withAlpha(kWhite, 0.6f), 7.0f);
            pen.fill(polygon(starPoints(c, 14.0f, 1.4f, 4)), kWhite, 0.6f);
            break;
        case 2:  // ring of light
            pen.glow(outline(circle(c, 9.5f), 0.6f), kWhite, 4.5f);
            break;
        default:  // horizontal streak
            pen.glow(roundBox(c, {11.0f, 0.4f}, 0.4f), kWhite, 3.0f);
            pen.glow(circle(c, 1.0f), kWhite, 5.0f);
            break;
    }
}

// ----- on-screen pad (32 units) ----------------------------------------------------------------

namespace {

void padArrow(Pen& pen, Vec2 dir, bool pressed) {
    Vec2 c = pen.centre(), side{dir.y, dir.x};
    auto key = roundBox(c, {12.5f, 12.5f}, 4.0f);
    if (pressed) pen.glow(key, withAlpha(rgb(120, 220, 255), 0.6f), 2.5f);
    pen.fill(grow(key, 1.0f), withAlpha(kRimDark, 0.85f));
    pen.fill(key, pressed ? vertical(rgb(150, 230, 255), rgb(40, 150, 230), c.y - 12, c.y + 12)
                          : vertical(rgb(110, 116, 140), rgb(52, 56, 76), c.y - 12, c.y + 12));
    pen.fill(grow(polygon({c + dir * 7.5f, c - dir * 3.5f + side * 7.0f, c - dir * 3.5f - side * 7.0f}), 0.8f),
             pressed ? kWhite : rgb(220, 224, 236));
}

void padButton(Pen& pen, Rgba colour, const char* letter, bool pressed, const Fonts& fonts) {
    Vec2 c = pen.centre();
    auto body = circle(c, 12.5f);
    if (pressed) pen.glow(body, withAlpha(lighten(colour, 0.5f), 0.7f), 2.5f);
    pen.fill(grow(body, 1.2f), kRimDark);
    pen.fill(body, radial(lighten(colour, pressed ? 0.6f : 0.3f), lighten(colour, pressed ? 0.0f : -0.35f),
                          c - Vec2{3, 4}, 16));
    Mask m = pen.blankMask();
    int l = pen.level();
    float em = 13.0f / fonts.sansBold.capHeight(1.0f) * l;
    InkBox box = fonts.sansBold.ink(letter[0], em);
    fonts.sansBold.drawText(m, letter, c.x * l - (box.x0 + box.x1) / 2, c.y * l + box.height() / 2, em);
    pen.mask(m.dilated(0.8f * l), withAlpha(lighten(colour, -0.6f), 0.9f));
    pen.mask(m, kWhite);
}

}  // namespace

void paintPad(Pen& pen, int frame, const Fonts& fonts) {
    Vec2 c = pen.centre();
    static const Vec2 kDirs[4] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    if (frame == 0) {  // the pad's base: a dark disc with a cross
        pen.fill(circle(c, 14.5f), withAlpha(kRimDark, 0.55f));
        auto cross = unite(roundBox(c, {11.5f, 4.2f}, 1.5f), roundBox(c, {4.2f, 11.5f}, 1.5f));
        pen.fill(grow(cross, 1.0f), kRimDark);
        pen.fill(cross, vertical(rgb(120, 126, 150), rgb(56, 60, 80), c.y - 11, c.y + 11));
        pen.fill(circle(c, 2.2f), rgb(36, 38, 54));
    } else if (frame <= 4) {
        padArrow(pen, kDirs[frame - 1], false);
    } else if (frame <= 8) {
        padArrow(pen, kDirs[frame - 5], true);
    } else if (frame <= 12) {
        bool pressed = (frame - 9) % 2 == 1;
        bool second = frame >= 11;
        padButton(pen, second ? rgb(230, 60, 60) : rgb(70, 200, 80), second ? "B" : "A", pressed, fonts);
    } else if (frame == 13) {  // stick base
        pen.fill(circle(c, 14.5f), withAlpha(kRimDark, 0.5f));
        pen.fill(outline(circle(c, 13.0f), 1.0f), withAlpha(rgb(200, 210, 240), 0.9f));
    } else if (frame == 14) {  // stick knob
        pen.fill(circle(c, 9.5f), kRimDark);
        pen.fill(circle(c, 8.5f), radial(rgb(230, 234, 246), rgb(120, 126, 150), c - Vec2{2.5f, 3}, 12));
    }
}

}  // namespace assetgen
