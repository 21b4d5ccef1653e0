// The options box: a panel that slides up over the menu or the pause menu with a back gear
// and one line per setting; each line toggles when tapped or fired. Closing it saves.
#include <algorithm>
#include <cmath>

#include "game/my_app.h"
#include "game/rules.h"
#include "game/shell.h"

namespace {

constexpr int kSlideFrames = 30;       // the box is fully in at this slide value
constexpr float kSlideRise = 24;       // panel units per slide frame still to go
constexpr float kGearSlide = 4;        // gear and slider x per slide step

// Panel.
constexpr float kPanelMargin = 50;
constexpr float kPanelR = 150, kPanelG = 75, kPanelB = 0, kPanelAlpha = 0.85f;

// Back gear and its label.
constexpr float kGearSpeed = 0.2f;
constexpr float kGearRestX = 100, kGearY = 60, kGearTravel = 90;
constexpr float kGearSize = 1.5f, kGearSelectedSize = 2.0f;
constexpr int kGearLayers = 3;         // two images, then the one that takes taps
constexpr int kGearFrames[kGearLayers] = {8, 9, 10};
constexpr float kGearTurns[kGearLayers] = {0.66f, -0.33f, -1.0f};
constexpr float kBackLabelGap = 76, kBackLabelSize = 2.0f;
constexpr char kBackLabel[] = "<[BACK]";

// Console overscan slider.
constexpr float kSliderY = 92, kSliderCentre = 0.6f, kSliderSize = 2.0f;
constexpr float kBarRise = 5, kKnobRise = 8;
// The slider as both screens draw it.
constexpr float kBarHalf = kOverscanBarWidth / 2, kBarHeight = 9;
constexpr float kKnobScale = 2.67f, kKnobBack = 132, kKnobW = 8, kKnobH = 16;
constexpr float kBarR = 0, kBarG = 128, kBarB = 255, kBarAlpha = 0.5f;
constexpr float kKnobR = 255, kKnobG = 255, kKnobB = 0, kKnobAlpha = 0.75f;

// Option lines.
constexpr float kLineX = 100, kLineTop = 130, kLineGap = 40, kPortraitQuitGap = 80;
constexpr float kHighlightX = 84, kHighlightInset = 168, kHighlightH = 24, kHighlightRise = 2;
constexpr float kHighlightAlpha = 0.5f;
constexpr float kLineSize = 2.0f;
constexpr float kQuitRight = 264, kQuitTapBack = 16, kQuitTapW = 180;
constexpr int kKeyboardControlSet[] = {kKeyUp, kKeyLeft, kKeyRight, kKeyDown, 10, 11, 12, 13, 14, 15, 16, 17, kKeyPause};

enum OptionLine { kLineSound, kLineICade, kLineFullscreen, kLineLeftStick, kLineRightStick, kLineQuit };

// Texts of the lines.
const char* const kSoundTexts[kSoundModes] = {"Sound : Off", "Sound : SFX + Music", "Sound : SFX", "Sound : Music"};
constexpr char kSoundOn[] = "Sound : On";
constexpr char kICadeOff[] = "iCade : Off";
constexpr char kICadeOn[] = "iCade : On";
constexpr char kToFullscreen[] = "Fullscreen";
constexpr char kToWindowed[] = "Windowed";
constexpr char kLeftNormal[] = "Left Thumbstick Y Normal";
constexpr char kLeftFlipped[] = "Left Thumbstick Y Flipped";
constexpr char kRightNormal[] = "Right Thumbstick Y Normal";
constexpr char kRightFlipped[] = "Right Thumbstick Y Flipped";
constexpr char kQuitText[] = "Quit";

constexpr char kCurrentTune[] = "-1";

}  // namespace

