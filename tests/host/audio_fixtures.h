// Shared pieces of the audio tests: tone WAV files written to a private folder,
// the one audio device of a test process on the real OpenAL Soft, and waiting.
#pragma once

#include <AL/al.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "host/audio.h"
#include "host/host_game.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_file.h"

namespace audio_test {

using qr_test::Tone;

// Writes the tone as a WAV file at `path`, and gives the path back.
inline std::string WriteToneWav(const std::string& path, const Tone& t) {
  EXPECT_TRUE(qr_test::WriteFile(path, qr_test::ToneWav(t))) << path;
  return path;
}

// The prefix of the private folders that hold a test's files.
constexpr char kTempPrefix[] = "qr-audio";

// Polls `done` every few milliseconds until it holds or `limit` seconds pass.
template <class Pred>
bool WaitFor(Pred done, double limit = 5.0) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(limit);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// What OpenAL itself says about a channel's source, bypassing the channel state.
inline ALint SourceState(gxtkAudio* audio, int channel) {
  ALint state = 0;
  alGetSourcei(audio->channels[channel].source, AL_SOURCE_STATE, &state);
  return state;
}

inline bool BufferExists(unsigned buffer) { return buffer != 0 && alIsBuffer(buffer) == AL_TRUE; }

inline bool Discarded(unsigned buffer) {
  for (unsigned b : gxtkAudio::DiscardedBuffers()) {
    if (b == buffer) return true;
  }
  return false;
}

// Runs the destructors of everything a full collection found dead: each
// allocation first destroys at least its own size of pending garbage.
inline void DestroyGarbage() {
  if (gc_free_bytes > 0) (void)Array<int>(gc_free_bytes / int(sizeof(int)) + 1);
}

// The host object a test process needs for loading (one per process), made
// before the device so that LoadAudioData reads real files.
inline OxGlfwGame* Host() {
  static OxGlfwGame* host = new OxGlfwGame();
  return host;
}

}  // namespace audio_test
