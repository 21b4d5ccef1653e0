// Board rules through whole update frames: dealing without lines, matching lines and shapes,
// pushes (blocked by holes and edges), cursor moves, pointer drags, and the held timer.
#include "support/game_fixture.h"

#include <vector>

namespace {


class BoardTest : public GameFixture {
 protected:
    bool AnyLine() const {
        for (int x = 0; x < app->m_gridW; ++x)
            for (int y = 0; y < app->m_gridH; ++y) {
                if (y > 1 && Kind(x, y) == Kind(x, y - 1) && Kind(x, y) == Kind(x, y - 2)) return true;
                if (x > 1 && Kind(x, y) == Kind(x - 1, y) && Kind(x, y) == Kind(x - 2, y)) return true;
            }
        return false;
    }
    void PutCursor(int x, int y) {
        Player(kPlCursorX) = static_cast<float>(x);
        Player(kPlCursorY) = static_cast<float>(y);
    }
};

TEST_F(BoardTest, DealsNeverLeaveALineOfThree) {
    for (int run = 0; run < 40; ++run) {
        host->clock.seconds = 1.0 + run * 0.0137;
        app->m_difficulty = 1 + run % 3;
        app->p_LoadGame();
        for (int board = 0; board < 5; ++board) {
            ASSERT_FALSE(AnyLine()) << "run " << run << " board " << board;
            for (int x = 0; x < 7; ++x)
                for (int y = 0; y < 7; ++y) {
                    ASSERT_GE(Kind(x, y), 1);
                    ASSERT_LE(Kind(x, y), 7);
                    ASSERT_EQ(Cell(x, y, kCellDropY), -640.0f);
                }
            app->p_Fresh();
        }
    }
}

TEST_F(BoardTest, ReplacementsComeFromTheSameBag) {
    app->p_LoadGame();
    // Column 0 is dealt slots 1..7 and starts with a line of three; no other line is ready
    // in columns 0 to 2.
    const int crafted[22] = {0, 1, 1, 1, 2, 3, 4, 5, 2, 3, 4, 5, 6, 7, 6, 2, 3, 4, 5, 6, 7, 7};
    const int seed = 2024;
    auto prepare = [&] {
        for (int i = 1; i <= 21; ++i) app->m_bag[i] = crafted[i];
        app->m_bagPos = 1;
        ox_random_Seed = seed;
    };

    // The straight sequence of deals from that bag, and the bag state after each deal.
    prepare();
    std::vector<int> deals;
    std::vector<std::pair<int, int>> stateAfter;
    for (int i = 0; i < 120; ++i) {
        deals.push_back(app->p_GetTile());
        stateAfter.push_back({app->m_bagPos, ox_random_Seed});
    }

    prepare();
    app->p_Fresh();
    ASSERT_FALSE(AnyLine());
    int dealt = -1;
    for (int n = 49; n < 120 && dealt < 0; ++n) {
        if (stateAfter[n - 1] == std::make_pair(app->m_bagPos, ox_random_Seed)) dealt = n;
    }
    ASSERT_GT(dealt, 49) << "the board used more deals than its 49 cells";
    // The first replacement goes to the middle of column 0's line, and is the 50th deal.
    EXPECT_EQ(Kind(0, 1), deals[49]);
    int changed = 0;
    for (int x = 0; x < 7; ++x)
        for (int y = 0; y < 7; ++y) changed += Kind(x, y) != deals[x * 7 + y];
    EXPECT_GE(changed, 1);
    EXPECT_LE(changed, dealt - 49) << "every changed cell took a deal of its own";
}

struct LineCase {
    const char* name;
    std::vector<std::string> rows;
    int cleared;  // the frame's cleared-count
    int holes;    // distinct tiles cleared
};

class LineTest : public BoardTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineTest, ClearsAndScoresTheLines) {
    const LineCase& c = GetParam();
    StartGame(2);
    SetBoard(c.rows);
    const int scoreBefore = app->m_score;
    Frame();
    EXPECT_EQ(Holes(), c.holes);
    EXPECT_EQ(Player(kPlCleared), c.cleared);
    EXPECT_EQ(app->m_score - scoreBefore, 15 * c.cleared * c.cleared);
    EXPECT_EQ(ParticlesOfKind(kPartShard), 9 * c.cleared) << "nine shards per clear, middles twice";
    // A clear plays one of the six clear sounds.
    int clearSounds = 0;
    for (int s = 2; s <= 7; ++s) clearSounds += CountPlayed(s);
    EXPECT_EQ(clearSounds, 1);
    // Cleared tiles never match again: the next frame clears nothing more.
    const int clearedAfter = static_cast<int>(Player(kPlCleared));
    Frame();
    EXPECT_EQ(Player(kPlCleared), clearedAfter);
    EXPECT_EQ(Holes(), c.holes);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, LineTest,
    ::testing::Values(
        LineCase{"Vertical3", {"1", "1", "1"}, 3, 3},
        LineCase{"Horizontal3", {"", "", "", "", "", "", "555"}, 3, 3},
        LineCase{"Four", {"", "", "", "2222"}, 6, 4},
        LineCase{"Five", {"33333"}, 9, 5},
        LineCase{"LShape", {"", "", "", "", "6", "6", "666"}, 6, 5},
        LineCase{"TShape", {"  111", "   1", "   1"}, 6, 5}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

// Holding a grab key and a direction pushes the tile under the cursor one cell once the
// ramped stick passes the threshold.
struct PushCase {
    const char* name;
    std::vector<std::string> rows;
    int cursorX, cursorY;
    int directionKey;
    int toX, toY;  // where the cursor and its tile end up; the start cell when nothing moves
};

class PushTest : public BoardTest, public ::testing::WithParamInterface<PushCase> {};

TEST_P(PushTest, PushesOnlyIntoLiveCellsInsideTheBoard) {
    const PushCase& c = GetParam();
    StartGame(2);
    SetBoard(c.rows);
    PutCursor(c.cursorX, c.cursorY);
    const int tile = Kind(c.cursorX, c.cursorY);
    const int other = Kind(c.toX, c.toY);
    const int holesBefore = Holes();
    KeyDown('Z');
    KeyDown(c.directionKey);
    Frames(12);
    EXPECT_EQ(Player(kPlCursorX), c.toX);
    EXPECT_EQ(Player(kPlCursorY), c.toY);
    EXPECT_EQ(Kind(c.toX, c.toY), tile);
    EXPECT_EQ(Kind(c.cursorX, c.cursorY), other);
    EXPECT_EQ(Holes(), holesBefore) << "no hole moves and none appears";
    const bool moved = c.toX != c.cursorX || c.toY != c.cursorY;
    EXPECT_EQ(Player(kPlPushed), moved ? 1.0f : 0.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Pushes, PushTest,
    ::testing::Values(PushCase{"UpIntoLiveTile", {}, 3, 3, kKeyCodeUp, 3, 2},
                      PushCase{"UpIntoClearingTile", {"", "", "   ."}, 3, 3, kKeyCodeUp, 3, 3},
                      PushCase{"LeftOffTheEdge", {}, 0, 3, kKeyCodeLeft, 0, 3},
                      PushCase{"UpOffTheEdge", {}, 4, 0, kKeyCodeUp, 4, 0}),
    [](const ::testing::TestParamInfo<PushCase>& info) { return std::string(info.param.name); });

TEST_F(BoardTest, ADiagonalPushNeverMovesATileIntoAHole) {
    StartGame(2);
    SetBoard({"", "", "  ."});  // a hole up and to the left of the cursor
    PutCursor(3, 3);
    const int tile = Kind(3, 3);
    KeyDown('Z');
    KeyDown(kKeyCodeLeft);
    KeyDown(kKeyCodeUp);
    Frames(3);
    EXPECT_EQ(Player(kPlCursorX), 2.0f) << "the push to the left happens";
    EXPECT_EQ(Player(kPlCursorY), 3.0f) << "the push up from there would enter the hole";
    EXPECT_EQ(Kind(2, 3), tile);
    EXPECT_GT(Cell(2, 2, kCellClearTime), 0.0f) << "the hole stays where it was";
    EXPECT_EQ(Holes(), 1);
}

TEST_F(BoardTest, ADiagonalPushMovesTheTileTwiceWhenBothCellsAreLive) {
    StartGame(2);
    SetBoard({});
    PutCursor(3, 3);
    const int tile = Kind(3, 3);
    KeyDown('Z');
    KeyDown(kKeyCodeLeft);
    KeyDown(kKeyCodeUp);
    Frames(3);
    EXPECT_EQ(Player(kPlCursorX), 2.0f);
    EXPECT_EQ(Player(kPlCursorY), 2.0f);
    EXPECT_EQ(Kind(2, 2), tile) << "the second push starts where the first one ended";
}

TEST_F(BoardTest, AClearingTileUnderTheCursorIsNotPushed) {
    StartGame(2);
    SetBoard({"", "", "", "   ."});
    PutCursor(3, 3);
    KeyDown('Z');
    KeyDown(kKeyCodeUp);
    Frames(12);
    EXPECT_EQ(Player(kPlCursorY), 3.0f);
    EXPECT_GT(Cell(3, 3, kCellClearTime), 0.0f);
}

TEST_F(BoardTest, ADiagonalMovesTheCursorOnBothAxesInOneFrame) {
    StartGame(2);
    SetBoard({});
    PutCursor(3, 3);
    KeyDown(kKeyCodeUp);
    KeyDown(kKeyCodeLeft);
    Frames(2);
    EXPECT_EQ(Player(kPlCursorX), 3.0f);
    EXPECT_EQ(Player(kPlCursorY), 3.0f);
    Frame();
    EXPECT_EQ(Player(kPlCursorX), 2.0f);
    EXPECT_EQ(Player(kPlCursorY), 2.0f);
    EXPECT_EQ(Player(kPlPushed), 0.0f) << "without grab the cursor moves alone";
}

struct DragCase {
    const char* name;
    int dx, dy;   // pointer cell relative to the cursor
    bool pushes;  // the tile moves one cell towards the pointer
};

class DragTest : public BoardTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(DragTest, DragsPushAlongARowOrColumnUpToThreeCells) {
    const DragCase& c = GetParam();
    StartGame(2);
    SetBoard({});
    const int x = 2, y = 2;
    MouseDown(CellX(x), CellY(y));
    Frame();
    ASSERT_EQ(Player(kPlCursorX), x) << "a press puts the cursor under the pointer";
    ASSERT_EQ(Player(kPlCursorY), y);
    const int tile = Kind(x, y);
    MouseMove(CellX(x + c.dx), CellY(y + c.dy));
    Frame();
    const int stepX = c.pushes ? (c.dx > 0) - (c.dx < 0) : 0;
    const int stepY = c.pushes ? (c.dy > 0) - (c.dy < 0) : 0;
    EXPECT_EQ(Player(kPlCursorX), x + stepX);
    EXPECT_EQ(Player(kPlCursorY), y + stepY);
    EXPECT_EQ(Kind(x + stepX, y + stepY), tile);
}

INSTANTIATE_TEST_SUITE_P(
    Drags, DragTest,
    ::testing::Values(DragCase{"Right1", 1, 0, true}, DragCase{"Right3", 3, 0, true},
                      DragCase{"Right4", 4, 0, false}, DragCase{"Left2", -2, 0, true},
                      DragCase{"Down3", 0, 3, true}, DragCase{"Up2", 0, -2, true},
                      DragCase{"Diagonal", 1, 1, false}),
    [](const ::testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

TEST_F(BoardTest, ADragDoesNotPushOnceTimeIsUp) {
    StartGame(2);
    SetBoard({});
    MouseDown(CellX(2), CellY(2));
    Frame();
    app->m_timeUp = 1;
    const int tile = Kind(2, 2);
    MouseMove(CellX(3), CellY(2));
    Frame();
    EXPECT_EQ(Kind(2, 2), tile);
    EXPECT_EQ(Player(kPlCursorX), 2.0f);
}

TEST_F(BoardTest, TheTimerWaitsForTheDealToDropIn) {
    app->m_difficulty = 2;
    app->m_mode = kModeStart;
    Frame();
    ASSERT_EQ(app->m_mode, kModePlaying);
    int droppingFrames = 0;
    for (Frame(); app->m_dropping && droppingFrames < 200; Frame()) {
        EXPECT_EQ(Player(kPlTimer), 1200.0f) << "frame " << droppingFrames;
        EXPECT_EQ(app->m_settled, 0);
        ++droppingFrames;
    }
    EXPECT_GT(droppingFrames, 10) << "640 pixels at 14 to 32 a frame";
    EXPECT_EQ(Player(kPlTimer), 1199.0f) << "the first frame with every tile down counts";
    Frame();
    EXPECT_EQ(Player(kPlTimer), 1198.0f);
}

}  // namespace
