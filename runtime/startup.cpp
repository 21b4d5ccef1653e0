// runtime/startup.cpp: the start-up sequence and the registry of module initialisers.
#include "runtime/startup.h"

#include <algorithm>
#include <clocale>
#include <vector>

#include "runtime/debug.h"

int ox_argc = 0;
char** ox_argv = nullptr;

namespace {
struct InitEntry {
  int layer;
  ox_hook_fn fn;
};
std::vector<InitEntry>& init_registry() {
  static std::vector<InitEntry> entries;  // built on first use, so static initialisers may register
  return entries;
}
ox_hook_fn main_hook = nullptr;
}  // namespace

void ox_register_init(int layer, ox_hook_fn fn) {
  std::vector<InitEntry>& entries = init_registry();
  for (const InitEntry& e : entries) {
    if (e.fn == fn) return;
  }
  auto at = std::upper_bound(entries.begin(), entries.end(), layer,
                             [](int l, const InitEntry& e) { return l < e.layer; });
  entries.insert(at, InitEntry{layer, fn});
}

void ox_set_main(ox_hook_fn fn) { main_hook = fn; }

int oxInit() {
  for (const InitEntry& e : init_registry()) e.fn();
  return 0;
}

int oxMain() {
  if (main_hook) main_hook();
  return 0;
}

void ox_runtime_start(int argc, char** argv) {
  ox_argc = argc;
  ox_argv = argv;
  ox_install_signal_handlers();
  if (!std::setlocale(LC_CTYPE, "en_US.UTF-8")) std::setlocale(LC_CTYPE, "");
  gc_init1();
  oxInit();
  gc_mark();
}

int ox_std_main(int argc, char** argv) {
  ox_runtime_start(argc, argv);
  oxMain();
  return 0;
}
