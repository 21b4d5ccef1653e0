// Containers: stack growth and NIL slots, string joins, interface stacks, and the
// red-black map: the specified three-key shape and the invariants after random insertions, with
// collector steps and the heap checker between insertions.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "runtime/runtime.h"

namespace {

struct Mode : Object {
  int m_id = 0;
};

struct ISource : gc_interface {
  virtual int p_Update() = 0;
};
struct Source : Object, virtual ISource {
  int p_Update() override { return 1; }
};

// Keeps the test's containers alive across collector steps.
Object* root = nullptr;
void MarkRoot() { gc_mark_q(root); }

class Containers : public ::testing::Test {
 protected:
  void SetUp() override { gc_register_roots(GC_ROOTS_GAME, MarkRoot); }
  void TearDown() override {
    EXPECT_STREQ(gc_check_heap(), "");
    root = nullptr;
    gc_unregister_roots(MarkRoot);
  }
};

TEST_F(Containers, StackGrowsTo10Then30) {
  c_Stack<Mode>* stack = (new c_Stack<Mode>)->m_new();
  gc_assign(root, static_cast<Object*>(stack));
  EXPECT_EQ(stack->m_data.GetRep(), &Array<Mode*>::nullRep);
  std::vector<int> capacities;
  for (int i = 0; i < 11; ++i) {
    stack->p_Push(new Mode);
    capacities.push_back(stack->m_data.Length());
  }
  EXPECT_EQ(capacities, (std::vector<int>{10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 30}));
  EXPECT_EQ(stack->p_ToArray().Length(), 11);
  EXPECT_EQ(stack->m_data[11], nullptr);
  EXPECT_EQ((new c_Stack<Mode>)->m_new()->p_ToArray().GetRep(), &Array<Mode*>::nullRep);
}

TEST_F(Containers, StackPushRanges) {
  Array<Mode*> modes(4);
  for (int i = 0; i < 4; ++i) {
    modes[i] = new Mode;
    modes[i]->m_id = i;
  }
  c_Stack<Mode>* stack = (new c_Stack<Mode>)->m_new2(modes);
  EXPECT_NE(stack->m_data.GetRep(), modes.GetRep());  // a copy
  stack->p_Push2(modes, 1, 2);
  stack->p_Push3(modes, 3);
  stack->p_Push3(modes, 9);  // nothing
  Array<Mode*> all = stack->p_ToArray();
  std::vector<int> ids;
  for (int i = 0; i < all.Length(); ++i) ids.push_back(all[i]->m_id);
  EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 3, 1, 2, 3}));
}

TEST_F(Containers, StringStackLengthExposesEmptyStrings) {
  c_StringStack* stack = (new c_StringStack)->m_new2();
  for (const char* s : {"a", "b", "c", "d", "e"}) stack->p_Push4(String(s));
  stack->p_Length(2);
  for (int i = 2; i < 5; ++i) EXPECT_EQ(stack->m_data[i].GetRep(), &String::nullRep);
  stack->p_Length(5);
  EXPECT_EQ(stack->p_Length2(), 5);
  EXPECT_EQ(stack->p_Get(1).ToUtf8(), "b");
  EXPECT_EQ(stack->p_Get(4).GetRep(), &String::nullRep);
  stack->p_Length(40);  // beyond the capacity of 10: max(5 * 2 + 10, 40)
  EXPECT_EQ(stack->m_data.Length(), 40);
  stack->p_Clear();
  EXPECT_EQ(stack->p_Length2(), 0);
  EXPECT_EQ(stack->m_data[0].GetRep(), &String::nullRep);
}

TEST_F(Containers, StringStackJoin) {
  c_StringStack* stack = (new c_StringStack)->m_new2();
  EXPECT_EQ(stack->p_Join(String(",")).GetRep(), &String::nullRep);
  String x("x");
  stack->p_Push4(x);
  EXPECT_EQ(stack->p_Join(String(",")).GetRep(), x.GetRep());
  stack->p_Push4(String("y"));
  EXPECT_EQ(stack->p_Join(String(", ")).ToUtf8(), "x, y");
  Array<String> lines = String("GET / HTTP/1.0|Host: h").Split(String("|"));
  EXPECT_EQ((new c_StringStack)->m_new(lines)->p_Join(String("\r\n")).ToUtf8(), "GET / HTTP/1.0\r\nHost: h");
}

