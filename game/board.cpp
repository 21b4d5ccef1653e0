// The board: dealing a board without ready-made lines, exchanging two cells, and the
// per-frame board pass (pointer hits, matching, clearing, slides, drops, cursor, controls).
#include "game/my_app.h"
#include "game/rules.h"

#include <cmath>

namespace {

constexpr float kDealDropY = -640;          // a new board drops in from this far above
constexpr float kFallAwayLimit = 640;       // a finished board's tiles fall until here
constexpr int kClearTimeEnd = 128;          // clear animation frames
constexpr int kAgeEnd = 10;                 // age stops counting here
constexpr int kMatchAge = 2;                // tiles match only while younger than this
constexpr int kLineTiles = 3;              // a line of three counts three tiles
constexpr int kShardsPerTile = 9;
constexpr float kShardSpeedMin = 3, kShardSpeedMax = 6;
constexpr float kDropStepMin = 14, kDropStepMax = 32;  // pixels a dealt tile drops per frame
constexpr float kShardColourWidth = 8.99f;  // shard colour 1..9
constexpr float kSlideEase = 0.15f;         // slides ease back by this per frame
constexpr float kMoveThreshold = 0.3f;      // stick deflection that moves or pushes
constexpr int kDragReach = 3;               // a drag pushes towards a cell up to 3 away
constexpr float kPointerMargin = 4;         // a cell's pointer box is the cell less this
constexpr float kTileImageSize = 34;        // tile pictures are drawn from 34-pixel cells
constexpr float kCursorScale = 1.1f;        // the cursor is drawn a little larger
constexpr int kCursorFrameMs = 60;          // cursor animation: a frame per 60 ms
constexpr int kCursorFrames = 7;
constexpr int kCursorIdleFrame = 42;
constexpr int kCursorGrabFrame = 35;
constexpr float kPushVolume = 0.25f;

// Moves v towards 0 by step, stopping at 0.
inline float easeToZero(float v, float step) {
    if (v < 0) return v + step > 0 ? 0.0f : v + step;
    if (v > 0) return v - step < 0 ? 0.0f : v - step;
    return v;
}

}  // namespace

// Board layout from the current virtual screen: cell size and the centre of cell (0, 0).
struct BoardLayout {
    float cell, left, top;
};
static BoardLayout boardLayout(int gridW, int gridH) {
    BoardLayout l;
    float byW = jscrw / (gridW + 1), byH = jscrh / (gridH + 1);
    l.cell = byW < byH ? byW : byH;
    l.left = jscrw / 2 - gridW * l.cell / 2 + l.cell / 2;
    l.top = jscrh - gridH * l.cell + l.cell / 2 - 16;
    return l;
}

int c_MyApp::p_ResetGrid() {
    for (int i = 0; i < m_grid.Length(); ++i) m_grid[i] = 0;
    return 0;
}

int c_MyApp::p_ResetPlayers() {
    for (int i = 0; i < MyAppSizes::kPlayerReset; ++i) m_player[i] = 0;
    return 0;
}

int c_MyApp::p_ResetObj() {
    for (int i = 0; i < m_objs.Length(); ++i) m_objs[i] = 0;
    return 0;
}

int c_MyApp::p_Swap(int x, int y, int dx, int dy) {
    int a = cellRecord(x, y), b = cellRecord(x + dx, y + dy);
    for (int f = 0; f < kCellFloats; ++f) {
        float t = m_grid[a + f];
        m_grid[a + f] = m_grid[b + f];
        m_grid[b + f] = t;
    }
    m_grid[a + kCellSlideX] = static_cast<float>(dx);
    m_grid[a + kCellSlideY] = static_cast<float>(dy);
    m_grid[b + kCellSlideX] = static_cast<float>(-dx);
    m_grid[b + kCellSlideY] = static_cast<float>(-dy);
    return 0;
}

