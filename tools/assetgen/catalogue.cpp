// The catalogue of pictures and the sheet layout: frames left to right in rows of a
// fixed number of cells, so the loader's wrapping finds every frame at every level.
#include "art.h"

namespace assetgen {

const std::vector<Level>& levels() {
    static const std::vector<Level> kLevels = {{1, ""}, {2, "-hd"}, {4, "-hd2"}};
    return kLevels;
}

const std::vector<SheetLayout>& imageCatalogue() {
    // Columns keep the largest level at most 2048 pixels wide and waste no whole row.
    static const std::vector<SheetLayout> kSheets = {
        {"gfx", 36, 36, 49, 7, paintTiles},
        {"parts", 8, 8, 256, 16, paintStars},
        {"shards", 8, 8, 256, 16, paintShards},
        {"common/icons", 32, 32, 16, 4, paintIcons},
        {"common/Buttons", 64, 64, 16, 4, paintButtons},
        {"common/circle", 256, 256, 4, 2, paintCircles},
        {"common/light", 32, 32, 4, 4, paintLights},
        {"common/dpad", 32, 32, 16, 4, paintPad},
        {"common/KELPLogo", 256, 256, 1, 1, paintStudioEmblem},
        {"logo", 256, 128, 1, 1, paintTitle},
        {"menu", 256, 256, 4, 2, paintMenuArt},
        {"BadgesA", 64, 64, 64, 8, paintBadges},
        {"fonts/shadow_glyphrun", 16, 16, 128, 16, paintGlyphs},
    };
    return kSheets;
}

int rowsOf(const SheetLayout& sheet) { return (sheet.frames + sheet.columns - 1) / sheet.columns; }

Canvas renderSheet(const SheetLayout& sheet, int level, const Fonts& fonts) {
    int cw = sheet.cellW * level, ch = sheet.cellH * level;
    Canvas canvas(sheet.columns * cw, rowsOf(sheet) * ch);
    for (int f = 0; f < sheet.frames; ++f) {
        Pen pen(canvas, (f % sheet.columns) * cw, (f / sheet.columns) * ch, float(sheet.cellW), float(sheet.cellH),
                level);
        sheet.paint(pen, f, fonts);
    }
    return canvas;
}

}  // namespace assetgen
