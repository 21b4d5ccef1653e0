// The collector: colours and lists, the write barrier, the full-collection threshold,
// lazy destruction through the size caches, root order, interfaces, list validation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace {

int destroyed = 0;

struct IThing : gc_interface {
  virtual int Value() = 0;
};

struct Node : Object {
  Node* m_a = nullptr;  // sizeof(Node) == 40: one of the cached sizes
  ~Node() override { ++destroyed; }
  void mark() override {
    Object::mark();
    gc_mark_q(m_a);
  }
};
static_assert(sizeof(Node) == 40);

struct Thing : Object, virtual IThing {
  int Value() override { return 7; }
};

struct Holder : Object {
  IThing* m_i = nullptr;
  Array<Node*> m_arr;
  void mark() override {
    Object::mark();
    gc_mark_q(m_i);
    gc_mark_q(m_arr);
  }
};

// The test's roots, marked at the game's rank.
gc_object* roots[4];
void MarkTestRoots() {
  for (gc_object* r : roots) gc_mark_q(r);
}

bool OnList(gc_object* head, gc_object* p) {
  for (gc_object* q = head->succ; q != head; q = q->succ) {
    if (q == p) return true;
  }
  return false;
}

class Collector : public ::testing::Test {
 protected:
  void SetUp() override {
    gc_register_roots(GC_ROOTS_GAME, MarkTestRoots);
    for (gc_object*& r : roots) r = nullptr;
    // Everything left by earlier tests becomes garbage, and all pending garbage is destroyed by
    // one allocation at least as large (then kept as a root, so that it is no garbage itself).
    gc_collect_all();
    gc_collect_all();
    Array<char> drain(gc_free_bytes > 0 ? gc_free_bytes : 1);
    gc_assign(roots[3], static_cast<gc_object*>(drain.GetRep()));
    EXPECT_EQ(gc_free_bytes, 0);
    destroyed = 0;
    Check();
  }
  void TearDown() override {
    Check();
    for (gc_object*& r : roots) r = nullptr;
  }
  static void Check() { EXPECT_STREQ(gc_check_heap(), ""); }
};

TEST_F(Collector, NewObjectIsWhiteAndGarbageUnlessStored) {
  Node* loose = new Node;
  Node* kept = new Node;
  EXPECT_EQ(loose->flags & 3, gc_markbit);
  EXPECT_EQ(loose->gc_size(), 40);
  EXPECT_TRUE(OnList(&gc_unmarked_list, loose));
  gc_assign(roots[0], static_cast<gc_object*>(kept));
  EXPECT_TRUE(OnList(&gc_queued_list, kept));
  Check();
  gc_collect_all();
  EXPECT_TRUE(OnList(&gc_free_list, loose));
  EXPECT_FALSE(OnList(&gc_free_list, kept));
  Check();
}

TEST_F(Collector, BarrierKeepsWhatABlackObjectGetsDuringTheCycle) {
  Node* parent = new Node;
  gc_assign(roots[0], static_cast<gc_object*>(parent));
  gc_mark_queued(GC_UNLIMITED_BUDGET);
  ASSERT_TRUE(OnList(&gc_marked_list, parent));
  Node* child = new Node;
  gc_assign(parent->m_a, child);
  EXPECT_TRUE(OnList(&gc_queued_list, child));
  Check();
  gc_collect_all();
  gc_collect_all();
  EXPECT_FALSE(OnList(&gc_free_list, child));
  EXPECT_EQ(destroyed, 0);
}

// The collector stress build makes every step a full collection, whatever the byte counts.
constexpr const char* STRESS_HAS_NO_THRESHOLD = "every step is a full collection in the stress build";

