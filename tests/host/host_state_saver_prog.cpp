// Saves two large states in turn, for ever, so that a test can kill it in the middle of a save.
// Started in the directory whose ".tarnstate" it writes.
#include <string>

#include "host/host_game.h"
#include "host_progs.h"

int main() {
  OxGame host;
  const std::string a(OX_STATE_SAVER_SIZE, 'a'), b(OX_STATE_SAVER_SIZE, 'b');
  String states[] = {String(a.c_str()), String(b.c_str())};
  for (unsigned n = 0;; ++n) {
    if (host.SaveState(states[n % 2]) != 0) return 1;
  }
}
