// Strings: construction texts, the sharing rules (compared by rep pointer), operations
// and their corner cases, and every String::Load encoding case.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "runtime/runtime.h"

namespace {

// The UTF-8 form, for readable expectations.
std::string U8(const String& s) { return s.ToUtf8(); }

String S(const char* ascii) { return String(ascii); }

TEST(String, EmptyStringsShareNullRep) {
  const String::Rep* null = &String::nullRep;
  EXPECT_EQ(String().GetRep(), null);
  EXPECT_EQ(String(u"", 0).GetRep(), null);
  EXPECT_EQ(String("").GetRep(), null);
  EXPECT_EQ(S("abc").Slice(2, 2).GetRep(), null);
  EXPECT_EQ(S("abc").Slice(3).GetRep(), null);
  EXPECT_EQ(S("").ToUpper().GetRep(), null);
  EXPECT_EQ(S(",").Join(Array<String>()).GetRep(), null);
  EXPECT_EQ(S("aa").Replace(S("a"), S("")).GetRep(), null);
  EXPECT_EQ((String() + String()).GetRep(), null);
  EXPECT_EQ(S("a,,b").Split(S(","))[1].GetRep(), null);
  EXPECT_EQ(String::Load(nullptr, 0).GetRep(), null);
}

TEST(String, CopiesCountReferences) {
  String a = S("hello");
  EXPECT_EQ(a.GetRep()->refs, 1);
  {
    String b = a;
    EXPECT_EQ(b.GetRep(), a.GetRep());
    EXPECT_EQ(a.GetRep()->refs, 2);
  }
  EXPECT_EQ(a.GetRep()->refs, 1);
}

TEST(String, NumberTexts) {
  struct Case { float f; const char* text; } cases[] = {
      {3.0f, "3.0"}, {0.5f, "0.5"}, {0.1f, "0.10000000149011612"}, {-2.0f, "-2.0"},
      {100.0f, "100.0"}, {1e20f, "1.0000000200408773e+20"}, {0.0f, "0.0"},
  };
  for (const Case& c : cases) EXPECT_EQ(U8(String(c.f)), c.text) << c.text;
  EXPECT_EQ(U8(String(-7)), "-7");
  EXPECT_EQ(U8(String(0)), "0");
}

TEST(String, EightBitTextIsSignExtended) {
  String s("A\xE9");
  ASSERT_EQ(s.Length(), 2);
  EXPECT_EQ(s[1], 0xFFE9);
}

TEST(String, ConcatenationSharesAnEmptySide) {
  String a = S("ab");
  EXPECT_EQ((a + String()).GetRep(), a.GetRep());
  EXPECT_EQ((String() + a).GetRep(), a.GetRep());
  EXPECT_EQ(U8(a + S("cd")), "abcd");
}

TEST(String, Find) {
  struct Case { const char* s; const char* sub; int start; int at; } cases[] = {
      {"abcabc", "bc", 0, 1}, {"abcabc", "bc", 2, 4}, {"abcabc", "bc", 5, -1},
      {"abc", "", -5, 0}, {"abc", "", 3, 3}, {"abc", "", 4, -1}, {"abc", "abcd", 0, -1},
      {"abc", "a", -1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(S(c.s).Find(S(c.sub), c.start), c.at) << c.s << " " << c.sub;
}

TEST(String, Slice) {
  struct Case { const char* s; int from, term; const char* out; } cases[] = {
      {"abcdef", -3, -1, "de"}, {"abcdef", 4, 2, ""}, {"abc", 0, 99, "abc"}, {"abc", -99, 2, "ab"},
      {"abc", 1, 99, "bc"}, {"abc", 0, -4, ""}, {"abc", 3, 3, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(U8(S(c.s).Slice(c.from, c.term)), c.out) << c.s;
  String abc = S("abc");
  EXPECT_EQ(abc.Slice(0, 99).GetRep(), abc.GetRep());
  EXPECT_EQ(abc.Slice(-3).GetRep(), abc.GetRep());
  EXPECT_NE(abc.Slice(1).GetRep(), abc.GetRep());
}

std::vector<std::string> Pieces(const Array<String>& a) {
  std::vector<std::string> out;
  for (int i = 0; i < a.Length(); ++i) out.push_back(U8(a[i]));
  return out;
}

TEST(String, Split) {
  typedef std::vector<std::string> V;
  struct Case { const char* s; const char* sep; V out; } cases[] = {
      {"a,b,,c", ",", V{"a", "b", "", "c"}},
      {"abc", ",", V{"abc"}},
      {"", ",", V{""}},
      {"abc", "", V{"a", "b", "c"}},
      {"", "", V{}},
      {",a,", ",", V{"", "a", ""}},
      {"aaa", "aa", V{"", "a"}},
      {"a::b", "::", V{"a", "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Pieces(S(c.s).Split(S(c.sep))), c.out) << c.s;
  String abc = S("abc");
  EXPECT_EQ(abc.Split(S(","))[0].GetRep(), abc.GetRep());
  EXPECT_EQ(S("").Split(S("")).GetRep(), &Array<String>::nullRep);
}

TEST(String, Join) {
  Array<String> one(1);
  one[0] = S("x");
  EXPECT_EQ(S(",").Join(one).GetRep(), one[0].GetRep());
  EXPECT_EQ(S(",").Join(Array<String>()).GetRep(), &String::nullRep);
  Array<String> three(3);
  three[0] = S("a");
  three[2] = S("c");
  EXPECT_EQ(U8(S(", ").Join(three)), "a, , c");
  EXPECT_EQ(U8(String().Join(three)), "ac");
}

TEST(String, Replace) {
  struct Case { const char* s; const char* find; const char* rep; const char* out; } cases[] = {
      {"aaa", "aa", "b", "ba"}, {"abcabc", "b", "XY", "aXYcaXYc"}, {"abc", "abc", "", ""},
      {"abc", "z", "y", "abc"}, {"~q~q", "~q", "\"", "\"\""},
  };
  for (const Case& c : cases) EXPECT_EQ(U8(S(c.s).Replace(S(c.find), S(c.rep))), c.out) << c.s;
  String abc = S("abc");
  EXPECT_EQ(abc.Replace(S("z"), S("y")).GetRep(), abc.GetRep());
  EXPECT_EQ(abc.Replace(String(), S("y")).GetRep(), abc.GetRep());  // empty find: the receiver
}

// A chain of `+` extends its own temporary in place; nothing that shares a rep may see it change.
TEST(String, ConcatenationChainsLeaveSharedTextsAlone) {
  String a = S("ab"), c = S("c"), d = S("def");
  EXPECT_EQ(U8(a + c + d + a + String() + c), "abcdefabc");
  EXPECT_EQ(U8(String() + a + c), "abc");
  EXPECT_EQ((String(a) + String()).GetRep(), a.GetRep());  // empty right side of a temporary
  EXPECT_EQ((String() + a).GetRep(), a.GetRep());          // empty temporary on the left

  String grown = a + c + d;     // a temporary that grew: it has room for more
  String kept = grown;          // now shared
  String longer = std::move(grown) + S("g");
  EXPECT_EQ(U8(kept), "abcdef");
  EXPECT_EQ(U8(longer), "abcdefg");
  EXPECT_NE(longer.GetRep(), kept.GetRep());

  // Each step of a growing line shares its rep with a snapshot, then grows alone.
  String line;
  std::string expect;
  std::vector<std::pair<String, std::string>> snapshots;
  for (int i = 0; i < 40; ++i) {
    String piece = String(i);
    line += piece;
    expect += std::to_string(i);
    if (i % 3 == 0) snapshots.emplace_back(line, expect);
  }
  EXPECT_EQ(U8(line), expect);
  for (const auto& snap : snapshots) EXPECT_EQ(U8(snap.first), snap.second);

  for (int grow = 0; grow < 3; ++grow) {  // appending a text to itself, with and without room
    String self = S("xy") + S("z");
    for (int i = 0; i < grow; ++i) self += S("w");
    String before = self;
    before += before;
    self = std::move(self) + self;
    EXPECT_EQ(self, before);
    EXPECT_EQ(self.Length(), 2 * (3 + grow));
  }
}

// Find, Split and Replace against plain reference searches on many generated texts: short and long
// texts, matches at every position, near misses, and units that share a byte with the separator.
std::u16string Units16(const String& s) { return std::u16string(s.Data(), s.Length()); }

int FindReference(const std::u16string& s, const std::u16string& sub, int start) {
  if (start < 0) start = 0;
  for (int i = start; i + static_cast<int>(sub.size()) <= static_cast<int>(s.size()); ++i) {
    if (s.compare(i, sub.size(), sub) == 0) return i;
  }
  return -1;
}

std::vector<std::u16string> SplitReference(const std::u16string& s, const std::u16string& sep) {
  std::vector<std::u16string> out;
  std::size_t start = 0;
  const int n = static_cast<int>(sep.size());
  for (int at = FindReference(s, sep, 0); at != -1; at = FindReference(s, sep, at + n)) {
    out.push_back(s.substr(start, at - start));
    start = at + sep.size();
  }
  out.push_back(s.substr(start));
  return out;
}

std::u16string ReplaceReference(const std::u16string& s, const std::u16string& find,
                                const std::u16string& with) {
  std::u16string out;
  std::size_t start = 0;
  const int n = static_cast<int>(find.size());
  for (int at = FindReference(s, find, 0); at != -1; at = FindReference(s, find, at + n)) {
    out += s.substr(start, at - start) + with;
    start = at + find.size();
  }
  return out + s.substr(start);
}

TEST(String, SearchesAgreeWithReference) {
  // ',' is 0x002C; 0x2C2C, 0x2C00 and 0x012C each share a byte with it.
  const char16_t alphabet[] = {u',', u'a', u'b', 0x2C2C, 0x2C00, 0x012C, 0xFFFF};
  constexpr int kAlphabet = sizeof(alphabet) / sizeof(alphabet[0]);
  std::uint32_t rng = 12345;
  auto next = [&rng]() { return rng = rng * 1103515245u + 12345u, static_cast<int>(rng >> 16); };
  auto text = [&](int length, int kinds) {
    std::u16string out;
    for (int i = 0; i < length; ++i) out += alphabet[next() % kinds];
    return out;
  };
  for (int round = 0; round < 600; ++round) {
    int kinds = 2 + round % (kAlphabet - 1);
    std::u16string s = text(next() % 70, kinds);
    std::u16string sub = text(1 + next() % 3, kinds);
    std::u16string with = text(next() % 12, kinds);
    String ss(s.data(), static_cast<int>(s.size())), sb(sub.data(), static_cast<int>(sub.size()));
    String sw(with.data(), static_cast<int>(with.size()));
    for (int start = -1; start <= static_cast<int>(s.size()) + 1; ++start) {
      ASSERT_EQ(ss.Find(sb, start), FindReference(s, sub, start)) << "round " << round << " start " << start;
    }
    Array<String> pieces = ss.Split(sb);
    std::vector<std::u16string> got;
    for (int i = 0; i < pieces.Length(); ++i) got.push_back(Units16(pieces[i]));
    ASSERT_EQ(got, SplitReference(s, sub)) << "round " << round;
    ASSERT_EQ(Units16(ss.Replace(sb, sw)), ReplaceReference(s, sub, with)) << "round " << round;
    ASSERT_EQ(Units16(sb.Join(pieces)), s) << "round " << round;
  }
}

// More matches than Split and Replace keep at hand without the heap.
TEST(String, ManyMatches) {
  constexpr int kFields = 1000;
  std::string text;
  for (int i = 0; i < kFields; ++i) text += std::to_string(i % 10) + ",";
  Array<String> fields = S(text.c_str()).Split(S(","));
  ASSERT_EQ(fields.Length(), kFields + 1);
  for (int i = 0; i < kFields; ++i) ASSERT_EQ(fields[i].ToInt(), i % 10) << i;
  EXPECT_EQ(fields[kFields].GetRep(), &String::nullRep);
  String replaced = S(text.c_str()).Replace(S(","), S("~~"));
  EXPECT_EQ(replaced.Length(), 3 * kFields);
  EXPECT_EQ(replaced.Find(S(",")), -1);
}

TEST(String, CaseMapping) {
  String up = S("HELLO 1");
  EXPECT_EQ(up.ToUpper().GetRep(), up.GetRep());
  EXPECT_EQ(U8(up.ToLower()), "hello 1");
  String low = S("http/1.0 200");
  EXPECT_EQ(low.ToLower().GetRep(), low.GetRep());
  EXPECT_EQ(U8(low.ToUpper()), "HTTP/1.0 200");
  EXPECT_EQ(U8(S("ABC def").ToUpper()), "ABC DEF");  // unchanged prefix, mapped remainder
  EXPECT_EQ(U8(S("abC").ToLower()), "abc");          // only the last unit changes
}

TEST(String, ToInt) {
  struct Case { std::string s; int v; } cases[] = {
      {" 42abc", 42}, {"abc", 0}, {"-17", -17}, {"+5", 5}, {"", 0},
      {std::string(63, ' ') + "12", 0}, {std::string(62, ' ') + "12", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(S(c.s.c_str()).ToInt(), c.v) << c.s;
}

TEST(String, CString) {
  String s = String(u"A\u0141B");  // U+0141 narrows to its low byte 0x41
  String::CString<char> c = s.ToCString<char>();
  EXPECT_STREQ(c, "AAB");
}

TEST(String, TrimAndCompare) {
  EXPECT_EQ(U8(S(" \tab c\r\n").Trim()), "ab c");
  EXPECT_LT(S("ab").Compare(S("abc")), 0);
  EXPECT_GT(S("b").Compare(S("abc")), 0);
  EXPECT_TRUE(S("abc") == String(u"abc"));
  EXPECT_TRUE(S("HTTP/1.0").StartsWith(S("HTTP/")));
}

std::vector<int> Units(const String& s) {
  std::vector<int> out;
  for (int i = 0; i < s.Length(); ++i) out.push_back(s[i]);
  return out;
}

TEST(String, LoadEncodings) {
  typedef std::vector<unsigned char> B;
  typedef std::vector<int> U;
  struct Case { const char* name; B bytes; U units; } cases[] = {
      {"empty", B{}, U{}},
      {"UTF-8 BOM then A", B{0xEF, 0xBB, 0xBF, 0x41}, U{0x41}},
      {"UTF-8 BOM only", B{0xEF, 0xBB, 0xBF}, U{}},
      {"UTF-16LE", B{0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00}, U{0x41, 0x42}},
      {"UTF-16BE odd byte dropped", B{0xFE, 0xFF, 0x00, 0x41, 0x00}, U{0x41}},
      {"UTF-16BE BOM only", B{0xFE, 0xFF}, U{}},
      {"UTF-16LE high units", B{0xFF, 0xFE, 0xAC, 0x20}, U{0x20AC}},
      {"invalid UTF-8 falls back to bytes", B{0x41, 0xE9, 0x42}, U{0x41, 0xE9, 0x42}},
      {"two-byte UTF-8", B{0x41, 0xC3, 0xA9}, U{0x41, 0xE9}},
      {"three-byte UTF-8", B{0xE2, 0x82, 0xAC}, U{0x20AC}},
      {"truncated three-byte", B{0xE2, 0x82}, U{0xE2, 0x82}},
      {"four-byte lead", B{0xF0, 0x9F, 0x98, 0x80}, U{0xF0, 0x9F, 0x98, 0x80}},
      {"stray continuation", B{0x80}, U{0x80}},
      {"BOM skipped in fallback", B{0xEF, 0xBB, 0xBF, 0xFF}, U{0xFF}},
      {"single byte", B{0x7A}, U{0x7A}},
  };
  for (const Case& c : cases) {
    FILE* fp = std::tmpfile();
    ASSERT_TRUE(fp);
    if (!c.bytes.empty()) std::fwrite(c.bytes.data(), 1, c.bytes.size(), fp);
    std::rewind(fp);
    String s = String::Load(fp);
    std::fclose(fp);
    EXPECT_EQ(Units(s), c.units) << c.name;
    if (c.units.empty()) {
      EXPECT_EQ(s.GetRep(), &String::nullRep) << c.name;
    }
  }
}

TEST(String, LoadReadsPastOneBlock) {
  FILE* fp = std::tmpfile();
  std::string text(4096 * 2 + 5, 'x');
  std::fwrite(text.data(), 1, text.size(), fp);
  std::rewind(fp);
  EXPECT_EQ(String::Load(fp).Length(), static_cast<int>(text.size()));
  std::fclose(fp);
}

}  // namespace
