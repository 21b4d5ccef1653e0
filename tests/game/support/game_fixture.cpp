// The game fixture: starts the runtime once per test program, keeps one real audio device,
// and builds a fresh game object with a fresh input device for every test.
#include "support/game_fixture.h"

#include <cstdlib>

#include "game/draw_list.h"
#include "host/files.h"
#include "host/joystick.h"
#include "tests/support/runtime_start.h"

namespace {

constexpr double kFrameSeconds = 1.0 / 60;
constexpr double kMillisPerSecond = 1000;
constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kFontSlot = 90, kFontGlyphW = 7, kFontGlyphH = 10, kFontFrames = 128;
constexpr int kIconSize = 32, kIconFrames = 16;
constexpr int kSfxRotation = 24;
constexpr int kMaxSettleFrames = 200;
constexpr float kHoleClearTime = 128, kHoleAge = 10, kHoleDrop = 640;

void startRuntimeOnce(TestHost*& host) {
    if (host) return;
    host = new TestHost;
    // The real OpenAL with its null output, unless the caller chose an output.
    qr_test::RuntimeStart start;
    start.program = "gameplay-tests";
    start.nullAudioOutput = true;
    start.audioDevice = true;
    qr_test::StartRuntimeOnce(start);
}

int backgroundKind(int x, int y) { return (x + 2 * y) % kTileKinds + 1; }

}  // namespace

const int kFixtureSounds[] = {kSfxPush, 2, 3, 4, 5, 6, 7, kSfxTimeUp, kSfxBoardDone, kSfxJingle, kSfxConfirm, kSfxMove};
const int kFixtureSoundCount = sizeof(kFixtureSounds) / sizeof(kFixtureSounds[0]);

TestHost::TestHost() : baseDir_(QR_PROGRAM_DIR) {}

int TestHost::Millisecs() { return static_cast<int>(clock.Time() * kMillisPerSecond); }

String TestHost::PathToFilePath(String path) { return ox_data_FilePath(baseDir_, path); }

unsigned char* TestHost::LoadImageData(String path, int* width, int* height, int* depth) {
    return ox_file_LoadImageData(this, path, width, height, depth);
}

unsigned char* TestHost::LoadAudioData(String path, int* length, int* channels, int* format,
                                       int* hertz) {
    return ox_file_LoadAudioData(this, path, length, channels, format, hertz);
}

bool TestHost::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                            Array<bool> buttons) {
    return readPads && ox_joystick_Poll(port, joyx, joyy, joyz, buttons);
}

TestHost* GameFixture::host = nullptr;

void GameFixture::SetUp() {
    startRuntimeOnce(host);

    // Module globals as a fresh start leaves them.
    DebugMode = 0;
    isOuya = 0;
    iCadeControls = 0;
    overscan = 0;
    HasMusicStream = 1;
    jscrw = rawscrw;
    jscrh = rawscrh;
    host->deviceWidth = kScreenW;
    host->deviceHeight = kScreenH;

    c_InputDevice* input = (new c_InputDevice)->m_new();
    ox_input_SetInputDevice(input);
    ox_app__app = nullptr;
    app = (new c_MyApp)->m_new();
    ox_app__delegate->m_audio = ox_audio_device;
    gc_assign(ox_app__delegate->m_input, input);
    host->MarkStarted();

    // What start-up and loading give the rules: sound on, the font's metrics, the icons'
    // size, images at level 1, and a screen fitted to 640 x 480 at scale 1.
    app->m_options[5] = 1;
    app->m_fontSlot = kFontSlot;
    app->m_imgInfo[3 * kFontSlot] = kFontGlyphW;
    app->m_imgInfo[3 * kFontSlot + 1] = kFontGlyphH;
    app->m_imgInfo[3 * kFontSlot + 2] = kFontFrames;
    app->m_imgInfo[3 * kImgIcons] = kIconSize;
    app->m_imgInfo[3 * kImgIcons + 1] = kIconSize;
    app->m_imgInfo[3 * kImgIcons + 2] = kIconFrames;
    app->m_imgRes = 1;
    app->m_imgScale = 1;
    app->m_scaleX = app->m_scaleY = 1;
    app->m_devW = kScreenW;
    app->m_devH = kScreenH;
    app->m_loadStep = 0;
    app->m_difficulty = 2;
    for (int i = 0; i < kFixtureSoundCount; ++i) app->p_LoadSFX(kFixtureSounds[i]);
    lastSfxSlot = app->m_sfxSlot;
}

