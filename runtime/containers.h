// runtime/containers.h: the language's collections: growable stacks and an int-keyed
// red-black map. All are collected objects; every reference stored into them goes through gc_assign.
//
// The element classes the later layers store (c_DisplayMode, c_IAsyncEventSource) belong to later
// layers, so the containers are templates over the element type and keep the specified names:
//   c_Stack<T>     stack of T* (T a collected class; the framework uses c_Stack<c_DisplayMode>)
//   c_Stack2       stack of String; c_StringStack derives it and adds p_Join
//   c_Stack3<T>    stack of T* (T an interface; the net layer uses c_Stack3<c_IAsyncEventSource>)
//   c_Map<V>, c_IntMap<V>, c_Node<V>   int keys, V* values (the framework uses c_DisplayMode)
#pragma once

#include <type_traits>

#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/text.h"

// ---- Stacks --------------------------------------------------------------------------------------

// The layout and operations the three stacks share. Slots from m_length to the end of m_data hold
// the NIL value (null, or the empty string). Each stack class gives the operations their names.
template <class E>
class ox_stack : public Object {
 public:
  Array<E> m_data;  // starts as the static empty array
  int m_length = 0;

  void mark() override {
    Object::mark();
    gc_mark_q(m_data);
  }

 protected:
  static void Store(E& slot, const E& value) {
    if constexpr (std::is_pointer_v<E>) {
      gc_assign(slot, value);
    } else {
      slot = value;
    }
  }
  // A new array of `capacity` elements holding the elements in use, the rest NIL.
  Array<E> Copy(int capacity) {
    Array<E> data(capacity);
    for (int i = 0; i < m_length; ++i) data[i] = m_data[i];
    return data;
  }
  void InitEmpty() {
    gc_assign(m_data, Array<E>());
    m_length = 0;
  }
  void InitFrom(const Array<E>& values) {
    Array<E> data(values.Length());
    for (int i = 0; i < values.Length(); ++i) data[i] = values[i];
    gc_assign(m_data, data);
    m_length = values.Length();
  }
  void Push(const E& value) {
    if (m_length == m_data.Length()) gc_assign(m_data, Copy(m_length * 2 + 10));  // 10, 30, 70, ...
    Store(m_data[m_length], value);
    ++m_length;
  }
  void PushRange(const Array<E>& values, int offset, int count) {
    for (int i = 0; i < count; ++i) Push(values[offset + i]);
  }
  void PushTail(const Array<E>& values, int offset) {
    int count = values.Length() - offset;
    if (count > 0) PushRange(values, offset, count);
  }
  Array<E> ToArray() {
    Array<E> out(m_length);
    for (int i = 0; i < m_length; ++i) out[i] = m_data[i];
    return out;
  }
  void SetLength(int n, const E& nil) {
    if (n < m_length) {
      for (int i = n; i < m_length; ++i) Store(m_data[i], nil);
    } else if (n > m_data.Length()) {
      int capacity = m_length * 2 + 10;
      gc_assign(m_data, Copy(capacity > n ? capacity : n));
    }
    m_length = n;
  }
};

// Stack of references to collected objects of class T.
template <class T>
class c_Stack : public ox_stack<T*> {
  typedef ox_stack<T*> base;

 public:
  static inline T* const m_NIL = nullptr;

  c_Stack() {}
  c_Stack* m_new() { base::InitEmpty(); return this; }
  c_Stack* m_new2(Array<T*> data) { base::InitFrom(data); return this; }
  int p_Push(T* value) { base::Push(value); return 0; }
  int p_Push2(Array<T*> values, int offset, int count) { base::PushRange(values, offset, count); return 0; }
  int p_Push3(Array<T*> values, int offset) { base::PushTail(values, offset); return 0; }
  Array<T*> p_ToArray() { return base::ToArray(); }
};

// Stack of strings.
class c_Stack2 : public ox_stack<String> {
 public:
  static inline const String m_NIL;

