// Tests of the game's sound functions over the real OpenAL Soft (null output):
// loading through data paths, playing, music control, and sounds' lifetimes.
#include "framework/audio.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "host/audio.h"
#include "host/host_game.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_file.h"

namespace {

// A sound the test holds, as a game's global would: a collector root.
c_Sound* g_sound;

void MarkTestRoots() { gc_mark_q(g_sound); }

// A 0.2 s, 8-bit mono WAV at 8000 Hz: a square wave.
void WriteWav(const std::string& path) {
  const int frames = 1600;
  qr_test::Bytes samples;
  for (int i = 0; i < frames; ++i) samples.push_back((i / 10) % 2 ? 200 : 56);
  ASSERT_TRUE(qr_test::WriteFile(path, qr_test::WavFile({1, 1, 8000, 8}, samples))) << path;
}

std::string ProgramDir() {
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::string path(exe, n > 0 ? size_t(n) : 0);
  return path.substr(0, path.rfind('/'));
}

class GameSound : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("ALSOFT_DRIVERS", "null", 1);
    host_ = new OxGlfwGame();
    dir_ = new qr_test::TempDir("qr-sound");
    WriteWav(Wav());
    gc_register_roots(GC_ROOTS_GAME, MarkTestRoots);
    ox_audio_SetAudioDevice(new gxtkAudio());
    gc_mark();
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  void TearDown() override {
    g_sound = nullptr;
    ox_audio_StopMusic();
    for (int c = 0; c < gxtkAudio::kEffectChannels; ++c) ox_audio_StopChannel(c);
  }

  static std::string Wav() { return *dir_ / "blip.wav"; }
  static String Text(const std::string& s) { return String(s.c_str()); }

  static OxGlfwGame* host_;
  static qr_test::TempDir* dir_;
};

OxGlfwGame* GameSound::host_;
qr_test::TempDir* GameSound::dir_;

TEST_F(GameSound, LoadsAndPlaysASound) {
  c_Sound* sound = ox_audio_LoadSound(Text(Wav()));
  ASSERT_NE(sound, nullptr);
  ASSERT_NE(sound->m_sample, nullptr);
  EXPECT_NE(sound->m_sample->buffer, 0u);
  ox_audio_PlaySound(sound, 3, 0);
  EXPECT_EQ(ox_audio_device->ChannelState(3), kChannelPlaying);
  ox_audio_StopChannel(3);
  EXPECT_EQ(ox_audio_device->ChannelState(3), kChannelStopped);
}

TEST_F(GameSound, AGameFileNameIsFoundInTheDataFolderBesideTheProgram) {
  const std::string dataDir = ProgramDir() + "/data";
  const bool madeDir = mkdir(dataDir.c_str(), 0755) == 0;
  const std::string name = "qr-sound-test-" + std::to_string(getpid()) + ".wav";
  WriteWav(dataDir + "/" + name);
  c_Sound* sound = ox_audio_LoadSound(Text(name));
  std::remove((dataDir + "/" + name).c_str());
  if (madeDir) rmdir(dataDir.c_str());
  ASSERT_NE(sound, nullptr);
  EXPECT_NE(sound->m_sample, nullptr);
}

TEST_F(GameSound, MissingSoundsGiveNullAndPlayingNothingIsHarmless) {
  EXPECT_EQ(ox_audio_LoadSound(Text("no-such-sound.wav")), nullptr);
  EXPECT_EQ(ox_audio_LoadSound(Text(*dir_ / "missing.wav")), nullptr);
  EXPECT_EQ(ox_audio_PlaySound(nullptr, 0, 0), 0);
  EXPECT_EQ(ox_audio_PlaySound((new c_Sound)->m_new2(), 0, 0), 0);
  EXPECT_EQ(ox_audio_device->ChannelState(0), kChannelStopped);
}

TEST_F(GameSound, MusicPlaysPausesResumesAndStops) {
  EXPECT_EQ(ox_audio_PlayMusic(Text(Wav()), 1), 0);
  EXPECT_EQ(ox_audio_device->MusicState(), kChannelPlaying);
  ox_audio_PauseMusic();
  EXPECT_EQ(ox_audio_device->MusicState(), kChannelPaused);
  ox_audio_ResumeMusic();
  EXPECT_EQ(ox_audio_device->MusicState(), kChannelPlaying);
  ox_audio_StopMusic();
  EXPECT_EQ(ox_audio_device->MusicState(), kChannelStopped);
  EXPECT_EQ(ox_audio_PlayMusic(Text(*dir_ / "missing.ogg"), 1), -1);
  EXPECT_EQ(ox_audio_device->MusicState(), kChannelStopped);
}

TEST_F(GameSound, AHeldSoundKeepsItsSampleAndADroppedOneLosesIt) {
  gc_assign(g_sound, ox_audio_LoadSound(Text(Wav())));
  c_Sound* dropped = ox_audio_LoadSound(Text(Wav()));
  ASSERT_NE(g_sound, nullptr);
  ASSERT_NE(dropped, nullptr);
  const unsigned held = g_sound->m_sample->buffer;
  const unsigned lost = dropped->m_sample->buffer;
  dropped = nullptr;

  // Two cycles: the second keeps only what is reachable from the roots.
  gc_collect_all();
  gc_collect_all();
  (void)Array<int>(gc_free_bytes / int(sizeof(int)) + 1);  // runs the pending destructors

  bool heldDiscarded = false, lostDiscarded = false;
  for (unsigned b : gxtkAudio::DiscardedBuffers()) {
    heldDiscarded |= b == held;
    lostDiscarded |= b == lost;
  }
  EXPECT_FALSE(heldDiscarded);
  EXPECT_TRUE(lostDiscarded);
  EXPECT_EQ(g_sound->m_sample->buffer, held);
}

}  // namespace
