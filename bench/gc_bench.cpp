// bench/gc_bench.cpp: the collector on a steady mutating workload, side by side with Boehm GC and
// plain new/delete on the same workload (same random sequence, same object shapes).
//
// Workload: SLOTS chains of nodes held by a table of BUCKETS buckets of BUCKET_SLOTS slots. Each
// operation, on a random chain: push a new node (70%; 4 in 5 small, 1 in 5 big; a chain longer than
// MAX_CHAIN is cut in half), cut the chain at a random depth (15%), replace the chain by one new node
// (10%), or move the head node to another chain (5%). Every FRAME operations the host would call into
// the application once: the collector gets one step there (gc_collect), as the host does after every
// delegate call. Boehm GC collects on its own (GC_INIT, GC_MALLOC, no explicit collections) and
// new/delete frees every dropped chain at once.
//
// Two passes. Throughput: each contender runs REPEATS times, interleaved, with no clock read inside
// the run, and the fastest run (least process CPU time, so that helper threads would count) is
// reported. Pauses: one more run each, timing every frame (thread CPU time, the machine may be
// shared; frames of the first run); the collector runs PAUSE_REPEATS times, timing every gc_collect.
// The runs are identical step for step (same operations, same budgets), so each step counts with its
// least time over the runs: a step that the machine interrupted in one run is measured in another.
// Figure lines: gc.alloc_rate (collector) and gc.alloc_rate.peer (Boehm GC) in M allocations per
// second of the throughput pass; gc.step_max_ms and gc.step_p99_ms over every collector step of the
// pause pass. `qr_gc_bench collector|boehm|plain` runs one contender once (for profiling).
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
constexpr int PAUSE_REPEATS = 2;
constexpr int MAX_CHAIN = 16;
constexpr int FRAME = 1000;          // operations between two collector steps
constexpr int SMALL_FRAME = 100;     // a lighter frame, for the step times alone
constexpr long OPS = 12'000'000;     // operations per run
constexpr int BIG_PAYLOAD = 16;      // ints in a big node
constexpr double STEP_QUANTILE = 0.99;  // the step-time percentile printed as a figure
constexpr double MEGA = 1e6;
constexpr double MS_PER_S = 1e3;
constexpr double MIB = 1048576.0;

double ThreadCpuNow() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}
double ProcessCpuNow() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
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

enum class Pass { THROUGHPUT, PAUSES };

struct Figures {
  const char* name = "";
  double seconds = 0;        // process CPU time of the whole run
  long allocations = 0;
  long big_allocations = 0;
  double longest_frame = 0;  // seconds: FRAME operations plus the step after them (pause pass)
  std::vector<double> steps; // seconds: every gc_collect, in order (pause pass)
  std::vector<char> full;    // per step: it was a full collection
  long most_marked = 0;      // bytes blackened by the busiest incremental step (machine-independent)
  long collections = 0;
  double bytes_per_collection = 0;
  long peak_heap = 0;
  double Rate() const { return allocations / seconds; }
};

// The workload, over a policy that says how nodes are made, linked and dropped.
template <class Policy>
Figures RunWorkload(Policy& p, const char* name, Pass pass, int frame_ops = FRAME) {
  Figures f;
  f.name = name;
  Rng rng;
  std::vector<int> length(SLOTS, 0);
  const bool timed = pass == Pass::PAUSES;
  double start = ProcessCpuNow();
  double frame_start = timed ? ThreadCpuNow() : 0;
  for (long op = 0; op < OPS; ++op) {
    std::uint32_t r = rng.Next();
    int s = static_cast<int>(r % SLOTS);
    int kind = static_cast<int>((r >> 14) % 100);
    if (kind < 70) {
      bool big = (r >> 24) % 5 == 0;
      p.Push(s, big);
      ++f.allocations;
      f.big_allocations += big;
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
      if (timed) {
        p.TimedStep(f);
        double now = ThreadCpuNow();
        f.longest_frame = std::max(f.longest_frame, now - frame_start);
        frame_start = now;
      } else {
        p.Step(f);
      }
    }
  }
  f.seconds = ProcessCpuNow() - start;
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
// A bucket object per BUCKET_SLOTS chains: an array of arrays is not scanned, and one array of
// every chain would be scanned in one piece.
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
  static GNode* Make(bool big) { return big ? new GBig : new GNode; }
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
    gc_collect();
    f.collections += gc_sweep_count != sweeps;
  }
  void TimedStep(Figures& f) {
    int sweeps = gc_sweep_count;
    int marked = gc_marked_bytes;
    double t0 = ThreadCpuNow();
    gc_collect();
    double d = ThreadCpuNow() - t0;
    f.steps.push_back(d);
    f.full.push_back(gc_sweep_count != sweeps);
    if (gc_sweep_count != sweeps) {
      ++f.collections;
    } else {
      f.most_marked = std::max(f.most_marked, static_cast<long>(gc_marked_bytes - marked));
    }
    long heap = static_cast<long>(gc_alloced_bytes) + gc_free_bytes;
    f.peak_heap = std::max(f.peak_heap, heap);
  }
  // Outside the timed run: drop everything and destroy it, so the next run starts clean.
  void Finish(Figures& f) {
    double bytes = static_cast<double>(f.allocations - f.big_allocations) * ((sizeof(GNode) + 7) / 8 * 8) +
                   static_cast<double>(f.big_allocations) * ((sizeof(GBig) + 7) / 8 * 8);
    f.bytes_per_collection = f.collections ? bytes / f.collections : 0;
    gc_assign(gc_table, Array<GBucket*>());
    gc_collect_all();
    gc_collect_all();
    Array<char> drain(gc_free_bytes > 0 ? gc_free_bytes : 1);
    gc_unregister_roots(MarkBenchRoots);
  }
};

