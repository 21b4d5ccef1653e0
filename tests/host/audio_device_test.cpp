// Tests of the audio device on the real OpenAL Soft (null output): the channel
// state machine, suspend and resume, channel settings, and buffer lifetimes.
#include <AL/al.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "audio_fixtures.h"

namespace {

using namespace audio_test;

// Samples a test holds on to: a collector root, as a game's globals would be.
constexpr int kKeptSamples = 4;
gxtkSample* g_kept[kKeptSamples];
// Played on a spare channel to make the device flush its discard list without
// making a buffer (OpenAL would hand out a just-deleted buffer name again).
gxtkSample* g_flusher;
constexpr int kSpareChannel = 30;

void MarkTestRoots() {
  gc_mark_q(gxtkAudio::audio);
  gc_mark_q(g_flusher);
  for (gxtkSample* s : g_kept) gc_mark_q(s);
}

class AudioDevice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("ALSOFT_DRIVERS", "null", 1);
    Host();
    dir_ = new qr_test::TempDir(kTempPrefix);
    WriteToneWav(Path("long.wav"), {2.0});
    WriteToneWav(Path("short.wav"), {0.3});
    gc_register_roots(GC_ROOTS_GAME, MarkTestRoots);
    audio_ = new gxtkAudio();
    gc_mark();
    gc_assign(g_flusher, Load("short.wav"));
  }

  static void TearDownTestSuite() { delete dir_; }

  void TearDown() override {
    for (int c = 0; c < gxtkAudio::kChannelCount; ++c) audio_->StopChannel(c);
    for (gxtkSample*& s : g_kept) s = nullptr;
  }

  static void Flush() { ASSERT_EQ(audio_->PlaySample(g_flusher, kSpareChannel, 0), 0); }

  static std::string Path(const char* name) { return *dir_ / name; }
  static gxtkSample* Load(const char* name) { return audio_->LoadSample(String(Path(name).c_str())); }

  // Two full cycles: the second one only keeps what the roots and the device's
  // own marking reach (the first also keeps whatever a barrier greyed).
  static void CollectTwice() {
    gc_collect_all();
    gc_collect_all();
    DestroyGarbage();
  }

  static qr_test::TempDir* dir_;
  static gxtkAudio* audio_;
};

qr_test::TempDir* AudioDevice::dir_;
gxtkAudio* AudioDevice::audio_;

TEST_F(AudioDevice, OpensTheDefaultDeviceWithTheMusicSourceReady) {
  EXPECT_NE(audio_->alcDevice, nullptr);
  EXPECT_NE(audio_->alcContext, nullptr);
  EXPECT_EQ(gxtkAudio::audio, audio_);
  EXPECT_NE(audio_->channels[gxtkAudio::kMusicChannel].source, 0u);
  ALint model = 0;
  model = alGetInteger(AL_DISTANCE_MODEL);
  EXPECT_EQ(model, AL_NONE);
}

TEST_F(AudioDevice, OneShotReadsPlayingUntilItEndsThenStopped) {
  gxtkSample* s = Load("short.wav");
  ASSERT_NE(s, nullptr);
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(audio_->PlaySample(s, 0, 0), 0);
  EXPECT_EQ(audio_->ChannelState(0), kChannelPlaying);
  ASSERT_TRUE(WaitFor([&] { return audio_->ChannelState(0) == kChannelStopped; }));
  // It read "playing" for the length of the sound (0.3 s), not less.
  std::chrono::duration<double> playedFor = std::chrono::steady_clock::now() - start;
  EXPECT_GE(playedFor.count(), 0.25);
}

TEST_F(AudioDevice, PlayingOnABusyChannelRestartsItWithTheNewSample) {
  gxtkSample* first = gc_assign(g_kept[0], Load("long.wav"));
  gxtkSample* second = gc_assign(g_kept[1], Load("short.wav"));
  ASSERT_EQ(audio_->PlaySample(first, 1, 1), 0);
  ASSERT_EQ(audio_->PlaySample(second, 1, 0), 0);
  ALint buffer = 0, looping = -1;
  alGetSourcei(audio_->channels[1].source, AL_BUFFER, &buffer);
  alGetSourcei(audio_->channels[1].source, AL_LOOPING, &looping);
  EXPECT_EQ(unsigned(buffer), second->buffer);
  EXPECT_EQ(looping, AL_FALSE);
  EXPECT_EQ(audio_->ChannelState(1), kChannelPlaying);
  EXPECT_EQ(SourceState(audio_, 1), AL_PLAYING);
}

