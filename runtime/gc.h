// runtime/gc.h: the collected heap. Owns gc_object, Object and gc_interface, the four
// intrusive lists, allocation with lazy destruction, marking, the write barrier and the root registry.
//
// How a collected class is written:
//   class c_Node : public Object {            // Object (or a collected class) must be the FIRST base
//    public:
//     int m_key = 0; c_Node* m_left = nullptr; Array<int> m_data; String m_name;
//     c_Node() {}                              // constructor: sets defaults only, takes no arguments
//     c_Node* m_new(int key, c_Node* left) {   // initialiser: takes the arguments, returns the object
//       m_key = key; gc_assign(m_left, left); return this;
//     }
//     void mark() override { Object::mark(); gc_mark_q(m_left); gc_mark_q(m_data); }
//   };
//   c_Node* n = (new c_Node)->m_new(1, nullptr);   // never `delete` it: the collector does
// - mark() calls the base's mark(), then gc_mark_q on each object, interface and array field, in
//   declaration order. String fields are reference counted and never marked.
// - Every store of a reference into a field, a global or an array element goes through gc_assign:
//   gc_assign(m_left, x); gc_assign(arr[i], x); gc_assign(m_data, Array<int>(10)).
// - Interfaces derive gc_interface; a class implements one with `public Object, public virtual c_IFoo`.
// - Globals that hold references are roots: write one function that calls gc_mark_q on each of them
//   in the specified order and register it before start-up: gc_register_roots(GC_ROOTS_GAME, fn).
// - A step runs only when the host calls gc_collect(); then every live object must be reachable
//   from a root or the host's delegate: local variables are not roots.
#pragma once

#include <atomic>
#include <cstddef>
#include <type_traits>

class String;

// ---- Objects -------------------------------------------------------------------------------------

// Colours. An object is WHITE when (flags & GC_COLOUR_BITS) == gc_markbit: not reached in this cycle,
// on gc_unmarked_list. Marking flips bit 0: the object is GREY on gc_queued_list (reached, mark() not
// run yet) or BLACK on gc_marked_list (scanned). The sweep flips gc_markbit, so every black object is
// white again without being touched. Static objects have both bits set (flags 3), which never equals
// gc_markbit (0 or 1), so they are never queued, moved or freed.
// Invariant between steps: no black object refers to a white one (the barrier greys stored values).
enum : int {
  GC_FLAG_MARK = 1,      // bit 0: the mark bit, compared with gc_markbit
  GC_FLAG_STATIC = 2,    // bit 1: a static object that is never collected
  GC_COLOUR_BITS = 3,    // the two bits the white test looks at
  GC_SIZE_MASK = ~7,     // the allocation size, a multiple of 8, sits above the low three bits
};

struct gc_static_t {};
inline constexpr gc_static_t gc_static{};

class gc_object {
 public:
  gc_object* succ;  // links of the one list the object is on (or of a size cache once freed)
  gc_object* pred;
  int flags;        // size | colour bits (see above)

  // A heap object's header (flags, links, counters) is filled in here, from the block that
  // gc_object_alloc handed out just before; an object built anywhere else (a static, a local)
  // becomes a static object (flags 3) that the collector never touches.
  gc_object();
  // Static objects and list sentinels; constant-initialised, so usable before any constructor runs.
  constexpr gc_object(gc_static_t, gc_object* link) : succ(link), pred(link), flags(GC_COLOUR_BITS) {}
  gc_object(const gc_object&) = delete;
  gc_object& operator=(const gc_object&) = delete;
  virtual ~gc_object();
  virtual void mark() {}

  static void* operator new(std::size_t size);
  static void operator delete(void* p);
  static void* operator new(std::size_t, void* where) { return where; }
  static void operator delete(void*, void*) {}

  int gc_size() const { return flags & GC_SIZE_MASK; }
};

class Object : public gc_object {
 public:
  Object() {}
  constexpr explicit Object(gc_static_t s) : gc_object(s, nullptr) {}
  virtual bool Equals(Object* obj);   // identity
  virtual int Compare(Object* obj);   // difference of the two addresses
  virtual String debug();             // "+Object\n"
};

