// Thin IPv4 sockets over POSIX: handles, name resolution with getaddrinfo, and the one-call
// send / recv forms the worker threads run. Nothing here allocates collected objects.
#include "net/os_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

#include "net/data_buffer.h"

namespace {

// Host names this long or longer are not looked up.
constexpr size_t kMaxHostName = 1024;
// The reserved top-level domain whose names never resolve.
constexpr const char* kInvalidDomain = "invalid";

std::atomic<OxResolver> resolver{nullptr};

bool EqualsNoCase(const std::string& a, size_t from, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() - from != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = a[from + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != b[i]) return false;
  }
  return true;
}

// True for "invalid", "x.invalid" and "x.invalid." in any letter case.
bool InInvalidDomain(std::string host) {
  if (!host.empty() && host.back() == '.') host.pop_back();
  size_t dot = host.rfind('.');
  return EqualsNoCase(host, dot == std::string::npos ? 0 : dot + 1, kInvalidDomain);
}

// The address of a bind or connect: family IPv4, port in network order, the resolved host or
// "any" (0). *resolved tells whether a non-empty host name was found.
sockaddr_in MakeAddress(const std::string& host, int port, bool* resolved) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<std::uint16_t>(port));
  sa.sin_addr.s_addr = 0;
  *resolved = false;
  if (!host.empty() && host.size() < kMaxHostName) {
    std::uint32_t addr = 0;
    OxResolver resolve = resolver.load(std::memory_order_acquire);
    *resolved = (resolve ? resolve : ox_socket_Resolve)(host, &addr);
    sa.sin_addr.s_addr = addr;
  }
  return sa;
}

bool Fits(OxDataBuffer* buffer, int offset, int* count) {
  if (!buffer || !buffer->_data || offset < 0 || offset > buffer->_length || *count < 0) return false;
  if (*count > buffer->_length - offset) *count = buffer->_length - offset;
  return true;
}

void FillAddress(OxSocketAddress* address, const sockaddr_in& sa) {
  address->_addr = sa.sin_addr.s_addr;
  address->_portN = sa.sin_port;
  address->_valid = false;
}

}  // namespace

std::string ox_socket_HostBytes(const String& host) {
  std::string out(static_cast<size_t>(host.Length()), '\0');
  for (int i = 0; i < host.Length(); ++i) out[static_cast<size_t>(i)] = static_cast<char>(host[i]);
  return out;
}

bool ox_socket_Resolve(const std::string& host, std::uint32_t* address) {
  *address = 0;
  if (host.empty() || host.find('\0') != std::string::npos || InInvalidDomain(host)) return false;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
  *address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return true;
}

void ox_socket_SetResolver(OxResolver replacement) {
  resolver.store(replacement, std::memory_order_release);
}

// ---- OxSocketAddress ------------------------------------------------------------------------------

OxSocketAddress::OxSocketAddress() {}

void OxSocketAddress::Set(const String& host, int port) {
  bool resolved = false;
  sockaddr_in sa = MakeAddress(ox_socket_HostBytes(host), port, &resolved);
  FillAddress(this, sa);
}

void OxSocketAddress::Validate() {
  if (_valid) return;
  const unsigned char* b = reinterpret_cast<const unsigned char*>(&_addr);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  _host = String(text);
  _port = ntohs(_portN);
  _valid = true;
}

String OxSocketAddress::Host() {
  Validate();
  return _host;
}

int OxSocketAddress::Port() {
  Validate();
  return _port;
}

// ---- OxSocket -------------------------------------------------------------------------------------

OxSocket::OxSocket() {}

OxSocket::~OxSocket() { Close(); }

bool OxSocket::Open(int protocol) {
  if (_sock >= 0 || protocol < OX_SOCKET_STREAM) return false;
  if (protocol == OX_SOCKET_STREAM || protocol == OX_SOCKET_SERVER) {
    _sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (_sock < 0) return false;
    int nodelay = 1;
    setsockopt(_sock, IPPROTO_TCP, TCP_NODELAY, &nodelay, sizeof nodelay);
  } else if (protocol == OX_SOCKET_DATAGRAM) {
    _sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (_sock < 0) return false;
  } else {
    return false;
  }
  _proto = protocol;
  _shut.store(false, std::memory_order_release);  // a new handle: its connects may run
  return true;
}

void OxSocket::Close() {
  if (_sock >= 0) close(_sock);
  _sock = -1;
}

void OxSocket::Shutdown() {
  std::lock_guard<std::mutex> hold(_connectLock);
  _shut.store(true, std::memory_order_release);
  if (_sock >= 0) shutdown(_sock, SHUT_RDWR);
}

