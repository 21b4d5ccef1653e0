// The two per-frame callbacks: the update (function keys, pointer and touches in virtual
// units, the key latch, the mode dispatch, iCade letters, the debug line) and the render
// (screen fitting and the replay of the draw list); plus the logical key map and the stick.
#include "game/my_app.h"
#include "game/draw_list.h"
#include "game/rules.h"
#include "game/shell.h"
#include "framework/input.h"
#include "host/joystick.h"
#include "net/async_event.h"

#include <cmath>

namespace {

constexpr int kConsoleMenuButton = JoyKey(0, kJoyButtonGuide);  // joystick 0's Menu button
constexpr int kPlayers = 4;
constexpr int kVkeyPlatformBack = 19;          // m_vkeys entry of the platform's Back/Menu button
constexpr int kVkeyICadeBack1 = 16, kVkeyICadeBack2 = 17;
constexpr int kVkeysCleared = 19;              // entries 0..18 are cleared when iCade turns off
constexpr int kICadePress = 2;
constexpr float kStickKeyThreshold = 0.4f;     // stick deflection that counts as a direction key
constexpr float kStickDeadZone = 0.2f;
constexpr float kKeyRampStep = 0.15f;          // a held direction key ramps the stick by this
constexpr float kKeyRampReturn = 0.2f;         // and a released one returns by this
// The ramp is kept on this grid, so that float rounding never leaves a crumb beside 0: a
// released key returns from full to 0 in exactly five frames, and two steps of 0.15 make
// exactly the 0.3 move threshold.
constexpr double kKeyRampGrid = 100000;
constexpr float kDebugStickCentre = 0.05f;
constexpr int kOptSlideMax = 30;
constexpr float kPanelEase = 8;                // the menu panel moves 1/8 of the way per frame
constexpr float kPanelSnap = 8;
constexpr float kPanelCreditsInset = 140;
constexpr float kPortraitFactor = 1.5f;        // a tall window shows 1.5 times the design size
constexpr int kMsPerSecond = 1000;
constexpr int kFpsSmoothing = 10;
constexpr float kDebugTextInset = 16;
constexpr float kDebugStickInset = 64, kDebugStickReach = 52;
constexpr float kDebugStickOuter = 12, kDebugStickInner = 8;
constexpr int kBlendAdditiveDevice = 1, kBlendAlphaDevice = 0;

// iCade letters: press letter, release letter, logical key.
struct ICadeKey {
    char press, release;
    int key;
};
const ICadeKey kICadeMap[] = {
    {'W', 'E', 0}, {'X', 'Z', 8}, {'A', 'Q', 3}, {'D', 'C', 5}, {'Y', 'T', 13}, {'U', 'F', 14},
    {'I', 'M', 15}, {'O', 'G', 16}, {'H', 'R', 10}, {'J', 'N', 11}, {'K', 'P', 12}, {'L', 'V', 17},
};

inline bool down(int code) { return ox_input_KeyDown(code) != 0; }
inline float onRampGrid(float v) { return static_cast<float>(std::round(v * kKeyRampGrid) / kKeyRampGrid); }
inline bool joy(int player, int button) { return down(JoyKey(player, button)); }

// Device pixels to virtual units; nothing before the screen has been fitted.
inline int toVirtual(float pixels, float offset, float scale) {
    if (!(scale > 0)) return 0;
    return static_cast<int>((pixels - offset) / scale);
}

}  // namespace

// ---- Logical keys ----

