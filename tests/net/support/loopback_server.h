// A scripted TCP server on 127.0.0.1 for the network tests and benchmarks.
// It accepts connections on a free port, records each request and answers from a script.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qrtest {

// What the server does with each connection, in order.
struct ServerScript {
  // How the connection ends once every chunk has been sent.
  enum class End {
    Close,  // orderly close (the client reads end of stream)
    Reset,  // abortive close (the client's receive fails)
    Hold,   // keep it open until the server is destroyed
  };
  // Wait for the request's header block and any Content-Length body before answering.
  bool readRequest = true;
  // Reply bytes, each written with its own send.
  std::vector<std::string> chunks;
  // Pause before every chunk but the first, and before a reset, so that the
  // client sees each chunk in a receive of its own.
  int pauseMs = 0;
  End end = End::Close;
};

class LoopbackServer {
 public:
  explicit LoopbackServer(ServerScript script);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by path.
  std::string Url(const std::string& path) const;
  // The bytes of the index-th request, waiting (boundedly) until it has been read.
  // Returns false when it did not arrive in time.
  bool WaitRequest(size_t index, std::string* bytes);
  // Requests read so far (without waiting).
  size_t RequestCount();
  // Connections accepted so far.
  int Connections();

 private:
  void Serve();
  void Answer(int fd);
  bool Sleep(int ms);  // false when the server is stopping

  ServerScript script_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};  // written once to stop the server thread
  int port_ = 0;
  std::mutex mu_;
  std::condition_variable cv_;
  std::vector<std::string> requests_;
  int connections_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

// One HTTP/1.0 reply with the given status line, extra header lines and body.
std::string HttpReply(const std::string& statusLine, const std::string& body,
                      const std::vector<std::string>& headers = {});

}  // namespace qrtest
