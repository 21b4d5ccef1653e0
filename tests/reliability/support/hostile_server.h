// A hostile HTTP server on 127.0.0.1 for the reliability tests: it accepts one connection at a time
// and misbehaves in one chosen way, always within a bound of bytes and time, then stops by itself.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace reltest {

enum class Hostility {
  SlowBytes,       // a valid reply, one byte at a time, with a long stall in the middle
  EarlyClose,      // reads the request and closes without a byte
  EndlessHeaders,  // a status line, then header lines that never end
  HugeBody,        // a valid header block and a 100 MB body
  BinaryJunk,      // bytes that are no HTTP at all, then a close
  Reset,           // half a header block, then a reset connection
};

// What the slow server sends, and the body within it.
inline constexpr char kSlowReply[] = "HTTP/1.0 200 OK\r\nX-Slow: 1\r\n\r\nslow body";
inline constexpr char kSlowBody[] = "slow body";
// The slow server's pause between bytes and its one long stall (after the status line), in ms.
inline constexpr int kSlowByteGapMs = 5;
inline constexpr int kSlowStallMs = 1500;
// The huge body's size, and the most any behaviour sends before it gives up on a client.
inline constexpr long long kHugeBodyBytes = 100LL * 1000 * 1000;
inline constexpr long long kMostBytesSent = 200LL * 1000 * 1000;
// The longest any behaviour keeps a connection, in seconds.
inline constexpr int kMostSeconds = 60;

class HostileServer {
 public:
  explicit HostileServer(Hostility how);
  ~HostileServer();
  HostileServer(const HostileServer&) = delete;
  HostileServer& operator=(const HostileServer&) = delete;

  // "http://127.0.0.1:<port>/housecall.php"
  std::string Url() const;
  // Bytes the server managed to send on its connections.
  long long BytesSent() const { return sent_; }

 private:
  void Serve();
  void Misbehave(int fd);
  // Sends all of the bytes; false once the client has gone or the server is stopping.
  bool Send(int fd, const char* data, size_t size);
  bool Pause(int ms);  // false when the server is stopping

  Hostility how_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<long long> sent_{0};
  std::thread thread_;
};

}  // namespace reltest
