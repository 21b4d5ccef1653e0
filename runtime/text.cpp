// runtime/text.cpp: String construction, queries and operations, and String::Load's decoding of
// UTF-16 (either byte order), UTF-8 and the byte-per-character fallback.
#include "runtime/text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <limits>
#include <memory>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

String::Rep String::nullRep = {1, 0, 0};

String::Rep* String::Alloc(int length) { return Alloc(length, length); }

String::Rep* String::Alloc(int length, int capacity) {
  Rep* r = static_cast<Rep*>(std::malloc(sizeof(Rep) + sizeof(Char) * static_cast<std::size_t>(capacity)));
  r->refs = 1;
  r->length = length;
  r->capacity = capacity;
  return r;
}

// A growing concatenation gets 1/CONCAT_SPARE_PART of what it needs again as room (up to INT_MAX).
inline constexpr int CONCAT_SPARE_PART = 2;

static int GrownCapacity(int length) {
  return length + std::min(length / CONCAT_SPARE_PART, std::numeric_limits<int>::max() - length);
}

// ---- Copying and searching code units -------------------------------------------------------------

// Copies one span of `bytes` bytes, WORD <= bytes <= 2 * WORD, as two overlapping fixed-size words
// (both read before either is written).
template <class Word>
static inline void CopyTwoWords(Char* dst, const Char* src, std::size_t bytes) {
  Word head, tail;
  std::memcpy(&head, src, sizeof(Word));
  std::memcpy(&tail, reinterpret_cast<const char*>(src) + bytes - sizeof(Word), sizeof(Word));
  std::memcpy(dst, &head, sizeof(Word));
  std::memcpy(reinterpret_cast<char*>(dst) + bytes - sizeof(Word), &tail, sizeof(Word));
}

// Copies n code units. Game texts are mostly a few units long (fields, separators, labels), where a
// library call costs more than the copy: up to 8 units move as fixed-size words.
static inline void CopyUnits(Char* dst, const Char* src, int n) {
  std::size_t bytes = sizeof(Char) * static_cast<std::size_t>(n);
  if (bytes >= sizeof(std::uint64_t)) {
    if (bytes <= 2 * sizeof(std::uint64_t)) {
      CopyTwoWords<std::uint64_t>(dst, src, bytes);
    } else {
      std::memcpy(dst, src, bytes);
    }
  } else if (bytes >= sizeof(std::uint32_t)) {
    CopyTwoWords<std::uint32_t>(dst, src, bytes);
  } else if (n == 1) {
    *dst = *src;
  }
}

// Code units compared by one SSE2 step (one 128-bit register).
inline constexpr int VECTOR_BYTES = 16;
inline constexpr int UNITS_PER_VECTOR = VECTOR_BYTES / sizeof(Char);

// The first unit equal to c in [p, end), or null. Eight units are compared at a time where SSE2 is
// available (every x86-64); ranges shorter than that, and other machines, take the plain loop.
static inline const Char* ScanUnit(const Char* p, const Char* end, Char c) {
#ifdef __SSE2__
  if (end - p >= UNITS_PER_VECTOR) {
    const __m128i needle = _mm_set1_epi16(static_cast<short>(c));
    const Char* last = end - UNITS_PER_VECTOR;  // the final block may overlap the one before
    for (;;) {
      __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(block, needle));
      if (mask) return p + __builtin_ctz(static_cast<unsigned>(mask)) / sizeof(Char);
      if (p == last) return nullptr;
      p = p + UNITS_PER_VECTOR < last ? p + UNITS_PER_VECTOR : last;
    }
  }
#endif
  for (; p < end; ++p) {
    if (*p == c) return p;
  }
  return nullptr;
}

