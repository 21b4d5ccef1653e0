// The sound effects, synthesised from tones, sweeps and noise: the push, six clearing
// sounds that differ, time up, board finished, the start-up jingle, confirm and move.
#include "audio.h"
#include "sound_files.h"
#include "synth.h"

namespace assetgen {

namespace {

constexpr float kEffectPeak = 0.85f;   // every effect is normalised to this peak
constexpr double kEdgeFade = 0.003;    // seconds faded in and out at the ends

// MIDI notes used by the effects.
enum Note : int { G4 = 67, A4 = 69, B4 = 71, C5 = 72, D5 = 74, E5 = 76, F5 = 77, G5 = 79, A5 = 81, B5 = 83,
                  C6 = 84, D6 = 86, E6 = 88, G6 = 91, A6 = 93, B6 = 95, C7 = 96, E7 = 100 };

Tone tone(Wave w, double start, double length, double midi, float gain) {
    Tone t;
    t.wave = w;
    t.start = start;
    t.length = length;
    t.freq = noteHz(midi);
    t.gain = gain;
    return t;
}

// A short plucked note: quick attack, exponential-looking fall, soft release.
Tone pluck(Wave w, double start, double midi, float gain, double decay = 0.18) {
    Tone t = tone(w, start, decay, midi, gain);
    t.decay = decay;
    t.sustain = 0.0;
    t.release = 0.05;
    return t;
}

// A breath of filtered noise.
Tone hiss(double start, double length, float gain, uint64_t seed, double holdHz = 0) {
    Tone t;
    t.wave = Wave::Noise;
    t.start = start;
    t.length = length;
    t.decay = length;
    t.sustain = 0.0;
    t.release = 0.01;
    t.gain = gain;
    t.seed = seed;
    t.noiseHz = holdHz;
    return t;
}

Buffer finish(Buffer b) {
    b.normalise(kEffectPeak);
    b.fadeEnds(kEdgeFade);
    return b;
}

// 001: a soft thump with a swish, as a tile slides into its neighbour's cell.
Buffer push() {
    Buffer b = monoFor(0.16);
    Tone body = tone(Wave::Triangle, 0, 0.08, 0, 0.8f);
    body.freq = 330;
    body.freqEnd = 110;
    body.decay = 0.08;
    body.sustain = 0.0;
    b.render(body);
    Buffer swish = monoFor(0.16);
    swish.render(hiss(0, 0.1, 0.4f, 11));
    swish.lowPass(3500);
    swish.highPass(600);
    b.mix(swish, 0, 1.0f, 0);
    return finish(b);
}

// 002..007: six clearing sounds, each with its own character.
Buffer clearChime() {  // a quick rising major arpeggio with a sparkle tail
    Buffer b = monoFor(0.6);
    const int notes[] = {C6, E6, G6, C7};
    for (int i = 0; i < 4; ++i) b.render(pluck(Wave::Pulse, i * 0.045, notes[i], 0.35f, 0.22));
    Buffer sparkle = monoFor(0.6);
    sparkle.render(hiss(0.12, 0.4, 0.2f, 21));
    sparkle.highPass(6000);
    b.mix(sparkle, 0, 1.0f, 0);
    return finish(b);
}

Buffer clearBell() {  // two glassy bells a fifth apart
    Buffer b = monoFor(0.8);
    for (int i = 0; i < 2; ++i) {
        double midi = i == 0 ? E6 : B6;
        Tone bell = pluck(Wave::Sine, i * 0.07, midi, 0.5f, 0.5);
        b.render(bell);
        Tone partial = pluck(Wave::Sine, i * 0.07, midi + 19.02, 0.18f, 0.18);  // inharmonic shimmer
        b.render(partial);
    }
    return finish(b);
}

Buffer clearPop() {  // a bubbly pop sweeping up, then a tiny ping
    Buffer b = monoFor(0.45);
    Tone pop = tone(Wave::Sine, 0, 0.09, 0, 0.8f);
    pop.freq = 300;
    pop.freqEnd = 1500;
    pop.decay = 0.09;
    pop.sustain = 0.2;
    b.render(pop);
    b.render(pluck(Wave::Triangle, 0.08, A6, 0.45f, 0.25));
    Buffer crack = monoFor(0.45);
    crack.render(hiss(0, 0.03, 0.5f, 31));
    crack.highPass(2000);
    b.mix(crack, 0, 1.0f, 0);
    return finish(b);
}

Buffer clearArpeggio() {  // a fast minor-seventh run on a square wave
    Buffer b = monoFor(0.55);
    const int notes[] = {A5, C6, E6, G6, A6};
    for (int i = 0; i < 5; ++i) {
        Tone t = pluck(Wave::Pulse, i * 0.035, notes[i], 0.3f, 0.16);
        t.duty = 0.125;
        b.render(t);
    }
    return finish(b);
}

Buffer clearShimmer() {  // a bright detuned chord swelling and fading
    Buffer b = monoFor(0.6);
    const double chord[] = {D6, G6 - 0.12, B6 + 0.1, D6 + 12.05};
    for (double n : chord) {
        Tone t = tone(Wave::Saw, 0, 0.18, n, 0.16f);
        t.attack = 0.02;
        t.decay = 0.3;
        t.sustain = 0.3;
        t.release = 0.3;
        t.vibratoHz = 7;
        t.vibratoDepth = 0.15;
        b.render(t);
    }
    b.lowPass(5000);
    return finish(b);
}

Buffer clearZap() {  // a laser zap rising with a crackle
    Buffer b = monoFor(0.4);
    Tone zap = tone(Wave::Pulse, 0, 0.22, 0, 0.45f);
    zap.freq = 280;
    zap.freqEnd = 2600;
    zap.duty = 0.25;
    zap.decay = 0.22;
    zap.sustain = 0.2;
    zap.release = 0.1;
    zap.vibratoHz = 30;
    zap.vibratoDepth = 0.6;
    b.render(zap);
    b.render(hiss(0.02, 0.2, 0.22f, 41, 3000));
    return finish(b);
}

// 008: time up, a falling three-note buzzer.
Buffer timeUp() {
    Buffer b = monoFor(1.5);
    const int notes[] = {G4, E5 - 12, C5 - 12};
    for (int i = 0; i < 3; ++i) {
        Tone t = tone(Wave::Pulse, i * 0.28, i == 2 ? 0.6 : 0.22, notes[i], 0.3f);
        t.duty = 0.5;
        t.decay = 0.2;
        t.sustain = 0.7;
        t.release = 0.15;
        if (i == 2) {
            t.freqEnd = t.freq * 0.7;
            t.vibratoHz = 6;
            t.vibratoDepth = 0.4;
            t.vibratoDelay = 0.1;
        }
        b.render(t);
        Tone low = t;
        low.wave = Wave::Triangle;
        low.freq /= 2;
        low.freqEnd /= 2;
        low.gain = 0.4f;
        b.render(low);
    }
    b.lowPass(3000);
    return finish(b);
}

// 095: board finished, a bright fanfare ending on a held chord.
Buffer boardDone() {
    Buffer b = monoFor(1.4);
    const int run[] = {C5, E5, G5, C6};
    for (int i = 0; i < 4; ++i) b.render(pluck(Wave::Pulse, i * 0.09, run[i], 0.3f, 0.12));
    for (int n : {C6, E6, G6}) {
        Tone t = tone(Wave::Pulse, 0.36, 0.55, n, 0.18f);
        t.duty = 0.25;
        t.decay = 0.3;
        t.sustain = 0.6;
        t.release = 0.4;
        t.vibratoHz = 5.5;
        t.vibratoDepth = 0.12;
        t.vibratoDelay = 0.15;
        b.render(t);
    }
    Tone bass = tone(Wave::Triangle, 0.36, 0.55, C5 - 24, 0.5f);
    bass.release = 0.4;
    b.render(bass);
    return finish(b);
}

// 096: the start-up jingle, also heard on returning to the menu.
Buffer jingle() {
    Buffer b = monoFor(2.3);
    struct N {
        double at, len;
        int note;
    };
    const N melody[] = {{0.00, 0.10, G5}, {0.12, 0.10, C6}, {0.24, 0.10, E6}, {0.36, 0.22, D6},
                        {0.60, 0.10, C6}, {0.72, 0.10, D6}, {0.84, 0.80, G6}};
    for (const N& n : melody) {
        Tone t = tone(Wave::Pulse, n.at, n.len, n.note, 0.28f);
        t.duty = 0.25;
        t.decay = 0.15;
        t.sustain = 0.7;
        t.release = n.len > 0.5 ? 0.5 : 0.06;
        t.vibratoHz = 5.5;
        t.vibratoDepth = 0.15;
        t.vibratoDelay = 0.25;
        b.render(t);
    }
    const N bass[] = {{0.0, 0.3, C5 - 24}, {0.36, 0.2, G4 - 24}, {0.6, 0.2, A4 - 24}, {0.84, 0.8, C5 - 24}};
    for (const N& n : bass) {
        Tone t = tone(Wave::Triangle, n.at, n.len, n.note, 0.45f);
        t.release = 0.3;
        b.render(t);
    }
    for (int n : {int(E6), G6 - 12, int(C6)}) {  // a soft chord under the last note
        Tone t = tone(Wave::Triangle, 0.84, 0.6, n, 0.12f);
        t.release = 0.6;
        b.render(t);
    }
    Buffer cymbal = monoFor(2.3);
    cymbal.render(hiss(0.84, 1.1, 0.25f, 96));
    cymbal.highPass(5000);
    b.mix(cymbal, 0, 1.0f, 0);
    return finish(b);
}

// 098: confirm and pause, a quick two-note "bling".
Buffer confirm() {
    Buffer b = monoFor(0.35);
    Tone a = pluck(Wave::Pulse, 0, E6, 0.35f, 0.08);
    a.duty = 0.125;
    b.render(a);
    Tone c = pluck(Wave::Pulse, 0.06, B6, 0.35f, 0.2);
    c.duty = 0.125;
    b.render(c);
    return finish(b);
}

// 099: menu move, a short soft blip.
Buffer menuMove() {
    Buffer b = monoFor(0.09);
    Tone t = pluck(Wave::Triangle, 0, A5, 0.6f, 0.05);
    t.freqEnd = noteHz(E6);
    t.sweepTime = 0.03;
    t.release = 0.02;
    b.render(t);
    return finish(b);
}

struct Effect {
    int number;
    Buffer (*make)();
};
const Effect kEffects[] = {{1, push},        {2, clearChime},  {3, clearBell}, {4, clearPop},   {5, clearArpeggio},
                           {6, clearShimmer}, {7, clearZap},    {8, timeUp},    {95, boardDone}, {96, jingle},
                           {98, confirm},     {99, menuMove}};

// "sfx/" and the number with at least three digits, as the game names its effects.
std::string effectFile(int number) {
    std::string digits = std::to_string(number);
    while (digits.size() < 3) digits = "0" + digits;
    return "sfx/" + digits + ".wav";
}

}  // namespace

Buffer synthesiseEffect(int number) {
    for (const Effect& e : kEffects)
        if (e.number == number) return e.make();
    return Buffer(1, 0);
}

const std::vector<SoundFile>& soundFiles() {
    static const std::vector<SoundFile> kFiles = [] {
        std::vector<SoundFile> files;
        for (const Effect& e : kEffects) {
            int n = e.number;
            files.push_back({effectFile(n), [n](const std::string& path) { return writeWav(path, synthesiseEffect(n)); }});
        }
        files.push_back({std::string("sfx/") + kTuneName + ".ogg",
                         [](const std::string& path) { return writeOgg(path, synthesiseTune(), kTuneQuality); }});
        return files;
    }();
    return kFiles;
}

}  // namespace assetgen