bool OxSocket::Bind(const String& host, int port) {
  bool resolved = false;
  sockaddr_in sa = MakeAddress(ox_socket_HostBytes(host), port, &resolved);
  return bind(_sock, reinterpret_cast<sockaddr*>(&sa), sizeof sa) >= 0;
}

bool OxSocket::Connect(const String& host, int port) { return ConnectHost(ox_socket_HostBytes(host), port); }

bool OxSocket::ConnectHost(const std::string& host, int port) {
  bool resolved = false;
  sockaddr_in sa = MakeAddress(host, port, &resolved);
  // Connecting to "any" reaches this machine on POSIX systems: a name that did not resolve must
  // fail here rather than talk to a local server.
  if (!resolved) return false;
  // The connect starts without waiting, under the lock that Shutdown takes: one closed before it
  // starts never starts (a shut-down socket would still connect), one closed after is aborted by
  // the shutdown while it waits below.
  const int flags = fcntl(_sock, F_GETFL);
  if (flags < 0) return false;
  int r, error;
  {
    std::lock_guard<std::mutex> hold(_connectLock);
    if (_shut.load(std::memory_order_acquire)) return false;
    if (fcntl(_sock, F_SETFL, flags | O_NONBLOCK) < 0) return false;
    r = connect(_sock, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    error = r < 0 ? errno : 0;
  }
  if (r < 0 && (error == EINPROGRESS || error == EINTR)) {
    pollfd done{_sock, POLLOUT, 0};
    int n;
    do {
      n = poll(&done, 1, -1);
    } while (n < 0 && errno == EINTR);
    socklen_t size = sizeof error;
    if (n < 0 || getsockopt(_sock, SOL_SOCKET, SO_ERROR, &error, &size) < 0) error = errno ? errno : EIO;
    r = error == 0 ? 0 : -1;
  }
  fcntl(_sock, F_SETFL, flags);  // sends and receives block on the worker
  return r == 0 && !_shut.load(std::memory_order_acquire);
}

bool OxSocket::Listen(int backlog) { return listen(_sock, backlog) >= 0; }

bool OxSocket::Accept() {
  _accepted = accept4(_sock, nullptr, nullptr, SOCK_CLOEXEC);
  return _accepted >= 0;
}

OxSocket* OxSocket::Accepted() {
  if (_accepted < 0) return nullptr;
  OxSocket* s = new OxSocket;
  s->_sock = _accepted;
  s->_proto = _proto == OX_SOCKET_SERVER ? OX_SOCKET_STREAM : _proto;
  _accepted = -1;  // the new socket owns the handle now
  return s;
}

int OxSocket::Send(OxDataBuffer* buffer, int offset, int count) {
  if (!Fits(buffer, offset, &count)) return -1;
  ssize_t n;
  do {
    n = send(_sock, buffer->_data + offset, static_cast<size_t>(count), MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return static_cast<int>(n);
}

int OxSocket::Receive(OxDataBuffer* buffer, int offset, int count) {
  if (!Fits(buffer, offset, &count)) return -1;
  ssize_t n;
  do {
    n = recv(_sock, buffer->_data + offset, static_cast<size_t>(count), 0);
  } while (n < 0 && errno == EINTR);
  return static_cast<int>(n);
}

int OxSocket::SendTo(OxDataBuffer* buffer, int offset, int count, OxSocketAddress* address) {
  if (!Fits(buffer, offset, &count)) return -1;
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = address->_addr;
  sa.sin_port = address->_portN;
  ssize_t n;
  do {
    n = sendto(_sock, buffer->_data + offset, static_cast<size_t>(count), MSG_NOSIGNAL,
               reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  } while (n < 0 && errno == EINTR);
  return static_cast<int>(n);
}

int OxSocket::ReceiveFrom(OxDataBuffer* buffer, int offset, int count, OxSocketAddress* address) {
  if (!Fits(buffer, offset, &count)) return -1;
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  ssize_t n;
  do {
    n = recvfrom(_sock, buffer->_data + offset, static_cast<size_t>(count), 0,
                 reinterpret_cast<sockaddr*>(&sa), &len);
  } while (n < 0 && errno == EINTR);
  if (n >= 0) FillAddress(address, sa);
  return static_cast<int>(n);
}

bool OxSocket::GetLocalAddress(OxSocketAddress* address) {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (getsockname(_sock, reinterpret_cast<sockaddr*>(&sa), &len) < 0) return false;
  FillAddress(address, sa);
  return true;
}

bool OxSocket::GetRemoteAddress(OxSocketAddress* address) {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (getpeername(_sock, reinterpret_cast<sockaddr*>(&sa), &len) < 0) return false;
  FillAddress(address, sa);
  return true;
}
