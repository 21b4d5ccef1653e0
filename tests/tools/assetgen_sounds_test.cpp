// The generated effects and tune, read back with the host's own sound readers: the
// formats and lengths the audio device expects, audible, unclipped and click-free.
#include "data_files.h"
#include "host/audio_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

using namespace datatest;

namespace {

constexpr int kRate = 44100;
constexpr double kFullScale = 32768.0;

struct Pcm {
    int length = 0, channels = 0, format = 0, hertz = 0;
    std::vector<int16_t> samples;  // interleaved
    double seconds() const { return double(length) / hertz; }
    int at(int frame, int channel) const { return samples[size_t(frame) * channels + channel]; }
};

// Reads a data file with the reader the game itself uses for its extension.
bool readSound(const std::string& name, Pcm& out) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(dataPath(name).c_str(), "rb"), std::fclose);
    if (!f) return false;
    bool ogg = name.size() > 4 && name.substr(name.size() - 4) == ".ogg";
    unsigned char* data = (ogg ? LoadOGG : LoadWAV)(f.get(), &out.length, &out.channels, &out.format, &out.hertz);
    if (!data) return false;
    if (out.format == 2) {
        const int16_t* s = reinterpret_cast<const int16_t*>(data);
        out.samples.assign(s, s + size_t(out.length) * out.channels);
    }
    std::free(data);
    return true;
}

double peak(const Pcm& p) {
    int most = 0;
    for (int16_t s : p.samples) most = std::max(most, std::abs(int(s)));
    return most / kFullScale;
}

double rms(const std::vector<int16_t>& s) {
    double sum = 0;
    for (int16_t v : s) sum += double(v) * v;
    return std::sqrt(sum / std::max<size_t>(1, s.size())) / kFullScale;
}

struct Effect {
    const char* file;
    double minSeconds, maxSeconds;
};
const Effect kEffects[] = {
    {"sfx/001.wav", 0.05, 0.3},  {"sfx/002.wav", 0.1, 1.0},  {"sfx/003.wav", 0.1, 1.0},  {"sfx/004.wav", 0.1, 1.0},
    {"sfx/005.wav", 0.1, 1.0},   {"sfx/006.wav", 0.1, 1.0},  {"sfx/007.wav", 0.1, 1.0},  {"sfx/008.wav", 0.8, 2.5},
    {"sfx/095.wav", 0.6, 2.0},   {"sfx/096.wav", 1.2, 3.0},  {"sfx/098.wav", 0.1, 0.5},  {"sfx/099.wav", 0.03, 0.2},
};

TEST(DataSounds, EffectsAreShortMono16BitClipsThatStartAndEndAtRest) {
    for (const Effect& e : kEffects) {
        Pcm p;
        ASSERT_TRUE(readSound(e.file, p)) << e.file;
        EXPECT_EQ(p.channels, 1) << e.file;
        EXPECT_EQ(p.format, 2) << e.file;
        EXPECT_EQ(p.hertz, kRate) << e.file;
        EXPECT_GE(p.seconds(), e.minSeconds) << e.file;
        EXPECT_LE(p.seconds(), e.maxSeconds) << e.file;
        ASSERT_FALSE(p.samples.empty()) << e.file;
        EXPECT_GT(peak(p), 0.5) << e.file << " is too quiet";
        EXPECT_LT(peak(p), 0.99) << e.file << " clips";
        EXPECT_LT(std::abs(p.samples.front()) / kFullScale, 0.01) << e.file << " starts with a click";
        EXPECT_LT(std::abs(p.samples.back()) / kFullScale, 0.01) << e.file << " ends with a click";
    }
}

TEST(DataSounds, TheSixClearingSoundsDiffer) {
    std::vector<Pcm> clears(6);
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(readSound("sfx/00" + std::to_string(i + 2) + ".wav", clears[i]));
    for (int a = 0; a < 6; ++a) {
        for (int b = a + 1; b < 6; ++b) {
            size_t n = std::max(clears[a].samples.size(), clears[b].samples.size());
            std::vector<int16_t> diff(n);
            for (size_t i = 0; i < n; ++i) {
                int x = i < clears[a].samples.size() ? clears[a].samples[i] : 0;
                int y = i < clears[b].samples.size() ? clears[b].samples[i] : 0;
                diff[i] = int16_t((x - y) / 2);
            }
            double level = std::max(rms(clears[a].samples), rms(clears[b].samples));
            EXPECT_GT(rms(diff), 0.25 * level) << "sounds " << a + 2 << " and " << b + 2 << " are alike";
        }
    }
}

TEST(DataSounds, TuneIsAStereoLoopOf40To90SecondsWithoutAClick) {
    Pcm p;
    ASSERT_TRUE(readSound("sfx/Didiziroze_Razudud.ogg", p));
    EXPECT_EQ(p.channels, 2);
    EXPECT_EQ(p.format, 2);
    EXPECT_EQ(p.hertz, kRate);
    EXPECT_GE(p.seconds(), 40.0);
    EXPECT_LE(p.seconds(), 90.0);
    EXPECT_GT(rms(p.samples), 0.05) << "too quiet";
    EXPECT_LT(peak(p), 1.0);
    // Where the loop wraps, the wave moves no more than it usually does between samples.
    for (int c = 0; c < p.channels; ++c) {
        std::vector<int> steps;
        for (int i = 1; i < p.length; ++i) steps.push_back(std::abs(p.at(i, c) - p.at(i - 1, c)));
        std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
        int usual = steps[steps.size() * 99 / 100];
        EXPECT_LE(std::abs(p.at(0, c) - p.at(p.length - 1, c)), usual) << "channel " << c;
    }
}

}  // namespace
