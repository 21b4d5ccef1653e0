// Arrays: the static empty rep, default elements, handle semantics, element marking.
#include <gtest/gtest.h>

#include "runtime/runtime.h"

namespace {

struct Leaf : Object {};

TEST(Array, EmptyArraysShareTheStaticRep) {
  EXPECT_EQ(Array<int>().GetRep(), &Array<int>::nullRep);
  EXPECT_EQ(Array<int>(0).GetRep(), &Array<int>::nullRep);
  EXPECT_EQ(Array<int>::nullRep.flags, 3);
  EXPECT_EQ(Array<String>::nullRep.flags, 3);
  EXPECT_EQ(Array<Leaf*>::nullRep.flags, 3);
  EXPECT_EQ(Array<Leaf*>().Length(), 0);
}

TEST(Array, NewElementsAreDefault) {
  Array<int> ints(5);
  Array<float> floats(3);
  Array<bool> bools(2);
  Array<String> strings(4);
  Array<Leaf*> refs(3);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ints[i], 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(floats[i], 0.0f);
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(bools[i]);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(strings[i].GetRep(), &String::nullRep);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(refs[i], nullptr);
  EXPECT_EQ(ints.GetRep()->gc_size(), 56);  // 32-byte header plus 5 ints, rounded up to 8
}

TEST(Array, HandlesShareElements) {
  Array<int> a(3);
  Array<int> b = a;
  b[1] = 7;
  EXPECT_EQ(a[1], 7);
}

TEST(Array, StaticEmptyArrayPassesMarkingUntouched) {
  for (int bit = 0; bit < 2; ++bit) {
    gc_markbit ^= 1;
    gc_mark_q(Array<int>());
    gc_mark(Array<int>());
    Array<int> field;
    gc_assign(field, Array<int>());
    EXPECT_EQ(Array<int>::nullRep.flags, 3);
    EXPECT_EQ(Array<int>::nullRep.succ, nullptr);
  }
}

}  // namespace
