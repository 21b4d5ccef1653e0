// runtime/gc.cpp: the collector's state, allocation with lazy destruction and size caches, the
// incremental marking, the sweep by splicing, the collection step and the root registry.
#include "runtime/gc.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cstddef>
#include <vector>

#include "runtime/debug.h"
#include "runtime/text.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QR_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define QR_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define QR_POISON(p, n) ((void)(p), (void)(n))
#define QR_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

int gc_markbit = 1;
// Sentinels are constant-initialised as empty circular lists, so the heap works even for objects
// made during static initialisation; gc_init1 makes them empty again.
gc_object gc_unmarked_list(gc_static, &gc_unmarked_list);
gc_object gc_queued_list(gc_static, &gc_queued_list);
gc_object gc_marked_list(gc_static, &gc_marked_list);
gc_object gc_free_list(gc_static, &gc_free_list);
gc_object* gc_cache[GC_CACHE_SLOTS];
int gc_new_bytes;
int gc_alloced_bytes;
int gc_marked_bytes;
int gc_free_bytes;
std::atomic<int> gc_ext_new_bytes{0};
int gc_sweep_count;

gc_pending_block gc_pending[GC_PENDING_MAX];
int gc_pending_count;

static gc_object* gc_queued_ring[GC_QUEUED_AHEAD];
static gc_object* gc_free_ring[GC_FREE_AHEAD];
gc_lookahead<GC_QUEUED_AHEAD> gc_queued_ahead(&gc_queued_list, gc_queued_ring);
gc_lookahead<GC_FREE_AHEAD> gc_free_ahead(&gc_free_list, gc_free_ring);

// ---- Objects -------------------------------------------------------------------------------------

bool Object::Equals(Object* obj) { return this == obj; }
int Object::Compare(Object* obj) {
  return static_cast<int>(reinterpret_cast<char*>(this) - reinterpret_cast<char*>(obj));
}
String Object::debug() { return String("+Object\n"); }

static bool gc_on_list(gc_object* head, gc_object* p) {
  for (gc_object* q = head->succ; q != head; q = q->succ) {
    if (q == p) return true;
  }
  return false;
}

// A heap object destroyed while still on a list (see ~gc_object): off its list, its bytes pending.
void gc_object_unlink_slow(gc_object* p) {
  int size = p->gc_size();
  if ((p->flags & GC_COLOUR_BITS) != gc_markbit && gc_on_list(&gc_marked_list, p)) {
    gc_marked_bytes -= size;
  }
  gc_remove(p);
  p->succ = p->pred = nullptr;
  gc_queued_ahead.Reset();  // it may have been in a ring
  gc_free_ahead.Reset();
  gc_alloced_bytes -= size;
  gc_free_bytes += size;
}

void gc_object_adopt_slow(gc_object* p) {
  char* addr = reinterpret_cast<char*>(p);
  for (int i = gc_pending_count - 1; i >= 0; --i) {
    char* block = static_cast<char*>(gc_pending[i].block);
    if (block == addr) {
      int size = gc_pending[i].size;
      std::copy(gc_pending + i + 1, gc_pending + gc_pending_count, gc_pending + i);
      --gc_pending_count;
      p->flags = size | gc_markbit;
      gc_append(p, &gc_unmarked_list);
      gc_alloced_bytes += size;
      return;
    }
    if (addr > block && addr < block + gc_pending[i].size) {
      std::fputs("gc_object must be the first base of a collected class\n", stderr);
      std::abort();
    }
  }
  // Not from gc_object_alloc: a static or automatic object, never collected.
  p->flags = GC_COLOUR_BITS;
  p->succ = p->pred = nullptr;
}

// ---- Allocation ----------------------------------------------------------------------------------

// The flags word of a block whose destructor has run is read as plain memory: the object is gone.
constexpr std::size_t GC_FLAGS_OFFSET = 3 * sizeof(void*);  // after the vtable pointer, succ, pred
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(gc_object, succ) == sizeof(void*), "gc_object layout");
static_assert(offsetof(gc_object, flags) == GC_FLAGS_OFFSET, "gc_object layout");
#pragma GCC diagnostic pop

// A cached block is dead memory, not an object: its link (where succ was, after the vtable
// pointer) is read and written as plain memory, and under AddressSanitizer the rest is poisoned.
constexpr std::size_t GC_LINK_OFFSET = sizeof(void*);

