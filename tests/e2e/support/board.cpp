// Tile faces are told apart by the mean colour of a square ring between a face's symbol and its
// border, sampled the same way in the tile picture and in the window.
#include "support/board.h"

#include <stb/stb_image.h>

#include <cmath>
#include <cstdlib>

namespace e2e {

namespace {

constexpr int kKinds = 7;
constexpr int kFaceCell = 36;      // tile picture cells at the plain resolution
constexpr double kFaceDrawn = 34;  // the game draws a cell-sized tile from 34 picture pixels
constexpr int kRingInner = 9, kRingOuter = 13;  // ring, picture pixels from the face centre
// A cell whose ring colour lies further than this from every face holds no tile.
constexpr double kFaceTolerance = 70;

double Distance(const Rgb& a, const Rgb& b) {
  return std::sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) +
                   (a.b - b.b) * (a.b - b.b));
}

bool InRing(double dx, double dy, double inner, double outer) {
  double d = std::max(std::fabs(dx), std::fabs(dy));
  return d >= inner && d <= outer;
}

}  // namespace

int Board::Tiles() const {
  int n = 0;
  for (const auto& column : kinds)
    for (int k : column)
      if (k != kNoTile) ++n;
  return n;
}

int Board::Differences(const Board& other) const {
  int n = 0;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (kinds[x][y] != other.kinds[x][y]) ++n;
  return n;
}

TileReader::TileReader(const std::string& gfxPng) {
  int w = 0, h = 0, channels = 0;
  unsigned char* pixels = stbi_load(gfxPng.c_str(), &w, &h, &channels, 4);
  if (!pixels || w < kKinds * kFaceCell || h < kFaceCell) {
    if (pixels) stbi_image_free(pixels);
    return;
  }
  for (int k = 0; k < kKinds; ++k) {
    const int cx = k * kFaceCell + kFaceCell / 2, cy = kFaceCell / 2;
    Rgb sum;
    int n = 0;
    for (int y = cy - kRingOuter; y <= cy + kRingOuter; ++y) {
      for (int x = cx - kRingOuter; x <= cx + kRingOuter; ++x) {
        if (!InRing(x - cx, y - cy, kRingInner, kRingOuter)) continue;
        const unsigned char* p = pixels + (static_cast<size_t>(y) * w + x) * 4;
        sum.r += p[0];
        sum.g += p[1];
        sum.b += p[2];
        ++n;
      }
    }
    faces_[k] = {sum.r / n, sum.g / n, sum.b / n};
  }
  stbi_image_free(pixels);
  ready_ = true;
}

int TileReader::Kind(const Shot& shot, const View& view, int column, int row) const {
  const Point c = view.CellCentre(column, row);
  const double k = view.Cell() * view.Scale() / kFaceDrawn;  // window pixels per picture pixel
  const double inner = kRingInner * k, outer = kRingOuter * k;
  const int reach = static_cast<int>(std::ceil(outer));
  Rgb sum;
  int n = 0;
  for (int dy = -reach; dy <= reach; ++dy) {
    for (int dx = -reach; dx <= reach; ++dx) {
      if (!InRing(dx, dy, inner, outer)) continue;
      Rgb p = shot.At(c.x + dx, c.y + dy);
      sum.r += p.r;
      sum.g += p.g;
      sum.b += p.b;
      ++n;
    }
  }
  if (n == 0) return kNoTile;
  const Rgb mean = {sum.r / n, sum.g / n, sum.b / n};
  int best = kNoTile;
  double bestDistance = kFaceTolerance;
  for (int kind = 0; kind < kKinds; ++kind) {
    double d = Distance(mean, faces_[kind]);
    if (d < bestDistance) {
      bestDistance = d;
      best = kind + 1;
    }
  }
  return best;
}

Board TileReader::Read(const Shot& shot, const View& view) const {
  Board b;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) b.kinds[x][y] = ready_ ? Kind(shot, view, x, y) : kNoTile;
  return b;
}

int LineTiles(const Board& b) {
  int n = 0;
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const int k = b.kinds[x][y];
      if (k == kNoTile) continue;
      if (y > 1 && b.kinds[x][y - 1] == k && b.kinds[x][y - 2] == k) n += 3;
      if (x > 1 && b.kinds[x - 1][y] == k && b.kinds[x - 2][y] == k) n += 3;
    }
  }
  return n;
}

Board Swapped(const Board& b, const Push& p) {
  Board s = b;
  std::swap(s.kinds[p.column][p.row], s.kinds[p.column + p.dx][p.row + p.dy]);
  return s;
}

std::array<std::optional<Push>, 4 * kBoardSize * kBoardSize> Pushes(const Board& b) {
  static const int kDirections[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  std::array<std::optional<Push>, 4 * kBoardSize * kBoardSize> out;
  const int before = LineTiles(b);
  size_t i = 0;
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      for (const auto& d : kDirections) {
        const int nx = x + d[0], ny = y + d[1];
        if (nx < 0 || ny < 0 || nx >= kBoardSize || ny >= kBoardSize) continue;
        if (b.kinds[x][y] == kNoTile || b.kinds[nx][ny] == kNoTile) continue;
        Push p = {x, y, d[0], d[1], 0};
        p.cleared = LineTiles(Swapped(b, p)) - before;
        out[i++] = p;
      }
    }
  }
  return out;
}

Board AfterClears(const Board& b) {
  Board out = b;
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const int k = b.kinds[x][y];
      if (k == kNoTile) continue;
      if (y > 1 && b.kinds[x][y - 1] == k && b.kinds[x][y - 2] == k)
        out.kinds[x][y] = out.kinds[x][y - 1] = out.kinds[x][y - 2] = kNoTile;
      if (x > 1 && b.kinds[x - 1][y] == k && b.kinds[x - 2][y] == k)
        out.kinds[x][y] = out.kinds[x - 1][y] = out.kinds[x - 2][y] = kNoTile;
    }
  }
  return out;
}

std::optional<Push> ClearingPush(const Board& b) {
  std::optional<Push> best;
  for (const auto& p : Pushes(b))
    if (p && p->cleared > 0 && (!best || p->cleared < best->cleared)) best = p;
  return best;
}

std::optional<Push> QuietPush(const Board& b, int nearColumn, int nearRow) {
  std::optional<Push> best;
  int bestDistance = 0;
  for (const auto& p : Pushes(b)) {
    if (!p || p->cleared != 0) continue;
    if (b.kinds[p->column][p->row] == b.kinds[p->column + p->dx][p->row + p->dy]) continue;
    int d = std::abs(p->column - nearColumn) + std::abs(p->row - nearRow);
    if (!best || d < bestDistance) {
      best = p;
      bestDistance = d;
    }
  }
  return best;
}

}  // namespace e2e
