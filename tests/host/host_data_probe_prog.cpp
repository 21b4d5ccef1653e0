// Started from anywhere (a copy, through a link, in another working directory): prints the text of
// its data folder's probe file and saves a state in the working directory.
#include <cstdio>

#include "host/files.h"
#include "host/host_game.h"
#include "host_progs.h"

int main() {
  OxGlfwGame host;
  String text = host.LoadString(ox_data_FixDataPath(String(OX_PROBE_DATA_FILE)));
  std::printf("%s\n", text.ToUtf8().c_str());
  return host.SaveState(String(OX_PROBE_STATE)) == 0 ? 0 : 1;
}
