// bench/gc_bench.cpp: the collector on a steady mutating workload, side by side with Boehm GC and
// plain new/delete on the same workload (same random sequence, same object shapes).
//
// Workload: SLOTS chains of nodes held by a table of BUCKETS buckets of BUCKET_SLOTS slots. Each operation, on a random chain: push a new
// node (70%; 4 in 5 small, 1 in 5 big; a chain longer than MAX_CHAIN is cut in half), cut the chain
// at a random depth (15%), replace the chain by one new node (10%), or move the head node to another
// chain (5%). Every FRAME operations the host would call into the application once: the collector
// gets one step there (gc_collect), as the host does after every delegate call.
// Times are thread CPU times (the machine may be shared); each allocator runs REPEATS times,
// interleaved, and the fastest run is reported; the longest step is the longest of all runs.
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/runtime.h"

#ifdef QR_WITH_BOEHM
#include <gc/gc.h>
#endif

namespace {

constexpr int BUCKETS = 128;
constexpr int BUCKET_SLOTS = 128;  // arrays of references are scanned in one piece: keep them small
constexpr int SLOTS = BUCKETS * BUCKET_SLOTS;
constexpr int REPEATS = 3;
constexpr int MAX_CHAIN = 16;
constexpr int FRAME = 1000;          // operations between two collector steps
constexpr int SMALL_FRAME = 100;     // a lighter frame, for the step times alone
constexpr long OPS = 12'000'000;     // operations per run
constexpr int BIG_PAYLOAD = 16;      // ints in a big node

double CpuNow() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

struct Rng {
  std::uint64_t s = 0x9E3779B97F4A7C15ULL;
  std::uint32_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<std::uint32_t>(s >> 11);
  }
};

struct Figures {
  const char* name;
  double seconds = 0;
  long allocations = 0;
  double longest_frame = 0;  // seconds: FRAME operations plus the step after them
  double longest_step = 0;   // seconds: one incremental gc_collect (collector only)
  std::vector<double> steps; // every incremental step's time
  long most_marked = 0;      // bytes blackened by the busiest incremental step (machine-independent)
  double longest_full = 0;   // seconds: one gc_collect that was a full collection
  long collections = 0;
  double bytes_per_collection = 0;
  long peak_heap = 0;
};

// The workload, over a policy that says how nodes are made, linked and dropped.
template <class Policy>
Figures RunWorkload(Policy& p, const char* name, int frame_ops = FRAME) {
  Figures f;
  f.name = name;
  Rng rng;
  std::vector<int> length(SLOTS, 0);
  double start = CpuNow();
  double frame_start = start;
  for (long op = 0; op < OPS; ++op) {
    std::uint32_t r = rng.Next();
    int s = static_cast<int>(r % SLOTS);
    int kind = static_cast<int>((r >> 14) % 100);
    if (kind < 70) {
      bool big = (r >> 24) % 5 == 0;
      p.Push(s, big);
      ++f.allocations;
      if (++length[s] > MAX_CHAIN) {
        p.Cut(s, MAX_CHAIN / 2);
        length[s] = MAX_CHAIN / 2;
      }
    } else if (kind < 85) {
      int depth = length[s] > 0 ? static_cast<int>((r >> 24) % (length[s] + 1)) : 0;
      p.Cut(s, depth);
      length[s] = depth;
    } else if (kind < 95) {
      p.Replace(s);
      ++f.allocations;
      length[s] = 1;
    } else {
      int t = static_cast<int>((r >> 7) % SLOTS);
      if (t != s && length[s] > 0 && length[t] < MAX_CHAIN) {
        p.MoveHead(s, t);
        --length[s];
        ++length[t];
      }
    }
    if ((op + 1) % frame_ops == 0) {
      p.Step(f);
      double now = CpuNow();
      double frame = now - frame_start;
      if (frame > f.longest_frame) f.longest_frame = frame;
      frame_start = now;
    }
  }
  f.seconds = CpuNow() - start;
  p.Finish(f);
  return f;
}

// ---- The collector -------------------------------------------------------------------------------

struct GNode : Object {
  GNode* m_next = nullptr;
  void mark() override {
    Object::mark();
    gc_mark_q(m_next);
  }
};
struct GBig : GNode {
  int m_payload[BIG_PAYLOAD] = {};
};
struct GBucket : Object {
  Array<GNode*> m_slots;
  void mark() override {
    Object::mark();
    gc_mark_q(m_slots);
  }
};

Array<GBucket*> gc_table;
void MarkBenchRoots() { gc_mark_q(gc_table); }

