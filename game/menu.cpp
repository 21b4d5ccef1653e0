// The main menu: animated background, logo, difficulty wheel with the options gear, side
// panel with score lists and play icon, key repeat and focus, and the credits page.
#include "game/my_app.h"
#include "game/rules.h"
#include "game/shell.h"
#include "framework/angle.h"
#include "framework/input.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kKeyboardOnly = -1;      // p_PlayKey player: keyboard and virtual keys only

// Background drift around a light grey.
constexpr float kBgClockRate = 0.025f; // degrees per millisecond
constexpr float kBgMid = 220, kBgSwing = 20;
constexpr float kBgKeepAlpha = -123;   // p_DoBG: opaque

// Layout.
constexpr float kPanelBase = 140;      // panel width before the credits page widens it
constexpr float kPanelOverhang = 32;   // the panel reaches this far past the right edge
constexpr float kPanelTop = -128;
constexpr float kIntroPanelSlide = 8;  // panel x per intro step
constexpr float kIntroListSlide = 4;   // score list x per intro step
constexpr float kIntroLogoSlide = 12;  // logo y and wheel x per intro step
constexpr float kIntroWheelDrop = 8;   // wheel y per intro step
constexpr float kIntroTextDrop = 3;    // description y per intro step
constexpr float kWheelLeft = 38, kWheelRise = 64;
constexpr float kLogoX = 0.55f, kLogoY = 96, kLogoSize = 1.5f;
constexpr float kLogoMargin = 8;       // kept clear between the logo and the panel
constexpr float kBarWidth = 3, kBarOffset = 2;
constexpr float kBarAlpha = 0.2f, kPanelAlpha = 0.45f;            // panel not focused
constexpr float kBarFocusAlpha = 1.0f, kPanelFocusAlpha = 0.75f;  // focused
constexpr int kPlayIconFrame = 3;
constexpr float kPlayIconSize = 3, kPlayIconRise = 48, kPlayIconHit = 128, kPlayIconAlpha = 0.5f;
constexpr float kPlayR = 100, kPlayG = 255, kPlayB = 100;

// Score lists.
constexpr float kLineSpacing = 1.5f;   // line height in glyph heights
constexpr float kListReserve = 90;     // half-screen units not given to list lines
constexpr int kListMax = 10;
constexpr int kScoreWidth = 11;        // characters per score, right-aligned
constexpr float kListInset = 20, kTopListY = 60, kLastListDrop = 20, kListSize = 1.5f;
constexpr float kTopR = 255, kTopG = 200, kTopB = 100;
constexpr float kLastR = 200, kLastG = 255, kLastB = 100;
constexpr char kLineBreak[] = "\\n";   // backslash and n: a line break for the text drawer

// Wheel.
constexpr float kWheelFriction = 0.75f;
constexpr float kWheelStopSpeed = 1;   // a flick slower than this stops
constexpr float kWheelEase = 0.125f, kWheelSnap = 0.5f;
constexpr float kWheelMaxSpeed = 40;
constexpr float kDragGain = 0.25f;
constexpr float kDragTapLimit = 1;     // a drag step above this is a drag, not a tap
constexpr float kDragArea = 500, kHubArea = 64;
constexpr float kItemStep = 32;        // degrees between items
constexpr float kItemBase = 48;        // angle of item 0 at wheel position 0
constexpr float kHotAngle = 45;        // the item in this direction stands out
constexpr float kBulgeGain = 1.5f, kItemRadius = 116;
constexpr float kSpinning = 0.05f;     // the wheel counts as spinning above this speed
constexpr float kSelectLow = 30, kSelectHigh = 60, kPushBackFar = 200;
constexpr float kPushBackSpeed = 4;
constexpr float kSettled = 2;          // taps act only while the wheel is this close to rest
constexpr float kTapSelected = 64, kTapOther = 52;  // p_MouseIn_Radius sizes: sqrt 2048, sqrt 1352
constexpr float kItemSize = 0.75f, kSelectedSize = 1.75f, kQuitItemScale = 2, kNameScale = 1.5f;
constexpr float kItemTilt = 55, kTiltGain = 0.5f;
constexpr float kItemAlpha = 1.0f, kItemDimAlpha = 0.3f;
constexpr int kItemFrames = 6;
constexpr int kQuitFrame = 1;
constexpr float kQuitR = 255, kQuitG = 180, kQuitB = 180;
constexpr int kLastItem = 2;           // Hard
constexpr int kQuitItem = -1;          // console profile only
constexpr int kItemReach = 3;          // items drawn either side of the selection

