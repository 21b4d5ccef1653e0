// The catalogue of pictures and the sheet layout: frames left to right in rows of a
// fixed number of cells, so the loader's wrapping finds every frame at every level.
#include "art.h"

namespace assetgen {

const std::vector<Level>& levels() {
    static const std::vector<Level> kLevels = {{1, ""}, {2, "-hd"}, {4, "-hd2"}};
    return kLevels;
}

const std::vector<SheetSpec>& imageCatalogue() {
    // Columns keep the largest level at most 2048 pixels wide and waste no whole row.
    static const std::vector<SheetSpec> kSheets = {
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

int rowsOf(const SheetSpec& spec) { return (spec.frames + spec.columns - 1) / spec.columns; }

Canvas renderSheet(const SheetSpec& spec, int level, const Fonts& fonts) {
    int cw = spec.cellW * level, ch = spec.cellH * level;
    Canvas canvas(spec.columns * cw, rowsOf(spec) * ch);
    for (int f = 0; f < spec.frames; ++f) {
        Pen pen(canvas, (f % spec.columns) * cw, (f / spec.columns) * ch, float(spec.cellW), float(spec.cellH),
                level);
        spec.paint(pen, f, fonts);
    }
    return canvas;
}

}  // namespace assetgen