// The first index i >= start (start >= 0) with i + n <= len at which d holds sub's n units, or -1.
static inline int FindUnits(const Char* d, int len, const Char* sub, int n, int start) {
  if (start > len - n) return -1;  // also every start past the end
  if (n == 0) return start;
  const Char* end = d + len - n + 1;  // one past the last possible start of a match
  for (const Char* p = d + start; p < end; ++p) {
    p = ScanUnit(p, end, sub[0]);
    if (!p) return -1;
    if (n == 1 || std::memcmp(p + 1, sub + 1, sizeof(Char) * (n - 1)) == 0) return static_cast<int>(p - d);
  }
  return -1;
}

// Where Split and Replace found their separator, in order: held inline for the usual few hundred
// matches, on the heap beyond that.
class MatchList {
 public:
  int Count() const { return count; }
  int operator[](int i) const { return at[i]; }
  void Push(int i) {
    if (count == capacity) Grow();
    at[count++] = i;
  }

 private:
  static constexpr int INLINE_MATCHES = 256;
  void Grow() {
    constexpr int kMost = std::numeric_limits<int>::max();
    capacity = capacity <= kMost / 2 ? 2 * capacity : kMost;
    std::unique_ptr<int[]> bigger(new int[capacity]);
    std::memcpy(bigger.get(), at, sizeof(int) * count);
    heap = std::move(bigger);
    at = heap.get();
  }
  int local[INLINE_MATCHES];
  std::unique_ptr<int[]> heap;
  int* at = local;
  int count = 0;
  int capacity = INLINE_MATCHES;
};

// Every non-overlapping occurrence of sub (n > 0) in d, left to right.
static void FindAll(const Char* d, int len, const Char* sub, int n, MatchList& out) {
  for (int i = FindUnits(d, len, sub, n, 0); i != -1; i = FindUnits(d, len, sub, n, i + n)) out.Push(i);
}

// ---- Construction ----------------------------------------------------------------------------------

String::String(const Char* p, int count) : rep(&nullRep) {
  if (count > 0) {
    rep = Alloc(count);
    CopyUnits(rep->data, p, count);
  }
}

String::String(const Char* p) : rep(&nullRep) {
  int n = 0;
  while (p[n]) ++n;
  if (n > 0) {
    rep = Alloc(n);
    std::memcpy(rep->data, p, sizeof(Char) * n);
  }
}

String::String(const char* p) : rep(&nullRep) {
  int n = static_cast<int>(std::strlen(p));
  if (n > 0) {
    rep = Alloc(n);
    for (int i = 0; i < n; ++i) rep->data[i] = static_cast<Char>(static_cast<signed char>(p[i]));
  }
}

String::String(int n) : rep(&nullRep) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%i", n);
  *this = String(buf);
}

String::String(float f) : rep(&nullRep) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17lg", static_cast<double>(f));
  if (!std::strchr(buf, '.') && !std::strchr(buf, 'e')) std::strcat(buf, ".0");
  *this = String(buf);
}

String String::FromChar(int c) {
  Char ch = static_cast<Char>(c);
  return String(&ch, 1);
}

bool String::operator==(const String& s) const {
  if (rep == s.rep) return true;
  return rep->length == s.rep->length &&
         std::memcmp(rep->data, s.rep->data, sizeof(Char) * rep->length) == 0;
}

int String::Compare(const String& s) const {
  int n = rep->length < s.rep->length ? rep->length : s.rep->length;
  for (int i = 0; i < n; ++i) {
    int d = static_cast<int>(rep->data[i]) - static_cast<int>(s.rep->data[i]);
    if (d) return d;
  }
  return rep->length - s.rep->length;
}

String String::operator+(const String& s) const& {
  if (rep->length == 0) return s;
  if (s.rep->length == 0) return *this;
  Rep* r = Alloc(rep->length + s.rep->length);
  CopyUnits(r->data, rep->data, rep->length);
  CopyUnits(r->data + rep->length, s.rep->data, s.rep->length);
  return String(r);
}