// Base of the language's interfaces; not a gc_object. A reference held with an interface type is
// turned into its object with a run-time cast before it is marked.
class gc_interface {
 public:
  virtual ~gc_interface() {}
};

// ---- Collector state (one module, gc.cpp) --------------------------------------------------------

// 8 MiB of new memory since the last full collection makes the next step a full collection; it is
// also the denominator of the incremental budget.
inline constexpr int GC_FULL_THRESHOLD = 0x800000;
// Budget of a full collection's marking: everything that is queued.
inline constexpr int GC_UNLIMITED_BUDGET = 0x7FFFFFFF;
// Blocks under 64 bytes are recycled through gc_cache[size / 8] instead of malloc/free.
inline constexpr int GC_CACHE_LIMIT = 64;
inline constexpr int GC_CACHE_SLOTS = GC_CACHE_LIMIT / 8;

extern int gc_markbit;
extern gc_object gc_unmarked_list;  // white
extern gc_object gc_queued_list;    // grey
extern gc_object gc_marked_list;    // black
extern gc_object gc_free_list;      // garbage whose destructors have not run yet
extern gc_object* gc_cache[GC_CACHE_SLOTS];
extern int gc_new_bytes;            // allocated since the last full collection
extern int gc_alloced_bytes;        // white + grey + black
extern int gc_marked_bytes;         // moved to the black list in this cycle
extern int gc_free_bytes;           // on gc_free_list
extern std::atomic<int> gc_ext_new_bytes;  // allocated outside the collector since the last full one
extern int gc_sweep_count;          // sweeps so far (full collections and gc_collect_all); for tests

// ---- List links ----------------------------------------------------------------------------------

inline void gc_remove(gc_object* p) {
  p->succ->pred = p->pred;
  p->pred->succ = p->succ;
}
inline void gc_append(gc_object* p, gc_object* head) {  // at the tail of head's list
  gc_object* last = head->pred;
  p->succ = head;
  p->pred = last;
  last->succ = p;
  head->pred = p;
}

// ---- Look-ahead over the lists consumed at their head --------------------------------------------

// The grey list (consumed by marking) and the free list (consumed by lazy destruction) are taken
// strictly from the head, and their nodes lie scattered over the heap, so following succ costs a
// trip to memory per node. A look-ahead remembers the list's first nodes, in order, in a ring. Grey
// objects are remembered as they are queued, while the ring holds the whole list. Garbage (and grey
// objects queued while the ring was full) is reached by a cursor that walks ahead of the consumer,
// one node per Advance; the allocator and the marking loop call it between their other work, so
// that the walk's trips to memory overlap that work. The consumer loads nodes well before it
// unlinks them. Only a hint: the consumer always takes head->succ, and a ring whose first node is
// not that one is dropped (the heap checker reports it: it never happens on a sound heap).
template <int Capacity>
class gc_lookahead {
 public:
  // ring: Capacity entries, kept apart so that the (large) ring is zero-initialised storage.
  constexpr gc_lookahead(gc_object* head, gc_object** ring) : head_(head), last_(head), ring_(ring) {}
  void Reset() {
    first_ = end_ = 0;
    last_ = head_;
  }
  // The consumer is about to unlink p, the list's first node.
  void Consume(gc_object* p) {
    if (first_ != end_ && ring_[first_ % Capacity] == p) {
      ++first_;
      // (An entry past the end is an old pointer or null: loading from it is harmless.)
      __builtin_prefetch(ring_[(first_ + DISTANCE) % Capacity], 1);
      // An empty ring starts again at its beginning: a short list touches only its first entries.
      if (first_ == end_) Reset();
    } else {
      Reset();
    }
  }
  // p is about to be appended after tail: remember it if the ring holds the whole list.
  void Appending(gc_object* p, gc_object* tail) {
    if (last_ == tail && end_ - first_ != Capacity) {
      ring_[end_++ % Capacity] = p;
      last_ = p;
    }
  }
  // One step of the cursor: remember the node after the last one reached, and start loading it.
  void Advance() {
    if (end_ - first_ == Capacity) return;
    gc_object* next = last_->succ;
    if (next == head_) return;
    ring_[end_++ % Capacity] = next;
    last_ = next;
    __builtin_prefetch(next, 1, 2);
  }
  // For the heap checker: the ring holds the list's first nodes in order, and last_ the last of them.
  bool Sound() const {
    const gc_object* node = head_;
    for (unsigned i = first_; i != end_; ++i) {
      node = node->succ;
      if (node == head_ || ring_[i % Capacity] != node) return false;
    }
    return last_ == node;
  }