TEST_F(AudioDevice, PausingAnEndedChannelLeavesItStopped) {
  ASSERT_EQ(audio_->PlaySample(Load("short.wav"), 2, 0), 0);
  ASSERT_TRUE(WaitFor([&] { return SourceState(audio_, 2) == AL_STOPPED; }));
  ASSERT_EQ(audio_->channels[2].state, kChannelPlaying);  // the end is not noticed yet
  audio_->PauseChannel(2);
  EXPECT_EQ(audio_->ChannelState(2), kChannelStopped);
  audio_->ResumeChannel(2);
  EXPECT_EQ(audio_->ChannelState(2), kChannelStopped);
  EXPECT_EQ(SourceState(audio_, 2), AL_STOPPED);
}

TEST_F(AudioDevice, GamePauseResumeAndStop) {
  gc_assign(g_kept[0], Load("long.wav"));
  ASSERT_EQ(audio_->PlaySample(g_kept[0], 3, 1), 0);
  audio_->ResumeChannel(3);  // not paused: nothing changes
  EXPECT_EQ(audio_->ChannelState(3), kChannelPlaying);

  audio_->PauseChannel(3);
  EXPECT_EQ(audio_->ChannelState(3), kChannelPaused);
  EXPECT_EQ(SourceState(audio_, 3), AL_PAUSED);

  audio_->ResumeChannel(3);
  EXPECT_EQ(audio_->ChannelState(3), kChannelPlaying);
  EXPECT_EQ(SourceState(audio_, 3), AL_PLAYING);

  audio_->StopChannel(3);
  EXPECT_EQ(audio_->ChannelState(3), kChannelStopped);
  EXPECT_EQ(SourceState(audio_, 3), AL_STOPPED);
  audio_->ResumeChannel(3);  // stopped stays stopped
  EXPECT_EQ(audio_->ChannelState(3), kChannelStopped);
}

TEST_F(AudioDevice, SuspendAndResumeLeaveGamePausedChannelsAlone) {
  gc_assign(g_kept[0], Load("long.wav"));
  ASSERT_EQ(audio_->PlaySample(g_kept[0], 4, 1), 0);
  ASSERT_EQ(audio_->PlaySample(g_kept[0], 5, 1), 0);
  ASSERT_EQ(audio_->PlayMusic(String(Path("long.wav").c_str()), 1), 0);
  audio_->PauseChannel(5);

  audio_->Suspend();
  EXPECT_EQ(SourceState(audio_, 4), AL_PAUSED);
  EXPECT_EQ(SourceState(audio_, gxtkAudio::kMusicChannel), AL_PAUSED);
  EXPECT_EQ(SourceState(audio_, 5), AL_PAUSED);
  EXPECT_EQ(audio_->ChannelState(4), kChannelPlaying);  // the states do not change
  EXPECT_EQ(audio_->MusicState(), kChannelPlaying);
  EXPECT_EQ(audio_->ChannelState(5), kChannelPaused);

  audio_->Resume();
  EXPECT_EQ(SourceState(audio_, 4), AL_PLAYING);
  EXPECT_EQ(SourceState(audio_, gxtkAudio::kMusicChannel), AL_PLAYING);
  EXPECT_EQ(SourceState(audio_, 5), AL_PAUSED);
  EXPECT_EQ(audio_->ChannelState(5), kChannelPaused);
}

