// The floor under the program's start-up and memory on this machine: a bare window with a GL
// context, opened with the program's own window settings, cleared once and swapped. Nothing of
// the game, its runtime or its audio is linked in, so what this costs any such window costs.
//
// The play bench spawns it beside each start-up run of the program and reads one line back:
//   floor-times <ms to the end of the first swap> <resident MB after the wait> <steps...>
// where the steps are the ms from the spawn at which main began, GLFW was initialised, the
// window was open and the first swap ended.
// The spawn time comes in the environment (monotonic nanoseconds taken just before the spawn,
// as for the program's own runs); the wait, in milliseconds from the spawn, is the argument. Until
// the wait is over the window goes on as an idle program's does: poll, clear, swap, 60 times a
// second.
#include <GLFW/glfw3.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "play/memory_map.h"

namespace {

constexpr char kSpawnTimeVariable[] = "QR_PLAY_BENCH_SPAWN_NS";
constexpr char kTimesTag[] = "floor-times";
constexpr double kNanosPerMilli = 1e6;
constexpr double kBytesPerMb = 1024.0 * 1024.0;
// The window the program opens first (host/host_game.h's OX_START_* and OX_REFRESH_RATE; that
// header brings the language runtime with it, which a bare window must not link).
constexpr int kWidth = 640, kHeight = 480;
constexpr int kColourBits = 8;
constexpr int kRefreshRate = 60;
constexpr char kTitle[] = "Quadrant Rush";
constexpr double kFramePeriodSeconds = 1.0 / kRefreshRate;

long long MonotonicNanos() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

double ResidentMb() {
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return -1;
  long size = 0, resident = -1;
  const int fields = std::fscanf(f, "%ld %ld", &size, &resident);
  std::fclose(f);
  if (fields != 2 || resident < 0) return -1;
  return static_cast<double>(resident) * sysconf(_SC_PAGESIZE) / kBytesPerMb;
}

}  // namespace

int main(int argc, char** argv) {
  const char* spawn = std::getenv(kSpawnTimeVariable);
  if (!spawn || argc != 2) {
    std::fprintf(stderr, "usage: %s=<ns> qr_floor_window <wait ms>: spawned by qr_play_bench\n",
                 kSpawnTimeVariable);
    return 2;
  }
  const long long mainNs = MonotonicNanos();
  const long long spawnNs = std::atoll(spawn);
  const double waitMs = std::atof(argv[1]);

  if (!glfwInit()) {
    std::puts("glfwInit failed");
    return 1;
  }
  const long long initNs = MonotonicNanos();
  // The program's window: 640 x 480, 8 bits a colour, no alpha, depth or stencil, resizable,
  // centred on the desktop, swap interval 1.
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* desktop = monitor ? glfwGetVideoMode(monitor) : nullptr;
  glfwDefaultWindowHints();
  glfwWindowHint(GLFW_RED_BITS, kColourBits);
  glfwWindowHint(GLFW_GREEN_BITS, kColourBits);
  glfwWindowHint(GLFW_BLUE_BITS, kColourBits);
  glfwWindowHint(GLFW_ALPHA_BITS, 0);
  glfwWindowHint(GLFW_DEPTH_BITS, 0);
  glfwWindowHint(GLFW_STENCIL_BITS, 0);
  glfwWindowHint(GLFW_REFRESH_RATE, kRefreshRate);
  glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
  const int width = kWidth, height = kHeight;
  GLFWwindow* window = glfwCreateWindow(width, height, kTitle, nullptr, nullptr);
  if (!window) {
    std::puts("the window could not be opened");
    glfwTerminate();
    return 1;
  }
  glfwMakeContextCurrent(window);
  if (desktop) glfwSetWindowPos(window, (desktop->width - width) / 2, (desktop->height - height) / 2);
  glfwSwapInterval(1);
  const long long openNs = MonotonicNanos();

  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glfwSwapBuffers(window);
  const double firstMs = (MonotonicNanos() - spawnNs) / kNanosPerMilli;

  double next = glfwGetTime();
  while ((MonotonicNanos() - spawnNs) / kNanosPerMilli < waitMs && !glfwWindowShouldClose(window)) {
    next += kFramePeriodSeconds;
    const double delay = next - glfwGetTime();
    if (delay > 0) usleep(static_cast<useconds_t>(delay * 1e6));
    glfwPollEvents();
    glClear(GL_COLOR_BUFFER_BIT);
    glfwSwapBuffers(window);
  }
  std::printf("%s %.3f %.3f", kTimesTag, firstMs, ResidentMb());
  for (long long step : {mainNs, initNs, openNs}) std::printf(" %.3f", (step - spawnNs) / kNanosPerMilli);
  std::printf(" %.3f\n", firstMs);
  // Where its memory lies, for the bench to show beside the program's.
  play::PrintMemoryMap();
  std::fflush(stdout);
  // The figures are out; what the window system does at exit is not part of them.
  std::_Exit(0);
}
