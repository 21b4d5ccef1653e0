// File access of the host: data-path resolution, opening and reading whole files, decoding images
// and sounds, and the saved-state file, which is replaced atomically on every save.
#include "host/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stb/stb_image.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/audio_decode.h"
#include "host/host_game.h"
#include "host/isolated_decode.h"

namespace {

// Sound readers are chosen by the file's extension, whatever its case.
constexpr char kWavExtension[] = ".wav";
constexpr char kOggExtension[] = ".ogg";
// Where the running program's file is named.
constexpr char kSelfExe[] = "/proc/self/exe";
// Permissions of a new state file before the umask (those fopen gives).
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kPermissionBits = 07777;
// UTF-16 surrogate ranges and the first code point they encode.
constexpr int kHighSurrogateFirst = 0xD800;
constexpr int kHighSurrogateLast = 0xDBFF;
constexpr int kLowSurrogateFirst = 0xDC00;
constexpr int kLowSurrogateLast = 0xDFFF;
constexpr int kSupplementaryBase = 0x10000;
constexpr int kSurrogateShift = 10;

void append_utf8(std::string& out, int c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < kSupplementaryBase) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Writes all of bytes to fd; false on any error.
bool write_all(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// Makes a finished rename durable; a failure here leaves the new state in place, so it is not one.
void sync_working_directory() {
  int dir = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

}  // namespace

std::string ox_native_path(const String& path) {
  std::string out;
  int n = path.Length();
  for (int i = 0; i < n; ++i) {
    int c = path[i];
    if (c >= kHighSurrogateFirst && c <= kHighSurrogateLast && i + 1 < n &&
        path[i + 1] >= kLowSurrogateFirst && path[i + 1] <= kLowSurrogateLast) {
      int low = path[++i];
      c = kSupplementaryBase + ((c - kHighSurrogateFirst) << kSurrogateShift) +
          (low - kLowSurrogateFirst);
    }
    append_utf8(out, c);
  }
  return out;
}

String ox_data_FixDataPath(String path) {
  int i = path.Find(String(":/"));
  if (i != -1 && path.Find(String("/")) == i + 1) return path;
  if (path.StartsWith(String("./")) || path.StartsWith(String("/"))) return path;
  return String(OX_DATA_PREFIX) + path;
}

// ---- Opening and reading -------------------------------------------------------------------------

FILE* OxGame::OpenFile(String path, String mode) {
  String p = PathToFilePath(path);
  if (p.Length() == 0) return nullptr;
  return std::fopen(ox_native_path(p).c_str(), ox_native_path(mode).c_str());
}

String OxGame::LoadString(String path) {
  FILE* f = OpenFile(path, String("rb"));
  if (!f) return String();
  String text = String::Load(f);
  std::fclose(f);
  return text;
}

unsigned char* OxGame::LoadData(String path, int* length) {
  FILE* f = OpenFile(path, String("rb"));
  if (!f) return nullptr;
  std::vector<unsigned char> bytes;
  unsigned char block[OX_FILE_BLOCK];
  for (;;) {
    size_t n = std::fread(block, 1, OX_FILE_BLOCK, f);
    bytes.insert(bytes.end(), block, block + n);
    if (n < static_cast<size_t>(OX_FILE_BLOCK)) break;
  }
  std::fclose(f);
  // The length is an int; a file beyond that cannot be handed out whole.
  if (bytes.size() > static_cast<size_t>(INT_MAX)) return nullptr;
  int total = static_cast<int>(bytes.size());
  // An empty file still gives a buffer, so that null keeps meaning "not loaded".
  unsigned char* data = static_cast<unsigned char*>(std::malloc(total > 0 ? total : 1));
  if (!data) return nullptr;
  if (total > 0) std::memcpy(data, bytes.data(), total);
  *length = total;
  gc_ext_malloced(total);
  return data;
}

// ---- Saved state ---------------------------------------------------------------------------------

namespace {

// The process id in a name of the form ".tarnstate.<pid>.tmp" (digits only, no sign, no leading
// zero), or 0 when the name is not of that form.
long LeftoverSavePid(const char* name) {
  static const std::string kPrefix = std::string(OX_STATE_FILE_NAME) + ".";
  static const std::string kSuffix = OX_STATE_TEMP_SUFFIX;
  const std::string text(name);
  if (text.size() <= kPrefix.size() + kSuffix.size() || text.compare(0, kPrefix.size(), kPrefix) != 0 ||
      text.compare(text.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
    return 0;
  }
  const std::string digits = text.substr(kPrefix.size(), text.size() - kPrefix.size() - kSuffix.size());
  if (digits.size() > 9 || digits[0] == '0') return 0;  // a pid is at most 2^22 on Linux
  long pid = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    pid = pid * 10 + (c - '0');
  }
  return pid;
}

// A process that exists, whether or not it is ours to signal.
bool ProcessExists(long pid) { return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

}  // namespace

void ox_state_RemoveLeftoverSaves() {
  DIR* dir = opendir(".");
  if (!dir) return;
  while (dirent* entry = readdir(dir)) {
    const long pid = LeftoverSavePid(entry->d_name);
    if (pid <= 0 || pid == static_cast<long>(getpid()) || ProcessExists(pid)) continue;
    struct stat st;
    if (lstat(entry->d_name, &st) == 0 && S_ISREG(st.st_mode)) unlink(entry->d_name);
  }
  closedir(dir);
}

// The new text goes to a private file beside ".tarnstate", is flushed to disk, and is then renamed
// over it: a crash, a kill or a full disk at any point leaves either the old state or the new one,
// never a missing, empty or partial file.
int OxGame::SaveState(String state) {
  std::string bytes = state.ToUtf8();

  char temp[sizeof(OX_STATE_PATH) + sizeof(OX_STATE_TEMP_SUFFIX) + 3 * sizeof(long) + 1];
  std::snprintf(temp, sizeof temp, "%s.%ld%s", OX_STATE_PATH, static_cast<long>(getpid()),
                OX_STATE_TEMP_SUFFIX);
  int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
  if (fd < 0 && errno == EEXIST) {  // left by a killed process that had our process id
    unlink(temp);
    fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
  }
  if (fd < 0) return OX_SAVE_CANNOT_CREATE;

  // The replacement keeps the permissions the player gave the old file.
  struct stat old;
  if (stat(OX_STATE_PATH, &old) == 0) fchmod(fd, old.st_mode & kPermissionBits);

  bool written = write_all(fd, bytes) && fsync(fd) == 0;
  if (close(fd) != 0) written = false;
  if (!written) {
    unlink(temp);
    return OX_SAVE_SHORT_WRITE;
  }
  if (std::rename(temp, OX_STATE_PATH) != 0) {
    unlink(temp);
    return OX_SAVE_CANNOT_CREATE;
  }
  sync_working_directory();
  return OX_SAVE_OK;
}

String OxGame::LoadState() {
  FILE* f = OpenFile(String(OX_STATE_PATH), String("rb"));
  if (!f) return String();
  String text = String::Load(f);
  std::fclose(f);
  return text;
}

int OxGlfwGame::SaveState(String state) { return OxGame::SaveState(state); }
String OxGlfwGame::LoadState() { return OxGame::LoadState(); }

// ---- Data paths ----------------------------------------------------------------------------------

String OxGlfwGame::ProgramDir() {
  std::vector<char> buffer(PATH_MAX);
  ssize_t n;
  for (;;) {
    n = readlink(kSelfExe, buffer.data(), buffer.size());
    if (n < 0) return String();
    if (static_cast<size_t>(n) < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  String file = String::Load(reinterpret_cast<const unsigned char*>(buffer.data()), static_cast<int>(n));
  file = file.Replace(String("\\"), String("/"));
  int slash = -1;
  for (int i = 0; i < file.Length(); ++i) {
    if (file[i] == u'/') slash = i;
  }
  return slash < 0 ? String() : file.Slice(0, slash);
}

String ox_data_FilePath(const String& programDir, String path) {
  if (!path.StartsWith(String(OX_SCHEME))) return path;

  String data(OX_DATA_PREFIX), internal(OX_INTERNAL_PREFIX), external(OX_EXTERNAL_PREFIX);
  if (path.StartsWith(data)) return programDir + String(OX_DATA_DIR) + path.Slice(data.Length());
  if (path.StartsWith(internal)) {
    return programDir + String(OX_INTERNAL_DIR) + String("/") + path.Slice(internal.Length());
  }
  if (path.StartsWith(external)) {
    return programDir + String(OX_EXTERNAL_DIR) + path.Slice(external.Length());
  }
  return String();  // no file operation can open it
}

String OxGlfwGame::PathToFilePath(String path) {
  if (_baseDir.Length() == 0) _baseDir = ProgramDir();
  return ox_data_FilePath(_baseDir, path);
}

// ---- Decoding ------------------------------------------------------------------------------------

namespace {

// Runs in the decoding process. The header alone says how large the pixels would be; stb_image
// leaves the file where it was.
bool DecodePicture(FILE* f, OxDecoded* out) {
  int w = 0, h = 0, comp = 0;
  if (!stbi_info_from_file(f, &w, &h, &comp) ||
      static_cast<long long>(w) * h * comp > OX_MAX_IMAGE_BYTES) {
    return false;
  }
  out->data = stbi_load_from_file(f, &w, &h, &comp, 0);
  out->size = static_cast<size_t>(w) * static_cast<size_t>(h) * static_cast<size_t>(comp);
  out->info[0] = w;
  out->info[1] = h;
  out->info[2] = comp;
  return out->data != nullptr;
}

}  // namespace

unsigned char* ox_file_LoadImageData(OxGame* host, String path, int* width, int* height,
                                     int* depth) {
  FILE* f = host->OpenFile(path, String("rb"));
  if (!f) return nullptr;
  // The decoder runs in the decoding process, so that a damaged picture that crashes it costs
  // only that picture (see host/isolated_decode.h).
  OxDecoded image;
  const bool decoded = ox_decode_isolated(DecodePicture, f, OX_PICTURE_REPLY, &image);
  std::fclose(f);
  if (!decoded) return nullptr;
  *width = image.info[0];
  *height = image.info[1];
  *depth = image.info[2];
  gc_ext_malloced(*width * *height * *depth);
  return image.data;
}

unsigned char* ox_file_LoadAudioData(OxGame* host, String path, int* length, int* channels,
                                     int* format, int* hertz) {
  FILE* f = host->OpenFile(path, String("rb"));
  if (!f) return nullptr;
  String lower = path.ToLower();
  unsigned char* pcm = nullptr;
  if (lower.EndsWith(String(kWavExtension))) {
    pcm = LoadWAV(f, length, channels, format, hertz);
  } else if (lower.EndsWith(String(kOggExtension))) {
    pcm = LoadOGG(f, length, channels, format, hertz);
  }
  std::fclose(f);
  if (pcm) gc_ext_malloced(*length * *channels * *format);
  return pcm;
}

unsigned char* OxGlfwGame::LoadImageData(String path, int* width, int* height, int* depth) {
  return ox_file_LoadImageData(this, path, width, height, depth);
}

unsigned char* OxGlfwGame::LoadAudioData(String path, int* length, int* channels, int* format,
                                         int* hertz) {
  return ox_file_LoadAudioData(this, path, length, channels, format, hertz);
}
