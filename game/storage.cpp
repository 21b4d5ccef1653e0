// The saved state: settings, badge flags and highscore lists written as one text of 203
// checksummed fields, read back at start-up, and the ranking of a finished game's score.
#include "game/my_app.h"
#include "game/shell.h"

#include <cstdint>

namespace {

constexpr char kFieldSep[] = "|";

// Settings clamps applied after every load.
constexpr int kPadMin = 64;          // pad position and distance below this become 64
constexpr int kPadSizeMin = 8;       // a pad size below this ...
constexpr int kPadSizeDefault = 10;  // ... becomes 10
constexpr int kOverscanDefault = 64; // an overscan setting below the minimum becomes this
constexpr int kOverscanDesktop = 1;  // the desktop keeps the setting at 1 and no margin

// Every sum of the state string is a 32-bit signed sum that wraps on overflow; unsigned
// arithmetic gives exactly that without undefined behaviour.
int settingsChecksum(const Array<int>& options) {
    uint32_t sum = 0;
    for (int i = 0; i < kStateSettings; ++i)
        sum += static_cast<uint32_t>(i) * static_cast<uint32_t>(options[i]);
    return static_cast<int32_t>(sum);
}

// Word a holds badges 32a .. 32a + 31, badge 32a + j in bit j.
int badgeWord(const Array<bool>& badges, int a) {
    uint32_t word = 0;
    for (int j = 0; j < kBadgeWordBits; ++j)
        if (badges[kBadgeWordBits * a + j]) word |= 1u << j;
    return static_cast<int32_t>(word);
}

int wrappingSum(const int* values, int count) {
    uint32_t sum = 0;
    for (int i = 0; i < count; ++i) sum += static_cast<uint32_t>(values[i]);
    return static_cast<int32_t>(sum);
}

// Group g pairs top entry k (10g + k) with last entry k (10g + k + 30).
int groupChecksum(const Array<int>& hs, int g) {
    uint32_t sum = 0;
    for (int k = 0; k < kGroupEntries; ++k) {
        int top = hs[kGroupEntries * g + k];
        int last = hs[kGroupEntries * g + k + kLastListOffset];
        sum += static_cast<uint32_t>(k + 4) * static_cast<uint32_t>(top);
        sum += static_cast<uint32_t>(k + 3 + g) * static_cast<uint32_t>(last);
    }
    return static_cast<int32_t>(sum);
}

void resetSettings(Array<int>& options) {
    for (int i = 0; i < kStateSettings; ++i) options[i] = 0;
    options[kOptSoundMode] = kSoundDefault;
}

void clampSettings(Array<int>& options) {
    if (options[kOptPadX] < kPadMin) options[kOptPadX] = kPadMin;
    if (options[kOptPadY] < kPadMin) options[kOptPadY] = kPadMin;
    if (options[kOptPadSize] < kPadSizeMin) options[kOptPadSize] = kPadSizeDefault;
    if (options[kOptOverscan] < kOverscanMin) options[kOptOverscan] = kOverscanDefault;
    if (isOuya == 1) {
        overscan = static_cast<float>(options[kOptOverscan]);
    } else {
        options[kOptOverscan] = kOverscanDesktop;
        overscan = 0.0f;
    }
}

}  // namespace

int c_MyApp::p_Save() {
    Array<String> fields(kStateFields);
    int f = 0;
    for (int i = 0; i < kStateSettings; ++i) fields[f++] = String(m_options[i]);
    fields[f++] = String(settingsChecksum(m_options));
    int words[kBadgeWords];
    for (int a = 0; a < kBadgeWords; ++a) {
        words[a] = badgeWord(m_badges, a);
        fields[f++] = String(words[a]);
    }
    fields[f++] = String(wrappingSum(words, kBadgeWords));
    for (int g = 0; g < kStateGroups; ++g) {
        for (int k = 0; k < kGroupEntries; ++k) {
            fields[f++] = String(m_hiscores[kGroupEntries * g + k]);
            fields[f++] = String(m_hiscores[kGroupEntries * g + k + kLastListOffset]);
        }
        fields[f++] = String(groupChecksum(m_hiscores, g));
    }
    // Every field, the last included, is followed by the separator.
    String state = String(kFieldSep).Join(fields) + String(kFieldSep);
    if (DebugMode == 1) oxPrint(state);
    ox_app_SaveState(state);
    return 0;
}

