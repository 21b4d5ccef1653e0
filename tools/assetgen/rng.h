// Deterministic pseudo-random numbers for the asset generator.
// Fixed seeds and our own arithmetic keep every build's output byte-identical.
#pragma once

#include <cstdint>

namespace assetgen {

// SplitMix64: small, fast, and the same everywhere, unlike the standard distributions.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += kGolden);
        z = (z ^ (z >> 30)) * kMix1;
        z = (z ^ (z >> 27)) * kMix2;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1) with 24 bits of precision.
    float unit() { return static_cast<float>(next() >> kFloatShift) * kFloatScale; }

    // Uniform in [lo, hi).
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }

    // Uniform integer in [0, n).
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

private:
    static constexpr uint64_t kGolden = 0x9E3779B97F4A7C15ull;  // SplitMix64 increment
    static constexpr uint64_t kMix1 = 0xBF58476D1CE4E5B9ull;    // SplitMix64 first multiplier
    static constexpr uint64_t kMix2 = 0x94D049BB133111EBull;    // SplitMix64 second multiplier
    static constexpr int kFloatShift = 40;                      // keep the top 24 bits
    static constexpr float kFloatScale = 1.0f / 16777216.0f;    // 2^-24
    uint64_t state_;
};

// A stable per-item seed, so one frame's look never depends on another's.
inline uint64_t seedFor(uint64_t base, uint64_t index) {
    return base * 0x100000001B3ull ^ (index + 1) * 0x9E3779B97F4A7C15ull;
}

}  // namespace assetgen
