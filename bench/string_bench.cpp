// bench/string_bench.cpp: String against std::u16string on game-sized texts: concatenation of a
// few pieces, Split and Join of the saved state and the credits, Replace in a short text.
//
// Both sides get the same inputs and do the same work, each written the way its users write it:
// String with its own operators, the peer with +, find, substr and append (reserve where the size
// is known). Each result is checked equal once outside the timing. Times are the (one-threaded)
// program's CPU time over batches of operations; the two sides' batches alternate and the median
// batch is reported.
// The arrays that String's Split drops are collected garbage: each String split batch ends with a
// full collection, and the garbage is destroyed during the next batch's allocations, so its release
// is timed as the peer's vectors' is (a batch's garbage stays small, unlike a run's).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace {

constexpr int SAMPLES = 61;                 // batches per side and operation; the median is kept
constexpr double BATCH_SECONDS = 0.002;     // CPU time a batch aims at (calibrated per operation)
constexpr int CALIBRATION_OPS = 16;         // operations of the first calibration batch
constexpr int CALIBRATION_STEP = 4;         // calibration batches grow by this factor until one
                                            // takes a CALIBRATION_STEP-th of BATCH_SECONDS
constexpr double NS_PER_SECOND = 1e9;

constexpr int STATE_FIELDS = 203;           // fields of the saved state, each followed by ","
constexpr int STATE_SETTINGS = 25;          // small settings values at the front of the state
constexpr std::uint32_t RNG_SEED = 0x2545F491u;
constexpr int SMALL_SETTING_RANGE = 120;    // settings are 0 to 119
constexpr int SCORE_DIGITS_MIN = 5;         // other fields are numbers of 5 to 9 digits
constexpr int SCORE_DIGITS_SPAN = 5;
constexpr int DECIMAL = 10;                 // number base of the fields
constexpr int CREDIT_LINES = 57;            // lines of the credits page
constexpr int STATE_CHUNKS = 4;             // pieces of ~40 characters in the longest line

double CpuNow() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// xorshift32 with its usual shifts (13, 17, 5).
std::uint32_t NextRandom(std::uint32_t& s) {
  s ^= s << 13;
  s ^= s >> 17;
  s ^= s << 5;
  return s;
}

std::u16string Widen(const char* ascii) {
  std::u16string out;
  for (const char* p = ascii; *p; ++p) out += static_cast<char16_t>(*p);
  return out;
}

String Str(const std::u16string& s) { return String(s.data(), static_cast<int>(s.size())); }
std::u16string Std(const String& s) { return std::u16string(s.Data(), s.Length()); }

// ---- Inputs ------------------------------------------------------------------------------------

// The saved state's fields: small settings first, then scores and checksums of 5 to 9 digits.
std::vector<std::u16string> StateFields() {
  std::vector<std::u16string> fields;
  std::uint32_t rng = RNG_SEED;
  for (int i = 0; i < STATE_FIELDS; ++i) {
    long value;
    if (i < STATE_SETTINGS) {
      value = NextRandom(rng) % SMALL_SETTING_RANGE;
    } else {
      int digits = SCORE_DIGITS_MIN + static_cast<int>(NextRandom(rng) % SCORE_DIGITS_SPAN);
      value = 1;
      for (int d = 1; d < digits; ++d) value *= DECIMAL;
      value += NextRandom(rng) % (value * (DECIMAL - 1));
    }
    fields.push_back(Widen(std::to_string(value).c_str()));
  }
  return fields;
}

// The credits page: headings, names and blank lines, 57 in all.
std::vector<std::u16string> CreditLines() {
  static const char* const kLines[] = {
      "", "A Game by", "@QuadrantRushTeam", "quadrantrush.example", "", "-=-=-", "",
      "Developed using", "the Tarn runtime", "tarn.quadrantrush.example", "", "Programming",
      "Game design and rules", "Tile art and star field", "", "Music and sound effects",
      "Recorded in one long night", "", "Testing", "Everyone who dropped a board", "",
  };
  constexpr int kCount = sizeof(kLines) / sizeof(kLines[0]);
  std::vector<std::u16string> lines;
  for (int i = 0; i < CREDIT_LINES; ++i) lines.push_back(Widen(kLines[i % kCount]));
  return lines;
}

