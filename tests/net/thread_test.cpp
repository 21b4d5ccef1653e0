// A thread's result and the collector: a result held only by its thread object lives as long as
// the thread does, whether the main thread stored it (also into a thread already scanned in this
// cycle) or the work handed it over on its own thread.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "net/thread.h"
#include "runtime/runtime.h"

namespace {

class Probe : public Object {};

// A thread whose work hands over the object it was given.
class HandingThread : public c_Thread {
 public:
  Object* m_payload = nullptr;
  void Run__UNSAFE__() override { SetResult(m_payload); }
  void mark() override {
    c_Thread::mark();
    gc_mark_q(m_payload);
  }
};

OxThread* held = nullptr;  // the test's root
void MarkHeld() { gc_mark_q(held); }

bool OnList(gc_object* head, gc_object* p) {
  for (gc_object* q = head->succ; q != head; q = q->succ) {
    if (q == p) return true;
  }
  return false;
}

bool Collected(Object* p) { return OnList(&gc_free_list, p); }

class ThreadResult : public ::testing::Test {
 protected:
  void SetUp() override {
    gc_register_roots(GC_ROOTS_GAME, MarkHeld);
    held = nullptr;
    gc_collect_all();
  }
  void TearDown() override {
    held = nullptr;
    EXPECT_STREQ(gc_check_heap(), "");
  }
  static void FullCollections() {
    for (int i = 0; i < 3; ++i) gc_collect_all();
  }
};

TEST_F(ThreadResult, AResultHeldOnlyByItsThreadSurvivesFullCollections) {
  gc_assign(held, static_cast<OxThread*>(new c_Thread));
  Probe* result = new Probe;
  held->SetResult(result);
  FullCollections();
  EXPECT_FALSE(Collected(result)) << "the thread's marking does not cover its result";
  EXPECT_EQ(held->Result(), result);
}

TEST_F(ThreadResult, AResultStoredIntoAScannedThreadSurvivesTheCycle) {
  gc_assign(held, static_cast<OxThread*>(new c_Thread));
  gc_mark_queued(GC_UNLIMITED_BUDGET);  // the thread object is black now
  ASSERT_TRUE(OnList(&gc_marked_list, held));
  Probe* result = new Probe;
  held->SetResult(result);
  gc_collect_all();
  EXPECT_FALSE(Collected(result)) << "the store did not go through the barrier";
  EXPECT_STREQ(gc_check_heap(), "");
}

TEST_F(ThreadResult, AResultHandedOverByTheWorkSurvivesOnceOnlyTheThreadHoldsIt) {
  HandingThread* t = new HandingThread;
  gc_assign(held, static_cast<OxThread*>(t));
  Probe* payload = new Probe;
  gc_assign(t->m_payload, static_cast<Object*>(payload));
  t->Start();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (t->_state.load() != OxThread::kFinished && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(t->_state.load(), OxThread::kFinished);
  gc_assign(t->m_payload, static_cast<Object*>(nullptr));  // now only the result holds it
  FullCollections();
  EXPECT_FALSE(Collected(payload));
  EXPECT_FALSE(t->IsRunning());
  EXPECT_EQ(t->Result(), payload);
}

}  // namespace
