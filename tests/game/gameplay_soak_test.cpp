// Long runs of random play through the real dispatcher on every difficulty, from the start of a
// game to its end and on to the next: after every frame the holes stay holes, the cleared
// counts match the holes, and the collector's heap is sound.
#include "support/game_fixture.h"

#include <random>
#include <set>
#include <utility>

namespace {

constexpr int kFramesPerDifficulty = 12000;
constexpr int kTimerCap = 400;  // keeps games short enough that several end in one run
const int kPlayKeys[] = {37, 38, 39, 40, 90, 88, 32};

class SoakTest : public GameFixture, public ::testing::WithParamInterface<int> {
 protected:
    std::set<std::pair<int, int>> HoleSet() const {
        std::set<std::pair<int, int>> holes;
        for (int y = 0; y < app->m_gridH; ++y)
            for (int x = 0; x < app->m_gridW; ++x)
                if (Cell(x, y, kCellClearTime) > 0) holes.insert({x, y});
        return holes;
    }
};

TEST_P(SoakTest, RandomPlayKeepsTheBoardAndHeapSound) {
    const int difficulty = GetParam();
    std::mt19937 rng(1000 + difficulty);
    app->m_difficulty = difficulty;
    app->m_mode = kModeStart;
    bool mouseDown = false;
    int gamesEnded = 0;
    int clears = 0;
    std::set<std::pair<int, int>> holes;
    float quota = -1;
    float cleared = 0;

    for (int frame = 0; frame < kFramesPerDifficulty; ++frame) {
        // Random input: keys pressed and released, the pointer pressed, dragged and lifted.
        std::uniform_int_distribution<int> pick(0, 9);
        if (pick(rng) < 3) {
            int code = kPlayKeys[rng() % (sizeof(kPlayKeys) / sizeof(kPlayKeys[0]))];
            if (ox_input_device->m_keyDown[code]) KeyUp(code); else KeyDown(code);
        }
        if (pick(rng) == 0) {
            float x = GameFixture::CellX(static_cast<int>(rng() % 8) - 1) + static_cast<float>(rng() % 40) - 20;
            float y = GameFixture::CellY(static_cast<int>(rng() % 8)) + static_cast<float>(rng() % 40) - 20;
            if (!mouseDown) MouseDown(x, y); else MouseMove(x, y);
            mouseDown = true;
        } else if (mouseDown && pick(rng) == 0) {
            MouseUp();
            mouseDown = false;
        }
        host->clock.seconds += static_cast<double>(rng() % 3) / 1000;

        const int modeBefore = app->m_mode;
        const bool played = modeBefore == 10 && app->m_paused == 0;
        Frame();

        ASSERT_STREQ(gc_check_heap(), "") << "frame " << frame;
        if (modeBefore == 11) {
            ASSERT_EQ(app->m_mode, kModePlaying);
            if (Player(kPlTimer) > kTimerCap) Player(kPlTimer) = kTimerCap;
            holes = HoleSet();
            quota = Player(kPlQuota);
            cleared = Player(kPlCleared);
            continue;
        }
        if (played && app->m_mode == kModePlaying) {
            std::set<std::pair<int, int>> now = HoleSet();
            if (Player(kPlQuota) != quota) {
                // A new board was dealt: it starts whole.
                ASSERT_TRUE(now.empty()) << "frame " << frame;
                ASSERT_EQ(Player(kPlCleared), 0.0f);
                quota = Player(kPlQuota);
            } else {
                for (const auto& h : holes) ASSERT_TRUE(now.count(h)) << "a tile moved into the hole at " << h.first << "," << h.second;
                const int newHoles = static_cast<int>(now.size() - holes.size());
                const float counted = Player(kPlCleared) - cleared;
                ASSERT_EQ(newHoles > 0, counted > 0) << "frame " << frame;
                ASSERT_GE(counted, newHoles) << "frame " << frame;
                ASSERT_LE(counted, 3 * newHoles) << "frame " << frame;
                ASSERT_LE(static_cast<float>(now.size()), Player(kPlCleared));
                if (newHoles > 0) ++clears;
            }
            holes = now;
            cleared = Player(kPlCleared);
        }
        if (modeBefore == 2) {
            // The finished game's score heads the difficulty's last-ten list.
            ASSERT_EQ(app->m_hiscores[10 * (difficulty - 1) + 30], app->m_score);
            ++gamesEnded;
        }
        if (app->m_mode == kModeMenu) {
            // Confirm the same difficulty again, as the menu's wheel does.
            ReleaseAll();
            mouseDown = false;
            app->m_mode = kModeStart;
        }
    }
    EXPECT_GE(gamesEnded, 2) << "games ran from the start to game over and back";
    EXPECT_GE(clears, 1) << "random play cleared lines";
}

std::string DifficultyName(const ::testing::TestParamInfo<int>& info) {
    static const char* const kNames[] = {"", "Easy", "Normal", "Hard"};
    return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(Difficulties, SoakTest, ::testing::Values(1, 2, 3), DifficultyName);

}  // namespace