TEST_F(Collector, ThresholdIsStrictlyGreater) {
  if (GC_STRESS) GTEST_SKIP() << STRESS_HAS_NO_THRESHOLD;
  Node* root = new Node;
  gc_assign(roots[0], static_cast<gc_object*>(root));
  gc_assign(root->m_a, new Node);
  gc_collect_all();  // root grey, child white
  int sweeps = gc_sweep_count;
  gc_new_bytes = GC_FULL_THRESHOLD;
  gc_collect();
  EXPECT_EQ(gc_sweep_count, sweeps);
  EXPECT_EQ(gc_new_bytes, GC_FULL_THRESHOLD);
  gc_new_bytes = GC_FULL_THRESHOLD + 1;
  gc_collect();
  EXPECT_EQ(gc_sweep_count, sweeps + 1);
  EXPECT_EQ(gc_new_bytes, 0);
  // After a full collection the roots are grey and every survivor white with the new mark bit.
  EXPECT_TRUE(OnList(&gc_queued_list, root));
  EXPECT_TRUE(OnList(&gc_unmarked_list, root->m_a));
  EXPECT_EQ(root->m_a->flags & 3, gc_markbit);
  EXPECT_EQ(gc_marked_list.succ, &gc_marked_list);
  Check();
}

TEST_F(Collector, OutsideBytesTriggerAFullCollectionAndAreSubtracted) {
  if (GC_STRESS) GTEST_SKIP() << STRESS_HAS_NO_THRESHOLD;
  int sweeps = gc_sweep_count;
  gc_new_bytes = 0;
  gc_ext_malloced(GC_FULL_THRESHOLD);
  gc_collect();
  EXPECT_EQ(gc_sweep_count, sweeps);
  gc_ext_malloced(1);
  gc_collect();
  EXPECT_EQ(gc_sweep_count, sweeps + 1);
  EXPECT_EQ(gc_ext_new_bytes.load(), 0);
}

TEST_F(Collector, StepBudgetArithmetic) {
  int saved_new = gc_new_bytes, saved_alloced = gc_alloced_bytes;
  struct Case { int new_bytes, alloced, budget; } cases[] = {
      {0, 1000, 0},
      {4 << 20, 20 << 20, (4 << 20) + (8 << 20)},
      {GC_FULL_THRESHOLD, 100 << 20, 100 << 20},
      {1, 3, 1},  // (3 - 1) * 1 / 8 MiB truncates to 0
      {1 << 20, 1000 << 20, (1 << 20) + 125 * (1 << 20) - (1 << 17)},
  };
  for (const Case& c : cases) {
    gc_new_bytes = c.new_bytes;
    gc_alloced_bytes = c.alloced;
    EXPECT_EQ(gc_step_budget(), c.budget) << c.new_bytes << " " << c.alloced;
  }
  gc_new_bytes = saved_new;
  gc_alloced_bytes = saved_alloced;
}

TEST_F(Collector, PendingGarbageIsDestroyedByTheNextAllocationWhichGetsItsBlock) {
  Node* old = new Node;
  gc_collect_all();
  ASSERT_EQ(gc_free_bytes, 40);
  ASSERT_EQ(gc_free_list.succ, old);
  Node* fresh = new Node;
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(static_cast<void*>(fresh), static_cast<void*>(old));
  EXPECT_EQ(gc_free_bytes, 0);
  Check();
}

TEST_F(Collector, InterfaceReferencesAreMarkedThroughTheirObject) {
  Holder* h = new Holder;
  gc_assign(roots[0], static_cast<gc_object*>(h));
  gc_mark_queued(GC_UNLIMITED_BUDGET);
  Thing* t = new Thing;
  gc_assign(h->m_i, static_cast<IThing*>(t));
  EXPECT_TRUE(OnList(&gc_queued_list, t));
  Check();
  gc_collect_all();
  gc_collect_all();
  EXPECT_TRUE(OnList(&gc_unmarked_list, t) || OnList(&gc_queued_list, t));
  EXPECT_EQ(h->m_i->Value(), 7);
}

