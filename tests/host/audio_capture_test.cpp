// Tests of what the audio device actually outputs, captured by OpenAL Soft's
// wave writer: a sound is heard when it was played, for its length, at its pitch,
// and panning moves it between the left and right speakers.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>

#include "audio_fixtures.h"

namespace {

using namespace audio_test;

// The capture format asked of the wave writer.
constexpr int kCaptureHertz = 44100;
constexpr int kCaptureChannels = 2;
// Sound is found in windows of 10 ms; a window louder than this (of 32767) is sound.
constexpr int kWindowFrames = kCaptureHertz / 100;
constexpr double kSoundRms = 1000.0;
// How far from the expected moment an onset may be heard (scheduling jitter,
// the mixer's period, a loaded machine).
constexpr double kOnsetTolerance = 0.1;
constexpr double kLengthTolerance = 0.05;

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

void SleepUntil(Clock::time_point t0, double seconds) {
  std::this_thread::sleep_until(t0 + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(seconds)));
}

// The captured stereo 16-bit frames. The writer only completes the header when
// the device closes, so the data runs to the end of the file.
struct Capture {
  std::vector<int16_t> left, right;
};

Capture ReadCapture(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
  Capture c;
  auto u16 = [&](size_t at) { return b[at] | b[at + 1] << 8; };
  auto u32 = [&](size_t at) { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; };
  size_t at = 12;
  size_t data = 0;
  while (at + 8 <= b.size()) {
    std::string tag(b.begin() + at, b.begin() + at + 4);
    uint32_t size = u32(at + 4);
    if (tag == "fmt ") {
      EXPECT_EQ(u16(at + 10), kCaptureChannels);
      EXPECT_EQ(u32(at + 12), uint32_t(kCaptureHertz));
      EXPECT_EQ(u16(at + 22), 16);
    }
    if (tag == "data") {
      data = at + 8;
      break;
    }
    at += 8 + size;
  }
  EXPECT_NE(data, 0u) << "no data chunk in " << path;
  for (size_t i = data; data && i + 4 <= b.size(); i += 4) {
    c.left.push_back(int16_t(u16(i)));
    c.right.push_back(int16_t(u16(i + 2)));
  }
  return c;
}

