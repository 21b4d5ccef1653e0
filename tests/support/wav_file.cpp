// WAV files built byte by byte: the RIFF builder, headers, whole files and tone samples.
#include "tests/support/wav_file.h"

#include <cmath>

namespace qr_test {

namespace {

constexpr int kBitsPerByte = 8;
// Where the RIFF size field sits, and the bytes before the ones it counts.
constexpr size_t kRiffSizeAt = 4;
constexpr size_t kRiffCountedFrom = 8;
constexpr double kTwoPi = 6.283185307179586;
// Full scale of 8-bit unsigned and 16-bit signed samples.
constexpr int kMid8 = 128, kScale8 = 127, kScale16 = 32767;

}  // namespace

Riff& Riff::Tag(const char* tag) {
  b.insert(b.end(), tag, tag + 4);
  return *this;
}

Riff& Riff::U16(uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back(v >> 8 & 0xFF);
  return *this;
}

Riff& Riff::U32(uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(v >> (8 * i) & 0xFF);
  return *this;
}

Riff& Riff::Raw(const Bytes& more) {
  b.insert(b.end(), more.begin(), more.end());
  return *this;
}

Riff& Riff::Fill(size_t n, unsigned char v) {
  b.insert(b.end(), n, v);
  return *this;
}

Riff& Riff::SealRiffSize() {
  if (b.size() < kRiffCountedFrom) return *this;
  const uint32_t size = static_cast<uint32_t>(b.size() - kRiffCountedFrom);
  for (int i = 0; i < 4; ++i) b[kRiffSizeAt + i] = size >> (8 * i) & 0xFF;
  return *this;
}

Riff WavHeader(const WavFormat& fmt) {
  Riff r;
  r.Tag("RIFF").U32(0).Tag("WAVE").Tag("fmt ").U32(fmt.size).U16(fmt.compression);
  const uint32_t bytes = fmt.bits / kBitsPerByte;
  r.U16(fmt.channels).U32(fmt.hertz).U32(fmt.hertz * fmt.channels * bytes);
  r.U16(fmt.channels * bytes).U16(fmt.bits);
  if (fmt.size > 16) r.Fill(fmt.size - 16, 0);
  return r;
}

Bytes WavFile(const WavFormat& fmt, const Bytes& data, const Bytes& before) {
  return WavHeader(fmt).Raw(before).Tag("data").U32(static_cast<uint32_t>(data.size())).Raw(data).SealRiffSize().b;
}

Bytes ToneSamples(const Tone& t) {
  const int frames = static_cast<int>(t.seconds * t.hertz);
  Riff r;
  for (int i = 0; i < frames; ++i) {
    const double v = t.amplitude * std::sin(kTwoPi * t.frequency * i / t.hertz);
    for (int c = 0; c < t.channels; ++c) {
      if (t.bits == kBitsPerByte) {
        r.b.push_back(static_cast<unsigned char>(kMid8 + static_cast<int>(v * kScale8)));
      } else {
        r.U16(static_cast<uint16_t>(static_cast<int16_t>(v * kScale16)));
      }
    }
  }
  return r.b;
}

Bytes ToneWav(const Tone& t) {
  WavFormat fmt;
  fmt.channels = t.channels;
  fmt.hertz = t.hertz;
  fmt.bits = t.bits;
  return WavFile(fmt, ToneSamples(t));
}

}  // namespace qr_test
