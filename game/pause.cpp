// The pause menu drawn over the board (darkening, slide, a tunable two-arm figure with its
// trail, resume / quit / options buttons) and the console's full-screen quit prompt.
#include "game/my_app.h"
#include "game/rules.h"
#include "game/shell.h"
#include "framework/angle.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kKeepBg = -123;          // p_DoBG: keep the background colour, opaque

// Slide.
constexpr float kDarkenSpan = 0.8f;    // darkening alpha = |m_pauseY| / (jscrh * this)
constexpr int kSlideStep = 24;
constexpr int kGoneBelow = -63;        // sliding out: gone once below this
constexpr int kClosedBelow = -32;      // play resumes once the slide passes this
constexpr int kPauseYHidden = -64;

// The figure: an inner arm turning one degree per frame and an outer arm of tunable
// length and speed, whose pen leaves a coloured trail.
constexpr float kFigureRadius = 0.45f; // of the smaller of the height and the width less 96
constexpr float kFigureShift = 96;     // figure centre right of the screen centre
constexpr float kInnerTurn = 1, kHueTurn = 1.5f;
constexpr float kArmStep = 1, kSpeedStep = 0.25f, kSpeedMax = 128;
constexpr float kLabelInset = 8;
constexpr float kLabelR = 100, kLabelG = 255, kLabelB = 100, kLabelAlpha = 0.8f;
constexpr int kTrailSegments = 101;    // pairs 0..101, pair 101 the newest
constexpr float kTrailOffset = 0.5f;   // the second line of each segment
constexpr float kTrailHueStep = 2;     // degrees of hue per segment

constexpr float kPausedSize = 4;
constexpr char kPausedText[] = "PAUSED";

// Console overscan slider.
constexpr float kSliderTextRise = 150, kBarRise = 154, kKnobRise = 158;
constexpr float kSliderSize = 2, kTapH = 16;
constexpr float kOverscanToggleAt = 32;  // a tap above this margin goes to the minimum

// Buttons.
constexpr float kButtonSize = 2, kHighlightSize = 2.5f;
constexpr float kColumnX = 64, kQuitY = 96, kResumeY = 196, kOptionsY = 296;
constexpr float kPortraitSpread = 96;  // portrait: quit and options beside the centre
constexpr int kResumeFrame = 3, kQuitFrame = 1, kHighlightFrame = 6;
constexpr float kHighlightR = 255, kHighlightG = 255, kHighlightB = 100;
constexpr float kGearSpeed = 0.2f;
constexpr int kGearLayers = 3;         // the options gear: two images, then the one that takes taps
constexpr int kGearFrames[kGearLayers] = {8, 9, 10};
constexpr float kGearTurns[kGearLayers] = {0.66f, -0.33f, -0.33f};
constexpr int kSelQuit = -1, kSelResume = 0, kSelOptions = 1;

// Sounds: rate and volume per action.
struct Sfx {
    int n;
    float rate, volume;
};
constexpr Sfx kResumeSfx = {kSfxConfirm, 1.0f, 0.5f};
constexpr Sfx kQuitSfx = {kSfxConfirm, 0.5f, 0.5f};
constexpr Sfx kOptionsTapSfx = {kSfxMove, 1.0f, 1.0f};
constexpr Sfx kOptionsKeySfx = {kSfxConfirm, 1.0f, 0.5f};
constexpr Sfx kOverscanSfx = {kSfxConfirm, 1.0f, 1.0f};
constexpr Sfx kSelectUpSfx = {kSfxMove, 0.8f, 0.5f};
constexpr Sfx kSelectDownSfx = {kSfxMove, 1.2f, 0.5f};

// Quit prompt.
constexpr float kPromptBgR = 220, kPromptBgG = 220, kPromptBgB = 200, kPromptBgA = -1;
constexpr float kPromptInset = 32;
constexpr float kPromptR = 0, kPromptG = 0, kPromptB = 128;
constexpr float kGlowR = 255, kGlowG = 0, kGlowB = 0, kGlowAlpha = 0.4f;
constexpr float kGlowRight = 48, kGlowRise = 16;
constexpr float kPromptTextX = 64, kPromptTextTop = 0.3f;
struct PromptLine {
    const char16_t* text;
    float size;
    float advance;  // added to y after the line
};
const PromptLine kPromptLines[] = {
    {u"Unexpected Quit", 3.0f, 36},
    {u"The player is trying to quit", 2.0f, 20},
    {u"without using the lovely", 2.0f, 20},
    {u"quit button on the Menu.", 2.0f, 46},
    {u"What should I do?", 2.0f, 38},
    {u"Hit \u00ACK to Quit", 2.0f, 20},
    {u"or \u00ACJ to Ignore", 2.0f, 20},
};