double Rms(const std::vector<int16_t>& s, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
  return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

// A stretch of sound in the capture, in frames.
struct Burst {
  size_t begin, end;
  double Start() const { return double(begin) / kCaptureHertz; }
  double Length() const { return double(end - begin) / kCaptureHertz; }
};

std::vector<Burst> FindBursts(const Capture& c) {
  std::vector<Burst> bursts;
  bool inSound = false;
  for (size_t w = 0; w + kWindowFrames <= c.left.size(); w += kWindowFrames) {
    double rms = std::max(Rms(c.left, w, w + kWindowFrames), Rms(c.right, w, w + kWindowFrames));
    bool loud = rms > kSoundRms;
    if (loud && !inSound) bursts.push_back({w, w});
    if (loud) bursts.back().end = w + kWindowFrames;
    inSound = loud;
  }
  return bursts;
}

// Frequency from the rising crossings of the louder channel, with hysteresis so
// that the faint noise at the edges of a burst does not count.
constexpr int kCrossingLevel = 1000;

double Pitch(const Capture& c, const Burst& b) {
  const std::vector<int16_t>& s =
      Rms(c.left, b.begin, b.end) >= Rms(c.right, b.begin, b.end) ? c.left : c.right;
  int rises = 0;
  size_t first = 0, last = 0;
  bool low = false;
  for (size_t i = b.begin; i < b.end; ++i) {
    if (s[i] < -kCrossingLevel) low = true;
    if (low && s[i] > kCrossingLevel) {
      if (rises++ == 0) first = i;
      last = i;
      low = false;
    }
  }
  // Whole periods between the first and the last rise.
  return rises > 1 ? (rises - 1) * double(kCaptureHertz) / double(last - first) : 0.0;
}

TEST(AudioCapture, PlayedSoundsAreHeardAtTheirTimeLengthPitchAndPan) {
  const qr_test::TempDir dir(kTempPrefix);
  const std::string out = dir / "capture.wav";
  const std::string conf = dir / "alsoft.conf";
  std::ofstream(conf) << "[general]\ndrivers=wave\nchannels=stereo\nsample-type=int16\n"
                      << "frequency=" << kCaptureHertz << "\n[wave]\nfile=" << out << "\n";
  setenv("ALSOFT_CONF", conf.c_str(), 1);
  unsetenv("ALSOFT_DRIVERS");  // it would override the configured driver
  Host();

  // One second: 22050 bytes of 8-bit mono at 22050 Hz. Then two short 16-bit blips.
  const Tone second{1.0, 22050, 1, 8, 441.0};
  const Tone blip{0.3, 22050, 1, 16, 882.0};
  const String secondPath(WriteToneWav(dir / "second.wav", second).c_str());
  const String blipPath(WriteToneWav(dir / "blip.wav", blip).c_str());

  // The writer starts somewhere inside the device's opening; times below are
  // counted from just before it, and the opening's own length widens the window.
  const Clock::time_point t0 = Clock::now();
  gxtkAudio* audio = new gxtkAudio();
  const double opening = Since(t0);
  ASSERT_NE(audio->alcContext, nullptr);
  gxtkSample* one = audio->LoadSample(secondPath);
  gxtkSample* two = audio->LoadSample(blipPath);
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);

  SleepUntil(t0, 0.5);
  const double firstAt = Since(t0);
  ASSERT_EQ(audio->PlaySample(one, 0, 0), 0);
  ASSERT_TRUE(WaitFor([&] { return audio->ChannelState(0) == kChannelStopped; }));

  audio->SetPan(1, float(-M_PI / 2));  // hard left
  SleepUntil(t0, 2.0);
  const double leftAt = Since(t0);
  ASSERT_EQ(audio->PlaySample(two, 1, 0), 0);
  ASSERT_TRUE(WaitFor([&] { return audio->ChannelState(1) == kChannelStopped; }));

  audio->SetPan(2, float(M_PI / 2));  // hard right
  SleepUntil(t0, 2.8);
  const double rightAt = Since(t0);
  ASSERT_EQ(audio->PlaySample(two, 2, 0), 0);
  ASSERT_TRUE(WaitFor([&] { return audio->ChannelState(2) == kChannelStopped; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(400));  // let the writer catch up

  const Capture capture = ReadCapture(out);
  const std::vector<Burst> bursts = FindBursts(capture);
  ASSERT_EQ(bursts.size(), 3u);

  const Burst& first = bursts[0];
  EXPECT_GT(first.Start(), firstAt - opening - kOnsetTolerance);
  EXPECT_LT(first.Start(), firstAt + kOnsetTolerance);
  EXPECT_NEAR(first.Length(), second.seconds, kLengthTolerance);
  EXPECT_NEAR(Pitch(capture, first), second.frequency, second.frequency * 0.03);
  // Straight ahead: both speakers alike.
  EXPECT_NEAR(Rms(capture.left, first.begin, first.end),
              Rms(capture.right, first.begin, first.end),
              0.1 * Rms(capture.left, first.begin, first.end));

  const Burst& left = bursts[1];
  EXPECT_NEAR(left.Start() - first.Start(), leftAt - firstAt, kOnsetTolerance);
  EXPECT_NEAR(left.Length(), blip.seconds, kLengthTolerance);
  EXPECT_NEAR(Pitch(capture, left), blip.frequency, blip.frequency * 0.03);
  EXPECT_GT(Rms(capture.left, left.begin, left.end), 4 * Rms(capture.right, left.begin, left.end));

  const Burst& right = bursts[2];
  EXPECT_NEAR(right.Start() - first.Start(), rightAt - firstAt, kOnsetTolerance);
  EXPECT_GT(Rms(capture.right, right.begin, right.end),
            4 * Rms(capture.left, right.begin, right.end));
}

}  // namespace
