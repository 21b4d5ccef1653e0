// The particle pool (tile shards and rising numbers) and the drifting star field behind
// the board: allocation, per-kind motion, fading, wrapping, and their draw records.
#include "game/my_app.h"
#include "game/rules.h"
#include "framework/angle.h"

#include <cmath>

namespace {

constexpr int kMaxPoolCount = 499;           // pool and star counts accepted by the resets
constexpr float kAngleWidth = 360.99f;       // p_AddParticle angle 0..360
constexpr float kFrameWidth = 255.99f;       // image frame 0..255
constexpr float kShardDrag = 0.95f;          // sideways slowing of a shard per frame
constexpr float kBounceDrag = 0.98f;
constexpr float kGravity = 0.2f;             // added to vy per frame
constexpr float kFadeSlow = 0.003f;          // life lost per frame by kind 4
constexpr float kFadeBlock = 0.013f;         // by kind 16
constexpr float kFadeNormal = 0.01f;         // by every other kind
constexpr float kBlockSize = 16;             // kind 16 blocks snap to this grid
constexpr float kStarMargin = 16;            // stars wrap this far outside the screen
constexpr float kStarRenewSpan = 16;         // a renewed coordinate spans the screen plus this
constexpr float kStarRenewOffset = 8;
constexpr float kDepthNear = 0.2f, kDepthFar = 0.8f; // star depth: movement factor and alpha

}  // namespace

int c_MyApp::p_FreeParticle() {
    for (int i = m_maxParticles; i >= 0; --i) {
        if (m_particles[i * kRecordFloats + kPtKind] == 0) return i * kRecordFloats;
    }
    return -1;
}

int c_MyApp::p_AddParticle(int kind, float x, float y, float vx, float vy, int value, int colour, int life) {
    int p = p_FreeParticle();
    if (p < 0) return 0;
    m_particles[p + kPtKind] = static_cast<float>(kind);
    m_particles[p + kPtX] = x;
    m_particles[p + kPtY] = y;
    m_particles[p + kPtVX] = vx;
    m_particles[p + kPtVY] = vy;
    m_particles[p + kPtAngle] = static_cast<float>(std::floor(static_cast<double>(ox_random_Rnd()) * kAngleWidth));
    m_particles[p + kPtSpin] = ox_random_Rnd2(-7, 7);
    m_particles[p + kPtLife] = static_cast<float>(life + 1);
    m_particles[p + kPtColour] = static_cast<float>(colour);
    m_particles[p + kPtValue] = static_cast<float>(value);
    return 0;
}

int c_MyApp::p_GimmeNot(int value, float x, float y) {
    return p_AddParticle(kPartRising, x, y, 0, 0, value, 3, 1);
}

int c_MyApp::p_ThrowParticle(float x, float y, int kind, int colour, float angle, float speed) {
    if (angle == kNotGiven) angle = ox_random_Rnd2(0, 360);
    if (speed == kNotGiven) speed = ox_random_Rnd2(3, 8);
    int p = p_FreeParticle();
    if (p < 0) return 0;
    double a = angle * static_cast<double>(kDegToRad);
    m_particles[p + kPtKind] = static_cast<float>(kind);
    m_particles[p + kPtX] = x;
    m_particles[p + kPtY] = y;
    m_particles[p + kPtVX] = static_cast<float>(speed * std::sin(a));
    m_particles[p + kPtVY] = static_cast<float>(-speed * std::cos(a));
    m_particles[p + kPtAngle] = ox_random_Rnd2(0, 360);
    m_particles[p + kPtSpin] = ox_random_Rnd2(-8, 8);
    if (kind == kPartBounce) {
        m_particles[p + kPtAngle] = y + ox_random_Rnd2(-16, 16);  // the floor it bounces on
        m_particles[p + kPtSpin] = 0;
    }
    m_particles[p + kPtLife] = ox_random_Rnd2(0.7f, 1.3f);
    m_particles[p + kPtColour] = static_cast<float>(colour);
    m_particles[p + kPtValue] = static_cast<float>(std::floor(static_cast<double>(ox_random_Rnd()) * kFrameWidth));
    return 0;
}

