// The contact sheet: lays out every picture's frames on a checkerboard with their
// frame numbers, small cells magnified so that they can be judged by eye.
#include "contact_sheet.h"

#include "shapes.h"

#include <string>

namespace assetgen {

namespace {
constexpr int kWidth = 1600;          // width of the sheet, pixels
constexpr int kMargin = 16;           // border around everything
constexpr int kGap = 6;               // space between frame slots
constexpr int kTitleH = 28;           // height of a picture's title line
constexpr int kLabelH = 13;           // height of the number under each frame
constexpr int kSectionGap = 18;       // space after each picture
constexpr int kChecker = 8;           // checkerboard square size
constexpr float kTitleEm = 17;        // title text size
constexpr float kLabelEm = 10;        // frame number text size
const Rgba kBackground = rgb(36, 38, 50);
const Rgba kCheckDark = rgb(72, 74, 88);
const Rgba kCheckLight = rgb(104, 106, 122);
const Rgba kTitleInk = rgb(255, 214, 110);
const Rgba kLabelInk = rgb(200, 204, 220);

// Magnification that makes small cells big enough to see.
int zoomFor(int cellW, int cellH) {
    int side = std::max(cellW, cellH);
    return side <= 16 ? 3 : side <= 40 ? 2 : 1;
}

struct Slot {
    int x, y;
};
}  // namespace

void ContactSheet::add(const std::string& name, const Canvas& picture, int cellW, int cellH, int frames,
                       int columns) {
    entries_.push_back({name, picture, cellW, cellH, frames, columns});
}

Canvas ContactSheet::render(const Fonts& fonts) const {
    // First pass: place every slot and measure the height.
    std::vector<std::vector<Slot>> slots(entries_.size());
    int y = kMargin;
    for (size_t e = 0; e < entries_.size(); ++e) {
        const Entry& en = entries_[e];
        int z = zoomFor(en.cellW, en.cellH);
        int slotW = std::max(en.cellW * z, 26), slotH = en.cellH * z + kLabelH;
        y += kTitleH;
        int x = kMargin;
        for (int f = 0; f < en.frames; ++f) {
            if (x + slotW > kWidth - kMargin) {
                x = kMargin;
                y += slotH + kGap;
            }
            slots[e].push_back({x, y});
            x += slotW + kGap;
        }
        y += slotH + kSectionGap;
    }
    Canvas sheet(kWidth, y + kMargin);
    Pen whole(sheet, 0, 0, float(kWidth), float(sheet.height()), 1);
    whole.fill([](Vec2) { return -1.0f; }, kBackground);
    Mask titles = whole.blankMask(), labels = whole.blankMask();

    for (size_t e = 0; e < entries_.size(); ++e) {
        const Entry& en = entries_[e];
        int z = zoomFor(en.cellW, en.cellH);
        int w = en.cellW * z, h = en.cellH * z;
        std::string title = en.name + "   " + std::to_string(en.cellW) + " x " + std::to_string(en.cellH) +
                            ", " + std::to_string(en.frames) + (en.frames == 1 ? " frame" : " frames") +
                            (z > 1 ? ", shown " + std::to_string(z) + "x" : "");
        fonts.sansBold.drawText(titles, title, float(kMargin), float(slots[e][0].y - 9), kTitleEm);
        for (int f = 0; f < en.frames; ++f) {
            Slot s = slots[e][f];
            for (int cy = 0; cy < h; ++cy)
                for (int cx = 0; cx < w; ++cx)
                    sheet.over(s.x + cx, s.y + cy, ((cx / kChecker + cy / kChecker) % 2) ? kCheckLight : kCheckDark, 1);
            int col = f % en.columns, row = f / en.columns;
            sheet.blit(en.picture, col * en.cellW, row * en.cellH, en.cellW, en.cellH, s.x, s.y, z);
            std::string n = std::to_string(f);
            fonts.sans.drawText(labels, n, s.x + (w - fonts.sans.textWidth(n, kLabelEm)) / 2, float(s.y + h + 10),
                                kLabelEm);
        }
    }
    whole.mask(titles, kTitleInk);
    whole.mask(labels, kLabelInk);
    return sheet;
}

}  // namespace assetgen
