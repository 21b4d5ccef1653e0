// Asynchronous sockets against a server on the loopback address: connect, send and receive
// completions delivered in order on the main thread, requests in the wrong state, names that do
// not resolve, closing, and the queue's runtime errors.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "net/net.h"
#include "support/loopback_server.h"
#include "support/net_test_util.h"

using qrtest::LoopbackServer;
using qrtest::PumpUntil;
using qrtest::ServerScript;

namespace {

// Records every completion it receives, with the thread it arrived on.
class Recorder : public Object,
                 public virtual c_IOnConnectComplete,
                 public virtual c_IOnSendComplete,
                 public virtual c_IOnReceiveComplete {
 public:
  std::vector<std::string> events;
  std::vector<std::thread::id> threads;
  std::vector<int> counts;  // the count of each send and receive
  bool connected = false;

  int p_OnConnectComplete(bool ok, c_Socket*) override {
    connected = ok;
    Note(ok ? "connect ok" : "connect failed");
    return 0;
  }
  int p_OnSendComplete(c_DataBuffer*, int, int count, c_Socket*) override {
    counts.push_back(count);
    Note("send");
    return 0;
  }
  int p_OnReceiveComplete(c_DataBuffer*, int, int count, c_Socket*) override {
    counts.push_back(count);
    Note("receive");
    return 0;
  }

 private:
  void Note(const char* what) {
    events.push_back(what);
    threads.push_back(std::this_thread::get_id());
  }
};

c_DataBuffer* Bytes(const std::string& text) {
  c_DataBuffer* b = (new c_DataBuffer)->m_new(static_cast<int>(text.size()));
  b->p_PokeString(0, String(text.c_str()), String("ascii"));
  return b;
}

c_Socket* Stream() { return (new c_Socket)->m_new(String("stream")); }

}  // namespace

TEST(Socket, ExchangeDeliversCompletionsInOrderOnTheMainThread) {
  ServerScript script;
  script.readRequest = true;
  script.chunks = {"pong"};
  LoopbackServer server(script);

  c_Socket* s = Stream();
  Recorder* r = new Recorder;
  EXPECT_EQ(s->m__state, OX_SOCKET_STATE_OPEN);
  s->p_ConnectAsync(String("127.0.0.1"), server.Port(), r);
  EXPECT_TRUE(r->events.empty());  // never delivered outside the pump
  ASSERT_TRUE(PumpUntil([&] { return !r->events.empty(); }));
  EXPECT_TRUE(r->connected);
  EXPECT_EQ(s->m__state, OX_SOCKET_STATE_OPEN | OX_SOCKET_STATE_BOUND | OX_SOCKET_STATE_CONNECTED);

  const std::string request = "ping\r\n\r\n";
  c_DataBuffer* in = (new c_DataBuffer)->m_new(64);
  s->p_SendAsync(Bytes(request), 0, static_cast<int>(request.size()), r);
  s->p_ReceiveAsync(in, 4, 60, r);
  ASSERT_TRUE(PumpUntil([&] { return r->events.size() == 3; }));
  std::string got;
  ASSERT_TRUE(server.WaitRequest(0, &got));
  EXPECT_EQ(got, request);
  EXPECT_EQ(qrtest::Narrow(in->p_PeekString(4, 4, String("ascii"))), "pong");

  // The server has closed: the next receive completes with 0.
  s->p_ReceiveAsync(in, 0, 64, r);
  ASSERT_TRUE(PumpUntil([&] { return r->events.size() == 4; }));
  EXPECT_EQ(r->events.back(), "receive");
  EXPECT_EQ(r->counts.back(), 0);
  for (std::thread::id t : r->threads) EXPECT_EQ(t, std::this_thread::get_id());

  s->p_Close();
  EXPECT_EQ(s->m__state, 0);
  EXPECT_EQ(s->m__sock->_sock, -1);
}

TEST(Socket, RequestsInTheWrongStateAreIgnored) {
  c_Socket* s = Stream();
  Recorder* r = new Recorder;
  c_DataBuffer* b = Bytes("data");
  s->p_SendAsync(b, 0, 4, r);     // open, not connected
  s->p_ReceiveAsync(b, 0, 4, r);  // open, not connected
  EXPECT_EQ(s->m__wqueue->m__put.load(), 0);
  EXPECT_EQ(s->m__rqueue->m__put.load(), 0);
  s->p_Close();
  s->p_ConnectAsync(String("127.0.0.1"), 1, r);  // closed
  EXPECT_EQ(s->m__rqueue->m__put.load(), 0);
  qrtest::PumpFor(std::chrono::milliseconds(50));
  EXPECT_TRUE(r->events.empty());
}

TEST(Socket, NameThatDoesNotResolveCompletesNotConnected) {
  // Names under the reserved "invalid" domain are answered without asking any name server.
  std::uint32_t address = 1;
  EXPECT_FALSE(ox_socket_Resolve("no-such-host.invalid", &address));
  EXPECT_EQ(address, 0u);
  EXPECT_FALSE(ox_socket_Resolve("NO-SUCH-HOST.INVALID.", &address));
  EXPECT_TRUE(ox_socket_Resolve("127.0.0.1", &address));

  c_Socket* s = Stream();
  Recorder* r = new Recorder;
  s->p_ConnectAsync(String("no-such-host.invalid"), 80, r);
  ASSERT_TRUE(PumpUntil([&] { return !r->events.empty(); }));
  EXPECT_EQ(r->events, (std::vector<std::string>{"connect failed"}));
  EXPECT_EQ(r->threads[0], std::this_thread::get_id());
  EXPECT_EQ(s->m__state, OX_SOCKET_STATE_OPEN);
}