TEST_F(Containers, InterfaceStack) {
  c_Stack3<ISource>* stack = (new c_Stack3<ISource>)->m_new();
  gc_assign(root, static_cast<Object*>(stack));
  Source* a = new Source;
  Source* b = new Source;
  stack->p_Push7(a);
  EXPECT_TRUE(stack->p_Contains2(a));
  EXPECT_FALSE(stack->p_Contains2(b));
  EXPECT_EQ(stack->p_Length2(), 1);
  EXPECT_EQ(stack->p_Get(0)->p_Update(), 1);
  gc_collect_all();
  gc_collect_all();
  EXPECT_EQ(stack->p_Get(0), static_cast<ISource*>(a));
  EXPECT_EQ(stack->p_Get(0)->p_Update(), 1);
  stack->p_Length(0);
  EXPECT_EQ(stack->m_data[0], nullptr);
  EXPECT_EQ(c_Stack3<ISource>::m_NIL, nullptr);
}

TEST_F(Containers, MapOfThreeKeys) {
  c_IntMap<Mode>* map = (new c_IntMap<Mode>)->m_new();
  for (int k : {1, 2, 3}) EXPECT_TRUE(map->p_Set(k, new Mode));
  c_Node<Mode>* r = map->m_root;
  EXPECT_EQ(r->m_key, 2);
  EXPECT_EQ(r->m_color, OX_MAP_BLACK);
  EXPECT_EQ(r->m_left->m_key, 1);
  EXPECT_EQ(r->m_left->m_color, OX_MAP_RED);
  EXPECT_EQ(r->m_right->m_key, 3);
  EXPECT_EQ(r->m_right->m_color, OX_MAP_RED);
}

TEST_F(Containers, MapSetOnAnExistingKeyReplacesTheValueOnly) {
  c_IntMap<Mode>* map = (new c_IntMap<Mode>)->m_new();
  Mode* first = new Mode;
  Mode* second = new Mode;
  EXPECT_TRUE(map->p_Insert(5, first));
  EXPECT_EQ(map->m_root->m_color, OX_MAP_RED);  // a lone root stays red until a fixup
  c_Node<Mode>* node = map->p_FindNode(5);
  EXPECT_FALSE(map->p_Set(5, second));
  EXPECT_EQ(map->p_FindNode(5), node);
  EXPECT_EQ(node->m_value, second);
  EXPECT_TRUE(map->p_Contains(5));
  EXPECT_FALSE(map->p_Contains(6));
}

// Checks order, parent links and colours below node; returns the black height (-1 when broken).
int CheckTree(c_Node<Mode>* node, c_Node<Mode>* parent, long lo, long hi, std::vector<int>& keys) {
  if (!node) return 1;
  if (node->m_parent != parent) return -1;
  if (node->m_key <= lo || node->m_key >= hi) return -1;
  if (node->m_color != OX_MAP_RED && node->m_color != OX_MAP_BLACK) return -1;
  if (node->m_color == OX_MAP_RED) {
    for (c_Node<Mode>* child : {node->m_left, node->m_right}) {
      if (child && child->m_color == OX_MAP_RED) return -1;
    }
  }
  int left = CheckTree(node->m_left, node, lo, node->m_key, keys);
  keys.push_back(node->m_key);
  int right = CheckTree(node->m_right, node, node->m_key, hi, keys);
  if (left < 0 || right < 0 || left != right) return -1;
  return left + (node->m_color == OX_MAP_BLACK ? 1 : 0);
}

TEST_F(Containers, RedBlackInvariantsAfterRandomInsertions) {
  for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
    std::mt19937 rng(seed);
    c_IntMap<Mode>* map = (new c_IntMap<Mode>)->m_new();
    gc_assign(root, static_cast<Object*>(map));
    gc_collect_all();
    std::set<int> expected;
    int range = seed == 1 ? 20 : 5000;  // seed 1: many repeated keys
    for (int i = 0; i < 1500; ++i) {
      int key = static_cast<int>(rng() % range) - range / 2;
      Mode* value = new Mode;
      value->m_id = i;
      EXPECT_EQ(map->p_Set(key, value), expected.insert(key).second);
      EXPECT_EQ(map->p_Get(key), value);
      if (i % 7 == 0) {
        gc_collect();
        ASSERT_STREQ(gc_check_heap(), "") << "seed " << seed << " insertion " << i;
      }
      if (i % 97 == 0) gc_collect_all();
    }
    ASSERT_EQ(map->m_root->m_color, OX_MAP_BLACK);
    std::vector<int> keys;
    ASSERT_GT(CheckTree(map->m_root, nullptr, -(1L << 40), 1L << 40, keys), 0) << "seed " << seed;
    EXPECT_EQ(keys, std::vector<int>(expected.begin(), expected.end()));
  }
}

}  // namespace