namespace {

// The sound mode as the box shows it: a stored value it has no text for is Off.
int shownSoundMode(c_MyApp* app) {
    int& mode = app->m_options[kOptSoundMode];
    const int modes = HasMusicStream == 1 ? kSoundModes : 2;
    if (mode < 0 || mode >= modes) mode = kSoundOff;
    return mode;
}

String lineText(c_MyApp* app, OptionLine line) {
    switch (line) {
        case kLineSound: {
            const int mode = shownSoundMode(app);
            if (HasMusicStream == 1) return String(kSoundTexts[mode]);
            return String(mode == 1 ? kSoundOn : kSoundTexts[kSoundOff]);
        }
        case kLineICade: return String(iCadeControls == 1 ? kICadeOn : kICadeOff);
        case kLineFullscreen: return String(app->m_fullscreen == 1 ? kToWindowed : kToFullscreen);
        case kLineLeftStick: return String(app->m_options[kOptLeftStickY] != 0 ? kLeftNormal : kLeftFlipped);
        case kLineRightStick: return String(app->m_options[kOptRightStickY] != 0 ? kRightNormal : kRightFlipped);
        case kLineQuit: return String(kQuitText);
    }
    return String();
}

// A stick line toggles between normal (non-zero) and flipped (0).
void toggleStick(c_MyApp* app, int option) {
    app->m_options[option] = app->m_options[option] != 0 ? 0 : 1;
}

void runLine(c_MyApp* app, OptionLine line) {
    switch (line) {
        case kLineSound: {
            const int mode = shownSoundMode(app);
            if (HasMusicStream == 1) {
                const int next = (mode + 1) % kSoundModes;
                app->m_options[kOptSoundMode] = next;
                if (next == kSoundOff || next == kSoundSfx) {
                    ox_audio_StopMusic();
                    app->m_musicPlaying = 0;
                } else if (app->m_mode >= kModePlaying) {
                    app->p_PlayTune(String(kCurrentTune), 1);
                }
            } else {
                app->m_options[kOptSoundMode] = 1 - mode;
            }
            break;
        }
        case kLineICade:
            iCadeControls = 1 - iCadeControls;
            app->p_iCade(iCadeControls);
            for (int i = 0; i < app->m_vkeys.Length(); ++i) app->m_vkeys[i] = 0;
            break;
        case kLineFullscreen: app->p_FullscreenFlip(); break;
        case kLineLeftStick: toggleStick(app, kOptLeftStickY); break;
        case kLineRightStick: toggleStick(app, kOptRightStickY); break;
        case kLineQuit: oxError(String()); break;
    }
}

// The lines the box shows: the iCade line on the desktop only, the quit line on the
// console's menu only. Returns how many.
constexpr int kMaxLines = 6;
int shownLines(const c_MyApp& app, OptionLine (&lines)[kMaxLines]) {
    int count = 0;
    lines[count++] = kLineSound;
    if (isOuya == 0) lines[count++] = kLineICade;
    lines[count++] = kLineFullscreen;
    lines[count++] = kLineLeftStick;
    lines[count++] = kLineRightStick;
    if (isOuya == 1 && app.m_paused == 0) lines[count++] = kLineQuit;
    return count;
}

}  // namespace

// Measures of the back gear's slide, and whether its tap target was hit.
struct c_MyApp::OptionGear {
    float slideX;  // the gear and the console slider are this far from their rest
    bool hit;
};

// One frame of the options box; each step draws over the ones before.
int c_MyApp::p_OptionBox() {
    p_OptionCornerMarks();
    p_OptionBlockInput();
    const float rise = p_OptionPanel();
    const OptionGear gear = p_OptionBackGear();
    p_OptionCloseByGear(gear.hit);
    if (isOuya == 1) p_OptionOverscan(gear.slideX);
    const int count = p_OptionLines(rise);
    p_OptionKeys(count);
    p_OptionReleaseLatches();
    p_ResetDraw();  // whatever draws next starts from the default state
    return 0;
}

// Closing saves the settings; both of the box's latches hold until everything is let go.
void c_MyApp::p_OptionClose() {
    m_optionsOpen = 0;
    p_PlaySFX(kSfxMove);
    p_Save();
    m_optKeyLatch = m_optTouchLatch = 1;
}