static void gc_cache_push(gc_object* p, int size) {
  char* block = reinterpret_cast<char*>(p);
  std::memcpy(block + GC_LINK_OFFSET, &gc_cache[size >> 3], sizeof(gc_object*));
  gc_cache[size >> 3] = p;
  QR_POISON(block, GC_LINK_OFFSET);
  QR_POISON(block + GC_LINK_OFFSET + sizeof(void*), size - GC_LINK_OFFSET - sizeof(void*));
}

static gc_object* gc_cache_pop(int size) {
  gc_object* p = gc_cache[size >> 3];
  char* block = reinterpret_cast<char*>(p);
  QR_UNPOISON(block, size);
  std::memcpy(&gc_cache[size >> 3], block + GC_LINK_OFFSET, sizeof(gc_object*));
  // The next block of this size may have waited long: start loading it for the next allocation.
  __builtin_prefetch(gc_cache[size >> 3], 1);
  return p;
}

// Stress mode's check of the whole heap (see GC_STRESS).
static void gc_stress_check(const char* where) {
  for (gc_object* head : {&gc_unmarked_list, &gc_queued_list, &gc_marked_list, &gc_free_list}) {
    gc_validate_list(head, where);
  }
  const char* report = gc_check_heap();
  if (*report) {
    std::fprintf(stderr, "%s: %s\n", where, report);
    std::fflush(stderr);
    std::abort();
  }
}

void* gc_object_alloc(int size) {
  size = (size + 7) & GC_SIZE_MASK;
  gc_new_bytes += size;
  if (GC_STRESS) {
    gc_mark_queued(GC_UNLIMITED_BUDGET);
    gc_stress_check("collector stress: allocation");
  }

  // Lazy destruction: destroy at least as many bytes of pending garbage as are allocated, or all.
  int target = std::max(gc_free_bytes - size, 0);
  while (gc_free_bytes > target && gc_free_list.succ != &gc_free_list) {
    gc_object* p = gc_free_list.succ;
    gc_free_ahead.Consume(p);
    gc_remove(p);
    p->succ = p->pred = nullptr;
    delete p;
  }
  gc_free_ahead.Advance();

  void* mem;
  if (size < GC_CACHE_LIMIT && gc_cache[size >> 3]) {
    mem = gc_cache_pop(size);
  } else {
    mem = std::malloc(size);
  }
  if (gc_pending_count == GC_PENDING_MAX) {
    std::fputs("gc_object_alloc: too many objects allocated before their constructors ran\n", stderr);
    std::abort();
  }
  gc_pending[gc_pending_count++] = gc_pending_block{mem, size};
  return mem;
}

void gc_object_free(gc_object* p) {
  // A block whose constructor never ran (a constructor argument threw): it was never counted.
  for (int i = gc_pending_count - 1; i >= 0; --i) {
    if (gc_pending[i].block == p) {
      int size = gc_pending[i].size;
      std::copy(gc_pending + i + 1, gc_pending + gc_pending_count, gc_pending + i);
      --gc_pending_count;
      if (size < GC_CACHE_LIMIT) {
        gc_cache_push(p, size);
      } else {
        std::free(p);
      }
      return;
    }
  }
  int flags;
  std::memcpy(&flags, reinterpret_cast<char*>(p) + GC_FLAGS_OFFSET, sizeof flags);
  int size = flags & GC_SIZE_MASK;
  gc_free_bytes -= size;
  if (size < GC_CACHE_LIMIT) {
    gc_cache_push(p, size);
  } else {
    std::free(p);
  }
}

void gc_ext_malloced(int bytes) { gc_ext_new_bytes.fetch_add(bytes); }

// ---- Collection ----------------------------------------------------------------------------------

void gc_init1() {
  for (gc_object* head : {&gc_unmarked_list, &gc_queued_list, &gc_marked_list, &gc_free_list}) {
    head->succ = head->pred = head;
  }
  gc_queued_ahead.Reset();
  gc_free_ahead.Reset();
}

// The marking loop also moves the garbage look-ahead on, once every this many objects: often enough
// to keep ahead of lazy destruction, seldom enough not to wait on memory at every object.
constexpr unsigned GC_MARKS_PER_FREE_ADVANCE = 2;

