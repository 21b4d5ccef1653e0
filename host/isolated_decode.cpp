// The decoding process: a child forked once (early, while the program is small) that receives an
// open file and a decoder over a socket, decodes, and sends back a header (success, the four
// numbers, the size) and the bytes. A failed decode ends it (a damaged file may have leaked or
// corrupted its heap); a crash, a silence or an oversized answer gets it killed; either way the
// next request starts a fresh one. Its replies are checked against what the caller expects before
// a byte of them is used.
#include "host/isolated_decode.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

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

// A decoding process that sends nothing for this long is taken to hang on its file.
constexpr int kSilenceMs = 10000;
// The first descriptor after the standard streams.
constexpr int kFirstOwnFd = 3;

// What the game asks: which decoder, and where in the passed file it starts.
struct Request {
  OxDecoder decoder;
  int64_t offset;
};

struct Header {
  int32_t ok;
  int32_t info[4];
  uint64_t size;
};

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, void* data, size_t size, int timeoutMs) {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    pollfd ready{fd, POLLIN, 0};
    int r = poll(&ready, 1, timeoutMs);
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

// One request on the socket with room for one passed descriptor, for sending and receiving.
struct RequestMessage {
  explicit RequestMessage(Request* request) : part{request, sizeof *request} {
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
  }
  RequestMessage(const RequestMessage&) = delete;
  RequestMessage& operator=(const RequestMessage&) = delete;

  iovec part;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  msghdr message{};
};

// The request with the file's descriptor alongside it.
bool SendRequest(int sock, Request request, int fd) {
  RequestMessage m(&request);
  cmsghdr* c = CMSG_FIRSTHDR(&m.message);
  c->cmsg_level = SOL_SOCKET;
  c->cmsg_type = SCM_RIGHTS;
  c->cmsg_len = CMSG_LEN(sizeof(int));
  std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
  for (;;) {
    ssize_t n = sendmsg(sock, &m.message, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    return n == static_cast<ssize_t>(sizeof request);
  }
}

// The next request and its file (-1 when the game has gone or sent something else).
int ReceiveRequest(int sock, Request* request) {
  RequestMessage m(request);
  ssize_t n;
  do {
    n = recvmsg(sock, &m.message, MSG_CMSG_CLOEXEC);
  } while (n < 0 && errno == EINTR);
  cmsghdr* c = n == static_cast<ssize_t>(sizeof *request) ? CMSG_FIRSTHDR(&m.message) : nullptr;
  if (!c || c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) return -1;
  int fd = -1;
  std::memcpy(&fd, CMSG_DATA(c), sizeof fd);
  return fd;
}

// A fault in the decoding process ends it and nothing else: the default actions of the fault
// signals, and no death report of a sanitizer or fuzzer on the game's behalf. It also ends with
// the game.
void MakeDisposable() {
  for (int fault : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGPIPE}) signal(fault, SIG_DFL);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
#ifdef QR_SANITIZED
  __sanitizer_set_death_callback(nullptr);
#endif
}

// The decoding process: serves requests until the game closes its end or a decode fails.
[[noreturn]] void Serve(int sock) {
  MakeDisposable();
  for (;;) {
    Request request{};
    int fd = ReceiveRequest(sock, &request);
    if (fd < 0) _exit(0);
    OxDecoded decoded;
    Header header{};
    FILE* f = lseek(fd, static_cast<off_t>(request.offset), SEEK_SET) >= 0 ? fdopen(fd, "rb") : nullptr;
    if (f) {
      header.ok = request.decoder(f, &decoded) ? 1 : 0;
      std::fclose(f);
    } else {
      close(fd);
    }
    for (int i = 0; i < 4; ++i) header.info[i] = decoded.info[i];
    header.size = header.ok ? decoded.size : 0;
    bool sent = WriteAll(sock, &header, sizeof header) && WriteAll(sock, decoded.data, header.size);
    std::free(decoded.data);
    if (!sent || !header.ok) _exit(0);
  }
}

// The game's side: the process and its socket, used by one caller at a time.
std::mutex server_lock;
pid_t server_pid = -1;
int server_sock = -1;

// Ends the decoding process, whatever it is doing, and reaps it.
void StopServer() {
  if (server_pid < 0) return;
  close(server_sock);
  kill(server_pid, SIGKILL);
  int status = 0;
  while (waitpid(server_pid, &status, 0) < 0 && errno == EINTR) {
  }
  server_pid = -1;
  server_sock = -1;
}

bool StartServer() {
  if (server_pid >= 0) return true;
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
  pid_t pid = fork();
  if (pid < 0) {
    close(ends[0]);
    close(ends[1]);
    return false;
  }
  if (pid == 0) {
    // Only its socket and the standard streams stay open: a copy of the game's files, sockets or
    // window-system connection kept alive here would hide their closing from the other side.
    const int sock = ends[1];
    if (sock > kFirstOwnFd) close_range(kFirstOwnFd, static_cast<unsigned>(sock) - 1, 0);
    close_range(static_cast<unsigned>(sock) + 1, ~0U, 0);
    Serve(sock);
  }
  close(ends[1]);
  server_pid = pid;
  server_sock = ends[0];
  return true;
}

// One request to the running decoding process. The header is checked before any byte is read, so
// a reply that claims a size of its own is never allocated or read past.
bool Ask(OxDecoder decoder, FILE* f, long offset, const OxReplyShape& shape, OxDecoded* result) {
  if (!SendRequest(server_sock, Request{decoder, offset}, fileno(f))) return false;
  Header header{};
  if (!ReadAll(server_sock, &header, sizeof header, kSilenceMs)) return false;
  if (header.ok != 1 || !ox_reply_fits(shape, header.info, header.size)) return false;
  unsigned char* data = static_cast<unsigned char*>(std::malloc(header.size > 0 ? header.size : 1));
  if (!data || !ReadAll(server_sock, data, header.size, kSilenceMs)) {
    std::free(data);
    return false;
  }
  result->data = data;
  result->size = header.size;
  for (int i = 0; i < 4; ++i) result->info[i] = header.info[i];
  return true;
}

}  // namespace