struct CollectorPolicy {
  CollectorPolicy() {
    gc_register_roots(GC_ROOTS_GAME, MarkBenchRoots);
    Array<GBucket*> table(BUCKETS);
    for (int b = 0; b < BUCKETS; ++b) {
      table[b] = new GBucket;
      gc_assign(table[b]->m_slots, Array<GNode*>(BUCKET_SLOTS));
    }
    gc_assign(gc_table, table);
  }
  static GNode*& Slot(int s) { return gc_table[s / BUCKET_SLOTS]->m_slots[s % BUCKET_SLOTS]; }
  GNode* Make(bool big) {
    bytes += big ? (sizeof(GBig) + 7) / 8 * 8 : (sizeof(GNode) + 7) / 8 * 8;
    return big ? new GBig : new GNode;
  }
  void Push(int s, bool big) {
    GNode* n = Make(big);
    gc_assign(n->m_next, Slot(s));
    gc_assign(Slot(s), n);
  }
  void Cut(int s, int depth) {
    if (depth == 0) {
      gc_assign(Slot(s), nullptr);
      return;
    }
    GNode* n = Slot(s);
    for (int i = 1; i < depth && n; ++i) n = n->m_next;
    if (n) gc_assign(n->m_next, nullptr);
  }
  void Replace(int s) { gc_assign(Slot(s), Make(false)); }
  void MoveHead(int s, int t) {
    GNode* n = Slot(s);
    gc_assign(Slot(s), n->m_next);
    gc_assign(n->m_next, Slot(t));
    gc_assign(Slot(t), n);
  }
  void Step(Figures& f) {
    int sweeps = gc_sweep_count;
    int marked = gc_marked_bytes;
    double t0 = CpuNow();
    gc_collect();
    double d = CpuNow() - t0;
    if (gc_sweep_count != sweeps) {
      f.longest_full = std::max(f.longest_full, d);
      ++f.collections;
    } else {
      f.longest_step = std::max(f.longest_step, d);
      f.steps.push_back(d);
      f.most_marked = std::max(f.most_marked, static_cast<long>(gc_marked_bytes - marked));
    }
    long heap = static_cast<long>(gc_alloced_bytes) + gc_free_bytes;
    f.peak_heap = std::max(f.peak_heap, heap);
  }
  // Outside the timed run: drop everything and destroy it, so the next run starts clean.
  void Finish(Figures& f) {
    f.bytes_per_collection = f.collections ? static_cast<double>(bytes) / f.collections : 0;
    gc_assign(gc_table, Array<GBucket*>());
    gc_collect_all();
    gc_collect_all();
    Array<char> drain(gc_free_bytes > 0 ? gc_free_bytes : 1);
    gc_unregister_roots(MarkBenchRoots);
  }
  long bytes = 0;  // allocated by the workload
};

// ---- Boehm GC ------------------------------------------------------------------------------------

#ifdef QR_WITH_BOEHM
struct BNode {
  BNode* next;
  int payload[2];
};
struct BBig {
  BNode node;
  int payload[BIG_PAYLOAD];
};

struct BoehmPolicy {
  BNode*** table;
  BoehmPolicy() {
    GC_INIT();
    table = static_cast<BNode***>(GC_MALLOC(sizeof(BNode**) * BUCKETS));
    for (int b = 0; b < BUCKETS; ++b) table[b] = static_cast<BNode**>(GC_MALLOC(sizeof(BNode*) * BUCKET_SLOTS));
    root = table;
  }
  BNode*& Slot(int s) { return table[s / BUCKET_SLOTS][s % BUCKET_SLOTS]; }
  BNode* Make(bool big) {
    return static_cast<BNode*>(GC_MALLOC(big ? sizeof(BBig) : sizeof(BNode)));
  }
  void Push(int s, bool big) {
    BNode* n = Make(big);
    n->next = Slot(s);
    Slot(s) = n;
  }
  void Cut(int s, int depth) {
    if (depth == 0) {
      Slot(s) = nullptr;
      return;
    }
    BNode* n = Slot(s);
    for (int i = 1; i < depth && n; ++i) n = n->next;
    if (n) n->next = nullptr;
  }
  void Replace(int s) { Slot(s) = Make(false); }
  void MoveHead(int s, int t) {
    BNode* n = Slot(s);
    Slot(s) = n->next;
    n->next = Slot(t);
    Slot(t) = n;
  }
  void Step(Figures&) {}
  void Finish(Figures& f) {
    f.collections = static_cast<long>(GC_get_gc_no()) - gc_no_before;
    double bytes = static_cast<double>(GC_get_total_bytes() - total_bytes_before);
    f.bytes_per_collection = f.collections ? bytes / f.collections : 0;
    f.peak_heap = static_cast<long>(GC_get_heap_size());
    root = nullptr;
  }
  static inline BNode*** volatile root = nullptr;  // static data is a Boehm root
  long gc_no_before = static_cast<long>(GC_get_gc_no());
  std::size_t total_bytes_before = GC_get_total_bytes();
};
#endif

// ---- new/delete ----------------------------------------------------------------------------------

struct PNode {
  PNode* next = nullptr;
  bool big = false;
  virtual ~PNode() {}
};
struct PBig : PNode {
  int payload[BIG_PAYLOAD] = {};
};

