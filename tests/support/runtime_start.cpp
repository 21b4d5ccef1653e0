// Start-up of the runtime for test processes: the program's own sequence, with the signal
// handlers optional and the null sound output chosen before any device opens.
#include "tests/support/runtime_start.h"

#include <clocale>
#include <cstdlib>

#include "framework/audio.h"
#include "host/audio.h"
#include "runtime/gc.h"
#include "runtime/startup.h"

namespace qr_test {

namespace {

// OpenAL's output that plays nothing; the environment's choice wins.
constexpr char kAudioDriverVariable[] = "ALSOFT_DRIVERS";
constexpr char kNullAudioDriver[] = "null";
// The locale the runtime asks for first, and the fallback to the environment's.
constexpr char kLocale[] = "en_US.UTF-8";

}  // namespace

bool StartRuntimeOnce(const RuntimeStart& start) {
  static bool started = false;
  if (started) return false;
  started = true;
  if (start.nullAudioOutput) setenv(kAudioDriverVariable, kNullAudioDriver, 0);
  static char* program[] = {const_cast<char*>(start.program), nullptr};
  int argc = start.argv ? start.argc : 1;
  char** argv = start.argv ? start.argv : program;
  if (start.registerModules) start.registerModules();
  if (start.signalHandlers) {
    ox_runtime_start(argc, argv);
  } else {
    ox_argc = argc;
    ox_argv = argv;
    if (!std::setlocale(LC_CTYPE, kLocale)) std::setlocale(LC_CTYPE, "");
    gc_init1();
    oxInit();
    gc_mark();
  }
  if (start.audioDevice) ox_audio_SetAudioDevice(new gxtkAudio);
  return true;
}

}  // namespace qr_test