// Texts for Replace: a help page with "~n" line marks and a greeting with a player name mark.
const char* const kHelpText =
    "Push tiles with the cursor to line up three of a kind.~nEvery clear refills the timer a "
    "little, but each clear and each new board makes the refill shorter.~nClear the quota to "
    "drop the board and get a new one.~nHoles left by clears never fill again.~nPress Escape "
    "to pause, F11 to switch to full screen.~nGood luck!~n";
const char* const kGreetingText =
    "Welcome back, {player}! Your best score on Normal is 128450. {player}, the Hard list is "
    "still waiting for you. Beat 993120 to reach the top, {player}, and the badge is yours. "
    "Good luck, {player}.";

struct ReplaceCase {
  std::u16string text, find, with;
};

// ---- The two sides -----------------------------------------------------------------------------

struct ConcatPieces {
  String score, best, level, difficulty, quotaText, time, cleared, quota;
  String chunk[STATE_CHUNKS], checksum;
};
struct ConcatPiecesStd {
  std::u16string score, best, level, difficulty, quotaText, time, cleared, quota;
  std::u16string chunk[STATE_CHUNKS], checksum;
};

// Three lines of about 45, 100 and 200 characters: a score line, a status line and a run of state.
const char* const kScoreLabel = "YOUR SCORE: ";
const char* const kBestLabel = "   BEST ";
const char* const kLevelLabel = "   LEVEL ";
const char* const kDash = " - ";
const char* const kTimeLabel = " | time left ";
const char* const kClearedLabel = " s | cleared ";
const char* const kOf = " of ";
const char* const kComma = ",";
const char* const kNewline = "\n";
enum ConcatLineKind { SCORE_LINE, STATUS_LINE, STATE_LINE, CONCAT_LINES };

struct Labels {
  String scoreLabel{kScoreLabel}, bestLabel{kBestLabel}, levelLabel{kLevelLabel}, dash{kDash},
      timeLabel{kTimeLabel}, clearedLabel{kClearedLabel}, of{kOf}, comma{kComma};
};
struct LabelsStd {
  std::u16string scoreLabel = Widen(kScoreLabel), bestLabel = Widen(kBestLabel),
                 levelLabel = Widen(kLevelLabel), dash = Widen(kDash), timeLabel = Widen(kTimeLabel),
                 clearedLabel = Widen(kClearedLabel), of = Widen(kOf), comma = Widen(kComma);
};

String ConcatLine(int which, const ConcatPieces& p, const Labels& l) {
  switch (which) {
    case SCORE_LINE:
      return l.scoreLabel + p.score + l.bestLabel + p.best + l.levelLabel + p.level;
    case STATUS_LINE:
      return p.difficulty + l.dash + p.quotaText + l.timeLabel + p.time + l.clearedLabel + p.cleared +
             l.of + p.quota;
    default:
      return p.chunk[0] + p.chunk[1] + p.chunk[2] + p.chunk[3] + l.comma + p.checksum;
  }
}

std::u16string ConcatLineStd(int which, const ConcatPiecesStd& p, const LabelsStd& l) {
  switch (which) {
    case SCORE_LINE:
      return l.scoreLabel + p.score + l.bestLabel + p.best + l.levelLabel + p.level;
    case STATUS_LINE:
      return p.difficulty + l.dash + p.quotaText + l.timeLabel + p.time + l.clearedLabel + p.cleared +
             l.of + p.quota;
    default:
      return p.chunk[0] + p.chunk[1] + p.chunk[2] + p.chunk[3] + l.comma + p.checksum;
  }
}

std::vector<std::u16string> SplitStd(const std::u16string& s, const std::u16string& sep) {
  std::vector<std::u16string> out;
  std::size_t start = 0, at;
  while ((at = s.find(sep, start)) != std::u16string::npos) {
    out.push_back(s.substr(start, at - start));
    start = at + sep.size();
  }
  out.push_back(s.substr(start));
  return out;
}

std::u16string JoinStd(const std::vector<std::u16string>& pieces, const std::u16string& sep) {
  if (pieces.empty()) return std::u16string();
  std::size_t total = sep.size() * (pieces.size() - 1);
  for (const std::u16string& p : pieces) total += p.size();
  std::u16string out;
  out.reserve(total);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) out += sep;
    out += pieces[i];
  }
  return out;
}

std::u16string ReplaceStd(const std::u16string& s, const std::u16string& find, const std::u16string& with) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t start = 0, at;
  while ((at = s.find(find, start)) != std::u16string::npos) {
    out.append(s, start, at - start);
    out += with;
    start = at + find.size();
  }
  out.append(s, start, std::u16string::npos);
  return out;
}