 private:
  static_assert((Capacity & (Capacity - 1)) == 0, "a power of two, so the indices may wrap");
  // How many nodes before its turn the consumer loads a node (again: it may have left the cache).
  static constexpr unsigned DISTANCE = 8;
  gc_object* head_;
  gc_object* last_;     // the last node in the ring, or the head when the ring is empty
  gc_object** ring_;
  unsigned first_ = 0;  // ring_[first_ % Capacity] is the list's first node (when not empty)
  unsigned end_ = 0;
};

// Grey objects are consumed in bursts (a whole budget per step) and queued meanwhile: the ring holds
// a queue of several steps' marking (a longer one is walked by the cursor). Garbage is consumed a
// node or two per allocation, and the cursor gains on it during the steps' marking.
inline constexpr int GC_QUEUED_AHEAD = 32768;
inline constexpr int GC_FREE_AHEAD = 1024;
extern gc_lookahead<GC_QUEUED_AHEAD> gc_queued_ahead;
extern gc_lookahead<GC_FREE_AHEAD> gc_free_ahead;

// ---- Marking -------------------------------------------------------------------------------------

// Turns a reference (object or interface typed) into its object, or null.
template <class T>
inline gc_object* gc_as_object(T* p) {
  if constexpr (std::is_base_of_v<gc_object, T>) {
    return p;
  } else {
    static_assert(std::is_base_of_v<gc_interface, T>, "only objects and interfaces are collected");
    return dynamic_cast<gc_object*>(p);
  }
}
inline gc_object* gc_as_object(std::nullptr_t) { return nullptr; }

// Grey-making primitive: a white object goes to the tail of the grey list.
inline void gc_mark_q(gc_object* p) {
  if (p && (p->flags & GC_COLOUR_BITS) == gc_markbit) {
    p->flags ^= GC_FLAG_MARK;
    gc_remove(p);
    gc_queued_ahead.Appending(p, gc_queued_list.pred);
    gc_append(p, &gc_queued_list);
  }
}
template <class T>
inline void gc_mark_q(T* p) {
  gc_mark_q(gc_as_object(p));
}

// Immediate mark: a white object turns black at once and its mark() runs now.
inline void gc_mark(gc_object* p) {
  if (p && (p->flags & GC_COLOUR_BITS) == gc_markbit) {
    p->flags ^= GC_FLAG_MARK;
    gc_marked_bytes += p->gc_size();
    gc_remove(p);
    gc_append(p, &gc_marked_list);
    p->mark();
  }
}
template <class T>
inline void gc_mark(T* p) {
  gc_mark(gc_as_object(p));
}

// Write barrier for object and interface references: grey the new value, then store it.
// (Arrays have their own form in runtime/array.h.)
template <class T, class U>
inline T* gc_assign(T*& field, U* value) {
  gc_mark_q(value);
  return field = value;
}
template <class T>
inline T* gc_assign(T*& field, std::nullptr_t) {
  return field = nullptr;
}

// ---- Allocation ----------------------------------------------------------------------------------

// Raw memory for a collected object of `size` bytes (rounded up to 8); destroys at least as many
// bytes of pending garbage first. The object's constructor then runs and files it as white.
void* gc_object_alloc(int size);
// Returns the memory of an object whose destructor has run (cache under 64 bytes, else free()).
void gc_object_free(gc_object* p);
// Bytes allocated outside the collector (decoded pixels, samples, file data); any thread.
void gc_ext_malloced(int bytes);

