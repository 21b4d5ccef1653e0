// The main menu: animated background, logo, difficulty wheel with the options gear, side
// panel with score lists and play icon, key repeat and focus, and the credits page.
#include "game/my_app.h"
#include "game/rules.h"
#include "game/shell.h"
#include "framework/input.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDegToRad = 0.017453292519943295f;
constexpr int kPlayers = 4;            // game pads read for quitting and the credits page
constexpr int kKeyMode = 1;            // p_PlayKey mode: sticks count as directions
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
constexpr int kGearFrames[3] = {8, 9, 10};
constexpr float kGearTurns[3] = {-1, 2, -4};

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
constexpr int kModeQuitPrompt = 4, kModeStartGame = 11;
constexpr int kSchemeKeyboard = 0, kSchemeController = 1, kSchemeTouch = 2;
constexpr int kDragNone = -1;
constexpr int kDragLatch = -1;         // a drag sets the latches to -1, which wheel actions treat as free

}  // namespace

int c_MyApp::p_Menu() {
    const float W = m_panelX + kPanelBase;
    const int choiceAtStart = m_menuChoice;
    const int minChoice = isOuya == 1 ? kQuitItem : 0;
    auto anyPlayer = [this](int key) {
        for (int p = 0; p < kPlayers; ++p)
            if (p_PlayKey(key, kKeyMode, p)) return true;
        return false;
    };
    auto latchesFree = [this] { return m_keyLatch == 0 && m_touchUsed == 0; };
    auto setLatches = [this] { m_keyLatch = m_touchUsed = 1; };
    auto noPage = [this] { return m_optionsOpen == 0 && m_creditsOpen == 0; };
    auto sound = [this](int n) { p_PlaySFX(n, 1.0f, 1.0f, 0.0f); };
    bool confirm = false;

    // 1. Background.
    const float t = std::trunc(ox_app_Millisecs() * kBgClockRate) * kDegToRad;
    p_DoBG(static_cast<int>(std::sin(t) * kBgSwing + kBgMid), static_cast<int>(std::cos(t) * kBgSwing + kBgMid),
           static_cast<int>(kBgMid - std::cos(t) * kBgSwing), kBgKeepAlpha);

    // 2. Intro slide.
    if (m_menuIntro < 0) ++m_menuIntro;
    const float intro = static_cast<float>(m_menuIntro);
    const float cx = intro * kIntroLogoSlide + kWheelLeft;
    const float cy = static_cast<float>(static_cast<int>(jscrh - kWheelRise - intro * kIntroWheelDrop));

    // 3. Quitting: the desktop ends at once; the console asks first.
    if (latchesFree()) {
        if (anyPlayer(kKeyPause) && isOuya == 0) {
            oxError(String());
        } else if (isOuya == 1 && (anyPlayer(kKeyBack) || ox_input_KeyDown(kKeyCodeEscape))) {
            m_mode = kModeQuitPrompt;
            setLatches();
        }
    }
    if (m_touchUsed == 0) m_wheelTapped = 0;

    // 4. Logo. It keeps to the space left of the panel: on a narrow (portrait) screen it is drawn
    // smaller rather than cut by the window's left edge and hidden under the panel.
    p_ResetDraw();
    const float logoRoom = (jscrw - W) * (1 - kLogoX) - kLogoMargin;  // centre to the panel
    p_SetSize(std::min(kLogoSize, 2 * logoRoom / kLogoWidth));
    p_DrawImg(kImgLogo, (jscrw - W) * kLogoX, intro * kIntroLogoSlide + kLogoY, 0);

    // 5. Side panel; a press on it takes the focus, a second one confirms.
    p_ResetDraw();
    const float panelX = jscrw - W - intro * kIntroPanelSlide;
    p_Alpha(m_menuFocus == kFocusPanel ? kBarFocusAlpha : kBarAlpha);
    p_Rect(panelX - kBarOffset, kPanelTop, kBarWidth, jscrh - kPanelTop);
    p_SetCol(0, 0, 0, m_menuFocus == kFocusPanel ? kPanelFocusAlpha : kPanelAlpha);
    p_Rect(panelX, kPanelTop, W + kPanelOverhang, jscrh - kPanelTop);
    const bool onPanel = p_MouseIn(panelX, kPanelTop, W + kPanelOverhang, jscrh) != 0;
    if (onPanel) {
        if (m_menuFocus != kFocusPanel && latchesFree()) {
            sound(kSfxMove);
            m_menuFocus = kFocusPanel;
            setLatches();
        } else if (m_menuFocus == kFocusPanel && latchesFree() && noPage()) {
            sound(kSfxMove);
            confirm = true;
        }
    }

    // 6. Play icon.
    p_ResetDraw();
    const float playX = jscrw - W * 0.5f, playY = jscrh - kPlayIconRise;
    p_SetSize(kPlayIconSize);
    p_SetCol(kPlayR, kPlayG, kPlayB, (m_menuFocus == kFocusWheel && !onPanel) ? kPlayIconAlpha : 0.0f);
    p_DrawImg(kImgIconSet, playX, playY, kPlayIconFrame);
    if (p_MouseIn_Centered(playX, playY, kPlayIconHit, kPlayIconHit) && latchesFree() && noPage()) {
        m_menuFocus = kFocusWheel;
        m_touchUsed = 1;
        sound(kSfxConfirm);
        confirm = true;
    }

    // 7. Score lists of the chosen difficulty, as many lines as the height allows.
    if (m_optionsOpen == 0) {
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
        const float listX = jscrw - W - intro * kIntroListSlide + kListInset;
        p_SetCol(kTopR, kTopG, kTopB);
        p_Text(listX, kTopListY, top, 0, 0, 0);
        p_SetCol(kLastR, kLastG, kLastB);
        p_Text(listX, jscrh * 0.5f + kLastListDrop, last, 0, 0, 0);
    }

    // 8. Wheel motion: a flick slows down, the drawn angle eases to the target.
    if (m_wheelVel != 0) {
        m_wheelTarget += m_wheelVel;
        m_wheelVel *= kWheelFriction;
        if (std::fabs(m_wheelVel) < kWheelStopSpeed) m_wheelVel = 0;
    }
    if (m_wheelPos != m_wheelTarget) {
        m_wheelPos -= (m_wheelPos - m_wheelTarget) * kWheelEase;
        if (std::fabs(m_wheelPos - m_wheelTarget) < kWheelSnap) m_wheelPos = m_wheelTarget;
    }

    // 9. Wheel and gear.
    if (noPage()) {
        p_ResetDraw();
        p_SetSize(kDiscSize);
        p_Alpha(m_menuFocus == kFocusGear ? kActiveAlpha : kIdleAlpha);
        p_DrawImg(kImgCircle, cx, cy, kDiscFrame);

        if (m_menuFocus == kFocusGear) m_gearAngle = std::fmod(m_gearAngle + kGearSpeed, 360.0f);
        p_SetSize(kGearSize);
        for (int g = 0; g < 3; ++g) {
            p_SetRot(kGearTurns[g] * m_gearAngle);
            p_DrawImg(kImgButtons, cx, cy, static_cast<float>(kGearFrames[g]));
        }
        if (p_MouseIn_Centered(cx, cy, kHubArea, kHubArea) && latchesFree()) {
            m_optionsOpen = 1;
            m_touchUsed = 1;
            sound(kSfxMove);
            m_menuFocus = kFocusGear;
        }

        p_SetSize(kRingSize);
        p_SetRot(-m_wheelPos);
        p_Alpha(m_menuFocus == kFocusWheel ? kActiveAlpha : kIdleAlpha);
        p_DrawImg(kImgCircle, cx, cy, kRingFrame);

        // Drag: the pointer's movement along the wheel turns it.
        if (m_pointerDown == 0) m_dragX = kDragNone;
        if (p_MouseIn_Centered(cx, cy, kDragArea, kDragArea) && !p_MouseIn_Centered(cx, cy, kHubArea, kHubArea) &&
            m_touchUsed < 1) {
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

        const bool settled = std::fabs(m_wheelPos - m_wheelTarget) < kSettled;
        for (int i = choiceAtStart - kItemReach; i <= choiceAtStart + kItemReach; ++i) {
            if (i < minChoice || i > kLastItem) continue;
            const float a = kItemStep * i + kItemBase + m_wheelPos;
            const float off = std::fabs(a - kHotAngle);
            const float bulge = off <= kHotAngle ? (kHotAngle - off) * kBulgeGain : 0;
            const float r = kItemRadius + bulge;
            const float x = cx + std::sin(a * kDegToRad) * r;
            const float y = cy - std::cos(a * kDegToRad) * r;

            // A spinning wheel settles: Hard and Easy are pushed back, an item passing the
            // window becomes the selection.
            if (std::fabs(m_wheelVel) > kSpinning) {
                if (i == kLastItem && (a < kSelectLow || a > kPushBackFar)) m_wheelVel = kPushBackSpeed;
                if (i == 0 && a > kSelectHigh && a < kPushBackFar) m_wheelVel = -kPushBackSpeed;
                if (a > kSelectLow && a < kSelectHigh && i != choiceAtStart &&
                    (m_wheelTapped == 0 || std::abs(i - choiceAtStart) > 1)) {
                    m_menuChoice = i;
                    sound(kSfxMove);
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
                p_DrawImg(kImgIconSet, x, y, kQuitFrame);
            }

            if (i == m_menuChoice) {
                if (p_MouseIn_Radius(x, y, kTapSelected, kTapSelected) && m_touchUsed == 0 && m_pointerDown &&
                    m_wheelTapped == 0 && settled && noPage()) {
                    m_menuFocus = kFocusWheel;
                    m_wheelTarget = -kItemStep * i;
                    m_touchUsed = 1;
                    sound(kSfxConfirm);
                    confirm = true;
                }
            } else if (p_MouseIn_Radius(x, y, kTapOther, kTapOther) && m_touchUsed < 1 && m_wheelTapped == 0 &&
                       m_pointerDown && settled && noPage()) {
                m_menuChoice = i;
                m_menuFocus = kFocusWheel;
                m_touchUsed = kDragLatch;
                m_wheelTapped = 1;
                m_wheelTarget = -kItemStep * i;
                sound(kSfxMove);
            }
        }
    }

    // 10. Key repeat for up and down.
    const bool up = p_PlayKey(kKeyUp, kKeyMode, 0) != 0;
    const bool down = p_PlayKey(kKeyDown, kKeyMode, 0) != 0;
    if (!up && !down) {
        m_player[kPlMenuRepeat] = 0;
        m_player[kPlMenuRepeatStep] = kRepeatFirst;
    } else {
        m_player[kPlMenuRepeat] -= 1;
        if (m_player[kPlMenuRepeat] < 0) m_keyLatch = 0;
    }
    auto repeatStep = [this, &setLatches] {
        m_player[kPlMenuRepeat] = m_player[kPlMenuRepeatStep];
        m_player[kPlMenuRepeatStep] = std::max(kRepeatMin, m_player[kPlMenuRepeatStep] - kRepeatDrop);
        setLatches();
    };

    // 11. Keys of player 0.
    if (noPage()) {
        if (m_menuFocus == kFocusWheel) {
            if (jscrw > kDescMinWidth && m_menuChoice >= 0) {
                p_ResetDraw();
                p_SetSize(kDescSize);
                p_Text(kDescX, jscrh - kDescRise - intro * kIntroTextDrop, MenuSet[2 * (m_menuChoice % 3) + 1], 0, 0, 0);
            }
            if (up && latchesFree() && m_menuChoice > minChoice && m_player[kPlMenuRepeat] < 1) {
                repeatStep();
                --m_menuChoice;
                m_wheelTarget = -kItemStep * m_menuChoice;
                sound(kSfxMove);
            }
            if (down && latchesFree() && m_menuChoice < kLastItem && m_player[kPlMenuRepeat] < 1) {
                repeatStep();
                ++m_menuChoice;
                m_wheelTarget = -kItemStep * m_menuChoice;
                sound(kSfxMove);
            }
        }
        if (p_PlayKey(kKeyLeft, kKeyMode, 0) && latchesFree() && m_menuFocus > kFocusGear) {
            --m_menuFocus;
            setLatches();
            sound(kSfxMove);
        }
        if (p_PlayKey(kKeyRight, kKeyMode, 0) && latchesFree() && m_menuFocus < kFocusPanel) {
            ++m_menuFocus;
            setLatches();
            sound(kSfxMove);
        }
        if ((p_PlayKey(kKeyFire1, kKeyMode, 0) || p_PlayKey(kKeyFire2, kKeyMode, 0) ||
             p_PlayKey(kKeyFire3, kKeyMode, 0)) &&
            m_keyLatch == 0) {
            sound(kSfxConfirm);
            confirm = true;
            m_keyLatch = 1;
        }
    }

    // 12. The difficulty follows the wheel; a confirm acts on the focused part.
    m_difficulty = std::clamp(m_menuChoice + 1, 1, kStateGroupsRead);
    if (confirm && noPage()) {
        if (m_menuFocus == kFocusGear) {
            m_optionsOpen = 1;
            sound(kSfxMove);
            setLatches();
        } else if (m_menuFocus == kFocusWheel) {
            if (m_menuChoice == kQuitItem) oxError(String());
            bool keyboardFire = false;
            for (int k = kKeyFire1; k <= kKeyFire6; ++k)
                if (p_PlayKey(k, 0, kKeyboardOnly)) keyboardFire = true;
            m_controlScheme = m_pointerDown ? kSchemeTouch : (keyboardFire ? kSchemeKeyboard : kSchemeController);
            setLatches();
            m_wheelTarget = -kItemStep * m_menuChoice;
            m_mode = kModeStartGame;
        } else if (m_menuFocus == kFocusPanel) {
            m_creditsOpen = 1;
            sound(kSfxMove);
            setLatches();
        }
    }

    // 13. Maker logo.
    p_ResetDraw();
    p_SetSize(m_menuFocus == kFocusPanel ? kMakerFocusSize : kMakerSize);
    p_DrawImg(kImgMakerLogo, jscrw - W * 0.5f, kMakerY, 0);

    // 14. Credits page.
    if (m_creditsOpen == 1) {
        m_creditScroll -= kCreditSpeed;
        if (anyPlayer(kKeyDown) || anyPlayer(kKeyUp)) m_creditScroll -= kCreditFastSpeed;
        if (m_creditScroll < -kCreditLine) {
            m_creditScroll += kCreditLine;
            ++m_creditTop;
        }
        const float shift = jscrw - W;  // the page slides in with the panel

        // Eight lines scroll up through the middle, fading and lifting away from it. The
        // last line ("End") is never shown.
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
            p_Text((jscrw - kCreditRight) + shift,
                   kCreditLine * j + jscrh / 2 + kCreditDrop - lift + m_creditScroll, CreditText[line],
                   kCreditAlign, kCreditAlign, 0);
        }

        // Statistics for the curious.
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

        // A ring of coloured circles turning with the scroll.
        for (int k = 0; k < kCircles; ++k) {
            p_Ink(k);
            p_Alpha(kCircleAlpha);
            const float th = (kCircleSpacing * k - m_creditScroll * kCircleScrollGain + m_creditTop) * kCircleTurn *
                             kDegToRad;
            p_Oval((jscrw - kCircleRight) + shift + std::sin(th) * kCircleRadius,
                   jscrh / 2 - std::cos(th) * kCircleRadius, kCircleSize, kCircleSize);
        }

        bool fire = false;
        for (int k = kKeyFire1; k <= kKeyFire4; ++k)
            if (anyPlayer(k)) fire = true;
        if ((fire || m_pointerDown) && latchesFree()) {
            m_creditsOpen = 0;
            sound(kSfxMove);
            setLatches();
        }

        p_ResetDraw();
        const float fx = jscrw * kFooterX + shift;
        p_DrawImg(kImgButtons, fx, jscrh - kFooterRise, kFooterFrame);
        p_Text(fx + kFooterText, jscrh - kFooterLine1, String(kCodedIn), 0, 0, 0);
        if (kCreditToolSiteLine < CreditText.Length())
            p_Text(fx + kFooterText, jscrh - kFooterLine2, CreditText[kCreditToolSiteLine], 0, 0, 0);
    }
    return 0;
}
