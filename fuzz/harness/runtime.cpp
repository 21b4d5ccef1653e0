// The fuzzing entries' shared ground: the runtime and one windowless desktop host started once per
// process inside a private working directory, input files written there, and the target table.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "fuzz/harness/harness.h"
#include "game/game_init.h"
#include "host/host_game.h"
#include "runtime/startup.h"
#include "tests/support/runtime_start.h"
#include "tests/support/temp_dir.h"

namespace {

// Memory-backed when the machine has it (every state input is saved, and saves wait for the
// disk), else on disk.
const char* const kWorkDirBases[] = {qr_test::kMemoryBase, qr_test::kTempBase};
constexpr char kWorkDirPrefix[] = "qr-fuzz";

// Removed when the process exits.
std::unique_ptr<qr_test::TempWorkDir> work_dir;

}  // namespace

OxGlfwGame* qr_fuzz_host() {
  static OxGlfwGame* host = nullptr;
  if (host) return host;

  for (const char* base : kWorkDirBases) {
    try {
      work_dir = std::make_unique<qr_test::TempWorkDir>(kWorkDirPrefix, base);
      break;
    } catch (const std::exception&) {
    }
  }
  if (!work_dir) {
    std::perror("qr-fuzz: private working directory");
    std::abort();
  }

  host = new OxGlfwGame;  // lives for the process, as the program's host does
  // The start-up sequence without the runtime's signal handlers: a crash must reach the
  // sanitizer and the fuzzer as it happened.
  qr_test::RuntimeStart start;
  start.program = "qr-fuzz";
  start.registerModules = ox_game_Register;
  start.signalHandlers = false;
  qr_test::StartRuntimeOnce(start);
  return host;
}

std::string qr_fuzz_write(const std::string& name, const uint8_t* data, size_t size) {
  std::string path = "./" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
    std::perror("qr-fuzz: writing an input file");
    std::abort();
  }
  return path;
}

// What the input allocated outside the collector has been freed again: it must not count
// towards the next full collection.
void qr_fuzz_collect() {
  gc_collect_all();
  gc_ext_new_bytes = 0;
}

const std::vector<QrFuzzTarget>& qr_fuzz_targets() {
  static const std::vector<QrFuzzTarget> targets = {
      {"wav", qr_fuzz_wav},
      {"ogg", qr_fuzz_ogg},
      {"image", qr_fuzz_image},
      {"string_load", qr_fuzz_string_load},
      {"state", qr_fuzz_state},
      {"url", qr_fuzz_url},
      {"http_response", qr_fuzz_http_response},
      {"peek_string", qr_fuzz_peek_string},
  };
  return targets;
}

const QrFuzzTarget* qr_fuzz_find(const std::string& name) {
  for (const QrFuzzTarget& t : qr_fuzz_targets()) {
    if (name == t.name) return &t;
  }
  return nullptr;
}
