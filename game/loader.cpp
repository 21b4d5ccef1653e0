// Start-up of the game object, the staged asset loader with its Loading screen and
// resolution choice, the suspend and resume callbacks, and the full-screen switch.
#include "game/my_app.h"
#include "game/checkin.h"
#include "game/rules.h"
#include "game/shell.h"
#include "framework/angle.h"
#include "framework/input.h"
#include "host/host_game.h"
#include "net/data_buffer.h"

#include <algorithm>
#include <cmath>

namespace {

// Resolution levels: a device this wide or tall gets the 4x images, then the 2x ones; a
// device no larger than the design size in either direction keeps the plain set, which is
// drawn there pixel for pixel.
constexpr int kLevel4MinSize = 1231;
constexpr int kLevel2MinSize = 631;
constexpr int kDesignWidth = 640, kDesignHeight = 480;
constexpr int kLevel1 = 1, kLevel2 = 2, kLevel4 = 4;

constexpr int kLastStage = 13;         // stages 1..13; the 14th call ends loading

// Font: 128 glyph cells of 16 x 16 at level 1, glyph metrics 7 x 10.
constexpr int kFontCell = 16;
constexpr int kFontGlyphs = 128;
constexpr int kFontGlyphW = 7, kFontGlyphH = 10;
constexpr char kFontName[] = "fonts/shadow_glyphrun";
constexpr int kBlankSize = 2048;       // the reserved blank image, one frame

// Loading screen.
constexpr int kSpinStep = 3;           // spinner degrees per frame
constexpr int kRingDots = 11;          // dots per ring, alpha i / 10
constexpr float kRingDotAlphaStep = 10;
constexpr int kRingDotSpacing = 4;     // degrees between dots
constexpr float kBgFade = 0.125f;      // the background loses an eighth per frame
struct Ring {
    float r, g, b;       // colour
    float radius;        // fraction of the smaller screen side
    float dot;           // dot size
    float phase;         // degrees ahead of the spinner
};
constexpr Ring kOuterRing = {0, 125, 255, 0.45f, 16, 0};
constexpr Ring kInnerRings[] = {{255, 125, 0, 0.4f, 12, 120}, {255, 125, 0, 0.35f, 8, 240}};
constexpr float kLogoSize = 2;
constexpr float kLogoY = 0.48f;        // fraction of the screen height
constexpr float kLoadingTextRise = 32; // above the bottom edge
constexpr char kLoadingText[] = "Loading...";

// Start-up defaults.
constexpr float kConsoleOverscan = 64;
constexpr int kNormalChoice = 1;       // wheel item Normal
constexpr float kWheelStep = -32;      // wheel angle per item
constexpr int kNormalDifficulty = 2;
constexpr int kMenuIntroStart = -32;
constexpr int kPauseYHidden = -64;
constexpr int kClearedBadges = 128;    // start-up clears the first 128 badge flags
constexpr int kClearedVkeys = 19;      // entries 0..18 of the virtual keys
constexpr int kClearedHiscores = 31;

// The windowed display the full-screen switch returns to.
constexpr int kWindowWidth = 640, kWindowHeight = 480;

constexpr int kControllerScheme = 1;

// Data buffers read files through the host, so that tarn:// data paths resolve as they do
// for images and sounds; before a host exists, plain paths are read directly.
unsigned char* loadDataThroughHost(const String& path, int* length) {
    if (!OxGame::_game) return ox_databuffer_LoadFile(path, length);
    return OxGame::_game->LoadData(path, length);
}

// The resolution level for the device's size, and its draw scale.
void chooseResolution(c_MyApp* app) {
    const int w = ox_app__devWidth, h = ox_app__devHeight;
    int level = kLevel1;
    if (UseHDImages != 0) {
        const bool beyondDesign = w > kDesignWidth || h > kDesignHeight;
        if (w >= kLevel4MinSize || h >= kLevel4MinSize) level = kLevel4;
        else if ((w >= kLevel2MinSize || h >= kLevel2MinSize) && beyondDesign) level = kLevel2;
    }
    app->m_imgRes = level;
    app->m_imgScale = 1.0f / static_cast<float>(level);
}

// "menu" becomes menu.png, menu-hd.png or menu-hd2.png.
String levelFileName(const String& name, int level) {
    const char* suffix = level == kLevel4 ? "-hd2" : (level == kLevel2 ? "-hd" : "");
    return name + String(suffix) + String(".png");
}

bool validSlot(int slot) { return slot >= 0 && slot < MyAppSizes::kImages; }

void setPauseForSuspend(c_MyApp* app) {
    if (app->m_mode < kModePlaying) {
        app->m_paused = 0;
        app->m_pauseState = 0;
        app->m_pauseY = 0;
    } else {
        // The pause menu is already fully open when play comes back.
        app->m_paused = 1;
        app->m_pauseState = 1;
        app->m_pauseY = static_cast<int>(jscrh * 0.5f);
    }
}

void releaseControls(c_MyApp* app) {
    ox_input_DisableKeyboard();
    iCadeControls = 0;
    for (int i = 0; i < kClearedVkeys; ++i) app->m_vkeys[i] = 0;
}

}  // namespace

