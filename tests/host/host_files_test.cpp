// Files through the host: data-path rules, resolution beside the real executable, whole-file reads,
// image and sound decoding chosen by extension, and the state file: its UTF-8 bytes, failures that
// keep the old state whole, and a saving process killed at random moments.
#include <gtest/gtest.h>
#include <signal.h>
#include <stb/stb_image_write.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "host/files.h"
#include "host/host_game.h"
#include "host_progs.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_file.h"

namespace {

std::string ToStd(const String& s) { return s.ToUtf8(); }

using qr_test::Exists;
using qr_test::ReadFile;
using qr_test::WriteFile;

// Runs each test in a fresh, empty working directory.
class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    work = std::make_unique<qr_test::TempWorkDir>("qr_files");
    dir = work->Path();
  }
  void TearDown() override { work.reset(); }
  // The names in the working directory, sorted.
  std::vector<std::string> Listing() { return qr_test::Listing(dir); }
  std::unique_ptr<qr_test::TempWorkDir> work;
  std::string dir;
};

TEST(DataPaths, FixDataPath) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"tarn://data/a.png", "tarn://data/a.png"},
      {"./a.png", "./a.png"},
      {"/a.png", "/a.png"},
      {"X:/a.png", "X:/a.png"},
      {"dir:/x", "dir:/x"},
      {"a.png", "tarn://data/a.png"},
      {"a/b:/c", "tarn://data/a/b:/c"},
      {"images/a.png", "tarn://data/images/a.png"},
      {"", "tarn://data/"},
  };
  for (const Case& c : cases) EXPECT_EQ(ToStd(ox_data_FixDataPath(String(c.in))), c.out) << c.in;
}

TEST(DataPaths, SchemePathsResolveBesideTheRunningProgram) {
  const std::string base = QR_TEST_BIN_DIR;  // where this test program is
  struct Case {
    const char* in;
    std::string out;
  } cases[] = {
      {"tarn://data/images/a.png", base + "/data/images/a.png"},
      {"tarn://internal/save/x.txt", base + "/internal/save/x.txt"},
      {"tarn://external/x.txt", base + "/external/x.txt"},
      {"tarn://other/x.txt", ""},
      {"tarn:x", ""},
      {"./a.png", "./a.png"},
      {"/abs/a.png", "/abs/a.png"},
      {"relative/a.png", "relative/a.png"},
  };
  OxGlfwGame host;
  for (const Case& c : cases) EXPECT_EQ(ToStd(host.PathToFilePath(String(c.in))), c.out) << c.in;
  // The platform-neutral host leaves every path as it is.
  EXPECT_EQ(ToStd(OxGame().PathToFilePath(String("tarn://data/a.png"))), "tarn://data/a.png");
}

TEST_F(InTempDir, LoadDataReadsWholeFilesOfAnySize) {
  OxGame host;
  for (int size : {0, 1, OX_FILE_BLOCK - 1, OX_FILE_BLOCK, 2 * OX_FILE_BLOCK, 2 * OX_FILE_BLOCK + 1}) {
    std::string bytes(size, '\0');
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 256);
    WriteFile("blob", bytes);
    int length = -1;
    int before = gc_ext_new_bytes;
    unsigned char* data = host.LoadData(String("./blob"), &length);
    ASSERT_NE(data, nullptr) << size;
    EXPECT_EQ(length, size);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), length), bytes) << size;
    EXPECT_EQ(gc_ext_new_bytes - before, size);
    std::free(data);
  }
  int length = 1234;
  EXPECT_EQ(host.LoadData(String("./missing"), &length), nullptr);
  EXPECT_EQ(length, 1234);
}

