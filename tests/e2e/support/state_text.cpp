// The state text's layout, written from the outside so that the game's own writer and reader
// are checked against it: settings with a weighted sum, badge words with their sum, and eight
// groups of alternating top and last entries with a weighted group sum; sums wrap at 32 bits.
#include "support/state_text.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace e2e {

namespace {

constexpr int kOptions = kOptionCount;
constexpr int kBadgeWords = kBadgeWordCount;
constexpr int kGroups = 8;        // groups written; the first three are Easy, Normal, Hard
constexpr int kListsRead = 3;
constexpr int kEntries = kListEntries;
constexpr int kLastOffset = kLastListOffset;
constexpr int kTopWeight = 4;    // group sum: (k + 4) x top entry k ...
constexpr int kLastWeight = 3;   // ... + (k + 3 + g) x last entry k

// 32-bit sums that wrap, computed without signed overflow.
int32_t Wrap(uint32_t v) { return static_cast<int32_t>(v); }

int32_t SettingsSum(const StateValues& v) {
  uint32_t s = 0;
  for (int i = 0; i < kOptions; ++i) s += uint32_t(i) * uint32_t(v.options[i]);
  return Wrap(s);
}

int32_t BadgeSum(const StateValues& v) {
  uint32_t s = 0;
  for (int a = 0; a < kBadgeWords; ++a) s += uint32_t(v.badgeWords[a]);
  return Wrap(s);
}

int32_t GroupSum(const StateValues& v, int g) {
  uint32_t s = 0;
  for (int k = 0; k < kEntries; ++k) {
    s += uint32_t(k + kTopWeight) * uint32_t(v.hiscores[kEntries * g + k]);
    s += uint32_t(k + kLastWeight + g) * uint32_t(v.hiscores[kEntries * g + k + kLastOffset]);
  }
  return Wrap(s);
}

// A plain decimal: an optional "-", then digits without a leading zero (0 itself excepted).
bool PlainDecimal(const std::string& f) {
  size_t i = f.size() > 0 && f[0] == '-' ? 1 : 0;
  if (i >= f.size()) return false;
  if (f[i] == '0' && f.size() > i + 1) return false;
  for (size_t j = i; j < f.size(); ++j)
    if (!std::isdigit(static_cast<unsigned char>(f[j]))) return false;
  return true;
}

}  // namespace

bool ReadState::AllValid() const {
  if (!settingsValid || !badgesValid) return false;
  for (bool g : groupValid)
    if (!g) return false;
  return true;
}

std::string ComposeState(const StateValues& v) {
  std::ostringstream out;
  for (int i = 0; i < kOptions; ++i) out << v.options[i] << '|';
  out << SettingsSum(v) << '|';
  for (int a = 0; a < kBadgeWords; ++a) out << v.badgeWords[a] << '|';
  out << BadgeSum(v) << '|';
  for (int g = 0; g < kGroups; ++g) {
    for (int k = 0; k < kEntries; ++k) {
      out << v.hiscores[kEntries * g + k] << '|';
      out << v.hiscores[kEntries * g + k + kLastOffset] << '|';
    }
    out << GroupSum(v, g) << '|';
  }
  return out.str();
}

std::optional<ReadState> ParseState(const std::string& text) {
  std::vector<int32_t> fields;
  size_t start = 0;
  while (start < text.size()) {
    size_t bar = text.find('|', start);
    if (bar == std::string::npos) return std::nullopt;  // every field ends with "|"
    std::string f = text.substr(start, bar - start);
    if (!PlainDecimal(f)) return std::nullopt;
    long long n = std::strtoll(f.c_str(), nullptr, 10);
    if (n < INT32_MIN || n > INT32_MAX) return std::nullopt;
    fields.push_back(static_cast<int32_t>(n));
    start = bar + 1;
  }
  if (fields.size() != kStateFields) return std::nullopt;

  ReadState r;
  StateValues& v = r.values;
  for (int i = 0; i < kOptions; ++i) v.options[i] = fields[i];
  r.settingsValid = fields[kSettingsChecksumField] == SettingsSum(v);
  for (int a = 0; a < kBadgeWords; ++a) v.badgeWords[a] = fields[kSettingsChecksumField + 1 + a];
  r.badgesValid = fields[kBadgeChecksumField] == BadgeSum(v);
  // Groups 3 to 7 overlap the last-ten lists of groups 0 to 4: each is checked against the
  // entries it carries itself.
  for (int g = 0; g < kGroups; ++g) {
    StateValues mine;
    const int base = kFirstGroupField + kGroupFields * g;
    for (int k = 0; k < kEntries; ++k) {
      mine.hiscores[kEntries * g + k] = fields[base + 2 * k];
      mine.hiscores[kEntries * g + k + kLastOffset] = fields[base + 2 * k + 1];
    }
    r.groupValid[g] = fields[base + 2 * kEntries] == GroupSum(mine, g);
    if (g < kListsRead) {
      for (int k = 0; k < kEntries; ++k) {
        v.hiscores[kEntries * g + k] = fields[base + 2 * k];
        v.hiscores[kEntries * g + k + kLastOffset] = fields[base + 2 * k + 1];
      }
    }
  }
  return r;
}

int TopField(Difficulty d, int k) { return kFirstGroupField + kGroupFields * (d - 1) + 2 * k; }
int LastField(Difficulty d, int k) { return TopField(d, k) + 1; }

std::string ChangeDigit(const std::string& text, int field) {
  size_t start = 0;
  for (int i = 0; i < field; ++i) start = text.find('|', start) + 1;
  std::string out = text;
  for (size_t i = start; i < out.size() && out[i] != '|'; ++i) {
    if (std::isdigit(static_cast<unsigned char>(out[i]))) {
      out[i] = out[i] == '9' ? '8' : static_cast<char>(out[i] + 1);
      break;
    }
  }
  return out;
}

std::optional<std::string> ReadFile(const std::string& path) {
  if (!qr_test::Exists(path)) return std::nullopt;
  return qr_test::ReadFile(path);
}

}  // namespace e2e
