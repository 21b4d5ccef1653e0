// The reliability tests' game runtime and the state read back.
#include "support/rel_game.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "framework/input.h"
#include "game/game_init.h"
#include "game/my_app.h"
#include "game/shell.h"
#include "host/files.h"
#include "host/host_game.h"
#include "runtime/startup.h"
#include "tests/support/files.h"
#include "tests/support/runtime_start.h"

namespace reltest {

namespace {

// Runs f with standard output sent nowhere.
template <class F>
void Quietly(F f) {
  std::fflush(stdout);
  int saved = dup(STDOUT_FILENO);
  int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  dup2(null, STDOUT_FILENO);
  close(null);
  f();
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
}

}  // namespace

c_MyApp* StartedGame() {
  static c_MyApp* app = nullptr;
  if (!app) {
    new OxGlfwGame;  // the process's host, never deleted
    qr_test::RuntimeStart start;
    start.program = "reliability-tests";
    start.registerModules = ox_game_Register;
    qr_test::StartRuntimeOnce(start);
    app = (new c_MyApp)->m_new();  // the application root keeps it
    ox_input_SetInputDevice((new c_InputDevice)->m_new());  // suspending releases the controls
  }
  for (int i = 0; i < app->m_options.Length(); ++i) app->m_options[i] = 0;
  app->m_options[kOptSoundMode] = kSoundDefault;
  for (int i = 0; i < app->m_badges.Length(); ++i) app->m_badges[i] = false;
  for (int i = 0; i < app->m_hiscores.Length(); ++i) app->m_hiscores[i] = 0;
  Quietly([] { app->p_Load(); });
  return app;
}

std::string ReloadAndSave(c_MyApp* app) {
  StartedGame();
  app->p_Save();
  return qr_test::ReadFile(OX_STATE_FILE_NAME);
}

}  // namespace reltest