int c_MyApp::p_PlayKey(int key, int mode, int player) {
    if (player < -1 || player >= kPlayers) return 0;
    const bool pads = player >= 0;
    const bool stick = pads && mode == kKeyModeStick;
    const int p = player;
    bool held = false;
    if (iCadeControls == 1) {
        switch (key) {
            case kKeyUp: held = down(kKeyCodeUp) || (pads && joy(p, kJoyButtonUp)) || m_vkeys[kKeyUp]; break;
            case kKeyLeft:
                held = down(kKeyCodeLeft) || (pads && joy(p, kJoyButtonLeft)) || m_vkeys[kKeyLeft];
                break;
            case kKeyRight:
                held = down(kKeyCodeRight) || (pads && joy(p, kJoyButtonRight)) || m_vkeys[kKeyRight];
                break;
            case kKeyDown:
                held = down(kKeyCodeDown) || (pads && joy(p, kJoyButtonDown)) || m_vkeys[kKeyDown];
                break;
            case kKeyFire1:
                held = down(kKeyCodeSpace) || down(kKeyCodeEnter) || (pads && joy(p, kJoyButtonA)) || m_vkeys[key];
                break;
            case kKeyFire2:
                held = down(kKeyCodeControl) || (pads && joy(p, kJoyButtonB)) || m_vkeys[key];
                break;
            case kKeyFire3:
                held = down(kKeyCodeShift) || (pads && joy(p, kJoyButtonX)) || m_vkeys[key];
                break;
            case kKeyFire4: held = (pads && joy(p, kJoyButtonY)) || m_vkeys[key]; break;
            case kKeyFire5: held = (pads && joy(p, kJoyButtonLB)) || m_vkeys[key]; break;
            case kKeyFire6: held = (pads && joy(p, kJoyButtonRB)) || m_vkeys[key]; break;
            case kKeyPause:
                held = down(kKeyCodeEscape) || down(kKeyCodeDelete) || down(kKeyCodeBackspace) ||
                       (pads &&
                        (joy(p, kJoyButtonStart) || joy(p, kJoyButtonBack) || joy(p, kJoyButtonGuide))) ||
                       m_vkeys[kVkeyICadeBack1] || m_vkeys[kVkeyICadeBack2] || m_vkeys[kVkeyPlatformBack];
                break;
            default: break;
        }
        return held ? 1 : 0;
    }
    switch (key) {
        case kKeyUp:
            held = down(kKeyCodeUp) || down('W') || (pads && joy(p, kJoyButtonUp)) ||
                   (stick && p_StickY(0, p) < -kStickKeyThreshold) || m_vkeys[kKeyUp];
            break;
        case kKeyLeft:
            held = down(kKeyCodeLeft) || down('A') || (pads && joy(p, kJoyButtonLeft)) ||
                   (stick && p_StickX(0, p) < -kStickKeyThreshold) || m_vkeys[kKeyLeft];
            break;
        case kKeyRight:
            held = down(kKeyCodeRight) || down('D') || (pads && joy(p, kJoyButtonRight)) ||
                   (stick && p_StickX(0, p) > kStickKeyThreshold) || m_vkeys[kKeyRight];
            break;
        case kKeyDown:
            held = down(kKeyCodeDown) || down('S') || (pads && joy(p, kJoyButtonDown)) ||
                   (stick && p_StickY(0, p) > kStickKeyThreshold) || m_vkeys[kKeyDown];
            break;
        case kKeyFire1:
            held = down('Z') || down('J') || down(kKeyCodeSpace) || down(kKeyCodeEnter) ||
                   (pads && joy(p, kJoyButtonA)) || m_vkeys[key];
            break;
        case kKeyFire2:
            held = down('X') || down('K') || down(kKeyCodeControl) || (pads && joy(p, kJoyButtonB)) || m_vkeys[key];
            break;
        case kKeyFire3:
            held = down('C') || down('L') || down(kKeyCodeShift) || (pads && joy(p, kJoyButtonX)) || m_vkeys[key];
            break;
        case kKeyFire4: held = down('V') || down('I') || (pads && joy(p, kJoyButtonY)) || m_vkeys[key]; break;
        case kKeyFire5: held = down('B') || down('U') || (pads && joy(p, kJoyButtonLB)) || m_vkeys[key]; break;
        case kKeyFire6: held = down('N') || down('O') || (pads && joy(p, kJoyButtonRB)) || m_vkeys[key]; break;
        case kKeyBack:
        case kKeyPause:
            if (!pads && key == kKeyBack) break;
            if (isOuya == 0) {
                held = down(kKeyCodeEscape) || down(kKeyCodeGrave) || down(kKeyCodeDelete) ||
                       down(kKeyCodeBackspace) ||
                       (pads &&
                        (joy(p, kJoyButtonBack) || joy(p, kJoyButtonStart) || joy(p, kJoyButtonGuide))) ||
                       m_vkeys[kVkeyICadeBack1] || m_vkeys[kVkeyICadeBack2] || m_vkeys[kVkeyPlatformBack];
            } else if (isOuya == 1) {
                if (!pads) {
                    held = m_vkeys[kVkeyPlatformBack] != 0;
                } else {
                    held = down(kKeyCodeEscape) || m_vkeys[kVkeyPlatformBack] || joy(p, kJoyButtonBack) ||
                           (key == kKeyPause && joy(p, kJoyButtonStart));
                }
            }
            break;
        default: break;
    }
    return held ? 1 : 0;
}

