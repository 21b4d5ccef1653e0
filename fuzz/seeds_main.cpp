// fuzz_seeds DIR: writes the seed inputs of every fuzzing entry to DIR/<target>/seed-<n>, the
// starting corpus of each fuzzer.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fuzz/harness/harness.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::filesystem::path root = std::filesystem::absolute(argv[1]);
  for (const QrFuzzTarget& target : qr_fuzz_targets()) {
    const std::filesystem::path dir = root / target.name;
    std::filesystem::create_directories(dir);
    int n = 0;
    for (const std::string& seed : qr_fuzz_seeds(target.name)) {
      std::ofstream out(dir / ("seed-" + std::to_string(n++)), std::ios::binary);
      out.write(seed.data(), static_cast<std::streamsize>(seed.size()));
      if (!out) {
        std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", dir.c_str());
        return 1;
      }
    }
    std::printf("%s: %d seeds\n", target.name, n);
  }
  return 0;
}
