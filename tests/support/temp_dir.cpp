// Private directories: mkdtemp under the base, removal of the whole tree on destruction.
#include "tests/support/temp_dir.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace qr_test {

namespace {

constexpr char kUniqueEnding[] = "-XXXXXX";

}  // namespace

std::string MakeTempDir(const std::string& prefix, const std::string& base) {
  std::string pattern = base + "/" + prefix + kUniqueEnding;
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

TempDir::TempDir(const std::string& prefix, const std::string& base)
    : path_(MakeTempDir(prefix, base)) {
  if (path_.empty())
    throw std::runtime_error("cannot make a private directory in " + base + ": " + std::strerror(errno));
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

TempWorkDir::TempWorkDir(const std::string& prefix, const std::string& base)
    : TempDir(prefix, base), previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(Path());
}

TempWorkDir::~TempWorkDir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

}  // namespace qr_test