struct PlainPolicy {
  std::vector<std::vector<PNode*>> table =
      std::vector<std::vector<PNode*>>(BUCKETS, std::vector<PNode*>(BUCKET_SLOTS, nullptr));
  PNode*& Slot(int s) { return table[s / BUCKET_SLOTS][s % BUCKET_SLOTS]; }
  PNode* Make(bool big) { return big ? new PBig : new PNode; }
  static void DeleteChain(PNode* n) {
    while (n) {
      PNode* next = n->next;
      delete n;
      n = next;
    }
  }
  void Push(int s, bool big) {
    PNode* n = Make(big);
    n->next = Slot(s);
    Slot(s) = n;
  }
  void Cut(int s, int depth) {
    if (depth == 0) {
      DeleteChain(Slot(s));
      Slot(s) = nullptr;
      return;
    }
    PNode* n = Slot(s);
    for (int i = 1; i < depth && n; ++i) n = n->next;
    if (n) {
      DeleteChain(n->next);
      n->next = nullptr;
    }
  }
  void Replace(int s) {
    DeleteChain(Slot(s));
    Slot(s) = Make(false);
  }
  void MoveHead(int s, int t) {
    PNode* n = Slot(s);
    Slot(s) = n->next;
    n->next = Slot(t);
    Slot(t) = n;
  }
  void Step(Figures&) {}
  void Finish(Figures&) {
    for (std::vector<PNode*>& bucket : table) {
      for (PNode*& n : bucket) {
        DeleteChain(n);
        n = nullptr;
      }
    }
  }
};

void Print(const Figures& f, const Figures& ref) {
  double rate = f.allocations / f.seconds;
  double ref_rate = ref.allocations / ref.seconds;
  std::printf("%-12s %9.2f M/s  x%5.2f  frame max %7.3f ms", f.name, rate / 1e6, rate / ref_rate,
              f.longest_frame * 1e3);
  if (f.collections) {
    std::printf("  collections %5ld  %6.2f MiB/collection  peak heap %6.1f MiB", f.collections,
                f.bytes_per_collection / 1048576.0, f.peak_heap / 1048576.0);
  }
  std::printf("\n");
}

// Incremental step times: median, 99th and 99.9th percentiles, longest; and the full collections.
void PrintSteps(Figures& f, int frame_ops) {
  std::vector<double>& v = f.steps;
  std::sort(v.begin(), v.end());
  auto at = [&](double q) { return v.empty() ? 0.0 : v[static_cast<std::size_t>(q * (v.size() - 1))] * 1e3; };
  std::printf("collector, a step every %4d operations: incremental steps (ms) median %.3f, p99 %.3f, "
              "p99.9 %.3f, longest %.3f; busiest step marked %ld KiB; longest full collection %.3f ms\n",
              frame_ops, at(0.5), at(0.99), at(0.999), f.longest_step * 1e3, f.most_marked / 1024,
              f.longest_full * 1e3);
}

// Keeps the fastest run (least CPU time) and the longest pauses of all runs.
void Keep(Figures& best, const Figures& run, bool first) {
  Figures merged = (first || run.seconds < best.seconds) ? run : best;
  merged.longest_frame = first ? run.longest_frame : std::max(best.longest_frame, run.longest_frame);
  merged.longest_step = first ? run.longest_step : std::max(best.longest_step, run.longest_step);
  merged.longest_full = first ? run.longest_full : std::max(best.longest_full, run.longest_full);
  merged.most_marked = first ? run.most_marked : std::max(best.most_marked, run.most_marked);
  if (!first) {
    merged.steps = best.steps;
    merged.steps.insert(merged.steps.end(), run.steps.begin(), run.steps.end());
  }
  best = merged;
}

}  // namespace

int main(int argc, char** argv) {
  gc_init1();
  if (argc > 1 && std::strcmp(argv[1], "collector") == 0) {  // for profiling: the collector alone
    CollectorPolicy p;
    Figures f = RunWorkload(p, "collector");
    std::printf("collector %.2f M/s\n", f.allocations / f.seconds / 1e6);
    return 0;
  }
  std::printf("workload: %ld operations, %d chains of up to %d nodes, a collector step every %d "
              "operations; best of %d interleaved runs, thread CPU time\n",
              OPS, SLOTS, MAX_CHAIN, FRAME, REPEATS);
  Figures mine, plain;
#ifdef QR_WITH_BOEHM
  Figures boehm;
#endif
  for (int rep = 0; rep < REPEATS; ++rep) {
    {
      CollectorPolicy p;
      Keep(mine, RunWorkload(p, "collector"), rep == 0);
    }
#ifdef QR_WITH_BOEHM
    {
      BoehmPolicy p;
      Keep(boehm, RunWorkload(p, "Boehm GC"), rep == 0);
    }
#endif
    {
      PlainPolicy p;
      Keep(plain, RunWorkload(p, "new/delete"), rep == 0);
    }
  }
#ifdef QR_WITH_BOEHM
  const Figures& ref = boehm;
#else
  const Figures& ref = mine;
#endif
  std::printf("allocation throughput, ratio to %s, longest frame of %d operations (with its step):\n",
              ref.name, FRAME);
  Print(mine, ref);
#ifdef QR_WITH_BOEHM
  Print(boehm, ref);
#endif
  Print(plain, ref);
  PrintSteps(mine, FRAME);
  Figures light;
  {
    CollectorPolicy p;
    light = RunWorkload(p, "collector", SMALL_FRAME);
  }
  PrintSteps(light, SMALL_FRAME);
  return 0;
}
