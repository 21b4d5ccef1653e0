// Randomized collector stress test: a mutator builds, rewires and drops object graphs
// through gc_assign, with collection steps between batches of mutations, against a shadow model of
// the graph. After every step: the heap checker holds; no object reachable in the model has been
// destroyed (canaries, destructor counts, fields equal to the model); every object that became
// unreachable has been found as garbage after at most two sweeps, and destroyed once drained.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "runtime/runtime.h"

namespace {

constexpr std::uint64_t CANARY = 0x5A17C0DE00000000ULL;  // XOR the id: a reused block never matches
constexpr std::uint64_t DEAD = 0xDEADDEADDEADDEADULL;
constexpr int NONE = -1;

std::vector<char> alive;  // per node id: the destructor has not run
int destructions = 0;
int canary_failures = 0;
std::string first_failure;

struct ITest : gc_interface {
  virtual int p_Id() = 0;
};

// Small node (48 bytes, recycled through the size caches): a canary checked on every visit.
struct TLeaf : Object, virtual ITest {
  std::uint64_t canary;
  int id;
  explicit TLeaf(int i) : canary(CANARY ^ i), id(i) {}
  ~TLeaf() override {
    Check("destroyed twice or corrupt");
    canary = DEAD;
    alive[id] = 0;
    ++destructions;
  }
  int p_Id() override { return id; }
  void Check(const char* what) {
    if (canary != (CANARY ^ static_cast<std::uint64_t>(id))) {
      if (++canary_failures == 1) first_failure = what;
    }
  }
  void mark() override {
    Check("marked a dead object");
    Object::mark();
  }
};

// Large node with every kind of reference field.
struct TNode : TLeaf {
  TLeaf* m_a = nullptr;
  TLeaf* m_b = nullptr;
  ITest* m_i = nullptr;
  Array<TLeaf*> m_arr;
  String m_s;
  explicit TNode(int i) : TLeaf(i) {}
  void mark() override {
    TLeaf::mark();
    gc_mark_q(m_a);
    gc_mark_q(m_b);
    gc_mark_q(m_i);
    gc_mark_q(m_arr);
  }
};

constexpr int ROOTS = 8;
TLeaf* roots[ROOTS];
void MarkRoots() {
  for (TLeaf* r : roots) gc_mark_q(r);
}

struct NodeModel {
  TLeaf* ptr;
  bool big;
  int a = NONE, b = NONE, i = NONE, arr = NONE;  // node ids, array id
  int unreachable_since = NONE;                  // gc_sweep_count when first seen unreachable
};
struct ArrayModel {
  Array<TLeaf*> handle;  // not a root: the collector does not see the test's handles
  std::vector<int> elems;
};

class Stress {
 public:
  explicit Stress(unsigned seed) : rng(seed) {}

  void Run(int steps) {
    gc_register_roots(GC_ROOTS_GAME, MarkRoots);
    for (TLeaf*& r : roots) r = nullptr;
    for (int& r : root_ids) r = NONE;
    delegate = NewNode(true);
    for (int step = 0; step < steps && !::testing::Test::HasFailure(); ++step) {
      int batch = 1 + Rand(8);
      for (int k = 0; k < batch; ++k) Mutate();
      ComputeReachable();
      Step();
      Verify(step);
    }
    Finish();
    gc_unregister_roots(MarkRoots);
    for (TLeaf*& r : roots) r = nullptr;
  }

