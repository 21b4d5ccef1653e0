// Data buffers: byte examples, clipping at both ends, overlapping copies, the two text encodings
// with the invalid-UTF-8 fallback, file loading, and the misuse that ends the process.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "net/net.h"
#include "support/net_test_util.h"

using qrtest::CodeUnits;

namespace {

c_DataBuffer* BufferOf(const std::vector<int>& bytes) {
  c_DataBuffer* b = (new c_DataBuffer)->m_new(static_cast<int>(bytes.size()));
  for (size_t i = 0; i < bytes.size(); ++i) b->_data[i] = static_cast<unsigned char>(bytes[i]);
  return b;
}

std::vector<int> BytesOf(c_DataBuffer* b) {
  std::vector<int> out;
  for (int i = 0; i < b->Length(); ++i) out.push_back(b->_data[i]);
  return out;
}

std::vector<int> Elements(const Array<int>& a) { return std::vector<int>(a.Data(), a.Data() + a.Length()); }

String Text(const std::vector<int>& units) {
  std::vector<Char> c(units.begin(), units.end());
  return String(c.data(), static_cast<int>(c.size()));
}

}  // namespace

TEST(DataBufferText, PokeStringWritesClippedBytesAndReturnsFullCount) {
  struct Case {
    const char* name;
    std::vector<int> text;
    const char* encoding;
    int address;
    std::vector<int> expectBytes;  // the 4-byte buffer afterwards, pre-filled with 0
    int expectCount;
  };
  const Case cases[] = {
      {"two-byte utf8", {0xE9}, "utf8", 0, {0xC3, 0xA9, 0, 0}, 2},
      {"two-byte utf8 at the last byte", {0xE9}, "utf8", 3, {0, 0, 0, 0xC3}, 2},
      {"three-byte utf8", {0x20AC}, "utf8", 1, {0, 0xE2, 0x82, 0xAC}, 3},
      {"mixed utf8", {0x41, 0x7FF}, "utf8", 0, {0x41, 0xDF, 0xBF, 0}, 3},
      {"ascii keeps the low byte", {0x41, 0x20AC}, "ascii", 0, {0x41, 0xAC, 0, 0}, 2},
      {"ascii clipped at the end", {0x41, 0x42, 0x43}, "ascii", 2, {0, 0, 0x41, 0x42}, 3},
      {"address past the end writes nothing", {0x41}, "utf8", 4, {0, 0, 0, 0}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c_DataBuffer* b = BufferOf({0, 0, 0, 0});
    EXPECT_EQ(b->p_PokeString(c.address, Text(c.text), String(c.encoding)), c.expectCount);
    EXPECT_EQ(BytesOf(b), c.expectBytes);
  }
}

TEST(DataBufferText, PeekStringDecodesOrFallsBackToSignedBytes) {
  struct Case {
    const char* name;
    std::vector<int> bytes;
    const char* encoding;
    std::vector<int> expect;
  };
  const Case cases[] = {
      {"utf8 two-byte", {0x41, 0xC3, 0xA9}, "utf8", {0x41, 0xE9}},
      {"utf8 three-byte", {0xE2, 0x82, 0xAC, 0x42}, "utf8", {0x20AC, 0x42}},
      {"utf8 lone lead byte falls back", {0x41, 0xE9, 0x42}, "utf8", {0x41, 0xFFE9, 0x42}},
      {"utf8 stray continuation falls back", {0x80, 0x41}, "utf8", {0xFF80, 0x41}},
      {"utf8 four-byte lead falls back", {0xF0, 0x9F, 0x98, 0x80}, "utf8", {0xFFF0, 0xFF9F, 0xFF98, 0xFF80}},
      {"utf8 sequence cut by the end falls back", {0x41, 0xE2, 0x82}, "utf8", {0x41, 0xFFE2, 0xFF82}},
      {"ascii masks to 0..255", {0x41, 0xE9, 0x42}, "ascii", {0x41, 0xE9, 0x42}},
      {"nothing to read", {}, "utf8", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c_DataBuffer* b = BufferOf(c.bytes);
    EXPECT_EQ(CodeUnits(b->p_PeekString2(0, String(c.encoding))), c.expect);
  }
}

TEST(DataBufferText, UnicodeRoundTripsThroughUtf8) {
  std::vector<int> units;
  for (int c : {0x00, 0x7F, 0x80, 0x7FF, 0x800, 0xD800, 0xFFFF}) units.push_back(c);
  String text = Text(units);
  c_DataBuffer* b = (new c_DataBuffer)->m_new(3 * text.Length());
  int n = b->p_PokeString(0, text, String("utf8"));
  EXPECT_EQ(CodeUnits(b->p_PeekString(0, n, String("utf8"))), units);
}

TEST(DataBufferBytes, PeekAndPokeClipToBufferAndArray) {
  c_DataBuffer* b = BufferOf({0xFF, 0x80, 0x7F, 0x01, 0x00, 0x10});
  EXPECT_EQ(Elements(b->p_PeekBytes2(0, 3)), (std::vector<int>{-1, -128, 127}));
  EXPECT_EQ(Elements(b->p_PeekBytes2(4, 10)), (std::vector<int>{0, 16}));  // cut at the buffer's end
  EXPECT_EQ(b->p_PeekBytes2(6, 3).Length(), 0);
  EXPECT_EQ(b->p_PeekBytes2(-1, 3).Length(), 0);  // outside the buffer: nothing, never before it

  // Peek into an array: clipped to the buffer, then to the array from offset.
  Array<int> into(4);
  for (int i = 0; i < 4; ++i) into[i] = 99;
  b->p_PeekBytes(4, into, 1, 5);
  EXPECT_EQ(Elements(into), (std::vector<int>{99, 0, 16, 99}));
  b->p_PeekBytes(0, into, 2, 5);
  EXPECT_EQ(Elements(into), (std::vector<int>{99, 0, -1, -128}));

  // Poke the low byte of each element, clipped the same way.
  Array<int> src(3);
  src[0] = 0x141;
  src[1] = -1;
  src[2] = 7;
  b->p_PokeBytes(4, src, 0, 3);  // only two fit in the buffer
  EXPECT_EQ(BytesOf(b), (std::vector<int>{0xFF, 0x80, 0x7F, 0x01, 0x41, 0xFF}));
  b->p_PokeBytes(0, src, 2, 3);  // only one is left in the array
  EXPECT_EQ(BytesOf(b), (std::vector<int>{7, 0x80, 0x7F, 0x01, 0x41, 0xFF}));
  b->p_PokeBytes(-2, src, 0, 3);  // outside the buffer: nothing
  b->p_PokeBytes(0, src, 0, 0);
  EXPECT_EQ(BytesOf(b), (std::vector<int>{7, 0x80, 0x7F, 0x01, 0x41, 0xFF}));
}

TEST(DataBufferBytes, CopyHandlesOverlapInBothDirectionsAndClips) {
  struct Case {
    const char* name;
    int from, to, count;
    std::vector<int> expect;
  };
  const Case cases[] = {
      {"forward overlap", 0, 2, 4, {1, 2, 1, 2, 3, 4}},
      {"backward overlap", 2, 0, 4, {3, 4, 5, 6, 5, 6}},
      {"clipped at the source end", 4, 0, 10, {5, 6, 3, 4, 5, 6}},
      {"clipped at the destination end", 0, 4, 10, {1, 2, 3, 4, 1, 2}},
      {"nothing to copy", 6, 0, 3, {1, 2, 3, 4, 5, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c_DataBuffer* b = BufferOf({1, 2, 3, 4, 5, 6});
    b->p_CopyBytes(c.from, b, c.to, c.count);
    EXPECT_EQ(BytesOf(b), c.expect);
  }
  c_DataBuffer* a = BufferOf({1, 2, 3});
  c_DataBuffer* d = BufferOf({0, 0});
  a->p_CopyBytes(1, d, 0, 3);
  EXPECT_EQ(BytesOf(d), (std::vector<int>{2, 3}));
}

TEST(DataBufferBlock, NewLoadAndDiscard) {
  c_DataBuffer* b = (new c_DataBuffer)->m_new2();
  EXPECT_EQ(b->Length(), 0);
  EXPECT_TRUE(b->_New(8));
  EXPECT_FALSE(b->_New(4));  // already holds a block
  EXPECT_EQ(b->Length(), 8);
  b->Discard();
  EXPECT_EQ(b->_data, nullptr);
  EXPECT_EQ(b->Length(), 0);
  EXPECT_EQ((new c_DataBuffer)->m_new(0)->Length(), 0);

  std::string path = testing::TempDir() + "databuffer_load.bin";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::vector<unsigned char> bytes(5000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);

  const int extBefore = gc_ext_new_bytes.load();
  c_DataBuffer* loaded = c_DataBuffer::m_Load(String(path.c_str()));
  ASSERT_NE(loaded, nullptr);
  ASSERT_EQ(loaded->Length(), 5000);
  EXPECT_EQ(std::vector<unsigned char>(loaded->_data, loaded->_data + 5000), bytes);
  EXPECT_EQ(gc_ext_new_bytes.load() - extBefore, 5000);  // reported to the collector
  EXPECT_FALSE(loaded->_Load(String(path.c_str())));      // already holds a block
  EXPECT_EQ(c_DataBuffer::m_Load(String((path + ".missing").c_str())), nullptr);
  std::remove(path.c_str());
}

TEST(DataBufferBlock, LoadAsyncHandsTheBufferToTheThread) {
  std::string path = testing::TempDir() + "databuffer_async.bin";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("abc", f);
  std::fclose(f);

  // A thread whose work is one asynchronous load of the path.
  struct LoadThread : c_Thread {
    c_DataBuffer* buffer = nullptr;
    String path;
    void Run__UNSAFE__() override { buffer->_LoadAsync(path, this); }
  };
  for (bool exists : {true, false}) {
    SCOPED_TRACE(exists ? "existing file" : "missing file");
    LoadThread* t = new LoadThread;
    t->buffer = (new c_DataBuffer)->m_new2();
    t->path = String((exists ? path : path + ".missing").c_str());
    t->Start();
    ASSERT_TRUE(qrtest::PumpUntil([&] { return !t->IsRunning(); }));
    if (exists) {
      EXPECT_EQ(t->Result(), t->buffer);
      EXPECT_EQ(qrtest::Narrow(t->buffer->p_PeekString2(0, String("ascii"))), "abc");
    } else {
      EXPECT_EQ(t->Result(), nullptr);
    }
  }
  std::remove(path.c_str());
}

TEST(DataBufferErrors, MisuseEndsTheProcessWithItsMessage) {
  struct Case {
    const char* what;
    std::string message;
  };
  const Case cases[] = {
      {"poke-encoding", std::string(OX_DATABUFFER_BAD_ENCODING) + "UTF8"},
      {"peek-encoding", std::string(OX_DATABUFFER_BAD_ENCODING) + "latin1"},
      {"alloc-twice", OX_DATABUFFER_ALLOC_FAILED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    qrtest::ProgResult r = qrtest::RunProg(qrtest::kErrorsProg, {c.what});
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), qrtest::kBeforeFailing);
    EXPECT_NE(r.out.find("\n" + qrtest::RuntimeErrorLine(c.message) + "\n"), std::string::npos) << r.out;
  }
}