int c_MyApp::p_OnCreate() {
    ox_databuffer_loader = loadDataThroughHost;
    m_keyLatch = 0;
    m_touchUsed = 0;
    if (isOuya == 1) {
        m_controlScheme = kControllerScheme;
        overscan = kConsoleOverscan;
    }
    m_fullscreen = 0;
    m_jinglePlayed = 0;
    m_menuChoice = kNormalChoice;
    m_wheelTarget = kWheelStep;
    if (Ping_Allow == 1) p_GetURL(Ping_URL, ox_checkin_Parameters());
    m_mode = kModeMenu;
    ox_app_SetUpdateRate(kUpdateRate);
    m_devW = ox_app_DeviceWidth();
    m_devH = ox_app_DeviceHeight();
    m_updateMs = 0;
    m_renderMs = 0;
    p_Reload();
    m_difficulty = kNormalDifficulty;
    m_menuIntro = kMenuIntroStart;
    m_paused = 0;
    m_pauseState = -1;
    m_pauseY = kPauseYHidden;

    for (int i = 0; i < MyAppSizes::kBadgeSlots; ++i) {
        m_badgeShown[i] = 0;
        m_badgeTimer[i] = 0;
    }
    for (int i = 0; i < kClearedBadges; ++i) m_badges[i] = false;
    for (int i = 0; i < kClearedVkeys; ++i) m_vkeys[i] = 0;
    for (int i = 0; i < MyAppSizes::kOptions; ++i) m_options[i] = 0;
    m_options[kOptSoundMode] = kSoundDefault;
    for (int i = 0; i < kClearedHiscores; ++i) m_hiscores[i] = 0;
    p_Load();
    for (int i = 0; i < MyAppSizes::kSfxChannels; ++i) m_sfxChannels[i] = i;
    return 0;
}

int c_MyApp::p_Reload() {
    m_clsR = m_clsG = m_clsB = 0;
    m_clsA = 1;
    chooseResolution(this);
    p_LoadImg(kImgMakerLogo, String("common/KELPLogo"), 256, 256, 1, kImageFlagMidHandle);
    p_LoadFont(kImgFont, String(kFontName), kFontGlyphW, kFontGlyphH);
    m_loadStep = 1;
    return 0;
}

int c_MyApp::p_Loader() {
    chooseResolution(this);
    const int mid = kImageFlagMidHandle;
    switch (m_loadStep) {
        case 1:
            p_LoadImg(kImgIcons, String("common/icons"), 32, 32, 16, mid);
            p_LoadSFX(kSfxJingle);
            p_ReserveImg(kImgBlank, kBlankSize, kBlankSize);
            break;
        case 2:
            p_LoadImg(kImgButtons, String("common/Buttons"), 64, 64, 16, mid);
            p_LoadSFX(kSfxPush);
            break;
        case 3:
            p_LoadImg(kImgDpad, String("common/dpad"), 32, 32, 16, mid);
            p_LoadSFX(kSfxConfirm);
            break;
        case 4:
            p_LoadImg(kImgMakerLogo, String("common/KELPLogo"), 256, 256, 1, mid);
            if (m_jinglePlayed == 0) {
                p_PlaySFX(kSfxJingle, 1.0f, 1.0f, 0.0f);
                m_jinglePlayed = 1;
            }
            break;
        case 5:
            p_LoadFont(kImgFont, String(kFontName), kFontGlyphW, kFontGlyphH);
            p_LoadSFX(kSfxMove);
            break;
        case 6:
            p_LoadImg(kImgMenu, String("menu"), 256, 256, 4, mid);
            p_LoadImg(kImgLogo, String("logo"), kLogoWidth, kLogoHeight, 1, mid);
            p_LoadSFX(kSfxBoardDone);
            break;
        case 7:
            p_LoadImg(kImgBadges, String("BadgesA"), 64, 64, 64, mid);
            p_LoadImg(kImgParts, String("parts"), 8, 8, 256, mid);
            // The tile shards thrown by a clear are image particles of this strip.
            p_LoadImg(kImgShards, String("shards"), 8, 8, 256, mid);
            break;
        case 8:
            p_LoadImg(kImgCircle, String("common/circle"), 256, 256, 4, mid);
            p_LoadImg(kImgLight, String("common/light"), 32, 32, 4, mid);
            break;
        case 9:
            p_LoadImg(kImgTiles, String("gfx"), 36, 36, 49, mid);
            break;
        case 10:
            p_LoadSFX(2);
            p_LoadSFX(3);
            break;
        case 11:
            p_LoadSFX(4);
            p_LoadSFX(5);
            break;
        case 12:
            p_LoadSFX(6);
            p_LoadSFX(7);
            break;
        case kLastStage:
            p_LoadSFX(kSfxTimeUp);
            break;
        default:
            m_loadStep = 0;
            break;
    }
    if (m_loadStep > 0) ++m_loadStep;
    p_WaitStart(1);
    return 0;
}

