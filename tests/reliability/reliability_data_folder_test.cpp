// A data folder with damaged pictures and sounds (empty, cut short, garbage, a header claiming a
// picture beyond the decoded-size bound, one missing): the game loads with those slots empty, plays
// whole games on every difficulty with random input, and its heap stays sound throughout.
#include <filesystem>
#include <random>

#include "framework/graphics.h"
#include "shell_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMaxLoadFrames = 100;
constexpr int kMostFramesPerDifficulty = 20000;
constexpr int kTimerCap = 300;  // keeps games short
// Cursor keys and the push keys (no pause: a pause menu could leave the game without a game over).
const int kPlayKeys[] = {37, 38, 39, 40, 90, 88, 32};

enum class Damage { Missing, Empty, CutShort, Garbage, HugeHeader };

struct Damaged {
  const char* file;  // in the data folder
  Damage damage;
  int imageSlot;     // the image slot left empty, or -1
  int sound;         // the sound left empty, or -1
};

// The pictures are the 640 x 480 level's; the tune is played by every game.
const Damaged kDamaged[] = {
    {"gfx.png", Damage::CutShort, kImgTiles, -1},
    {"menu.png", Damage::Empty, kImgMenu, -1},
    {"parts.png", Damage::Garbage, kImgParts, -1},
    {"common/circle.png", Damage::HugeHeader, kImgCircle, -1},
    {"fonts/shadow_glyphrun.png", Damage::Garbage, kImgFont, -1},
    {"BadgesA.png", Damage::Missing, kImgBadges, -1},
    {"sfx/002.wav", Damage::CutShort, -1, 2},
    {"sfx/003.wav", Damage::Empty, -1, 3},
    {"sfx/004.wav", Damage::Garbage, -1, 4},
    {"sfx/008.wav", Damage::Missing, -1, kSfxTimeUp},
    {"sfx/096.wav", Damage::HugeHeader, -1, kSfxJingle},
    {"sfx/Didiziroze_Razudud.ogg", Damage::Garbage, -1, -1},
};
// Slots and sounds that stay whole.
const int kWholeSlots[] = {kImgLogo, kImgButtons, kImgIcons, kImgShards, kImgLight};
const int kWholeSounds[] = {kSfxPush, 5, 6, 7, kSfxBoardDone, kSfxConfirm};

std::string Garbage(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// The first bytes of the file kept, and its size fields made to claim far more than it holds.
std::string HugeHeader(const std::string& original, bool picture) {
  std::string bytes = original.substr(0, 64);
  auto put32 = [&bytes](size_t at, uint32_t v, bool bigEndian) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (bigEndian ? 24 - 8 * i : 8 * i));
  };
  if (picture) {
    put32(16, 30000, true);  // the PNG header's width and height
    put32(20, 30000, true);
  } else {
    put32(40, 0x7FFFFFF0u, false);  // the WAV data chunk's size
  }
  return bytes;
}

class DamagedDataFolder : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    if (!ox_graphics_device) ox_graphics_SetGraphicsDevice(new gxtkGraphics);
    for (int i = 0; i < app->m_sounds.Length(); ++i) gc_assign(app->m_sounds[i], nullptr);

    const fs::path data = dir / "app" / "data";
    fs::create_directories(data.parent_path());
    fs::copy(QR_DATA_DIR, data, fs::copy_options::recursive);
    unsigned seed = 1;
    for (const Damaged& d : kDamaged) {
      const fs::path file = data / d.file;
      ASSERT_TRUE(fs::exists(file)) << d.file << " is not in the generated data folder";
      std::string bytes;
      {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        bytes = s.str();
      }
      fs::remove(file);
      if (d.damage == Damage::Missing) continue;
      std::string damaged = d.damage == Damage::CutShort   ? bytes.substr(0, bytes.size() / 2)
                            : d.damage == Damage::Garbage  ? Garbage(bytes.size(), seed++)
                            : d.damage == Damage::HugeHeader ? HugeHeader(bytes, d.imageSlot >= 0)
                                                             : std::string();
      std::ofstream(file, std::ios::binary) << damaged;
    }
    host->SetBaseDir(String((dir / "app").string().c_str()));
  }

  void TearDown() override {
    host->SetBaseDir(String(QR_PROGRAM_DIR));
    ShellFixture::TearDown();
  }

  // Start-up and the staged loader, frame by frame, until the menu.
  void LoadToMenu() {
    host->deviceWidth = 640;
    host->deviceHeight = 480;
    ox_app_ValidateDeviceWindow(false);
    app->p_OnCreate();
    for (int n = 0; app->m_loadStep > 0 && n < kMaxLoadFrames; ++n) Frame();
    ASSERT_EQ(app->m_loadStep, 0) << "loading did not end";
    ASSERT_EQ(app->m_mode, kModeMenu);
  }
};

TEST_F(DamagedDataFolder, LoadsWithThoseSlotsEmpty) {
  LoadToMenu();
  for (const Damaged& d : kDamaged) {
    if (d.imageSlot >= 0) {
      EXPECT_EQ(app->m_images[d.imageSlot], nullptr) << d.file;
    }
    if (d.sound >= 0) {
      EXPECT_EQ(app->m_sounds[d.sound], nullptr) << d.file;
    }
  }
  for (int slot : kWholeSlots) EXPECT_NE(app->m_images[slot], nullptr) << "image slot " << slot;
  for (int sound : kWholeSounds) EXPECT_NE(app->m_sounds[sound], nullptr) << "sound " << sound;
  EXPECT_STREQ(gc_check_heap(), "");
}

TEST_F(DamagedDataFolder, PlaysWholeGamesOnEveryDifficulty) {
  LoadToMenu();
  std::mt19937 random(415);
  for (int difficulty = 1; difficulty <= 3; ++difficulty) {
    SCOPED_TRACE(difficulty);
    app->m_difficulty = difficulty;
    app->m_mode = kModeStart;
    int frame = 0;
    bool ended = false;
    for (; frame < kMostFramesPerDifficulty && !ended; ++frame) {
      if (random() % 4 == 0) {
        const int code = kPlayKeys[random() % (sizeof kPlayKeys / sizeof kPlayKeys[0])];
        if (ox_input_device->m_keyDown[code]) KeyUp(code); else KeyDown(code);
      }
      if (random() % 8 == 0) MouseDown(CellX(random() % 7), CellY(random() % 7));
      if (random() % 8 == 0) MouseUp();
      Frame();
      if (Player(kPlTimer) > kTimerCap) Player(kPlTimer) = kTimerCap;
      // Back on the menu after a game over: that game was played to its end.
      ended = frame > 1 && app->m_mode == kModeMenu;
      if (frame % 600 == 0) {
        ASSERT_STREQ(gc_check_heap(), "") << "frame " << frame;
      }
    }
    ReleaseAll();
    EXPECT_TRUE(ended) << "the game did not come back to the menu within " << frame << " frames";
    EXPECT_EQ(app->m_hiscores[10 * (difficulty - 1) + 30], app->m_score) << "the finished game was recorded";
    EXPECT_STREQ(gc_check_heap(), "");
  }
}

}  // namespace