TEST_F(InTempDir, MissingFilesAndUnknownSchemesGiveNeutralValues) {
  OxGlfwGame host;
  int a = 0, b = 0, c = 0, d = 0;
  EXPECT_EQ(host.LoadString(String("./missing.txt")).Length(), 0);
  EXPECT_EQ(host.LoadString(String("tarn://nowhere/x.txt")).Length(), 0);
  EXPECT_EQ(host.OpenFile(String("tarn://nowhere/x.txt"), String("rb")), nullptr);
  EXPECT_EQ(host.LoadImageData(String("./missing.png"), &a, &b, &c), nullptr);
  EXPECT_EQ(host.LoadAudioData(String("./missing.wav"), &a, &b, &c, &d), nullptr);
  EXPECT_EQ(host.LoadState().Length(), 0);
}

TEST_F(InTempDir, LoadStringDecodesTheFile) {
  WriteFile("t.txt", "caf\xC3\xA9");
  String text = OxGame().LoadString(String("./t.txt"));
  ASSERT_EQ(text.Length(), 4);
  EXPECT_EQ(text[3], 0xE9);
}

TEST_F(InTempDir, ImagesDecodeWithTheirOwnComponentCount) {
  const unsigned char rgba[] = {255, 0, 0, 255, 0, 0, 255, 128};  // 2 x 1
  const unsigned char grey[] = {10, 20, 30};                      // 3 x 1
  ASSERT_NE(stbi_write_png("rgba.png", 2, 1, 4, rgba, 8), 0);
  ASSERT_NE(stbi_write_png("grey.png", 3, 1, 1, grey, 3), 0);
  OxGlfwGame host;
  int w = 0, h = 0, depth = 0;
  int before = gc_ext_new_bytes;
  unsigned char* pixels = host.LoadImageData(String("./rgba.png"), &w, &h, &depth);
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(std::vector<int>({w, h, depth}), std::vector<int>({2, 1, 4}));
  EXPECT_EQ(std::vector<unsigned char>(pixels, pixels + 8), std::vector<unsigned char>(rgba, rgba + 8));
  EXPECT_EQ(gc_ext_new_bytes - before, 8);
  std::free(pixels);

  pixels = host.LoadImageData(String("./grey.png"), &w, &h, &depth);
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(std::vector<int>({w, h, depth}), std::vector<int>({3, 1, 1}));
  std::free(pixels);

  WriteFile("broken.png", "\x89PNG not really");
  EXPECT_EQ(host.LoadImageData(String("./broken.png"), &w, &h, &depth), nullptr);
}

// A 16-bit mono WAV of four samples.
qr_test::Bytes SmallWav() {
  return qr_test::WavFile({1, 1, 22050, 16}, qr_test::Riff().U16(1).U16(2).U16(3).U16(4).b);
}

TEST_F(InTempDir, TheExtensionChoosesTheSoundReaderWhateverItsCase) {
  struct Case {
    const char* name;
    bool loads;
  } cases[] = {
      {"a.wav", true},  {"b.WAV", true},   {"c.Wav", true},
      {"d.mp3", false}, {"e.ogg", false},  // WAV bytes under the Ogg reader do not decode
      {"f.OGG", false}, {"g", false},
  };
  OxGlfwGame host;
  for (const Case& c : cases) {
    WriteFile(c.name, SmallWav());
    int length = 0, channels = 0, format = 0, hertz = 0;
    int before = gc_ext_new_bytes;
    unsigned char* pcm =
        host.LoadAudioData(String((std::string("./") + c.name).c_str()), &length, &channels, &format, &hertz);
    EXPECT_EQ(pcm != nullptr, c.loads) << c.name;
    if (pcm) {
      EXPECT_EQ(std::vector<int>({length, channels, format, hertz}), std::vector<int>({4, 1, 2, 22050}));
      EXPECT_EQ(gc_ext_new_bytes - before, 8);
      std::free(pcm);
    }
  }
}

