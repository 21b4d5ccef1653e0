// Player gamepad mappings: the file beside the state file and the environment variable, split
// into lines and handed to GLFW one at a time so that each rejected line can be named.
#include "host/pad_mappings.h"

#include <GLFW/glfw3.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// The message of the GLFW error raised during the current line, if any.
std::string* lineError = nullptr;

void CaptureError(int, const char* description) {
  if (lineError && lineError->empty()) {
    *lineError = std::string("GLFW: ") + (description ? description : "");
  }
}

std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string MappingFilePath() {
  char dir[4096];
  if (getcwd(dir, sizeof dir)) return std::string(dir) + "/" + kPadMappingFile;
  return std::string("./") + kPadMappingFile;
}

// The whole file; false with the reason when it exists but cannot be read.
bool ReadMappingFile(const std::string& path, std::string* text, std::string* why) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    if (errno == ENOENT) return true;
    *why = std::strerror(errno);
    return false;
  }
  char block[4096];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) {
    text->append(block, got);
    if (static_cast<long>(text->size()) > (kPadMappingFileMaxMB << 20)) {
      *why = "larger than " + std::to_string(kPadMappingFileMaxMB) + " MB";
      return false;
    }
  }
  if (std::ferror(file.get())) {
    *why = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

std::string PadMappingTooLong() {
  return "longer than " + std::to_string(kPadMappingLineMax) + " characters";
}

std::string PadMappingSkipped(const std::string& source, int line, const std::string& why) {
  return source + " line " + std::to_string(line) + ": gamepad mapping skipped (" + why + ")";
}

std::string PadMappingFileUnreadable(const std::string& path, const std::string& why) {
  return path + ": gamepad mappings not read (" + why + ")";
}

int AddPadMappings(const std::string& text, const std::string& source, FILE* err) {
  int taken = 0;
  int number = 0;
  size_t pos = 0;
  GLFWerrorfun previous = glfwSetErrorCallback(CaptureError);
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = Trimmed(text.substr(pos, end - pos));
    pos = end + 1;
    ++number;
    if (line.empty() || line[0] == '#') continue;

    std::string why;
    if (line.size() > kPadMappingLineMax) {
      why = PadMappingTooLong();
    } else if (!std::isxdigit(static_cast<unsigned char>(line[0]))) {
      why = kPadMappingNoGuid;  // GLFW would pass over it as if it were a comment
    } else {
      lineError = &why;
      glfwUpdateGamepadMappings(line.c_str());
      lineError = nullptr;
    }
    if (why.empty()) {
      ++taken;
    } else if (err) {
      std::fprintf(err, "%s\n", PadMappingSkipped(source, number, why).c_str());
    }
  }
  glfwSetErrorCallback(previous);
  if (err) std::fflush(err);
  return taken;
}

void LoadPadMappings(FILE* err) {
  const std::string path = MappingFilePath();
  std::string text, why;
  if (!ReadMappingFile(path, &text, &why)) {
    if (err) std::fprintf(err, "%s\n", PadMappingFileUnreadable(path, why).c_str());
  } else if (!text.empty()) {
    AddPadMappings(text, path, err);
  }
  if (const char* variable = std::getenv(kPadMappingVariable)) {
    AddPadMappings(variable, kPadMappingVariable, err);
  }
}
