// The dbg_ formatters and the start-up hooks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace {

std::string U8(const String& s) { return s.ToUtf8(); }

TEST(DebugFormat, TypesAndValues) {
  bool b = true;
  int i = -7;
  float f = 3.0f;
  String s("hi");
  EXPECT_EQ(U8(dbg_type(&b)), "Bool");
  EXPECT_EQ(U8(dbg_type(&i)), "Int");
  EXPECT_EQ(U8(dbg_type(&f)), "Float");
  EXPECT_EQ(U8(dbg_type(&s)), "String");
  EXPECT_EQ(U8(dbg_value(&b)), "True");
  b = false;
  EXPECT_EQ(U8(dbg_value(&b)), "False");
  EXPECT_EQ(U8(dbg_value(&i)), "-7");
  EXPECT_EQ(U8(dbg_value(&f)), "3.0");
}

TEST(DebugFormat, StringValues) {
  struct Case { std::string in, out; } cases[] = {
      {"hi", "\"hi\""},
      {"a\"b\tc\nd\re", "\"a~qb~tc~nd~re\""},
      {"", "\"\""},
      {std::string(100, 'x'), "\"" + std::string(100, 'x') + "\""},
      {std::string(101, 'x'), "\"" + std::string(100, 'x') + "...\""},
  };
  for (const Case& c : cases) {
    String s(c.in.c_str());
    EXPECT_EQ(U8(dbg_value(&s)), c.out) << c.in;
  }
}

TEST(DebugFormat, PointerValuesHaveNoPrefix) {
  Object* obj = new Object;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%p", static_cast<void*>(obj));
  ASSERT_EQ(std::string(buf, 2), "0x");
  EXPECT_EQ(U8(dbg_value(&obj)), std::string(buf + 2));
}

std::vector<std::string> calls;

// Runs in a forked child: the start-up empties the collector's lists, as at a real program start.
void RunStartup() {
  static Object* global = nullptr;
  ox_register_init(OX_LAYER_GAME, [] { calls.push_back("game init"); return 0; });
  ox_register_init(OX_LAYER_FRAMEWORK, [] {
    calls.push_back("framework init");
    gc_assign(global, new Object);
    return 0;
  });
  gc_register_roots(GC_ROOTS_FRAMEWORK, [] { calls.push_back("roots"); gc_mark_q(global); });
  ox_set_main([] { calls.push_back("main"); return 0; });
  char arg0[] = "prog";
  char* argv[] = {arg0, nullptr};
  gc_alloced_bytes = gc_marked_bytes = gc_free_bytes = 0;  // as in a fresh process: nothing yet
  bool ok = ox_std_main(1, argv) == 0;
  ok = ok && calls == std::vector<std::string>{"framework init", "game init", "roots", "main"};
  ok = ok && ox_argc == 1 && ox_argv == argv;
  ok = ok && (global->flags & 3) != gc_markbit;  // queued by the root marking
  std::string heap = gc_check_heap();
  if (!ok || !heap.empty()) {
    std::fprintf(stderr, "calls:");
    for (const std::string& c : calls) std::fprintf(stderr, " %s,", c.c_str());
    std::fprintf(stderr, " heap: %s\n", heap.c_str());
    std::exit(1);
  }
  std::exit(0);
}

TEST(Startup, InitialisersRunInLayerOrderThenRootsThenMain) {
  EXPECT_EXIT(RunStartup(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
