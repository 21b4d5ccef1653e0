// The collector's stress mode (built with QR_GC_STRESS) catches what it exists for: a reference
// stored into a scanned object without the write barrier ends the process at the next allocation,
// with the heap checker's report. Normal builds have no stress mode and skip it.
#include <gtest/gtest.h>

#include "runtime/runtime.h"

namespace {

class Child : public Object {};

class Holder : public Object {
 public:
  Child* m_child = nullptr;
  void mark() override {
    Object::mark();
    gc_mark_q(m_child);
  }
};

Holder* root = nullptr;
void MarkRoot() { gc_mark_q(root); }

void StoreWithoutTheBarrier() {
  gc_init1();
  gc_register_roots(GC_ROOTS_GAME, MarkRoot);
  gc_assign(root, new Holder);
  new Child;  // this allocation's step scans the holder: it is black now
  root->m_child = new Child;  // a white child behind a black holder, and no barrier greyed it
  new Child;  // the next step finds it
}

TEST(CollectorStressDeathTest, AStoreWithoutTheBarrierEndsTheProcessAtTheNextAllocation) {
  if (!GC_STRESS) GTEST_SKIP() << "the collector's stress mode is a build option (QR_GC_STRESS=ON)";
  EXPECT_DEATH(StoreWithoutTheBarrier(), "black object refers to a white one");
}

TEST(CollectorStressDeathTest, TheSameStoreThroughTheBarrierKeepsTheHeapSound) {
  if (!GC_STRESS) GTEST_SKIP() << "the collector's stress mode is a build option (QR_GC_STRESS=ON)";
  EXPECT_EXIT(
      {
        gc_init1();
        gc_register_roots(GC_ROOTS_GAME, MarkRoot);
        gc_assign(root, new Holder);
        new Child;
        gc_assign(root->m_child, new Child);
        for (int i = 0; i < 100; ++i) new Child;
        gc_collect();
        std::exit(*gc_check_heap() == '\0' && root->m_child ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
