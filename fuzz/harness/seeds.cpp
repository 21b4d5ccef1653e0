// Seed inputs of every fuzzing entry, made here rather than shipped: small valid files of each kind
// (a WAV, an Ogg Vorbis stream, PNG/BMP/TGA images, states the game saved) and their near misses.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <functional>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "fuzz/harness/harness.h"
#include "game/my_app.h"
#include "game/shell.h"
#include "host/files.h"
#include "tests/support/vorbis_file.h"
#include "tests/support/wav_file.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kToneHertz = 440;
// Seed sounds are short: a few hundred sample frames.
constexpr int kSeedFrames = 400;
constexpr int kSeedRate = 8000;
// The plain "fmt " chunk, and the extension size field a longer one carries.
constexpr uint32_t kPlainFmtSize = 16, kFmtExtraSize = 2;
constexpr float kVorbisQuality = 0.1f;
constexpr int kVorbisBlock = 256;
// A seed image's side in pixels.
constexpr int kSeedSide = 4;
// A PNG header that claims a picture far beyond the decoded-size bound.
constexpr uint32_t kHugeSide = 20000;
// A header line longer than the receive buffer.
constexpr int kOverlongLine = 17000;

void be32(std::string& s, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>(v >> shift & 0xFF);
}

struct WavShape {
  uint32_t code, channels, bits, fmtExtra;
  bool listChunk;
  uint32_t dataBytes;
};

std::string wav(const WavShape& w) {
  const qr_test::WavFormat fmt{w.code, w.channels, kSeedRate, w.bits, kPlainFmtSize + (w.fmtExtra ? kFmtExtraSize : 0)};
  qr_test::Bytes data;
  for (uint32_t i = 0; i < w.dataBytes; ++i) data.push_back(static_cast<unsigned char>(i * 7));
  const qr_test::Bytes list = w.listChunk ? qr_test::Riff().Tag("LIST").U32(4).Tag("INFO").b : qr_test::Bytes();
  const qr_test::Bytes file = qr_test::WavFile(fmt, data, list);
  return std::string(file.begin(), file.end());
}

std::vector<std::string> wav_seeds() {
  std::string truncated = wav({1, 1, 16, 0, false, 64});
  truncated.resize(truncated.size() - 20);
  return {wav({1, 1, 8, 0, false, 64}), wav({1, 2, 16, 2, true, 64}), wav({3, 1, 32, 0, false, 16}),
          wav({1, 0, 16, 0, false, 16}), truncated};
}

std::string vorbis(int channels) {
  qr_test::VorbisStream stream;
  stream.channels = channels;
  stream.hertz = kSeedRate;
  stream.frames = kSeedFrames;
  stream.quality = kVorbisQuality;
  stream.chunkFrames = kVorbisBlock;
  stream.sample = [](int frame, int) { return static_cast<float>(0.5 * std::sin(kTwoPi * kToneHertz * frame / kSeedRate)); };
  const qr_test::Bytes out = qr_test::EncodeVorbis(stream);
  return std::string(out.begin(), out.end());
}

std::vector<std::string> ogg_seeds() {
  std::string mono = vorbis(1), stereo = vorbis(2);
  return {mono, stereo, mono.substr(0, mono.size() / 2), "OggS"};
}

void append_bytes(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

std::string picture(int components, const std::function<int(stbi_write_func*, void*, const void*)>& write) {
  std::vector<unsigned char> pixels(kSeedSide * kSeedSide * components);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 37);
  std::string out;
  write(append_bytes, &out, pixels.data());
  return out;
}

