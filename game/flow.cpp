// Starting a game, one frame of play around the board pass (background, stars, timer,
// bars, scoring, the remaining count, the next deal), and the playing screen's overlay.
#include "game/my_app.h"
#include "game/rules.h"
#include "game/texts.h"
#include "framework/angle.h"

#include <cmath>

const char* const kGameTune = "Didiziroze_Razudud";

namespace {

constexpr int kTuneLoop = 1;                 // flags of the game tune: loop it
constexpr int kStars = 100;
constexpr int kParticles = 250;
constexpr int kStartColumn = 3, kStartRow = 3;
constexpr int kBoardSize = 7;
constexpr int kRefillEasy = 360, kRefillNormal = 300, kRefillHard = 240;
constexpr int kQuotaPerDifficulty = 3, kQuotaBase = 2;
constexpr double kBgDegreesPerMs = 0.025;    // background colour cycle
constexpr int kBgCentre = 220, kBgSwing = 20;
constexpr int kBgOpaque = -123;
constexpr float kCamEase = 0.125f;
constexpr float kStarDrift = 0.25f;          // stars drift down this much per frame
constexpr float kBarMargin = 64;             // bars leave this much of the height free
constexpr float kBarWidth = 32, kBarBottom = 32, kBarLeftX = 16, kBarRightInset = 48;
constexpr float kCountScale = 4;
constexpr float kCountInset = 72;            // remaining counts stand this far from the edges
constexpr int kNumberParticlePairs = 33;
constexpr float kNumberOffsetWidth = 64.99f; // number particle offsets -32..32
constexpr float kNumberOffsetLow = -32;
constexpr int kNumberColour = 3;
constexpr float kPauseButtonX = 16, kPauseButtonY = 16;
constexpr float kPauseButtonDim = 0.2f;
constexpr int kSchemeTouch = 2;
constexpr int kMenuIntroStart = -32;        // the menu slides in again after a game
constexpr float kClearRateLow = 0.6f;        // a clear sound plays at a random rate in this range
constexpr float kClearRateHigh = 1.5f;

float numberOffset() {
    double r = ox_random_Rnd();
    return static_cast<float>(static_cast<int>(static_cast<float>(
        std::floor(kNumberOffsetLow + r * static_cast<double>(kNumberOffsetWidth)))));
}

}  // namespace

int c_MyApp::p_LoadGame() {
    m_mode = kModePlaying;
    p_PlayTune(String(kGameTune), kTuneLoop);
    p_ResetObj();
    p_ResetGrid();
    p_ResetStars(kStars);
    m_maxParticles = kParticles;
    for (int i = 0; i <= kParticles; ++i) m_particles[i * kRecordFloats + kPtKind] = 0;
    p_ResetPlayers();
    m_paused = 0;
    m_score = 0;
    m_timeUp = 0;
    m_overStep = 0;
    m_quitting = 0;
    m_camX = m_camY = m_camTargetX = m_camTargetY = 0;
    m_bagPos = kBagForceRefill;
    m_player[kPlCursorX] = kStartColumn;
    m_player[kPlCursorY] = kStartRow;
    int refill = kRefillEasy;
    if (m_difficulty == 2) refill = kRefillNormal;
    if (m_difficulty == 3) refill = kRefillHard;
    m_player[kPlBoardRefill] = static_cast<float>(refill);
    m_player[kPlQuota] = static_cast<float>(kQuotaPerDifficulty * m_difficulty + kQuotaBase);
    m_gridW = kBoardSize;
    m_gridH = kBoardSize;
    p_Fresh();
    return 0;
}

