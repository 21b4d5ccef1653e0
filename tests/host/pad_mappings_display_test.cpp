// The player's gamepad mappings through GLFW's own parser (GLFW starts only with a display):
// valid lines are taken, a broken line gets one message naming its source and line and the rest
// still load, and start-up reads the file beside the state file and the environment variable.
#include "host/pad_mappings.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/host/recorded_pads.h"
#include "tests/support/temp_dir.h"

namespace {

// What a call wrote to its error stream, one entry per line.
class Messages {
 public:
  Messages() : file_(open_memstream(&text_, &size_)) {}
  ~Messages() {
    if (file_) std::fclose(file_);
    std::free(text_);
  }
  FILE* file() { return file_; }
  std::vector<std::string> Lines() {
    std::fflush(file_);
    std::vector<std::string> lines;
    std::string all(text_, size_);
    size_t pos = 0, end;
    while ((end = all.find('\n', pos)) != std::string::npos) {
      lines.push_back(all.substr(pos, end - pos));
      pos = end + 1;
    }
    EXPECT_EQ(pos, all.size()) << "every message ends its line";
    return lines;
  }

 private:
  char* text_ = nullptr;
  size_t size_ = 0;
  FILE* file_;
};

// The reason in a message of the form `frame` shows with an empty reason ("...()"), or "" when
// the message is not of that form.
std::string ReasonIn(const std::string& message, const std::string& frame) {
  const std::string prefix = frame.substr(0, frame.size() - 1);  // up to the reason's ")"
  if (message.size() <= frame.size() || message.compare(0, prefix.size(), prefix) != 0 ||
      message.back() != ')') {
    return "";
  }
  return message.substr(prefix.size(), message.size() - frame.size());
}

class PadMappings : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(glfwInit(), GLFW_TRUE) << "needs a display"; }
  static void TearDownTestSuite() { glfwTerminate(); }
};

constexpr char kValid[] =
    "03000000aa1100000b22000000000000,Test Pad,a:b0,b:b1,x:b2,y:b3,back:b6,start:b7,"
    "leftx:a0,lefty:a1,dpup:h0.1,dpright:h0.2,dpdown:h0.4,dpleft:h0.8,platform:Linux,";
constexpr char kOtherValid[] =
    "03000000aa1100000c22000000000000,Other Pad,a:b1,b:b0,start:b9,platform:Linux,";

TEST_F(PadMappings, ABrokenLineIsNamedAndTheOthersStillLoad) {
  const std::string text = std::string("# player's pads\n") + kValid + "\n" +
                            "03000000aa1100000b2200000000000,GUID one digit short,a:b0,\n" +
                            "\n" + kOtherValid + "\r\n";
  Messages err;
  EXPECT_EQ(AddPadMappings(text, "pads.txt", err.file()), 2);
  std::vector<std::string> lines = err.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(ReasonIn(lines[0], PadMappingSkipped("pads.txt", 3, "")), "") << lines[0];
}

TEST_F(PadMappings, LinesGlfwWouldPassOverWithoutAWordAreNamedToo) {
  const struct {
    const char* what;
    std::string line;
    std::string reason;
  } cases[] = {
      {"no GUID first", "Test Pad,a:b0,b:b1,platform:Linux,", kPadMappingNoGuid},
      {"too long", std::string(kValid) + std::string(kPadMappingLineMax, 'x'), PadMappingTooLong()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Messages err;
    EXPECT_EQ(AddPadMappings(std::string(kValid) + "\n" + c.line, "SDL_X", err.file()), 1);
    std::vector<std::string> lines = err.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], PadMappingSkipped("SDL_X", 2, c.reason));
  }
}

TEST_F(PadMappings, TheRecordedPadsDatabaseLinesAreAllValid) {
  Messages err;
  int lines = 0;
  for (const recorded::Pad& pad : recorded::Pads()) {
    if (!pad.gamepad) continue;
    ++lines;
    EXPECT_EQ(AddPadMappings(pad.origin, pad.name, err.file()), 1) << pad.name;
  }
  EXPECT_EQ(lines, 4);
  EXPECT_EQ(err.Lines(), std::vector<std::string>());
}

// Start-up in a working directory of its own: the file there, then the variable.
class StartUpMappings : public PadMappings {
 protected:
  std::unique_ptr<qr_test::TempWorkDir> work;
  std::filesystem::path dir;
  void SetUp() override {
    work = std::make_unique<qr_test::TempWorkDir>("qr-pads");
    dir = work->Path();
  }
  void TearDown() override {
    unsetenv(kPadMappingVariable);
    work.reset();
  }
  std::string FilePath() const { return (dir / kPadMappingFile).string(); }
};

TEST_F(StartUpMappings, TheFileAndTheVariableAreReadAndTheirBrokenLinesNamed) {
  std::ofstream(dir / kPadMappingFile) << kValid << "\nnot a mapping\n";
  setenv(kPadMappingVariable, (std::string("deadbeef\n") + kOtherValid).c_str(), 1);
  Messages err;
  LoadPadMappings(err.file());
  std::vector<std::string> lines = err.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], PadMappingSkipped(FilePath(), 2, kPadMappingNoGuid));
  EXPECT_NE(ReasonIn(lines[1], PadMappingSkipped(kPadMappingVariable, 1, "")), "") << lines[1];
}

TEST_F(StartUpMappings, NeitherSourceIsQuietAndAnUnreadableFileIsSaidOnce) {
  {
    Messages err;
    LoadPadMappings(err.file());
    EXPECT_EQ(err.Lines(), std::vector<std::string>());
  }
  std::filesystem::create_directory(dir / kPadMappingFile);
  setenv(kPadMappingVariable, kValid, 1);
  Messages err;
  LoadPadMappings(err.file());
  std::vector<std::string> lines = err.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(ReasonIn(lines[0], PadMappingFileUnreadable(FilePath(), "")), "") << lines[0];
}

}  // namespace