// s may be this very string (s += s): both lengths are read before anything is written, and the
// units appended come from [0, left), which the append does not touch.
String String::operator+(const String& s) && {
  int left = rep->length, right = s.rep->length;
  if (left == 0) return s;
  if (right == 0) return std::move(*this);
  int total = left + right;
  if (rep->refs == 1 && rep->capacity >= total) {
    CopyUnits(rep->data + left, s.rep->data, right);
    rep->length = total;
    return std::move(*this);
  }
  Rep* r = Alloc(total, GrownCapacity(total));
  CopyUnits(r->data, rep->data, left);
  CopyUnits(r->data + left, s.rep->data, right);
  return String(r);
}

int String::Find(const String& sub, int start) const {
  if (start < 0) start = 0;
  return FindUnits(rep->data, rep->length, sub.rep->data, sub.rep->length, start);
}

bool String::StartsWith(const String& s) const {
  return s.Length() <= Length() && std::memcmp(rep->data, s.rep->data, sizeof(Char) * s.Length()) == 0;
}

bool String::EndsWith(const String& s) const {
  return s.Length() <= Length() &&
         std::memcmp(rep->data + Length() - s.Length(), s.rep->data, sizeof(Char) * s.Length()) == 0;
}

String String::Slice(int from, int term) const {
  int len = rep->length;
  from = from < 0 ? (from + len > 0 ? from + len : 0) : (from < len ? from : len);
  term = term < 0 ? term + len : (term < len ? term : len);
  if (from >= term) return String();
  if (from == 0 && term == len) return *this;
  return String(rep->data + from, term - from);
}

String String::Trim() const {
  int i = 0, j = rep->length;
  while (i < j && rep->data[i] <= 32) ++i;
  while (j > i && rep->data[j - 1] <= 32) --j;
  return Slice(i, j);
}

Array<String> String::Split(const String& sep) const {
  int len = rep->length;
  int n = sep.rep->length;
  if (n == 0) {
    Array<String> bits(len);
    for (int i = 0; i < len; ++i) bits[i] = String(rep->data + i, 1);
    return bits;
  }
  MatchList found;
  FindAll(rep->data, len, sep.rep->data, n, found);
  int count = found.Count();
  Array<String> bits(count + 1);
  if (count == 0) {
    bits[0] = *this;
    return bits;
  }
  // Pieces between separators are new reps (none is the whole text); touching ones stay empty.
  String* out = bits.Data();
  int start = 0;
  for (int k = 0; k <= count; ++k) {
    int term = k < count ? found[k] : len;
    if (term > start) out[k] = String(rep->data + start, term - start);
    start = term + n;
  }
  return bits;
}

String String::Join(const Array<String>& pieces) const {
  int n = pieces.Length();
  if (n == 0) return String();
  const String* in = pieces.Data();
  if (n == 1) return in[0];
  int sepLength = rep->length;
  int total = (n - 1) * sepLength;
  for (int i = 0; i < n; ++i) total += in[i].rep->length;
  if (total == 0) return String();
  Rep* r = Alloc(total);
  Char* p = r->data;
  const Rep* first = in[0].rep;
  CopyUnits(p, first->data, first->length);
  p += first->length;
  for (int i = 1; i < n; ++i) {
    if (sepLength == 1) {
      *p = rep->data[0];
    } else {
      CopyUnits(p, rep->data, sepLength);
    }
    p += sepLength;
    const Rep* piece = in[i].rep;
    CopyUnits(p, piece->data, piece->length);
    p += piece->length;
  }
  return String(r);
}

// An empty `find` never occurs in the system; it returns the receiver.
String String::Replace(const String& find, const String& replacement) const {
  int n = find.rep->length;
  if (n == 0) return *this;
  MatchList found;
  FindAll(rep->data, rep->length, find.rep->data, n, found);
  int count = found.Count();
  if (count == 0) return *this;
  const Rep* with = replacement.rep;
  int total = rep->length + count * (with->length - n);
  if (total == 0) return String();
  Rep* r = Alloc(total);
  Char* p = r->data;
  int start = 0;
  for (int k = 0; k < count; ++k) {
    int at = found[k];
    CopyUnits(p, rep->data + start, at - start);
    p += at - start;
    CopyUnits(p, with->data, with->length);
    p += with->length;
    start = at + n;
  }
  CopyUnits(p, rep->data + start, rep->length - start);
  return String(r);
}

