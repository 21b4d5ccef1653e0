// The saved state: the text written for known data, what each kind of damage resets, the
// short settings-less form, the messages printed, and the ranking of a finished game.
#include "shell_fixture.h"

#include <sstream>

namespace {

constexpr int kEasy = 1, kNormal = 2, kHard = 3;
constexpr int kTop = 0, kLast = 30;  // offsets of a difficulty's two lists

class StorageTest : public ShellFixture {
 protected:
    // Everything the state holds set to 0.
    void ClearAll() {
        for (int i = 0; i < app->m_options.Length(); ++i) app->m_options[i] = 0;
        for (int i = 0; i < app->m_badges.Length(); ++i) app->m_badges[i] = false;
        for (int i = 0; i < app->m_hiscores.Length(); ++i) app->m_hiscores[i] = 0;
    }
    // Distinct scores in every list of the three difficulties.
    void FillScores() {
        for (int d = 0; d < 3; ++d)
            for (int k = 0; k < 10; ++k) {
                app->m_hiscores[10 * d + k] = 1000 * (d + 1) - 10 * k;
                app->m_hiscores[10 * d + k + kLast] = 500 * (d + 1) + k;
            }
    }
    int Top(int difficulty, int k) const { return app->m_hiscores[10 * (difficulty - 1) + kTop + k]; }
    int Last(int difficulty, int k) const { return app->m_hiscores[10 * (difficulty - 1) + kLast + k]; }
    std::vector<std::string> Load() {
        testing::internal::CaptureStdout();
        app->p_Load();
        std::string out = testing::internal::GetCapturedStdout();
        std::vector<std::string> lines;
        std::stringstream s(out);
        for (std::string line; std::getline(s, line);) lines.push_back(line);
        return lines;
    }
};

TEST_F(StorageTest, AllZeroDataIs203ZeroFields) {
    ClearAll();
    app->p_Save();
    std::string expected;
    for (int i = 0; i < kStateFields; ++i) expected += "0|";
    EXPECT_EQ(SavedState(), expected);
}

TEST_F(StorageTest, FieldsAndChecksumsOfKnownData) {
    ClearAll();
    struct Case {
        const char* what;
        void (*set)(c_MyApp*);
        std::vector<std::pair<int, std::string>> fields;  // field index, text
    };
    const Case cases[] = {
        {"badge 31 makes word 0 and the badge sum the smallest int",
         [](c_MyApp* a) { a->m_badges[31] = true; },
         {{26, "-2147483648"}, {27, "0"}, {34, "-2147483648"}}},
        {"badges 0 and 33 land in words 0 and 1",
         [](c_MyApp* a) { a->m_badges[0] = true; a->m_badges[33] = true; },
         {{26, "1"}, {27, "2"}, {34, "3"}}},
        {"badge 31 of two words wraps the badge sum to 0",
         [](c_MyApp* a) { a->m_badges[31] = true; a->m_badges[63] = true; },
         {{26, "-2147483648"}, {27, "-2147483648"}, {34, "0"}}},
        {"setting i counts i times in the settings sum",
         [](c_MyApp* a) { a->m_options[5] = 3; a->m_options[24] = -2; },
         {{5, "3"}, {24, "-2"}, {25, "-33"}}},
        {"a settings sum past the int range wraps",
         [](c_MyApp* a) { a->m_options[2] = 2147483647; },
         {{2, "2147483647"}, {25, "-2"}}},
        {"top and last entries alternate; the group sum weighs them (k+4) and (k+3+g)",
         [](c_MyApp* a) { a->m_hiscores[10] = 7; a->m_hiscores[41] = 5; },
         // Normal (group 1): top 0 at field 56, last 1 at field 59, sum 4*7 + (1+3+1)*5
         {{56, "7"}, {59, "5"}, {76, "53"}, {55, "0"}}},
        {"groups 3 to 7 are written from the entries that follow",
         [](c_MyApp* a) { a->m_hiscores[79] = 2; },
         // entry 79 is group 7's top 9 (field 35 + 147 + 18, sum (9+4)*2) and group 4's last 9
         {{200, "2"}, {202, "26"}, {35 + 4 * 21 + 19, "2"}, {35 + 4 * 21 + 20, "32"}}},
    };
    for (const Case& c : cases) {
        ClearAll();
        c.set(app);
        app->p_Save();
        std::vector<std::string> f = Fields(SavedState());
        ASSERT_EQ(f.size(), static_cast<size_t>(kStateFields)) << c.what;
        for (const auto& [index, text] : c.fields) EXPECT_EQ(f[index], text) << c.what << ", field " << index;
    }
}

TEST_F(StorageTest, SavedStateLoadsBackUnchanged) {
    ClearAll();
    FillScores();
    app->m_options[5] = 2;
    app->m_options[15] = 1;
    app->m_badges[7] = app->m_badges[200] = app->m_badges[255] = true;
    app->p_Save();
    const std::string saved = SavedState();

    ClearAll();
    app->m_options[5] = 1;
    std::vector<std::string> printed = Load();
    EXPECT_EQ(printed, (std::vector<std::string>{kMsgSettingsLoaded, kMsgBadgesLoaded, kMsgHighscoresLoaded}));
    EXPECT_EQ(app->m_options[5], 2);
    EXPECT_EQ(app->m_options[15], 1);
    EXPECT_TRUE(app->m_badges[7] && app->m_badges[200] && app->m_badges[255]);
    EXPECT_FALSE(app->m_badges[8]);
    for (int d = kEasy; d <= kHard; ++d) {
        EXPECT_EQ(Top(d, 0), 1000 * d);
        EXPECT_EQ(Last(d, 9), 500 * d + 9);
    }
    // The clamps changed the settings the game never sets, so the next save differs only there.
    std::vector<std::string> before = Fields(saved);
    app->p_Save();
    std::vector<std::string> after = Fields(SavedState());
    for (int i = 26; i < kStateFields; ++i) EXPECT_EQ(after[i], before[i]) << "field " << i;
}

TEST_F(StorageTest, DamageResetsOnlyItsOwnPart) {
    ClearAll();
    FillScores();
    app->m_options[5] = 3;
    app->m_badges[3] = true;
    app->p_Save();
    const std::vector<std::string> good = Fields(SavedState());

    struct Case {
        const char* what;
        int field;  // the field changed
        std::vector<std::string> printed;
        bool settingsKept, badgesKept, easyKept, normalKept, hardKept;
    };
    const Case cases[] = {
        {"a setting", 5, {kMsgSettingsInvalid, kMsgBadgesLoaded, kMsgHighscoresLoaded}, false, true, true, true, true},
        {"the settings sum", 25, {kMsgSettingsInvalid, kMsgBadgesLoaded, kMsgHighscoresLoaded}, false, true, true, true, true},
        {"a badge word", 26, {kMsgSettingsLoaded, kMsgBadgesInvalid, kMsgHighscoresLoaded}, true, false, true, true, true},
        {"an Easy entry", 35, {kMsgSettingsLoaded, kMsgBadgesLoaded, kMsgHighscoresLoaded}, true, true, false, true, true},
        {"a Normal entry", 56 + 7, {kMsgSettingsLoaded, kMsgBadgesLoaded, kMsgHighscoresLoaded}, true, true, true, false, true},
        {"the Hard sum", 35 + 2 * 21 + 20, {kMsgSettingsLoaded, kMsgBadgesLoaded, kMsgHighscoresLoaded}, true, true, true, true, false},
        {"a group that is never read", 35 + 5 * 21, {kMsgSettingsLoaded, kMsgBadgesLoaded, kMsgHighscoresLoaded}, true, true, true, true, true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> f = good;
        f[c.field] += "1";  // one more digit
        WriteState(Join(f));
        ClearAll();
        EXPECT_EQ(Load(), c.printed) << c.what;
        EXPECT_EQ(app->m_options[5], c.settingsKept ? 3 : 1) << c.what;
        EXPECT_EQ(app->m_badges[3], c.badgesKept) << c.what;
        const bool kept[] = {c.easyKept, c.normalKept, c.hardKept};
        for (int d = kEasy; d <= kHard; ++d) {
            EXPECT_EQ(Top(d, 0), kept[d - 1] ? 1000 * d : 0) << c.what << ", difficulty " << d;
            EXPECT_EQ(Last(d, 0), kept[d - 1] ? 500 * d : 0) << c.what << ", difficulty " << d;
        }
    }
}

TEST_F(StorageTest, ShortStateWithoutSettings) {
    // Nine badge fields and the first group cut off: 20 fields.
    ClearAll();
    app->m_options[5] = 2;
    std::vector<std::string> f = {"5", "0", "0", "0", "0", "0", "0", "-2147483648", "-2147483643"};
    while (f.size() < 20) f.push_back("9");
    WriteState(Join(f));
    EXPECT_EQ(Load(), (std::vector<std::string>{kMsgBadgesLoaded, kMsgHighscoresLoaded}));
    EXPECT_TRUE(app->m_badges[0]);
    EXPECT_FALSE(app->m_badges[1]);
    EXPECT_TRUE(app->m_badges[2]);
    EXPECT_TRUE(app->m_badges[255]);
    EXPECT_EQ(app->m_options[5], 2) << "settings keep their defaults";
    EXPECT_EQ(Top(kEasy, 0), 0) << "a group without enough fields is skipped";
}

TEST_F(StorageTest, MissingOrTruncatedStateKeepsDefaults) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> printed;
    };
    std::string exactly25;
    for (int i = 0; i < 24; ++i) exactly25 += "1|";
    exactly25 += "1";  // 25 fields, the settings sum missing
    const Case cases[] = {
        {"no state yet", "", {kMsgHighscoresLoaded}},
        {"eight fields", "1|2|3|4|5|6|7|8", {kMsgHighscoresLoaded}},
        {"settings without their sum", exactly25, {kMsgBadgesInvalid, kMsgHighscoresLoaded}},
        {"garbage", "abc|def", {kMsgHighscoresLoaded}},
    };
    for (const Case& c : cases) {
        ClearAll();
        app->m_options[5] = 1;
        app->m_hiscores[0] = 42;
        if (c.text.empty()) std::filesystem::remove(dir / OX_STATE_FILE_NAME);
        else WriteState(c.text);
        EXPECT_EQ(Load(), c.printed) << c.what;
        EXPECT_EQ(app->m_options[5], 1) << c.what;
        EXPECT_EQ(app->m_hiscores[0], 42) << c.what;
    }
}