TEST_F(InTempDir, StateIsWrittenAsUtf8OneUnitAtATime) {
  struct Case {
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {u"", ""},
      {u"abc", "abc"},
      {u"\u00E9", "\xC3\xA9"},
      {u"\u20AC", "\xE2\x82\xAC"},
      {u"\u07FF\u0800", "\xDF\xBF\xE0\xA0\x80"},
      {u"\U0001F600", "\xED\xA0\xBD\xED\xB8\x80"},  // each surrogate on its own
  };
  OxGlfwGame host;
  for (const Case& c : cases) {
    String state(c.text.data(), static_cast<int>(c.text.size()));
    ASSERT_EQ(host.SaveState(state), OX_SAVE_OK);
    EXPECT_EQ(ReadFile(OX_STATE_FILE_NAME), c.bytes);
    if (c.text.size() < 2 || c.text[0] < 0xD800 || c.text[0] > 0xDFFF) {
      EXPECT_TRUE(host.LoadState() == state);
    }
  }
  // Nothing but the state file is left behind.
  EXPECT_EQ(Listing(), std::vector<std::string>{OX_STATE_FILE_NAME});
}

TEST_F(InTempDir, ASaveThatCannotFinishLeavesTheOldStateWhole) {
  OxGame host;
  ASSERT_EQ(host.SaveState(String("old state")), OX_SAVE_OK);

  // A disk that fills up after a few bytes: the write falls short.
  auto saveOnAFullDisk = [&host] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    limit.rlim_cur = limit.rlim_max = 4;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::exit(-host.SaveState(String("a much longer new state")));
  };
  EXPECT_EXIT(saveOnAFullDisk(), ::testing::ExitedWithCode(-OX_SAVE_SHORT_WRITE), "");
  EXPECT_EQ(ReadFile(OX_STATE_FILE_NAME), "old state");
  EXPECT_EQ(Listing(), std::vector<std::string>{OX_STATE_FILE_NAME});

  // A state path that cannot be replaced.
  ASSERT_EQ(rename(OX_STATE_FILE_NAME, "kept"), 0);
  ASSERT_EQ(mkdir(OX_STATE_FILE_NAME, 0755), 0);
  EXPECT_EQ(host.SaveState(String("new")), OX_SAVE_CANNOT_CREATE);
  EXPECT_EQ(Listing(), (std::vector<std::string>{OX_STATE_FILE_NAME, "kept"}));
}