int c_MyApp::p_PlayKeyAll(int key, int mode) {
    int n = 0;
    for (int p = 0; p < kPlayers; ++p) n += p_PlayKey(key, mode, p);
    return n;
}

float c_MyApp::p_StickX(int axis, int player) {
    if (player < 0 || player >= kPlayers || axis < 0 || axis > 1) return 0;
    return ox_input_JoyX(axis, player);
}

float c_MyApp::p_StickY(int axis, int player) {
    if (player < 0 || player >= kPlayers || axis < 0 || axis > 1) return 0;
    float y = ox_input_JoyY(axis, player);
    return m_options[kOptLeftStickY + axis] != 0 ? y : -y;
}

int c_MyApp::p_AnalogueControl() {
    m_stickX = 0;
    m_stickY = 0;
    float x = p_StickX(0, 0), y = p_StickY(0, 0);
    if (std::fabs(x) > kStickDeadZone || std::fabs(y) > kStickDeadZone) {
        m_stickX = x;
        m_stickY = y;
    }
    // Direction keys ramp a stick of their own: held keys push it, released ones let it return.
    // The key towards negative values is handled first, as up before down and left before right.
    auto ramp = [](bool negHeld, bool posHeld, float& key, float& stick) {
        if (negHeld) {
            key = onRampGrid(key - kKeyRampStep);
            stick = key;
        } else if (key < 0) {
            key = onRampGrid(key + kKeyRampReturn);
            if (key > 0) key = 0;
            stick = key;
        }
        if (posHeld) {
            key = onRampGrid(key + kKeyRampStep);
            stick = key;
        } else if (key > 0) {
            key = onRampGrid(key - kKeyRampReturn);
            if (key < 0) key = 0;
            stick = key;
        }
    };
    ramp(p_PlayKey(kKeyUp, kKeyModeKeys, 0) != 0, p_PlayKey(kKeyDown, kKeyModeKeys, 0) != 0, m_keyStickY,
         m_stickY);
    ramp(p_PlayKey(kKeyLeft, kKeyModeKeys, 0) != 0, p_PlayKey(kKeyRight, kKeyModeKeys, 0) != 0, m_keyStickX,
         m_stickX);
    auto clampUnit = [](float& v) { v = v < -1 ? -1.0f : (v > 1 ? 1.0f : v); };
    clampUnit(m_stickX);
    clampUnit(m_stickY);
    clampUnit(m_keyStickX);
    clampUnit(m_keyStickY);

    if (DebugMode == 1 && (std::fabs(m_stickX) > kDebugStickCentre || std::fabs(m_stickY) > kDebugStickCentre)) {
        p_SetCol(0, 180, 250, 0.5f);
        float cx = jscrw - kDebugStickInset, cy = jscrh - kDebugStickInset;
        p_Oval(cx, cy, kDebugStickOuter, kDebugStickOuter);
        p_Oval(cx + kDebugStickReach * m_stickX, cy + kDebugStickReach * m_stickY, kDebugStickInner, kDebugStickInner);
    }
    p_ResetDraw();
    return 0;
}

