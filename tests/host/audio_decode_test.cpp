// Tests of the sound file readers: WAV files built byte by byte (valid ones and
// damaged ones), and short Ogg Vorbis files encoded here with libvorbisenc.
#include "host/audio_decode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/vorbis_file.h"
#include "tests/support/wav_file.h"

namespace {

using qr_test::Bytes;
using qr_test::Riff;
using Fmt = qr_test::WavFormat;

// "RIFF" 0 "WAVE" "fmt " chunk, ready for the chunks that follow.
Riff Header(const Fmt& fmt) { return qr_test::WavHeader(fmt); }

Bytes Ramp(size_t n) {
  Bytes d(n);
  for (size_t i = 0; i < n; ++i) d[i] = static_cast<unsigned char>(i * 7 + 3);
  return d;
}

Bytes Wav(const Fmt& fmt, const Bytes& data) { return qr_test::WavFile(fmt, data); }

// Writes bytes to an anonymous temporary file positioned at its start, as the
// host hands files to the readers.
struct TempFile {
  FILE* f;
  explicit TempFile(const Bytes& bytes) : f(std::tmpfile()) {
    if (f && !bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    if (f) std::rewind(f);
  }
  ~TempFile() {
    if (f) std::fclose(f);
  }
};

struct Pcm {
  unsigned char* data = nullptr;
  int length = -1, channels = -1, format = -1, hertz = -1;
  ~Pcm() { std::free(data); }
};

using Loader = unsigned char* (*)(FILE*, int*, int*, int*, int*);

void Load(Loader loader, const Bytes& bytes, Pcm* out) {
  TempFile file(bytes);
  ASSERT_NE(file.f, nullptr);
  out->data = loader(file.f, &out->length, &out->channels, &out->format, &out->hertz);
}

struct GoodWav {
  const char* name;
  std::function<Bytes()> build;
  Bytes data;  // the PCM bytes the file holds
  int length, channels, format, hertz;
};

TEST(LoadWAV, ReadsWellFormedFiles) {
  const Bytes oneSecond = Ramp(22050);
  const Bytes stereo16 = Ramp(400);
  const Bytes small = Ramp(10);
  const GoodWav cases[] = {
      {"8-bit mono, one second", [&] { return Wav(Fmt{}, oneSecond); }, oneSecond, 22050, 1, 1,
       22050},
      {"16-bit stereo", [&] { return Wav(Fmt{1, 2, 44100, 16, 16}, stereo16); }, stereo16, 100,
       2, 2, 44100},
      {"LIST chunk before data",
       [&] {
         return Header(Fmt{}).Tag("LIST").U32(6).Fill(6, 'x').Tag("data").U32(10).Raw(small).b;
       },
       small, 10, 1, 1, 22050},
      {"odd-sized chunk, no pad byte",
       [&] {
         return Header(Fmt{}).Tag("fact").U32(3).Fill(3, 0).Tag("data").U32(10).Raw(small).b;
       },
       small, 10, 1, 1, 22050},
      {"fmt chunk with extension bytes", [&] { return Wav(Fmt{1, 1, 8000, 8, 18}, small); },
       small, 10, 1, 1, 8000},
      {"data size not a whole number of frames",
       [&] { return Wav(Fmt{1, 2, 11025, 16, 16}, small); }, small, 2, 2, 2, 11025},
      {"empty data chunk", [&] { return Wav(Fmt{}, Bytes()); }, Bytes(), 0, 1, 1, 22050},
  };
  for (const GoodWav& c : cases) {
    SCOPED_TRACE(c.name);
    Pcm pcm;
    Load(LoadWAV, c.build(), &pcm);
    ASSERT_NE(pcm.data, nullptr);
    EXPECT_EQ(pcm.length, c.length);
    EXPECT_EQ(pcm.channels, c.channels);
    EXPECT_EQ(pcm.format, c.format);
    EXPECT_EQ(pcm.hertz, c.hertz);
    EXPECT_EQ(Bytes(pcm.data, pcm.data + c.data.size()), c.data);
  }
}

struct BadWav {
  const char* name;
  std::function<Bytes()> build;
};

TEST(LoadWAV, RejectsDamagedFilesCleanly) {
  const Bytes small = Ramp(10);
  const BadWav cases[] = {
      {"empty file", [] { return Bytes(); }},
      {"not RIFF", [&] { Bytes b = Wav(Fmt{}, small); b[0] = 'X'; return b; }},
      {"not WAVE", [&] { Bytes b = Wav(Fmt{}, small); b[8] = 'X'; return b; }},
      {"no fmt chunk first",
       [&] { return Riff().Tag("RIFF").U32(0).Tag("WAVE").Tag("data").U32(10).Raw(small).b; }},
      {"compression 3 (float)", [&] { return Wav(Fmt{3, 1, 22050, 32, 16}, small); }},
      {"compression 2 (ADPCM)", [&] { return Wav(Fmt{2, 1, 22050, 4, 16}, small); }},
      {"zero channels", [&] { return Wav(Fmt{1, 0, 22050, 8, 16}, small); }},
      {"4 bits per sample (0 bytes)", [&] { return Wav(Fmt{1, 1, 22050, 4, 16}, small); }},
      {"no data chunk", [&] { return Header(Fmt{}).Tag("LIST").U32(4).Fill(4, 0).b; }},
      {"data size past the end",
       [&] { return Header(Fmt{}).Tag("data").U32(11).Raw(small).b; }},
      {"huge data size", [&] { return Header(Fmt{}).Tag("data").U32(0xFFFFFF00u).Raw(small).b; }},
      {"negative data size",
       [&] { return Header(Fmt{}).Tag("data").U32(0x80000000u).Raw(small).b; }},
      {"negative chunk size (would step backwards)",
       [&] {
         return Header(Fmt{}).Tag("LIST").U32(0xFFFFFFF4u).Tag("data").U32(10).Raw(small).b;
       }},
      {"chunk size past the end",
       [&] { return Header(Fmt{}).Tag("LIST").U32(1000).Tag("data").U32(10).Raw(small).b; }},
      {"huge fmt size", [&] {
         Riff r = Header(Fmt{});
         r.b[16] = r.b[17] = r.b[18] = 0xFF;
         r.b[19] = 0x7F;
         return r.Tag("data").U32(10).Raw(small).b;
       }},
  };
  for (const BadWav& c : cases) {
    SCOPED_TRACE(c.name);
    Pcm pcm;
    Load(LoadWAV, c.build(), &pcm);
    EXPECT_EQ(pcm.data, nullptr);
  }
}

TEST(LoadWAV, EveryTruncationOfAFileFails) {
  const Bytes whole = Header(Fmt{}).Tag("LIST").U32(4).Fill(4, 'z').Tag("data").U32(10)
                          .Raw(Ramp(10)).b;
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    Pcm pcm;
    Load(LoadWAV, Bytes(whole.begin(), whole.begin() + cut), &pcm);
    EXPECT_EQ(pcm.data, nullptr);
  }
  Pcm pcm;
  Load(LoadWAV, whole, &pcm);
  EXPECT_NE(pcm.data, nullptr);
}

// Encodes a sine of the given length with libvorbisenc into an Ogg stream.
Bytes EncodeOgg(int channels, int hertz, int frames) {
  qr_test::VorbisStream stream;
  stream.channels = channels;
  stream.hertz = hertz;
  stream.frames = frames;
  stream.sample = [](int frame, int channel) { return 0.5f * std::sin(float(frame) * 0.05f * float(channel + 1)); };
  return qr_test::EncodeVorbis(stream);
}

TEST(LoadOGG, DecodesWholeStreamToSixteenBitSamples) {
  struct Case {
    int channels, hertz, frames;
  } cases[] = {{1, 44100, 11025}, {2, 22050, 5000}, {2, 44100, 70000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.channels) + " channels, " + std::to_string(c.frames));
    Bytes ogg = EncodeOgg(c.channels, c.hertz, c.frames);
    ASSERT_FALSE(ogg.empty());
    Pcm pcm;
    Load(LoadOGG, ogg, &pcm);
    ASSERT_NE(pcm.data, nullptr);
    EXPECT_EQ(pcm.channels, c.channels);
    EXPECT_EQ(pcm.hertz, c.hertz);
    EXPECT_EQ(pcm.format, 2);
    EXPECT_EQ(pcm.length, c.frames);
    // The tone is there: the decoded samples are not silence.
    const short* s = reinterpret_cast<const short*>(pcm.data);
    int loud = 0;
    for (int i = 0; i < pcm.length * pcm.channels; ++i) loud += std::abs(s[i]) > 4000;
    EXPECT_GT(loud, pcm.length / 4);
  }
}

TEST(LoadOGG, RejectsFilesThatAreNotVorbis) {
  const Bytes wav = Wav(Fmt{}, Ramp(100));
  for (const Bytes& bytes : {Bytes(), wav, Ramp(5000)}) {
    Pcm pcm;
    Load(LoadOGG, bytes, &pcm);
    EXPECT_EQ(pcm.data, nullptr);
  }
}

}  // namespace
