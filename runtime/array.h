// runtime/array.h: Array<T>, the system's only array type: a handle to a collected rep
// holding `length` elements inline. Length 0 is the per-type static Array<T>::nullRep (flags 3).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "runtime/gc.h"

template <class T>
class Array {
 public:
  class Rep : public gc_object {
   public:
    int length;

    // The static empty array: flags 3, never queued, moved or freed.
    constexpr explicit Rep(gc_static_t s) : gc_object(s, nullptr), length(0) {}
    // n default elements: zero, null, false, or the empty string.
    explicit Rep(int n) : length(n) {
      if constexpr (std::is_trivially_default_constructible_v<T>) {
        std::memset(static_cast<void*>(data()), 0, sizeof(T) * n);
      } else {
        for (int i = 0; i < n; ++i) ::new (static_cast<void*>(data() + i)) T();
      }
    }
    ~Rep() override {
      if constexpr (!std::is_trivially_destructible_v<T>) {
        for (int i = 0; i < length; ++i) data()[i].~T();
      }
    }
    // Arrays of references mark every element with the immediate primitive.
    void mark() override {
      if constexpr (std::is_pointer_v<T>) {
        T* d = data();
        for (int i = 0; i < length; ++i) {
          if (d[i]) gc_mark(d[i]);
        }
      }
    }
    // The elements follow the header (computed through an integer, so that the compiler does not
    // take the static empty rep's size as the extent of its data).
    T* data() { return reinterpret_cast<T*>(reinterpret_cast<std::uintptr_t>(this) + DataOffset()); }
    static constexpr std::size_t DataOffset() {
      return (sizeof(Rep) + alignof(T) - 1) / alignof(T) * alignof(T);
    }
  };
  static Rep nullRep;

  Array() : rep(&nullRep) {}
  explicit Array(int length) : rep(&nullRep) {
    if (length > 0) {
      void* mem = gc_object_alloc(static_cast<int>(Rep::DataOffset() + sizeof(T) * length));
      rep = ::new (mem) Rep(length);
    }
  }
  // Copies count elements from p.
  Array(const T* p, int count) : Array(count) {
    for (int i = 0; i < count; ++i) rep->data()[i] = p[i];
  }

  int Length() const { return rep->length; }
  T& operator[](int i) const { return rep->data()[i]; }
  T* Data() const { return rep->data(); }
  Rep* GetRep() const { return rep; }
  bool operator==(const Array& a) const { return rep == a.rep; }
  bool operator!=(const Array& a) const { return rep != a.rep; }

  Rep* rep;
};

template <class T>
typename Array<T>::Rep Array<T>::nullRep(gc_static);

// Grey-making and immediate marking of an array field, and the write barrier for arrays: storing an
// array marks its rep black at once (and, for arrays of references, each white element).
template <class T>
inline void gc_mark_q(const Array<T>& a) {
  gc_mark_q(static_cast<gc_object*>(a.rep));
}
template <class T>
inline void gc_mark(const Array<T>& a) {
  gc_mark(static_cast<gc_object*>(a.rep));
}
template <class T>
inline Array<T>& gc_assign(Array<T>& field, const Array<T>& value) {
  gc_mark(static_cast<gc_object*>(value.rep));
  field = value;
  return field;
}