int c_MyApp::p_DoParticles(float scale) {
    for (int i = 0; i <= m_maxParticles; ++i) {
        float* r = &m_particles[i * kRecordFloats];
        int kind = static_cast<int>(r[kPtKind]);
        if (kind <= 0) continue;
        r[kPtX] += r[kPtVX];
        r[kPtY] += r[kPtVY];
        r[kPtAngle] += r[kPtSpin];
        bool isNumber = (kind == kPartRising || kind == kPartFloating);
        m_drawRot = isNumber ? 0.0f : -r[kPtAngle];
        if (kind == kPartShard) {
            r[kPtVX] *= kShardDrag;
            r[kPtVY] += kGravity;
        } else if (kind == kPartBounce) {
            r[kPtVX] *= kBounceDrag;
            r[kPtVY] += kGravity;
            if (r[kPtAngle] < r[kPtY]) r[kPtVY] = ox_random_Rnd2(-3, -1);
        }
        m_drawAlpha = r[kPtLife] < 1 ? r[kPtLife] : 1.0f;
        p_SetSize(scale, scale);
        p_Ink(static_cast<int>(r[kPtColour]), 1);
        float x = r[kPtX] - m_camX;
        float y = r[kPtY] - m_camY;
        if (kind >= 1 && kind <= kPartLastImage) {
            p_DrawImg(kind, x, y, r[kPtValue]);
        } else if (kind == kPartBlock) {
            p_Ink(static_cast<int>(r[kPtValue]), 1);
            p_Rect(std::floor(x / kBlockSize) * kBlockSize, std::floor(y / kBlockSize) * kBlockSize,
                   kBlockSize, kBlockSize);
        } else if (isNumber) {
            p_Text(x, y, String(static_cast<int>(r[kPtValue])), 1, 1, 0);
            if (kind == kPartRising) r[kPtVY] -= ox_random_Rnd2(0.05f, 0.30f);
        }
        float fade = kind == kPartSlowFade ? kFadeSlow : (kind == kPartBlock ? kFadeBlock : kFadeNormal);
        r[kPtLife] -= fade;
        if (r[kPtLife] < 0) r[kPtKind] = 0;
    }
    p_ResetDraw();
    return 0;
}

int c_MyApp::p_ResetParticles(int n) {
    if (n >= 1 && n <= kMaxPoolCount) m_maxParticles = n;
    for (int i = 0; i <= m_maxParticles; ++i) m_particles[i * kRecordFloats + kPtKind] = 0;
    return 0;
}

int c_MyApp::p_DoStars(float dx, float dy) {
    p_SeedRnd(kSeedFromClock);
    const float m = overscan + kStarMargin;
    const float wrapW = jscrw + 2 * overscan + 2 * kStarMargin;
    const float wrapH = jscrh + 2 * overscan + 2 * kStarMargin;
    for (int i = 0; i <= m_starCount; ++i) {
        float* s = &m_stars[i * kRecordFloats];
        s[kStX] += dx * s[kStDepth];
        s[kStY] += dy * s[kStDepth];
        bool newY = false, newX = false;
        if (s[kStX] < -m) {
            s[kStX] += wrapW;
            newY = true;
        } else if (s[kStX] > jscrw + m) {
            s[kStX] -= wrapW;
            newY = true;
        }
        if (newY) {
            s[kStY] = ox_random_Rnd() * (jscrh + kStarRenewSpan) - kStarRenewOffset;
            s[kStDepth] = ox_random_Rnd2(kDepthNear, kDepthFar);
            s[kStFrame] = static_cast<float>(std::floor(static_cast<double>(ox_random_Rnd()) * kFrameWidth));
        }
        if (s[kStY] < -m) {
            s[kStY] += wrapH;
            newX = true;
        } else if (s[kStY] > jscrh + m) {
            s[kStY] -= wrapH;
            newX = true;
        }
        if (newX) {
            s[kStX] = ox_random_Rnd() * (jscrw + kStarRenewSpan) - kStarRenewOffset;
            s[kStDepth] = ox_random_Rnd2(kDepthNear, kDepthFar);
            s[kStFrame] = static_cast<float>(std::floor(static_cast<double>(ox_random_Rnd()) * kFrameWidth));
        }
        s[kStAngle] += s[kStSpin];
        m_drawAlpha = s[kStDepth];
        m_drawRot = -s[kStAngle];
        p_DrawImg(kImgParts, s[kStX], s[kStY], s[kStFrame]);
    }
    p_ResetDraw();
    return 0;
}

int c_MyApp::p_ResetStars(int n) {
    p_SeedRnd(kSeedFromClock);
    if (n >= 1 && n <= kMaxPoolCount) m_starCount = n;
    for (int i = 0; i <= m_starCount; ++i) {
        float* s = &m_stars[i * kRecordFloats];
        s[kStFrame] = static_cast<float>(std::floor(static_cast<double>(ox_random_Rnd()) * kFrameWidth));
        s[kStX] = ox_random_Rnd() * (jscrw + kStarRenewSpan) - kStarRenewOffset;
        s[kStY] = ox_random_Rnd() * (jscrh + kStarRenewSpan) - kStarRenewOffset;
        s[kStDepth] = ox_random_Rnd2(kDepthNear, kDepthFar);
        s[kStAngle] = ox_random_Rnd() * 360;
        s[kStSpin] = ox_random_Rnd() - 0.5f;
    }
    return 0;
}
