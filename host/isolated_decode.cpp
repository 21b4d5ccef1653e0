// The child that decodes: it runs the decoder, writes a header (success, the four numbers, the
// size) and the bytes into a pipe, and ends without running the parent's exit handlers. The
// parent reads with a deadline and waits for it.
#include "host/isolated_decode.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define QR_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QR_SANITIZED 1
#endif
#endif
#ifdef QR_SANITIZED
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

// A child that sends nothing for this long is taken to hang on its file.
constexpr int kSilenceMs = 10000;
// Exit status of a child whose decoder failed cleanly.
constexpr int kDecodeFailed = 1;

struct Header {
  int32_t ok;
  int32_t info[4];
  uint64_t size;
};

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, void* data, size_t size) {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    pollfd ready{fd, POLLIN, 0};
    int r = poll(&ready, 1, kSilenceMs);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    ssize_t n = read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// A fault in the child ends the child and nothing else: the default actions of the fault signals,
// and no death report of a sanitizer or fuzzer on the parent's behalf.
void MakeDisposable() {
  for (int fault : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGPIPE}) signal(fault, SIG_DFL);
#ifdef QR_SANITIZED
  __sanitizer_set_death_callback(nullptr);
#endif
}

[[noreturn]] void RunChild(const std::function<bool(OxDecoded*)>& decode, int out) {
  MakeDisposable();
  OxDecoded decoded;
  Header header{};
  header.ok = decode(&decoded) ? 1 : 0;
  for (int i = 0; i < 4; ++i) header.info[i] = decoded.info[i];
  header.size = header.ok ? decoded.size : 0;
  bool sent = WriteAll(out, &header, sizeof header) && WriteAll(out, decoded.data, header.size);
  _exit(sent && header.ok ? 0 : kDecodeFailed);
}

}  // namespace

bool ox_decode_isolated(const std::function<bool(OxDecoded*)>& decode, size_t maxBytes, OxDecoded* result) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return decode(result);
  pid_t child = fork();
  if (child < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return decode(result);
  }
  if (child == 0) {
    close(pipeFds[0]);
    RunChild(decode, pipeFds[1]);
  }
  close(pipeFds[1]);

  Header header{};
  bool ok = ReadAll(pipeFds[0], &header, sizeof header) && header.ok == 1 && header.size <= maxBytes;
  unsigned char* data = nullptr;
  if (ok) {
    data = static_cast<unsigned char*>(std::malloc(header.size > 0 ? header.size : 1));
    ok = data && ReadAll(pipeFds[0], data, header.size);
  }
  close(pipeFds[0]);
  if (!ok) kill(child, SIGKILL);  // a child still at work (or stuck) is of no more use
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!ok || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::free(data);
    return false;
  }
  result->data = data;
  result->size = header.size;
  for (int i = 0; i < 4; ++i) result->info[i] = header.info[i];
  return true;
}
