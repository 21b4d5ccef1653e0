// The data folder generator: draws every picture and font, synthesises every effect
// and the tune, and writes them with a contact sheet for checking the set by eye.
#include "art.h"
#include "audio.h"
#include "contact_sheet.h"
#include "messages.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

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

// Creates the file's folder; false when it cannot be made.
bool prepare(const fs::path& file) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    return !ec;
}

bool writePicture(const Canvas& c, const fs::path& file) { return prepare(file) && c.writePng(file.string()); }

// One file to make. Jobs are independent, so they run on every core, and each
// writes its own file: the output does not depend on their order.
struct Job {
    fs::path file;
    std::function<bool(const fs::path&)> make;
};

// Runs every job on up to kWorkers threads; returns the files that failed, in job order.
std::vector<fs::path> runAll(const std::vector<Job>& jobs) {
    constexpr unsigned kWorkers = 2;  // the build machine's cores
    std::vector<char> ok(jobs.size(), 0);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i; (i = next++) < jobs.size();) ok[i] = jobs[i].make(jobs[i].file);
    };
    std::vector<std::thread> threads;
    unsigned n = std::max(1u, std::min(kWorkers, std::thread::hardware_concurrency()));
    for (unsigned t = 1; t < n; ++t) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    std::vector<fs::path> failed;
    for (size_t i = 0; i < jobs.size(); ++i)
        if (!ok[i]) failed.push_back(jobs[i].file);
    return failed;
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
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) {  // say so at once rather than after drawing everything
        std::cerr << messages::kWriteFailed << out.string() << "\n";
        return 1;
    }
    const std::vector<SheetLayout>& sheets = imageCatalogue();
    std::vector<Canvas> firstLevel(sheets.size(), Canvas(0, 0));  // kept for the contact sheet
    Canvas defaultFont(0, 0);
    const std::vector<int>& iconSizes = desktopIconSizes();
    std::vector<Canvas> icons(iconSizes.size(), Canvas(0, 0));
    std::vector<Job> jobs;
    for (size_t s = 0; s < sheets.size(); ++s) {
        for (const Level& level : levels()) {
            jobs.push_back({out / (sheets[s].name + level.suffix + ".png"), [&, s, level](const fs::path& file) {
                                Canvas c = renderSheet(sheets[s], level.scale, fonts);
                                bool ok = writePicture(c, file);
                                if (level.scale == 1) firstLevel[s] = std::move(c);
                                return ok;
                            }});
        }
    }
    jobs.push_back({out / "loom_font.png", [&](const fs::path& file) {
                        defaultFont = renderDefaultFont(fonts);
                        return writePicture(defaultFont, file);
                    }});
    // The icons in the desktop theme's own layout, so they are installed as they stand.
    for (size_t i = 0; i < iconSizes.size(); ++i) {
        const std::string side = std::to_string(iconSizes[i]);
        jobs.push_back({out / "icons/hicolor" / (side + "x" + side) / "apps/quadrant-rush.png",
                        [&, i](const fs::path& file) {
                            icons[i] = renderDesktopIcon(iconSizes[i]);
                            return writePicture(icons[i], file);
                        }});
    }
    for (const SoundFile& sound : soundFiles())
        jobs.push_back({out / sound.name, [&sound](const fs::path& file) {
                            return prepare(file) && sound.write(file.string());
                        }});
    std::vector<fs::path> failed = runAll(jobs);
    for (const fs::path& f : failed) std::cerr << messages::kWriteFailed << f.string() << "\n";
    if (!failed.empty()) return 1;

    ContactSheet sheet;
    for (size_t s = 0; s < sheets.size(); ++s)
        sheet.add(sheets[s].name, firstLevel[s], sheets[s].cellW, sheets[s].cellH, sheets[s].frames, sheets[s].columns);
    sheet.add("loom_font", defaultFont, defaultFont.width() / kDefaultFontGlyphs, defaultFont.height(),
              kDefaultFontGlyphs, kDefaultFontGlyphs);
    for (size_t i = 0; i < iconSizes.size(); ++i)
        sheet.add("icon " + std::to_string(iconSizes[i]), icons[i], iconSizes[i], iconSizes[i], 1, 1);

    fs::path sheetPath(opt.sheet);
    if (!writePicture(sheet.render(fonts), sheetPath)) {
        std::cerr << messages::kWriteFailed << sheetPath.string() << "\n";
        return 1;
    }
    std::cout << messages::kDataWritten << fs::absolute(out).string() << "\n";
    std::cout << messages::kContactSheet << fs::absolute(sheetPath).string() << "\n";
    return 0;
}
