// The deferred draw list and its draw state, the palette, bitmap-font text with button
// glyphs, and the sound-effect, effect-file and tune helpers.
#include "game/my_app.h"
#include "game/draw_list.h"
#include "game/glyph_spacing.h"
#include "game/rules.h"
#include "game/shell.h"
#include "framework/angle.h"

#include <cmath>

namespace {

constexpr int kSfxRotation = 24;          // effects rotate over channels 0..23
constexpr float kBgKeepBelow = -122;      // p_DoBG channels below this keep their target
constexpr float kBgEase = 0.125f;         // the background moves 1/8 of the way per frame
constexpr float kAlphaOpaque = -123;      // p_DoBG alpha meaning 1
constexpr int kButtonMark = 172;          // "¬": the next letter is a button glyph
constexpr int kFirstGlyph = 32;           // font frame n shows character n + 32
constexpr int kLastGlyphFrame = 127;
constexpr int kButtonWidthAdjust = 2;     // a button glyph in the width pass
constexpr int kKeyboardGlyphs = 16;       // keyboard glyph set: frames 16 above the pad set
constexpr int kBlinkPeriodMs = 500;       // pad glyphs blink for the first 200 ms of 500
constexpr int kBlinkOnMs = 200;
constexpr int kSchemeKeyboard = 0, kSchemeController = 1;

// Palette of p_Ink, red/green/blue fractions; index 0 is every other number.
const float kPalette[10][3] = {
    {0.3f, 0.3f, 0.3f}, {1, 0.1f, 0.1f}, {1, 0.5f, 0.1f}, {1, 1, 0.1f}, {0.1f, 1, 0.1f},
    {0.1f, 1, 1}, {0.1f, 0.1f, 1}, {0.5f, 0.1f, 1}, {1, 0.1f, 0.5f}, {1, 1, 1},
};

float clamp255(float v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

bool isLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Frame and advance of the button glyph "¬" + letter, before the keyboard offset.
struct ButtonGlyph {
    int frame;
    int blinkFrame;  // -1: does not blink
    int spacing;
};
ButtonGlyph buttonGlyph(int letter) {
    switch (letter) {
        case 'J': return {96, 109, 4};
        case 'K': return {97, 109, 4};
        case 'L': return {98, 109, 4};
        case 'I': return {99, 109, 4};
        case 'U': return {100, 110, 6};
        case 'O': return {101, 110, 6};
        case 'Q': return {102, -1, 4};
        case 'E': return {103, -1, 4};
        case 'F': return {104, -1, 4};
        case 'W': return {105, 104, 4};
        case 'S': return {106, 104, 4};
        case 'A': return {107, 104, 4};
        case 'D': return {108, 104, 4};
        default: return {letter, -1, 4};
    }
}

// Three-digit effect number: 7 -> "007", 42 -> "042", 123 -> "123".
String sfxNumber(int n) {
    String digits(n);
    if (n >= 0 && n < 10) return String("00") + digits;
    if (n >= 10 && n < 100) return String("0") + digits;
    return digits;
}

}  // namespace

// ---- Draw list ----

// Appends one record with the current alpha, colour, blend and rotation. Records are only
// appended while m_drawCount <= kDrawAppendLimit; later calls are dropped.
static inline void appendRecord(c_MyApp* app, float kind, float x, float y, float a, float b,
                                float frame) {
    if (app->m_drawCount > kDrawAppendLimit) return;
    float* r = &app->m_drawList[app->m_drawCount];
    r[kDrKind] = kind;
    r[kDrX] = x;
    r[kDrY] = y;
    r[kDrRot] = app->m_drawRot;
    r[kDrA] = a;
    r[kDrB] = b;
    r[kDrFrame] = frame;
    r[kDrAlpha] = app->m_drawAlpha;
    r[kDrUnused8] = 0;
    r[kDrUnused9] = 0;
    r[kDrRed] = app->m_drawR;
    r[kDrGreen] = app->m_drawG;
    r[kDrBlue] = app->m_drawB;
    r[kDrBlend] = static_cast<float>(app->m_drawBlend);
    r[kDrUnused14] = 0;
    app->m_drawCount += kDrawRecordFloats;
}

int c_MyApp::p_DrawImg(int image, float x, float y, float frame) {
    appendRecord(this, static_cast<float>(image), x, y, m_drawScaleX, m_drawScaleY, frame);
    return 0;
}

int c_MyApp::p_Rect(float x, float y, float w, float h) {
    appendRecord(this, kDrawRect, x, y, w, h, 0);
    return 0;
}

int c_MyApp::p_Oval(float x, float y, float rx, float ry) {
    appendRecord(this, kDrawOval, x, y, rx, ry, 0);
    return 0;
}

int c_MyApp::p_Line(float x1, float y1, float x2, float y2) {
    appendRecord(this, kDrawLine, x1, y1, x2, y2, 0);
    return 0;
}

// ---- Draw state ----

int c_MyApp::p_SetSize(float sx, float sy) {
    m_drawScaleX = sx;
    m_drawScaleY = (sy == kNotGiven) ? sx : sy;
    return 0;
}

int c_MyApp::p_SetRot(float angle) {
    m_drawRot = -angle;
    return 0;
}

int c_MyApp::p_SetCol(float r, float g, float b, float a) {
    m_drawR = r;
    m_drawG = g;
    m_drawB = b;
    if (a > kNotGiven) m_drawAlpha = a;
    return 0;
}

int c_MyApp::p_Alpha(float a) {
    m_drawAlpha = a;
    return 0;
}

int c_MyApp::p_Ink(int n, float bright) {
    const float* c = kPalette[(n >= 1 && n <= 9) ? n : 0];
    m_drawR = clamp255(c[0] * bright * 255);
    m_drawG = clamp255(c[1] * bright * 255);
    m_drawB = clamp255(c[2] * bright * 255);
    return 0;
}

int c_MyApp::p_ResetDraw() {
    m_drawScaleX = 1;
    m_drawScaleY = 1;
    m_drawRot = 0;
    m_drawR = 255;
    m_drawG = 255;
    m_drawB = 255;
    m_drawAlpha = 1;
    m_drawBlend = kBlendNormal;
    return 0;
}

int c_MyApp::p_CLS2D(float r, float g, float b, float a) {
    m_viewX = 0;
    m_viewY = 0;
    m_viewW = jscrw;
    m_viewH = jscrh;
    if (r > kNotGiven) {
        m_clsR = r;
        m_clsG = g;
        m_clsB = b;
        m_clsA = a;
    }
    p_ResetDraw();
    m_drawCount = 0;
    return 0;
}

int c_MyApp::p_DoBG(int r, int g, int b, float a) {
    if (r >= kBgKeepBelow) m_bgTargetR = static_cast<float>(r);
    if (g >= kBgKeepBelow) m_bgTargetG = static_cast<float>(g);
    if (b >= kBgKeepBelow) m_bgTargetB = static_cast<float>(b);
    m_bgR -= (m_bgR - m_bgTargetR) * kBgEase;
    m_bgG -= (m_bgG - m_bgTargetG) * kBgEase;
    m_bgB -= (m_bgB - m_bgTargetB) * kBgEase;
    float alpha = (a == kAlphaOpaque) ? 1.0f : (a < 0 ? 0.0f : (a > 1 ? 1.0f : a));
    p_CLS2D(m_bgR, m_bgG, m_bgB, alpha);
    return 0;
}

// ---- Text ----

// The advances of a line of text at the current size, its leading space included: how far the
// drawn line can reach from its x, for callers that shrink a line to keep it inside a box.
float c_MyApp::p_TextAdvance(String text) {
    String s = String(" ") + text;
    const int n = s.Length();
    const int gw = m_imgInfo[3 * m_fontSlot];
    double width = 0;
    for (int i = 0; i < n; ++i) {
        int c = s[i];
        int k;
        if (c == kButtonMark) {
            k = kButtonWidthAdjust;
            ++i;
        } else {
            k = GlyphSpacing(c);
        }
        width += (gw + k) * static_cast<double>(m_drawScaleX);
    }
    return static_cast<float>(width);
}

int c_MyApp::p_Text(float x, float y, String text, float alignX, float alignY, int font) {
    String s = String(" ") + text;
    const int n = s.Length();
    const float sc = m_drawScaleX;  // advances
    const float t = m_drawScaleY;   // line height
    const int gw = m_imgInfo[3 * m_fontSlot];
    const int gh = m_imgInfo[3 * m_fontSlot + 1];
    const double theta = m_drawRot;

    // Width: every glyph but the last, the running total truncated after each step.
    double width = 0;
    for (int i = 0; i < n - 1; ++i) {
        int c = s[i];
        int k;
        if (c == kButtonMark) {
            k = kButtonWidthAdjust;
            ++i;
        } else {
            k = GlyphSpacing(c);
        }
        width = std::trunc(width + (gw + k) * static_cast<double>(sc));
    }

    const double rad = theta * kDegToRad;
    const double along = width * alignX / 2;
    const double across = gh * static_cast<double>(t) * (alignY - 1) / 2;
    const double sx0 = x + std::sin(-rad - 90 * kDegToRad) * along + std::sin(-rad) * across;
    const double sy0 = y - std::cos(-rad - 90 * kDegToRad) * along - std::cos(-rad) * across;
    // Pen advance direction (sin(90 - theta), -cos(90 - theta)) and line step direction.
    const double advX = std::sin(90 * kDegToRad - rad), advY = -std::cos(90 * kDegToRad - rad);
    const double lineX = std::sin(180 * kDegToRad - rad), lineY = -std::cos(180 * kDegToRad - rad);

    const int image = m_fontSlot + font;
    const bool blinkOff = (ox_app_Millisecs() % kBlinkPeriodMs + kBlinkPeriodMs) % kBlinkPeriodMs < kBlinkOnMs;
    double px = sx0, py = sy0;
    int line = 0;
    for (int i = 0; i < n; ++i) {
        int c = s[i];
        int frame, k;
        if (c == kButtonMark && i + 1 < n && isLetter(s[i + 1])) {
            ButtonGlyph bg = buttonGlyph(s[i + 1]);
            ++i;
            frame = bg.frame;
            if (m_controlScheme == kSchemeController && bg.blinkFrame >= 0 && blinkOff)
                frame = bg.blinkFrame;
            if (m_controlScheme == kSchemeKeyboard) frame += kKeyboardGlyphs;
            k = bg.spacing;
        } else if (c == '\\' && i + 1 < n && s[i + 1] == 'n') {
            ++i;
            ++line;
            px = sx0 + lineX * line * gh * t + advX * gw * sc;
            py = sy0 + lineY * line * gh * t;
            continue;
        } else {
            frame = c - kFirstGlyph;
            k = GlyphSpacing(c);
        }
        if (frame >= 1 && frame <= kLastGlyphFrame)
            p_DrawImg(image, static_cast<float>(px), static_cast<float>(py), static_cast<float>(frame));
        if (c != 0) {
            double a = (gw + k) * static_cast<double>(sc);
            px += advX * a;
            py += advY * a;
        }
    }
    return 0;
}

// ---- Sound ----

int c_MyApp::p_PlaySFX(int n, float rate, float volume, float pan) {
    int mode = m_options[kOptSoundMode];
    if (mode != kSoundAll && mode != kSoundSfx) return 0;
    if (n < 0 || n >= m_sounds.Length() || !m_sounds[n]) return 0;
    m_sfxSlot = (m_sfxSlot + 1) % kSfxRotation;
    int channel = m_sfxChannels[m_sfxSlot];
    ox_audio_StopChannel(channel);
    ox_audio_PlaySound(m_sounds[n], channel, 0);
    ox_audio_SetChannelRate(channel, rate);
    ox_audio_SetChannelVolume(channel, volume);
    ox_audio_SetChannelPan(channel, pan);
    return 0;
}

int c_MyApp::p_LoadSFX(int n) {
    if (n < 0 || n >= m_sounds.Length()) return 0;
    gc_assign(m_sounds[n], nullptr);
    String path = String("sfx/") + sfxNumber(n) + String(".wav");
    gc_assign(m_sounds[n], ox_audio_LoadSound(path));
    return 0;
}

int c_MyApp::p_PlayTune(String name, int flags) {
    if (HasMusicStream == 0) return 0;
    if (name == String("-1")) {
        // The current tune; with none played yet there is nothing to resume.
        if (m_tuneName.Length() == 0) return 0;
        name = m_tuneName;
    }
    if (name.Length() == 0) return 0;
    m_tuneName = name;
    String file = String("sfx/") + name + String(".ogg");
    if (m_musicPlaying) {
        ox_audio_StopMusic();
        m_musicPlaying = 0;
    }
    int mode = m_options[kOptSoundMode];
    if (mode == kSoundAll || mode == kSoundMusic) {
        ox_audio_PlayMusic(file, flags);
        m_musicPlaying = 1;
    }
    return 0;
}

int c_MyApp::p_StopTune() {
    ox_audio_StopMusic();
    m_musicPlaying = 0;
    return 0;
}
