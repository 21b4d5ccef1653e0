// Layouts and constants shared by the game's rule files: the cell, player, particle,
// star and draw-list records, the bag and the logical keys. Screen modes, image slots and
// sound numbers are in game_numbers.h.
#pragma once

#include "game/game_numbers.h"

// "Not given" in drawing calls, an up touch slot, and the rectangle record kind.
constexpr float kNotGiven = -3717.0f;
constexpr int kTouchUp = -3717;
// p_SeedRnd reads the millisecond clock instead of this seed.
constexpr int kSeedFromClock = -37171650;

// ---- Tile bag: slots 1..21 hold three of each of the seven kinds ----
constexpr int kTileKinds = 7;
constexpr int kBagCopies = 3;
constexpr int kBagFirst = 1;
constexpr int kBagLast = kTileKinds * kBagCopies;
constexpr int kBagForceRefill = 500;  // a position that forces a fresh bag on the next deal

// ---- Board cells: 10 floats per cell, cell (x, y) at record x + 10*y ----
constexpr int kCellFloats = 10;
constexpr int kRowRecords = 10;
enum CellField {
    kCellKind = 0,       // tile kind 1..7
    kCellSlideX = 1,     // display offset in cells, eased to 0
    kCellSlideY = 2,
    kCellClearTime = 3,  // 0 live; 1..128 while being cleared
    kCellDropY = 4,      // display offset in pixels: < 0 dropping in, > 0 falling away
    kCellAngle = 5,      // rotation of a cleared tile
    kCellSpin = 6,       // degrees per frame while cleared
    kCellAge = 9,        // 0 live; counts 1..10 after clearing; matches only below 2
};
inline int cellRecord(int x, int y) { return (x + kRowRecords * y) * kCellFloats; }

// ---- Player record ----
enum PlayerField {
    kPlCursorX = 1, kPlCursorY = 2,       // cursor cell
    kPlCursorSlideX = 3, kPlCursorSlideY = 4,
    kPlGrab = 5,                          // pushing the tile under the cursor
    kPlMenuRepeat = 21, kPlMenuRepeatStep = 22,  // the menu's key repeat (shell)
    kPlLatchX = 11, kPlLatchY = 12,       // move latches
    kPlGrabMirror = 13,                   // follows grab
    kPlPushed = 15,                       // set by every exchange
    kPlTimer = 100,                       // frames left
    kPlRefill = 101,                      // timer value after the next clear
    kPlBoardRefill = 102,                 // refill every new board starts with
    kPlCleared = 105,                     // tiles cleared on this board
    kPlQuota = 106,                       // tiles to clear on this board
    kPlBoardDone = 107,                   // quota reached: the board falls away
    kPlPointerX = 121, kPlPointerY = 122, // cell last touched by the pointer, -1 none
    kPlDrag = 123,                        // a pointer drag is active
    kPlDragMirror = 124,                  // follows the drag flag
    kPlBarScale = 200,                    // timer value that fills a bar
};

// ---- Particles and stars: 10-float records ----
constexpr int kRecordFloats = 10;
enum ParticleField {
    kPtKind = 0, kPtX = 1, kPtY = 2, kPtVX = 3, kPtVY = 4,
    kPtAngle = 5,   // degrees; the floor height for bouncing particles
    kPtSpin = 6, kPtLife = 7, kPtColour = 8,
    kPtValue = 9,   // image frame, shown number, or palette number
};
enum ParticleKind {
    kPartShard = 2,     // tile shard
    kPartBounce = 3,    // bouncing image particle
    kPartSlowFade = 4,  // slow-fading image particle
    kPartLastImage = 9, // kinds 1..9 draw the image of that number
    kPartBlock = 16,    // coloured 16 x 16 block
    kPartRising = 98,   // number that rises faster and faster
    kPartFloating = 99, // floating number
};
enum StarField { kStFrame = 0, kStX = 1, kStY = 2, kStDepth = 3, kStAngle = 5, kStSpin = 6 };

// ---- Logical keys read through p_PlayKey ----
enum LogicalKey {
    kKeyUp = 0, kKeyLeft = 3, kKeyRight = 5, kKeyDown = 8,
    kKeyFire1 = 10, kKeyFire2 = 11, kKeyFire3 = 12, kKeyFire4 = 13, kKeyFire5 = 14, kKeyFire6 = 15,
    kKeyBack = 98, kKeyPause = 99,
};
// p_PlayKey's mode: with kKeyModeStick a pad's first stick past the threshold is also a direction.
constexpr int kKeyModeKeys = 0, kKeyModeStick = 1;

// ---- Timer and quota (frames at 60 updates per second) ----
constexpr int kTimerStart = 1200;      // timer and bar scale of every new board
constexpr int kBoardRefillStep = 5;    // board refill lost per board, times the difficulty
constexpr int kQuotaStep = 2;          // each board asks for this many more tiles
constexpr int kRefillFloor = 60;       // a clear's refill never drops below this
constexpr int kRefillStep = 5;         // refill lost per clear
constexpr int kScorePerSquare = 15;    // a frame clearing n tiles scores 15 * n * n
