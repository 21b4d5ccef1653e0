// A scripted TCP server on 127.0.0.1 for the network tests and benchmarks.
// One connection is served at a time; every wait is bounded so nothing hangs.
#include "support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace qrtest {

namespace {

// Longest a read of the request may wait for more bytes.
constexpr int kReadWaitMs = 5000;
// Longest WaitRequest waits for a request to arrive.
constexpr auto kRequestWait = std::chrono::seconds(10);

size_t ContentLength(const std::string& head) {
  std::string lower;
  lower.reserve(head.size());
  for (char c : head) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string key = "\r\ncontent-length:";
  size_t at = lower.find(key);
  if (at == std::string::npos) return 0;
  return static_cast<size_t>(std::strtoul(lower.c_str() + at + key.size(), nullptr, 10));
}

}  // namespace

LoopbackServer::LoopbackServer(ServerScript script) : script_(std::move(script)) {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  if (listener_ < 0 || pipe(wake_) != 0) throw std::runtime_error("test server: socket");
  int one = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listener_, 16) != 0)
    throw std::runtime_error("test server: bind");
  socklen_t len = sizeof addr;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    stopping_ = true;
  }
  char b = 1;
  (void)!write(wake_[1], &b, 1);
  thread_.join();
  close(listener_);
  close(wake_[0]);
  close(wake_[1]);
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

bool LoopbackServer::WaitRequest(size_t index, std::string* bytes) {
  std::unique_lock<std::mutex> lock(mu_);
  if (!cv_.wait_for(lock, kRequestWait, [&] { return requests_.size() > index; })) return false;
  *bytes = requests_[index];
  return true;
}

size_t LoopbackServer::RequestCount() {
  std::lock_guard<std::mutex> lock(mu_);
  return requests_.size();
}

int LoopbackServer::Connections() {
  std::lock_guard<std::mutex> lock(mu_);
  return connections_;
}

bool LoopbackServer::Sleep(int ms) {
  pollfd p{wake_[0], POLLIN, 0};
  return poll(&p, 1, ms) == 0;
}

void LoopbackServer::Serve() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) return;
    if (fds[1].revents) return;
    int fd = accept(listener_, nullptr, nullptr);
    if (fd < 0) continue;
    {
      std::lock_guard<std::mutex> lock(mu_);
      ++connections_;
    }
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    Answer(fd);
  }
}

void LoopbackServer::Answer(int fd) {
  std::string request;
  if (script_.readRequest) {
    size_t need = std::string::npos;  // total bytes once the header block is known
    char buf[16384];
    while (need == std::string::npos || request.size() < need) {
      pollfd p[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
      if (poll(p, 2, kReadWaitMs) <= 0 || p[1].revents) break;
      ssize_t n = recv(fd, buf, sizeof buf, 0);
      if (n <= 0) break;
      request.append(buf, static_cast<size_t>(n));
      size_t end = request.find("\r\n\r\n");
      if (need == std::string::npos && end != std::string::npos)
        need = end + 4 + ContentLength(request.substr(0, end + 2));
    }
  }
  {
    std::lock_guard<std::mutex> lock(mu_);
    requests_.push_back(request);
  }
  cv_.notify_all();

  bool live = true;
  for (size_t i = 0; i < script_.chunks.size() && live; ++i) {
    if (i > 0 && script_.pauseMs > 0) live = Sleep(script_.pauseMs);
    const std::string& c = script_.chunks[i];
    size_t sent = 0;
    while (live && sent < c.size()) {
      ssize_t n = send(fd, c.data() + sent, c.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) live = false;
      else sent += static_cast<size_t>(n);
    }
  }
  switch (script_.end) {
    case ServerScript::End::Close:
      break;
    case ServerScript::End::Reset: {
      if (script_.pauseMs > 0) Sleep(script_.pauseMs);
      linger hard{1, 0};
      setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
      break;
    }
    case ServerScript::End::Hold:
      Sleep(-1);
      break;
  }
  close(fd);
}

std::string HttpReply(const std::string& statusLine, const std::string& body,
                      const std::vector<std::string>& headers) {
  std::string r = statusLine + "\r\n";
  for (const auto& h : headers) r += h + "\r\n";
  return r + "\r\n" + body;
}

}  // namespace qrtest