TEST_F(StorageTest, SettingsClampsAfterLoading) {
    struct Case {
        int ouya;
        std::vector<std::pair<int, int>> stored;    // option index, stored value
        std::vector<std::pair<int, int>> expected;  // option index, value after loading
        float overscan;
    };
    const Case cases[] = {
        {0, {}, {{10, 64}, {11, 64}, {12, 10}, {14, 1}}, 0},
        {0, {{10, 100}, {11, 63}, {12, 8}, {14, 50}}, {{10, 100}, {11, 64}, {12, 8}, {14, 1}}, 0},
        {1, {}, {{14, 64}}, 64},
        {1, {{14, 32}}, {{14, 32}}, 32},
    };
    for (const Case& c : cases) {
        ClearAll();
        for (const auto& [i, v] : c.stored) app->m_options[i] = v;
        app->p_Save();
        ClearAll();
        isOuya = c.ouya;
        Load();
        for (const auto& [i, v] : c.expected) EXPECT_EQ(app->m_options[i], v) << "option " << i;
        EXPECT_EQ(overscan, c.overscan);
    }
    isOuya = 0;
}

TEST_F(StorageTest, DebugModePrintsTheStateString) {
    ClearAll();
    DebugMode = 1;
    testing::internal::CaptureStdout();
    app->p_Save();
    std::string out = testing::internal::GetCapturedStdout();
    DebugMode = 0;
    EXPECT_EQ(out, SavedState() + "\n");
}