// ---- Boehm GC ------------------------------------------------------------------------------------

#ifdef QR_WITH_BOEHM
// The same fields as the collector's nodes (Boehm keeps its header outside the object).
struct BNode {
  BNode* next;
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
    gc_no_before = static_cast<long>(GC_get_gc_no());
    total_bytes_before = GC_get_total_bytes();
  }
  BNode*& Slot(int s) { return table[s / BUCKET_SLOTS][s % BUCKET_SLOTS]; }
  static BNode* Make(bool big) { return static_cast<BNode*>(GC_MALLOC(big ? sizeof(BBig) : sizeof(BNode))); }
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
  void TimedStep(Figures&) {}
  // Outside the timed run: drop the table and collect, so the next run starts clean (as the
  // collector's does).
  void Finish(Figures& f) {
    f.collections = static_cast<long>(GC_get_gc_no()) - gc_no_before;
    double bytes = static_cast<double>(GC_get_total_bytes() - total_bytes_before);
    f.bytes_per_collection = f.collections ? bytes / f.collections : 0;
    f.peak_heap = static_cast<long>(GC_get_heap_size());
    root = nullptr;
    table = nullptr;
    GC_gcollect();
  }
  static inline BNode*** volatile root = nullptr;  // static data is a Boehm root
  long gc_no_before = 0;
  std::size_t total_bytes_before = 0;
};
#endif

// ---- new/delete ----------------------------------------------------------------------------------

struct PNode {
  PNode* next = nullptr;
  virtual ~PNode() {}
};
struct PBig : PNode {
  int payload[BIG_PAYLOAD] = {};
};

struct PlainPolicy {
  std::vector<std::vector<PNode*>> table =
      std::vector<std::vector<PNode*>>(BUCKETS, std::vector<PNode*>(BUCKET_SLOTS, nullptr));
  PNode*& Slot(int s) { return table[s / BUCKET_SLOTS][s % BUCKET_SLOTS]; }
  static PNode* Make(bool big) { return big ? new PBig : new PNode; }
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
  void TimedStep(Figures&) {}
  void Finish(Figures&) {
    for (std::vector<PNode*>& bucket : table) {
      for (PNode*& n : bucket) {
        DeleteChain(n);
        n = nullptr;
      }
    }
  }
};

// One run of a contender, set up and torn down outside the timed region.
template <class Policy>
Figures Run(const char* name, Pass pass, int frame_ops = FRAME) {
  Policy p;
  return RunWorkload(p, name, pass, frame_ops);
}

void PrintRate(const Figures& f, const Figures& ref) {
  std::printf("%-12s %9.2f M/s  x%5.2f", f.name, f.Rate() / MEGA, f.Rate() / ref.Rate());
  if (f.collections) {
    std::printf("  collections %5ld  %6.2f MiB/collection", f.collections, f.bytes_per_collection / MIB);
  }
  std::printf("\n");
}

void PrintPauses(const Figures& f) {
  std::printf("%-12s frame max %7.3f ms", f.name, f.longest_frame * MS_PER_S);
  if (f.peak_heap) std::printf("  peak heap %6.1f MiB", f.peak_heap / MIB);
  std::printf("\n");
}

// The collector's pause runs: each step's least time over PAUSE_REPEATS identical runs.
Figures CollectorPauses(int frame_ops) {
  Figures f = Run<CollectorPolicy>("collector", Pass::PAUSES, frame_ops);
  for (int rep = 1; rep < PAUSE_REPEATS; ++rep) {
    Figures again = Run<CollectorPolicy>("collector", Pass::PAUSES, frame_ops);
    if (again.steps.size() != f.steps.size()) {
      std::printf("collector pause runs differ in their steps: the first run's times are kept\n");
      break;
    }
    for (std::size_t i = 0; i < f.steps.size(); ++i) f.steps[i] = std::min(f.steps[i], again.steps[i]);
  }
  return f;
}

// The step-time quantile q (0..1) in seconds; steps must be sorted and not empty.
double Quantile(const std::vector<double>& steps, double q) {
  return steps[static_cast<std::size_t>(q * (steps.size() - 1))];
}

