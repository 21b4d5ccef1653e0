// runtime/gc_check.cpp: the debug-only heap checker (gc_check_heap). Tests call it after every
// collector step; normal running never does. It reads the heap and changes nothing when it is sound.
#include <cstdio>

#include "runtime/gc.h"

namespace {

char report[256];

const char* fail(const char* what, const char* list, const void* obj) {
  std::snprintf(report, sizeof report, "%s (list %s, object %p)", what, list, obj);
  return report;
}

// Walks one list: links both ways, colour, size. Sums the sizes into *bytes.
const char* check_list(gc_object* head, const char* name, int colour, long long* bytes) {
  const long long limit = 1LL << 32;  // a list longer than this has a cycle that skips the head
  long long steps = 0;
  *bytes = 0;
  gc_object* prev = head;
  for (gc_object* p = head->succ;; p = p->succ) {
    if (!p) return fail("null succ", name, prev);
    if (p->pred != prev) return fail("pred does not lead back", name, p);
    if (p == head) break;
    if (++steps > limit) return fail("list does not return to its head", name, p);
    int size = p->gc_size();
    if (size <= 0) return fail("bad size", name, p);
    if (p->flags & GC_FLAG_STATIC) return fail("static object on a list", name, p);
    if (p->flags & 4) return fail("flag bit 2 set", name, p);
    if (colour >= 0 && (p->flags & GC_COLOUR_BITS) != colour) return fail("wrong colour", name, p);
    *bytes += size;
    prev = p;
  }
  return nullptr;
}

}  // namespace

const char* gc_check_heap() {
  long long white = 0, grey = 0, black = 0, garbage = 0;
  const char* err;
  if ((err = check_list(&gc_unmarked_list, "unmarked", gc_markbit, &white))) return err;
  if ((err = check_list(&gc_queued_list, "queued", gc_markbit ^ GC_FLAG_MARK, &grey))) return err;
  if ((err = check_list(&gc_marked_list, "marked", gc_markbit ^ GC_FLAG_MARK, &black))) return err;
  if ((err = check_list(&gc_free_list, "free", -1, &garbage))) return err;

  if (white + grey + black != gc_alloced_bytes) {
    std::snprintf(report, sizeof report, "gc_alloced_bytes %d, lists hold %lld", gc_alloced_bytes,
                  white + grey + black);
    return report;
  }
  if (black != gc_marked_bytes) {
    std::snprintf(report, sizeof report, "gc_marked_bytes %d, black list holds %lld", gc_marked_bytes, black);
    return report;
  }
  if (garbage != gc_free_bytes) {
    std::snprintf(report, sizeof report, "gc_free_bytes %d, free list holds %lld", gc_free_bytes, garbage);
    return report;
  }

  if (!gc_queued_ahead.Sound()) return fail("look-ahead is not the list's first nodes", "queued", nullptr);
  if (!gc_free_ahead.Sound()) return fail("look-ahead is not the list's first nodes", "free", nullptr);

  // Tri-colour rule: scanning a black object again must find nothing white. Its mark() greys a white
  // child (the grey list's tail moves) or blackens a white array element (the marked bytes grow);
  // on a sound heap it does nothing at all.
  for (gc_object* p = gc_marked_list.succ; p != &gc_marked_list; p = p->succ) {
    gc_object* grey_tail = gc_queued_list.pred;
    int marked = gc_marked_bytes;
    p->mark();
    if (gc_queued_list.pred != grey_tail || gc_marked_bytes != marked) {
      return fail("black object refers to a white one", "marked", p);
    }
  }
  return "";
}
