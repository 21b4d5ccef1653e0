// HTTP requests against a scripted server on the loopback address: the exact request bytes, the
// status line rules, header lines split across receives, bodies up to 10 MB, servers that close
// early, reset or never answer, and one callback per request, on the main thread, in every case.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "net/net.h"
#include "support/loopback_server.h"
#include "support/net_test_util.h"

using qrtest::CodeUnits;
using qrtest::HttpReply;
using qrtest::LoopbackServer;
using qrtest::Narrow;
using qrtest::PumpUntil;
using qrtest::ServerScript;

namespace {

// After the callback the pump keeps running this long, to catch a second call.
constexpr auto kAfterCallback = std::chrono::milliseconds(30);

// The request's callback: counts the calls and records what the request held at the first one.
class Completion : public Object, public virtual c_IOnHttpRequestComplete {
 public:
  int calls = 0;
  bool onMainThread = true;
  int status = 0;
  String text;
  std::vector<std::string> header;

  int p_OnHttpRequestComplete(c_HttpRequest* request) override {
    if (std::this_thread::get_id() != mainThread) onMainThread = false;
    if (calls++ == 0) {
      status = request->p_Status();
      text = request->p_ResponseText();
      for (int i = 0; i < request->m__header->p_Length2(); ++i) header.push_back(Narrow(request->m__header->p_Get(i)));
    }
    return 0;
  }
  std::thread::id mainThread = std::this_thread::get_id();
};

struct Outcome {
  int calls = 0;
  int status = 0;
  std::vector<int> text;        // code units of the response text
  std::vector<std::string> header;
  std::string request;          // bytes the server received
};

// How the request is sent: p_Send, or p_Send2 with a body.
struct Body {
  bool send2 = false;
  std::u16string data;
  std::string mimeType, encoding = "utf8";
};

// Runs one request against a server with the given script and waits (boundedly) for its callback,
// then keeps pumping a little to see that it is not called again.
Outcome Fetch(const ServerScript& script, const std::string& method = "GET", const std::string& path = "/",
              const Body& body = Body()) {
  LoopbackServer server(script);
  Completion* done = new Completion;
  c_HttpRequest* req = (new c_HttpRequest)->m_new();
  qrtest::Keep(req);  // the caller keeps the request referenced, as the game does
  req->p_Open(String(method.c_str()), String(server.Url(path).c_str()), done);
  if (body.send2)
    req->p_Send2(String(body.data.c_str()), String(body.mimeType.c_str()), String(body.encoding.c_str()));
  else
    req->p_Send();
  Outcome out;
  EXPECT_TRUE(PumpUntil([&] { return done->calls > 0; })) << "no callback";
  qrtest::PumpFor(kAfterCallback);
  EXPECT_EQ(done->calls, 1);
  EXPECT_TRUE(done->onMainThread);
  out.calls = done->calls;
  out.status = done->status;
  out.text = CodeUnits(done->text);
  out.header = done->header;
  if (server.Connections() > 0) server.WaitRequest(0, &out.request);
  return out;
}

ServerScript Replying(std::vector<std::string> chunks, int pauseMs = 0) {
  ServerScript s;
  s.chunks = std::move(chunks);
  s.pauseMs = pauseMs;
  return s;
}

std::vector<int> Units(const std::string& bytes) {
  std::vector<int> out;
  for (unsigned char c : bytes) out.push_back(c);
  return out;
}

}  // namespace