// Corner marks show the visible area on the console.
void c_MyApp::p_OptionCornerMarks() {
    p_ResetDraw();
    if (isOuya != 1) return;
    const float w = jscrw, h = jscrh;
    const float marks[8][4] = {
        {0, 0, 16, 8},      {0, 0, 8, 16},      {0, h - 8, 16, 8},      {0, h - 16, 8, 16},
        {w - 16, 0, 16, 8}, {w - 8, 0, 8, 16},  {w - 16, h - 8, 16, 8}, {w - 8, h - 16, 8, 16},
    };
    for (const auto& m : marks) p_Rect(m[0], m[1], m[2], m[3]);
}

// The screen underneath takes no input; nothing in the box reacts while it slides.
void c_MyApp::p_OptionBlockInput() {
    m_keyLatch = 1;
    m_touchUsed = 1;
    if (m_optSlide != kSlideFrames) m_optKeyLatch = m_optTouchLatch = 1;
}

// The panel rising from below; returns its top.
float c_MyApp::p_OptionPanel() {
    const float rise = (kSlideFrames - m_optSlide) * kSlideRise;
    p_SetCol(kPanelR, kPanelG, kPanelB, kPanelAlpha);
    p_Rect(kPanelMargin, rise, jscrw - 2 * kPanelMargin, jscrh);
    return rise;
}

// The back gear and its label, sliding in from the left.
c_MyApp::OptionGear c_MyApp::p_OptionBackGear() {
    m_gearAngle += kGearSpeed;
    OptionGear gear{(3 * m_optSlide - kGearTravel) * kGearSlide, false};
    const float gearX = gear.slideX + kGearRestX;
    p_ResetDraw();
    p_SetSize(m_optSel == 0 ? kGearSelectedSize : kGearSize);
    for (int g = 0; g < kGearLayers; ++g) {
        p_SetRot(kGearTurns[g] * m_gearAngle);
        if (g < kGearLayers - 1) p_DrawImg(kImgButtons, gearX, kGearY, static_cast<float>(kGearFrames[g]));
        else gear.hit = p_Button(kImgButtons, gearX, kGearY, kGearFrames[g]) != 0;
    }
    p_SetRot(0);
    p_SetSize(kBackLabelSize);
    p_Text(gearX + kBackLabelGap, kGearY, String(kBackLabel), 0, 1.0f, 0);
    return gear;
}

// A tap on the back gear or the pause key closes the box.
void c_MyApp::p_OptionCloseByGear(bool gearHit) {
    if ((gearHit || p_AnyHeld(kKeyPause)) && m_optKeyLatch == 0 && m_optTouchLatch == 0) {
        p_OptionClose();
        m_keyLatch = 1;
        m_touchUsed = 1;
    }
}

// The console's overscan slider, sliding with the gear, moved by the shoulder buttons only.
void c_MyApp::p_OptionOverscan(float slideX) {
    const float y = slideX + kSliderY;
    const float centre = jscrw * kSliderCentre;
    p_ResetDraw();
    p_SetSize(kSliderSize);
    p_Text(centre, y, String(kOverscanLabel), 1, 1, 0);
    p_OverscanSlider(centre, y - kBarRise, y - kKnobRise);
    p_OverscanShoulders(m_optKeyLatch);
}

void c_MyApp::p_OverscanSlider(float centreX, float barY, float knobY) {
    p_SetCol(kBarR, kBarG, kBarB, kBarAlpha);
    p_Rect(centreX - kBarHalf, barY, kOverscanBarWidth, kBarHeight);
    p_SetCol(kKnobR, kKnobG, kKnobB, kKnobAlpha);
    p_Rect(m_options[kOptOverscan] * kKnobScale + centreX - kKnobBack, knobY, kKnobW, kKnobH);
}

