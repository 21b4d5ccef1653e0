// Frame cost of the batching renderer against SDL2's OpenGL renderer: N alpha-blended
// 32 x 32 quads of one texture per frame in a 640 x 480 window, both measured in the same run.
#include <GLFW/glfw3.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/host_game.h"
#include "host/renderer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;
constexpr int kSpriteSize = 32;
// Quads per frame measured.
constexpr int kQuadCounts[] = {1000, 5000, 20000};
// Frames drawn before measuring (texture upload, driver warm-up) and frames measured.
constexpr int kWarmupFrames = 10;
constexpr int kMeasuredFrames = 60;
// Seed of the sprite positions, the same for both renderers.
constexpr unsigned kPositionSeed = 12345;
// Goals: our whole frame at least this much faster than SDL2's, and the renderer's own time
// per quad under this many nanoseconds.
constexpr double kFrameSpeedGoal = 1.2;
constexpr double kRendererNsPerQuadGoal = 40.0;

struct Sprite {
  float x, y;
};

std::vector<Sprite> Positions(int n) {
  std::vector<Sprite> out(n);
  unsigned state = kPositionSeed;
  for (Sprite& s : out) {
    state = state * 1103515245u + 12345u;
    s.x = static_cast<float>((state >> 8) % (kWindowWidth - kSpriteSize));
    state = state * 1103515245u + 12345u;
    s.y = static_cast<float>((state >> 8) % (kWindowHeight - kSpriteSize));
  }
  return out;
}

// RGBA pixels of the sprite: a colour gradient whose alpha falls off towards the corners.
std::vector<unsigned char> SpritePixels() {
  std::vector<unsigned char> px(kSpriteSize * kSpriteSize * 4);
  for (int y = 0; y < kSpriteSize; ++y) {
    for (int x = 0; x < kSpriteSize; ++x) {
      unsigned char* p = &px[(y * kSpriteSize + x) * 4];
      int dx = x * 2 - kSpriteSize, dy = y * 2 - kSpriteSize;
      int d = (dx * dx + dy * dy) * 255 / (2 * kSpriteSize * kSpriteSize);
      p[0] = static_cast<unsigned char>(x * 8);
      p[1] = static_cast<unsigned char>(y * 8);
      p[2] = 200;
      p[3] = static_cast<unsigned char>(255 - d);
    }
  }
  return px;
}

struct Figures {
  double frameMs = 0;            // whole frame, swap included, mean over the measured frames
  double rendererNsPerQuad = 0;  // vertex generation and batching, draw submission excluded:
  double rendererBestNs = 0;     // the median frame, and the best one (least disturbed by
                                 // other processes on a shared machine)
  double drawCallsPerFrame = 0;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

Figures MeasureOurs(OxGlfwGame& host, gxtkGraphics* g, gxtkSurface* sprite, int n) {
  std::vector<Sprite> at = Positions(n);
  Figures f;
  std::vector<double> rendererNs;
  Clock::time_point start;
  for (int frame = 0; frame < kWarmupFrames + kMeasuredFrames; ++frame) {
    if (frame == kWarmupFrames) {
      g->stats.Reset();
      start = Clock::now();
    }
    g->BeginRender();
    g->Cls(0, 0, 0);
    g->stats.timeSubmits = true;
    long long submitBefore = g->stats.submitNanos;
    Clock::time_point drawStart = Clock::now();
    for (const Sprite& s : at) g->DrawSurface(sprite, s.x, s.y);
    g->EndRender();
    Clock::time_point drawEnd = Clock::now();
    if (frame >= kWarmupFrames) {
      rendererNs.push_back(std::chrono::duration<double, std::nano>(drawEnd - drawStart).count() -
                           static_cast<double>(g->stats.submitNanos - submitBefore));
    }
    glfwSwapBuffers(host.Window());
  }
  f.frameMs = Ms(Clock::now() - start) / kMeasuredFrames;
  f.rendererNsPerQuad = Median(rendererNs) / n;
  f.rendererBestNs = *std::min_element(rendererNs.begin(), rendererNs.end()) / n;
  f.drawCallsPerFrame = static_cast<double>(g->stats.drawCalls) / kMeasuredFrames;
  return f;
}

Figures MeasureSdl(SDL_Renderer* r, SDL_Texture* sprite, int n) {
  std::vector<Sprite> at = Positions(n);
  Figures f;
  Clock::time_point start;
  for (int frame = 0; frame < kWarmupFrames + kMeasuredFrames; ++frame) {
    if (frame == kWarmupFrames) start = Clock::now();
    SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
    SDL_RenderClear(r);
    for (const Sprite& s : at) {
      SDL_FRect dst = {s.x, s.y, static_cast<float>(kSpriteSize), static_cast<float>(kSpriteSize)};
      SDL_RenderCopyF(r, sprite, nullptr, &dst);
    }
    SDL_RenderPresent(r);
  }
  f.frameMs = Ms(Clock::now() - start) / kMeasuredFrames;
  return f;
}

}  // namespace

