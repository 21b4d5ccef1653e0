// The whole program under a player: start-up times and memory beside a bare window's, CPU per
// update and render during scripted play, input latency, collector figures, resident memory over
// minutes of play, and CPU while idle.
//
// The real game runs in a real window on the real clock and window-system loop; the scripted
// player's keys and drags go through the window system's input callbacks. Run it under a
// display, with software GL and the null audio output:
//   LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1280x1024x24"
//     bench/qr_play_bench [--quick] [--startup-runs N] [--play-seconds S] [--rss-minutes M]
//                         [--idle-seconds T] [--seed N]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/game_init.h"
#include "play/play_host.h"
#include "play/session.h"
#include "play/startup.h"
#include "play/summary.h"
#include "play/watchdog.h"

namespace {

using play::SessionOptions;

// Defaults of a full run, and those of --quick (for development).
constexpr int kStartupRuns = 5;
constexpr double kPlaySeconds = 60;
constexpr int kRssMinutes = 10;
constexpr double kIdleSeconds = 10;
constexpr int kQuickStartupRuns = 2;
constexpr double kQuickPlaySeconds = 15;
constexpr int kQuickRssMinutes = 1;
constexpr double kQuickIdleSeconds = 3;
constexpr unsigned kSeed = 20240611;  // the scripted player's default seed
// A start-up child that shows no menu in this many seconds is killed.
constexpr double kStartupTimeout = 30;
// Exit statuses besides 0 (every figure measured) and 1 (some figure missing).
constexpr int kExitUsage = 2;
constexpr int kExitEndedEarly = 4;

constexpr char kUsage[] =
    "usage: qr_play_bench [--quick] [--startup-runs N] [--play-seconds S] [--rss-minutes M]\n"
    "                     [--idle-seconds T] [--seed N]\n"
    "  --quick  startup-runs 2, play 15 s, rss-minutes 1, idle 3 s (options given beside it win)\n";

struct Options {
  int startupRuns = kStartupRuns;
  SessionOptions session;
};

bool ParseNumber(const char* text, double low, double* out) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || *end != 0 || !(v >= low)) return false;
  *out = v;
  return true;
}

// Options are "--name value" or "--name=value"; --quick only changes the defaults.
bool ParseOptions(int argc, char** argv, Options* o) {
  bool quick = false;
  double runs = -1, play = -1, minutes = -1, idle = -1, seed = -1;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--quick") {
      quick = true;
      continue;
    }
    std::string value;
    const size_t eq = arg.find('=');
    if (eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      std::fprintf(stderr, "%s needs a value\n", arg.c_str());
      return false;
    }
    double* target = arg == "--startup-runs"   ? &runs
                     : arg == "--play-seconds" ? &play
                     : arg == "--rss-minutes"  ? &minutes
                     : arg == "--idle-seconds" ? &idle
                     : arg == "--seed"         ? &seed
                                               : nullptr;
    const double low = arg == "--seed" || arg == "--startup-runs" ? 0 : 1;
    if (!target || !ParseNumber(value.c_str(), low, target)) {
      std::fprintf(stderr, "bad option: %s %s\n", arg.c_str(), value.c_str());
      return false;
    }
  }
  if (quick) {
    o->startupRuns = kQuickStartupRuns;
    o->session.playSeconds = kQuickPlaySeconds;
    o->session.rssMinutes = kQuickRssMinutes;
    o->session.idleSeconds = kQuickIdleSeconds;
  }
  if (runs >= 0) o->startupRuns = static_cast<int>(runs);
  if (play >= 0) o->session.playSeconds = play;
  if (minutes >= 0) o->session.rssMinutes = static_cast<int>(minutes);
  if (idle >= 0) o->session.idleSeconds = idle;
  o->session.seed = seed >= 0 ? static_cast<unsigned>(seed) : kSeed;
  return true;
}

// The start-up figures: the first frame, the menu and the memory at the menu, each with the floor.
constexpr int kStartupFigures = 3;
// The loader's 14 update frames at 60 a second: the menu cannot come sooner after the first frame.
constexpr double kLoaderFramesMs = 14 * 1000.0 / 60;

// Where the time to the first frame goes: per step, the median of the runs' time since the step
// before (the first since the spawn).
template <size_t N>
void PrintSteps(const char* who, const char* const (&names)[N], const std::vector<std::vector<double>>& runs) {
  std::printf("start-up steps of %s, median of %zu runs (ms since the step before / ms since the spawn):\n", who,
              runs.size());
  for (size_t i = 0; i < N; ++i) {
    std::vector<double> since, at;
    for (const std::vector<double>& r : runs) {
      if (r.size() != N) continue;
      since.push_back(r[i] - (i ? r[i - 1] : 0));
      at.push_back(r[i]);
    }
    std::printf("  %-56s %8.1f  %8.1f\n", names[i], play::Summarise(since).median, play::Summarise(at).median);
  }
}