int c_MyApp::p_iCade(int on) {
    if (on == 1) {
        ox_input_EnableKeyboard();
        iCadeControls = 1;
        while (ox_input_GetChar() != 0) {
        }
    } else if (on == 0) {
        ox_input_DisableKeyboard();
        iCadeControls = 0;
        for (int i = 0; i < kVkeysCleared; ++i) m_vkeys[i] = 0;
    }
    return 0;
}

void c_MyApp::p_DecodeICade() {
    for (;;) {
        int c = ox_input_GetChar();
        if (c == 0) break;
        if (c < 0) continue;
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
        for (const ICadeKey& k : kICadeMap) {
            if (c == k.press) m_vkeys[k.key] = kICadePress;
            if (c == k.release) m_vkeys[k.key] = 0;
        }
    }
}

// ---- Update ----

void c_MyApp::p_MeasureRate(int now, int* lastMs, int* fps, int* fpsAvg) {
    if (now > *lastMs) {
        *fps = kMsPerSecond / (now - *lastMs);
        *fpsAvg = (*fps + (kFpsSmoothing - 1) * *fpsAvg) / kFpsSmoothing;
        *lastMs = now;
    }
}

void c_MyApp::p_ReadPointer() {
    const int devW = ox_app_DeviceWidth(), devH = ox_app_DeviceHeight();
    const float oy = devW > 0 ? overscan * devH / devW : 0.0f;

    m_lastMouseX = m_mouseX;
    m_lastMouseY = m_mouseY;
    m_mouseX = toVirtual(ox_input_MouseX(), overscan, m_scaleX);
    m_mouseY = toVirtual(ox_input_MouseY(), oy, m_scaleY);
    const int isDown = down(kMouseLeftKey) ? 1 : 0;
    if (m_wasDown == 0 && isDown == 1) {
        m_lastMouseX = m_mouseX;
        m_lastMouseY = m_mouseY;
    }
    m_pointerDown = isDown;
    m_mouseHit = ox_input_KeyHit(kMouseLeftKey);
    for (int i = 0; i < MyAppSizes::kTouchSlots; ++i) {
        m_touchOn[i] = 0;
        m_touchX[i] = kTouchUp;
        m_touchY[i] = kTouchUp;
        if (down(kTouchKeyBase + i)) {
            m_touchOn[i] = 1;
            m_touchX[i] = toVirtual(ox_input_TouchX(i), overscan, m_scaleX);
            m_touchY[i] = toVirtual(ox_input_TouchY(i), oy, m_scaleY);
            m_pointerDown = 1;
        }
    }
    m_wasDown = isDown;
    if (m_pointerDown == 0) m_touchUsed = 0;
    if (m_tapDelay > 0) --m_tapDelay;
    if (isOuya == 1) {
        m_wasDown = 0;
        m_pointerDown = 0;
        m_touchUsed = 0;
        m_tapDelay = 0;
        m_controlScheme = 1;
    }
}

void c_MyApp::p_RunMode() {
    const int mode = m_mode;
    switch (mode) {
        case kModeMenu:
            p_Menu();
            break;
        case kModeToMenu:
            p_LoadMenu();
            p_PlaySFX(kSfxJingle, 1, 1, 0);
            m_mode = kModeMenu;
            break;
        case kModeQuitPrompt:
            p_OuyaQuit();
            break;
        case kModePlaying:
            if (m_paused == 0) p_Game();
            p_InGame();
            if (m_timeUp > 0) {
                p_GameOver();
                if (m_mode == kModeToMenu) p_GameOver();
            }
            return;
        case kModeStart:
            p_LoadGame();
            break;
        default:
            return;
    }
    // The game-over overlay fades out over the menu.
    if (m_mode == kModeMenu || m_mode == kModeToMenu) p_GameOver();
}