// Options gear at the wheel's centre.
constexpr int kDiscFrame = 1, kRingFrame = 3;
constexpr float kDiscSize = 0.5f, kRingSize = 1.5625f, kGearSize = 1.5f;
constexpr float kActiveAlpha = 0.8f, kIdleAlpha = 0.25f;
constexpr float kGearSpeed = 0.3f;
constexpr int kGearLayers = 3;         // the gear is three images turning at their own rates
constexpr int kGearFrames[kGearLayers] = {8, 9, 10};
constexpr float kGearTurns[kGearLayers] = {-1, 2, -4};

// Key repeat (m_player[21], m_player[22]): at once, then 31, 19, 7, 4, 4, ... frames.
constexpr float kRepeatFirst = 30, kRepeatDrop = 12, kRepeatMin = 3;

// Description of the chosen difficulty.
constexpr float kDescMinWidth = 600, kDescX = 240, kDescRise = 52, kDescSize = 1.5f;

// Maker logo.
constexpr float kMakerY = 32, kMakerSize = 0.25f, kMakerFocusSize = 0.35f;

// Credits page.
constexpr float kCreditSpeed = 0.3f, kCreditFastSpeed = 1.5f;
constexpr float kCreditLine = 16;      // units per line
constexpr int kCreditFirst = -3, kCreditLast = 4;
constexpr float kCreditFadeSpan = 40, kCreditClear = 0.3f, kCreditLift = 24;
constexpr float kCreditRight = 160, kCreditDrop = 24, kCreditAlign = 0.8f;
constexpr float kStatsRight = 20, kStatsTop = 16, kStatsHead = 16, kStatsLine = 12;
constexpr int kCircles = 11;
constexpr float kCircleAlpha = 0.3f, kCircleRight = 150, kCircleRadius = 100, kCircleSize = 32;
constexpr float kCircleSpacing = 6, kCircleScrollGain = 0.0625f, kCircleTurn = 4;
constexpr int kFooterFrame = 12;
constexpr float kFooterX = 0.3f, kFooterRise = 64, kFooterText = 32;
constexpr float kFooterLine1 = 48, kFooterLine2 = 36;
constexpr int kCreditToolSiteLine = 9; // the toolchain's web site in the credits
constexpr char kCodedIn[] = "Coded in";

constexpr int kFocusGear = 0, kFocusWheel = 1, kFocusPanel = 2;
constexpr int kSchemeKeyboard = 0, kSchemeController = 1, kSchemeTouch = 2;
constexpr int kDragNone = -1;
constexpr int kDragLatch = -1;         // a drag sets the latches to -1, which wheel actions treat as free

// Menu actions wait until the key and the pointer used by the last one are let go; an
// action takes both latches.
bool latchesFree(const c_MyApp& app) { return app.m_keyLatch == 0 && app.m_touchUsed == 0; }
void setLatches(c_MyApp& app) { app.m_keyLatch = app.m_touchUsed = 1; }

// Neither the options box nor the credits page covers the menu.
bool noPage(const c_MyApp& app) { return app.m_optionsOpen == 0 && app.m_creditsOpen == 0; }

// One step of the up / down key repeat: wait the current gap, shorten the next one.
void repeatStep(c_MyApp& app) {
    app.m_player[kPlMenuRepeat] = app.m_player[kPlMenuRepeatStep];
    app.m_player[kPlMenuRepeatStep] = std::max(kRepeatMin, app.m_player[kPlMenuRepeatStep] - kRepeatDrop);
    setLatches(app);
}

}  // namespace