bool ox_reply_fits(const OxReplyShape& shape, const int info[4], unsigned long long size) {
  if (shape.sizeFields < 1 || shape.sizeFields > 4) return false;
  for (int i = 0; i < 4; ++i) {
    if (info[i] < shape.low[i] || info[i] > shape.high[i]) return false;
  }
  unsigned long long product = 1;
  for (int i = 0; i < shape.sizeFields; ++i) {
    if (info[i] < 0 ||
        __builtin_mul_overflow(product, static_cast<unsigned long long>(info[i]), &product)) {
      return false;
    }
  }
  return product == size && size <= shape.maxBytes;
}

void ox_decode_server_start() {
  std::lock_guard<std::mutex> hold(server_lock);
  StartServer();
}

bool ox_decode_isolated(OxDecoder decoder, FILE* f, const OxReplyShape& shape, OxDecoded* result) {
  const long offset = std::ftell(f);
  if (offset < 0) return false;
  std::lock_guard<std::mutex> hold(server_lock);
  // One that ended since the last request (killed from outside) is replaced before asking.
  if (server_pid >= 0 && waitpid(server_pid, nullptr, WNOHANG) == server_pid) {
    close(server_sock);
    server_pid = -1;
    server_sock = -1;
  }
  if (!StartServer()) {
    if (std::fseek(f, offset, SEEK_SET) != 0) return false;
    OxDecoded here;
    if (decoder(f, &here) && here.data && ox_reply_fits(shape, here.info, here.size)) {
      *result = here;
      return true;
    }
    std::free(here.data);
    return false;
  }
  if (Ask(decoder, f, offset, shape, result)) return true;
  StopServer();  // failed, crashed, silent or oversized: the next request gets a fresh one
  return false;
}