int c_MyApp::p_OnUpdate() {
    if (isOuya == 0) {
        m_vkeys[kVkeyPlatformBack] = ox_input_KeyHit(kBackKey);
    } else if (isOuya == 1) {
        m_vkeys[kVkeyPlatformBack] = ox_input_KeyHit(kConsoleMenuButton) ? 1 : 0;
    }

    if (ox_input_KeyHit(kKeyCodeF1)) DebugMode = 1 - DebugMode;
    if (ox_input_KeyHit(kKeyCodeF2)) m_hideHud = 1 - m_hideHud;
    if (ox_input_KeyHit(kKeyCodeF11)) p_FullscreenFlip();
    if (ox_input_KeyHit(kKeyCodeF4) || ox_input_KeyHit(kWindowCloseKey)) oxError(String());

    ox_asyncevent_UpdateAsyncEvents();

    if (HasMusicStream == 1 && m_musicPlaying == 1) {
        if (m_paused != 0) {
            ox_audio_PauseMusic();
        } else {
            ox_audio_ResumeMusic();
        }
    }

    p_MeasureRate(ox_app_Millisecs(), &m_updateMs, &m_updateFps, &m_updateFpsAvg);
    p_ReadPointer();

    // Key latch: released once no control is held; the options box swallows all input.
    static const int kLatchKeys[] = {kKeyUp, kKeyLeft, kKeyRight, kKeyDown, kKeyFire1, kKeyFire2,
                                     kKeyFire3, kKeyFire4, kKeyFire5, kKeyFire6, kKeyPause};
    bool anyHeld = false;
    for (int k : kLatchKeys) {
        if (p_PlayKeyAll(k, kKeyModeStick) > 0) {
            anyHeld = true;
            break;
        }
    }
    if (!anyHeld) m_keyLatch = 0;
    if (m_keyLatch == 0 && m_touchUsed == 0 && p_PlayKeyAll(kKeyPause, kKeyModeStick) > 0 && m_mode == kModeMenu &&
        (m_optionsOpen != 0 || m_creditsOpen != 0)) {
        m_creditsOpen = 0;
        m_keyLatch = 1;
        m_touchUsed = 1;
    }
    if (m_optionsOpen != 0) {
        m_keyLatch = 1;
        m_touchUsed = 1;
    }

    if (m_loadStep == 0) {
        p_RunMode();
        if (m_optionsOpen == 1 || m_optSlide > 0) {
            if (m_optionsOpen == 1) {
                if (m_optSlide < kOptSlideMax) ++m_optSlide;
            } else {
                --m_optSlide;
            }
            p_OptionBox();
        }
        if (m_creditsOpen == 0) {
            m_panelX -= m_panelX / kPanelEase;
            if (m_panelX < kPanelSnap) m_panelX = 0;
        } else {
            const float target = jscrw - kPanelCreditsInset;
            m_panelX += (target - m_panelX) / kPanelEase;
            if (std::fabs(target - m_panelX) < kPanelSnap) m_panelX = target;
        }
    }
    if (m_loadStep > 0) p_Loader();

    if (iCadeControls == 1) p_DecodeICade();

    if (DebugMode == 1) {
        p_ResetDraw();
        p_Text(kDebugTextInset, jscrh - kDebugTextInset,
               String(m_renderFpsAvg) + String(":") + String(m_scaleX) + String(",") + String(m_scaleY), 0, 0, 0);
    }
    p_ShowBadges();
    return 0;
}

// ---- Render ----