// ---- Timing ------------------------------------------------------------------------------------

// Runs `ops` operations and returns a value folded from their results, so that no work is skipped.
typedef std::uint64_t (*Batch)(int ops);

volatile std::uint64_t sink;

double BatchSeconds(Batch run, int ops) {
  double t0 = CpuNow();
  sink = sink + run(ops);
  return CpuNow() - t0;
}

// Operations per batch so that the slower side's batch takes about BATCH_SECONDS.
int Calibrate(Batch a, Batch b) {
  int ops = CALIBRATION_OPS;
  for (;;) {
    double t = std::max(BatchSeconds(a, ops), BatchSeconds(b, ops));
    if (t >= BATCH_SECONDS / CALIBRATION_STEP) {
      double scaled = ops * BATCH_SECONDS / t;
      return std::max(1, static_cast<int>(scaled));
    }
    ops *= CALIBRATION_STEP;
  }
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Result {
  double ns = 0, peerNs = 0;
};

// Alternates the two sides' batches (each goes first in half of the rounds); ns per operation.
Result Measure(Batch ours, Batch peer) {
  int ops = Calibrate(ours, peer);
  std::vector<double> a, b;
  for (int s = 0; s < SAMPLES; ++s) {
    if (s % 2 == 0) {
      a.push_back(BatchSeconds(ours, ops));
      b.push_back(BatchSeconds(peer, ops));
    } else {
      b.push_back(BatchSeconds(peer, ops));
      a.push_back(BatchSeconds(ours, ops));
    }
  }
  return Result{Median(a) * NS_PER_SECOND / ops, Median(b) * NS_PER_SECOND / ops};
}

// ---- Workloads (globals so that the batches are plain functions) -------------------------------

ConcatPieces gPieces;
ConcatPiecesStd gPiecesStd;
Labels* gLabels;
LabelsStd* gLabelsStd;

String gState, gCredits, gComma, gNewline;
std::u16string gStateStd, gCreditsStd, gCommaStd, gNewlineStd;
Array<String> gStateFields, gCreditFields;
std::vector<std::u16string> gStateFieldsStd, gCreditFieldsStd;

std::vector<ReplaceCase> gReplaceStd;
std::vector<String> gReplaceText, gReplaceFind, gReplaceWith;

// The arrays the bench keeps are globals: roots of the collector.
void MarkRoots() {
  gc_mark_q(gStateFields);
  gc_mark_q(gCreditFields);
}

std::uint64_t Fold(const String& s) { return s.Length() + (s.Length() ? s[0] : 0); }
std::uint64_t Fold(const std::u16string& s) { return s.size() + (s.empty() ? 0 : s[0]); }

std::uint64_t ConcatOurs(int ops) {
  std::uint64_t h = 0;
  for (int i = 0; i < ops; ++i) h += Fold(ConcatLine(i % CONCAT_LINES, gPieces, *gLabels));
  return h;
}
std::uint64_t ConcatPeer(int ops) {
  std::uint64_t h = 0;
  for (int i = 0; i < ops; ++i) h += Fold(ConcatLineStd(i % CONCAT_LINES, gPiecesStd, *gLabelsStd));
  return h;
}

// Even operations split the state, odd ones the credits.
std::uint64_t SplitOurs(int ops) {
  std::uint64_t h = 0;
  for (int i = 0; i < ops; ++i) {
    Array<String> bits = (i % 2 == 0) ? gState.Split(gComma) : gCredits.Split(gNewline);
    h += bits.Length() + Fold(bits[bits.Length() / 2]);
  }
  gc_collect_all();
  return h;
}
std::uint64_t SplitPeer(int ops) {
  std::uint64_t h = 0;
  for (int i = 0; i < ops; ++i) {
    std::vector<std::u16string> bits =
        (i % 2 == 0) ? SplitStd(gStateStd, gCommaStd) : SplitStd(gCreditsStd, gNewlineStd);
    h += bits.size() + Fold(bits[bits.size() / 2]);
  }
  return h;
}

std::uint64_t JoinOurs(int ops) {
  std::uint64_t h = 0;
  for (int i = 0; i < ops; ++i) {
    h += Fold((i % 2 == 0) ? gComma.Join(gStateFields) : gNewline.Join(gCreditFields));
  }
  return h;
}
std::uint64_t JoinPeer(int ops) {
  std::uint64_t h = 0;
  for (int i = 0; i < ops; ++i) {
    h += Fold((i % 2 == 0) ? JoinStd(gStateFieldsStd, gCommaStd) : JoinStd(gCreditFieldsStd, gNewlineStd));
  }
  return h;
}

std::uint64_t ReplaceOurs(int ops) {
  std::uint64_t h = 0;
  int n = static_cast<int>(gReplaceText.size());
  for (int i = 0; i < ops; ++i) {
    int c = i % n;
    h += Fold(gReplaceText[c].Replace(gReplaceFind[c], gReplaceWith[c]));
  }
  return h;
}
std::uint64_t ReplacePeer(int ops) {
  std::uint64_t h = 0;
  int n = static_cast<int>(gReplaceStd.size());
  for (int i = 0; i < ops; ++i) {
    const ReplaceCase& c = gReplaceStd[i % n];
    h += Fold(ReplaceStd(c.text, c.find, c.with));
  }
  return h;
}

// ---- Set-up and the one check of equal results -------------------------------------------------

void SetUp() {
  static Labels labels;
  static LabelsStd labelsStd;
  gLabels = &labels;
  gLabelsStd = &labelsStd;

  ConcatPiecesStd& ps = gPiecesStd;
  ps.score = u"128450";
  ps.best = u"993120";
  ps.level = u"12";
  ps.difficulty = u"Normal";
  ps.quotaText = u"clear the quota to drop the board";
  ps.time = u"37.516666412353516";
  ps.cleared = u"45";
  ps.quota = u"60";
  ps.chunk[0] = u"1,0,100,1,1,30,0,0,80,60,1,0,1,0,0,0,1,1,";
  ps.chunk[1] = u"993120,128450,871200,99120,650400,12000,";
  ps.chunk[2] = u"500000,480000,1200,0,0,0,734580,2210,95,";
  ps.chunk[3] = u"-1794523817,1,0,0,0,0,0,0,0,0,0,0,0,0,0,";
  ps.checksum = u"2147483646";
  ConcatPieces& p = gPieces;
  p.score = Str(ps.score);
  p.best = Str(ps.best);
  p.level = Str(ps.level);
  p.difficulty = Str(ps.difficulty);
  p.quotaText = Str(ps.quotaText);
  p.time = Str(ps.time);
  p.cleared = Str(ps.cleared);
  p.quota = Str(ps.quota);
  for (int i = 0; i < STATE_CHUNKS; ++i) p.chunk[i] = Str(ps.chunk[i]);
  p.checksum = Str(ps.checksum);

  gCommaStd = Widen(kComma);
  gNewlineStd = Widen(kNewline);
  gComma = Str(gCommaStd);
  gNewline = Str(gNewlineStd);

  // The state as the game saves it: every field followed by the separator.
  gStateFieldsStd = StateFields();
  gStateStd = JoinStd(gStateFieldsStd, gCommaStd) + gCommaStd;
  gCreditFieldsStd = CreditLines();
  gCreditsStd = JoinStd(gCreditFieldsStd, gNewlineStd);
  gState = Str(gStateStd);
  gCredits = Str(gCreditsStd);
  gc_assign(gStateFields, Array<String>(static_cast<int>(gStateFieldsStd.size())));
  for (std::size_t i = 0; i < gStateFieldsStd.size(); ++i) gStateFields[i] = Str(gStateFieldsStd[i]);
  gc_assign(gCreditFields, Array<String>(static_cast<int>(gCreditFieldsStd.size())));
  for (std::size_t i = 0; i < gCreditFieldsStd.size(); ++i) gCreditFields[i] = Str(gCreditFieldsStd[i]);

  gReplaceStd = {{Widen(kHelpText), u"~n", u"\n"}, {Widen(kGreetingText), u"{player}", u"Quadrant Ace"}};
  for (const ReplaceCase& c : gReplaceStd) {
    gReplaceText.push_back(Str(c.text));
    gReplaceFind.push_back(Str(c.find));
    gReplaceWith.push_back(Str(c.with));
  }
}

bool SamePieces(const Array<String>& a, const std::vector<std::u16string>& b) {
  if (a.Length() != static_cast<int>(b.size())) return false;
  for (int i = 0; i < a.Length(); ++i) {
    if (Std(a[i]) != b[i]) return false;
  }
  return true;
}

// Every workload's results on both sides, compared once; returns the name of a mismatch or null.
const char* CheckEqual() {
  for (int i = 0; i < CONCAT_LINES; ++i) {
    if (Std(ConcatLine(i, gPieces, *gLabels)) != ConcatLineStd(i, gPiecesStd, *gLabelsStd)) return "concat";
  }
  if (!SamePieces(gState.Split(gComma), SplitStd(gStateStd, gCommaStd))) return "split (state)";
  if (!SamePieces(gCredits.Split(gNewline), SplitStd(gCreditsStd, gNewlineStd))) return "split (credits)";
  if (Std(gComma.Join(gStateFields)) != JoinStd(gStateFieldsStd, gCommaStd)) return "join (state)";
  if (Std(gNewline.Join(gCreditFields)) != JoinStd(gCreditFieldsStd, gNewlineStd)) return "join (credits)";
  for (std::size_t c = 0; c < gReplaceStd.size(); ++c) {
    const ReplaceCase& r = gReplaceStd[c];
    if (Std(gReplaceText[c].Replace(gReplaceFind[c], gReplaceWith[c])) != ReplaceStd(r.text, r.find, r.with)) {
      return "replace";
    }
  }
  return nullptr;
}

int Occurrences(const ReplaceCase& c) {
  int n = 0;
  std::size_t at = c.text.find(c.find);
  while (at != std::u16string::npos) {
    ++n;
    at = c.text.find(c.find, at + c.find.size());
  }
  return n;
}

// The figure keys; the human lines name the operation without the common prefix.
const char* const KEY_CONCAT = "string.concat";
const char* const KEY_SPLIT = "string.split";
const char* const KEY_JOIN = "string.join";
const char* const KEY_REPLACE = "string.replace";
constexpr int KEY_PREFIX = sizeof("string.") - 1;

void Report(const char* key, const char* what, const Result& r) {
  std::printf("%-8s %-58s String %9.1f ns  std::u16string %9.1f ns  (String/std %.2f)\n", key + KEY_PREFIX,
              what, r.ns, r.peerNs, r.ns / r.peerNs);
  std::printf("FIGURE\t%s\t%.3f\tns\n", key, r.ns);
  std::printf("FIGURE\t%s.peer\t%.3f\tns\n", key, r.peerNs);
}

}  // namespace