// Measures of one menu frame, fixed once the intro has stepped.
struct c_MyApp::MenuLayout {
    float W;            // width of the side panel
    float intro;        // intro steps still to go, 0 or below
    float cx, cy;       // wheel centre
    int choiceAtStart;  // the wheel's selection as the frame began
    int minChoice;      // the first item on the wheel: the quit item on the console
};

// What a press on the side panel did: it lies over the panel, and it confirms.
struct c_MyApp::MenuPanelPress {
    bool onPanel;
    bool confirm;
};

// Up and down of player 0, read once for the key repeat and the wheel.
struct c_MyApp::MenuArrows {
    bool up;
    bool down;
};

// One frame of the main menu. Every step draws and reacts in turn, so what a step draws
// sits under what the later ones draw.
int c_MyApp::p_Menu() {
    p_MenuBackground();
    const MenuLayout at = p_MenuSlideIn();
    p_MenuQuitKeys();
    if (m_touchUsed == 0) m_wheelTapped = 0;  // a released pointer may tap the wheel again
    p_MenuLogo(at);
    const MenuPanelPress panel = p_MenuPanel(at);
    bool confirm = panel.confirm;
    if (p_MenuPlayIcon(at, panel.onPanel)) confirm = true;
    if (m_optionsOpen == 0) p_MenuScoreLists(at);
    p_MenuTurnWheel();
    if (noPage(*this)) {
        p_MenuGear(at);
        p_MenuDragWheel(at);
        if (p_MenuWheelItems(at)) confirm = true;
    }
    const MenuArrows arrows = p_MenuKeyRepeat();
    if (noPage(*this) && p_MenuPlayerKeys(at, arrows)) confirm = true;
    p_MenuApplyChoice(confirm);
    p_MenuMakerLogo(at);
    if (m_creditsOpen == 1) p_MenuCredits(at);
    return 0;
}

// The background drifts around a light grey.
void c_MyApp::p_MenuBackground() {
    const float t = std::trunc(ox_app_Millisecs() * kBgClockRate) * kDegToRad;
    p_DoBG(static_cast<int>(std::sin(t) * kBgSwing + kBgMid), static_cast<int>(std::cos(t) * kBgSwing + kBgMid),
           static_cast<int>(kBgMid - std::cos(t) * kBgSwing), kBgKeepAlpha);
}

// The intro slide moves one step, and the frame's measures follow from it.
c_MyApp::MenuLayout c_MyApp::p_MenuSlideIn() {
    MenuLayout at;
    at.W = m_panelX + kPanelBase;
    at.choiceAtStart = m_menuChoice;
    at.minChoice = isOuya == 1 ? kQuitItem : 0;
    if (m_menuIntro < 0) ++m_menuIntro;
    at.intro = static_cast<float>(m_menuIntro);
    at.cx = at.intro * kIntroLogoSlide + kWheelLeft;
    at.cy = static_cast<float>(static_cast<int>(jscrh - kWheelRise - at.intro * kIntroWheelDrop));
    return at;
}

// Quitting: the desktop ends at once; the console asks first.
void c_MyApp::p_MenuQuitKeys() {
    if (!latchesFree(*this)) return;
    if (p_AnyHeld(kKeyPause) && isOuya == 0) {
        oxError(String());
    } else if (isOuya == 1 && (p_AnyHeld(kKeyBack) || ox_input_KeyDown(kKeyCodeEscape))) {
        m_mode = kModeQuitPrompt;
        setLatches(*this);
    }
}