std::vector<std::string> image_seeds() {
  std::vector<std::string> seeds;
  for (int components = 1; components <= 4; ++components) {
    seeds.push_back(picture(components, [components](stbi_write_func* f, void* c, const void* p) {
      return stbi_write_png_to_func(f, c, kSeedSide, kSeedSide, components, p, kSeedSide * components);
    }));
  }
  seeds.push_back(picture(3, [](stbi_write_func* f, void* c, const void* p) {
    return stbi_write_bmp_to_func(f, c, kSeedSide, kSeedSide, 3, p);
  }));
  seeds.push_back(picture(4, [](stbi_write_func* f, void* c, const void* p) {
    return stbi_write_tga_to_func(f, c, kSeedSide, kSeedSide, 4, p);
  }));
  // A PNG signature and header chunk of a huge RGBA picture, with no pixels after it.
  std::string huge("\x89PNG\r\n\x1a\n", 8);
  be32(huge, 13);
  huge += "IHDR";
  be32(huge, kHugeSide);
  be32(huge, kHugeSide);
  huge += std::string("\x08\x06\x00\x00\x00", 5);
  be32(huge, 0);  // the CRC is not checked
  seeds.push_back(huge);
  return seeds;
}

std::vector<std::string> string_load_seeds() {
  return {"", "A", "\xEF\xBB\xBF" "A", std::string("\xFF\xFE" "A\0B\0", 6), std::string("\xFE\xFF\0A\0", 5),
          "A\xE9" "B", "\xE2\x82\xAC|1|-2|", "\xF0\x9F\x98\x80", "\xC3"};
}

// States the game itself saved, and the same states cut short or with a checksum off by one.
std::vector<std::string> state_seeds() {
  c_MyApp* app = qr_fuzz_game();
  std::vector<std::string> seeds;
  for (int variant = 0; variant < 2; ++variant) {
    for (int i = 0; i < app->m_options.Length(); ++i) app->m_options[i] = variant * (i * 13 - 40);
    for (int i = 0; i < app->m_badges.Length(); ++i) app->m_badges[i] = variant && i % 5 == 0;
    for (int i = 0; i < app->m_hiscores.Length(); ++i) app->m_hiscores[i] = variant * (1000 - i * 7);
    app->p_Save();
    seeds.push_back(ox_app_LoadState().ToUtf8());
  }
  const std::string full = seeds.back();
  seeds.push_back(full.substr(0, full.size() / 3));
  std::string off = full;
  off[off.find('|') - 1] ^= 1;
  seeds.push_back(off);
  seeds.push_back("");
  return seeds;
}

std::vector<std::string> url_seeds() {
  std::vector<std::string> urls = {"http://user:pw@host:8080/a/b?x=1#top", "host", "/p#f?x", "h/a:b",
                                   "http://checkin.example/housecall.php?hello=1&gameID=415", "h:/x", "@:", "://"};
  for (std::string& u : urls) u.insert(u.begin(), '\0');  // one character per byte
  return urls;
}

std::vector<std::string> http_response_seeds() {
  const std::string split("\x01\x02", 2);
  return {split + "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello",
          split + "http/1.1 404 Not Found\r\nServer: x\r\nX-A: b\r\n\r\nmissing\xE2\x82\xAC",
          split + "ICY 200 OK\r\n\r\nbody", split + "HTTP/1.0 200\r\n\r\nbody", split + "\r\nbody",
          split + "HTTP/1.0 200 OK\r\nX-Long: " + std::string(kOverlongLine, 'x') + "\r\n\r\n",
          split + std::string("\0\xFF\n\n\x80", 5)};
}

std::vector<std::string> peek_string_seeds() {
  return {std::string("\0\x03" "A\xC3\xA9", 5), std::string("\0\x03" "A\xE9" "B", 5),
          std::string("\x01\xFF" "x\xE2\x82\xAC", 6), std::string("\0\x10\x80\xF0\x9F\x98\x80", 7)};
}

}  // namespace

std::vector<std::string> qr_fuzz_seeds(const std::string& name) {
  static const std::map<std::string, std::function<std::vector<std::string>()>> makers = {
      {"wav", wav_seeds},
      {"ogg", ogg_seeds},
      {"image", image_seeds},
      {"string_load", string_load_seeds},
      {"state", state_seeds},
      {"url", url_seeds},
      {"http_response", http_response_seeds},
      {"peek_string", peek_string_seeds},
  };
  auto it = makers.find(name);
  return it == makers.end() ? std::vector<std::string>{} : it->second();
}
