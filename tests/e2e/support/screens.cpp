// Screen recognisers. Places are the game's design numbers (virtual units through View);
// colours are the game's draw colours, with margins for blending over the drifting background.
#include "support/screens.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace e2e {

namespace {

// Loading screen: the start-up logo fills the middle with its blue.
constexpr double kLogoY = 0.48;          // of the height
constexpr double kLogoProbe = 120;       // virtual units square
constexpr double kLogoBlueShare = 0.5;
constexpr int kBoardCells = kBoardSize * kBoardSize;
constexpr int kFewTiles = 10;            // fewer than this: no board on screen

// Menu: the panel strip just inside the panel's left edge, and background beside it.
constexpr double kPanelInset = 5, kPanelStrip = 12;
constexpr double kBackgroundGap = 30, kBackgroundStrip = 25;
constexpr double kLightBackground = 150;  // the menu's background is lighter than this
constexpr double kPanelShade = 0.75;      // the panel is darker than this share of it

// Wheel and description.
constexpr double kHotProbe = 20;          // square on the selected item's face,
constexpr double kHotRise = 32;           // this far above its name
// Red over green of the items' faces: Easy's is green (about -60), Normal's brown (about 30),
// Hard's red (about 70).
constexpr double kEasyBelow = -30, kNormalAbove = 0, kNormalBelow = 45, kHardAbove = 55;
constexpr double kDescX = 240, kDescRise = 56, kDescW = 260, kDescH = 36;
constexpr double kOutlineLuma = 90;       // text outlines are darker than this

// Score lists: first entry line of each list, in 1.5-size text of 7-unit glyphs.
constexpr double kListInset = 20, kTopListY = 60, kLastListDrop = 20;
constexpr double kListLine = 15;
constexpr double kLineInset = 2;          // clear of the title's descenders above
constexpr int kTitleChars = 7;
constexpr double kGlyphAdvance = 10.5;
constexpr double kGlyphSlack = 2.5;       // a glyph's ink is narrower than its advance

// Board cursor: pale yellow corner marks just outside the cell's tile.
constexpr double kCursorNear = 29, kCursorFar = 35;  // virtual units from the cell centre
constexpr double kCursorMinShare = 0.08;

// Overlays: median luma at the right edge (right of the timer bar).
constexpr double kEdgeInset = 12, kEdgeStrip = 10;
constexpr double kDarkEdge = 140, kBrightEdge = 165;

// Pause menu buttons (landscape, fully open) and their highlight ring.
constexpr double kPauseColumnX = 64;
constexpr double kPauseQuitY = 96, kPauseResumeY = 196, kPauseOptionsY = 296;
constexpr double kHighlightProbe = 84;
constexpr double kHighlightShare = 0.05;

// Game over: bands at 45 % and 55 % of the height, words resting there.
constexpr double kBandY = 0.45, kWordLeftX = 0.35, kWordRightX = 0.65, kWordLowY = 0.55;
constexpr double kBandProbeX = 8, kBandProbeW = 40, kBandProbeH = 8;
constexpr double kBandShare = 0.6;
constexpr double kWordProbeW = 160, kWordProbeH = 80;
constexpr double kWordRestSlack = 8;      // virtual units from the resting height
constexpr double kMinWordWidth = 40;
// A small letter's top lies lower than the capital before it by this share of the word's
// height (descenders and dots included); capitals stand level.
constexpr double kSmallLetterDrop = 0.1;

bool LogoBlue(const Rgb& c) { return c.b > c.r + 60 && c.b > c.g + 10; }
// The cursor's corner marks shade from white at the top to pale yellow at the bottom.
bool CursorMark(const Rgb& c) {
  return (c.r > 225 && c.g > 195 && c.b > 90 && c.b < 200) ||
         (c.r > 238 && c.g > 238 && c.b > 238);
}
bool Yellowish(const Rgb& c) { return c.r > 100 && c.g > 100 && c.b < 0.6 * std::min(c.r, c.g); }
bool Highlight(const Rgb& c) { return c.r > 200 && c.g > 200 && c.b < 160; }
bool OverlayPink(const Rgb& c) {
  return c.r > 200 && c.g > 140 && c.g < 220 && c.b > 140 && c.b < 220 && c.r - c.g > 25;
}
bool TopListInk(const Rgb& c) { return c.r > 170 && c.g > 120 && c.b < 150 && c.r > c.g + 15; }
bool LastListInk(const Rgb& c) { return c.g > 170 && c.r > 120 && c.b < 150 && c.g > c.r + 15; }

int ListDigits(const Shot& s, const View& v, double y, bool (*ink)(const Rgb&)) {
  // Right of the lists' titles ("Last 10" is the longer), so scores of up to four digits.
  const double x = v.PanelLeft() + kListInset + kTitleChars * kGlyphAdvance;
  Rect line = v.Box(x, y + kListLine + kLineInset, v.Width() - x, kListLine - kLineInset);
  Rect b = s.Bounds(line, ink);
  if (b.w == 0) return 0;
  double width = b.w / v.Scale();
  return std::max(1, static_cast<int>(std::lround((width + kGlyphSlack) / kGlyphAdvance)));
}

}  // namespace