  c_Stack2() {}
  c_Stack2* m_new() { InitEmpty(); return this; }
  c_Stack2* m_new2(Array<String> data) { InitFrom(data); return this; }
  int p_Push4(const String& value) { Push(value); return 0; }
  int p_Push5(Array<String> values, int offset, int count) { PushRange(values, offset, count); return 0; }
  int p_Push6(Array<String> values, int offset) { PushTail(values, offset); return 0; }
  Array<String> p_ToArray() { return ToArray(); }
  String p_Get(int index) { return m_data[index]; }
  int p_Length2() { return m_length; }
  int p_Length(int n) { SetLength(n, m_NIL); return 0; }
  int p_Clear() {
    for (int i = 0; i < m_length; ++i) m_data[i] = m_NIL;
    m_length = 0;
    return 0;
  }
};

class c_StringStack : public c_Stack2 {
 public:
  c_StringStack() {}
  c_StringStack* m_new(Array<String> data) { c_Stack2::m_new2(data); return this; }
  c_StringStack* m_new2() { c_Stack2::m_new(); return this; }
  String p_Join(const String& separator) { return separator.Join(p_ToArray()); }
};

// Stack of interface references (T derives gc_interface). Its NIL is a root of the collector.
template <class T>
class c_Stack3 : public ox_stack<T*> {
  typedef ox_stack<T*> base;

 public:
  static inline T* m_NIL = nullptr;

  c_Stack3() { (void)m_NILRooted; }
  c_Stack3* m_new() { base::InitEmpty(); return this; }
  c_Stack3* m_new2(Array<T*> data) { base::InitFrom(data); return this; }
  int p_Push7(T* value) { base::Push(value); return 0; }
  int p_Push8(Array<T*> values, int offset, int count) { base::PushRange(values, offset, count); return 0; }
  int p_Push9(Array<T*> values, int offset) { base::PushTail(values, offset); return 0; }
  T* p_Get(int index) { return base::m_data[index]; }
  int p_Length2() { return base::m_length; }
  int p_Length(int n) { base::SetLength(n, m_NIL); return 0; }
  bool p_Equals(T* a, T* b) { return a == b; }
  bool p_Contains2(T* value) {
    for (int i = 0; i < base::m_length; ++i) {
      if (p_Equals(base::m_data[i], value)) return true;
    }
    return false;
  }

 private:
  static void MarkNIL() { gc_mark_q(m_NIL); }
  // Registers MarkNIL with the containers' roots once per element type, at static initialisation.
  static inline const bool m_NILRooted = (gc_register_roots(GC_ROOTS_CONTAINERS, &MarkNIL), true);
};

// ---- Map -----------------------------------------------------------------------------------------

inline constexpr int OX_MAP_RED = -1;
inline constexpr int OX_MAP_BLACK = 1;

template <class V>
class c_Node : public Object {
 public:
  int m_key = 0;
  c_Node* m_right = nullptr;
  c_Node* m_left = nullptr;
  V* m_value = nullptr;
  int m_color = 0;  // OX_MAP_RED or OX_MAP_BLACK
  c_Node* m_parent = nullptr;

  c_Node() {}
  c_Node* m_new(int key, V* value, int color, c_Node* parent) {
    m_key = key;
    gc_assign(m_value, value);
    m_color = color;
    gc_assign(m_parent, parent);
    return this;
  }
  c_Node* m_new2() { return this; }
  void mark() override {
    Object::mark();
    gc_mark_q(m_right);
    gc_mark_q(m_left);
    gc_mark_q(m_value);
    gc_mark_q(m_parent);
  }
};

// Ordered map from int keys to V*, a red-black tree ordered by the virtual p_Compare.
template <class V>
class c_Map : public Object {
 public:
  typedef c_Node<V> Node;
  Node* m_root = nullptr;

  c_Map() {}
  c_Map* m_new() { return this; }
  virtual int p_Compare(int a, int b) = 0;

  Node* p_FindNode(int key) {
    Node* node = m_root;
    while (node) {
      int c = p_Compare(key, node->m_key);
      if (c > 0) {
        node = node->m_right;
      } else if (c < 0) {
        node = node->m_left;
      } else {
        return node;
      }
    }
    return nullptr;
  }
  bool p_Contains(int key) { return p_FindNode(key) != nullptr; }
  V* p_Get(int key) {
    Node* node = p_FindNode(key);
    return node ? node->m_value : nullptr;
  }

