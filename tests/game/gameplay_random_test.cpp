// The game's generator and tile bag: the exact step, ranged draws, reseeding, and the
// bag's three-of-each guarantee with its refill on the 21st deal.
#include "support/game_fixture.h"

#include <array>
#include <map>

namespace {

class RandomTest : public GameFixture {};

// Steps the generator the same way on a copy of a state, without touching the global one.
unsigned stepOf(unsigned state) { return state * 1664525u + 1013904223u; }

TEST_F(RandomTest, FirstStepFromTheStartSeed) {
    ox_random_Seed = 1234;
    float r = ox_random_Rnd();
    EXPECT_EQ(static_cast<unsigned>(ox_random_Seed), 3067928073u);
    EXPECT_EQ(r, 11984094.0f / 16777216.0f);
    EXPECT_NEAR(r, 0.71431, 1e-5);
}

TEST_F(RandomTest, RangedDrawsUseOneStepEach) {
    struct Case {
        const char* name;
        float (*draw)();
        float lo, hi;
    };
    const Case cases[] = {
        {"Rnd2(-7, 7)", [] { return ox_random_Rnd2(-7, 7); }, -7, 7},
        {"Rnd2(0.6, 1.5)", [] { return ox_random_Rnd2(0.6f, 1.5f); }, 0.6f, 1.5f},
        {"Rnd3(360)", [] { return ox_random_Rnd3(360); }, 0, 360},
    };
    for (const Case& c : cases) {
        ox_random_Seed = 99;
        for (int i = 0; i < 2000; ++i) {
            unsigned before = static_cast<unsigned>(ox_random_Seed);
            float v = c.draw();
            ASSERT_EQ(static_cast<unsigned>(ox_random_Seed), stepOf(before)) << c.name;
            ASSERT_GE(v, c.lo) << c.name;
            ASSERT_LT(v, c.hi) << c.name;
        }
    }
}

TEST_F(RandomTest, RandCoversItsWholeRangeAndNoMore) {
    struct Case {
        int lo, hi;
    };
    for (Case c : {Case{2, 7}, Case{-32, 32}, Case{1, 9}}) {
        std::map<int, int> seen;
        ox_random_Seed = 4321;
        for (int i = 0; i < 200000; ++i) seen[app->p_Rand(static_cast<float>(c.lo), static_cast<float>(c.hi))]++;
        EXPECT_EQ(seen.begin()->first, c.lo) << c.lo << ".." << c.hi;
        EXPECT_EQ(seen.rbegin()->first, c.hi) << c.lo << ".." << c.hi;
        EXPECT_EQ(static_cast<int>(seen.size()), c.hi - c.lo + 1) << c.lo << ".." << c.hi;
    }
}

TEST_F(RandomTest, RandAtTheTopOfTheGeneratorStaysInRange) {
    // A state whose next step gives k = 2^24 - 1, the largest draw there is.
    // Solve state * a + c = 0xFFFFFFxx for state by stepping backwards with the inverse multiplier.
    const unsigned inverse = 4276115653u;  // 1664525 * 4276115653 = 1 mod 2^32
    unsigned target = 0xFFFFFF00u;
    ox_random_Seed = static_cast<int>((target - 1013904223u) * inverse);
    EXPECT_EQ(app->p_Rand(2, 7), 7);
    ox_random_Seed = static_cast<int>((target - 1013904223u) * inverse);
    EXPECT_EQ(app->p_Rand(-32, 32), 32);
}

TEST_F(RandomTest, SeedingStepsTwentyOneTimes) {
    struct Case {
        int seed;
        int clockMs;
        unsigned start;
    };
    const Case cases[] = {
        {1234, 0, 1234u},
        {-5, 0, static_cast<unsigned>(-5)},
        {kSeedFromClock, 7777, 7777u},  // the clock instead of the seed
    };
    for (const Case& c : cases) {
        host->clock.seconds = c.clockMs / 1000.0;
        app->p_SeedRnd(c.seed);
        unsigned expected = c.start;
        for (int i = 0; i < 21; ++i) expected = stepOf(expected);
        EXPECT_EQ(static_cast<unsigned>(ox_random_Seed), expected) << "seed " << c.seed;
    }
}

TEST_F(RandomTest, EveryBagHoldsEachKindThreeTimes) {
    ox_random_Seed = 1;
    app->m_bagPos = kBagForceRefill;
    for (int bag = 0; bag < 50; ++bag) {
        std::array<int, 8> count{};
        for (int i = 0; i < 21; ++i) {
            int kind = app->p_GetTile();
            ASSERT_GE(kind, 1);
            ASSERT_LE(kind, 7);
            count[kind]++;
        }
        for (int kind = 1; kind <= 7; ++kind) EXPECT_EQ(count[kind], 3) << "bag " << bag << " kind " << kind;
    }
}

TEST_F(RandomTest, TheTwentyFirstDealRefillsInTheSameCall) {
    ox_random_Seed = 77;
    app->p_NewBag();
    for (int i = 0; i < 20; ++i) app->p_GetTile();
    ASSERT_EQ(app->m_bagPos, 21);
    const int last = app->m_bag[21];
    unsigned expected = static_cast<unsigned>(ox_random_Seed);
    for (int i = 0; i < 21; ++i) expected = stepOf(expected);

    EXPECT_EQ(app->p_GetTile(), last);
    EXPECT_EQ(app->m_bagPos, 1);
    EXPECT_EQ(static_cast<unsigned>(ox_random_Seed), expected) << "the shuffle's 21 steps are spent now";
    const int first = app->m_bag[1];
    const unsigned seedAfter = static_cast<unsigned>(ox_random_Seed);
    EXPECT_EQ(app->p_GetTile(), first) << "the next deal takes slot 1 of the new bag";
    EXPECT_EQ(static_cast<unsigned>(ox_random_Seed), seedAfter) << "a plain deal draws nothing";
}

TEST_F(RandomTest, ABagPositionOutsideTheBagForcesAFreshBag) {
    for (int pos : {0, -3, 22, 500}) {
        ox_random_Seed = 5;
        app->m_bagPos = pos;
        app->p_GetTile();
        EXPECT_EQ(app->m_bagPos, 2) << "from position " << pos;
    }
}

}  // namespace
