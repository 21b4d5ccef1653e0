// The game's tune: an original chiptune in A minor composed from note tables (lead,
// bass, arpeggio and drums), rendered into a loop that flows from its end into its start.
#include "audio.h"

#include <cmath>
#include <map>
#include <sstream>
#include <string>

namespace assetgen {

namespace {

constexpr int kBeatsPerMinute = 140;
constexpr int kStepsPerBar = 16;                 // sixteenth notes
constexpr int kBars = 32;                        // four sections of eight bars
constexpr int kFramesPerStep = kSampleRate * 60 / kBeatsPerMinute / 4;  // 4725, exact
constexpr float kTunePeak = 0.89f;
constexpr double kStep = double(kFramesPerStep) / kSampleRate;          // seconds per step

// Chords, one per bar: root (MIDI) and the chord's three notes.
struct Chord {
    int root, third, fifth;
};
const std::map<std::string, Chord> kChords = {
    {"Am", {57, 60, 64}}, {"F", {53, 57, 60}}, {"C", {48, 52, 55}}, {"G", {55, 59, 62}},
    {"E", {52, 56, 59}},  {"Em", {52, 55, 59}}, {"Dm", {50, 53, 57}}};

const char* const kProgression[kBars] = {
    "Am", "F", "C", "G", "Am", "F", "G", "E",    // A
    "F", "G", "Em", "Am", "Dm", "G", "C", "E",   // B
    "Am", "F", "C", "G", "Am", "F", "G", "Am",   // A again
    "Dm", "Em", "F", "G", "Dm", "Em", "F", "E"}; // C, leading back to the top

// The lead, one bar a line, sixteen steps each: a note starts, "-" holds, "." rests.
const char* const kMelody[kBars] = {
    "A4 - C5 - E5 - - - D5 - C5 - E5 - - -",
    "F5 - - - E5 - C5 - A4 - - - C5 - - -",
    "G4 - C5 - E5 - G5 - - - E5 - D5 - C5 -",
    "D5 - - - B4 - G4 - B4 - D5 - - - . .",
    "A4 - C5 - E5 - - - A5 - G5 - E5 - - -",
    "F5 - E5 - F5 - A5 - - - G5 - F5 - E5 -",
    "D5 - - - G5 - - - B4 - D5 - G5 - - -",
    "G#5 - - - - - E5 - B4 - - - E5 - - -",
    "A5 - - - C6 - A5 - G5 - F5 - G5 - - -",
    "B5 - - - D6 - B5 - G5 - - - D5 - - -",
    "E5 - G5 - B5 - - - A5 - G5 - E5 - - -",
    "A5 - - - E5 - - - C5 - E5 - A5 - - -",
    "D5 - F5 - A5 - - - F5 - D5 - F5 - - -",
    "G5 - - - B5 - D6 - - - B5 - G5 - - -",
    "C6 - B5 - C6 - E6 - - - D6 - C6 - B5 -",
    "B5 - - - G#5 - - - E5 - - - B4 - - -",
    "A4 - C5 - E5 - - - D5 - C5 - E5 - - -",
    "F5 - - - E5 - C5 - A4 - - - C5 - - -",
    "G4 - C5 - E5 - G5 - - - E5 - D5 - C5 -",
    "D5 - - - B4 - G4 - B4 - D5 - - - . .",
    "A4 - C5 - E5 - - - A5 - G5 - E5 - - -",
    "F5 - E5 - F5 - A5 - - - G5 - F5 - E5 -",
    "D5 - - - G5 - - - B4 - D5 - G5 - - -",
    "A4 - - - - - - - E5 - - - A5 - - -",
    "D5 . F5 . A5 . F5 . D5 . F5 . A5 - C6 -",
    "B5 . G5 . E5 . G5 . B5 . G5 . E5 - D5 -",
    "C5 - - - F5 - - - A5 - - - C6 - - -",
    "B5 - - - A5 - - - G5 - - - D5 - - -",
    "F5 - E5 - D5 - - - A4 - D5 - F5 - - -",
    "G5 - F5 - E5 - - - B4 - E5 - G5 - - -",
    "A5 - - - G5 - F5 - E5 - - - F5 - - -",
    "E5 - - - - - - - G#5 - - - B5 - - -"};

// Drum patterns, one character per step: K kick, S snare, h closed hat, o open hat,
// s a quiet snare (fills), "." nothing. Each section picks its patterns.
struct DrumBar {
    const char* kick;
    const char* snare;
    const char* hats;
};
const DrumBar kGroove = {"K.......K.......", "....S.......S...", "h.h.h.h.h.h.h.h."};
const DrumBar kDrive = {"K.......K.K.....", "....S.......S...", "h.h.h.h.h.h.h.o."};
const DrumBar kFill = {"K.......K.K.....", "....S.......Sss", "h.h.h.h.h.h....."};
const DrumBar kHalfTime = {"K.........K.....", "........S.......", "h.h.h.h.h.h.h.h."};

// Which section a bar is in: 0 A, 1 B, 2 A again, 3 C.
int sectionOf(int bar) { return bar / 8; }

// Parses a note name such as "C5" or "G#5" to a MIDI number.
int midiOf(const std::string& name) {
    static const std::map<char, int> kOffsets = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5}, {'G', 7}, {'A', 9}, {'B', 11}};
    int n = kOffsets.at(name[0]);
    size_t i = 1;
    if (name[i] == '#') {
        ++n;
        ++i;
    }
    return n + 12 * (std::stoi(name.substr(i)) + 1);
}

double stepTime(int bar, int step) { return (bar * kStepsPerBar + step) * kStep; }