void play(c_MyApp& app, const Sfx& s) { app.p_PlaySFX(s.n, s.rate, s.volume, 0.0f); }

}  // namespace

// One frame of the pause menu over the board; each step draws over the ones before.
int c_MyApp::p_PauseMenu() {
    p_PauseDarken();
    p_PauseSlide();
    p_PauseFigure();
    p_PauseTitle();
    if (isOuya == 1) p_PauseOverscan();
    p_PauseButtons();
    p_PauseKeySelect();
    p_PauseResumeKey();
    return 0;
}

// Resuming: the menu stays open until it has slid out.
void c_MyApp::p_PauseResume() {
    m_paused = 1;
    m_pauseState = -1;
    play(*this, kResumeSfx);
}

// Quitting ends the game at once; the game-over overlay reads "Quit" "Game".
void c_MyApp::p_PauseQuit() {
    m_paused = 0;
    m_pauseState = -1;
    m_pauseY = kPauseYHidden;
    m_timeUp = 1;
    m_quitting = -1;
    play(*this, kQuitSfx);
}

// The board darkens with the slide.
void c_MyApp::p_PauseDarken() {
    p_DoBG(kKeepBg, kKeepBg, kKeepBg, kKeepBg);
    p_SetCol(0, 0, 0, std::fabs(static_cast<float>(m_pauseY)) / (jscrh * kDarkenSpan));
    p_Rect(0, 0, jscrw, jscrh);
}

// The menu slides in, or out and back to play.
void c_MyApp::p_PauseSlide() {
    if (m_pauseState == 1) {
        if (m_pauseY < jscrh / 2) m_pauseY += kSlideStep;
    } else if (m_pauseState == -1) {
        if (m_pauseY < kGoneBelow) {
            m_paused = 0;
        } else {
            m_pauseY -= kSlideStep;
            if (m_pauseY < kClosedBelow) m_paused = 0;
        }
    }
}

// The figure: both arms turn, the pen marks where they point before this frame's tuning,
// and its trail is drawn.
void c_MyApp::p_PauseFigure() {
    const float R = std::min(jscrh * kFigureRadius, (jscrw - kFigureShift) * kFigureRadius);
    m_spiroA = std::fmod(m_spiroA + kInnerTurn, 360.0f);
    m_spiroB = std::fmod(m_spiroB + m_spiroSpeed, 360.0f);
    m_spiroHue = std::fmod(m_spiroHue + kHueTurn, 360.0f);
    const float a = m_spiroA * kDegToRad, b = m_spiroB * kDegToRad;
    const float penX = jscrw / 2 + kFigureShift + (R - m_spiroArm) * std::sin(a) + m_spiroArm * std::sin(b);
    const float penY = jscrh / 2 - (R - m_spiroArm) * std::cos(a) - m_spiroArm * std::cos(b);
    p_PauseTuneFigure(R);
    p_PauseTrail(penX, penY);
}

// Up and down set the outer arm's length (up to the radius R), left and right its speed;
// a label in the corner shows both.
void c_MyApp::p_PauseTuneFigure(float R) {
    if (p_AnyHeld(kKeyUp)) m_spiroArm -= kArmStep;
    if (p_AnyHeld(kKeyDown)) m_spiroArm += kArmStep;
    m_spiroArm = std::clamp(m_spiroArm, 0.0f, std::max(R, 0.0f));
    if (p_AnyHeld(kKeyLeft)) m_spiroSpeed -= kSpeedStep;
    if (p_AnyHeld(kKeyRight)) m_spiroSpeed += kSpeedStep;
    m_spiroSpeed = std::clamp(m_spiroSpeed, 0.0f, kSpeedMax);
    p_ResetDraw();
    p_SetCol(kLabelR, kLabelG, kLabelB, kLabelAlpha);
    p_Text(jscrw - kLabelInset, jscrh - kLabelInset,
           String(static_cast<int>(m_spiroArm)) + String(":") + String(static_cast<int>(m_spiroSpeed)), 2, 2, 0);
}