// Runs the start-up children, each followed by a floor run that reads its memory as long after
// its spawn as that child did (so both are read after the same wait); returns how many figures
// could not be measured.
int MeasureStartup(int runs) {
  std::vector<double> first, menu, resident, decoded, floorFirst, floorResident;
  std::vector<std::vector<double>> steps, floorSteps;
  std::string menuMap, floorMap;
  for (int i = 0; i < runs; ++i) {
    const play::StartupRun run = play::SpawnStartupRun(kStartupTimeout);
    if (!run.ok) {
      std::printf("start-up run %d failed: %s\n", i + 1, run.error.c_str());
      std::fflush(stdout);
      continue;
    }
    const play::StartupRun floor = play::SpawnFloorRun(run.menuMs + play::kMenuSettleMs, kStartupTimeout);
    if (!floor.ok) {
      std::printf("start-up run %d: the floor run failed: %s\n", i + 1, floor.error.c_str());
      std::fflush(stdout);
      continue;
    }
    std::printf(
        "start-up run %d: first frame %.1f ms, menu %.1f ms, resident %.1f MB at the menu (decoded assets "
        "%.1f MB); bare window: first frame %.1f ms, resident %.1f MB\n",
        i + 1, run.firstFrameMs, run.menuMs, run.residentMb, run.decodedMb, floor.firstFrameMs, floor.residentMb);
    first.push_back(run.firstFrameMs);
    menu.push_back(run.menuMs);
    resident.push_back(run.residentMb);
    decoded.push_back(run.decodedMb);
    floorFirst.push_back(floor.firstFrameMs);
    floorResident.push_back(floor.residentMb);
    steps.push_back(run.stepsMs);
    floorSteps.push_back(floor.stepsMs);
    menuMap = run.memoryMap;
    floorMap = floor.memoryMap;
    std::fflush(stdout);
  }
  if (runs == 0) {
    std::printf("start-up: no runs asked for (--startup-runs 0)\n");
    return 0;
  }
  if (first.size() != static_cast<size_t>(runs)) {
    std::printf("start.*, rss.menu_mb: not measured: %zu of %d runs reported\n", first.size(), runs);
    return kStartupFigures;
  }
  const double f = play::Summarise(first).median, m = play::Summarise(menu).median;
  const double r = play::Summarise(resident).median, d = play::Summarise(decoded).median;
  const double ff = play::Summarise(floorFirst).median, fr = play::Summarise(floorResident).median;
  std::printf(
      "start-up: median of %d runs (from just before the spawn to the end of the swap): first frame %.1f ms, "
      "menu %.1f ms; bare window %.1f ms (menu floor with the loader's frames %.1f ms)\n",
      runs, f, m, ff, ff + kLoaderFramesMs);
  std::printf("memory at the menu (%.0f ms after it showed): resident %.1f MB, decoded assets %.1f MB; bare "
              "window after the same wait %.1f MB\n",
              play::kMenuSettleMs, r, d, fr);
  std::printf("the program's memory at the menu (last run):\n%s", menuMap.c_str());
  std::printf("the bare window's memory after the same wait (last run):\n%s", floorMap.c_str());
  PrintSteps("the program", play::kProgramSteps, steps);
  PrintSteps("the bare window", play::kFloorSteps, floorSteps);
  play::PrintFigure("start.first_frame_ms", f, "ms");
  play::PrintFigure("start.first_frame_ms.peer", ff, "ms");
  play::PrintFigure("start.menu_ms", m, "ms");
  play::PrintFigure("start.menu_ms.peer", ff + kLoaderFramesMs, "ms");
  play::PrintFigure("rss.menu_mb", r, "MB");
  play::PrintFigure("rss.menu_mb.peer", fr, "MB");
  play::PrintFigure("rss.menu_mb.assets", d, "MB");
  // Play is measured in this process, long after a start-up; the floor's memory is the same.
  play::PrintFigure("play.rss_mb.1min.peer", fr, "MB");
  return 0;
}

play::PlaySession* session = nullptr;

// The game may end the process itself (its quit keys, the window's close button); then the
// figures are incomplete and the status says so.
void OnExit() {
  if (session && !session->Finished()) {
    std::printf("qr_play_bench: the game ended the program during %s, before every figure was measured\n",
                session->PhaseName());
    std::fflush(stdout);
    _exit(kExitEndedEarly);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], play::kStartupChildOption) == 0)
    return play::RunStartupChild(argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  setenv("ALSOFT_DRIVERS", "null", 0);
  std::printf("qr_play_bench: start-up runs %d, play %.0f s, memory to minute %d, idle %.0f s, seed %u\n",
              options.startupRuns, options.session.playSeconds, options.session.rssMinutes,
              options.session.idleSeconds, options.session.seed);
  std::fflush(stdout);

  const int missing = MeasureStartup(options.startupRuns);

  play::Watchdog watchdog;
  watchdog.Start();
  static play::PlaySession played(options.session, &watchdog, missing);
  session = &played;
  std::atexit(OnExit);
  play::PlayHost::SetObserver(&played);
  ox_game_Register();
  const char* args[] = {argv[0], nullptr};
  OxTarnGame::Main(1, args, play::PlayHost::Make);
  std::printf("qr_play_bench: the game window closed during %s, before every figure was measured\n",
              played.PhaseName());
  return kExitEndedEarly;
}
