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
#include "tests/support/temp_dir.h"

namespace audio_test {

// A tone `seconds` long at `frequency` Hz, as 8-bit unsigned or 16-bit signed PCM.
struct Tone {
  double seconds;
  int hertz = 22050;
  int channels = 1;
  int bits = 16;
  double frequency = 441.0;
  double amplitude = 0.5;
};

inline void PutLE(std::vector<unsigned char>& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

inline std::string WriteToneWav(const std::string& path, const Tone& t) {
  const int frames = int(t.seconds * t.hertz);
  const int sampleBytes = t.bits / 8;
  const int bytes = frames * t.channels * sampleBytes;
  std::vector<unsigned char> b;
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  PutLE(b, 36 + bytes, 4);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLE(b, 16, 4);
  PutLE(b, 1, 2);
  PutLE(b, t.channels, 2);
  PutLE(b, t.hertz, 4);
  PutLE(b, t.hertz * t.channels * sampleBytes, 4);
  PutLE(b, t.channels * sampleBytes, 2);
  PutLE(b, t.bits, 2);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  PutLE(b, bytes, 4);
  for (int i = 0; i < frames; ++i) {
    double v = t.amplitude * std::sin(2 * M_PI * t.frequency * i / t.hertz);
    for (int c = 0; c < t.channels; ++c) {
      if (sampleBytes == 1) {
        b.push_back(static_cast<unsigned char>(128 + int(v * 127)));
      } else {
        PutLE(b, uint16_t(int16_t(v * 32767)), 2);
      }
    }
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr) << path;
  if (f) {
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
  }
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