// Every collector step's time: median, 99th and 99.9th percentiles, longest; and the full collections.
void PrintSteps(Figures& f, int frame_ops) {
  double longest_full = 0;
  for (std::size_t i = 0; i < f.steps.size(); ++i) {
    if (f.full[i]) longest_full = std::max(longest_full, f.steps[i]);
  }
  std::vector<double>& v = f.steps;
  std::sort(v.begin(), v.end());
  if (v.empty()) {
    std::printf("collector, a step every %4d operations: no step was measured\n", frame_ops);
    return;
  }
  std::printf("collector, a step every %4d operations: %zu steps (ms) median %.3f, p99 %.3f, "
              "p99.9 %.3f, longest %.3f; busiest incremental step marked %ld KiB; longest full "
              "collection %.3f ms\n",
              frame_ops, v.size(), Quantile(v, 0.5) * MS_PER_S, Quantile(v, STEP_QUANTILE) * MS_PER_S,
              Quantile(v, 0.999) * MS_PER_S, v.back() * MS_PER_S, f.most_marked / 1024, longest_full * MS_PER_S);
}

void PrintFigure(const char* key, double value, const char* unit) {
  std::printf("FIGURE\t%s\t%.6g\t%s\n", key, value, unit);
}

}  // namespace

int main(int argc, char** argv) {
  gc_init1();
  if (argc > 1) {  // for profiling: one contender, one untimed-step run
    Figures f;
    if (std::strcmp(argv[1], "collector") == 0) {
      f = Run<CollectorPolicy>("collector", Pass::THROUGHPUT);
#ifdef QR_WITH_BOEHM
    } else if (std::strcmp(argv[1], "boehm") == 0) {
      f = Run<BoehmPolicy>("Boehm GC", Pass::THROUGHPUT);
#endif
    } else if (std::strcmp(argv[1], "plain") == 0) {
      f = Run<PlainPolicy>("new/delete", Pass::THROUGHPUT);
    } else {
      std::fprintf(stderr, "usage: %s [collector|boehm|plain]\n", argv[0]);
      return 2;
    }
    std::printf("%s %.2f M/s\n", f.name, f.Rate() / MEGA);
    return 0;
  }
  std::printf("workload: %ld operations, %d chains of up to %d nodes, a collector step every %d "
              "operations; throughput: best of %d interleaved runs, process CPU time\n",
              OPS, SLOTS, MAX_CHAIN, FRAME, REPEATS);
  Figures mine, plain;
#ifdef QR_WITH_BOEHM
  Figures boehm;
#endif
  auto keep = [](Figures& best, const Figures& run) {
    if (best.seconds == 0 || run.seconds < best.seconds) best = run;
  };
  for (int rep = 0; rep < REPEATS; ++rep) {
    keep(mine, Run<CollectorPolicy>("collector", Pass::THROUGHPUT));
#ifdef QR_WITH_BOEHM
    keep(boehm, Run<BoehmPolicy>("Boehm GC", Pass::THROUGHPUT));
#endif
    keep(plain, Run<PlainPolicy>("new/delete", Pass::THROUGHPUT));
  }
#ifdef QR_WITH_BOEHM
  const Figures& ref = boehm;
#else
  const Figures& ref = mine;
  std::printf("Boehm GC left out: built without libgc (Debian libgc-dev), so gc.alloc_rate.peer is not measured\n");
#endif
  std::printf("allocation throughput, ratio to %s:\n", ref.name);
  PrintRate(mine, ref);
#ifdef QR_WITH_BOEHM
  PrintRate(boehm, ref);
#endif
  PrintRate(plain, ref);

  std::printf("pauses: longest frame of %d operations (with the collector's step after it):\n", FRAME);
  Figures mine_pauses = CollectorPauses(FRAME);
  PrintPauses(mine_pauses);
#ifdef QR_WITH_BOEHM
  PrintPauses(Run<BoehmPolicy>("Boehm GC", Pass::PAUSES));
#endif
  PrintPauses(Run<PlainPolicy>("new/delete", Pass::PAUSES));
  PrintSteps(mine_pauses, FRAME);
  Figures light = CollectorPauses(SMALL_FRAME);
  PrintSteps(light, SMALL_FRAME);

  PrintFigure("gc.alloc_rate", mine.Rate() / MEGA, "M/s");
#ifdef QR_WITH_BOEHM
  PrintFigure("gc.alloc_rate.peer", boehm.Rate() / MEGA, "M/s");
#endif
  if (!mine_pauses.steps.empty()) {
    PrintFigure("gc.step_max_ms", mine_pauses.steps.back() * MS_PER_S, "ms");
    PrintFigure("gc.step_p99_ms", Quantile(mine_pauses.steps, STEP_QUANTILE) * MS_PER_S, "ms");
  }
  return 0;
}
