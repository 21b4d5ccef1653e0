// Reading the board off the screen: each cell's tile kind, told apart by the colour of the tile
// faces in the game's own tile picture, and the pushes a player could make from there.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "support/view.h"

namespace e2e {

inline constexpr int kNoTile = 0;  // a hole, or a cell the reader could not tell

// kinds[column][row], 1..7 or kNoTile.
struct Board {
  std::array<std::array<int, kBoardSize>, kBoardSize> kinds{};
  int Tiles() const;
  // Cells whose kind differs from the other board's.
  int Differences(const Board& other) const;
};

struct Push {
  int column, row;  // the tile pushed
  int dx, dy;       // towards its neighbour
  int cleared;      // tiles the lines it makes would clear, counted as the game counts them
};

class TileReader {
 public:
  // Takes the seven tile faces from the tile picture `gfxPng` (the plain resolution).
  explicit TileReader(const std::string& gfxPng);
  bool Ready() const { return ready_; }
  Board Read(const Shot& shot, const View& view) const;

 private:
  int Kind(const Shot& shot, const View& view, int column, int row) const;

  bool ready_ = false;
  std::array<Rgb, 7> faces_{};
};

// Counts the tiles that lines of three clear on this board, as the game's matcher counts them:
// every run of three equal tiles in a row or column counts 3 (a line of four counts 6).
int LineTiles(const Board& b);

// Every push of a tile into a neighbouring tile, with what it would clear.
std::array<std::optional<Push>, 4 * kBoardSize * kBoardSize> Pushes(const Board& b);

// The board once its lines have cleared: their cells become holes.
Board AfterClears(const Board& b);

// A push that clears tiles, the one that clears fewest; nothing when the board offers none.
std::optional<Push> ClearingPush(const Board& b);
// A push of two different tiles that clears nothing, preferring cells near `near`.
std::optional<Push> QuietPush(const Board& b, int nearColumn, int nearRow);

Board Swapped(const Board& b, const Push& p);

}  // namespace e2e
