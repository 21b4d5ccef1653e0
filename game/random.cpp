// The game's one random generator (a 32-bit linear congruential state) and what is built
// on it: ranged draws, reseeding from the clock, and the shuffled 21-tile bag.
#include "game/my_app.h"
#include "game/rules.h"

#include <cmath>

int ox_random_Seed;

namespace {

constexpr unsigned kLcgMultiplier = 1664525u;    // state = state * a + c, modulo 2^32
constexpr unsigned kLcgIncrement = 1013904223u;
constexpr int kStepShift = 8;                    // the top 24 bits of the state make a draw
constexpr float kStepScale = 5.9604645e-8f;      // 1 / 2^24
constexpr float kRandWidthExtra = 0.99f;         // p_Rand widens hi - lo by this, then floors
constexpr float kBagShuffleWidth = 20.99f;       // swap partner 1..21
constexpr int kSeedSteps = 21;                   // draws discarded after every reseed

}  // namespace

float ox_random_Rnd() {
    unsigned state = static_cast<unsigned>(ox_random_Seed) * kLcgMultiplier + kLcgIncrement;
    ox_random_Seed = static_cast<int>(state);
    unsigned k = state >> kStepShift;
    return static_cast<float>(static_cast<double>(k) * static_cast<double>(kStepScale));
}

float ox_random_Rnd2(float low, float high) {
    double r = ox_random_Rnd();
    return static_cast<float>((static_cast<double>(high) - low) * r + low);
}

float ox_random_Rnd3(float range) {
    double r = ox_random_Rnd();
    return static_cast<float>(r * range);
}

int c_MyApp::p_Rand(float lo, float hi) {
    double r = ox_random_Rnd();
    double width = static_cast<double>(hi) - lo + static_cast<double>(kRandWidthExtra);
    float v = static_cast<float>(std::floor(lo + r * width));
    return static_cast<int>(v);
}

int c_MyApp::p_SeedRnd(int seed) {
    if (seed == kSeedFromClock) seed = ox_app_Millisecs();
    ox_random_Seed = seed;
    for (int i = 0; i < kSeedSteps; ++i) ox_random_Rnd();
    return 0;
}

int c_MyApp::p_NewBag() {
    int slot = kBagFirst;
    for (int kind = 1; kind <= kTileKinds; ++kind)
        for (int copy = 0; copy < kBagCopies; ++copy) m_bag[slot++] = kind;
    for (int i = kBagFirst; i <= kBagLast; ++i) {
        double r = ox_random_Rnd();
        int j = static_cast<int>(std::floor(1.0 + r * static_cast<double>(kBagShuffleWidth)));
        int t = m_bag[i];
        m_bag[i] = m_bag[j];
        m_bag[j] = t;
    }
    m_bagPos = kBagFirst;
    return 0;
}

int c_MyApp::p_GetTile() {
    if (m_bagPos < kBagFirst || m_bagPos > kBagLast) p_NewBag();
    int kind = m_bag[m_bagPos];
    if (m_bagPos + 1 > kBagLast) {
        p_NewBag();
    } else {
        ++m_bagPos;
    }
    return kind;
}
