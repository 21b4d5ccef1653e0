// Private directories of tests, benchmarks and fuzzers: made fresh under a base folder, removed
// with everything in them when the owner goes, and optionally the working directory meanwhile.
#pragma once

#include <string>

namespace qr_test {

// Where private directories go unless the caller names a base.
constexpr char kTempBase[] = "/tmp";
// Memory-backed when the machine has it: for work that saves often and must not wait for a disk.
constexpr char kMemoryBase[] = "/dev/shm";

// Makes "<base>/<prefix>-XXXXXX" with a unique ending; its path, or "" when it cannot be made.
std::string MakeTempDir(const std::string& prefix, const std::string& base = kTempBase);

// A fresh directory for as long as the object lives. Failing to make one throws
// std::runtime_error (a test reports it as a failure of its set-up).
class TempDir {
 public:
  explicit TempDir(const std::string& prefix, const std::string& base = kTempBase);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // The path of `name` inside the directory.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A fresh directory that is the working directory while it lives; the previous working
// directory comes back before the directory is removed.
class TempWorkDir : public TempDir {
 public:
  explicit TempWorkDir(const std::string& prefix, const std::string& base = kTempBase);
  ~TempWorkDir();

 private:
  std::string previous_;
};

}  // namespace qr_test
