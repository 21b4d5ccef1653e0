// The asynchronous event pump: no sources, delivery order, re-entry from a delivery, the source
// list as a collector root, and the duplicate registration error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/net.h"
#include "support/net_test_util.h"

namespace {

// A source that records its updates in a shared log and may call the pump again from inside.
class LoggingSource : public Object, public virtual c_IAsyncEventSource {
 public:
  std::vector<std::string>* log = nullptr;
  std::string name;
  bool reenter = false;
  int updates = 0;

  int p_UpdateAsyncEvents() override {
    if (!log) return 0;  // left registered by an earlier test of this process
    ++updates;
    log->push_back(name);
    if (reenter) {
      ox_asyncevent_UpdateAsyncEvents();  // must return at once
      log->push_back(name + " back");
    }
    return 0;
  }
};

// Sources stay registered for the whole process; each test's sources stop logging at its end.
std::vector<LoggingSource*> g_made;

LoggingSource* Source(std::vector<std::string>* log, const char* name, bool reenter = false) {
  LoggingSource* s = new LoggingSource;
  g_made.push_back(s);
  s->log = log;
  s->name = name;
  s->reenter = reenter;
  return s;
}

class AsyncEventPump : public testing::Test {
 protected:
  void TearDown() override {
    for (LoggingSource* s : g_made) s->log = nullptr;
    g_made.clear();
  }
};

}  // namespace

TEST_F(AsyncEventPump, WithNoSourcesDoesNothing) {
  if (ox_asyncevent__sources) GTEST_SKIP() << "sources were registered by an earlier test of this process";
  EXPECT_EQ(ox_asyncevent_UpdateAsyncEvents(), 0);
  EXPECT_EQ(ox_asyncevent__current, nullptr);
}

TEST_F(AsyncEventPump, UpdatesSourcesInOrderAndIgnoresReentry) {
  std::vector<std::string> log;
  ox_asyncevent_AddAsyncEventSource(Source(&log, "first"));
  ox_asyncevent_AddAsyncEventSource(Source(&log, "second", /*reenter=*/true));
  ox_asyncevent_AddAsyncEventSource(Source(&log, "third"));
  ox_asyncevent_UpdateAsyncEvents();
  EXPECT_EQ(log, (std::vector<std::string>{"first", "second", "second back", "third"}));
  EXPECT_EQ(ox_asyncevent__current, nullptr);
  log.clear();
  ox_asyncevent_UpdateAsyncEvents();
  EXPECT_EQ(log.size(), 4u);  // every pump visits every source once
}

TEST_F(AsyncEventPump, RegisteredSourcesSurviveCollections) {
  std::vector<std::string> log;
  LoggingSource* s = Source(&log, "kept");
  ox_asyncevent_AddAsyncEventSource(s);
  // Nothing but the pump's roots refers to the source; garbage is destroyed by later allocations.
  for (int i = 0; i < 3; ++i) {
    gc_collect_all();
    for (int j = 0; j < 100; ++j) (new c_DataBuffer)->m_new2();
  }
  EXPECT_EQ(std::string(gc_check_heap()), "");
  ox_asyncevent_UpdateAsyncEvents();
  EXPECT_EQ(log, (std::vector<std::string>{"kept"}));
  EXPECT_EQ(s->updates, 1);
}

TEST_F(AsyncEventPump, RegisteringASourceTwiceEndsTheProcess) {
  qrtest::ProgResult r = qrtest::RunProg(qrtest::kErrorsProg, {"duplicate-source"});
  EXPECT_EQ(r.exitStatus, 255);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), qrtest::kBeforeFailing);
  EXPECT_NE(r.out.find("\n" + qrtest::RuntimeErrorLine(OX_ASYNCEVENT_ALREADY_ACTIVE) + "\n"), std::string::npos)
      << r.out;
}
