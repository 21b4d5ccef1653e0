// Replays of the parsers' fuzzing inputs with the fuzzers' own entries: the generated seeds and
// every input a fuzzer found (kept in fuzz_cases/<target>/ once fixed) must pass every check.
// Beside them, the guards in front of the decoders: the decoded-size bound of images, and that no
// guard refuses a file the game ships.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

#include "fuzz/harness/harness.h"
#include "host/files.h"
#include "host/host_game.h"

// Test listings name the parser rather than dump its entry's bytes.
void PrintTo(const QrFuzzTarget& target, std::ostream* os) { *os << target.name; }

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

const char* Replay(const QrFuzzTarget& target, const std::string& input) {
  return target.run(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

class FuzzReplay : public ::testing::TestWithParam<QrFuzzTarget> {};

TEST_P(FuzzReplay, SeedsPassEveryCheck) {
  const std::vector<std::string> seeds = qr_fuzz_seeds(GetParam().name);
  ASSERT_FALSE(seeds.empty());
  for (size_t i = 0; i < seeds.size(); ++i) {
    const char* fault = Replay(GetParam(), seeds[i]);
    EXPECT_EQ(fault, nullptr) << "seed " << i << ": " << fault;
  }
}

std::string TargetName(const ::testing::TestParamInfo<QrFuzzTarget>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Parsers, FuzzReplay, ::testing::ValuesIn(qr_fuzz_targets()), TargetName);

// fuzz_cases/<target>/ holds what the fuzzers found, each input kept once its fault was fixed.
TEST(KeptFindings, EveryInputPassesEveryCheckOfItsParser) {
  int kept = 0;
  for (const auto& folder : std::filesystem::directory_iterator(QR_FUZZ_CASES_DIR)) {
    const QrFuzzTarget* target = qr_fuzz_find(folder.path().filename().string());
    ASSERT_NE(target, nullptr) << folder.path() << " names no parser";
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
      const char* fault = Replay(*target, ReadFile(entry.path()));
      EXPECT_EQ(fault, nullptr) << entry.path() << ": " << fault;
      ++kept;
    }
  }
  EXPECT_GT(kept, 0) << "the kept findings were not found";
}

// The guards put in front of the decoders refuse nothing the game ships: every sound and picture
// of the generated data folder loads through the host's loaders.
TEST(Guards, EverySoundAndPictureOfTheDataFolderLoads) {
  OxGlfwGame* host = qr_fuzz_host();
  int sounds = 0, pictures = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(QR_DATA_DIR)) {
    const std::string path = entry.path().string();
    const std::string ext = entry.path().extension().string();
    if (ext == ".wav" || ext == ".ogg") {
      int length = 0, channels = 0, format = 0, hertz = 0;
      unsigned char* pcm = host->LoadAudioData(String(path.c_str()), &length, &channels, &format, &hertz);
      EXPECT_NE(pcm, nullptr) << path;
      EXPECT_GT(length, 0) << path;
      std::free(pcm);
      ++sounds;
    } else if (ext == ".png") {
      int w = 0, h = 0, depth = 0;
      unsigned char* pixels = host->LoadImageData(String(path.c_str()), &w, &h, &depth);
      EXPECT_NE(pixels, nullptr) << path;
      std::free(pixels);
      ++pictures;
    }
  }
  EXPECT_GT(sounds, 0);
  EXPECT_GT(pictures, 0);
}

// A run-length TGA of w x h RGBA pixels, all one colour: a few bytes per 128 pixels on disk, so a
// picture beyond the bound costs almost nothing to write and would decode without complaint.
// With `whole` false only the header is written (a claim no file backs).
std::string RleTga(int w, int h, bool whole) {
  constexpr int kRunPixels = 128;       // the longest run one packet holds
  constexpr unsigned char kRunFlag = 0x80;
  constexpr unsigned char kRleTrueColour = 10;
  constexpr unsigned char kBitsPerPixel = 32;
  constexpr unsigned char kTopLeftOrigin = 0x20 | 8;  // 8 alpha bits
  unsigned char header[18] = {};
  header[2] = kRleTrueColour;
  header[12] = w & 0xFF;
  header[13] = w >> 8 & 0xFF;
  header[14] = h & 0xFF;
  header[15] = h >> 8 & 0xFF;
  header[16] = kBitsPerPixel;
  header[17] = kTopLeftOrigin;
  std::string out(reinterpret_cast<char*>(header), sizeof header);
  for (long long left = whole ? static_cast<long long>(w) * h : 0; left > 0; left -= kRunPixels) {
    const int run = static_cast<int>(std::min<long long>(left, kRunPixels));
    out += static_cast<char>(kRunFlag | (run - 1));
    out += std::string("\x10\x20\x30\xFF", 4);
  }
  return out;
}

TEST(ImageBound, PicturesBeyondTheDecodedSizeBoundAreRefusedBeforeDecoding) {
  OxGlfwGame* host = qr_fuzz_host();
  struct Case {
    const char* name;
    int w, h;
    bool whole, loads;
  };
  constexpr int kSide = 4096;  // 4096 x 4096 RGBA is exactly the bound
  static_assert(4LL * kSide * kSide == OX_MAX_IMAGE_BYTES, "the cases sit at the bound");
  const Case cases[] = {
      {"small", 16, 8, true, true},
      {"exactly at the bound", kSide, kSide, true, true},
      {"one row more", kSide, kSide + 1, true, false},
      {"a huge claim with no pixels behind it", 30000, 30000, false, false},
  };
  for (const Case& c : cases) {
    const std::string tga = RleTga(c.w, c.h, c.whole);
    std::string path = qr_fuzz_write("bound.tga", reinterpret_cast<const uint8_t*>(tga.data()), tga.size());
    int w = 0, h = 0, depth = 0;
    unsigned char* pixels = host->LoadImageData(String(path.c_str()), &w, &h, &depth);
    EXPECT_EQ(pixels != nullptr, c.loads) << c.name;
    if (pixels) {
      EXPECT_EQ(w, c.w) << c.name;
      EXPECT_EQ(h, c.h) << c.name;
      EXPECT_EQ(pixels[static_cast<size_t>(w) * h * depth - 1], 0xFF) << c.name;
      std::free(pixels);
    }
  }
}

}  // namespace