  // Inserts (true) or replaces an existing key's value (false).
  bool p_Set(int key, V* value) {
    Node* node = m_root;
    Node* parent = nullptr;
    int c = 0;
    while (node) {
      parent = node;
      c = p_Compare(key, node->m_key);
      if (c > 0) {
        node = node->m_right;
      } else if (c < 0) {
        node = node->m_left;
      } else {
        gc_assign(node->m_value, value);
        return false;
      }
    }
    node = (new Node)->m_new(key, value, OX_MAP_RED, parent);
    if (parent) {
      if (c > 0) {
        gc_assign(parent->m_right, node);
      } else {
        gc_assign(parent->m_left, node);
      }
      p_InsertFixup(node);
    } else {
      gc_assign(m_root, node);  // stays red until the next fixup colours the root
    }
    return true;
  }
  bool p_Insert(int key, V* value) { return p_Set(key, value); }

  int p_RotateLeft(Node* node) {
    Node* child = node->m_right;
    gc_assign(node->m_right, child->m_left);
    if (child->m_left) gc_assign(child->m_left->m_parent, node);
    gc_assign(child->m_parent, node->m_parent);
    if (node->m_parent) {
      if (node == node->m_parent->m_left) {
        gc_assign(node->m_parent->m_left, child);
      } else {
        gc_assign(node->m_parent->m_right, child);
      }
    } else {
      gc_assign(m_root, child);
    }
    gc_assign(child->m_left, node);
    gc_assign(node->m_parent, child);
    return 0;
  }
  int p_RotateRight(Node* node) {
    Node* child = node->m_left;
    gc_assign(node->m_left, child->m_right);
    if (child->m_right) gc_assign(child->m_right->m_parent, node);
    gc_assign(child->m_parent, node->m_parent);
    if (node->m_parent) {
      if (node == node->m_parent->m_right) {
        gc_assign(node->m_parent->m_right, child);
      } else {
        gc_assign(node->m_parent->m_left, child);
      }
    } else {
      gc_assign(m_root, child);
    }
    gc_assign(child->m_right, node);
    gc_assign(node->m_parent, child);
    return 0;
  }
  int p_InsertFixup(Node* node) {
    while (node->m_parent && node->m_parent->m_color == OX_MAP_RED && node->m_parent->m_parent) {
      Node* parent = node->m_parent;
      Node* grand = parent->m_parent;
      if (parent == grand->m_left) {
        Node* uncle = grand->m_right;
        if (uncle && uncle->m_color == OX_MAP_RED) {
          parent->m_color = OX_MAP_BLACK;
          uncle->m_color = OX_MAP_BLACK;
          grand->m_color = OX_MAP_RED;
          node = grand;
        } else {
          if (node == parent->m_right) {
            node = parent;
            p_RotateLeft(node);
          }
          node->m_parent->m_color = OX_MAP_BLACK;
          node->m_parent->m_parent->m_color = OX_MAP_RED;
          p_RotateRight(node->m_parent->m_parent);
        }
      } else {
        Node* uncle = grand->m_left;
        if (uncle && uncle->m_color == OX_MAP_RED) {
          parent->m_color = OX_MAP_BLACK;
          uncle->m_color = OX_MAP_BLACK;
          grand->m_color = OX_MAP_RED;
          node = grand;
        } else {
          if (node == parent->m_left) {
            node = parent;
            p_RotateRight(node);
          }
          node->m_parent->m_color = OX_MAP_BLACK;
          node->m_parent->m_parent->m_color = OX_MAP_RED;
          p_RotateLeft(node->m_parent->m_parent);
        }
      }
    }
    m_root->m_color = OX_MAP_BLACK;
    return 0;
  }

  void mark() override {
    Object::mark();
    gc_mark_q(m_root);
  }
};

template <class V>
class c_IntMap : public c_Map<V> {
 public:
  c_IntMap() {}
  c_IntMap* m_new() { c_Map<V>::m_new(); return this; }
  // The 32-bit difference, wrapping (callers keep keys small enough that it does not).
  int p_Compare(int a, int b) override {
    return static_cast<int>(static_cast<unsigned>(a) - static_cast<unsigned>(b));
  }
};
