// runtime/text.cpp: String construction, queries and operations, and String::Load's decoding of
// UTF-16 (either byte order), UTF-8 and the byte-per-character fallback.
#include "runtime/text.h"

#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <vector>

String::Rep String::nullRep = {1, 0};

String::Rep* String::Alloc(int length) {
  Rep* r = static_cast<Rep*>(std::malloc(sizeof(Rep) + sizeof(Char) * length));
  r->refs = 1;
  r->length = length;
  return r;
}

String::String(const Char* p, int count) : rep(&nullRep) {
  if (count > 0) {
    rep = Alloc(count);
    std::memcpy(rep->data, p, sizeof(Char) * count);
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

String String::operator+(const String& s) const {
  if (rep->length == 0) return s;
  if (s.rep->length == 0) return *this;
  Rep* r = Alloc(rep->length + s.rep->length);
  std::memcpy(r->data, rep->data, sizeof(Char) * rep->length);
  std::memcpy(r->data + rep->length, s.rep->data, sizeof(Char) * s.rep->length);
  return String(r);
}

int String::Find(const String& sub, int start) const {
  if (start < 0) start = 0;
  int n = sub.rep->length;
  for (int i = start; i + n <= rep->length; ++i) {
    if (std::memcmp(rep->data + i, sub.rep->data, sizeof(Char) * n) == 0) return i;
  }
  return -1;
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
  int count = 0;
  for (int i = Find(sep); i != -1; i = Find(sep, i + n)) ++count;
  Array<String> bits(count + 1);
  if (count == 0) {
    bits[0] = *this;
    return bits;
  }
  int start = 0;
  for (int k = 0; k < count; ++k) {
    int at = Find(sep, start);
    bits[k] = Slice(start, at);
    start = at + n;
  }
  bits[count] = Slice(start);
  return bits;
}

String String::Join(const Array<String>& pieces) const {
  int n = pieces.Length();
  if (n == 0) return String();
  if (n == 1) return pieces[0];
  int total = (n - 1) * rep->length;
  for (int i = 0; i < n; ++i) total += pieces[i].rep->length;
  if (total == 0) return String();
  Rep* r = Alloc(total);
  Char* p = r->data;
  for (int i = 0; i < n; ++i) {
    if (i > 0) {
      std::memcpy(p, rep->data, sizeof(Char) * rep->length);
      p += rep->length;
    }
    const Rep* piece = pieces[i].rep;
    std::memcpy(p, piece->data, sizeof(Char) * piece->length);
    p += piece->length;
  }
  return String(r);
}

// An empty `find` never occurs in the system; it returns the receiver.
String String::Replace(const String& find, const String& replacement) const {
  int n = find.rep->length;
  if (n == 0) return *this;
  int first = Find(find);
  if (first == -1) return *this;
  int count = 0;
  for (int i = first; i != -1; i = Find(find, i + n)) ++count;
  int total = rep->length + count * (replacement.rep->length - n);
  if (total == 0) return String();
  Rep* r = Alloc(total);
  Char* p = r->data;
  int start = 0;
  for (int i = first; i != -1; i = Find(find, i + n)) {
    std::memcpy(p, rep->data + start, sizeof(Char) * (i - start));
    p += i - start;
    std::memcpy(p, replacement.rep->data, sizeof(Char) * replacement.rep->length);
    p += replacement.rep->length;
    start = i + n;
  }
  std::memcpy(p, rep->data + start, sizeof(Char) * (rep->length - start));
  return String(r);
}

template <class Map>
static String MapChars(const String& s, Map map) {
  int len = s.Length();
  const Char* d = s.Data();
  for (int i = 0; i < len; ++i) {
    Char c = static_cast<Char>(map(d[i]));
    if (c != d[i]) {
      std::vector<Char> out(d, d + len);
      out[i] = c;
      for (int j = i + 1; j < len; ++j) out[j] = static_cast<Char>(map(d[j]));
      return String(out.data(), len);
    }
  }
  return s;
}

String String::ToUpper() const {
  return MapChars(*this, [](Char c) { return std::towupper(c); });
}

String String::ToLower() const {
  return MapChars(*this, [](Char c) { return std::towlower(c); });
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
