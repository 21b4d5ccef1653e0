// runtime/text.h: String, the system's only text type: immutable 16-bit code units in a
// shared, reference-counted rep. Every empty string is String::nullRep; identity cases share the receiver.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

#include "runtime/array.h"

typedef char16_t Char;

class String {
 public:
  // Header followed by `length` code units (no terminator), malloc'ed for `capacity` units.
  // capacity == length except for the result of `+` on a temporary (see operator+ &&), which keeps
  // room to grow; the units past `length` belong to no string. A rep is changed after it was made
  // only there, and only while that temporary is its one owner (refs 1): no one else can see it.
  struct Rep {
    int refs;
    int length;
    int capacity;
    Char data[];
  };
  // The one rep of length 0. Its count is never changed (so that any thread may make empty
  // strings) and it is never freed.
  static Rep nullRep;

  constexpr String() : rep(&nullRep) {}
  String(const String& s) : rep(s.rep) { Retain(rep); }
  String(String&& s) noexcept : rep(s.rep) { s.rep = &nullRep; }
  String(const Char* p, int count);  // count code units; 0 gives the empty string
  String(const Char* p);             // NUL-terminated 16-bit text (u"...")
  String(const char* p);             // NUL-terminated 8-bit text, bytes sign-extended (ASCII only)
  explicit String(int n);            // "%i"
  explicit String(float f);          // "%.17lg", ".0" appended without "." or "e"
  ~String() { Release(rep); }

  String& operator=(const String& s) {
    Retain(s.rep);
    Release(rep);
    rep = s.rep;
    return *this;
  }
  String& operator=(String&& s) noexcept {
    if (this != &s) {
      Release(rep);
      rep = s.rep;
      s.rep = &nullRep;
    }
    return *this;
  }

  int Length() const { return rep->length; }
  Char operator[](int i) const { return rep->data[i]; }
  const Char* Data() const { return rep->data; }
  const Rep* GetRep() const { return rep; }  // for tests of the sharing rules

  bool operator==(const String& s) const;
  bool operator!=(const String& s) const { return !(*this == s); }
  int Compare(const String& s) const;  // code unit by code unit, then by length
  bool operator<(const String& s) const { return Compare(s) < 0; }

  // Concatenation; an empty side gives the other side's rep. A temporary on the left (a + b + c)
  // that is its rep's one owner is extended in place when its rep has room, and otherwise moved to
  // a rep with room to spare, so that a chain of pieces allocates a few times, not once per piece.
  String operator+(const String& s) const&;
  String operator+(const String& s) &&;
  String& operator+=(const String& s) { return *this = std::move(*this) + s; }

  int Find(const String& sub, int start = 0) const;
  bool Contains(const String& sub) const { return Find(sub) != -1; }
  bool StartsWith(const String& s) const;
  bool EndsWith(const String& s) const;
  String Slice(int from) const { return Slice(from, Length()); }
  String Slice(int from, int term) const;
  String Trim() const;  // without leading and trailing code units <= 32
  Array<String> Split(const String& sep) const;
  String Join(const Array<String>& pieces) const;
  String Replace(const String& find, const String& replacement) const;
  String ToUpper() const;
  String ToLower() const;
  int ToInt() const;
  std::string ToUtf8() const;  // the encoding of oxPrint

  static String FromChar(int c);
  // Reads a whole open stream and decodes it: UTF-16 with either BOM, else UTF-8 (an optional BOM
  // skipped), else one code unit per byte.
  static String Load(FILE* fp);
  static String Load(const unsigned char* bytes, int count);

  // An 8-bit (or wider) NUL-terminated copy held in a reference-counted block; each code unit is
  // converted to C (for char: its low byte). Lives as long as the temporary.
  template <class C>
  class CString {
   public:
    explicit CString(const String& s);
    CString(const CString& c) : block(c.block) { ++block->refs; }
    CString& operator=(const CString&) = delete;
    ~CString() {
      if (--block->refs == 0) std::free(block);
    }
    operator const C*() const { return block->data; }
    const C* c_str() const { return block->data; }

   private:
    struct Block {
      int refs;
      C data[];
    };
    Block* block;
  };
  template <class C = char>
  CString<C> ToCString() const {
    return CString<C>(*this);
  }

 private:
  explicit String(Rep* r) : rep(r) {}  // adopts a rep whose count is already right
  static Rep* Alloc(int length);       // a new rep (length > 0) with count 1
  static Rep* Alloc(int length, int capacity);
  template <class Map>
  String MapUnits(Map map) const;      // ToUpper and ToLower
  static void Retain(Rep* r) {
    if (r != &nullRep) ++r->refs;
  }
  static void Release(Rep* r) {
    if (r != &nullRep && --r->refs == 0) std::free(r);
  }
  Rep* rep;
};

inline String operator+(const char* a, const String& b) { return String(a) + b; }
inline String operator+(const Char* a, const String& b) { return String(a) + b; }

template <class C>
String::CString<C>::CString(const String& s) {
  int n = s.Length();
  block = static_cast<Block*>(std::malloc(sizeof(Block) + (n + 1) * sizeof(C)));
  block->refs = 1;
  for (int i = 0; i < n; ++i) block->data[i] = static_cast<C>(s[i]);
  block->data[n] = 0;
}
