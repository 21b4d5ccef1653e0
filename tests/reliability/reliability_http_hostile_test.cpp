// The check-in's HTTP client against hostile servers on the loopback address: slow bytes with a long
// stall, an early close, header lines without end, a 100 MB body, binary junk and a reset. The game
// pumps as it does every frame; no pump call waits on the network, the request calls back exactly
// once, and its status and text say what happened.
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <thread>

#include "host/host_game.h"
#include "net/net.h"
#include "support/hostile_server.h"
#include "support/rel_game.h"

namespace {

using Clock = std::chrono::steady_clock;
using reltest::Hostility;
using reltest::HostileServer;

// The longest the test waits for a callback, and how long it pumps on after it to catch a second.
constexpr auto kMostWait = std::chrono::seconds(90);
constexpr auto kAfterCallback = std::chrono::milliseconds(300);
// A pump call waiting on the slow server would last its whole stall; no call may come near that.
constexpr auto kLongestPump = std::chrono::milliseconds(reltest::kSlowStallMs * 2 / 3);
constexpr auto kFrameGap = std::chrono::milliseconds(1);

class Completion : public Object, public virtual c_IOnHttpRequestComplete {
 public:
  int calls = 0;
  int status = 0;
  String text;
  int p_OnHttpRequestComplete(c_HttpRequest* request) override {
    if (calls++ == 0) {
      status = request->p_Status();
      text = request->p_ResponseText();
    }
    return 0;
  }
};

// The request and its callback live in game fields between frames: collector roots.
c_HttpRequest* held_request = nullptr;
Completion* held_done = nullptr;
void MarkHeld() {
  gc_mark_q(held_request);
  gc_mark_q(held_done);
}

struct Outcome {
  int calls = 0;
  int status = 0;
  std::string text;
  Clock::duration longestPump{};
  long long sent = 0;  // bytes the server got out before the client stopped it
};

Outcome Fetch(Hostility how) {
  reltest::StartedGame();
  gc_register_roots(GC_ROOTS_GAME, MarkHeld);
  HostileServer server(how);
  gc_assign(held_done, new Completion);
  gc_assign(held_request, (new c_HttpRequest)->m_new2(String("GET"), String(server.Url().c_str()), held_done));
  held_request->p_Send();

  Outcome out;
  auto frame = [&out] {
    const Clock::time_point start = Clock::now();
    ox_asyncevent_UpdateAsyncEvents();
    OxGame::_game->gc_collect();  // the host's step after every update
    out.longestPump = std::max(out.longestPump, Clock::now() - start);
    std::this_thread::sleep_for(kFrameGap);
  };
  const Clock::time_point deadline = Clock::now() + kMostWait;
  while (held_done->calls == 0 && Clock::now() < deadline) frame();
  const Clock::time_point after = Clock::now() + kAfterCallback;
  while (Clock::now() < after) frame();

  out.calls = held_done->calls;
  out.status = held_done->status;
  out.text = held_done->text.ToUtf8();
  out.sent = server.BytesSent();
  EXPECT_FALSE(held_request->m__socket->p_IsOpen()) << "the connection was left open";
  gc_assign(held_request, nullptr);
  gc_assign(held_done, nullptr);
  return out;
}

struct Case {
  const char* name;
  Hostility how;
  int status;
  std::string text;
  bool stopsTheServer;  // the client hangs up long before the server would stop sending
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class HostileServers : public ::testing::TestWithParam<Case> {};

TEST_P(HostileServers, CallBackOnceWithoutBlockingAFrame) {
  const Case& c = GetParam();
  Outcome o = Fetch(c.how);
  EXPECT_EQ(o.calls, 1);
  EXPECT_EQ(o.status, c.status);
  EXPECT_EQ(o.text, c.text);
  EXPECT_LT(o.longestPump, kLongestPump)
      << "a pump call took " << std::chrono::duration_cast<std::chrono::milliseconds>(o.longestPump).count() << " ms";
  if (c.stopsTheServer) {
    EXPECT_LT(o.sent, 2LL * OX_HTTP_MAX_RESPONSE_BYTES) << "the client read on past its bound";
  }
  EXPECT_STREQ(gc_check_heap(), "");
}

const Case kCases[] = {
    {"SlowBytes", Hostility::SlowBytes, 200, reltest::kSlowBody, false},
    {"EarlyClose", Hostility::EarlyClose, OX_HTTP_NO_STATUS, "", false},
    // Both end when the response passes the client's bound; nothing of it is taken as a reply.
    {"EndlessHeaders", Hostility::EndlessHeaders, OX_HTTP_NO_STATUS, "", true},
    {"HugeBody", Hostility::HugeBody, OX_HTTP_NO_STATUS, "", true},
    {"BinaryJunk", Hostility::BinaryJunk, OX_HTTP_NO_STATUS, "", false},
    {"Reset", Hostility::Reset, OX_HTTP_NO_STATUS, "", false},
};

INSTANTIATE_TEST_SUITE_P(Servers, HostileServers, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
