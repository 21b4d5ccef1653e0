// The saved state as the journeys see it from outside: the 203 "|"-ended decimal fields of
// ".tarnstate", their three kinds of checksum, and the highscore lists they hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/files.h"

namespace e2e {

enum Difficulty { kEasy = 1, kNormal = 2, kHard = 3 };

inline constexpr int kOptionCount = 25;      // settings
inline constexpr int kBadgeWordCount = 8;    // words of 32 badge flags
inline constexpr int kHiscoreCount = 150;    // the game's whole highscore table
inline constexpr int kListEntries = 10;      // entries of a top-ten or last-ten list
inline constexpr int kLastListOffset = 30;   // a last-ten list sits this far after its top ten

// The values a state text carries; checksums are computed, not stored.
struct StateValues {
  std::vector<int32_t> options = std::vector<int32_t>(kOptionCount, 0);
  std::vector<int32_t> badgeWords = std::vector<int32_t>(kBadgeWordCount, 0);
  std::vector<int32_t> hiscores = std::vector<int32_t>(kHiscoreCount, 0);

  int32_t& Top(Difficulty d, int k) { return hiscores[kListEntries * (d - 1) + k]; }
  int32_t& Last(Difficulty d, int k) { return Top(d, k + kLastListOffset); }
};

// Fields of a state text and where its parts sit.
inline constexpr int kStateFields = 203;
inline constexpr int kSettingsChecksumField = 25;
inline constexpr int kBadgeChecksumField = 34;
inline constexpr int kFirstGroupField = 35;
inline constexpr int kGroupFields = 21;  // ten top/last pairs and the group's checksum

// The text the game writes for these values.
std::string ComposeState(const StateValues& v);

// A state text read back, with each checksum tested; nothing when the text is not 203 plain
// decimal fields each ended by "|".
struct ReadState {
  StateValues values;
  bool settingsValid = false;
  bool badgesValid = false;
  bool groupValid[8] = {};
  bool AllValid() const;
};
std::optional<ReadState> ParseState(const std::string& text);

// The field that holds entry k of a difficulty's top-ten (or last-ten) list.
int TopField(Difficulty d, int k);
int LastField(Difficulty d, int k);

// The same text with one digit of field `field` changed to another digit.
std::string ChangeDigit(const std::string& text, int field);

std::optional<std::string> ReadFile(const std::string& path);
using qr_test::WriteFile;

}  // namespace e2e