int c_MyApp::p_Load() {
    String state = ox_app_LoadState();
    if (DebugMode == 1) oxPrint(state);
    Array<String> fields = state.Split(String(kFieldSep));
    const int count = fields.Length();
    auto field = [&fields](int i) { return fields[i].ToInt(); };

    // Settings with their checksum; a shorter text is the settings-less form whose badge
    // part starts at field 0. (A text of exactly 25 fields lacks the settings checksum and
    // is read the same way, so nothing past its end is touched.)
    int badgeStart = 0;
    if (count > kStateSettingsSum) {
        for (int i = 0; i < kStateSettings; ++i) m_options[i] = field(i);
        if (settingsChecksum(m_options) == field(kStateSettingsSum)) {
            oxPrint(String(kMsgSettingsLoaded));
        } else {
            oxPrint(String(kMsgSettingsInvalid));
            resetSettings(m_options);
        }
        badgeStart = kStateBadgeStart;
    }
    clampSettings(m_options);

    const int badgeSum = badgeStart + kBadgeWords;
    if (count > badgeSum) {
        int words[kBadgeWords];
        for (int a = 0; a < kBadgeWords; ++a) {
            words[a] = field(badgeStart + a);
            uint32_t bits = static_cast<uint32_t>(words[a]);
            for (int j = 0; j < kBadgeWordBits; ++j)
                m_badges[kBadgeWordBits * a + j] = ((bits >> j) & 1u) != 0;
        }
        if (wrappingSum(words, kBadgeWords) == field(badgeSum)) {
            oxPrint(String(kMsgBadgesLoaded));
        } else {
            oxPrint(String(kMsgBadgesInvalid));
            for (int i = 0; i < m_badges.Length(); ++i) m_badges[i] = false;
        }
    }

    int start = badgeSum + 1;
    for (int g = 0; g < kStateGroupsRead; ++g, start += kGroupFields) {
        const int sumField = start + 2 * kGroupEntries;
        if (count <= sumField) continue;
        for (int k = 0; k < kGroupEntries; ++k) {
            m_hiscores[kGroupEntries * g + k] = field(start + 2 * k);
            m_hiscores[kGroupEntries * g + k + kLastListOffset] = field(start + 2 * k + 1);
        }
        if (groupChecksum(m_hiscores, g) != field(sumField)) {
            for (int k = 0; k < kGroupEntries; ++k) {
                m_hiscores[kGroupEntries * g + k] = 0;
                m_hiscores[kGroupEntries * g + k + kLastListOffset] = 0;
            }
        }
    }
    oxPrint(String(kMsgHighscoresLoaded));
    return 0;
}

int c_MyApp::p_LoadMenu() {
    // The menu only ever chooses 1..3; any other value records nothing rather than
    // writing outside the table.
    if (m_difficulty < 1 || m_difficulty > kStateGroupsRead) {
        p_Save();
        return 0;
    }
    const int top = kGroupEntries * (m_difficulty - 1);
    const int last = top + kLastListOffset;
    // A score equal to an entry goes below it.
    int place = -1;
    for (int k = 0; k < kGroupEntries; ++k) {
        if (m_hiscores[top + k] < m_score) {
            place = k;
            break;
        }
    }
    if (place >= 0) {
        for (int k = kGroupEntries - 1; k > place; --k) m_hiscores[top + k] = m_hiscores[top + k - 1];
        m_hiscores[top + place] = m_score;
    }
    for (int k = kGroupEntries - 1; k > 0; --k) m_hiscores[last + k] = m_hiscores[last + k - 1];
    m_hiscores[last] = m_score;
    p_Save();
    return 0;
}