int main() {
  constexpr int kRuns = sizeof(kQuadCounts) / sizeof(kQuadCounts[0]);
  Figures ours[kRuns], sdl[kRuns];

  if (!glfwInit()) {
    std::printf("glfwInit failed\n");
    return 1;
  }
  {
    OxGlfwGame host;
    host.SetSwapInterval(0);
    host.SetGlfwWindow(kWindowWidth, kWindowHeight, 8, 8, 8, 0, 0, 0, false);
    if (host.Window() == nullptr) {
      std::printf("no window: run under a display (xvfb-run)\n");
      return 1;
    }
    gxtkGraphics* g = new gxtkGraphics();
    std::vector<unsigned char> px = SpritePixels();
    auto* copy = static_cast<unsigned char*>(std::malloc(px.size()));
    std::copy(px.begin(), px.end(), copy);
    gxtkSurface* sprite = new gxtkSurface();
    sprite->SetData(copy, kSpriteSize, kSpriteSize, 4);
    for (int i = 0; i < kRuns; ++i) ours[i] = MeasureOurs(host, g, sprite, kQuadCounts[i]);
    sprite->Discard();
  }
  glfwTerminate();

  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::printf("SDL_Init failed: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("sdl2", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        kWindowWidth, kWindowHeight, SDL_WINDOW_OPENGL);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
  if (renderer == nullptr) {
    std::printf("SDL2 renderer failed: %s\n", SDL_GetError());
    return 1;
  }
  SDL_RendererInfo info;
  SDL_GetRendererInfo(renderer, &info);
  std::vector<unsigned char> px = SpritePixels();
  SDL_Texture* sprite = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888,
                                          SDL_TEXTUREACCESS_STATIC, kSpriteSize, kSpriteSize);
  SDL_UpdateTexture(sprite, nullptr, px.data(), kSpriteSize * 4);
  SDL_SetTextureBlendMode(sprite, SDL_BLENDMODE_BLEND);
  for (int i = 0; i < kRuns; ++i) sdl[i] = MeasureSdl(renderer, sprite, kQuadCounts[i]);
  SDL_DestroyTexture(sprite);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();

  std::printf("%d x %d window, 32 x 32 alpha-blended quads of one texture, %d frames each\n",
              kWindowWidth, kWindowHeight, kMeasuredFrames);
  std::printf("SDL2 render driver: %s\n\n", info.name);
  std::printf("%8s | %12s %20s %10s | %12s | %8s\n", "quads", "ours ms/frm",
              "renderer ns/q med/best", "draws/frm", "SDL2 ms/frm", "speed-up");
  bool met = true;
  for (int i = 0; i < kRuns; ++i) {
    double ratio = sdl[i].frameMs / ours[i].frameMs;
    met = met && ratio >= kFrameSpeedGoal && ours[i].rendererNsPerQuad < kRendererNsPerQuadGoal;
    std::printf("%8d | %12.3f %13.1f /%6.1f %10.0f | %12.3f | %7.2fx\n", kQuadCounts[i],
                ours[i].frameMs, ours[i].rendererNsPerQuad, ours[i].rendererBestNs,
                ours[i].drawCallsPerFrame, sdl[i].frameMs, ratio);
  }
  std::printf("\ngoals (frame >= %.1fx SDL2's, median renderer < %.0f ns/quad): %s\n",
              kFrameSpeedGoal, kRendererNsPerQuadGoal, met ? "met" : "NOT met");
  // The same figures as lines for the bench runner's table.
  for (int i = 0; i < kRuns; ++i) {
    std::printf("FIGURE\trenderer.frame_ms.%d\t%.4f\tms\n", kQuadCounts[i], ours[i].frameMs);
    std::printf("FIGURE\trenderer.frame_ms.%d.peer\t%.4f\tms\n", kQuadCounts[i], sdl[i].frameMs);
    std::printf("FIGURE\trenderer.ns_per_quad.%d\t%.2f\tns\n", kQuadCounts[i],
                ours[i].rendererNsPerQuad);
  }
  return 0;
}
