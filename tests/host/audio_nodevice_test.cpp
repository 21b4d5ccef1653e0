// Tests of the audio device when OpenAL Soft has no usable driver at all: the
// failure is printed, nothing crashes, and sounds still load but stay silent.
#include <gtest/gtest.h>

#include "audio_fixtures.h"

namespace {

using namespace audio_test;

TEST(AudioWithoutDevice, PrintsTheFailureAndTheGameRunsOnSilently) {
  setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
  unsetenv("ALSOFT_CONF");
  Host();
  const qr_test::TempDir dir(kTempPrefix);
  const String tone(WriteToneWav(dir / "tone.wav", {0.2}).c_str());

  testing::internal::CaptureStdout();
  gxtkAudio* audio = new gxtkAudio();
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed, std::string(kAudioOpeningMessage) + "\n" + kAudioOpenDeviceFailed + "\n");
  EXPECT_EQ(audio->alcDevice, nullptr);
  EXPECT_EQ(audio->alcContext, nullptr);

  // Files still decode; the sample just has no buffer to play.
  gxtkSample* sample = audio->LoadSample(tone);
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->buffer, 0u);

  EXPECT_EQ(audio->PlaySample(sample, 0, 0), -1);
  EXPECT_EQ(audio->ChannelState(0), kChannelStopped);
  audio->SetVolume(0, 0.5f);
  audio->SetPan(0, 1.0f);
  audio->SetRate(0, 2.0f);
  audio->PauseChannel(0);
  audio->ResumeChannel(0);
  audio->StopChannel(0);
  audio->Suspend();
  audio->Resume();
  EXPECT_EQ(audio->PlayMusic(tone, 1), 0);
  EXPECT_EQ(audio->MusicState(), kChannelStopped);
  EXPECT_EQ(audio->PlayMusic(String((dir / "missing.ogg").c_str()), 1), -1);
  EXPECT_TRUE(gxtkAudio::DiscardedBuffers().empty());
}

}  // namespace