// The logo keeps to the space left of the panel: on a narrow (portrait) screen it is drawn
// smaller rather than cut by the window's left edge and hidden under the panel.
void c_MyApp::p_MenuLogo(const MenuLayout& at) {
    p_ResetDraw();
    const float logoRoom = (jscrw - at.W) * (1 - kLogoX) - kLogoMargin;  // centre to the panel
    p_SetSize(std::min(kLogoSize, 2 * logoRoom / kLogoWidth));
    p_DrawImg(kImgLogo, (jscrw - at.W) * kLogoX, at.intro * kIntroLogoSlide + kLogoY, 0);
}

// The side panel; a press on it takes the focus, a second one confirms.
c_MyApp::MenuPanelPress c_MyApp::p_MenuPanel(const MenuLayout& at) {
    p_ResetDraw();
    const float panelX = jscrw - at.W - at.intro * kIntroPanelSlide;
    p_Alpha(m_menuFocus == kFocusPanel ? kBarFocusAlpha : kBarAlpha);
    p_Rect(panelX - kBarOffset, kPanelTop, kBarWidth, jscrh - kPanelTop);
    p_SetCol(0, 0, 0, m_menuFocus == kFocusPanel ? kPanelFocusAlpha : kPanelAlpha);
    p_Rect(panelX, kPanelTop, at.W + kPanelOverhang, jscrh - kPanelTop);
    MenuPanelPress press{p_MouseIn(panelX, kPanelTop, at.W + kPanelOverhang, jscrh) != 0, false};
    if (press.onPanel) {
        if (m_menuFocus != kFocusPanel && latchesFree(*this)) {
            p_PlaySFX(kSfxMove);
            m_menuFocus = kFocusPanel;
            setLatches(*this);
        } else if (m_menuFocus == kFocusPanel && latchesFree(*this) && noPage(*this)) {
            p_PlaySFX(kSfxMove);
            press.confirm = true;
        }
    }
    return press;
}

// The play icon, shown while the wheel has the focus; a tap on it confirms.
bool c_MyApp::p_MenuPlayIcon(const MenuLayout& at, bool onPanel) {
    p_ResetDraw();
    const float playX = jscrw - at.W * 0.5f, playY = jscrh - kPlayIconRise;
    p_SetSize(kPlayIconSize);
    p_SetCol(kPlayR, kPlayG, kPlayB, (m_menuFocus == kFocusWheel && !onPanel) ? kPlayIconAlpha : 0.0f);
    p_DrawImg(kImgIcons, playX, playY, kPlayIconFrame);
    if (p_MouseIn_Centered(playX, playY, kPlayIconHit, kPlayIconHit) && latchesFree(*this) && noPage(*this)) {
        m_menuFocus = kFocusWheel;
        m_touchUsed = 1;
        p_PlaySFX(kSfxConfirm);
        return true;
    }
    return false;
}

// The score lists of the chosen difficulty, as many lines as the height allows.
void c_MyApp::p_MenuScoreLists(const MenuLayout& at) {
    const int d = std::clamp(m_difficulty, 1, kStateGroupsRead);
    const int b = kGroupEntries * (d - 1);
    const int lineH = std::max(1, static_cast<int>(m_imgInfo[3 * m_fontSlot + 1] * kLineSpacing));
    const int n = std::clamp(static_cast<int>(jscrh / 2 - kListReserve) / lineH, 1, kListMax);
    String top = n == 1 ? String("Highscore") : String("Top ") + String(n);
    String last = n == 1 ? String("Last") : String("Last ") + String(n);
    for (int k = 0; k < n; ++k) {
        top = top + String(kLineBreak) + p_rstr(m_hiscores[b + k], kScoreWidth, String(" "));
        last = last + String(kLineBreak) + p_rstr(m_hiscores[b + kLastListOffset + k], kScoreWidth, String(" "));
    }
    p_ResetDraw();
    p_SetSize(kListSize);
    const float listX = jscrw - at.W - at.intro * kIntroListSlide + kListInset;
    p_SetCol(kTopR, kTopG, kTopB);
    p_Text(listX, kTopListY, top, 0, 0, 0);
    p_SetCol(kLastR, kLastG, kLastB);
    p_Text(listX, jscrh * 0.5f + kLastListDrop, last, 0, 0, 0);
}