TEST_F(Collector, StoredArraysTurnBlackWithTheirElements) {
  Holder* h = new Holder;
  gc_assign(roots[0], static_cast<gc_object*>(h));
  Array<Node*> arr(3);
  Node* n = new Node;
  arr[1] = n;  // a local array: no barrier needed until it is stored
  gc_assign(h->m_arr, arr);
  EXPECT_TRUE(OnList(&gc_marked_list, arr.GetRep()));
  EXPECT_TRUE(OnList(&gc_marked_list, n));
  Check();
  gc_collect_all();
  gc_collect_all();
  EXPECT_EQ(destroyed, 0);
}

struct Throws : Object {
  Node* m_a = nullptr;
  explicit Throws(bool greyed) {
    if (greyed) gc_assign(roots[1], static_cast<gc_object*>(this));
    throw 1;
  }
};

Node* MakeThenThrow() { throw 2; }

struct Pair : Object {
  Node* m_a;
  explicit Pair(Node* a) : m_a(a) {}
};

// A constructor that throws gives the block back (the heap stays sound); so does a constructor
// argument that throws after the block was handed out.
TEST_F(Collector, ThrowingConstructorsReturnTheirBlock) {
  int alloced = gc_alloced_bytes;
  EXPECT_THROW(new Throws(false), int);
  EXPECT_EQ(gc_alloced_bytes, alloced);
  Check();
  EXPECT_THROW(new Throws(true), int);
  roots[1] = nullptr;
  EXPECT_EQ(gc_alloced_bytes, alloced);
  Check();
  EXPECT_THROW(new Pair(MakeThenThrow()), int);
  EXPECT_EQ(gc_pending_count, 0);
  EXPECT_EQ(gc_alloced_bytes, alloced);
  Check();
  Node* after = new Node;  // the allocator still works, and the header is right
  EXPECT_EQ(after->gc_size(), 40);
  EXPECT_TRUE(OnList(&gc_unmarked_list, after));
}

std::vector<std::string> visits;
void RootsGame() { visits.push_back("game"); }
void RootsFramework() { visits.push_back("framework"); }
void RootsNet() { visits.push_back("net"); }
void RootsContainers() { visits.push_back("containers"); }

TEST(Roots, VisitedInRankOrder) {
  gc_register_roots(GC_ROOTS_GAME, RootsGame);
  gc_register_roots(GC_ROOTS_CONTAINERS, RootsContainers);
  gc_register_roots(GC_ROOTS_NET, RootsNet);
  gc_register_roots(GC_ROOTS_FRAMEWORK, RootsFramework);
  gc_register_roots(GC_ROOTS_FRAMEWORK, RootsFramework);  // twice: ignored
  visits.clear();
  gc_mark();
  EXPECT_EQ(visits, (std::vector<std::string>{"framework", "net", "containers", "game"}));
  for (gc_roots_fn fn : {RootsGame, RootsFramework, RootsNet, RootsContainers}) gc_unregister_roots(fn);
}

TEST(Objects, IdentityAndDebug) {
  Object* a = new Object;
  Object* b = new Object;
  EXPECT_TRUE(a->Equals(a));
  EXPECT_FALSE(a->Equals(b));
  EXPECT_EQ(a->Compare(a), 0);
  EXPECT_EQ(a->debug().ToUtf8(), "+Object\n");
}

TEST(Objects, ObjectsOutsideTheHeapAreStatic) {
  Object local;
  EXPECT_EQ(local.flags, 3);
  EXPECT_EQ(local.succ, nullptr);
}

TEST(ValidateList, BrokenListEndsTheProcess) {
  gc_object head(gc_static, &head);
  Object node;
  node.succ = &head;
  node.pred = nullptr;  // does not lead back to the head
  head.succ = &node;
  head.pred = &node;
  EXPECT_EXIT(gc_validate_list(&head, "checking"), ::testing::ExitedWithCode(255), "");
  node.pred = &head;
  gc_validate_list(&head, "checking");  // sound: returns
  head.succ = head.pred = &head;
}

}  // namespace