TEST(Socket, ConnectToAClosedPortFails) {
  // A port that was free a moment ago: nothing listens there.
  int port;
  { port = LoopbackServer(ServerScript{}).Port(); }
  c_Socket* s = Stream();
  Recorder* r = new Recorder;
  s->p_ConnectAsync(String("127.0.0.1"), port, r);
  ASSERT_TRUE(PumpUntil([&] { return !r->events.empty(); }));
  EXPECT_FALSE(r->connected);
  EXPECT_EQ(s->m__state, OX_SOCKET_STATE_OPEN);
}

TEST(Socket, OperationsKeepTheirObjectsAliveAcrossCollections) {
  ServerScript script;
  script.chunks = {"reply"};
  LoopbackServer server(script);
  c_Socket* s = Stream();
  Recorder* r = new Recorder;
  qrtest::Keep(r);
  // Only the queued operations refer to the buffers; only the pump refers to the socket.
  s->p_ConnectAsync(String("127.0.0.1"), server.Port(), r);
  ASSERT_TRUE(PumpUntil([&] { return !r->events.empty(); }));
  s->p_SendAsync(Bytes("x\r\n\r\n"), 0, 5, r);
  s->p_ReceiveAsync((new c_DataBuffer)->m_new(64), 0, 64, r);
  for (int i = 0; i < 3; ++i) {
    gc_collect_all();
    for (int j = 0; j < 200; ++j) (new c_DataBuffer)->m_new(8);  // destroys pending garbage
  }
  EXPECT_EQ(std::string(gc_check_heap()), "");
  ASSERT_TRUE(PumpUntil([&] { return r->events.size() == 3; }));
  EXPECT_EQ(r->counts, (std::vector<int>{5, 5}));
}

// A listening socket on the loopback address that never accepts by itself: a test asks whether a
// connection arrived.
class Listener {
 public:
  Listener() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof sa;
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(fd_, 8) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &size) != 0) {
      ADD_FAILURE() << "no listening socket";
    }
    port_ = ntohs(sa.sin_port);
  }
  ~Listener() { close(fd_); }
  int Port() const { return port_; }
  // Whether a connection has arrived (taken and closed if so).
  bool Connected() {
    int c = accept(fd_, nullptr, nullptr);
    if (c < 0) return false;
    close(c);
    return true;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// A resolver that holds every lookup until released, then answers with the loopback address.
std::atomic<int> lookups{0};
std::atomic<bool> releaseLookups{false};
bool SlowResolve(const std::string&, std::uint32_t* address) {
  ++lookups;
  while (!releaseLookups) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  *address = htonl(INADDR_LOOPBACK);
  return true;
}

// Closing a socket whose connect is pending, in each stage: the connect reports failure (once),
// the socket stays closed, and no connection is opened after the close.
TEST(SocketClose, AConnectPendingAtTheCloseFailsAndNeverConnectsAfterIt) {
  // Connected on the worker, completion not yet delivered: the connection came before the close.
  {
    SCOPED_TRACE("connected, completion not delivered");
    Listener listener;
    c_Socket* s = Stream();
    Recorder* r = new Recorder;
    s->p_ConnectAsync(String("127.0.0.1"), listener.Port(), r);
    // Waits for the worker to run the connect without calling the pump, which would deliver it.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (s->m__rqueue->m__run.load() != 1 && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(s->m__rqueue->m__run.load(), 1);
    s->p_Close();
    qrtest::PumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(r->events, (std::vector<std::string>{"connect failed"}));
    EXPECT_EQ(s->m__state, 0);
  }
  // Still resolving its name: the connect must never reach the server.
  {
    SCOPED_TRACE("closed while resolving");
    Listener listener;
    lookups = 0;
    releaseLookups = false;
    ox_socket_SetResolver(SlowResolve);
    c_Socket* s = Stream();
    Recorder* r = new Recorder;
    s->p_ConnectAsync(String("slow.example"), listener.Port(), r);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (lookups == 0 && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(lookups.load(), 1);
    s->p_Close();
    releaseLookups = true;
    EXPECT_TRUE(PumpUntil([&] { return !r->events.empty(); }));
    ox_socket_SetResolver(nullptr);
    qrtest::PumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(r->events, (std::vector<std::string>{"connect failed"}));
    EXPECT_EQ(s->m__state, 0);
    EXPECT_FALSE(listener.Connected()) << "the closed socket connected after its close";
  }
}

TEST(Socket, MisuseEndsTheProcessWithItsMessage) {
  struct Case {
    const char* what;
    const char* message;
  };
  const Case cases[] = {
      {"queue-overflow", OX_ASYNCQUEUE_OVERFLOW},  // the 256th outstanding operation on one queue
      {"illegal-protocol", OX_SOCKET_ILLEGAL_PROTOCOL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    qrtest::ProgResult r = qrtest::RunProg(qrtest::kErrorsProg, {c.what});
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), qrtest::kBeforeFailing);
    EXPECT_NE(r.out.find("\n" + qrtest::RuntimeErrorLine(c.message) + "\n"), std::string::npos) << r.out;
  }
}
