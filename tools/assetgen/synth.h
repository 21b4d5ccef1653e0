// A small synthesiser for the effects and the tune: band-limited oscillators, pitch
// sweeps, vibrato, envelopes, noise and simple filters, mixed into sample buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace assetgen {

constexpr int kSampleRate = 44100;  // every sound is written at CD rate

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
double noteHz(double midi);

enum class Wave { Sine, Triangle, Pulse, Saw, Noise };

// One note or sound event. Times are in seconds from the start of the buffer.
struct Tone {
    Wave wave = Wave::Sine;
    double start = 0;
    double length = 0.1;      // time until the release begins
    double freq = 440;        // Hz at the start
    double freqEnd = 0;       // Hz reached after sweepTime (0: no sweep)
    double sweepTime = 0;     // seconds of the exponential sweep (0: the whole length)
    double duty = 0.5;        // pulse width (Pulse only)
    double attack = 0.004;    // seconds
    double decay = 0.1;       // seconds for the level to fall from 1 to sustain
    double sustain = 1.0;     // level held until the release
    double release = 0.02;    // seconds of the final fade
    double vibratoHz = 0;     // vibrato rate
    double vibratoDepth = 0;  // semitones
    double vibratoDelay = 0;  // seconds before vibrato starts
    double noiseHz = 0;       // Noise only: sample-and-hold rate (0: white)
    float gain = 0.5f;
    float pan = 0;            // -1 left .. 1 right (stereo buffers)
    uint64_t seed = 1;        // Noise only: its fixed seed
};

// A mono or stereo sample buffer. A looping buffer wraps what passes its end back to
// its start, so a tune's tails flow into its beginning without a gap.
class Buffer {
public:
    Buffer(int channels, size_t frames, bool looping = false)
        : channels_(channels), frames_(frames), looping_(looping), data_(size_t(channels) * frames, 0.0f) {}

    int channels() const { return channels_; }
    size_t frames() const { return frames_; }
    float sample(size_t frame, int channel) const { return data_[frame * channels_ + channel]; }
    std::vector<float>& data() { return data_; }
    const std::vector<float>& data() const { return data_; }

    // Adds v at a frame (wrapping when looping, dropped past the end otherwise).
    void add(size_t frame, float v, float pan);

    void render(const Tone& t);
    // Adds another buffer's first channel from the given frame on.
    void mix(const Buffer& other, size_t atFrame, float gain, float pan);
    // Scales so the loudest sample reaches peak.
    void normalise(float peak);
    // Fades the first and last `seconds` linearly, so a one-shot starts and ends at rest.
    void fadeEnds(double seconds);
    // One-pole filters over every channel.
    void lowPass(double cutoffHz);
    void highPass(double cutoffHz);

private:
    int channels_;
    size_t frames_;
    bool looping_;
    std::vector<float> data_;
};

// Mono buffer long enough for `seconds`.
inline Buffer monoFor(double seconds) { return Buffer(1, size_t(seconds * kSampleRate) + 1); }

}  // namespace assetgen