int c_MyApp::p_Fresh() {
    // The timer and quota of the new board.
    m_player[kPlTimer] = kTimerStart;
    m_player[kPlBarScale] = kTimerStart;
    m_player[kPlRefill] = m_player[kPlBoardRefill];
    m_player[kPlBoardRefill] -= kBoardRefillStep * m_difficulty;
    m_player[kPlCleared] = 0;
    m_player[kPlBoardDone] = 0;
    m_player[kPlQuota] += kQuotaStep;

    for (int x = 0; x < m_gridW; ++x) {
        for (int y = 0; y < m_gridH; ++y) {
            int r = cellRecord(x, y);
            m_grid[r + kCellKind] = static_cast<float>(p_GetTile());
            for (int f = 1; f < kCellFloats; ++f) m_grid[r + f] = 0;
            m_grid[r + kCellDropY] = kDealDropY;
        }
    }
    // Deal replacements for the middle of every line of three until none is left.
    bool changed = true;
    while (changed) {
        changed = false;
        for (int x = 0; x < m_gridW; ++x) {
            for (int y = 0; y < m_gridH; ++y) {
                float k = m_grid[cellRecord(x, y) + kCellKind];
                if (y > 1 && m_grid[cellRecord(x, y - 2) + kCellKind] == k &&
                    m_grid[cellRecord(x, y - 1) + kCellKind] == k) {
                    m_grid[cellRecord(x, y - 1) + kCellKind] = static_cast<float>(p_GetTile());
                    changed = true;
                }
                k = m_grid[cellRecord(x, y) + kCellKind];
                if (x > 1 && m_grid[cellRecord(x - 2, y) + kCellKind] == k &&
                    m_grid[cellRecord(x - 1, y) + kCellKind] == k) {
                    m_grid[cellRecord(x - 1, y) + kCellKind] = static_cast<float>(p_GetTile());
                    changed = true;
                }
            }
        }
    }
    return 0;
}

// Marks the tile at record r as cleared and throws its shards from (px, py).
void c_MyApp::p_ClearTile(int r, float px, float py) {
    m_grid[r + kCellClearTime] = 1;
    m_grid[r + kCellAge] = 1;
    m_grid[r + kCellDropY] = 0;
    m_grid[r + kCellSpin] = ox_random_Rnd2(-2, 2);
    for (int i = 0; i < kShardsPerTile; ++i) {
        float speed = ox_random_Rnd2(kShardSpeedMin, kShardSpeedMax);
        float direction = ox_random_Rnd2(0, 360);
        int colour = static_cast<int>(std::floor(1.0 + static_cast<double>(ox_random_Rnd()) * kShardColourWidth));
        p_ThrowParticle(px, py, kPartShard, colour, direction, speed);
    }
}

int c_MyApp::p_BoardFrame(int* allFallenOut) {
    const BoardLayout l = boardLayout(m_gridW, m_gridH);
    const float cell = l.cell, left = l.left, top = l.top;

    // Age the cleared tiles.
    for (int x = 0; x < m_gridW; ++x)
        for (int y = 0; y < m_gridH; ++y) {
            float& age = m_grid[cellRecord(x, y) + kCellAge];
            if (age > 0 && age < kAgeEnd) age += 1;
        }

    if (m_pointerDown == 0) {
        m_player[kPlDrag] = 0;
        m_player[kPlDragMirror] = 0;
        m_player[kPlPointerX] = -1;
        m_player[kPlPointerY] = -1;
    }

    m_dropping = 0;
    int allFallen = 1;
    int cleared = 0;
    const float h = (cell - kPointerMargin) / 2;
    p_SetSize(cell / kTileImageSize);

    for (int x = 0; x < m_gridW; ++x) {
        for (int y = 0; y < m_gridH; ++y) {
            const int r = cellRecord(x, y);
            float* c = &m_grid[r];
            const float tx = (x + c[kCellSlideX]) * cell + left;
            const float ty = (y + c[kCellSlideY]) * cell + top + c[kCellDropY];

            // Pointer over this cell.
            bool hit = false;
            for (int i = 0; i < MyAppSizes::kTouchSlots; ++i) {
                if (!m_touchOn[i]) continue;
                float px = static_cast<float>(m_touchX[i]), py = static_cast<float>(m_touchY[i]);
                if (tx - h < px && px < tx + h && ty - h < py && py < ty + h) hit = true;
            }
            if (hit && m_pointerDown > 0) {
                if (m_player[kPlDrag] == 0) {
                    m_player[kPlCursorX] = static_cast<float>(x);
                    m_player[kPlCursorY] = static_cast<float>(y);
                }
                m_player[kPlPointerX] = static_cast<float>(x);
                m_player[kPlPointerY] = static_cast<float>(y);
                m_player[kPlDrag] = 1;
            }

            if (ty < jscrh) allFallen = 0;

            if (m_player[kPlBoardDone] == 1 && c[kCellDropY] < kFallAwayLimit)
                c[kCellDropY] = 2 * c[kCellDropY] + ox_random_Rnd2(5e-6f, 1e-5f);

            const float kind = c[kCellKind];
            if (y > 1) {
                const int a = cellRecord(x, y - 2), b = cellRecord(x, y - 1);
                if (m_grid[a + kCellKind] == kind && m_grid[b + kCellKind] == kind &&
                    m_grid[a + kCellAge] < kMatchAge && m_grid[b + kCellAge] < kMatchAge &&
                    c[kCellAge] < kMatchAge) {
                    p_ClearTile(r, tx, ty);
                    p_ClearTile(a, tx, ty - 2 * cell);
                    p_ClearTile(b, tx, ty - cell);
                    cleared += kLineTiles;
                }
            }
            if (x > 1) {
                const int a = cellRecord(x - 2, y), b = cellRecord(x - 1, y);
                if (m_grid[a + kCellKind] == kind && m_grid[b + kCellKind] == kind &&
                    m_grid[a + kCellAge] < kMatchAge && m_grid[b + kCellAge] < kMatchAge &&
                    c[kCellAge] < kMatchAge) {
                    p_ClearTile(r, tx, ty);
                    p_ClearTile(a, tx - 2 * cell, ty);
                    p_ClearTile(b, tx - cell, ty);
                    cleared += kLineTiles;
                }
            }

            c[kCellSlideX] = easeToZero(c[kCellSlideX], kSlideEase);
            c[kCellSlideY] = easeToZero(c[kCellSlideY], kSlideEase);

            if (c[kCellClearTime] > 0 && c[kCellClearTime] < kClearTimeEnd) {
                c[kCellClearTime] += 1;
                c[kCellDropY] = 2 * c[kCellDropY] + ox_random_Rnd2(1e-5f, 2e-5f);
                c[kCellAngle] += c[kCellSpin];
            }

            if (c[kCellDropY] < 0) {
                c[kCellDropY] += ox_random_Rnd2(kDropStepMin, kDropStepMax);
                m_dropping = 1;
                if (c[kCellDropY] > 0) c[kCellDropY] = 0;
            }

            const int frame = static_cast<int>(c[kCellKind]);
            m_drawRot = -c[kCellAngle];
            if (frame > 0) p_DrawImg(kImgTiles, tx, ty, static_cast<float>(frame - 1));
        }
    }

    // The cursor.
    m_drawRot = 0;
    p_SetSize(cell / kTileImageSize * kCursorScale);
    int t = ox_app_Millisecs() / kCursorFrameMs;
    int phase = t % kCursorFrames;
    if (phase < 0) phase += kCursorFrames;
    int cursorFrame = (m_player[kPlGrab] == 1 ? kCursorGrabFrame : kCursorIdleFrame) + phase;
    p_DrawImg(kImgTiles, (m_player[kPlCursorX] + m_player[kPlCursorSlideX]) * cell + left,
              (m_player[kPlCursorY] + m_player[kPlCursorSlideY]) * cell + top, static_cast<float>(cursorFrame));

    p_BoardControls();
    *allFallenOut = allFallen;
    return cleared;
}