int c_MyApp::p_WaitStart(int spinner) {
    m_bgR -= m_bgR * kBgFade;
    m_bgG -= m_bgG * kBgFade;
    m_bgB -= m_bgB * kBgFade;
    p_CLS2D(m_bgR, m_bgG, m_bgB, 1.0f);

    const float side = static_cast<float>(static_cast<int>(std::min(jscrw, jscrh)));
    m_loadSpin += kSpinStep;
    auto ring = [&](const Ring& rg) {
        for (int i = 0; i < kRingDots; ++i) {
            p_SetCol(rg.r, rg.g, rg.b, i / kRingDotAlphaStep);
            const float a = (m_loadSpin + rg.phase + kRingDotSpacing * i) * kDegToRad;
            p_Oval(jscrw / 2 + std::sin(a) * side * rg.radius,
                   jscrh / 2 - std::cos(a) * side * rg.radius, rg.dot, rg.dot);
        }
    };
    if (spinner == 1) ring(kOuterRing);
    p_SetSize(kLogoSize);
    p_SetRot(0);
    p_DrawImg(kImgMakerLogo, jscrw * 0.5f, jscrh * kLogoY, 0);
    if (spinner == 1)
        for (const Ring& r : kInnerRings) ring(r);
    p_ResetDraw();
    p_Text(jscrw * 0.5f, jscrh - kLoadingTextRise, String(kLoadingText), 1.0f, 1.0f, 0);
    return 0;
}

int c_MyApp::p_LoadImg(int slot, String name, int cellWidth, int cellHeight, int frames, int flags) {
    if (!validSlot(slot)) return 0;
    const int level = m_imgRes;
    gc_assign(m_images[slot], nullptr);
    gc_assign(m_images[slot], ox_graphics_LoadImage2(levelFileName(name, level), level * cellWidth,
                                                     level * cellHeight, frames, flags));
    m_imgInfo[3 * slot] = level * cellWidth;
    m_imgInfo[3 * slot + 1] = level * cellHeight;
    m_imgInfo[3 * slot + 2] = frames;
    return 0;
}

int c_MyApp::p_LoadFont(int slot, String name, int glyphWidth, int glyphHeight) {
    if (!validSlot(slot)) return 0;
    const int level = m_imgRes;
    gc_assign(m_images[slot], nullptr);
    gc_assign(m_images[slot], ox_graphics_LoadImage2(levelFileName(name, level), kFontCell * level,
                                                     kFontCell * level, kFontGlyphs, kImageFlagMidHandle));
    m_imgInfo[3 * slot] = glyphWidth;
    m_imgInfo[3 * slot + 1] = glyphHeight;
    m_imgInfo[3 * slot + 2] = kFontGlyphs;
    m_fontSlot = slot;
    return 0;
}

int c_MyApp::p_ReserveImg(int slot, int width, int height) {
    if (!validSlot(slot)) return 0;
    gc_assign(m_images[slot], nullptr);
    gc_assign(m_images[slot], ox_graphics_CreateImage(width, height, 1, kImageFlagMidHandle));
    m_imgInfo[3 * slot] = width;
    m_imgInfo[3 * slot + 1] = height;
    m_imgInfo[3 * slot + 2] = 1;
    ++m_reserveCount;
    return 0;
}

int c_MyApp::p_BankLoad() {
    // Sounds and images are all loaded by the staged loader; there is no separate bank.
    return 0;
}

int c_MyApp::p_FullscreenFlip() {
    if (!ox_app__game) return 0;
    c_DisplayMode* desktop = ox_app_DesktopMode();
    m_fullscreen = 1 - m_fullscreen;
    // The new window size restarts loading through the render callback's size check.
    if (m_fullscreen == 1 && desktop) {
        ox_app_SetDeviceWindow(desktop->m_width, desktop->m_height, OX_WINDOW_FULLSCREEN);
    } else {
        m_fullscreen = 0;
        ox_app_SetDeviceWindow(kWindowWidth, kWindowHeight, 0);
    }
    return 0;
}

int c_MyApp::p_OnSuspend() {
    releaseControls(this);
    setPauseForSuspend(this);
    ox_app_SetUpdateRate(kSuspendedUpdateRate);
    p_Save();
    return 0;
}

int c_MyApp::p_OnResume() {
    setPauseForSuspend(this);
    ox_app_SetUpdateRate(kUpdateRate);
    releaseControls(this);
    return 0;
}
