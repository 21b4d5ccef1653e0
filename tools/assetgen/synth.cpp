// The synthesiser: oscillators with PolyBLEP edges (no harsh aliasing on square and
// saw waves), an attack-decay-sustain-release envelope, and one-pole filters.
#include "synth.h"

#include "rng.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kMidiA4 = 69;
constexpr double kHzA4 = 440.0;
constexpr double kSemitonesPerOctave = 12.0;

// PolyBLEP correction for a step at phase 0 (t and dt in cycles).
double blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double envelope(const Tone& t, double time) {
    if (time < 0) return 0;
    double level;
    if (time < t.attack) level = time / t.attack;
    else if (time < t.attack + t.decay) level = 1.0 - (1.0 - t.sustain) * (time - t.attack) / t.decay;
    else level = t.sustain;
    if (time > t.length) level *= std::max(0.0, 1.0 - (time - t.length) / t.release);
    return level;
}

}  // namespace

double noteHz(double midi) { return kHzA4 * std::pow(2.0, (midi - kMidiA4) / kSemitonesPerOctave); }

void Buffer::add(size_t frame, float v, float pan) {
    if (frame >= frames_) {
        if (!looping_) return;
        frame %= frames_;
    }
    if (channels_ == 1) {
        data_[frame] += v;
        return;
    }
    // Constant-power pan.
    double angle = (pan + 1.0) * 0.25 * 3.141592653589793;
    data_[frame * 2] += float(v * std::cos(angle) * std::sqrt(2.0));
    data_[frame * 2 + 1] += float(v * std::sin(angle) * std::sqrt(2.0));
}

void Buffer::render(const Tone& t) {
    size_t first = size_t(std::llround(t.start * kSampleRate));
    size_t count = size_t((t.length + t.release) * kSampleRate);
    double phase = 0;
    Rng noise(t.seed);
    float held = 0;
    double sweep = t.sweepTime > 0 ? t.sweepTime : t.length;
    for (size_t i = 0; i < count; ++i) {
        double time = double(i) / kSampleRate;
        double f = t.freq;
        if (t.freqEnd > 0) f = t.freq * std::pow(t.freqEnd / t.freq, std::min(time, sweep) / sweep);
        if (t.vibratoDepth > 0 && time > t.vibratoDelay) {
            double ramp = std::min(1.0, (time - t.vibratoDelay) / 0.1);
            f *= std::pow(2.0, ramp * t.vibratoDepth * std::sin(kTwoPi * t.vibratoHz * time) / kSemitonesPerOctave);
        }
        double dt = f / kSampleRate;
        double v = 0;
        switch (t.wave) {
            case Wave::Sine: v = std::sin(kTwoPi * phase); break;
            case Wave::Triangle: v = 1.0 - 4.0 * std::fabs(phase - 0.5); break;
            case Wave::Saw: v = 2.0 * phase - 1.0 - blep(phase, dt); break;
            case Wave::Pulse: {
                v = phase < t.duty ? 1.0 : -1.0;
                v += blep(phase, dt);
                v -= blep(std::fmod(phase + 1.0 - t.duty, 1.0), dt);
                v -= 2.0 * t.duty - 1.0;  // a narrow pulse sits off centre: take its mean out
                break;
            }
            case Wave::Noise: {
                // White noise takes a new value every sample; coloured noise holds each
                // value for one cycle of noiseHz.
                dt = t.noiseHz > 0 ? t.noiseHz / kSampleRate : 1.0;
                if (i == 0 || phase + dt >= 1.0) held = noise.range(-1.0f, 1.0f);
                v = held;
                break;
            }
        }
        phase += dt;
        phase -= std::floor(phase);
        add(first + i, float(v * envelope(t, time) * t.gain), t.pan);
    }
}

void Buffer::mix(const Buffer& other, size_t atFrame, float gain, float pan) {
    for (size_t i = 0; i < other.frames(); ++i) add(atFrame + i, other.sample(i, 0) * gain, pan);
}

void Buffer::normalise(float peak) {
    float most = 0;
    for (float v : data_) most = std::max(most, std::fabs(v));
    if (most <= 0) return;
    for (float& v : data_) v *= peak / most;
}

void Buffer::fadeEnds(double seconds) {
    size_t n = std::min(frames_ / 2, size_t(seconds * kSampleRate));
    for (size_t i = 0; i < n; ++i) {
        float k = float(i) / float(n);
        for (int c = 0; c < channels_; ++c) {
            data_[i * channels_ + c] *= k;
            data_[(frames_ - 1 - i) * channels_ + c] *= k;
        }
    }
}

void Buffer::lowPass(double cutoffHz) {
    float a = float(1.0 - std::exp(-kTwoPi * cutoffHz / kSampleRate));
    for (int c = 0; c < channels_; ++c) {
        float y = 0;
        for (size_t i = 0; i < frames_; ++i) {
            float& x = data_[i * channels_ + c];
            y += a * (x - y);
            x = y;
        }
    }
}

void Buffer::highPass(double cutoffHz) {
    float a = float(1.0 - std::exp(-kTwoPi * cutoffHz / kSampleRate));
    for (int c = 0; c < channels_; ++c) {
        float low = 0;
        for (size_t i = 0; i < frames_; ++i) {
            float& x = data_[i * channels_ + c];
            low += a * (x - low);
            x -= low;
        }
    }
}

}  // namespace assetgen
