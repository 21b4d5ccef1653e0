// The render callback in a real window with the real renderer: fitting the virtual screen to
// landscape, square-ish and portrait windows, and replaying the draw list into pixels.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "framework/app.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "game/my_app.h"
#include "host/audio.h"
#include "host/host_game.h"
#include "host/renderer.h"
#include "support/game_fixture.h"
#include "tests/support/runtime_start.h"

namespace {

// The desktop host with its real window; only the clock is the test's.
class WindowHost : public OxGlfwGame {
 public:
    qr_test::ScriptedClock clock;
    WindowHost() {
        SetLoopPlatform(&clock);
        _baseDir = String(QR_PROGRAM_DIR);
    }
    void MarkStarted() { _started = true; }
};

class RenderDisplayTest : public ::testing::Test {
 protected:
    static WindowHost* host;
    c_MyApp* app = nullptr;
    gxtkGraphics* graphics = nullptr;

    // Once per program, however many suites share the fixture.
    static void SetUpTestSuite() {
        if (host) return;
        if (!glfwInit()) std::abort();
        host = new WindowHost;
        qr_test::RuntimeStart start;
        start.program = "gameplay-render-tests";
        start.nullAudioOutput = true;
        start.audioDevice = true;
        qr_test::StartRuntimeOnce(start);
    }

    void OpenWindow(int w, int h) {
        host->SetGlfwWindow(w, h, 8, 8, 8, 0, 0, 0, false);
        ASSERT_NE(host->Window(), nullptr);
        ASSERT_EQ(host->GetDeviceWidth(), w) << "the window system gave another size";
        ASSERT_EQ(host->GetDeviceHeight(), h);
    }

    void SetUp() override {
        overscan = 0;
        jscrw = rawscrw;
        jscrh = rawscrh;
        OpenWindow(640, 480);
        graphics = new gxtkGraphics;
        ox_graphics_SetGraphicsDevice(graphics);
        c_InputDevice* input = (new c_InputDevice)->m_new();
        ox_input_SetInputDevice(input);
        ox_app__app = nullptr;
        app = (new c_MyApp)->m_new();
        gc_assign(ox_app__delegate->m_graphics, graphics);
        ox_app__delegate->m_audio = ox_audio_device;
        gc_assign(ox_app__delegate->m_input, input);
        host->MarkStarted();
        app->m_imgScale = 1;
    }

    uint32_t Pixel(int x, int y) {
        Array<int> px(1);
        graphics->ReadPixels(px, x, y, 1, 1, 0, 1);
        return static_cast<uint32_t>(px[0]) & 0xffffffu;
    }
};

WindowHost* RenderDisplayTest::host = nullptr;

struct FitCase {
    const char* name;
    int width, height;
    float overscan;
    float jw, jh, scale;
    int fitMode, landscape;
};

class FitTest : public RenderDisplayTest, public ::testing::WithParamInterface<FitCase> {};

TEST_P(FitTest, FitsTheDesignSizeToTheWindow) {
    const FitCase& c = GetParam();
    overscan = c.overscan;
    OpenWindow(c.width, c.height);
    host->RenderGame();
    EXPECT_NEAR(jscrw, c.jw, 1e-3);
    EXPECT_NEAR(jscrh, c.jh, 1e-3);
    EXPECT_NEAR(app->m_scaleX, c.scale, 1e-5);
    EXPECT_EQ(app->m_scaleY, app->m_scaleX);
    EXPECT_EQ(app->m_fitMode, c.fitMode);
    EXPECT_EQ(app->m_landscape, c.landscape);
    EXPECT_EQ(app->m_devW, c.width);
    EXPECT_EQ(app->m_devH, c.height);
    EXPECT_EQ(app->m_loadStep, 1) << "a new device size reloads the images";
    app->m_loadStep = 0;
    host->RenderGame();
    EXPECT_EQ(app->m_loadStep, 0) << "the same size again changes nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Windows, FitTest,
    ::testing::Values(FitCase{"Wide", 1280, 720, 0, 640, 360, 2, 1, 1},
                      FitCase{"FourByThree", 1024, 768, 0, 640, 480, 1.6f, 1, 1},
                      FitCase{"Design", 640, 480, 0, 640, 480, 1, 1, 1},
                      FitCase{"Tall", 480, 640, 0, 540, 720, 640.0f / 720, 2, 0},
                      FitCase{"TallAndNarrow", 360, 800, 0, 324, 720, 800 / 720.0f, 2, 0},
                      FitCase{"Overscan", 800, 600, 16, 640, 480, (800 - 32) / 640.0f, 1, 1}),
    [](const ::testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

TEST_F(RenderDisplayTest, ReplaysTheDrawListScaledToTheWindow) {
    OpenWindow(1280, 720);
    host->RenderGame();  // fit to the new size first
    app->p_CLS2D(0, 0, 255, 1);
    app->p_SetCol(255, 0, 0);
    app->p_Rect(10, 10, 20, 20);
    app->p_SetCol(0, 255, 0);
    app->p_Oval(100, 100, 10, 10);
    host->RenderGame();
    EXPECT_EQ(Pixel(40, 40), 0xff0000u) << "the rectangle at twice its virtual size";
    EXPECT_EQ(Pixel(15, 15), 0x0000ffu) << "outside it, the clear colour";
    EXPECT_EQ(Pixel(200, 200), 0x00ff00u) << "the oval centred at (100, 100) virtual";
    EXPECT_EQ(Pixel(200, 225), 0x0000ffu) << "beyond its radius of 10 virtual";
}

TEST_F(RenderDisplayTest, ImagesDrawOnlyFramesTheyHave) {
    gc_assign(app->m_images[1], ox_graphics_LoadImage2(String("gfx.png"), 36, 36, 49, 1));
    ASSERT_NE(app->m_images[1], nullptr) << "the data folder has the tile pictures";
    host->RenderGame();
    app->p_CLS2D(0, 0, 0, 1);
    app->p_DrawImg(1, 100, 100, 5000);  // no such frame: skipped
    app->p_DrawImg(1, 100, 100, -1);
    app->p_DrawImg(77, 100, 100, 0);    // no image in that slot: skipped
    host->RenderGame();
    EXPECT_EQ(Pixel(100, 100), 0x000000u);
    app->p_CLS2D(0, 0, 0, 1);
    app->p_DrawImg(1, 100, 100, 0);
    host->RenderGame();
    EXPECT_NE(Pixel(100, 100), 0x000000u) << "the first tile face covers its centre";
}

}  // namespace