TEST_F(AudioDevice, LoopingMusicKeepsPlayingWhileEffectsPlay) {
  ASSERT_EQ(audio_->PlayMusic(String(Path("short.wav").c_str()), 1), 0);
  for (int c = 0; c < 6; ++c) ASSERT_EQ(audio_->PlaySample(Load("short.wav"), c, 0), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // past the tune's end
  EXPECT_EQ(audio_->MusicState(), kChannelPlaying);
  EXPECT_EQ(SourceState(audio_, gxtkAudio::kMusicChannel), AL_PLAYING);
}

TEST_F(AudioDevice, APlayingSampleIsKeptAliveAfterTheGameDropsIt) {
  gxtkSample* s = Load("long.wav");
  unsigned buffer = s->buffer;
  ASSERT_EQ(audio_->PlaySample(s, 6, 1), 0);
  s = nullptr;
  CollectTwice();
  EXPECT_FALSE(Discarded(buffer));
  EXPECT_TRUE(BufferExists(buffer));
  EXPECT_EQ(SourceState(audio_, 6), AL_PLAYING);
}

TEST_F(AudioDevice, AnEndedSampleIsCollectedAndItsBufferDeleted) {
  gxtkSample* s = Load("short.wav");
  unsigned buffer = s->buffer;
  ASSERT_EQ(audio_->PlaySample(s, 7, 0), 0);
  s = nullptr;
  ASSERT_TRUE(WaitFor([&] { return SourceState(audio_, 7) == AL_STOPPED; }));
  CollectTwice();
  ASSERT_TRUE(Discarded(buffer));
  // The next play flushes: the ended source lets go of the buffer, which is deleted.
  Flush();
  EXPECT_FALSE(Discarded(buffer));
  EXPECT_FALSE(BufferExists(buffer));
  EXPECT_EQ(audio_->ChannelState(7), kChannelStopped);
}

TEST_F(AudioDevice, ReplacingTheMusicFreesTheOldTuneOnlyOnceItIsOff) {
  const String tune(Path("long.wav").c_str());
  ASSERT_EQ(audio_->PlayMusic(tune, 1), 0);
  unsigned old = audio_->channels[gxtkAudio::kMusicChannel].sample->buffer;
  CollectTwice();
  EXPECT_TRUE(BufferExists(old));  // still playing, nobody else holds it
  EXPECT_FALSE(Discarded(old));

  ASSERT_EQ(audio_->PlayMusic(String(Path("short.wav").c_str()), 1), 0);
  unsigned now = audio_->channels[gxtkAudio::kMusicChannel].sample->buffer;
  EXPECT_NE(now, old);
  CollectTwice();
  EXPECT_TRUE(Discarded(old));
  Flush();
  EXPECT_FALSE(BufferExists(old));
  EXPECT_FALSE(Discarded(old));
  EXPECT_TRUE(BufferExists(now));
  EXPECT_EQ(audio_->MusicState(), kChannelPlaying);
}

// The game starts its one tune again at every game: the decoded buffer is played again from the
// start instead of being decoded anew, and nothing piles up on the discard list.
TEST_F(AudioDevice, PlayingTheSameTuneAgainReusesItsBuffer) {
  const String tune(Path("long.wav").c_str());
  ASSERT_EQ(audio_->PlayMusic(tune, 1), 0);
  unsigned first = audio_->channels[gxtkAudio::kMusicChannel].sample->buffer;
  for (int i = 0; i < 3; ++i) {
    audio_->StopMusic();
    ASSERT_EQ(audio_->PlayMusic(String(Path("long.wav").c_str()), 1), 0);
    CollectTwice();
    EXPECT_EQ(audio_->channels[gxtkAudio::kMusicChannel].sample->buffer, first);
    EXPECT_EQ(audio_->MusicState(), kChannelPlaying);
  }
  EXPECT_TRUE(BufferExists(first));
  EXPECT_FALSE(Discarded(first));
  // After a tune that failed to load, the last good one still plays again without decoding.
  EXPECT_EQ(audio_->PlayMusic(String(Path("missing.wav").c_str()), 1), -1);
  ASSERT_EQ(audio_->PlayMusic(tune, 1), 0);
  EXPECT_EQ(audio_->channels[gxtkAudio::kMusicChannel].sample->buffer, first);
}

TEST_F(AudioDevice, ADiscardedBufferWaitsWhileAStoppedSourceStillHoldsIt) {
  gc_assign(g_kept[0], Load("short.wav"));
  gxtkSample* s = Load("long.wav");
  unsigned buffer = s->buffer;
  ASSERT_EQ(audio_->PlaySample(s, 8, 0), 0);
  audio_->StopChannel(8);  // stopped by the game: the source keeps the buffer
  s = nullptr;
  CollectTwice();
  ASSERT_TRUE(Discarded(buffer));

  Flush();  // deleting fails: the buffer waits
  EXPECT_TRUE(Discarded(buffer));
  EXPECT_TRUE(BufferExists(buffer));

  ASSERT_EQ(audio_->PlaySample(g_kept[0], 8, 0), 0);  // the source takes another buffer
  Flush();
  EXPECT_FALSE(Discarded(buffer));
  EXPECT_FALSE(BufferExists(buffer));
}

TEST_F(AudioDevice, VolumeRateAndPanReachTheSourceAndStayAcrossPlays) {
  const int c = 9;
  audio_->SetVolume(c, 0.25f);
  audio_->SetRate(c, 1.5f);
  gc_assign(g_kept[0], Load("short.wav"));
  ASSERT_EQ(audio_->PlaySample(g_kept[0], c, 0), 0);
  ALfloat gain = 0, pitch = 0;
  alGetSourcef(audio_->channels[c].source, AL_GAIN, &gain);
  alGetSourcef(audio_->channels[c].source, AL_PITCH, &pitch);
  EXPECT_FLOAT_EQ(gain, 0.25f);
  EXPECT_FLOAT_EQ(pitch, 1.5f);

  struct PanCase {
    float pan, x, z;
  } pans[] = {{0.0f, 0.0f, -1.0f},
              {float(-M_PI / 2), -1.0f, 0.0f},
              {float(M_PI / 2), 1.0f, 0.0f},
              {float(M_PI / 4), std::sqrt(0.5f), -std::sqrt(0.5f)}};
  for (const PanCase& p : pans) {
    SCOPED_TRACE(p.pan);
    audio_->SetPan(c, p.pan);
    ALfloat x = 9, y = 9, z = 9;
    alGetSource3f(audio_->channels[c].source, AL_POSITION, &x, &y, &z);
    EXPECT_NEAR(x, p.x, 1e-6);
    EXPECT_NEAR(y, 0.0f, 1e-6);
    EXPECT_NEAR(z, p.z, 1e-6);
  }

  audio_->SetMusicVolume(0.5f);
  alGetSourcef(audio_->channels[gxtkAudio::kMusicChannel].source, AL_GAIN, &gain);
  EXPECT_FLOAT_EQ(gain, 0.5f);
}

TEST_F(AudioDevice, BuffersTakeTheFileFormat) {
  struct FormatCase {
    const char* name;
    Tone tone;
    ALint bits, channels, size;
  } cases[] = {
      {"u8mono.wav", {1.0, 22050, 1, 8}, 8, 1, 22050},
      {"u8stereo.wav", {0.5, 22050, 2, 8}, 8, 2, 22050},
      {"s16mono.wav", {0.5, 44100, 1, 16}, 16, 1, 44100},
      {"s16stereo.wav", {0.25, 11025, 2, 16}, 16, 2, 11024},
  };
  for (const FormatCase& f : cases) {
    SCOPED_TRACE(f.name);
    WriteToneWav(Path(f.name), f.tone);
    gxtkSample* s = Load(f.name);
    ASSERT_NE(s, nullptr);
    ALint bits = 0, channels = 0, size = 0, frequency = 0;
    alGetBufferi(s->buffer, AL_BITS, &bits);
    alGetBufferi(s->buffer, AL_CHANNELS, &channels);
    alGetBufferi(s->buffer, AL_SIZE, &size);
    alGetBufferi(s->buffer, AL_FREQUENCY, &frequency);
    EXPECT_EQ(bits, f.bits);
    EXPECT_EQ(channels, f.channels);
    EXPECT_EQ(size, f.size);
    EXPECT_EQ(frequency, f.tone.hertz);
  }
}

TEST_F(AudioDevice, MissingOrUndecodableFilesLoadNothing) {
  FILE* junk = std::fopen(Path("junk.wav").c_str(), "wb");
  ASSERT_NE(junk, nullptr);
  std::fputs("not a sound", junk);
  std::fclose(junk);
  WriteToneWav(Path("tone.mp3"), {0.1});
  for (const char* name : {"missing.wav", "junk.wav", "tone.mp3"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Load(name), nullptr);
  }
  ASSERT_EQ(audio_->PlayMusic(String(Path("long.wav").c_str()), 1), 0);
  EXPECT_EQ(audio_->PlayMusic(String(Path("missing.wav").c_str()), 1), -1);
  EXPECT_EQ(audio_->MusicState(), kChannelStopped);
}

TEST_F(AudioDevice, ChannelsOutsideTheRangeAreIgnored) {
  gc_assign(g_kept[0], Load("short.wav"));
  for (int c : {-1, gxtkAudio::kChannelCount, 1000}) {
    SCOPED_TRACE(c);
    EXPECT_EQ(audio_->PlaySample(g_kept[0], c, 0), -1);
    EXPECT_EQ(audio_->ChannelState(c), kChannelStopped);
    audio_->StopChannel(c);
    audio_->PauseChannel(c);
    audio_->ResumeChannel(c);
    audio_->SetVolume(c, 1);
    audio_->SetPan(c, 1);
    audio_->SetRate(c, 1);
  }
}

}  // namespace
