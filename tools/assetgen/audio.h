// The sound files of the data folder: every effect as 16-bit PCM WAV and the tune as
// Ogg Vorbis, each with the function that synthesises and writes it.
#pragma once

#include "synth.h"

#include <functional>
#include <string>
#include <vector>

namespace assetgen {

struct SoundFile {
    std::string name;                                // path inside the data folder
    std::function<bool(const std::string&)> write;   // synthesises and writes; false on failure
};

const std::vector<SoundFile>& soundFiles();

// The effect of the given number (mono), or an empty buffer for a number the game
// does not load.
Buffer synthesiseEffect(int number);

// The game's tune: a stereo loop whose end flows into its start.
constexpr const char* kTuneName = "Didiziroze_Razudud";
constexpr float kTuneQuality = 0.4f;  // Vorbis quality, about 128 kbit/s
Buffer synthesiseTune();

}  // namespace assetgen