bool LooksLoading(const Shot& s, const View& v, const TileReader& tiles) {
  Rect centre = v.Centred(v.Width() / 2, v.Height() * kLogoY, kLogoProbe, kLogoProbe);
  return s.Fraction(centre, LogoBlue) >= kLogoBlueShare && !LooksLikeMenu(s, v) &&
         tiles.Read(s, v).Tiles() < kFewTiles;
}

double PanelLuma(const Shot& s, const View& v) {
  return s.Mean(v.Box(v.PanelLeft() + kPanelInset, v.Height() * 0.05, kPanelStrip,
                      v.Height() * 0.9))
      .Luma();
}

double MenuBackgroundLuma(const Shot& s, const View& v) {
  return s.Mean(v.Box(v.PanelLeft() - kBackgroundGap, v.Height() * 0.42, kBackgroundStrip,
                      v.Height() * 0.4))
      .Luma();
}

bool LooksLikeMenu(const Shot& s, const View& v) {
  const double bg = MenuBackgroundLuma(s, v);
  return bg > kLightBackground && PanelLuma(s, v) < kPanelShade * bg;
}

double HotSpotRedness(const Shot& s, const View& v) {
  Point p = v.DifficultyHotSpot();
  const int half = static_cast<int>(kHotProbe * v.Scale() / 2);
  const int rise = static_cast<int>(kHotRise * v.Scale());
  Rgb c = s.Mean({p.x - half, p.y - rise - half, 2 * half, 2 * half});
  return c.r - c.g;
}

std::optional<int> SelectedDifficulty(const Shot& s, const View& v) {
  const double red = HotSpotRedness(s, v);
  if (red < kEasyBelow) return 1;
  if (red > kNormalAbove && red < kNormalBelow) return 2;
  if (red > kHardAbove) return 3;
  return std::nullopt;  // between two items: the wheel is turning
}

double DescriptionDifference(const Shot& a, const Shot& b, const View& v) {
  Rect r = v.Box(kDescX, v.Height() - kDescRise, kDescW, kDescH);
  auto dark = [](const Rgb& c) { return c.Luma() < kOutlineLuma; };
  int differ = 0, total = 0;
  for (int y = r.y; y < r.y + r.h; ++y) {
    for (int x = r.x; x < r.x + r.w; ++x) {
      ++total;
      if (dark(a.At(x, y)) != dark(b.At(x, y))) ++differ;
    }
  }
  return total ? double(differ) / total : 0;
}

int TopListFirstDigits(const Shot& s, const View& v) {
  return ListDigits(s, v, kTopListY, TopListInk);
}

int LastListFirstDigits(const Shot& s, const View& v) {
  return ListDigits(s, v, v.Height() * 0.5 + kLastListDrop, LastListInk);
}

bool LooksLikeBoard(const Shot& s, const View& v, const TileReader& tiles) {
  return tiles.Read(s, v).Tiles() == kBoardCells;
}

std::optional<Point> CursorCell(const Shot& s, const View& v) {
  // The marks stand in the gaps a cell shares with its neighbours, so a cell counts by its
  // weakest corner: only the cursor's cell has marks at all four.
  std::optional<Point> best;
  double bestShare = kCursorMinShare;
  const double k = v.Scale();
  const int near = static_cast<int>(kCursorNear * k), far = static_cast<int>(kCursorFar * k);
  const int side = far - near + 1;
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const Point c = v.CellCentre(x, y);
      double weakest = 1;
      for (int sx : {-1, 1}) {
        for (int sy : {-1, 1}) {
          const int x0 = sx < 0 ? c.x - far : c.x + near, y0 = sy < 0 ? c.y - far : c.y + near;
          weakest = std::min(weakest, s.Fraction({x0, y0, side, side}, CursorMark));
        }
      }
      if (weakest > bestShare) {
        bestShare = weakest;
        best = Point{x, y};
      }
    }
  }
  return best;
}

