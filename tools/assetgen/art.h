// The catalogue of every picture the game loads: file name, cell size, frame count,
// how many cells a row holds, and the painter that draws one frame.
#pragma once

#include "canvas.h"
#include "typeface.h"

#include <string>
#include <vector>

namespace assetgen {

// The DejaVu faces the pictures use.
struct Fonts {
    Typeface sans, sansBold, monoBold;
};

// Draws frame `frame` into a pen that covers exactly one cell.
using FramePainter = void (*)(Pen& pen, int frame, const Fonts& fonts);

struct SheetLayout {
    std::string name;   // file name before the level suffix and ".png"
    int cellW, cellH;   // cell size in units (pixels at level 1)
    int frames;         // frames the loader cuts from the picture
    int columns;        // cells per row; rows wrap left to right as the loader reads them
    FramePainter paint;
};

// The resolution levels and their file-name suffixes.
struct Level {
    int scale;
    const char* suffix;
};
const std::vector<Level>& levels();

const std::vector<SheetLayout>& imageCatalogue();

// Rows a sheet needs, and the whole picture for one level.
int rowsOf(const SheetLayout& sheet);
Canvas renderSheet(const SheetLayout& sheet, int level, const Fonts& fonts);

// Painters, one per picture (art_*.cpp).
void paintTiles(Pen& pen, int frame, const Fonts& fonts);
void paintStars(Pen& pen, int frame, const Fonts& fonts);
void paintShards(Pen& pen, int frame, const Fonts& fonts);
void paintIcons(Pen& pen, int frame, const Fonts& fonts);
void paintButtons(Pen& pen, int frame, const Fonts& fonts);
void paintCircles(Pen& pen, int frame, const Fonts& fonts);
void paintLights(Pen& pen, int frame, const Fonts& fonts);
void paintPad(Pen& pen, int frame, const Fonts& fonts);
void paintStudioEmblem(Pen& pen, int frame, const Fonts& fonts);
void paintTitle(Pen& pen, int frame, const Fonts& fonts);
void paintMenuArt(Pen& pen, int frame, const Fonts& fonts);
void paintBadges(Pen& pen, int frame, const Fonts& fonts);
void paintGlyphs(Pen& pen, int frame, const Fonts& fonts);

// Glyphs in the default font strip: characters 32 to 127.
constexpr int kDefaultFontGlyphs = 96;
// One tile face of the given kind (0..6), filling a 36-unit pen; reused by the
// pictures that show tiles.
void paintTileFace(Pen& pen, int kind);
constexpr float kTileCell = 36.0f;  // units of the board picture's cells

// The default font: one strip of 96 glyphs, each cell with a clear column left and right.
Canvas renderDefaultFont(const Fonts& fonts);
// The colour of tile kind 0..6, and the distance to its symbol around the centre c of a
// 36-unit cell.
Rgba tileColour(int kind);
float tileSymbolDistance(int kind, Vec2 c, Vec2 p);

// The desktop entry's icon, drawn at each of its sizes (pixels, square) on its own.
const std::vector<int>& desktopIconSizes();
Canvas renderDesktopIcon(int size);

}  // namespace assetgen
