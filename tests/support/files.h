// Small file helpers of tests: whole-file reads and writes, existence and sorted listings,
// each failing to a neutral value (an empty text, false) that the test's assertions then show.
#pragma once

#include <string>
#include <vector>

namespace qr_test {

bool Exists(const std::string& path);
// The whole file's bytes; "" when it cannot be read.
std::string ReadFile(const std::string& path);
// Replaces the file with `bytes`; false when it cannot be written whole.
bool WriteFile(const std::string& path, const std::string& bytes);
bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes);
// Names in a directory (dot files included), sorted bytewise.
std::vector<std::string> Listing(const std::string& dir);

}  // namespace qr_test
