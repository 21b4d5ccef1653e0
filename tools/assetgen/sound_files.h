// Writers for the two sound formats of the data folder: 16-bit PCM WAV for effects
// and Ogg Vorbis (through libvorbisenc, with a fixed stream serial) for the tune.
#pragma once

#include "synth.h"

#include <string>

namespace assetgen {

// Writes the buffer as 16-bit little-endian PCM; false when the file cannot be written.
bool writeWav(const std::string& path, const Buffer& sound);

// Encodes the buffer as Ogg Vorbis at the given quality (-0.1 .. 1); false on failure.
bool writeOgg(const std::string& path, const Buffer& sound, float quality);

}  // namespace assetgen
