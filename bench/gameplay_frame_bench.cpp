// One busy frame of play through the game's update and render callbacks in a real window:
// CPU time per update+render pair (without the time spent inside GL draw calls) and the
// bytes allocated through the collector per frame.
//
// The frame: a full particle pool (shards, rising and floating numbers), 100 stars, a board
// with a dozen tiles in their clearing animation, the cursor, bars, counts and score panel.
// The game is started the way the program starts it (the host starts the delegate, which
// creates the devices and runs the game's start-up and loader), so every image is loaded.
//
// Run under a display, e.g.: xvfb-run -a -s "-screen 0 1280x1024x24" ./qr_gameplay_frame_bench
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "framework/app.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "game/my_app.h"
#include "game/rules.h"
#include "host/host_game.h"
#include "host/renderer.h"
#include "tests/support/runtime_start.h"
#include "tests/support/scripted_clock.h"

namespace {

constexpr int kWarmupFrames = 200;
constexpr int kMeasuredFrames = 3000;
constexpr int kWindowW = 1280, kWindowH = 720;
constexpr double kFrameSeconds = 1.0 / 60;
constexpr int kClearingTiles = 12;
constexpr double kGoalMs = 0.25;

// The clock's first reading (any non-zero time).
constexpr double kClockStart = 1;

class BenchHost : public OxGlfwGame {
 public:
    qr_test::ScriptedClock clock{kClockStart};
    // The program's data folder sits in the build folder, one above the benchmarks.
    BenchHost() {
        SetLoopPlatform(&clock);
        _baseDir = String(QR_PROGRAM_DIR);
    }
};

double threadCpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Keeps the frame busy: every particle record in use, a dozen tiles mid-clear, time left.
void makeBusy(c_MyApp* app) {
    for (int kind : {kPartShard, kPartRising, kPartFloating}) {
        for (int i = 0; i < 90 && app->p_FreeParticle() >= 0; ++i) {
            if (kind == kPartShard) {
                app->p_ThrowParticle(320, 240, kPartShard, 1 + i % 9, kNotGiven, kNotGiven);
            } else {
                app->p_AddParticle(kind, 80.0f + i, 240, 0, 0, i, 3, 0);
            }
        }
    }
    for (int i = 0; i < kClearingTiles; ++i) {
        int r = cellRecord(i % 7, i / 7 * 3);
        app->m_grid[r + kCellClearTime] = 2 + i;
        app->m_grid[r + kCellAge] = 1;
        app->m_grid[r + kCellDropY] = 1e-4f;
        app->m_grid[r + kCellSpin] = 1.5f;
    }
    app->m_player[kPlTimer] = 1000;
    app->m_timeUp = 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!glfwInit()) {
        std::puts("no display: run under xvfb-run");
        return 1;
    }
    BenchHost* host = new BenchHost;
    qr_test::RuntimeStart start;
    start.argc = argc;
    start.argv = argv;
    start.nullAudioOutput = true;  // the delegate makes the audio device
    qr_test::StartRuntimeOnce(start);
    oxMain();
    host->SetGlfwWindow(kWindowW, kWindowH, 8, 8, 8, 0, 0, 0, false);
    host->StartGame();
    c_MyApp* app = static_cast<c_MyApp*>(ox_app__app);
    gxtkGraphics* graphics = ox_app__delegate->m_graphics;

    // Start-up and loading, then a game on Normal with its board dropped in.
    auto frame = [&] {
        host->clock.seconds += kFrameSeconds;
        host->UpdateGame();
        host->RenderGame();
    };
    for (int i = 0; i < 60 && (app->m_loadStep > 0 || app->m_mode != kModeMenu); ++i) frame();
    app->m_difficulty = 2;
    app->m_mode = kModeStart;
    for (int i = 0; i < kWarmupFrames; ++i) frame();
    if (app->m_mode != kModePlaying) {
        std::printf("the game did not start (mode %d)\n", app->m_mode);
        return 1;
    }