double EdgeLuma(const Shot& s, const View& v) {
  return s.MedianLuma(
      v.Box(v.Width() - kEdgeInset, v.Height() * 0.2, kEdgeStrip, v.Height() * 0.5));
}

bool LooksDarkened(const Shot& s, const View& v) { return EdgeLuma(s, v) < kDarkEdge; }
bool LooksBright(const Shot& s, const View& v) { return EdgeLuma(s, v) > kBrightEdge; }

std::optional<int> PauseSelection(const Shot& s, const View& v) {
  const double ys[3] = {kPauseQuitY, kPauseResumeY, kPauseOptionsY};
  std::optional<int> best;
  double bestShare = kHighlightShare;
  for (int i = 0; i < 3; ++i) {
    Rect ring = v.Centred(kPauseColumnX, ys[i], kHighlightProbe, kHighlightProbe);
    const double share = s.Fraction(ring, Highlight);
    if (share > bestShare) {
      bestShare = share;
      best = i - 1;
    }
  }
  return best;
}

bool ShowsGameOverBands(const Shot& s, const View& v) {
  Rect band = v.Box(kBandProbeX, v.Height() * kBandY - kBandProbeH / 2, kBandProbeW, kBandProbeH);
  return s.Fraction(band, Yellowish) >= kBandShare;
}

bool OverlayGone(const Shot& s, const View& v) {
  Rect band = v.Box(0, v.Height() * kBandY - kBandProbeH / 2, kBandProbeW, kBandProbeH);
  if (s.Fraction(band, Yellowish) > 0) return false;
  const double places[2][2] = {{kWordLeftX, kBandY}, {kWordRightX, kWordLowY}};
  for (const auto& place : places) {
    Rect word = v.Centred(v.Width() * place[0], v.Height() * place[1], kWordProbeW, kWordProbeH);
    if (s.Bounds(word, OverlayPink).w > 0) return false;
  }
  return true;
}

std::optional<bool> OverlayWordsTitleCase(const Shot& s, const View& v) {
  const double places[2][2] = {{kWordLeftX, kBandY}, {kWordRightX, kWordLowY}};
  bool titleCase = true;
  for (const auto& place : places) {
    const double cx = v.Width() * place[0], cy = v.Height() * place[1];
    Rect word = s.Bounds(v.Centred(cx, cy, kWordProbeW, kWordProbeH), OverlayPink);
    if (word.w < kMinWordWidth * v.Scale()) return std::nullopt;
    const double middle = (word.y + word.h / 2.0) / v.Scale();
    if (std::fabs(middle - cy) > kWordRestSlack) return std::nullopt;  // still sliding in
    // Letters are the runs of columns with ink; compare the tops of the first two.
    std::vector<Rect> letters;
    bool inLetter = false;
    for (int x = word.x; x < word.x + word.w; ++x) {
      const bool ink = s.Bounds({x, word.y, 1, word.h}, OverlayPink).w > 0;
      if (ink && !inLetter) letters.push_back({x, word.y, 0, word.h});
      if (ink) letters.back().w = x - letters.back().x + 1;
      inLetter = ink;
    }
    if (letters.size() < 2) return std::nullopt;
    const int first = s.Bounds(letters[0], OverlayPink).y;
    const int second = s.Bounds(letters[1], OverlayPink).y;
    const bool smallSecond = second - first > kSmallLetterDrop * word.h;
    titleCase = titleCase && smallSecond;
  }
  return titleCase;
}

}  // namespace e2e