TEST_F(InTempDir, ASaveKeepsThePermissionsOfTheFileItReplaces) {
  OxGame host;
  ASSERT_EQ(host.SaveState(String("one")), OX_SAVE_OK);
  ASSERT_EQ(chmod(OX_STATE_FILE_NAME, 0600), 0);
  ASSERT_EQ(host.SaveState(String("two")), OX_SAVE_OK);
  struct stat st;
  ASSERT_EQ(stat(OX_STATE_FILE_NAME, &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// The saver program alternates two large states as fast as it can; killed at any moment, it must
// leave one of them complete.
TEST_F(InTempDir, KillingAProcessThatSavesNeverLeavesAPartialState) {
  const std::string saver = std::string(QR_TEST_BIN_DIR) + "/host_state_saver_prog";
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> delayMicros(0, 20000);
  for (int round = 0; round < 60; ++round) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      execl(saver.c_str(), saver.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    // Let it save at least once, then kill it somewhere in the middle of its work.
    while (!Exists(OX_STATE_FILE_NAME)) std::this_thread::sleep_for(std::chrono::microseconds(200));
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped by itself";

    std::string state = ReadFile(OX_STATE_FILE_NAME);
    ASSERT_EQ(state.size(), static_cast<size_t>(OX_STATE_SAVER_SIZE)) << "round " << round;
    EXPECT_TRUE(state == std::string(OX_STATE_SAVER_SIZE, 'a') ||
                state == std::string(OX_STATE_SAVER_SIZE, 'b'))
        << "round " << round;
  }
}

namespace {
// The name a save of process `pid` writes first.
std::string TempOf(const std::string& pid) {
  return std::string(OX_STATE_FILE_NAME) + "." + pid + OX_STATE_TEMP_SUFFIX;
}
}  // namespace

// Saves killed mid-write leave ".tarnstate.<pid>.tmp" behind. The next start of the program removes
// those whose process is gone, and keeps a running process's file and every other name.
TEST_F(InTempDir, StartUpRemovesTheLeftoversOfKilledSavesOnly) {
  const std::string saver = std::string(QR_TEST_BIN_DIR) + "/host_state_saver_prog";
  auto temps = [this] {
    const std::string prefix = std::string(OX_STATE_FILE_NAME) + ".";
    std::vector<std::string> found;
    for (const std::string& name : Listing()) {
      if (name.size() > TempOf("").size() && name.compare(0, prefix.size(), prefix) == 0) found.push_back(name);
    }
    return found;
  };
  WriteFile(OX_STATE_FILE_NAME, "the last whole state");
  // Savers killed while their private file exists, as the kill test's savers sometimes are.
  for (int round = 0; round < 50 && temps().size() < 2; ++round) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      execl(saver.c_str(), saver.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    const std::string temp = TempOf(std::to_string(pid));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!Exists(temp) && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  const std::vector<std::string> killed = temps();
  ASSERT_FALSE(killed.empty()) << "no kill landed in the middle of a save";

  // A process that is saving right now, and names that only look alike.
  pid_t live = fork();
  ASSERT_GE(live, 0);
  if (live == 0) {
    pause();
    _exit(0);
  }
  const std::string liveTemp = TempOf(std::to_string(live));
  const std::vector<std::string> others = {liveTemp, TempOf("0123"), TempOf("12x"), TempOf(""),
                                           "other.99999.tmp",
                                           killed[0] + ".keep"};
  for (const std::string& name : others) WriteFile(name, "half a state");

  // The program's entry cleans up before anything else (here it then fails for want of a display).
  const std::string entry = std::string(QR_TEST_BIN_DIR) + "/host_main_prog";
  EXPECT_NE(std::system(("env -u DISPLAY -u WAYLAND_DISPLAY '" + entry + "' >/dev/null").c_str()), -1);
  kill(live, SIGKILL);
  waitpid(live, nullptr, 0);

  for (const std::string& name : killed) EXPECT_FALSE(Exists(name)) << name << " was left";
  for (const std::string& name : others) EXPECT_TRUE(Exists(name)) << name << " was removed";
  EXPECT_TRUE(Exists(OX_STATE_FILE_NAME));
}

// A copy of the program, started through a symbolic link from a third directory, finds its data
// beside the real file, and saves its state in the working directory.
TEST_F(InTempDir, AProgramStartedFromElsewhereFindsItsDataAndSavesWhereItRuns) {
  const std::string probe = std::string(QR_TEST_BIN_DIR) + "/host_data_probe_prog";
  ASSERT_EQ(mkdir("app", 0755), 0);
  ASSERT_EQ(mkdir("app/data", 0755), 0);
  ASSERT_EQ(mkdir("links", 0755), 0);
  ASSERT_EQ(mkdir("work", 0755), 0);
  ASSERT_EQ(std::system(("cp '" + probe + "' app/probe").c_str()), 0);
  WriteFile(std::string("app/data/") + OX_PROBE_DATA_FILE, "found \xE2\x82\xAC");
  ASSERT_EQ(symlink((dir + "/app/probe").c_str(), "links/probe"), 0);

  FILE* out = popen("cd work && ../links/probe", "r");
  ASSERT_NE(out, nullptr);
  char line[256] = {};
  ASSERT_NE(fgets(line, sizeof line, out), nullptr);
  EXPECT_EQ(pclose(out), 0);
  EXPECT_EQ(std::string(line), "found \xE2\x82\xAC\n");
  EXPECT_EQ(ReadFile(std::string("work/") + OX_STATE_FILE_NAME), OX_PROBE_STATE);
  EXPECT_FALSE(Exists(std::string("app/") + OX_STATE_FILE_NAME));
  EXPECT_FALSE(Exists(std::string("links/") + OX_STATE_FILE_NAME));
}

}  // namespace