// The cursor cell is open for a push when it is outside the board or holds a live tile.
bool c_MyApp::p_CellOpen(int x, int y) {
    if (x < 0 || y < 0 || x >= m_gridW || y >= m_gridH) return true;
    return m_grid[cellRecord(x, y) + kCellClearTime] <= 0;
}

void c_MyApp::p_BoardControls() {
    float* pl = &m_player[0];
    if (std::fabs(m_stickX) < kMoveThreshold) pl[kPlLatchX] = 0;
    if (std::fabs(m_stickY) < kMoveThreshold) pl[kPlLatchY] = 0;

    if (p_PlayKey(kKeyFire1, kKeyModeStick, 0) || p_PlayKey(kKeyFire2, kKeyModeStick, 0)) {
        pl[kPlGrab] = 1;
        pl[kPlGrabMirror] = 1;
    } else if (pl[kPlLatchX] == 0 && pl[kPlLatchY] == 0) {
        pl[kPlGrab] = 0;
        pl[kPlGrabMirror] = 0;
    }

    // No control while the board falls away or after time is up; that includes a drag
    // begun before, so a held pointer cannot push tiles once the controls are dead.
    const bool dead = m_timeUp != 0 || pl[kPlBoardDone] > 0;
    if (dead) {
        m_stickX = 0;
        m_stickY = 0;
        m_pointerDown = 0;
    }

    if (pl[kPlCursorSlideX] == 0 && pl[kPlCursorSlideY] == 0) {
        int x = static_cast<int>(pl[kPlCursorX]), y = static_cast<int>(pl[kPlCursorY]);
        if (pl[kPlGrab] != 1) {
            if (m_stickX < -kMoveThreshold && x > 0 && pl[kPlLatchX] == 0) {
                x -= 1; pl[kPlCursorSlideX] = 1; pl[kPlLatchX] = 1;
            }
            if (m_stickY < -kMoveThreshold && y > 0 && pl[kPlLatchY] == 0) {
                y -= 1; pl[kPlCursorSlideY] = 1; pl[kPlLatchY] = 1;
            }
            if (m_stickX > kMoveThreshold && x < m_gridW - 1 && pl[kPlLatchX] == 0) {
                x += 1; pl[kPlCursorSlideX] = -1; pl[kPlLatchX] = 1;
            }
            if (m_stickY > kMoveThreshold && y < m_gridH - 1 && pl[kPlLatchY] == 0) {
                y += 1; pl[kPlCursorSlideY] = -1; pl[kPlLatchY] = 1;
            }
            pl[kPlCursorX] = static_cast<float>(x);
            pl[kPlCursorY] = static_cast<float>(y);
        }


        bool wantLeft = false, wantRight = false, wantUp = false, wantDown = false;
        if (pl[kPlDrag] == 1 && !dead) {
            pl[kPlGrab] = 0;
            const int px = static_cast<int>(pl[kPlPointerX]), py = static_cast<int>(pl[kPlPointerY]);
            if (py == y) {
                if (px < x && px >= x - kDragReach) { wantLeft = true; pl[kPlGrab] = 1; }
                if (px > x && px <= x + kDragReach) { wantRight = true; pl[kPlGrab] = 1; }
            }
            if (px == x) {
                if (py < y && py >= y - kDragReach) { wantUp = true; pl[kPlGrab] = 1; }
                if (py > y && py <= y + kDragReach) { wantDown = true; pl[kPlGrab] = 1; }
            }
        }

        // Each push reads the cursor cell again, so a diagonal can push twice in one frame; the
        // cell it pushes into is tested where the tile now stands, so that the second push of
        // a diagonal can never move a tile into a hole beside the first one.
        if (pl[kPlGrab] == 1 && m_grid[cellRecord(x, y) + kCellClearTime] == 0) {
            if ((m_stickX < -kMoveThreshold || wantLeft) && p_CellOpen(x - 1, y) && x > 0 && pl[kPlLatchX] == 0) {
                p_PlaySFX(kSfxPush, ox_random_Rnd2(0.5f, 1.5f), kPushVolume, 0);
                p_Swap(x, y, -1, 0);
                pl[kPlGrab] = 0;
                pl[kPlCursorX] -= 1;
                pl[kPlCursorSlideX] = 1;
                pl[kPlLatchX] = 1;
                pl[kPlPushed] = 1;
            }
            x = static_cast<int>(pl[kPlCursorX]);
            y = static_cast<int>(pl[kPlCursorY]);
            if ((m_stickY < -kMoveThreshold || wantUp) && p_CellOpen(x, y - 1) && y > 0 && pl[kPlLatchY] == 0) {
                p_PlaySFX(kSfxPush, ox_random_Rnd2(0.5f, 1.5f), kPushVolume, 0);
                p_Swap(x, y, 0, -1);
                pl[kPlGrab] = 0;
                pl[kPlCursorY] -= 1;
                pl[kPlCursorSlideY] = 1;
                pl[kPlLatchY] = 1;
                pl[kPlPushed] = 1;
            }
            x = static_cast<int>(pl[kPlCursorX]);
            y = static_cast<int>(pl[kPlCursorY]);
            if ((m_stickX > kMoveThreshold || wantRight) && p_CellOpen(x + 1, y) && x < m_gridW - 1 &&
                pl[kPlLatchX] == 0) {
                p_PlaySFX(kSfxPush, ox_random_Rnd2(0.5f, 1.5f), kPushVolume, 0);
                p_Swap(x, y, 1, 0);
                pl[kPlCursorSlideX] = -1;
                pl[kPlCursorX] += 1;
                pl[kPlLatchX] = 1;
                pl[kPlGrab] = 0;
                pl[kPlPushed] = 1;
            }
            x = static_cast<int>(pl[kPlCursorX]);
            y = static_cast<int>(pl[kPlCursorY]);
            if ((m_stickY > kMoveThreshold || wantDown) && p_CellOpen(x, y + 1) && y < m_gridH - 1 &&
                pl[kPlLatchY] == 0) {
                p_PlaySFX(kSfxPush, ox_random_Rnd2(0.5f, 1.5f), kPushVolume, 0);
                p_Swap(x, y, 0, 1);
                pl[kPlCursorSlideY] = -1;
                pl[kPlCursorY] += 1;
                pl[kPlLatchY] = 1;
                pl[kPlGrab] = 0;
                pl[kPlPushed] = 1;
            }
        }
    }

    pl[kPlCursorSlideX] = easeToZero(pl[kPlCursorSlideX], kSlideEase);
    pl[kPlCursorSlideY] = easeToZero(pl[kPlCursorSlideY], kSlideEase);
}