// ---- Recording a finished game ----

class RankingTest : public StorageTest {};

TEST_F(RankingTest, ScoreEntersBothListsAndIsSaved) {
    struct Case {
        const char* what;
        std::vector<int> top;    // the list before
        int score;
        int place;               // where it lands, -1 none
        std::vector<int> after;  // first entries afterwards
    };
    const Case cases[] = {
        {"a tie goes below", {900, 800, 500, 0}, 500, 3, {900, 800, 500, 500, 0}},
        {"a new best", {900, 800, 500, 0}, 1000, 0, {1000, 900, 800, 500, 0}},
        {"zero on zeros reaches no place", {0, 0, 0}, 0, -1, {0, 0, 0, 0}},
        {"the tenth place", {90, 80, 70, 60, 50, 40, 30, 20, 10, 5}, 6, 9, {90, 80, 70, 60, 50, 40, 30, 20, 10, 6}},
    };
    for (const Case& c : cases) {
        ClearAll();
        app->m_difficulty = kNormal;
        for (size_t k = 0; k < c.top.size(); ++k) app->m_hiscores[10 + k] = c.top[k];
        for (int k = 0; k < 10; ++k) app->m_hiscores[40 + k] = k + 1;  // last ten: 1..10
        app->m_hiscores[0] = 77;                                       // Easy untouched
        app->m_score = c.score;
        app->p_LoadMenu();
        for (size_t k = 0; k < c.after.size(); ++k) EXPECT_EQ(Top(kNormal, k), c.after[k]) << c.what << ", place " << k;
        EXPECT_EQ(Last(kNormal, 0), c.score) << c.what;
        EXPECT_EQ(Last(kNormal, 1), 1) << c.what << ": the last list moves down";
        EXPECT_EQ(Last(kNormal, 9), 9) << c.what << ": its oldest entry drops out";
        EXPECT_EQ(Top(kEasy, 0), 77) << c.what;
        std::vector<std::string> f = Fields(SavedState());
        ASSERT_EQ(f.size(), static_cast<size_t>(kStateFields));
        EXPECT_EQ(f[56], std::to_string(Top(kNormal, 0))) << c.what << ": saved";
        EXPECT_EQ(f[57], std::to_string(c.score)) << c.what << ": saved";
    }
}

TEST_F(RankingTest, FullListDropsItsLastEntry) {
    ClearAll();
    app->m_difficulty = kHard;
    for (int k = 0; k < 10; ++k) app->m_hiscores[20 + k] = 100 - k;
    app->m_score = 95;  // ties the sixth entry, so it goes seventh
    app->p_LoadMenu();
    EXPECT_EQ(Top(kHard, 5), 95);
    EXPECT_EQ(Top(kHard, 6), 95);
    EXPECT_EQ(Top(kHard, 7), 94);
    EXPECT_EQ(Top(kHard, 9), 92) << "91 dropped out";
}

}  // namespace