namespace e2e {

namespace {

// Menu focus: the description's outline pixels cover more than this share of its place; the
// panel is darker than this share of the background beside it only while it has the focus
// (its black is drawn at 0.75 alpha then, at 0.45 otherwise).
constexpr double kDescriptionShare = 0.01;
constexpr double kFocusedPanelShade = 0.4;

// Credits page: near the left edge, right of the panel's edge bar, the widened panel leaves
// no light background; its lines and circles move in a column right of the middle.
constexpr double kCreditEdgeX = 3, kCreditEdgeW = 5;
constexpr double kCreditEdgeTop = 0.1, kCreditEdgeH = 0.4;  // of the height, above the wheel
constexpr double kCreditDarkLuma = 100;
constexpr double kCreditDarkShare = 0.9;
constexpr double kCreditColumnLeft = 330, kCreditColumnRight = 10;  // from the right edge
constexpr double kCreditColumnRise = 64, kCreditColumnDrop = 104;   // about the middle
constexpr double kCreditTextLuma = 170;  // the white lines over the dark page

// Options box lines, fully in: text at x 100 from y 130, 40 apart, each on a highlight bar
// from x 84 to 84 short of the right edge; the bar's colour is read near its right end,
// clear of the longest text.
constexpr double kOptLineTop = 130, kOptLineGap = 40;
constexpr double kOptBarX = 84, kOptBarRise = 2, kOptBarH = 24;
constexpr double kOptProbeRight = 88, kOptProbeW = 40, kOptProbeInset = 4;
constexpr double kOptBarShare = 0.8;

// "New Highscore": two lines of 2-size text centred on a point rising with the words to
// 1/1.5 of their band height above the bottom; the title line above that point, the place
// below it.
constexpr double kNoteRestBand = 0.45, kNoteRise = 1.5;
constexpr double kNoteProbeW = 0.6, kNoteProbeH = 56;
constexpr double kNoteRestSlack = 8;
constexpr double kNoteDescender = 4;  // the title's descenders reach this far below the point
constexpr double kNarrowGlyph = 0.6;  // "!" is about half as wide as the glyphs before it

// Timer bars: 32 wide at x 16 and 48 short of the right edge, their foot 32 above the bottom,
// a full bar 64 short of the height.
constexpr double kTimerBarCentre = 32, kTimerBarFromRight = 32, kTimerBarFoot = 32;
constexpr double kTimerBarSpare = 64;
constexpr double kTimerBarLuma = 40;

bool OptBarSelected(const Rgb& c) { return c.b > c.r + 30 && c.g > c.r + 30; }
bool OptBarPlain(const Rgb& c) { return c.b > c.g + 20 && c.g < 100 && c.r < 130; }
bool WhiteText(const Rgb& c) { return c.r > 200 && c.g > 200 && c.b > 200; }
// The note's glyphs are the font's greys tinted by (100, 255, 100): red and blue equal, green
// 2.55 times as much. The green tiles are of other mixtures.
bool NoteGreen(const Rgb& c) {
  return c.g >= 170 && std::fabs(c.r - c.b) <= 8 && std::fabs(c.g - 2.55 * c.r) <= 20;
}

// The runs of columns of `r` holding a matching pixel, left to right.
std::vector<Rect> InkRuns(const Shot& s, Rect r, bool (*ink)(const Rgb&)) {
  std::vector<Rect> runs;
  bool inRun = false;
  for (int x = r.x; x < r.x + r.w; ++x) {
    const bool hit = s.Bounds({x, r.y, 1, r.h}, ink).w > 0;
    if (hit && !inRun) runs.push_back({x, r.y, 0, r.h});
    if (hit) runs.back().w = x - runs.back().x + 1;
    inRun = hit;
  }
  return runs;
}

double OptLineY(int line) { return kOptLineTop + kOptLineGap * (line - 1); }

}  // namespace

bool ShowsDescription(const Shot& s, const View& v) {
  Rect r = v.Box(kDescX, v.Height() - kDescRise, kDescW, kDescH);
  return s.Fraction(r, [](const Rgb& c) { return c.Luma() < kOutlineLuma; }) > kDescriptionShare;
}

bool PanelFocused(const Shot& s, const View& v) {
  return PanelLuma(s, v) < kFocusedPanelShade * MenuBackgroundLuma(s, v);
}

bool ShowsCreditsPage(const Shot& s, const View& v) {
  Rect edge = v.Box(kCreditEdgeX, v.Height() * kCreditEdgeTop, kCreditEdgeW,
                    v.Height() * kCreditEdgeH);
  auto dark = [](const Rgb& c) { return c.Luma() < kCreditDarkLuma; };
  return s.Fraction(edge, dark) >= kCreditDarkShare && MenuBackgroundLuma(s, v) < kCreditDarkLuma;
}

double CreditsDifference(const Shot& a, const Shot& b, const View& v) {
  Rect r = v.Box(v.Width() - kCreditColumnLeft, v.Height() / 2 - kCreditColumnRise,
                 kCreditColumnLeft - kCreditColumnRight, kCreditColumnRise + kCreditColumnDrop);
  auto bright = [](const Rgb& c) { return c.Luma() > kCreditTextLuma; };
  int differ = 0, total = 0;
  for (int y = r.y; y < r.y + r.h; ++y) {
    for (int x = r.x; x < r.x + r.w; ++x) {
      ++total;
      if (bright(a.At(x, y)) != bright(b.At(x, y))) ++differ;
    }
  }
  return total ? double(differ) / total : 0;
}

bool ShowsOptionsBox(const Shot& s, const View& v) {
  constexpr double kBoxInset = 60, kProbeY = 0.9, kProbeH = 8, kBrownShare = 0.8;
  auto brown = [](const Rgb& c) { return c.r > c.g + 30 && c.g > c.b + 30; };
  return s.Fraction(v.Box(kBoxInset, v.Height() * kProbeY, v.Width() - 2 * kBoxInset, kProbeH),
                    brown) > kBrownShare;
}

std::optional<int> OptionsSelection(const Shot& s, const View& v) {
  int selected = 0, plain = 0, line = 0;
  for (int n = 1; n <= kOptionLines; ++n) {
    Rect probe = v.Box(v.Width() - kOptProbeRight - kOptProbeW,
                       OptLineY(n) - kOptBarRise + kOptProbeInset, kOptProbeW,
                       kOptBarH - 2 * kOptProbeInset);
    if (s.Fraction(probe, OptBarSelected) >= kOptBarShare) {
      ++selected;
      line = n;
    } else if (s.Fraction(probe, OptBarPlain) >= kOptBarShare) {
      ++plain;
    }
  }
  if (selected + plain != kOptionLines || selected > 1) return std::nullopt;
  return line;
}

double OptionLineWidth(const Shot& s, const View& v, int line) {
  Rect bar = v.Box(kOptBarX, OptLineY(line) - kOptBarRise, v.Width() - 2 * kOptBarX, kOptBarH);
  return s.Bounds(bar, WhiteText).w / v.Scale();
}

double TimerBarShare(const Shot& s, const View& v) {
  const int foot = v.At(0, v.Height() - kTimerBarFoot).y - 1;
  const double full = (v.Height() - kTimerBarSpare) * v.Scale();
  int tallest = 0;
  for (double x : {kTimerBarCentre, v.Width() - kTimerBarFromRight}) {
    const int px = v.At(x, 0).x;
    int height = 0;
    while (foot - height >= 0 && s.At(px, foot - height).Luma() < kTimerBarLuma) ++height;
    tallest = std::max(tallest, height);
  }
  return full > 0 ? std::min(1.0, tallest / full) : 0;
}

std::optional<HighscoreNote> ShownHighscoreNote(const Shot& s, const View& v) {
  const double middle = v.Height() - std::trunc(kNoteRestBand * v.Height()) / kNoteRise;
  Rect probe = v.Centred(v.Width() / 2, middle, v.Width() * kNoteProbeW, kNoteProbeH);
  Rect ink = s.Bounds(probe, NoteGreen);
  if (ink.w == 0) return std::nullopt;
  if (std::fabs((ink.y + ink.h / 2.0) / v.Scale() - middle) > kNoteRestSlack) return std::nullopt;
  const int split = v.At(0, middle).y, below = v.At(0, middle + kNoteDescender).y;
  std::vector<Rect> title = InkRuns(s, {probe.x, probe.y, probe.w, split - probe.y}, NoteGreen);
  std::vector<Rect> place =
      InkRuns(s, {probe.x, below, probe.w, probe.y + probe.h - below}, NoteGreen);
  if (title.empty() || place.empty()) return std::nullopt;
  HighscoreNote note;
  note.titleLetters = static_cast<int>(title.size());
  note.placeGlyphs = static_cast<int>(place.size());
  int widest = 0;
  for (size_t i = 0; i + 1 < place.size(); ++i) widest = std::max(widest, place[i].w);
  note.placeEndsNarrow = place.size() > 1 && place.back().w < kNarrowGlyph * widest;
  return note;
}

}  // namespace e2e