int c_MyApp::p_OnRender() {
    p_MeasureRate(ox_app_Millisecs(), &m_renderMs, &m_renderFps, &m_renderFpsAvg);
    const int w = ox_app_DeviceWidth(), h = ox_app_DeviceHeight();

    ox_graphics_SetColor(m_clsR, m_clsG, m_clsB);
    ox_graphics_SetAlpha(m_clsA);
    ox_graphics_DrawRect(-1, -1, static_cast<float>(w + 2), static_cast<float>(h + 2));
    ox_graphics_SetColor(255, 255, 255);
    ox_graphics_SetAlpha(1);

    if (w != m_devW || h != m_devH) {
        m_devW = w;
        m_devH = h;
        m_loadStep = 1;
    }
    // A window with no area (minimised) keeps the last fit and draws nothing.
    if (w <= 0 || h <= 0) return 0;
    p_FitScreen(w, h);
    p_ReplayDrawList(static_cast<float>(w), static_cast<float>(h));
    return 0;
}

// Fits the design size to the device: the larger of the two scales wins and the virtual
// screen keeps the design size along that axis; a tall device shows 1.5 times as much.
void c_MyApp::p_FitScreen(int w, int h) {
    const float f = h > w ? kPortraitFactor : 1.0f;
    const float sx = (w - 2 * overscan) / (rawscrw * f);
    const float sy = (h - 2 * overscan) / (rawscrh * f);
    if (sy <= sx) {
        m_fitMode = 1;
        m_scaleX = m_scaleY = sx;
        jscrw = rawscrw * f;
        jscrh = h * rawscrw * f / w;
    } else {
        m_fitMode = 2;
        m_scaleX = m_scaleY = sy;
        jscrh = rawscrh * f;
        jscrw = w * rawscrh * f / h;
    }
    m_landscape = jscrh <= jscrw ? 1 : 0;
}

int c_MyApp::p_ReplayDrawList(float width, float height) {
    const float sx = m_scaleX, sy = m_scaleY;
    const float ox = overscan, oy = overscan * height / width;
    const float* list = m_drawList.Data();
    // State is only handed on when it changes: a blend change makes the renderer send its batch,
    // and most records share the colour and alpha of the one before. The frame starts white and
    // opaque (set after the clear above).
    int blend = -1;
    float alpha = 1, red = 255, green = 255, blue = 255;
    for (int at = 0; at + kDrawRecordFloats <= m_drawCount; at += kDrawRecordFloats) {
        const float* r = list + at;
        if (r[kDrAlpha] != alpha) {
            alpha = r[kDrAlpha];
            ox_graphics_SetAlpha(alpha);
        }
        if (r[kDrRed] != red || r[kDrGreen] != green || r[kDrBlue] != blue) {
            red = r[kDrRed];
            green = r[kDrGreen];
            blue = r[kDrBlue];
            ox_graphics_SetColor(red, green, blue);
        }
        const int recordBlend =
            static_cast<int>(r[kDrBlend]) == kBlendAdditive ? kBlendAdditiveDevice : kBlendAlphaDevice;
        if (recordBlend != blend) {
            ox_graphics_SetBlend(recordBlend);
            blend = recordBlend;
        }
        const float kind = r[kDrKind];
        const float x = sx * r[kDrX] + ox, y = sy * r[kDrY] + oy;
        if (kind == kDrawRect) {
            ox_graphics_DrawRect(x, y, sx * r[kDrA], sy * r[kDrB]);
        } else if (kind == kDrawOval) {
            ox_graphics_DrawEllipse(x, y, sx * r[kDrA], sy * r[kDrB]);
        } else if (kind == kDrawLine) {
            ox_graphics_DrawLine(x, y, sx * r[kDrA] + ox, sy * r[kDrB] + oy);
        } else if (kind >= 0 && kind < m_images.Length()) {
            c_Image* image = m_images[static_cast<int>(kind)];
            if (!image) continue;
            // A frame the image does not have is skipped rather than read outside its frames.
            const int frame = static_cast<int>(r[kDrFrame]);
            if (frame < 0 || frame >= image->m_frames.Length()) continue;
            ox_graphics_DrawImage2(image, x, y, r[kDrRot], sx * r[kDrA] * m_imgScale,
                                   sy * r[kDrB] * m_imgScale, frame);
        }
    }
    return 0;
}