// ---- Collection ----------------------------------------------------------------------------------

void gc_init1();        // the four lists empty
void gc_collect();      // one step: full collection above 8 MiB of new memory, else a budget of marking
void gc_collect_all();  // mark everything queued, sweep, queue the roots again
void gc_mark_queued(int budget);
// The marking budget of an incremental step: gc_new_bytes + (gc_alloced_bytes - gc_new_bytes) *
// gc_new_bytes / 8 MiB, the product in 64 bits, the quotient truncated to 32 bits.
int gc_step_budget();
void gc_sweep();
void gc_mark();         // root marking: every registered root function, in rank order
// Diagnostic walk of one list; prints message and "LIST ERROR!" and exits with -1 when broken.
void gc_validate_list(gc_object* head, const char* message);

// Debug-only heap checker (runtime/gc_check.cpp), never called in normal running: walks all four
// lists and checks the links, the colours per list, the byte counters and that no black object
// refers to a white one. Returns an empty text when the heap is sound, else what is wrong.
const char* gc_check_heap();

// Collector stress (build option QR_GC_STRESS, off in normal builds): every allocation first marks
// everything that is queued, every host step is a full collection, and each of them checks the four
// lists and the tri-colour rule, ending the process with the checker's report on an unsound heap.
// Marking at an allocation never frees anything, so objects held only in local variables stay safe.
#ifdef QR_GC_STRESS
inline constexpr bool GC_STRESS = true;
#else
inline constexpr bool GC_STRESS = false;
#endif

// The host's step (OxGame::gc_collect): mark the delegate with the immediate primitive, then step.
//   gc_mark(_delegate); gc_collect();

// ---- Roots ---------------------------------------------------------------------------------------

// gc_mark() visits the layers' roots in this order; within one rank, in registration order.
enum gc_root_rank : int {
  GC_ROOTS_FRAMEWORK = 100,   // ox_app__app ... ox_graphics_renderDevice
  GC_ROOTS_NET = 200,         // ox_asyncevent__sources, ox_asyncevent__current
  GC_ROOTS_CONTAINERS = 300,  // c_Stack3::m_NIL
  GC_ROOTS_GAME = 400,        // MenuSet, CreditText
};
typedef void (*gc_roots_fn)();
// Registers a root-marking function (which calls gc_mark_q on each global, in order). Registering
// the same function twice is ignored. Register before the start-up sequence marks the roots.
void gc_register_roots(int rank, gc_roots_fn fn);
void gc_unregister_roots(gc_roots_fn fn);

// ---- Header of a new heap object (used by gc_object's constructor) -------------------------------

struct gc_pending_block {
  void* block;
  int size;
};
// Blocks handed out by gc_object_alloc whose constructor has not run yet (normally at most one; a
// few while constructor arguments allocate). Most recent last.
inline constexpr int GC_PENDING_MAX = 64;
extern gc_pending_block gc_pending[GC_PENDING_MAX];
extern int gc_pending_count;
void gc_object_adopt_slow(gc_object* p);
void gc_object_unlink_slow(gc_object* p);

inline gc_object::gc_object() {
  int n = gc_pending_count;
  if (n > 0 && gc_pending[n - 1].block == this) {
    gc_pending_count = n - 1;
    int size = gc_pending[n - 1].size;
    flags = size | gc_markbit;
    gc_append(this, &gc_unmarked_list);
    gc_alloced_bytes += size;
  } else {
    gc_object_adopt_slow(this);
  }
}

// The collector clears succ before it destroys garbage, so a heap object that is still linked here
// is being destroyed because its constructor threw (or by a stray delete): it leaves its list and
// its bytes count as pending garbage, which gc_object_free then gives back.
inline gc_object::~gc_object() {
  if (succ && !(flags & GC_FLAG_STATIC)) gc_object_unlink_slow(this);
}

inline void* gc_object::operator new(std::size_t size) { return gc_object_alloc(static_cast<int>(size)); }
inline void gc_object::operator delete(void* p) { gc_object_free(static_cast<gc_object*>(p)); }