void gc_mark_queued(int budget) {
  unsigned n = 0;
  while (gc_marked_bytes < budget && gc_queued_list.succ != &gc_queued_list) {
    gc_object* p = gc_queued_list.succ;
    gc_queued_ahead.Consume(p);
    gc_remove(p);
    gc_append(p, &gc_marked_list);
    gc_marked_bytes += p->gc_size();
    gc_queued_ahead.Advance();
    if (++n % GC_MARKS_PER_FREE_ADVANCE == 0) gc_free_ahead.Advance();
    p->mark();
  }
}

// Moves all nodes of list `from` to the tail of list `to`; `from` becomes empty. O(1).
static void gc_splice(gc_object* from, gc_object* to) {
  if (from->succ == from) return;
  gc_object* first = from->succ;
  gc_object* last = from->pred;
  gc_object* tail = to->pred;
  tail->succ = first;
  first->pred = tail;
  last->succ = to;
  to->pred = last;
  from->succ = from->pred = from;
}

void gc_sweep() {
  int garbage = gc_alloced_bytes - gc_marked_bytes;
  if (garbage != 0) {
    gc_splice(&gc_unmarked_list, &gc_free_list);
    gc_free_bytes += garbage;
  }
  // The black list becomes the white list.
  gc_unmarked_list.succ = gc_unmarked_list.pred = &gc_unmarked_list;
  gc_splice(&gc_marked_list, &gc_unmarked_list);
  gc_alloced_bytes = gc_marked_bytes;
  gc_marked_bytes = 0;
  gc_markbit ^= 1;
  ++gc_sweep_count;
}

void gc_collect() {
  if (GC_STRESS) gc_stress_check("collector stress: before a step");
  int ext = gc_ext_new_bytes.load();
  // (The test is done in 64 bits so that large outside allocations cannot overflow it.)
  if (GC_STRESS || static_cast<long long>(gc_new_bytes) + ext > GC_FULL_THRESHOLD) {
    gc_ext_new_bytes.fetch_sub(ext);  // what a worker added meanwhile stays counted
    gc_mark_queued(GC_UNLIMITED_BUDGET);
    gc_sweep();
    gc_mark();
    gc_new_bytes = 0;
  } else {
    gc_mark_queued(gc_step_budget());
  }
  if (GC_STRESS) gc_stress_check("collector stress: after a step");
}

int gc_step_budget() {
  long long scaled = static_cast<long long>(gc_alloced_bytes - gc_new_bytes) * gc_new_bytes;
  return gc_new_bytes + static_cast<int>(scaled / GC_FULL_THRESHOLD);
}

void gc_collect_all() {
  gc_mark_queued(GC_UNLIMITED_BUDGET);
  gc_sweep();
  gc_mark();
}

void gc_validate_list(gc_object* head, const char* message) {
  gc_object* prev = head;
  gc_object* node = head->succ;
  for (;;) {
    if (!node || node->pred != prev) break;
    if (node == head) return;
    prev = node;
    node = node->succ;
  }
  if (message) {
    std::puts(message);
    std::fflush(stdout);
  }
  std::puts(OX_LIST_ERROR);
  std::fflush(stdout);
  std::exit(-1);
}

// ---- Roots ---------------------------------------------------------------------------------------

namespace {
struct RootEntry {
  int rank;
  gc_roots_fn fn;
};
std::vector<RootEntry>& root_registry() {
  static std::vector<RootEntry> entries;  // built on first use, so static initialisers may register
  return entries;
}
}  // namespace

void gc_register_roots(int rank, gc_roots_fn fn) {
  std::vector<RootEntry>& entries = root_registry();
  for (const RootEntry& e : entries) {
    if (e.fn == fn) return;
  }
  auto at = std::upper_bound(entries.begin(), entries.end(), rank,
                             [](int r, const RootEntry& e) { return r < e.rank; });
  entries.insert(at, RootEntry{rank, fn});
}

void gc_unregister_roots(gc_roots_fn fn) {
  std::vector<RootEntry>& entries = root_registry();
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [fn](const RootEntry& e) { return e.fn == fn; }),
                entries.end());
}

void gc_mark() {
  for (const RootEntry& e : root_registry()) e.fn();
}