void c_MyApp::p_OverscanShoulders(int& latch) {
    if (p_AnyHeld(kKeyFire5) && latch == 0 && m_options[kOptOverscan] > 0) {
        m_options[kOptOverscan] -= kOverscanStep;
        latch = 1;
    }
    if (p_AnyHeld(kKeyFire6) && latch == 0 && m_options[kOptOverscan] < kOverscanMax) {
        m_options[kOptOverscan] += kOverscanStep;
        latch = 1;
    }
    int& setting = m_options[kOptOverscan];
    setting = std::clamp(setting, kOverscanMin, kOverscanMax);
    overscan = static_cast<float>(setting);
}

// The option lines below the panel's top: each is highlighted, takes a tap or fire on the
// selection, and runs its action. Returns how many lines there are.
int c_MyApp::p_OptionLines(float rise) {
    OptionLine lines[kMaxLines];
    const int count = shownLines(*this, lines);

    bool fire = false;
    for (int k = kKeyFire1; k <= kKeyFire6; ++k)
        if (p_AnyHeld(k)) fire = true;

    float y = rise + kLineTop;
    for (int idx = 0; idx < count; ++idx) {
        const int n = idx + 1;
        const OptionLine line = lines[idx];
        float x = kLineX;
        float tapX = kHighlightX, tapW = jscrw - kHighlightInset;
        if (line == kLineQuit) {
            y += m_landscape == 0 ? kPortraitQuitGap - kLineGap : 0;
            x = static_cast<float>(static_cast<int>(jscrw - kQuitRight));
            tapX = x - kQuitTapBack;
            tapW = kQuitTapW;
        }
        const bool activated = p_OptionLineTapped(n, tapX, y, tapW) || (m_optSel == n && fire);
        p_OptionLineText(lineText(this, line), x, y);
        if (activated && m_optTouchLatch == 0 && m_optKeyLatch == 0) {
            runLine(this, line);
            m_optKeyLatch = m_optTouchLatch = 1;
            p_PlaySFX(kSfxMove);
        }
        y += kLineGap;
    }
    return count;
}

// The highlight of line n (brighter when selected); a tap on it selects the line and
// returns true.
bool c_MyApp::p_OptionLineTapped(int n, float tapX, float y, float tapW) {
    p_ResetDraw();
    if (n == m_optSel) p_SetCol(0, 180, 255, kHighlightAlpha);
    else p_SetCol(0, 0, 160, kHighlightAlpha);
    if (p_Touch(tapX, y - kHighlightRise, tapW, kHighlightH) && m_optTouchLatch == 0) {
        m_optSel = n;
        return true;
    }
    return false;
}

// A line's text; one longer than its highlight (a narrow portrait window) is drawn
// smaller to fit.
void c_MyApp::p_OptionLineText(const String& text, float x, float y) {
    p_ResetDraw();
    p_SetSize(kLineSize);
    const float room = jscrw - kHighlightX - x;
    const float reach = p_TextAdvance(text);
    if (reach > room) p_SetSize(kLineSize * room / reach);
    p_Text(x, y, text, 0, 0, 0);
}

// Keys move the selection over the back gear (0) and the count lines; fire on the back
// gear closes.
void c_MyApp::p_OptionKeys(int count) {
    if (m_optKeyLatch != 0) return;
    if (m_optSel == 0 &&
        (p_AnyHeld(kKeyFire6) || p_AnyHeld(kKeyFire1) || p_AnyHeld(kKeyFire2))) {
        p_OptionClose();
    } else if ((p_AnyHeld(kKeyUp) || p_AnyHeld(kKeyLeft)) && m_optSel > 0) {
        --m_optSel;
        m_optKeyLatch = 1;
        p_PlaySFX(kSfxMove);
    } else if ((p_AnyHeld(kKeyDown) || p_AnyHeld(kKeyRight)) && m_optSel < count) {
        ++m_optSel;
        m_optKeyLatch = 1;
        p_PlaySFX(kSfxMove);
    }
}

// The box's latches release once the pointer and every control key are let go.
void c_MyApp::p_OptionReleaseLatches() {
    if (m_pointerDown == 0) m_optTouchLatch = 0;
    bool held = false;
    for (int key : kKeyboardControlSet)
        if (p_AnyHeld(key)) held = true;
    if (!held) m_optKeyLatch = 0;
}