TEST(HttpRequest, SendsExactlyTheRequestBytes) {
  struct Case {
    const char* name;
    std::string method, path;
    Body body;
    std::string expect;
  };
  const Case cases[] = {
      {"GET with a query", "GET", "/housecall.php?hello=1&gameID=415", {},
       "GET /housecall.php?hello=1&gameID=415 HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n"},
      {"GET of the bare host", "GET", "", {}, "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n"},
      {"POST with a utf8 body", "POST", "/form", {true, u"name=\u00E9", "application/x-www-form-urlencoded"},
       "POST /form HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
       "Content-Length: 7\r\n\r\nname=\xC3\xA9"},
      {"POST without a type or body", "POST", "/empty", {true, u"", ""},
       "POST /empty HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Outcome o = Fetch(Replying({HttpReply("HTTP/1.0 200 OK", "ok")}), c.method, c.path, c.body);
    EXPECT_EQ(o.request, c.expect);
    EXPECT_EQ(o.status, 200);
  }
}

TEST(HttpRequest, ReadsStatusAndBodyUntilTheServerCloses) {
  struct Case {
    const char* name;
    std::vector<std::string> chunks;
    int status;
    std::vector<int> text;
  };
  const Case cases[] = {
      {"404 with headers and a body", {HttpReply("HTTP/1.0 404 Not Found", "missing", {"Server: t", "X-A: b"})}, 404,
       Units("missing")},
      {"status line in lower case", {HttpReply("http/1.1 200 ok", "fine")}, 200, Units("fine")},
      {"reason phrase of several words", {HttpReply("HTTP/1.1 503 Service Unavailable", "")}, 503, {}},
      {"Content-Length is not interpreted", {HttpReply("HTTP/1.0 200 OK", "hello", {"Content-Length: 2"})}, 200,
       Units("hello")},
      {"body over several receives", {HttpReply("HTTP/1.0 200 OK", "ab"), "cd", "ef"}, 200, Units("abcdef")},
      {"body bytes that are not utf8", {HttpReply("HTTP/1.0 200 OK", "A\xE9" "B")}, 200, {0x41, 0xFFE9, 0x42}},
      {"utf8 body", {HttpReply("HTTP/1.0 200 OK", "\xE2\x82\xAC")}, 200, {0x20AC}},
      {"status line without the protocol word", {HttpReply("ICY 200 OK", "body")}, -1, {}},
      {"status line without a reason phrase", {HttpReply("HTTP/1.0 200", "body")}, -1, {}},
      {"no status line at all", {"\r\nbody"}, -1, {}},
      {"closed before the headers end", {"HTTP/1.0 200 OK\r\nContent-Le"}, -1, {}},
      {"closed without a byte", {}, -1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Outcome o = Fetch(Replying(c.chunks, /*pauseMs=*/10));
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.text, c.text);
  }
}

TEST(HttpRequest, HeaderSplitAcrossReceivesAtEveryBytePosition) {
  const std::string head = "HTTP/1.0 200 OK\r\nX-Note: split here\r\n\r\n";
  const std::string reply = head + "body";
  for (size_t at = 1; at <= head.size(); ++at) {
    SCOPED_TRACE("split after byte " + std::to_string(at));
    Outcome o = Fetch(Replying({reply.substr(0, at), reply.substr(at)}, /*pauseMs=*/15));
    EXPECT_EQ(o.status, 200);
    EXPECT_EQ(o.text, Units("body"));
    EXPECT_EQ(o.header, (std::vector<std::string>{"HTTP/1.0 200 OK", "X-Note: split here"}));
  }
}

TEST(HttpRequest, TenMegabyteBody) {
  std::string body(10 * 1024 * 1024, '\0');
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 26);
  Outcome o = Fetch(Replying({HttpReply("HTTP/1.0 200 OK", body)}));
  EXPECT_EQ(o.status, 200);
  ASSERT_EQ(o.text.size(), body.size());
  EXPECT_TRUE(o.text == Units(body));
}

TEST(HttpRequest, ConnectionFailuresFinishWithoutStatus) {
  int freePort;
  { freePort = LoopbackServer(ServerScript{}).Port(); }
  const std::string urls[] = {
      "http://127.0.0.1:" + std::to_string(freePort) + "/",  // nothing listens
      "http://no-such-host.invalid/housecall.php",          // does not resolve
  };
  for (const std::string& url : urls) {
    SCOPED_TRACE(url);
    Completion* done = new Completion;
    c_HttpRequest* req = (new c_HttpRequest)->m_new2(String("GET"), String(url.c_str()), done);
    qrtest::Keep(req);
    req->p_Send();
    ASSERT_TRUE(PumpUntil([&] { return done->calls > 0; }));
    qrtest::PumpFor(kAfterCallback);
    EXPECT_EQ(done->calls, 1);
    EXPECT_EQ(done->status, OX_HTTP_NO_STATUS);
    EXPECT_EQ(done->text.Length(), 0);
    EXPECT_FALSE(req->m__socket->p_IsOpen());
  }
}