// Wheel motion: a flick slows down, the drawn angle eases to the target.
void c_MyApp::p_MenuTurnWheel() {
    if (m_wheelVel != 0) {
        m_wheelTarget += m_wheelVel;
        m_wheelVel *= kWheelFriction;
        if (std::fabs(m_wheelVel) < kWheelStopSpeed) m_wheelVel = 0;
    }
    if (m_wheelPos != m_wheelTarget) {
        m_wheelPos -= (m_wheelPos - m_wheelTarget) * kWheelEase;
        if (std::fabs(m_wheelPos - m_wheelTarget) < kWheelSnap) m_wheelPos = m_wheelTarget;
    }
}

// The options gear at the wheel's centre, turning while it has the focus; a tap opens the
// options box.
void c_MyApp::p_MenuGear(const MenuLayout& at) {
    p_ResetDraw();
    p_SetSize(kDiscSize);
    p_Alpha(m_menuFocus == kFocusGear ? kActiveAlpha : kIdleAlpha);
    p_DrawImg(kImgCircle, at.cx, at.cy, kDiscFrame);

    if (m_menuFocus == kFocusGear) m_gearAngle = std::fmod(m_gearAngle + kGearSpeed, 360.0f);
    p_SetSize(kGearSize);
    for (int g = 0; g < kGearLayers; ++g) {
        p_SetRot(kGearTurns[g] * m_gearAngle);
        p_DrawImg(kImgButtons, at.cx, at.cy, static_cast<float>(kGearFrames[g]));
    }
    if (p_MouseIn_Centered(at.cx, at.cy, kHubArea, kHubArea) && latchesFree(*this)) {
        m_optionsOpen = 1;
        m_touchUsed = 1;
        p_PlaySFX(kSfxMove);
        m_menuFocus = kFocusGear;
    }
}

// The wheel's ring; the pointer's movement along the wheel turns it.
void c_MyApp::p_MenuDragWheel(const MenuLayout& at) {
    p_SetSize(kRingSize);
    p_SetRot(-m_wheelPos);
    p_Alpha(m_menuFocus == kFocusWheel ? kActiveAlpha : kIdleAlpha);
    p_DrawImg(kImgCircle, at.cx, at.cy, kRingFrame);

    if (m_pointerDown == 0) m_dragX = kDragNone;
    if (p_MouseIn_Centered(at.cx, at.cy, kDragArea, kDragArea) &&
        !p_MouseIn_Centered(at.cx, at.cy, kHubArea, kHubArea) && m_touchUsed < 1) {
        if (m_dragX == kDragNone) {
            m_dragX = m_mouseX;
            m_dragY = m_mouseY;
        }
        const float step = static_cast<float>((m_dragX - m_mouseX) + (m_dragY - m_mouseY)) * kDragGain;
        m_wheelVel = std::clamp(m_wheelVel - step, -kWheelMaxSpeed, kWheelMaxSpeed);
        if (std::fabs(step) > kDragTapLimit) m_keyLatch = m_touchUsed = kDragLatch;
        m_menuFocus = kFocusWheel;
        m_dragX = m_mouseX;
        m_dragY = m_mouseY;
    }
}

// The items around the selection as the frame began; true when a tap confirms.
bool c_MyApp::p_MenuWheelItems(const MenuLayout& at) {
    const bool settled = std::fabs(m_wheelPos - m_wheelTarget) < kSettled;
    bool confirm = false;
    for (int i = at.choiceAtStart - kItemReach; i <= at.choiceAtStart + kItemReach; ++i) {
        if (i < at.minChoice || i > kLastItem) continue;
        if (p_MenuWheelItem(at, i, settled)) confirm = true;
    }
    return confirm;
}

