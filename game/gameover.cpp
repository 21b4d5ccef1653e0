// The score panel of the playing screen, the place a score reaches in the highscore
// table, ordinal texts, right-aligned numbers, and the timed game-over overlay.
#include "game/my_app.h"
#include "game/rules.h"
#include "game/texts.h"

#include <cmath>

namespace {

constexpr int kTablePlaces = 10;         // places per difficulty in the top-ten list
constexpr int kCountUpDivisor = 6;       // the shown score closes 1/6 of the gap per frame
constexpr int kScoreDigits = 8;
constexpr float kScoreY = 28;            // score line, and the next-target line above it
constexpr float kTargetY = 10;
constexpr float kDarkenSteps = 40;       // the overlay darkens over 40 frames
constexpr float kDarkenMax = 0.7f;
constexpr int kBandSpeed = 12;           // bands grow 12 units per frame
constexpr float kBandRest = 0.45f;       // bands and words rest at 45 % and 55 % of the height
constexpr float kBandRestLow = 0.55f;
constexpr float kBandHeight = 16;
constexpr float kWordLeft = 0.35f;       // "GAME" at 35 % of the width, "OVER" at 65 %
constexpr float kWordRight = 0.65f;
constexpr int kOverFrames = 90;          // the overlay runs this long before the menu
constexpr int kOverAfterMusic = 75;      // overlay step when the menu takes over
constexpr int kOverNoMusic = 73;
constexpr int kOverFadeStep = 2;         // fading out over the menu
constexpr float kPlaceBoxW = 0.3f;        // the box behind the place reached: 30 % of the width
constexpr float kPlaceBoxH = 32;
constexpr float kPlaceRise = 1.5f;        // the place text rises at 2/3 of the words' speed

// Base of the current difficulty's ten places in the table (difficulties outside 1..3 read
// the nearest one, so a bad value can never read outside the table).
int tableBase(int difficulty) {
    if (difficulty < 1) difficulty = 1;
    if (difficulty > 3) difficulty = 3;
    return kTablePlaces * (difficulty - 1);
}

}  // namespace

const char* const kGameOverWords[2] = {"GAME", "OVER"};
const char* const kQuitWords[2] = {"Quit", "Game"};
const char* const kNewHighscoreText = "New Highscore\\n           ";

String c_MyApp::p_rstr(int value, int width, String pad) {
    String s;
    for (int i = 0; i < width; ++i) s = s + pad;
    s = s + String(value);
    if (width <= 0) return String();
    return s.Slice(s.Length() - width);
}

String c_MyApp::p_Nth(int n) {
    int tens = n % 100;
    const char* suffix = "th";
    if (tens < 11 || tens > 13) {
        switch (n % 10) {
            case 1: suffix = "st"; break;
            case 2: suffix = "nd"; break;
            case 3: suffix = "rd"; break;
            default: break;
        }
    }
    return String(n) + String(suffix);
}

String c_MyApp::p_MyNth() {
    const int b = tableBase(m_difficulty);
    m_n = 0;
    for (int i = 0; i < kTablePlaces; ++i) {
        if (m_score >= m_hiscores[b + i]) {
            m_n = i + 1;
            break;
        }
    }
    if (m_n == 0) return String();
    if (m_n == 1) return String("1st!");
    return p_Nth(m_n);
}

int c_MyApp::p_ScoreDisplay() {
    m_shownScore -= (m_shownScore - m_score) / kCountUpDivisor;
    if (std::abs(m_shownScore - m_score) < kCountUpDivisor) m_shownScore = m_score;
    if (m_hideHud == 1) return 0;

    m_drawRot = 0;
    p_SetCol(100, 255, 100, 0.8f);
    m_drawBlend = 1;
    p_SetSize(2);
    p_Text(jscrw / 2, kScoreY, p_rstr(m_shownScore, kScoreDigits, String("0")), 1, 1, 0);

    p_SetSize(1);
    p_SetCol(255, 255, 100, 0.8f);
    const int b = tableBase(m_difficulty);
    int place = kTablePlaces;
    int target = m_hiscores[b + kTablePlaces - 1];
    for (int i = kTablePlaces - 1; i >= 1; --i) {
        int entry = m_hiscores[b + i];
        if (entry < m_score || entry == 0) {
            place = i - 1;
            target = m_hiscores[b + i - 1];
        }
    }
    p_Text(jscrw / 2, kTargetY, p_Nth(place + 1) + String(" ") + p_rstr(target, kScoreDigits, String("0")), 1, 1, 0);
    p_ResetDraw();
    return 0;
}

int c_MyApp::p_GameOver() {
    if (m_overStep > 0) {
        m_keyLatch = 1;
        m_touchUsed = 1;

        p_SetCol(0, 0, 0);
        float dark = m_overStep / kDarkenSteps;
        p_Alpha(dark < kDarkenMax ? dark : kDarkenMax);
        p_Rect(-1, -1, jscrw + 2, jscrh + 2);

        int rest = static_cast<int>(kBandRest * jscrh);
        m_y = kBandSpeed * m_overStep < rest ? kBandSpeed * m_overStep : rest;
        const float w = 2.0f * m_y;

        p_SetSize(1);
        m_drawRot = 0;
        m_drawBlend = 1;
        p_Alpha(0.5f);
        p_SetCol(255, 255, 0);
        p_Rect(-1, kBandRest * jscrh - kBandHeight / 2, w, kBandHeight);
        p_SetCol(255, 128, 0);
        p_Rect(jscrw - w, kBandRestLow * jscrh - kBandHeight / 2, w + 1, kBandHeight);

        p_Alpha(1);
        p_SetSize(4);
        p_SetCol(255, 180, 180);
        const char* const* words = m_quitting == -1 ? kQuitWords : kGameOverWords;
        p_Text(kWordLeft * jscrw, static_cast<float>(m_y), String(words[0]), 1, 1, 0);
        p_Text(kWordRight * jscrw, jscrh - m_y, String(words[1]), 1, 1, 0);

        p_MyNth();
        if (m_n >= 1 && m_n <= kTablePlaces) {
            p_SetSize(1);
            p_SetCol(0, 125, 255, 0.5f);
            p_Rect(kWordLeft * jscrw, jscrh - m_y / kPlaceRise - kPlaceBoxH / 2, kPlaceBoxW * jscrw, kPlaceBoxH);
            p_SetSize(2);
            p_SetCol(100, 255, 100, 1);
            p_Text(jscrw / 2, jscrh - m_y / kPlaceRise, String(kNewHighscoreText) + p_MyNth(), 0.5f, 2, 0);
        }
    }

    if (m_mode == kModePlaying) {
        m_overStep += 1;
        if (m_overStep >= kOverFrames) {
            m_mode = kModeToMenu;
            m_overStep = kOverAfterMusic;
            if (HasMusicStream == 1) {
                ox_audio_StopMusic();
                m_musicPlaying = 0;
            } else {
                m_overStep = kOverNoMusic;
            }
        }
    } else if (m_mode < kModePlaying) {
        m_overStep -= kOverFadeStep;
        if (m_overStep < 0) m_overStep = 0;
    }
    return 0;
}