void GameFixture::TearDown() {
    for (int c = 0; c < gxtkAudio::kChannelCount; ++c) ox_audio_device->StopChannel(c);
}

void GameFixture::Frame() {
    lastSfxSlot = app->m_sfxSlot;
    host->clock.seconds += kFrameSeconds;
    host->UpdateGame();
    played.clear();
    for (int s = lastSfxSlot; s != app->m_sfxSlot;) {
        s = (s + 1) % kSfxRotation;
        gxtkSample* sample = ox_audio_device->channels[app->m_sfxChannels[s]].sample;
        int number = -1;
        for (int n = 0; n < app->m_sounds.Length(); ++n) {
            if (app->m_sounds[n] && app->m_sounds[n]->m_sample == sample) number = n;
        }
        played.push_back(number);
    }
}

void GameFixture::Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
}

void GameFixture::KeyDown(int code) { host->KeyEvent(c_OxGameEvent::m_KeyDown, code); }
void GameFixture::KeyUp(int code) { host->KeyEvent(c_OxGameEvent::m_KeyUp, code); }
void GameFixture::MouseDown(float x, float y) { host->MouseEvent(c_OxGameEvent::m_MouseDown, 0, x, y); }
void GameFixture::MouseMove(float x, float y) { host->MouseEvent(c_OxGameEvent::m_MouseMove, -1, x, y); }
void GameFixture::MouseUp() { host->MouseEvent(c_OxGameEvent::m_MouseUp, 0, 0, 0); }

void GameFixture::ReleaseAll() {
    c_InputDevice* input = ox_input_device;
    for (int k = 1; k < input->m_keyDown.Length(); ++k) {
        if (input->m_keyDown[k]) host->KeyEvent(c_OxGameEvent::m_KeyUp, k);
    }
}

void GameFixture::StartGame(int difficulty) {
    app->m_difficulty = difficulty;
    app->m_mode = kModeStart;
    Frame();
    SettleBoard();
}

void GameFixture::SettleBoard() {
    for (int i = 0; i < kMaxSettleFrames && (app->m_dropping || app->m_settled == 0); ++i) Frame();
    ASSERT_EQ(app->m_settled, 1) << "the board never settled";
}

void GameFixture::SetBoard(const std::vector<std::string>& rows) {
    for (int y = 0; y < app->m_gridH; ++y) {
        for (int x = 0; x < app->m_gridW; ++x) {
            const int r = cellRecord(x, y);
            for (int f = 0; f < kCellFloats; ++f) app->m_grid[r + f] = 0;
            char c = (y < static_cast<int>(rows.size()) && x < static_cast<int>(rows[y].size())) ? rows[y][x] : ' ';
            int kind = (c >= '1' && c <= '7') ? c - '0' : backgroundKind(x, y);
            app->m_grid[r + kCellKind] = static_cast<float>(kind);
            if (c == '.') {
                app->m_grid[r + kCellClearTime] = kHoleClearTime;
                app->m_grid[r + kCellAge] = kHoleAge;
                app->m_grid[r + kCellDropY] = kHoleDrop;
            }
        }
    }
}

float GameFixture::Cell(int x, int y, int field) const { return app->m_grid[cellRecord(x, y) + field]; }

int GameFixture::Holes() const {
    int n = 0;
    for (int y = 0; y < app->m_gridH; ++y)
        for (int x = 0; x < app->m_gridW; ++x)
            if (Cell(x, y, kCellClearTime) > 0) ++n;
    return n;
}

int GameFixture::ParticlesOfKind(int kind) const {
    int n = 0;
    for (int i = 0; i <= app->m_maxParticles; ++i)
        if (app->m_particles[i * kRecordFloats + kPtKind] == kind) ++n;
    return n;
}

int GameFixture::CountPlayed(int sound) const {
    int n = 0;
    for (int s : played) n += (s == sound);
    return n;
}