// One item of the wheel: it settles a spinning wheel, is drawn, and takes taps. A tap on
// the selection confirms (returns true), a tap on another item selects it.
bool c_MyApp::p_MenuWheelItem(const MenuLayout& at, int i, bool settled) {
    const float a = kItemStep * i + kItemBase + m_wheelPos;
    const float off = std::fabs(a - kHotAngle);
    const float bulge = off <= kHotAngle ? (kHotAngle - off) * kBulgeGain : 0;
    const float r = kItemRadius + bulge;
    const float x = at.cx + std::sin(a * kDegToRad) * r;
    const float y = at.cy - std::cos(a * kDegToRad) * r;

    // A spinning wheel settles: Hard and Easy are pushed back, an item passing the window
    // becomes the selection.
    if (std::fabs(m_wheelVel) > kSpinning) {
        if (i == kLastItem && (a < kSelectLow || a > kPushBackFar)) m_wheelVel = kPushBackSpeed;
        if (i == 0 && a > kSelectHigh && a < kPushBackFar) m_wheelVel = -kPushBackSpeed;
        if (a > kSelectLow && a < kSelectHigh && i != at.choiceAtStart &&
            (m_wheelTapped == 0 || std::abs(i - at.choiceAtStart) > 1)) {
            m_menuChoice = i;
            p_PlaySFX(kSfxMove);
        }
    }

    const float size = i == m_menuChoice ? kSelectedSize : kItemSize;
    p_SetRot(-(a - kItemTilt) * kTiltGain);
    p_Alpha(m_menuFocus == kFocusWheel ? kItemAlpha : kItemDimAlpha);
    if (i >= 0) {
        p_SetCol(255, 255, 255);
        p_SetSize(size);
        p_DrawImg(kImgButtons, x, y, static_cast<float>(i % kItemFrames));
        p_SetSize(size * kNameScale);
        p_Text(x, y, MenuSet[2 * (i % 3)], 1, 1, 0);
    } else {
        p_SetCol(kQuitR, kQuitG, kQuitB);
        p_SetSize(size * kQuitItemScale);
        p_DrawImg(kImgIcons, x, y, kQuitFrame);
    }

    if (i == m_menuChoice) {
        if (p_MouseIn_Radius(x, y, kTapSelected, kTapSelected) && m_touchUsed == 0 && m_pointerDown &&
            m_wheelTapped == 0 && settled && noPage(*this)) {
            m_menuFocus = kFocusWheel;
            m_wheelTarget = -kItemStep * i;
            m_touchUsed = 1;
            p_PlaySFX(kSfxConfirm);
            return true;
        }
    } else if (p_MouseIn_Radius(x, y, kTapOther, kTapOther) && m_touchUsed < 1 && m_wheelTapped == 0 &&
               m_pointerDown && settled && noPage(*this)) {
        m_menuChoice = i;
        m_menuFocus = kFocusWheel;
        m_touchUsed = kDragLatch;
        m_wheelTapped = 1;
        m_wheelTarget = -kItemStep * i;
        p_PlaySFX(kSfxMove);
    }
    return false;
}

// Key repeat for up and down: released keys reset it, held keys count down to the next
// step and free the key latch when it is due.
c_MyApp::MenuArrows c_MyApp::p_MenuKeyRepeat() {
    const MenuArrows arrows{p_PlayKey(kKeyUp, kKeyModeStick, 0) != 0, p_PlayKey(kKeyDown, kKeyModeStick, 0) != 0};
    if (!arrows.up && !arrows.down) {
        m_player[kPlMenuRepeat] = 0;
        m_player[kPlMenuRepeatStep] = kRepeatFirst;
    } else {
        m_player[kPlMenuRepeat] -= 1;
        if (m_player[kPlMenuRepeat] < 0) m_keyLatch = 0;
    }
    return arrows;
}

