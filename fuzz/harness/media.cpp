// Fuzzing entries of the data files: sounds (WAV and Ogg Vorbis) and images, each written to a file
// and read back through the host's loaders, as the game's loader reads its data folder.
#include <cstdlib>

#include "fuzz/harness/harness.h"
#include "host/files.h"
#include "host/host_game.h"

namespace {

// Components per pixel an image can decode to (grey, grey + alpha, RGB, RGBA).
constexpr int kMaxImageComponents = 4;
// Sample formats the sound readers hand out: bytes per sample of 8-bit and 16-bit PCM.
constexpr int kOggFormat = 2;

// Reads every byte of a decoded buffer, so that a buffer shorter than its stated size is a
// sanitizer report here rather than a bad read later in the audio or texture upload.
unsigned touch(const unsigned char* p, long long n) {
  unsigned sum = 0;
  for (long long i = 0; i < n; ++i) sum += p[i];
  return sum;
}

volatile unsigned sink;

const char* sound(const char* file, const uint8_t* data, size_t size, bool ogg) {
  OxGlfwGame* host = qr_fuzz_host();
  std::string path = qr_fuzz_write(file, data, size);
  int length = -1, channels = -1, format = -1, hertz = -1;
  unsigned char* pcm = host->LoadAudioData(String(path.c_str()), &length, &channels, &format, &hertz);
  const char* fault = nullptr;
  if (pcm) {
    const long long bytes = static_cast<long long>(length) * channels * format;
    if (length < 0 || channels < 1 || format < 1) {
      fault = "a loaded sound has no valid length, channel count or sample size";
    } else if (ogg && format != kOggFormat) {
      fault = "Ogg Vorbis decoded to other than 16-bit samples";
    } else if (!ogg && bytes > static_cast<long long>(size)) {
      fault = "a WAV file decoded to more sample bytes than the file holds";
    } else {
      sink = touch(pcm, bytes);
    }
    std::free(pcm);
  }
  qr_fuzz_collect();
  return fault;
}

}  // namespace

const char* qr_fuzz_wav(const uint8_t* data, size_t size) { return sound("in.wav", data, size, false); }

const char* qr_fuzz_ogg(const uint8_t* data, size_t size) { return sound("in.ogg", data, size, true); }

const char* qr_fuzz_image(const uint8_t* data, size_t size) {
  OxGlfwGame* host = qr_fuzz_host();
  std::string path = qr_fuzz_write("in.png", data, size);
  int w = -1, h = -1, depth = -1;
  unsigned char* pixels = host->LoadImageData(String(path.c_str()), &w, &h, &depth);
  const char* fault = nullptr;
  if (pixels) {
    const long long bytes = static_cast<long long>(w) * h * depth;
    if (w < 1 || h < 1 || depth < 1 || depth > kMaxImageComponents) {
      fault = "a loaded image has no valid size or component count";
    } else if (bytes > OX_MAX_IMAGE_BYTES) {
      fault = "an image beyond the decoded-size bound was decoded";
    } else {
      sink = touch(pixels, bytes);
    }
    std::free(pixels);
  }
  qr_fuzz_collect();
  return fault;
}
