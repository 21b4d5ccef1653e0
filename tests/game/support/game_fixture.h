// Test fixture for the game: the runtime and framework up under the platform-neutral loop
// with a clock the test sets, real OpenAL (null output), an input device fed with events,
// and a fresh c_MyApp per test driven frame by frame through the host's guarded update.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/audio.h"
#include "framework/input.h"
#include "game/my_app.h"
#include "game/rules.h"
#include "host/audio.h"
#include "host/host_game.h"
#include "tests/support/scripted_clock.h"

// The host as the tests see it: the platform-neutral host with the host's own file, image and
// sound loading, the test clock, a device size the test sets, data read from the build's data
// folder, and no pads unless a test turns on `readPads` (the host's own polling, from the
// joystick source the test sets). No window system is involved.
class TestHost : public OxGame {
 public:
    qr_test::ScriptedClock clock;  // time only moves when the test says so
    int deviceWidth = 640;
    int deviceHeight = 480;
    bool readPads = false;

    TestHost();
    int Millisecs() override;
    int GetDeviceWidth() override { return deviceWidth; }
    int GetDeviceHeight() override { return deviceHeight; }
    String PathToFilePath(String path) override;
    unsigned char* LoadImageData(String path, int* width, int* height, int* depth) override;
    unsigned char* LoadAudioData(String path, int* length, int* channels, int* format,
                                 int* hertz) override;
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                      Array<bool> buttons) override;
    void MarkStarted() { _started = true; }
    // Data paths resolve beside this directory, as they do beside the program.
    String BaseDir() const { return baseDir_; }
    void SetBaseDir(String dir) { baseDir_ = dir; }

 private:
    String baseDir_;
};

// Sound numbers the game's rules play, loaded by the fixture.
extern const int kFixtureSounds[];
extern const int kFixtureSoundCount;

class GameFixture : public ::testing::Test {
 protected:
    static TestHost* host;
    c_MyApp* app = nullptr;
    int lastSfxSlot = 0;
    std::vector<int> played;  // sound numbers started during the last frame, in order

    void SetUp() override;
    void TearDown() override;

    // One update frame: the clock moves 1/60 s, the host runs the update and a collector step.
    void Frame();
    void Frames(int n);

    // Input through the host, as the window system would send it.
    void KeyDown(int code);
    void KeyUp(int code);
    void MouseDown(float x, float y);
    void MouseMove(float x, float y);
    void MouseUp();
    void ReleaseAll();

    // Starts a game on a difficulty through the dispatcher (mode 11) and lets the board
    // drop in until it has settled.
    void StartGame(int difficulty);
    void SettleBoard();

    // Replaces the board with rows of kinds: digits 1..7, '.' for a hole (a cleared cell
    // that no longer matches), any other character keeps the line-free background.
    void SetBoard(const std::vector<std::string>& rows);
    float Cell(int x, int y, int field) const;
    int Kind(int x, int y) const { return static_cast<int>(Cell(x, y, kCellKind)); }
    float& Player(int field) { return app->m_player[field]; }
    int Holes() const;
    int ParticlesOfKind(int kind) const;
    int CountPlayed(int sound) const;
    // Centre of a cell on a 640 x 480 screen, in device pixels at scale 1.
    static float CellX(int x) { return 140.0f + 60.0f * x; }
    static float CellY(int y) { return 74.0f + 60.0f * y; }
};