// Keys of player 0: up and down turn the wheel while it has the focus (its description
// shown beneath), left and right move the focus, fire confirms (returns true).
bool c_MyApp::p_MenuPlayerKeys(const MenuLayout& at, const MenuArrows& arrows) {
    if (m_menuFocus == kFocusWheel) {
        if (jscrw > kDescMinWidth && m_menuChoice >= 0) {
            p_ResetDraw();
            p_SetSize(kDescSize);
            const float descY = jscrh - kDescRise - at.intro * kIntroTextDrop;
            p_Text(kDescX, descY, MenuSet[2 * (m_menuChoice % 3) + 1], 0, 0, 0);
        }
        if (arrows.up && latchesFree(*this) && m_menuChoice > at.minChoice && m_player[kPlMenuRepeat] < 1) {
            repeatStep(*this);
            --m_menuChoice;
            m_wheelTarget = -kItemStep * m_menuChoice;
            p_PlaySFX(kSfxMove);
        }
        if (arrows.down && latchesFree(*this) && m_menuChoice < kLastItem && m_player[kPlMenuRepeat] < 1) {
            repeatStep(*this);
            ++m_menuChoice;
            m_wheelTarget = -kItemStep * m_menuChoice;
            p_PlaySFX(kSfxMove);
        }
    }
    if (p_PlayKey(kKeyLeft, kKeyModeStick, 0) && latchesFree(*this) && m_menuFocus > kFocusGear) {
        --m_menuFocus;
        setLatches(*this);
        p_PlaySFX(kSfxMove);
    }
    if (p_PlayKey(kKeyRight, kKeyModeStick, 0) && latchesFree(*this) && m_menuFocus < kFocusPanel) {
        ++m_menuFocus;
        setLatches(*this);
        p_PlaySFX(kSfxMove);
    }
    if ((p_PlayKey(kKeyFire1, kKeyModeStick, 0) || p_PlayKey(kKeyFire2, kKeyModeStick, 0) ||
         p_PlayKey(kKeyFire3, kKeyModeStick, 0)) &&
        m_keyLatch == 0) {
        p_PlaySFX(kSfxConfirm);
        m_keyLatch = 1;
        return true;
    }
    return false;
}

// The difficulty follows the wheel; a confirm acts on the focused part: the gear opens the
// options box, the wheel starts a game (or quits, on the console's quit item), the panel
// opens the credits page.
void c_MyApp::p_MenuApplyChoice(bool confirm) {
    m_difficulty = std::clamp(m_menuChoice + 1, 1, kStateGroupsRead);
    if (!confirm || !noPage(*this)) return;
    if (m_menuFocus == kFocusGear) {
        m_optionsOpen = 1;
        p_PlaySFX(kSfxMove);
        setLatches(*this);
    } else if (m_menuFocus == kFocusWheel) {
        if (m_menuChoice == kQuitItem) oxError(String());
        bool keyboardFire = false;
        for (int k = kKeyFire1; k <= kKeyFire6; ++k)
            if (p_PlayKey(k, kKeyModeKeys, kKeyboardOnly)) keyboardFire = true;
        m_controlScheme = m_pointerDown ? kSchemeTouch : (keyboardFire ? kSchemeKeyboard : kSchemeController);
        setLatches(*this);
        m_wheelTarget = -kItemStep * m_menuChoice;
        m_mode = kModeStart;
    } else if (m_menuFocus == kFocusPanel) {
        m_creditsOpen = 1;
        p_PlaySFX(kSfxMove);
        setLatches(*this);
    }
}

// The maker's logo at the top of the panel, larger while the panel has the focus.
void c_MyApp::p_MenuMakerLogo(const MenuLayout& at) {
    p_ResetDraw();
    p_SetSize(m_menuFocus == kFocusPanel ? kMakerFocusSize : kMakerSize);
    p_DrawImg(kImgMakerLogo, jscrw - at.W * 0.5f, kMakerY, 0);
}

