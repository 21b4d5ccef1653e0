// The hostile server's loop: accept, misbehave as told, close; every send is bounded by the byte and
// time limits, and the destructor stops the loop even while it stalls.
#include "support/hostile_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

namespace reltest {

namespace {

// How often a waiting server looks whether it should stop.
constexpr int kPollMs = 20;
// Bytes the server reads of a request before it answers (the check-in's request is far smaller).
constexpr size_t kRequestBytes = 4096;
// Bytes of one send of the huge body and of the endless header lines.
constexpr size_t kSendBlock = 64 * 1024;
constexpr size_t kJunkBytes = 64 * 1024;

}  // namespace

HostileServer::HostileServer(Hostility how) : how_(how) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  listen(listener_, 4);
  socklen_t len = sizeof addr;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

HostileServer::~HostileServer() {
  stopping_ = true;
  thread_.join();
  close(listener_);
}

std::string HostileServer::Url() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/housecall.php?hello=1&gameID=415";
}

bool HostileServer::Pause(int ms) {
  for (int waited = 0; waited < ms; waited += kPollMs) {
    if (stopping_) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kPollMs, ms - waited)));
  }
  return !stopping_;
}

bool HostileServer::Send(int fd, const char* data, size_t size) {
  while (size > 0) {
    if (stopping_ || sent_ >= kMostBytesSent) return false;
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, kPollMs) <= 0) continue;
    ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;  // the client closed or reset
    sent_ += n;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void HostileServer::Serve() {
  while (!stopping_) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, kPollMs) <= 0) continue;
    int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    Misbehave(fd);
    close(fd);
  }
}

void HostileServer::Misbehave(int fd) {
  // The request first (up to its empty line, or whatever arrives in a moment).
  std::string request;
  char block[kRequestBytes];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < kRequestBytes) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, kPollMs * 10) <= 0 || stopping_) break;
    ssize_t n = recv(fd, block, sizeof block, 0);
    if (n <= 0) break;
    request.append(block, static_cast<size_t>(n));
  }
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(kMostSeconds);
  auto inTime = [&until] { return std::chrono::steady_clock::now() < until; };

  switch (how_) {
    case Hostility::SlowBytes: {
      const std::string reply = kSlowReply;
      const size_t statusEnd = reply.find("\r\n") + 2;
      for (size_t i = 0; i < reply.size(); ++i) {
        if (!Send(fd, &reply[i], 1) || !Pause(i + 1 == statusEnd ? kSlowStallMs : kSlowByteGapMs)) return;
      }
      break;
    }
    case Hostility::EarlyClose:
      break;
    case Hostility::EndlessHeaders: {
      const std::string status = "HTTP/1.0 200 OK\r\n";
      if (!Send(fd, status.data(), status.size())) return;
      std::string lines;
      for (int i = 0; lines.size() < kSendBlock; ++i) lines += "X-Filler-" + std::to_string(i) + ": more to come\r\n";
      while (inTime() && Send(fd, lines.data(), lines.size())) {
      }
      break;
    }
    case Hostility::HugeBody: {
      const std::string head = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(kHugeBodyBytes) + "\r\n\r\n";
      if (!Send(fd, head.data(), head.size())) return;
      const std::string body(kSendBlock, 'z');
      for (long long left = kHugeBodyBytes; left > 0 && inTime(); left -= static_cast<long long>(kSendBlock)) {
        if (!Send(fd, body.data(), static_cast<size_t>(std::min<long long>(left, kSendBlock)))) return;
      }
      break;
    }
    case Hostility::BinaryJunk: {
      std::string junk(kJunkBytes, '\0');
      unsigned state = 0x2545F491u;
      for (size_t i = 1; i < junk.size(); ++i) {  // the first byte stays 0: no status line can start here
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        junk[i] = static_cast<char>(state);
      }
      Send(fd, junk.data(), junk.size());
      break;
    }
    case Hostility::Reset: {
      const std::string half = "HTTP/1.0 200 OK\r\nX-Half: ";
      Send(fd, half.data(), half.size());
      Pause(kPollMs * 5);
      linger abort{1, 0};  // closing with a zero linger sends a reset
      setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
      break;
    }
  }
}

}  // namespace reltest