 private:
  int Rand(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

  int NewNode(bool big) {
    int id = static_cast<int>(nodes.size());
    alive.push_back(1);
    TLeaf* p = big ? new TNode(id) : new TLeaf(id);
    nodes.push_back(NodeModel{p, big});
    pickable.push_back(id);
    return id;
  }
  // A node the mutator may hold: reachable at the last step, or allocated since.
  int Pick() { return pickable.empty() ? NONE : pickable[Rand(static_cast<int>(pickable.size()))]; }
  int PickBig() {
    for (int tries = 0; tries < 8; ++tries) {
      int id = Pick();
      if (id != NONE && nodes[id].big) return id;
    }
    return NONE;
  }
  int PickOrNull() { return Rand(5) == 0 ? NONE : Pick(); }
  TLeaf* Ptr(int id) { return id == NONE ? nullptr : nodes[id].ptr; }
  TNode* Big(int id) { return static_cast<TNode*>(nodes[id].ptr); }

  void Mutate() {
    int op = Rand(100);
    bool crowded = reachable_count > 3000;
    if (op < 30 && !crowded) {  // allocate and attach somewhere (or nowhere: instant garbage)
      int id = NewNode(Rand(3) != 0);
      if (Rand(6) != 0) Attach(id);
    } else if (op < 55) {  // rewire a field to another held node
      Attach(PickOrNull());
    } else if (op < 70 || crowded) {  // drop a reference
      if (Rand(3) == 0) {
        int r = Rand(ROOTS);
        gc_assign(roots[r], nullptr);
        root_ids[r] = NONE;
      } else {
        int h = PickBig();
        if (h != NONE) SetSlot(h, Rand(3), NONE);
      }
    } else if (op < 82) {  // a new array, filled while local, then stored
      int h = PickBig();
      if (h == NONE) return;
      int len = Rand(6);
      int aid = static_cast<int>(arrays.size());
      arrays.push_back(ArrayModel{Array<TLeaf*>(len), std::vector<int>(len, NONE)});
      for (int k = 0; k < len; ++k) {
        int e = PickOrNull();
        arrays[aid].handle[k] = Ptr(e);
        arrays[aid].elems[k] = e;
      }
      gc_assign(Big(h)->m_arr, arrays[aid].handle);
      nodes[h].arr = len > 0 ? aid : NONE;
    } else if (op < 92) {  // an element store into an array that a held node has
      int h = PickBig();
      if (h == NONE || nodes[h].arr == NONE) return;
      ArrayModel& am = arrays[nodes[h].arr];
      int k = Rand(static_cast<int>(am.elems.size()));
      int e = PickOrNull();
      gc_assign(Big(h)->m_arr[k], Ptr(e));
      am.elems[k] = e;
    } else if (op < 96) {  // share another node's array
      int h = PickBig(), g = PickBig();
      if (h == NONE || g == NONE) return;
      gc_assign(Big(h)->m_arr, Big(g)->m_arr);
      nodes[h].arr = nodes[g].arr;
    } else {  // strings are reference counted, never marked
      int h = PickBig();
      if (h != NONE) Big(h)->m_s = String(h);
    }
  }

  void Attach(int id) {
    if (Rand(4) == 0) {
      int r = Rand(ROOTS);
      gc_assign(roots[r], Ptr(id));
      root_ids[r] = id;
    } else {
      int h = PickBig();
      if (h != NONE) SetSlot(h, Rand(3), id);
    }
  }

  void SetSlot(int h, int slot, int id) {
    TNode* n = Big(h);
    if (slot == 0) {
      gc_assign(n->m_a, Ptr(id));
      nodes[h].a = id;
    } else if (slot == 1) {
      gc_assign(n->m_b, Ptr(id));
      nodes[h].b = id;
    } else {
      gc_assign(n->m_i, static_cast<ITest*>(Ptr(id)));
      nodes[h].i = id;
    }
  }

  void ComputeReachable() {
    reachable.assign(nodes.size(), 0);
    std::vector<int> work;
    auto visit = [&](int id) {
      if (id != NONE && !reachable[id]) {
        reachable[id] = 1;
        work.push_back(id);
      }
    };
    for (int r : root_ids) visit(r);
    visit(delegate);
    while (!work.empty()) {
      const NodeModel& n = nodes[work.back()];
      work.pop_back();
      visit(n.a);
      visit(n.b);
      visit(n.i);
      if (n.arr != NONE) {
        for (int e : arrays[n.arr].elems) visit(e);
      }
    }
    pickable.clear();
    reachable_count = 0;
    for (std::size_t id = 0; id < nodes.size(); ++id) {
      if (reachable[id]) {
        pickable.push_back(static_cast<int>(id));
        ++reachable_count;
      } else if (nodes[id].unreachable_since == NONE) {
        nodes[id].unreachable_since = gc_sweep_count;
      }
    }
  }

  // The host's step: the delegate by the immediate mark, then a collector step; sometimes outside
  // bytes force a full collection, sometimes a complete cycle.
  void Step() {
    gc_mark(Ptr(delegate));
    int kind = Rand(100);
    if (kind < 3) {
      gc_collect_all();
    } else {
      if (kind < 10) gc_ext_malloced(Rand(GC_FULL_THRESHOLD / 2));
      gc_collect();
    }
  }

  void Verify(int step) {
    const char* heap = gc_check_heap();
    ASSERT_STREQ(heap, "") << "step " << step;
    ASSERT_EQ(canary_failures, 0) << first_failure << " at step " << step;
    std::unordered_set<gc_object*> garbage;
    bool garbage_listed = false;
    for (std::size_t id = 0; id < nodes.size(); ++id) {
      const NodeModel& n = nodes[id];
      if (reachable[id]) {
        ASSERT_TRUE(alive[id]) << "reachable node " << id << " destroyed at step " << step;
        n.ptr->Check("reachable node corrupt");
        if (n.big) {
          TNode* p = Big(static_cast<int>(id));
          ASSERT_EQ(p->m_a, Ptr(n.a));
          ASSERT_EQ(p->m_b, Ptr(n.b));
          ASSERT_EQ(p->m_i, static_cast<ITest*>(Ptr(n.i)));
          if (n.i != NONE) {
            ASSERT_EQ(p->m_i->p_Id(), n.i);
          }
          if (n.arr != NONE) {
            const ArrayModel& am = arrays[n.arr];
            ASSERT_EQ(p->m_arr.GetRep(), am.handle.GetRep());
            for (std::size_t k = 0; k < am.elems.size(); ++k) ASSERT_EQ(p->m_arr[k], Ptr(am.elems[k]));
          }
        }
      } else if (alive[id] && gc_sweep_count - n.unreachable_since >= 2) {
        if (!garbage_listed) {
          for (gc_object* q = gc_free_list.succ; q != &gc_free_list; q = q->succ) garbage.insert(q);
          garbage_listed = true;
        }
        ASSERT_TRUE(garbage.count(n.ptr)) << "node " << id << " still not found as garbage after two sweeps";
      }
    }
    ASSERT_EQ(canary_failures, 0) << first_failure << " at step " << step;
  }

  // Everything unrooted goes, and one allocation at least as large as the pending garbage destroys
  // all of it: every unreachable node has then run its destructor exactly once.
  void Finish() {
    for (int& r : root_ids) r = NONE;
    for (TLeaf*& r : roots) gc_assign(r, nullptr);
    delegate = NONE;
    ComputeReachable();
    gc_collect_all();
    gc_collect_all();
    ASSERT_STREQ(gc_check_heap(), "");
    { Array<char> drain(gc_free_bytes > 0 ? gc_free_bytes : 1); }
    EXPECT_EQ(gc_free_bytes, 0);
    int dead = 0;
    for (std::size_t id = 0; id < nodes.size(); ++id) dead += alive[id] ? 0 : 1;
    EXPECT_EQ(dead, static_cast<int>(nodes.size()));
    EXPECT_EQ(destructions, static_cast<int>(nodes.size()) + destructions_before);
    EXPECT_EQ(canary_failures, 0) << first_failure;
    std::printf("stress: %zu nodes, %zu arrays, %d sweeps\n", nodes.size(), arrays.size(), gc_sweep_count);
  }

  std::mt19937 rng;
  std::vector<NodeModel> nodes;
  std::vector<ArrayModel> arrays;
  std::vector<char> reachable;
  std::vector<int> pickable;
  int reachable_count = 0;
  int root_ids[ROOTS];
  int delegate = NONE;
  int destructions_before = destructions;
};

TEST(CollectorStress, RandomMutatorWithFixedSeed) {
  alive.clear();
  destructions = 0;
  Stress(20240611).Run(20000);
}

TEST(CollectorStress, SecondSeed) {
  alive.clear();
  destructions = 0;
  Stress(7).Run(8000);
}

}  // namespace