// The credits page: it scrolls (faster while up or down is held), slides in with the
// panel, and closes on fire or a press.
void c_MyApp::p_MenuCredits(const MenuLayout& at) {
    m_creditScroll -= kCreditSpeed;
    if (p_AnyHeld(kKeyDown) || p_AnyHeld(kKeyUp)) m_creditScroll -= kCreditFastSpeed;
    if (m_creditScroll < -kCreditLine) {
        m_creditScroll += kCreditLine;
        ++m_creditTop;
    }
    const float shift = jscrw - at.W;  // the page slides in with the panel
    p_MenuCreditLines(shift);
    p_MenuCreditStats(shift);
    p_MenuCreditCircles(shift);

    bool fire = false;
    for (int k = kKeyFire1; k <= kKeyFire4; ++k)
        if (p_AnyHeld(k)) fire = true;
    if ((fire || m_pointerDown) && latchesFree(*this)) {
        m_creditsOpen = 0;
        p_PlaySFX(kSfxMove);
        setLatches(*this);
    }

    p_ResetDraw();
    const float fx = jscrw * kFooterX + shift;
    p_DrawImg(kImgButtons, fx, jscrh - kFooterRise, kFooterFrame);
    p_Text(fx + kFooterText, jscrh - kFooterLine1, String(kCodedIn), 0, 0, 0);
    if (kCreditToolSiteLine < CreditText.Length())
        p_Text(fx + kFooterText, jscrh - kFooterLine2, CreditText[kCreditToolSiteLine], 0, 0, 0);
}

// Eight credit lines scroll up through the middle, fading and lifting away from it. The
// last line ("End") is never shown.
void c_MyApp::p_MenuCreditLines(float shift) {
    p_ResetDraw();
    const int L = CreditText.Length() - 1;
    for (int j = kCreditFirst; j <= kCreditLast && L > 0; ++j) {
        const int line = ((j + m_creditTop) % L + L) % L;
        const float f = (kCreditLine * j + m_creditScroll) / kCreditFadeSpan;
        const float g = std::fabs(f) - kCreditClear;
        float lift = 0, alpha = 1;
        if (g > 1) {
            lift = kCreditLift;
            alpha = 0;
        } else if (g >= 0) {
            lift = kCreditLift * g;
            alpha = 1 - g;
        }
        p_Alpha(alpha);
        p_Text((jscrw - kCreditRight) + shift, kCreditLine * j + jscrh / 2 + kCreditDrop - lift + m_creditScroll,
               CreditText[line], kCreditAlign, kCreditAlign, 0);
    }
}

// Statistics for the curious: the virtual and device screen sizes and the frame rates.
void c_MyApp::p_MenuCreditStats(float shift) {
    p_ResetDraw();
    const float sx = (jscrw - kStatsRight) + shift;
    float sy = kStatsTop;
    p_Text(sx, sy, String("Debug Stats"), 2, 1, 0);
    sy += kStatsHead;
    p_Text(sx, sy, String("Engine"), 2, 1, 0);
    sy += kStatsLine;
    p_Text(sx, sy, String(static_cast<int>(jscrw)) + String("x") + String(static_cast<int>(jscrh)), 2, 1, 0);
    sy += kStatsHead;
    p_Text(sx, sy, String("Screen"), 2, 1, 0);
    sy += kStatsLine;
    p_Text(sx, sy, String(m_devW) + String("x") + String(m_devH), 2, 1, 0);
    sy += kStatsHead;
    p_Text(sx, sy, String("FPS"), 2, 1, 0);
    sy += kStatsLine;
    p_Text(sx, sy, String(m_updateFpsAvg) + String(" : ") + String(m_renderFpsAvg), 2, 1, 0);
}

// A ring of coloured circles turning with the credits' scroll.
void c_MyApp::p_MenuCreditCircles(float shift) {
    for (int k = 0; k < kCircles; ++k) {
        p_Ink(k);
        p_Alpha(kCircleAlpha);
        const float th =
            (kCircleSpacing * k - m_creditScroll * kCircleScrollGain + m_creditTop) * kCircleTurn * kDegToRad;
        p_Oval((jscrw - kCircleRight) + shift + std::sin(th) * kCircleRadius, jscrh / 2 - std::cos(th) * kCircleRadius,
               kCircleSize, kCircleSize);
    }
}