// With an argument (concat, split, join or replace) only that operation runs, for profiling.
int main(int argc, char** argv) {
  const char* only = argc > 1 ? argv[1] : nullptr;
  auto wanted = [only](const char* key) { return !only || std::strcmp(key + KEY_PREFIX, only) == 0; };
  gc_init1();
  gc_register_roots(GC_ROOTS_GAME, MarkRoots);
  gc_mark();
  SetUp();
  const char* mismatch = CheckEqual();
  if (mismatch) {
    std::printf("String and std::u16string disagree on %s: no figures\n", mismatch);
    return 1;
  }
  std::printf("String against std::u16string, CPU time, median of %d batches, ns per operation\n",
              SAMPLES);
  std::printf("inputs: state %zu chars in %d fields, credits %zu chars in %d lines, lines of %d/%d/%d chars\n",
              gStateStd.size(), STATE_FIELDS, gCreditsStd.size(), CREDIT_LINES,
              ConcatLine(SCORE_LINE, gPieces, *gLabels).Length(),
              ConcatLine(STATUS_LINE, gPieces, *gLabels).Length(),
              ConcatLine(STATE_LINE, gPieces, *gLabels).Length());
  if (wanted(KEY_CONCAT)) {
    Report(KEY_CONCAT, "one line from 6 to 9 pieces (a + b + ...)", Measure(ConcatOurs, ConcatPeer));
  }
  if (wanted(KEY_SPLIT)) {
    Report(KEY_SPLIT, "state at \",\" or credits at \"\\n\" (alternating)", Measure(SplitOurs, SplitPeer));
  }
  if (wanted(KEY_JOIN)) {
    Report(KEY_JOIN, "state fields with \",\" or credit lines with \"\\n\"", Measure(JoinOurs, JoinPeer));
  }
  if (wanted(KEY_REPLACE)) {
    char what[128];
    std::snprintf(what, sizeof what, "\"~n\" x%d in %zu chars or \"{player}\" x%d in %zu chars",
                  Occurrences(gReplaceStd[0]), gReplaceStd[0].text.size(), Occurrences(gReplaceStd[1]),
                  gReplaceStd[1].text.size());
    Report(KEY_REPLACE, what, Measure(ReplaceOurs, ReplacePeer));
  }
  return 0;
}