int c_MyApp::p_Game() {
    // Background drifting around a light grey.
    double theta = std::trunc(ox_app_Millisecs() * kBgDegreesPerMs) * kDegToRad;
    p_DoBG(static_cast<int>(kBgCentre + kBgSwing * std::sin(theta)),
           static_cast<int>(kBgCentre + kBgSwing * std::cos(theta)),
           static_cast<int>(kBgCentre - kBgSwing * std::cos(theta)), kBgOpaque);

    // Camera and stars.
    float dx = (m_camX - m_camTargetX) * kCamEase;
    m_camX -= dx;
    float dy = (m_camY - m_camTargetY) * kCamEase;
    m_camY -= dy;
    p_DoStars(dx, dy + kStarDrift);

    p_AnalogueControl();

    int allFallen = 0;
    const int n = p_BoardFrame(&allFallen);
    p_ResetDraw();

    float* pl = &m_player[0];
    // A board refill that has run down to zero or below gives a bar scale of zero or less;
    // the bars are then empty instead of dividing by it.
    m_barH = pl[kPlBarScale] > 0
                 ? static_cast<int>((jscrh - kBarMargin) * pl[kPlTimer] / pl[kPlBarScale])
                 : 0;

    m_settled = 1;
    if (m_dropping == 1) m_settled = 0;
    if (pl[kPlBoardDone] != 0) m_settled = 0;

    if (m_timeUp == 0) {
        if (m_settled == 1) pl[kPlTimer] -= 1;
        if (pl[kPlTimer] < 0) {
            ox_audio_StopMusic();
            m_musicPlaying = 0;
            p_PlaySFX(kSfxTimeUp, 1, 1, 0);
            m_timeUp = 1;
            pl[kPlTimer] = 0;
        }
    } else {
        m_settled = 0;
        if (pl[kPlTimer] < 0) pl[kPlTimer] = 0;
    }

    p_SetCol(0, 0, 0);
    if (m_hideHud == 0) {
        float barTop = jscrh - kBarBottom - m_barH;
        p_Rect(kBarLeftX, barTop, kBarWidth, static_cast<float>(m_barH));
        p_Rect(jscrw - kBarRightInset, barTop, kBarWidth, static_cast<float>(m_barH));
    }

    if (n > 0) {
        m_score += kScorePerSquare * n * n;
        pl[kPlTimer] = pl[kPlRefill];
        pl[kPlBarScale] = pl[kPlRefill];
        float next = pl[kPlRefill] - kRefillStep;
        pl[kPlRefill] = next > kRefillFloor ? next : static_cast<float>(kRefillFloor);
    }

    p_SetSize(kCountScale);
    p_SetCol(255, 255, 255);
    int left = static_cast<int>(pl[kPlQuota] - pl[kPlCleared]);
    int shown = left;
    if (left < 1) {
        shown = 0;
        if (pl[kPlBoardDone] == 0) p_PlaySFX(kSfxBoardDone, 1, 1, 0);
        pl[kPlBoardDone] = 1;
    }
    if (m_hideHud == 0) {
        p_Text(kCountInset, jscrh / 2, String(shown), 1, 1, 0);
        p_Text(jscrw - kCountInset, jscrh / 2, String(shown), 1, 1, 0);
    }

    if (n > 0) {
        float rate = ox_random_Rnd2(kClearRateLow, kClearRateHigh);
        p_PlaySFX(p_Rand(kSfxClearFirst, kSfxClearLast), rate, 1, 0);
        for (m_i = 0; m_i < kNumberParticlePairs; ++m_i) {
            if (m_hideHud != 0) continue;
            float oy = numberOffset();
            float ox = numberOffset();
            p_AddParticle(kPartRising, kCountInset + ox, jscrh / 2 + oy, 0, 0, shown, kNumberColour, 0);
            oy = numberOffset();
            ox = numberOffset();
            p_AddParticle(kPartRising, jscrw - kCountInset + ox, jscrh / 2 + oy, 0, 0, shown, kNumberColour, 0);
        }
        pl[kPlCleared] += n;
    }

    if (pl[kPlBoardDone] != 0 && allFallen == 1) p_Fresh();

    p_DoParticles(1);
    p_ScoreDisplay();
    return 0;
}

int c_MyApp::p_InGame() {
    p_ResetDraw();
    m_menuIntro = kMenuIntroStart;

    bool pauseKey = p_PlayKeyAll(kKeyPause, kKeyModeStick) > 0 ||
                    (isOuya == 1 && p_PlayKeyAll(kKeyFire4, kKeyModeStick) > 0);
    if (pauseKey && m_paused == 0 && m_keyLatch == 0) {
        m_keyLatch = 1;
        p_OpenPause();
    }

    if (m_hideHud == 0) {
        p_Alpha(m_controlScheme == kSchemeTouch ? 1.0f : kPauseButtonDim);
        p_DrawImg(kImgIcons, kPauseButtonX, kPauseButtonY, 0);
        const float w = m_imgInfo[3 * kImgIcons] * m_imgScale * m_drawScaleX;
        const float h = m_imgInfo[3 * kImgIcons + 1] * m_imgScale * m_drawScaleY;
        bool hit = false;
        for (int i = 0; i < MyAppSizes::kTouchSlots; ++i) {
            float tx = static_cast<float>(m_touchX[i]), ty = static_cast<float>(m_touchY[i]);
            if (kPauseButtonX - w / 2 < tx && tx < kPauseButtonX + w / 2 &&
                kPauseButtonY - h / 2 < ty && ty < kPauseButtonY + h / 2)
                hit = true;
        }
        if (hit && m_pointerDown > 0 && m_paused == 0) {
            m_touchUsed = 1;
            p_OpenPause();
        }
        p_Alpha(1);
    }

    if (m_paused == 1) p_PauseMenu();
    return 0;
}

// Opens the pause menu: it slides in from the top with resume selected.
void c_MyApp::p_OpenPause() {
    m_paused = 1;
    m_pauseState = 1;
    m_pauseY = 0;
    m_pauseSel = 0;
    p_PlaySFX(kSfxConfirm, 1, 0.5f, 0);
}
