// Tests of source acquisition when OpenAL Soft is configured with only four
// sources: channels take over the source of a stopped channel, or get none.
#include <AL/al.h>
#include <gtest/gtest.h>

#include <fstream>

#include "audio_fixtures.h"

namespace {

using namespace audio_test;

// OpenAL Soft gives this device only this many sources; the music channel takes one.
constexpr int kSourceLimit = 4;

constexpr int kKeptSamples = 2;
gxtkSample* g_kept[kKeptSamples];

void MarkTestRoots() {
  gc_mark_q(gxtkAudio::audio);
  for (gxtkSample* s : g_kept) gc_mark_q(s);
}

TEST(AudioSources, ChannelsTakeOverSourcesOfStoppedChannels) {
  const qr_test::TempDir dir(kTempPrefix);
  const std::string conf = dir / "alsoft.conf";
  std::ofstream(conf) << "[general]\ndrivers=null\nsources=" << kSourceLimit << "\n";
  setenv("ALSOFT_CONF", conf.c_str(), 1);
  setenv("ALSOFT_DRIVERS", "null", 1);
  Host();
  gc_register_roots(GC_ROOTS_GAME, MarkTestRoots);
  gxtkAudio* audio = new gxtkAudio();
  gc_mark();
  const String tunePath(WriteToneWav(dir / "long.wav", {3.0}).c_str());
  const String blipPath(WriteToneWav(dir / "short.wav", {0.2}).c_str());
  gxtkSample* tune = gc_assign(g_kept[0], audio->LoadSample(tunePath));
  gxtkSample* blip = gc_assign(g_kept[1], audio->LoadSample(blipPath));
  ASSERT_NE(tune, nullptr);
  ASSERT_NE(blip, nullptr);
  const unsigned musicSource = audio->channels[gxtkAudio::kMusicChannel].source;
  ASSERT_NE(musicSource, 0u);

  // Three more sources exist: channels 0 to 2 get them.
  for (int c = 0; c < kSourceLimit - 1; ++c) ASSERT_EQ(audio->PlaySample(tune, c, 1), 0) << c;

  // All busy: channel 3 gets no source; its setters act on nothing.
  EXPECT_EQ(audio->PlaySample(blip, 3, 0), -1);
  EXPECT_EQ(audio->ChannelState(3), kChannelStopped);
  EXPECT_EQ(audio->channels[3].source, 0u);
  audio->SetVolume(3, 0.1f);
  ALfloat gain = 0;
  alGetSourcef(audio->channels[0].source, AL_GAIN, &gain);
  EXPECT_FLOAT_EQ(gain, 1.0f);

  // A channel the game stopped gives up its source.
  const unsigned fromOne = audio->channels[1].source;
  audio->StopChannel(1);
  ASSERT_EQ(audio->PlaySample(blip, 3, 0), 0);
  EXPECT_EQ(audio->channels[3].source, fromOne);
  EXPECT_EQ(audio->channels[1].source, 0u);
  EXPECT_EQ(audio->ChannelState(3), kChannelPlaying);
  EXPECT_EQ(audio->ChannelState(1), kChannelStopped);

  // So does one whose sound ended by itself, even before anyone asked its state.
  ASSERT_TRUE(WaitFor([&] { return SourceState(audio, 3) == AL_STOPPED; }));
  const unsigned fromThree = audio->channels[3].source;
  ASSERT_EQ(audio->PlaySample(tune, 4, 1), 0);
  EXPECT_EQ(audio->channels[4].source, fromThree);
  EXPECT_EQ(audio->channels[3].source, 0u);

  // The music channel's source is never taken, even while the music is off.
  audio->StopMusic();
  EXPECT_EQ(audio->PlaySample(blip, 5, 0), -1);
  EXPECT_EQ(audio->channels[gxtkAudio::kMusicChannel].source, musicSource);
}

}  // namespace
