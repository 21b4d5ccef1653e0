// The two bitmap fonts: the game's shadowed glyph run (text plus controller and
// keyboard button glyphs) and the runtime's plain default font strip.
#include "art.h"
#include "shapes.h"

#include "game/glyph_spacing.h"

#include <algorithm>

namespace assetgen {

namespace {

// Layout the game's text drawer expects from the glyph run. Each frame is drawn centred
// on the pen, and the pen then advances by the glyph's advance, so a glyph owns the
// columns from kSlotLeft to kSlotLeft + its advance of its 16-unit cell: whatever it
// inks outside them (face, rim or shadow) would overlap its neighbour.
constexpr int kFirstChar = 32;        // frame n shows character n + 32
constexpr int kLastTextFrame = 94;    // character 126; frame 95 (DEL) stays empty
constexpr float kAdvance = 7.0f;      // units the text drawer advances per glyph
constexpr float kSlotLeft = 3.0f;     // units of the cell left of a glyph's slot (the pen is at 8)
constexpr float kNumberRoom = 6.0f;   // ink width of digits and the space: a score's last digit
                                      // then ends one unit right of its pen
constexpr float kButtonAdvance = 11;  // advance of a button glyph (7 + its spacing of 4)
constexpr float kCapHeight = 9.0f;    // capital height in units (lines are 10 high)
constexpr float kBaseline = 12.25f;   // baseline in units from the cell top
constexpr float kSqueeze = 0.72f;     // horizontal squeeze of the face, for 7-unit glyphs
constexpr float kOutline = 0.5f;      // dark rim around each glyph, units
constexpr float kShadowX = 0.5f;      // drop shadow offset right, units (whole pixels only)
constexpr float kShadowY = 1.0f;      // and down
constexpr float kFaint = 1.0f / 255;  // coverage that still shows in the picture
constexpr float kSqueezeStep = 0.96f; // the next narrower face tried when one does not fit
constexpr float kLeastSqueeze = 0.25f; // below this the last face tried is clipped to its room
constexpr int kPlacements = 4;        // sub-pixel placements tried for each squeeze
constexpr float kSmallGamma = 0.6f;   // coverage curve that firms up level-1 strokes
const Rgba kShadow = rgb(0, 0, 24, 0.8f);
const Rgba kRim = rgb(10, 10, 30, 0.9f);

// Units of its slot a character's ink may cover, from the slot's left edge. Digits and
// the space take one unit less than their advance, so right-aligned numbers end clear of
// the screen edge they are aligned to.
float inkRoom(int c) {
    float advance = kAdvance + GlyphSpacing(c);
    return (c == ' ' || (c >= '0' && c <= '9')) ? std::min(advance, kNumberRoom) : advance;
}

// Centre of a slot of the given advance across its cell, in units.
float slotCentreX(float advance) { return kSlotLeft + advance / 2; }

// A glyph's three layers: soft drop shadow, dark rim and the white face.
struct GlyphLayers {
    Mask shadow, rim, face;
};

// At level 1 strokes are one or two pixels wide, and their part-covered edges would mix
// with the rim into grey, so there the face is firmed up first.
GlyphLayers shadowLayers(const Mask& glyph, int level) {
    Mask face = level == 1 ? glyph.firmed(kSmallGamma) : glyph;
    Mask rim = face.dilated(kOutline * level);
    Mask shadow = rim.shifted(int(kShadowX * level), int(kShadowY * level)).blurred(level / 2);
    return {shadow, rim, face};
}

// The columns [x0, x1] where any layer shows; x1 < x0 when none does.
void inkColumns(const GlyphLayers& g, int* x0, int* x1) {
    *x0 = g.face.width();
    *x1 = -1;
    for (int y = 0; y < g.face.height(); ++y)
        for (int x = 0; x < g.face.width(); ++x)
            if (std::max({g.shadow.get(x, y), g.rim.get(x, y), g.face.get(x, y)}) >= kFaint) {
                *x0 = std::min(*x0, x);
                *x1 = std::max(*x1, x);
            }
}

// Clears every column outside [x0, x1) of a mask.
Mask keepColumns(const Mask& m, int x0, int x1) {
    Mask out(m.width(), m.height());
    for (int y = 0; y < m.height(); ++y)
        for (int x = std::max(0, x0); x < std::min(m.width(), x1); ++x) out.set(x, y, m.get(x, y));
    return out;
}

void paintTextGlyph(Pen& pen, int c, const Fonts& fonts) {
    const Typeface& face = fonts.sansBold;
    const int l = pen.level();
    const float em = kCapHeight / face.capHeight(1.0f) * l;
    const int roomLeft = int(std::lround(kSlotLeft * l));
    const int roomPx = int(std::lround(inkRoom(c) * l));
    const float centre = (kSlotLeft + inkRoom(c) / 2) * l;

    // The widest face whose face, rim and shadow together fit the room: squeezes are
    // tried from the face's own width down, each at a few sub-pixel placements, since
    // where the stems fall on the pixel grid decides how far the rim spreads.
    GlyphLayers layers{pen.blankMask(), pen.blankMask(), pen.blankMask()};
    int x0 = 0, x1 = -1;
    bool fits = false;
    for (float squeeze = kSqueeze; !fits && squeeze >= kLeastSqueeze; squeeze *= kSqueezeStep) {
        InkBox box = face.ink(c, em, squeeze);
        for (int k = 0; k < kPlacements && !fits; ++k) {
            Mask m = pen.blankMask();
            float x = std::floor(centre - box.width() / 2) + float(k) / kPlacements - box.x0;
            face.drawGlyph(m, c, x, kBaseline * l, em, squeeze);
            layers = shadowLayers(m, l);
            inkColumns(layers, &x0, &x1);
            fits = x1 - x0 + 1 <= roomPx;
        }
    }
    // Centre the ink in its room by whole pixels, and keep nothing outside the room.
    if (x1 >= x0) {
        int shift = roomLeft + (roomPx - (x1 - x0 + 1)) / 2 - x0;
        layers.shadow = layers.shadow.shifted(shift, 0);
        layers.rim = layers.rim.shifted(shift, 0);
        layers.face = layers.face.shifted(shift, 0);
    }
    pen.mask(keepColumns(layers.shadow, roomLeft, roomLeft + roomPx), kShadow);
    pen.mask(keepColumns(layers.rim, roomLeft, roomLeft + roomPx), kRim);
    pen.mask(keepColumns(layers.face, roomLeft, roomLeft + roomPx), kWhite);
}

// ----- button glyphs -------------------------------------------------------------

enum class Pad { Neutral, Up, Down, Left, Right };

Vec2 buttonCentre(const Pen& pen) { return {slotCentreX(kButtonAdvance), pen.centre().y}; }

// Text whose ink is centred on c, with capital height h units, as a mask.
Mask letterMask(const Pen& pen, const Typeface& face, const std::string& text, Vec2 c, float h) {
    int l = pen.level();
    float em = h / face.capHeight(1.0f) * l;
    float w = face.textWidth(text, em);
    float inkLeft = face.ink(text.front(), em).x0;
    float inkRight = w - face.advance(text.back(), em) + face.ink(text.back(), em).x1;
    Mask m = pen.blankMask();
    face.drawText(m, text, c.x * l - (inkLeft + inkRight) / 2, c.y * l + face.capHeight(em) / 2, em);
    return m;
}

void faceButton(Pen& pen, const Fonts& fonts, const char* letter, Rgba colour) {
    Vec2 c = buttonCentre(pen);
    pen.fill(grow(circle(c, 5.5f), 0.6f), kRim);
    pen.fill(circle(c, 5.5f), radial(lighten(colour, 0.35f), lighten(colour, -0.3f), c - Vec2{1.5f, 2}, 8));
    pen.fill(outline(circle(c, 4.6f), 0.3f), withAlpha(kWhite, 0.35f));
    Mask m = letterMask(pen, fonts.sansBold, letter, c, 5.5f);
    pen.mask(m.dilated(0.4f * pen.level()), withAlpha(lighten(colour, -0.6f), 0.9f));
    pen.mask(m, kWhite);
}

void shoulderButton(Pen& pen, const Fonts& fonts, const char* letter, bool lit) {
    Vec2 c = buttonCentre(pen);
    auto body = roundBox(c, {5.5f, 3.8f}, 2.2f);
    pen.fill(grow(body, 0.6f), kRim);
    Rgba top = lit ? kWhite : rgb(150, 155, 175), bottom = lit ? rgb(255, 240, 160) : rgb(70, 72, 92);
    pen.fill(body, vertical(top, bottom, c.y - 4, c.y + 4));
    if (lit) {
        pen.glow(body, withAlpha(rgb(255, 250, 200), 0.5f), 2.0f);
        return;
    }
    Mask m = letterMask(pen, fonts.sansBold, letter, c, 5.0f);
    pen.mask(m, kWhite);
}

void pillButton(Pen& pen, bool start) {
    Vec2 c = buttonCentre(pen);
    auto body = roundBox(c, {5.0f, 3.3f}, 3.3f);
    pen.fill(grow(body, 0.6f), kRim);
    pen.fill(body, vertical(rgb(120, 124, 140), rgb(55, 58, 72), c.y - 3.5f, c.y + 3.5f));
    if (start) {
        for (int i = -1; i <= 1; ++i)
            pen.fill(segment(c + Vec2{-2.2f, i * 1.5f}, c + Vec2{2.2f, i * 1.5f}, 0.45f), kWhite);
    } else {
        pen.fill(polygon({c + Vec2{-2.6f, 0}, c + Vec2{1.8f, -2.2f}, c + Vec2{1.8f, 2.2f}}), kWhite);
    }
}

// A plus-shaped pad with one arm lit (or none).
void padGlyph(Pen& pen, Pad lit) {
    Vec2 c = buttonCentre(pen);
    constexpr float kArm = 5.5f, kHalf = 1.9f;
    auto cross = unite(roundBox(c, {kArm, kHalf}, 0.8f), roundBox(c, {kHalf, kArm}, 0.8f));
    pen.fill(grow(cross, 0.6f), kRim);
    pen.fill(cross, vertical(rgb(120, 124, 140), rgb(50, 52, 66), c.y - kArm, c.y + kArm));
    pen.fill(circle(c, 1.0f), rgb(35, 36, 48));
    if (lit == Pad::Neutral) return;
    Vec2 dir = lit == Pad::Up ? Vec2{0, -1} : lit == Pad::Down ? Vec2{0, 1} : lit == Pad::Left ? Vec2{-1, 0} : Vec2{1, 0};
    Vec2 side{dir.y, dir.x};
    Vec2 armC = c + dir * 3.6f;
    auto arm = roundBox(armC, {std::fabs(dir.x) * 1.9f + std::fabs(dir.y) * kHalf,
                               std::fabs(dir.y) * 1.9f + std::fabs(dir.x) * kHalf}, 0.8f);
    pen.glow(arm, withAlpha(rgb(255, 240, 120), 0.6f), 2.0f);
    pen.fill(arm, rgb(255, 236, 90));
    Vec2 tip = c + dir * 5.0f;
    pen.fill(polygon({tip, c + dir * 2.8f + side * 1.3f, c + dir * 2.8f - side * 1.3f}), rgb(90, 60, 0));
}

// A keyboard key: a light cap with a darker front lip.
void keycap(Pen& pen, Rgba faceTop, Rgba faceBottom) {
    Vec2 c = buttonCentre(pen);
    auto cap = roundBox(c, {5.3f, 5.6f}, 1.6f);
    pen.fill(grow(cap, 0.6f), kRim);
    pen.fill(cap, rgb(120, 122, 140));
    auto top = roundBox(c - Vec2{0, 0.9f}, {4.4f, 4.4f}, 1.2f);
    pen.fill(top, vertical(faceTop, faceBottom, c.y - 5, c.y + 4));
}

void keycapLetter(Pen& pen, const Fonts& fonts, const std::string& text) {
    keycap(pen, rgb(250, 250, 252), rgb(205, 208, 220));
    Vec2 c = buttonCentre(pen) - Vec2{0, 0.9f};
    float h = text.size() == 1 ? 5.2f : 3.2f;
    Mask m = letterMask(pen, text.size() == 1 ? fonts.sansBold : fonts.sans, text, c, h);
    pen.mask(m, rgb(25, 26, 40));
}

// An arrow from the cap's centre pointing along dir.
void keycapArrow(Pen& pen, Vec2 dir) {
    keycap(pen, rgb(250, 250, 252), rgb(205, 208, 220));
    Vec2 c = buttonCentre(pen) - Vec2{0, 0.9f};
    Vec2 side{dir.y, dir.x};
    Rgba ink = rgb(25, 26, 40);
    pen.fill(segment(c - dir * 2.6f, c + dir * 0.5f, 0.55f), ink);
    pen.fill(polygon({c + dir * 3.0f, c + dir * 0.2f + side * 2.0f, c + dir * 0.2f - side * 2.0f}), ink);
}

void keycapAllArrows(Pen& pen) {
    keycap(pen, rgb(250, 250, 252), rgb(205, 208, 220));
    Vec2 c = buttonCentre(pen) - Vec2{0, 0.9f};
    Rgba ink = rgb(25, 26, 40);
    for (Vec2 dir : {Vec2{0, -1}, Vec2{0, 1}, Vec2{-1, 0}, Vec2{1, 0}}) {
        Vec2 side{dir.y, dir.x};
        pen.fill(polygon({c + dir * 3.3f, c + dir * 1.5f + side * 1.4f, c + dir * 1.5f - side * 1.4f}), ink);
    }
    pen.fill(circle(c, 0.8f), ink);
}

void keycapEnter(Pen& pen) {
    keycap(pen, rgb(250, 250, 252), rgb(205, 208, 220));
    Vec2 c = buttonCentre(pen) - Vec2{0, 0.9f};
    Rgba ink = rgb(25, 26, 40);
    pen.fill(segment(c + Vec2{2.4f, -2.6f}, c + Vec2{2.4f, 0.8f}, 0.55f), ink);
    pen.fill(segment(c + Vec2{2.4f, 0.8f}, c + Vec2{-1.0f, 0.8f}, 0.55f), ink);
    pen.fill(polygon({c + Vec2{-3.2f, 0.8f}, c + Vec2{-0.8f, -1.3f}, c + Vec2{-0.8f, 2.9f}}), ink);
}

void litKeycap(Pen& pen) {
    Vec2 c = buttonCentre(pen);
    pen.glow(roundBox(c, {5.3f, 5.6f}, 1.6f), withAlpha(rgb(255, 250, 190), 0.7f), 2.0f);
    keycap(pen, kWhite, rgb(255, 240, 150));
}

void litFaceButton(Pen& pen) {
    Vec2 c = buttonCentre(pen);
    pen.glow(circle(c, 5.5f), withAlpha(rgb(255, 250, 200), 0.7f), 2.0f);
    pen.fill(grow(circle(c, 5.5f), 0.6f), kRim);
    pen.fill(circle(c, 5.5f), radial(kWhite, rgb(255, 236, 140), c, 6));
}

// Frames 96..110 (controller) and 112..126 (keyboard) in the order of the text
// drawer's button letters: four face buttons, two shoulders, three further buttons,
// the pad's four directions, then the flashing face and shoulder variants.
constexpr int kControllerFirst = 96;
constexpr int kKeyboardFirst = 112;
constexpr int kButtonCount = 15;

void paintButtonGlyph(Pen& pen, int index, bool keyboard, const Fonts& fonts) {
    if (!keyboard) {
        switch (index) {
            case 0: return faceButton(pen, fonts, "A", rgb(70, 200, 80));
            case 1: return faceButton(pen, fonts, "B", rgb(230, 60, 60));
            case 2: return faceButton(pen, fonts, "X", rgb(60, 120, 240));
            case 3: return faceButton(pen, fonts, "Y", rgb(240, 190, 30));
            case 4: return shoulderButton(pen, fonts, "L", false);
            case 5: return shoulderButton(pen, fonts, "R", false);
            case 6: return pillButton(pen, false);
            case 7: return pillButton(pen, true);
            case 8: return padGlyph(pen, Pad::Neutral);
            case 9: return padGlyph(pen, Pad::Up);
            case 10: return padGlyph(pen, Pad::Down);
            case 11: return padGlyph(pen, Pad::Left);
            case 12: return padGlyph(pen, Pad::Right);
            case 13: return litFaceButton(pen);
            default: return shoulderButton(pen, fonts, "", true);
        }
    }
    // The keys of the keyboard map for the same logical buttons.
    static const char* const kLetters[] = {"Z", "X", "C", "V", "B", "N"};
    if (index < 6) return keycapLetter(pen, fonts, kLetters[index]);
    switch (index) {
        case 6: return keycapLetter(pen, fonts, "Esc");
        case 7: return keycapEnter(pen);
        case 8: return keycapAllArrows(pen);
        case 9: return keycapArrow(pen, {0, -1});
        case 10: return keycapArrow(pen, {0, 1});
        case 11: return keycapArrow(pen, {-1, 0});
        case 12: return keycapArrow(pen, {1, 0});
        default: return litKeycap(pen);
    }
}

}  // namespace

void paintGlyphs(Pen& pen, int frame, const Fonts& fonts) {
    if (frame >= 1 && frame <= kLastTextFrame) return paintTextGlyph(pen, frame + kFirstChar, fonts);
    if (frame >= kControllerFirst && frame < kControllerFirst + kButtonCount)
        return paintButtonGlyph(pen, frame - kControllerFirst, false, fonts);
    if (frame >= kKeyboardFirst && frame < kKeyboardFirst + kButtonCount)
        return paintButtonGlyph(pen, frame - kKeyboardFirst, true, fonts);
}

namespace {
constexpr int kDefaultInnerW = 8;      // drawn width of a default-font glyph, pixels
constexpr int kDefaultH = 16;          // height of the strip, pixels
constexpr int kDefaultBorder = 1;      // clear column on each side of every glyph
constexpr float kDefaultCap = 8.0f;    // capital height, pixels
constexpr float kDefaultBaseline = 12; // baseline from the top, pixels
}  // namespace

Canvas renderDefaultFont(const Fonts& fonts) {
    int cellW = kDefaultInnerW + 2 * kDefaultBorder;
    Canvas canvas(cellW * kDefaultFontGlyphs, kDefaultH);
    const Typeface& face = fonts.sansBold;
    float em = kDefaultCap / face.capHeight(1.0f);
    for (int i = 1; i < kDefaultFontGlyphs - 1; ++i) {  // space and DEL stay empty
        int c = i + kFirstChar;
        float squeeze = 1.0f;
        float inkW = face.ink(c, em).width();
        if (inkW > kDefaultInnerW - 0.5f) squeeze = (kDefaultInnerW - 0.5f) / inkW;
        InkBox box = face.ink(c, em, squeeze);
        // The glyph's own pen covers only the inner columns, so the border stays clear.
        Pen pen(canvas, i * cellW + kDefaultBorder, 0, float(kDefaultInnerW), float(kDefaultH), 1);
        Mask m = pen.blankMask();
        face.drawGlyph(m, c, kDefaultInnerW / 2.0f - (box.x0 + box.x1) / 2, kDefaultBaseline, em, squeeze);
        pen.mask(m, kWhite);
    }
    return canvas;
}

}  // namespace assetgen