void addLead(Buffer& song) {
    for (int bar = 0; bar < kBars; ++bar) {
        std::istringstream tokens(kMelody[bar]);
        std::string tok;
        std::vector<std::string> steps;
        while (tokens >> tok) steps.push_back(tok);
        for (int s = 0; s < kStepsPerBar; ++s) {
            if (steps[s] == "-" || steps[s] == ".") continue;
            int held = 1;
            // A note holds through "-" into the next bar as well.
            for (int k = s + 1;; ++k) {
                int b = bar + k / kStepsPerBar, ks = k % kStepsPerBar;
                if (b >= kBars) break;
                std::istringstream next(kMelody[b]);
                std::string t;
                for (int j = 0; j <= ks; ++j) next >> t;
                if (t != "-") break;
                ++held;
            }
            int section = sectionOf(bar);
            Tone t;
            t.wave = Wave::Pulse;
            t.duty = section == 1 ? 0.5 : 0.25;
            t.start = stepTime(bar, s);
            t.length = held * kStep - 0.03;
            t.freq = noteHz(midiOf(steps[s]));
            t.attack = 0.004;
            t.decay = 0.18;
            t.sustain = 0.65;
            t.release = 0.05;
            t.vibratoHz = 5.5;
            t.vibratoDepth = 0.18;
            t.vibratoDelay = 0.18;
            t.gain = 0.2f;
            t.pan = -0.15f;
            song.render(t);
            // An echo three steps later, softer and on the other side.
            t.start += 3 * kStep;
            t.gain = 0.07f;
            t.pan = 0.5f;
            song.render(t);
        }
    }
}

void addBass(Buffer& song) {
    for (int bar = 0; bar < kBars; ++bar) {
        const Chord& ch = kChords.at(kProgression[bar]);
        int root = ch.root - 12 * (ch.root >= 55 ? 2 : 1);  // keep the bass between E2 and D3
        for (int s = 0; s < kStepsPerBar; s += 2) {
            bool up = (s / 2) % 2 == 1;
            Tone t;
            t.wave = Wave::Triangle;
            t.start = stepTime(bar, s);
            t.length = kStep * 1.6;
            t.freq = noteHz(root + (up ? 12 : 0));
            t.decay = 0.12;
            t.sustain = 0.6;
            t.release = 0.03;
            t.gain = 0.42f;
            song.render(t);
        }
    }
}

void addArpeggio(Buffer& song) {
    for (int bar = 0; bar < kBars; ++bar) {
        if (sectionOf(bar) == 0) continue;  // the first section leaves room for the lead
        const Chord& ch = kChords.at(kProgression[bar]);
        const int notes[4] = {ch.root + 12, ch.third + 12, ch.fifth + 12, ch.third + 12};
        for (int s = 0; s < kStepsPerBar; ++s) {
            Tone t;
            t.wave = Wave::Pulse;
            t.duty = 0.125;
            t.start = stepTime(bar, s);
            t.length = kStep * 0.6;
            t.freq = noteHz(notes[s % 4]);
            t.decay = 0.08;
            t.sustain = 0.3;
            t.release = 0.02;
            t.gain = 0.07f;
            t.pan = 0.35f;
            song.render(t);
        }
    }
}

void addDrums(Buffer& song) {
    uint64_t seed = 1;
    for (int bar = 0; bar < kBars; ++bar) {
        int section = sectionOf(bar);
        bool lastOfSection = bar % 8 == 7;
        const DrumBar& d = lastOfSection ? kFill : section == 3 ? kHalfTime : section == 0 ? kGroove : kDrive;
        for (int s = 0; s < kStepsPerBar; ++s) {
            double at = stepTime(bar, s);
            if (d.kick[s] == 'K') {
                Tone k;
                k.wave = Wave::Sine;
                k.start = at;
                k.length = 0.14;
                k.freq = 160;
                k.freqEnd = 45;
                k.sweepTime = 0.12;
                k.attack = 0.001;
                k.decay = 0.14;
                k.sustain = 0.0;
                k.release = 0.02;
                k.gain = 0.75f;
                song.render(k);
            }
            char sn = d.snare[s];
            if (sn == 'S' || sn == 's') {
                float g = sn == 'S' ? 1.0f : 0.55f;
                Tone n;
                n.wave = Wave::Noise;
                n.start = at;
                n.length = 0.13;
                n.attack = 0.001;
                n.decay = 0.13;
                n.sustain = 0.0;
                n.release = 0.02;
                n.noiseHz = 9000;
                n.gain = 0.3f * g;
                n.seed = ++seed;
                song.render(n);
                Tone body;
                body.wave = Wave::Triangle;
                body.start = at;
                body.length = 0.06;
                body.freq = 200;
                body.freqEnd = 150;
                body.decay = 0.06;
                body.sustain = 0.0;
                body.gain = 0.35f * g;
                song.render(body);
            }
            char h = d.hats[s];
            if (h == 'h' || h == 'o') {
                Tone n;
                n.wave = Wave::Noise;
                n.start = at;
                n.length = h == 'o' ? 0.16 : 0.03;
                n.attack = 0.001;
                n.decay = n.length;
                n.sustain = 0.0;
                n.release = 0.01;
                n.noiseHz = 0;  // white: bright and thin
                n.gain = h == 'o' ? 0.08f : 0.1f;
                n.pan = 0.25f;
                n.seed = ++seed;
                song.render(n);
            }
        }
    }
}

}  // namespace

Buffer synthesiseTune() {
    Buffer song(2, size_t(kBars) * kStepsPerBar * kFramesPerStep, /*looping=*/true);
    addBass(song);
    addLead(song);
    addArpeggio(song);
    addDrums(song);
    song.normalise(kTunePeak);
    return song;
}

}  // namespace assetgen