TEST(HttpRequest, ServerThatNeverAnswersLeavesTheGameRunning) {
  ServerScript script;
  script.end = ServerScript::End::Hold;
  LoopbackServer server(script);
  Completion* done = new Completion;
  c_HttpRequest* req = (new c_HttpRequest)->m_new2(String("GET"), String(server.Url("/").c_str()), done);
  qrtest::Keep(req);
  req->p_Send();
  // The request goes out (sending it needs the pump, as everything does)...
  ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() > 0; }));
  std::string got;
  ASSERT_TRUE(server.WaitRequest(0, &got));
  EXPECT_EQ(got, "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
  int updates = 0;
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  while (std::chrono::steady_clock::now() < until) {  // ...and the updates go on without a reply
    ox_asyncevent_UpdateAsyncEvents();
    ++updates;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_GT(updates, 10);
  EXPECT_EQ(done->calls, 0);
}

TEST(HttpRequest, RequestThatCannotGoOutAsGivenFinishesWithoutSending) {
  struct Case {
    const char* name;
    std::u16string path;
  };
  const Case cases[] = {
      {"too long for the header buffer", u"/" + std::u16string(OX_HTTP_HEADER_BYTES, u'p')},
      {"line break in the URL", u"/a\r\nX-Added: 1"},
      {"character whose low byte is a line feed", u"/a\u010AX-Added: 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server(ServerScript{});
    Completion* done = new Completion;
    String url = String(server.Url("").c_str()) + String(c.path.c_str());
    c_HttpRequest* req = (new c_HttpRequest)->m_new2(String("GET"), url, done);
    qrtest::Keep(req);
    req->p_Send();
    ASSERT_TRUE(PumpUntil([&] { return done->calls > 0; }));
    qrtest::PumpFor(kAfterCallback);
    EXPECT_EQ(done->calls, 1);
    EXPECT_EQ(done->status, OX_HTTP_NO_STATUS);
    EXPECT_EQ(server.Connections(), 0);  // nothing at all reached the server
  }
}

TEST(HttpRequest, FailedReceiveEndsTheRequestLikeAClose) {
  // A reset after part of the body: the request ends with what arrived.
  ServerScript reset = Replying({HttpReply("HTTP/1.0 200 OK", "partial")}, /*pauseMs=*/50);
  reset.end = ServerScript::End::Reset;
  Outcome o = Fetch(reset);
  EXPECT_EQ(o.status, 200);
  EXPECT_EQ(o.text, Units("partial"));

  // A failed receive in the middle of a header line: its count is no length.
  Completion* done = new Completion;
  c_HttpRequest* req = (new c_HttpRequest)->m_new2(String("GET"), String("http://127.0.0.1/"), done);
  gc_assign(req->m__socket, (new c_Socket)->m_new(String("stream")));
  req->m__header->p_Clear();
  const int partial = req->m__rbuf->p_PokeString(0, String("HTTP/1.0 2"), String("ascii"));
  req->p_OnReceiveComplete(req->m__rbuf, 0, partial, req->m__socket);
  EXPECT_EQ(done->calls, 0);
  req->p_OnReceiveComplete(req->m__rbuf, partial, -1, req->m__socket);
  EXPECT_EQ(done->calls, 1);
  EXPECT_EQ(done->status, OX_HTTP_NO_STATUS);
}

TEST(HttpRequest, ReopenedRequestStartsAfresh) {
  ServerScript first = Replying({HttpReply("HTTP/1.0 404 Not Found", "gone")});
  ServerScript second = Replying({HttpReply("ICY 200 OK", "noise")});
  LoopbackServer a(first), b(second);
  Completion* done = new Completion;
  c_HttpRequest* req = (new c_HttpRequest)->m_new2(String("GET"), String(a.Url("/").c_str()), done);
  qrtest::Keep(req);
  req->p_Send();
  ASSERT_TRUE(PumpUntil([&] { return done->calls == 1; }));
  EXPECT_EQ(Narrow(req->p_ResponseText()), "gone");
  req->p_Open(String("GET"), String(b.Url("/again").c_str()), done);
  req->p_Send();
  ASSERT_TRUE(PumpUntil([&] { return done->calls == 2; }));
  EXPECT_EQ(req->p_Status(), OX_HTTP_NO_STATUS);
  EXPECT_EQ(Narrow(req->p_ResponseText()), "");
  std::string got;
  ASSERT_TRUE(b.WaitRequest(0, &got));
  EXPECT_EQ(got, "GET /again HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST(HttpRequest, ExchangeSurvivesCollectionsAtEveryUpdate) {
  ServerScript script = Replying({HttpReply("HTTP/1.0 200 OK", "one,"), "two,", "three"}, /*pauseMs=*/5);
  LoopbackServer server(script);
  Completion* done = new Completion;
  c_HttpRequest* req = (new c_HttpRequest)->m_new2(String("GET"), String(server.Url("/").c_str()), done);
  qrtest::Keep(req);
  req->p_Send();
  done = nullptr;  // from here on only the request refers to its callback
  c_IOnHttpRequestComplete* callback = req->m__onComplete;
  Completion* seen = dynamic_cast<Completion*>(callback);
  ASSERT_TRUE(PumpUntil([&] {
    gc_collect_all();
    for (int j = 0; j < 50; ++j) (new c_DataBuffer)->m_new(16);  // destroys pending garbage
    return seen->calls > 0;
  }));
  EXPECT_EQ(std::string(gc_check_heap()), "");
  EXPECT_EQ(seen->status, 200);
  EXPECT_EQ(Narrow(seen->text), "one,two,three");
}

// A request reopened and sent again after its first exchange still receives what its old socket
// delivers late: each kind of late completion is ignored, and the second exchange goes out whole
// (body included) and calls back once.
TEST(HttpRequest, LateCompletionsOfTheOldSocketDoNotTouchTheReopenedRequest) {
  struct Late {
    const char* name;
    void (*deliver)(c_HttpRequest* req, c_Socket* old);
  };
  const Late cases[] = {
      {"send complete", [](c_HttpRequest* req, c_Socket* old) { req->p_OnSendComplete(req->m__wbuf, 0, 10, old); }},
      {"end of stream", [](c_HttpRequest* req, c_Socket* old) { req->p_OnReceiveComplete(req->m__rbuf, 0, 0, old); }},
      {"failed receive", [](c_HttpRequest* req, c_Socket* old) { req->p_OnReceiveComplete(req->m__rbuf, 0, -1, old); }},
      {"connect failed", [](c_HttpRequest* req, c_Socket* old) { req->p_OnConnectComplete(false, old); }},
      {"connect succeeded", [](c_HttpRequest* req, c_Socket* old) { req->p_OnConnectComplete(true, old); }},
  };
  for (const Late& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer first(Replying({HttpReply("HTTP/1.0 200 OK", "one")}));
    LoopbackServer second(Replying({HttpReply("HTTP/1.0 201 Created", "two")}));
    Completion* done = new Completion;
    c_HttpRequest* req = (new c_HttpRequest)->m_new2(String("POST"), String(first.Url("/a").c_str()), done);
    qrtest::Keep(req);
    req->p_Send2(String("first body"), String(), String("utf8"));
    ASSERT_TRUE(PumpUntil([&] { return done->calls == 1; }));
    c_Socket* old = req->m__socket;

    req->p_Open(String("POST"), String(second.Url("/b").c_str()), done);
    req->p_Send2(String("second body"), String(), String("utf8"));
    c.deliver(req, old);
    if (!PumpUntil([&] { return done->calls >= 2; }, std::chrono::seconds(5))) {
      ADD_FAILURE() << "no second callback";
      continue;
    }
    qrtest::PumpFor(kAfterCallback);
    EXPECT_EQ(done->calls, 2);
    EXPECT_EQ(req->p_Status(), 201);
    EXPECT_EQ(Narrow(req->p_ResponseText()), "two");
    std::string got;
    ASSERT_TRUE(second.WaitRequest(0, &got));
    EXPECT_EQ(got, "POST /b HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Length: 11\r\n\r\nsecond body");
  }
}

// The request's socket closed while its connect is under way: the request finishes without a
// status and calls back once, instead of waiting for ever.
TEST(HttpRequest, ASocketClosedWhileConnectingFinishesTheRequestOnce) {
  LoopbackServer server(Replying({HttpReply("HTTP/1.0 200 OK", "late")}));
  Completion* done = new Completion;
  c_HttpRequest* req = (new c_HttpRequest)->m_new2(String("GET"), String(server.Url("/").c_str()), done);
  qrtest::Keep(req);
  req->p_Send();
  c_Socket* socket = req->m__socket;
  // Waits for the worker to run the connect without calling the pump, which would deliver it.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (socket->m__rqueue->m__run.load() != 1 && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(socket->m__rqueue->m__run.load(), 1);
  socket->p_Close();  // the worker has connected; the completion is not delivered yet
  EXPECT_TRUE(PumpUntil([&] { return done->calls > 0; }, std::chrono::seconds(3))) << "no callback";
  qrtest::PumpFor(kAfterCallback);
  EXPECT_EQ(done->calls, 1);
  EXPECT_EQ(req->p_Status(), OX_HTTP_NO_STATUS);
  EXPECT_EQ(Narrow(req->p_ResponseText()), "");
}
