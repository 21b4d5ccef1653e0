// Timer, quota and scoring through whole frames: time up, the order of countdown and refill,
// the refill floors, quotas, the board-done sound, and the game-over overlay's timing.
#include "support/game_fixture.h"

#include "game/texts.h"

namespace {

class FlowTest : public GameFixture {
 protected:
    // A board with one vertical line of three ready in column 0.
    void ReadyLine() { SetBoard({"1", "1", "1"}); }
};

TEST_F(FlowTest, TimeRunsOutOnTheFrameTheTimerPassesBelowZero) {
    StartGame(2);
    SetBoard({});
    Player(kPlTimer) = 1;
    Frame();
    EXPECT_EQ(app->m_timeUp, 0);
    EXPECT_EQ(Player(kPlTimer), 0.0f);
    Frame();
    EXPECT_EQ(app->m_timeUp, 1);
    EXPECT_EQ(Player(kPlTimer), 0.0f);
    EXPECT_EQ(app->m_barH, 0) << "the bars of that frame come from the timer at 0";
    EXPECT_EQ(CountPlayed(kSfxTimeUp), 1);
    EXPECT_EQ(app->m_musicPlaying, 0);
    Frame();
    EXPECT_EQ(app->m_settled, 0) << "nothing counts down after time up";
    EXPECT_EQ(CountPlayed(kSfxTimeUp), 0);
}

TEST_F(FlowTest, TheCountdownComesBeforeTheRefillOfTheSameFrame) {
    StartGame(2);
    ReadyLine();
    Player(kPlTimer) = 0;
    const float refill = Player(kPlRefill);
    Frame();
    EXPECT_EQ(app->m_timeUp, 1) << "a clear in the last frame does not save the game";
    EXPECT_EQ(Player(kPlTimer), refill);
    EXPECT_EQ(app->m_score, 15 * 3 * 3);
}

TEST_F(FlowTest, ClearsRefillTheTimerDownToAFloorOfSixty) {
    StartGame(2);
    struct Step {
        float refillBefore;
        float timerAfter;
        float refillAfter;
    };
    const Step steps[] = {{300, 300, 295}, {64, 64, 60}, {62, 62, 60}, {60, 60, 60}};
    for (const Step& s : steps) {
        SetBoard({});
        Frame();
        ReadyLine();
        Player(kPlRefill) = s.refillBefore;
        Frame();
        EXPECT_EQ(Player(kPlTimer), s.timerAfter) << "refill " << s.refillBefore;
        EXPECT_EQ(Player(kPlBarScale), s.timerAfter);
        EXPECT_EQ(Player(kPlRefill), s.refillAfter) << "refill " << s.refillBefore;
        Player(kPlCleared) = 0;
    }
}

TEST_F(FlowTest, TheBoardRefillHasNoFloorOnHard) {
    StartGame(3);
    EXPECT_EQ(Player(kPlRefill), 240.0f);
    for (int board = 2; board <= 14; ++board) {
        app->p_Fresh();
        if (board == 13) {
            EXPECT_EQ(Player(kPlRefill), 60.0f);
        }
    }
    EXPECT_EQ(Player(kPlRefill), 45.0f) << "the 14th board starts below the clear floor";
    SettleBoard();
    ReadyLine();
    Frame();
    EXPECT_EQ(Player(kPlTimer), 45.0f) << "the first clear refills to the board's low value";
    EXPECT_EQ(Player(kPlRefill), 60.0f) << "later clears refill to the floor";
}

TEST_F(FlowTest, QuotasGrowByTwoPerBoard) {
    struct Case {
        int difficulty;
        int first, second;
        float refill;
    };
    for (Case c : {Case{1, 7, 9, 360}, Case{2, 10, 12, 300}, Case{3, 13, 15, 240}}) {
        StartGame(c.difficulty);
        EXPECT_EQ(Player(kPlQuota), c.first) << "difficulty " << c.difficulty;
        EXPECT_EQ(Player(kPlRefill), c.refill);
        app->p_Fresh();
        EXPECT_EQ(Player(kPlQuota), c.second) << "difficulty " << c.difficulty;
        EXPECT_EQ(Player(kPlTimer), 1200.0f);
        EXPECT_EQ(Player(kPlBarScale), 1200.0f);
    }
}

TEST_F(FlowTest, ReachingTheQuotaPlaysTheBoardSoundOnceAndDealsAgain) {
    StartGame(1);
    const float quota = Player(kPlQuota);
    Player(kPlCleared) = quota - 3;
    ReadyLine();
    Frame();
    EXPECT_EQ(Player(kPlCleared), quota);
    EXPECT_EQ(Player(kPlBoardDone), 0.0f) << "the count shown this frame was taken before the clear";
    int boardSounds = 0;
    int framesToDeal = 0;
    while (Player(kPlQuota) == quota && framesToDeal < 300) {
        Frame();
        boardSounds += CountPlayed(kSfxBoardDone);
        // The frame that notices the quota still counted down; the board is done after it.
        if (Player(kPlQuota) == quota && framesToDeal > 0) {
            EXPECT_EQ(app->m_settled, 0) << "the timer holds while the board falls away";
        }
        ++framesToDeal;
    }
    EXPECT_EQ(boardSounds, 1);
    EXPECT_EQ(Player(kPlQuota), quota + 2) << "the next board is dealt once every tile has fallen";
    EXPECT_EQ(Player(kPlBoardDone), 0.0f);
    EXPECT_EQ(Player(kPlCleared), 0.0f);
}

TEST_F(FlowTest, HiddenHudStillCountsButDrawsNoNumbers) {
    StartGame(2);
    app->m_hideHud = 1;
    ReadyLine();
    Frame();
    EXPECT_EQ(app->m_score, 135);
    EXPECT_EQ(ParticlesOfKind(kPartRising), 0);
    app->m_hideHud = 0;
    SetBoard({});
    Frame();
    ReadyLine();
    Frame();
    EXPECT_EQ(ParticlesOfKind(kPartRising), 66) << "33 pairs of rising numbers per clear";
}

TEST_F(FlowTest, GameOverReturnsToTheMenuAfterNinetyFrames) {
    StartGame(2);
    SetBoard({});
    Player(kPlTimer) = 0;
    Frame();
    ASSERT_EQ(app->m_timeUp, 1);
    EXPECT_EQ(app->m_overStep, 1);
    int frames = 1;
    while (app->m_mode == kModePlaying && frames < 200) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 90);
    EXPECT_EQ(app->m_mode, kModeToMenu);
    EXPECT_EQ(app->m_overStep, 73) << "75, then one fading step in the same frame";
    EXPECT_EQ(app->m_keyLatch, 1) << "the overlay swallows input";
}

TEST_F(FlowTest, QuittingShowsQuitGameWords) {
    StartGame(2);
    app->m_timeUp = 1;
    app->m_quitting = -1;
    app->m_overStep = 60;
    app->p_GameOver();
    auto textHas = [&](const char* word) {
        // The word's first letter is drawn from the font at its frame, scaled by 4.
        const int frame = word[0] - 32;
        for (int at = 0; at < app->m_drawCount; at += 15)
            if (app->m_drawList[at] == 90 && app->m_drawList[at + 6] == frame && app->m_drawList[at + 4] == 4)
                return true;
        return false;
    };
    EXPECT_TRUE(textHas(kQuitWords[0]));
    EXPECT_FALSE(textHas(kGameOverWords[1]));
}

}  // namespace
