// The data folder generator: draws every picture and font, synthesises every effect
// and the tune, and writes them with a contact sheet for checking the set by eye.
#include "art.h"
#include "audio.h"
#include "contact_sheet.h"
#include "messages.h"

#include <filesystem>
#include <iostream>
#include <string>

namespace fs = std::filesystem;
using namespace assetgen;

namespace {

struct Options {
    std::string out, fonts, sheet;
};

bool parseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string key = argv[i];
        if (key == "--out") o.out = argv[i + 1];
        else if (key == "--fonts") o.fonts = argv[i + 1];
        else if (key == "--sheet") o.sheet = argv[i + 1];
        else return false;
    }
    return argc % 2 == 1 && !o.out.empty() && !o.fonts.empty() && !o.sheet.empty();
}

bool loadFonts(const std::string& dir, Fonts& fonts) {
    struct Want {
        Typeface* face;
        const char* file;
    } wants[] = {{&fonts.sans, "DejaVuSans.ttf"}, {&fonts.sansBold, "DejaVuSans-Bold.ttf"},
                 {&fonts.monoBold, "DejaVuSansMono-Bold.ttf"}};
    for (const Want& w : wants) {
        std::string path = (fs::path(dir) / w.file).string();
        if (!w.face->load(path)) {
            std::cerr << messages::kFontMissing << path << "\n";
            return false;
        }
    }
    return true;
}

// Creates the file's folder and reports a failure on standard error.
bool prepare(const fs::path& file) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) std::cerr << messages::kWriteFailed << file.string() << "\n";
    return !ec;
}

bool writePicture(const Canvas& c, const fs::path& file) {
    if (!prepare(file)) return false;
    if (c.writePng(file.string())) return true;
    std::cerr << messages::kWriteFailed << file.string() << "\n";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (!parseArgs(argc, argv, opt)) {
        std::cerr << messages::kUsage << "\n";
        return 2;
    }
    Fonts fonts;
    if (!loadFonts(opt.fonts, fonts)) return 1;

    fs::path out(opt.out);
    ContactSheet sheet;
    for (const SheetSpec& spec : imageCatalogue()) {
        for (const Level& level : levels()) {
            Canvas c = renderSheet(spec, level.scale, fonts);
            if (!writePicture(c, out / (spec.name + level.suffix + ".png"))) return 1;
            if (level.scale == 1) sheet.add(spec.name, c, spec.cellW, spec.cellH, spec.frames, spec.columns);
        }
    }
    Canvas defaultFont = renderDefaultFont(fonts);
    if (!writePicture(defaultFont, out / "loom_font.png")) return 1;
    sheet.add("loom_font", defaultFont, defaultFont.width() / kDefaultFontGlyphs, defaultFont.height(),
              kDefaultFontGlyphs, kDefaultFontGlyphs);
    Canvas icon = renderDesktopIcon(fonts);
    if (!writePicture(icon, out / "icon.png")) return 1;
    sheet.add("icon", icon, icon.width(), icon.height(), 1, 1);

    for (const SoundFile& sound : soundFiles()) {
        fs::path file = out / sound.name;
        if (!prepare(file) || !sound.write(file.string())) {
            std::cerr << messages::kWriteFailed << file.string() << "\n";
            return 1;
        }
    }

    fs::path sheetPath(opt.sheet);
    if (!writePicture(sheet.render(fonts), sheetPath)) return 1;
    std::cout << messages::kDataWritten << fs::absolute(out).string() << "\n";
    std::cout << messages::kContactSheet << fs::absolute(sheetPath).string() << "\n";
    return 0;
}