// The receiver itself when no unit changes; else the unchanged prefix and the mapped remainder.
template <class Map>
String String::MapUnits(Map map) const {
  int len = rep->length;
  const Char* d = rep->data;
  for (int i = 0; i < len; ++i) {
    Char c = static_cast<Char>(map(d[i]));
    if (c != d[i]) {
      Rep* r = Alloc(len);
      CopyUnits(r->data, d, i);
      r->data[i] = c;
      for (int j = i + 1; j < len; ++j) r->data[j] = static_cast<Char>(map(d[j]));
      return String(r);
    }
  }
  return *this;
}

String String::ToUpper() const {
  return MapUnits([](Char c) { return std::towupper(c); });
}

String String::ToLower() const {
  return MapUnits([](Char c) { return std::towlower(c); });
}

// Code units narrowed to their low byte; at most the first 63 are looked at.
inline constexpr int TOINT_MAX_CHARS = 63;

int String::ToInt() const {
  char buf[TOINT_MAX_CHARS + 1];
  int n = rep->length < TOINT_MAX_CHARS ? rep->length : TOINT_MAX_CHARS;
  for (int i = 0; i < n; ++i) buf[i] = static_cast<char>(rep->data[i]);
  buf[n] = 0;
  return std::atoi(buf);
}

std::string String::ToUtf8() const {
  std::string out;
  out.reserve(rep->length);
  for (int i = 0; i < rep->length; ++i) {
    unsigned c = rep->data[i];
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// ---- Load ----------------------------------------------------------------------------------------

inline constexpr int LOAD_BLOCK = 4096;

String String::Load(FILE* fp) {
  std::vector<unsigned char> buf;
  for (;;) {
    std::size_t at = buf.size();
    buf.resize(at + LOAD_BLOCK);
    std::size_t n = std::fread(buf.data() + at, 1, LOAD_BLOCK, fp);
    buf.resize(at + n);
    if (n < static_cast<std::size_t>(LOAD_BLOCK)) break;
  }
  return Load(buf.data(), static_cast<int>(buf.size()));
}

// UTF-8 of 1 to 3 bytes per code unit; false on any other lead byte or a bad continuation.
static bool DecodeUtf8(const unsigned char* p, int n, std::vector<Char>& out) {
  for (int i = 0; i < n;) {
    unsigned b0 = p[i];
    if (b0 < 0x80) {
      out.push_back(static_cast<Char>(b0));
      i += 1;
    } else if ((b0 & 0xE0) == 0xC0) {
      if (i + 1 >= n || (p[i + 1] & 0xC0) != 0x80) return false;
      out.push_back(static_cast<Char>(((b0 & 0x1F) << 6) | (p[i + 1] & 0x3F)));
      i += 2;
    } else if ((b0 & 0xF0) == 0xE0) {
      if (i + 2 >= n || (p[i + 1] & 0xC0) != 0x80 || (p[i + 2] & 0xC0) != 0x80) return false;
      out.push_back(static_cast<Char>(((b0 & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F)));
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

String String::Load(const unsigned char* p, int n) {
  if (n <= 0) return String();
  std::vector<Char> out;
  if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
    for (int i = 2; i + 1 < n; i += 2) out.push_back(static_cast<Char>(p[i] << 8 | p[i + 1]));
  } else if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
    for (int i = 2; i + 1 < n; i += 2) out.push_back(static_cast<Char>(p[i + 1] << 8 | p[i]));
  } else {
    if (n >= 3 && p[0] == 239 && p[1] == 187 && p[2] == 191) {
      p += 3;
      n -= 3;
    }
    if (!DecodeUtf8(p, n, out)) {
      out.assign(p, p + n);  // ISO-8859-1: each byte zero-extended
    }
  }
  return String(out.data(), static_cast<int>(out.size()));
}
