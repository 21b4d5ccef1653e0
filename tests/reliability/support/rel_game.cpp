// The reliability tests' game runtime and working directories.
#include "support/rel_game.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/input.h"
#include "game/game_init.h"
#include "game/my_app.h"
#include "game/shell.h"
#include "host/files.h"
#include "host/host_game.h"
#include "runtime/startup.h"

namespace reltest {

namespace {

constexpr char kWorkDirName[] = "/qr-rel-XXXXXX";

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
    static char program[] = "reliability-tests";
    static char* argv[] = {program, nullptr};
    ox_game_Register();
    ox_runtime_start(1, argv);
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

WorkDir::WorkDir(const std::string& base) {
  std::string pattern = base + kWorkDirName;
  if (!mkdtemp(pattern.data())) std::abort();
  path_ = pattern;
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(path_);
}

WorkDir::~WorkDir() {
  std::filesystem::current_path(previous_);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReloadAndSave(c_MyApp* app) {
  StartedGame();
  app->p_Save();
  return ReadFile(OX_STATE_FILE_NAME);
}

}  // namespace reltest