// The pen's trail: the newest point is the pen, every segment is drawn in its hue and then
// moves one place older.
void c_MyApp::p_PauseTrail(float penX, float penY) {
    float* trail = m_spiroTrail.Data();
    trail[2 * kTrailSegments] = penX;
    trail[2 * kTrailSegments + 1] = penY;
    // Points not drawn yet still hold (0, 0), a place the pen never reaches: they join the
    // oldest real point, so a fresh trail grows from the pen instead of from the corner.
    for (int j = kTrailSegments - 1; j >= 0; --j) {
        float* p = trail + 2 * j;
        if (p[0] == 0 && p[1] == 0) {
            p[0] = p[2];
            p[1] = p[3];
        }
    }
    for (int j = 0; j < kTrailSegments; ++j) {
        const float h = (kTrailHueStep * j + m_spiroHue) * kDegToRad;
        const float fj = static_cast<float>(j);
        auto channel = [](float v) { return static_cast<float>(std::clamp(static_cast<int>(v), 0, 255)); };
        p_SetCol(channel(fj * std::sin(h) + fj), channel(fj + fj * std::cos(h)), channel(fj - fj * std::cos(h)), 1);
        float* p = trail + 2 * j;
        p_Line(p[0], p[1], p[2], p[3]);
        p_Line(p[0] - kTrailOffset, p[1] - kTrailOffset, p[2] - kTrailOffset, p[3] - kTrailOffset);
        p[0] = p[2];
        p[1] = p[3];
    }
}

// The title over the figure.
void c_MyApp::p_PauseTitle() {
    p_ResetDraw();
    p_SetSize(kPausedSize);
    p_Text(jscrw / 2 + kFigureShift, jscrh / 2, String(kPausedText), 1, 1, 0);
}

// The console's overscan slider, moving with the slide; a tap toggles between the ends,
// the shoulder buttons step it.
void c_MyApp::p_PauseOverscan() {
    const float y = static_cast<float>(m_pauseY);
    p_ResetDraw();
    p_SetSize(kSliderSize);
    p_Text(jscrw / 2, y - kSliderTextRise, String(kOverscanLabel), 1, 1, 0);
    p_OverscanSlider(jscrw / 2, y - kBarRise, y - kKnobRise);
    if (p_MouseIn_Centered(jscrw / 2, y - kKnobRise, kOverscanBarWidth, kTapH) && m_touchUsed == 0) {
        m_touchUsed = 1;
        play(*this, kOverscanSfx);
        m_options[kOptOverscan] = overscan >= kOverscanToggleAt ? kOverscanMin : kOverscanMax;
    }
    p_OverscanShoulders(m_keyLatch);
}

// The resume, quit and options buttons, the selected one highlighted: a column at the left
// in landscape, quit and options beside the centre in portrait. A tap acts at once.
void c_MyApp::p_PauseButtons() {
    const float columnX = kColumnX - (jscrh / 2 - m_pauseY);
    float quitX = columnX, quitY = kQuitY, optX = columnX, optY = kOptionsY;
    const float resumeX = columnX, resumeY = kResumeY;
    if (m_landscape == 0) {
        const float mid = static_cast<float>(static_cast<int>(jscrw / 2));
        quitX = mid - kPortraitSpread;
        quitY = m_pauseY - kPortraitSpread;
        optX = mid + kPortraitSpread;
        optY = m_pauseY - kPortraitSpread;
    }
    p_ResetDraw();
    p_SetSize(kHighlightSize);
    p_SetCol(kHighlightR, kHighlightG, kHighlightB);
    if (m_pauseSel == kSelQuit) p_DrawImg(kImgIcons, quitX, quitY, kHighlightFrame);
    else if (m_pauseSel == kSelOptions) p_DrawImg(kImgIcons, optX, optY, kHighlightFrame);
    else p_DrawImg(kImgIcons, resumeX, resumeY, kHighlightFrame);

    p_ResetDraw();
    p_SetSize(kButtonSize);
    if (p_Button(kImgIcons, resumeX, resumeY, kResumeFrame) && m_touchUsed == 0) {
        p_PauseResume();
        m_touchUsed = 1;
    }
    if (p_Button(kImgIcons, quitX, quitY, kQuitFrame) && m_touchUsed == 0) {
        p_PauseQuit();
        m_touchUsed = 1;
    }
    if (m_optionsOpen == 0) m_gearAngle += kGearSpeed;
    int gearHit = 0;
    for (int g = 0; g < kGearLayers; ++g) {
        p_SetRot(kGearTurns[g] * m_gearAngle);
        if (g < kGearLayers - 1) p_DrawImg(kImgButtons, optX, optY, static_cast<float>(kGearFrames[g]));
        else gearHit = p_Button(kImgButtons, optX, optY, kGearFrames[g]);
    }
    p_SetRot(0);
    if (gearHit && m_touchUsed == 0) {
        m_optionsOpen = 1;
        m_touchUsed = 1;
        play(*this, kOptionsTapSfx);
    }
}

