// WAV files built byte by byte for tests, benchmarks and fuzz seeds: a little-endian RIFF byte
// builder, the "fmt " header of any shape (valid or not), whole files, and tone samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qr_test {

using Bytes = std::vector<unsigned char>;

// Little-endian byte builder for RIFF files.
struct Riff {
  Bytes b;
  Riff& Tag(const char* tag);  // four characters
  Riff& U16(uint32_t v);
  Riff& U32(uint32_t v);
  Riff& Raw(const Bytes& more);
  Riff& Fill(size_t n, unsigned char v);
  // Writes the RIFF size field (the bytes after it) once every chunk is in.
  Riff& SealRiffSize();
  std::string Text() const { return std::string(b.begin(), b.end()); }
};

// The "fmt " chunk's fields; byte rate and block size follow from them.
struct WavFormat {
  uint32_t compression = 1;  // 1: plain PCM
  uint32_t channels = 1;
  uint32_t hertz = 22050;
  uint32_t bits = 8;
  uint32_t size = 16;  // stated size of the fmt chunk; extra bytes are zeros
};

// "RIFF" 0 "WAVE" and the "fmt " chunk, ready for the chunks that follow (the RIFF size is left 0).
Riff WavHeader(const WavFormat& fmt);
// A whole file: header, the chunks in `before` (e.g. a LIST chunk), then the data chunk.
Bytes WavFile(const WavFormat& fmt, const Bytes& data, const Bytes& before = {});

// A sine tone `seconds` long at `frequency` Hz, as 8-bit unsigned or 16-bit signed PCM.
struct Tone {
  double seconds;
  int hertz = 22050;
  int channels = 1;
  int bits = 16;
  double frequency = 441.0;
  double amplitude = 0.5;
};
Bytes ToneSamples(const Tone& tone);
// The tone as a whole file.
Bytes ToneWav(const Tone& tone);

}  // namespace qr_test