    // Two measurements of the same busy frame:
    //  - through the host: the delegate's whole update and render, with their window-size
    //    queries to the X server, joystick polling and the collector step after each call;
    //  - the game's two callbacks alone: p_OnUpdate (which never touches GL) in thread CPU time,
    //    and p_OnRender between the renderer's begin and end of frame in wall time less the time
    //    spent inside GL draw calls, which leaves the replay, the framework and the batching.
    graphics->stats.timeSubmits = true;
    std::vector<double> hostMs, updateMs, renderMs, pairMs;
    long long collectorBytes = 0;
    long long drawRecords = 0;
    long long flushes = 0;
    Array<int> pixel(1);
    for (int i = 0; i < kMeasuredFrames; ++i) {
        makeBusy(app);
        host->clock.seconds += kFrameSeconds;
        graphics->stats.Reset();
        const auto host0 = std::chrono::steady_clock::now();
        host->UpdateGame();
        host->RenderGame();
        const auto host1 = std::chrono::steady_clock::now();
        hostMs.push_back(std::chrono::duration<double, std::milli>(host1 - host0).count() -
                         graphics->stats.submitNanos * 1e-6);
        // The driver finishes rasterising here, outside the timed regions, as a swap would.
        graphics->ReadPixels(pixel, 0, 0, 1, 1, 0, 1);

        makeBusy(app);
        host->clock.seconds += kFrameSeconds;
        ox_app__delegate->m_input->p_BeginUpdate();
        const int newBefore = gc_new_bytes;
        const double cpu0 = threadCpuSeconds();
        app->p_OnUpdate();
        const double cpu1 = threadCpuSeconds();
        const int newAfter = gc_new_bytes;
        ox_app__delegate->m_input->p_EndUpdate();
        collectorBytes += newAfter >= newBefore ? newAfter - newBefore : newAfter;
        drawRecords += app->m_drawCount / 15;

        graphics->stats.Reset();
        const auto wall0 = std::chrono::steady_clock::now();
        graphics->BeginRender();
        ox_graphics_BeginRender();
        app->p_OnRender();
        ox_graphics_EndRender();
        graphics->EndRender();
        const auto wall1 = std::chrono::steady_clock::now();
        flushes += graphics->stats.flushes;
        const double update = (cpu1 - cpu0) * 1e3;
        const double render = std::chrono::duration<double, std::milli>(wall1 - wall0).count() -
                              graphics->stats.submitNanos * 1e-6;
        updateMs.push_back(update);
        renderMs.push_back(render);
        pairMs.push_back(update + render);
        graphics->ReadPixels(pixel, 0, 0, 1, 1, 0, 1);
        host->gc_collect();
    }
    auto report = [](const char* what, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        double sum = 0;
        for (double x : v) sum += x;
        std::printf("%-48s mean %.4f ms  median %.4f ms  p95 %.4f ms\n", what, sum / v.size(), v[v.size() / 2],
                    v[v.size() * 95 / 100]);
        return v[v.size() / 2];
    };
    std::printf("busy play frame, %d frames, window %dx%d, %lld draw records and %lld batches per frame\n",
                kMeasuredFrames, kWindowW, kWindowH, drawRecords / kMeasuredFrames, flushes / kMeasuredFrames);
    report("through the host, update + render (no GL draw)", hostMs);
    report("p_OnUpdate (thread CPU)", updateMs);
    report("p_OnRender replay (wall, no GL draw calls)", renderMs);
    const double median = report("p_OnUpdate + p_OnRender", pairMs);
    std::printf("%-48s %.1f bytes\n", "collector bytes allocated per frame",
                static_cast<double>(collectorBytes) / kMeasuredFrames);
    std::printf("goal: median under %.2f ms per pair: %s\n", kGoalMs, median < kGoalMs ? "met" : "missed");
    return 0;
}
