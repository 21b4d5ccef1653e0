// Start-up of the runtime in test, benchmark and fuzzing processes, once per process: the caller
// makes its host first; this starts the collector and the module globals and, if asked, a sound device.
#pragma once

namespace qr_test {

struct RuntimeStart {
  const char* program = "qr-test";  // the process's one argument, unless argv is given
  int argc = 0;
  char** argv = nullptr;
  // The game's module registration, run before the collector starts (the game's globals become
  // roots); null for processes below the game.
  void (*registerModules)() = nullptr;
  // False leaves a crash to a sanitizer or fuzzer exactly as it happened.
  bool signalHandlers = true;
  // OpenAL's output that plays nothing, unless the environment chose an output.
  bool nullAudioOutput = false;
  // The one real audio device, made once the runtime is up (processes that start the game's
  // delegate leave this to it).
  bool audioDevice = false;
};

// Starts the runtime as described the first time it is called; later calls do nothing and
// return false.
bool StartRuntimeOnce(const RuntimeStart& start);

}  // namespace qr_test
