// The data folder generator as a program: it writes the same bytes on every run, says
// where the contact sheet is, and fails loudly, never half-silently, on bad input.
#include "data_files.h"
#include "tools/assetgen/messages.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

namespace fs = std::filesystem;
namespace msg = assetgen::messages;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string slurp(const fs::path& p) { return qr_test::ReadFile(p); }

class Generator : public ::testing::Test {
protected:
    void SetUp() override {
        temp_ = std::make_unique<qr_test::TempDir>("qr-assetgen", fs::temp_directory_path());
        dir_ = temp_->Path();
    }
    void TearDown() override { temp_.reset(); }

    Outcome generate(const std::string& args) {
        Outcome r;
        fs::path out = dir_ / "stdout.txt", err = dir_ / "stderr.txt";
        std::string cmd = std::string("'") + QR_ASSETGEN + "' " + args + " >'" + out.string() + "' 2>'" + err.string() + "'";
        int rc = std::system(cmd.c_str());
        r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        r.out = slurp(out);
        r.err = slurp(err);
        return r;
    }

    // Every file below root, by path relative to it.
    static std::map<std::string, fs::path> filesBelow(const fs::path& root) {
        std::map<std::string, fs::path> files;
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = e.path();
        return files;
    }

    std::unique_ptr<qr_test::TempDir> temp_;
    fs::path dir_;
};

TEST_F(Generator, WritesTheSameBytesAsTheBuildDidAndNamesTheContactSheet) {
    fs::path out = dir_ / "data", sheet = dir_ / "sheet.png";
    Outcome r = generate("--out '" + out.string() + "' --fonts '" + QR_FONT_DIR + "' --sheet '" + sheet.string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(msg::kContactSheet + fs::absolute(sheet).string() + "\n"), std::string::npos) << r.out;
    datatest::Picture p;
    EXPECT_TRUE(datatest::readPicture(sheet.string(), p));

    auto fresh = filesBelow(out), built = filesBelow(QR_DATA_DIR);
    built.erase(".generated");  // the build's stamp
    ASSERT_FALSE(fresh.empty());
    for (const auto& [name, path] : fresh) {
        auto it = built.find(name);
        ASSERT_NE(it, built.end()) << name << " is missing from the build's data folder";
        EXPECT_TRUE(slurp(path) == slurp(it->second)) << name << " differs between runs";
    }
    for (const auto& [name, path] : built) EXPECT_TRUE(fresh.count(name)) << name << " was not written again";
}

TEST_F(Generator, FailsWithAMessageWhenItCannotWorkOrIsMisused) {
    fs::path blocker = dir_ / "a-file";
    std::ofstream(blocker) << "not a folder";
    struct Case {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {"--out '" + (dir_ / "d").string() + "' --fonts '" + (dir_ / "no-fonts").string() + "' --sheet '" +
             (dir_ / "s.png").string() + "'",
         1, msg::kFontMissing},
        {"--out '" + (blocker / "data").string() + "' --fonts '" + QR_FONT_DIR + "' --sheet '" +
             (dir_ / "s.png").string() + "'",
         1, msg::kWriteFailed},
        {"--out '" + (dir_ / "d").string() + "'", 2, msg::kUsage},
        {"--out a --fonts b --sheet c --colour red", 2, msg::kUsage},
    };
    for (const Case& c : cases) {
        Outcome r = generate(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_EQ(r.out.find(msg::kDataWritten), std::string::npos) << c.args;
    }
}

}  // namespace