// Keyboard selection among the buttons, fire acting on the selected one; each step
// latches so that one press moves one place.
void c_MyApp::p_PauseKeySelect() {
    if (m_keyLatch != 0) return;
    const bool fire = p_AnyHeld(kKeyFire1), up = p_AnyHeld(kKeyUp), down = p_AnyHeld(kKeyDown);
    if (m_pauseSel == kSelResume) {
        if (fire) {
            p_PauseResume();
            m_keyLatch = 1;
        } else if (up) {
            m_pauseSel = kSelQuit;
            m_keyLatch = 1;
            play(*this, kSelectUpSfx);
        } else if (down) {
            m_pauseSel = kSelOptions;
            m_keyLatch = 1;
            play(*this, kSelectDownSfx);
        }
    } else if (m_pauseSel == kSelQuit) {
        if (fire) {
            p_PauseQuit();
            m_keyLatch = 1;
        } else if (down) {
            m_pauseSel = kSelResume;
            m_keyLatch = 1;
            play(*this, kSelectUpSfx);
        }
    } else if (m_pauseSel == kSelOptions) {
        if (fire) {
            m_optionsOpen = 1;
            m_keyLatch = 1;
            play(*this, kOptionsKeySfx);
        } else if (up) {
            m_pauseSel = kSelResume;
            m_keyLatch = 1;
            play(*this, kSelectUpSfx);
        }
    }
}

// The pause key resumes.
void c_MyApp::p_PauseResumeKey() {
    if (p_AnyHeld(kKeyPause) && m_keyLatch == 0) {
        p_PauseResume();
        m_keyLatch = 1;
    }
}

int c_MyApp::p_OuyaQuit() {
    // 1. A blue box on a pale ground.
    p_CLS2D(kPromptBgR, kPromptBgG, kPromptBgB, kPromptBgA);
    p_SetCol(kPromptR, kPromptG, kPromptB, 1);
    p_Rect(kPromptInset, kPromptInset, jscrw - 2 * kPromptInset, jscrh - 2 * kPromptInset);

    // 2. A small red glow at the lower right.
    p_SetCol(kGlowR, kGlowG, kGlowB, kGlowAlpha);
    p_Oval(jscrw - kGlowRight, jscrh - kGlowRise, 3, 3);
    p_Oval(jscrw - kGlowRight, jscrh - kGlowRise, 2, 2);
    p_Oval(jscrw - kGlowRight - 1, jscrh - kGlowRise - 1, 1, 1);

    // 3. The question.
    p_ResetDraw();
    float y = static_cast<float>(static_cast<int>(jscrh * kPromptTextTop));
    for (const PromptLine& line : kPromptLines) {
        p_SetSize(line.size);
        p_Text(kPromptTextX, y, String(line.text), 0, 1.0f, 0);
        y += line.advance;
    }
    p_ResetDraw();

    // 4. Fire ignores (back to the menu); the other buttons or the pause key quit.
    if (m_touchUsed == 0 && m_keyLatch == 0) {
        if (p_AnyHeld(kKeyFire1)) {
            m_mode = kModeMenu;
            m_keyLatch = m_touchUsed = 1;
        }
        if (p_AnyHeld(kKeyFire2) || p_AnyHeld(kKeyFire3) || p_AnyHeld(kKeyPause))
            oxError(String());
    }
    return 0;
}
