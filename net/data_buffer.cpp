// Byte buffers: block ownership, clipped bulk access, overlapping copies, and the "utf8" and
// "ascii" text codecs with the byte-per-character fallback for invalid UTF-8.
#include "net/data_buffer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "net/thread.h"

namespace {

// Files are read in blocks of this many bytes.
constexpr int kReadBlock = 4096;

const String kUtf8("utf8");
const String kAscii("ascii");

enum class Codec { Utf8, Ascii };

Codec CodecOf(const String& encoding) {
  if (encoding == kUtf8) return Codec::Utf8;
  if (encoding == kAscii) return Codec::Ascii;
  oxError(String(OX_DATABUFFER_BAD_ENCODING) + encoding);
  return Codec::Ascii;  // not reached: oxError ends the process
}

// Bytes available for a transfer of `count` starting at `at` in a block of `length`: count,
// cut at the end of the block; 0 when `at` lies outside the block or count is not positive.
int Fit(int at, int count, int length) {
  if (at < 0 || at > length || count < 1) return 0;
  return count > length - at ? length - at : count;
}

}  // namespace

unsigned char* ox_databuffer_LoadFile(const String& path, int* length) {
  FILE* f = std::fopen(path.ToUtf8().c_str(), "rb");
  if (!f) return nullptr;
  std::vector<unsigned char> bytes;
  unsigned char block[kReadBlock];
  for (;;) {
    size_t n = std::fread(block, 1, sizeof block, f);
    bytes.insert(bytes.end(), block, block + n);
    if (n < sizeof block) break;
  }
  std::fclose(f);
  unsigned char* data = static_cast<unsigned char*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  *length = static_cast<int>(bytes.size());
  gc_ext_malloced(*length);
  return data;
}

OxDataLoader ox_databuffer_loader = ox_databuffer_LoadFile;

// ---- OxDataBuffer ---------------------------------------------------------------------------------

OxDataBuffer::~OxDataBuffer() { Discard(); }

bool OxDataBuffer::_New(int length, unsigned char* data) {
  if (_data) return false;
  if (length < 0) length = 0;
  // malloc(0) may give null, which would read as "holds nothing": always ask for a byte.
  _data = data ? data : static_cast<unsigned char*>(std::malloc(length > 0 ? length : 1));
  _length = length;
  return true;
}

bool OxDataBuffer::_Load(const String& path) {
  if (_data) return false;
  int length = 0;
  unsigned char* data = ox_databuffer_loader(path, &length);
  if (!data) return false;
  _data = data;
  _length = length;
  return true;
}

bool OxDataBuffer::_LoadAsync(const String& path, OxThread* thread) {
  String own = OxThread::Strdup(path);  // the worker never touches the caller's count
  if (!_Load(own)) return false;
  thread->SetResult(this);
  return true;
}

void OxDataBuffer::Discard() {
  std::free(_data);
  _data = nullptr;
  _length = 0;
}

// ---- c_DataBuffer ---------------------------------------------------------------------------------

c_DataBuffer* c_DataBuffer::m_new(int length) {
  if (!_New(length)) oxError(String(OX_DATABUFFER_ALLOC_FAILED));
  return this;
}

c_DataBuffer* c_DataBuffer::m_new2() { return this; }

c_DataBuffer* c_DataBuffer::m_Load(const String& path) {
  c_DataBuffer* buf = (new c_DataBuffer)->m_new2();
  return buf->_Load(path) ? buf : nullptr;
}

int c_DataBuffer::p_PokeBytes(int address, const Array<int>& bytes, int offset, int count) {
  int n = Fit(address, count, _length);
  n = Fit(offset, n, bytes.Length());
  const int* src = bytes.Data() + offset;
  for (int i = 0; i < n; ++i) _data[address + i] = static_cast<unsigned char>(src[i]);
  return 0;
}

int c_DataBuffer::p_PeekBytes(int address, const Array<int>& bytes, int offset, int count) {
  int n = Fit(address, count, _length);
  n = Fit(offset, n, bytes.Length());
  int* dst = bytes.Data() + offset;
  for (int i = 0; i < n; ++i) dst[i] = static_cast<signed char>(_data[address + i]);
  return 0;
}

Array<int> c_DataBuffer::p_PeekBytes2(int address, int count) {
  int n = Fit(address, count, _length);
  Array<int> out(n);
  for (int i = 0; i < n; ++i) out[i] = static_cast<signed char>(_data[address + i]);
  return out;
}

int c_DataBuffer::p_CopyBytes(int address, c_DataBuffer* dst, int dstAddress, int count) {
  int n = Fit(address, count, _length);
  n = Fit(dstAddress, n, dst->_length);
  if (n < 1) return 0;
  // memmove is the last-to-first copy when the destination lies after the source.
  std::memmove(dst->_data + dstAddress, _data + address, static_cast<size_t>(n));
  return 0;
}

int c_DataBuffer::p_PokeString(int address, const String& text, const String& encoding) {
  const int len = text.Length();
  if (CodecOf(encoding) == Codec::Ascii) {
    int n = Fit(address, len, _length);
    for (int i = 0; i < n; ++i) _data[address + i] = static_cast<unsigned char>(text[i]);
    return len;
  }
  std::vector<unsigned char> enc;
  enc.reserve(static_cast<size_t>(len) * OX_DATABUFFER_MAX_UTF8_BYTES);
  for (int i = 0; i < len; ++i) {
    unsigned c = text[i];
    if (c < 0x80) {
      enc.push_back(static_cast<unsigned char>(c));
    } else if (c < 0x800) {
      enc.push_back(static_cast<unsigned char>(0xC0 | (c >> 6)));
      enc.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    } else {
      enc.push_back(static_cast<unsigned char>(0xE0 | (c >> 12)));
      enc.push_back(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
      enc.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    }
  }
  const int total = static_cast<int>(enc.size());
  int n = Fit(address, total, _length);
  if (n > 0) std::memcpy(_data + address, enc.data(), static_cast<size_t>(n));
  return total;
}

String c_DataBuffer::p_PeekString(int address, int count, const String& encoding) {
  const Codec codec = CodecOf(encoding);
  const int n = Fit(address, count, _length);
  if (n < 1) return String();
  const unsigned char* p = _data + address;
  std::vector<Char> out;
  out.reserve(static_cast<size_t>(n));
  if (codec == Codec::Ascii) {
    for (int i = 0; i < n; ++i) out.push_back(p[i]);
    return String(out.data(), n);
  }
  auto continuation = [&](int i) { return i < n && (p[i] & 0xC0) == 0x80; };
  bool ok = true;
  for (int i = 0; i < n && ok;) {
    unsigned b0 = p[i];
    if (b0 < 0x80) {
      out.push_back(static_cast<Char>(b0));
      i += 1;
    } else if ((b0 & 0xE0) == 0xC0 && continuation(i + 1)) {
      out.push_back(static_cast<Char>(((b0 & 0x1F) << 6) | (p[i + 1] & 0x3F)));
      i += 2;
    } else if ((b0 & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
      out.push_back(static_cast<Char>(((b0 & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F)));
      i += 3;
    } else {
      ok = false;
    }
  }
  if (!ok) {
    // One code unit per byte, sign-extended as the bytes read back: 0x80..0xFF give U+FF80..U+FFFF.
    out.clear();
    for (int i = 0; i < n; ++i) out.push_back(static_cast<Char>(static_cast<signed char>(p[i])));
  }
  return String(out.data(), static_cast<int>(out.size()));
}

String c_DataBuffer::p_PeekString2(int address, const String& encoding) {
  return p_PeekString(address, _length - address, encoding);
}
