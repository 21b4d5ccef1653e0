// Small file helpers of tests, over iostreams and std::filesystem.
#include "tests/support/files.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qr_test {

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  return !out.fail();
}

bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  return WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& e : std::filesystem::directory_iterator(dir, ignored)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace qr_test
