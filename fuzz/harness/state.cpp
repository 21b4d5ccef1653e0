// Fuzzing entry of the saved state: any bytes in ".tarnstate" are read by the game's start-up
// reader; what it keeps must obey the settings clamps and survive its own save and reload.
#include <vector>

#include "fuzz/harness/harness.h"
#include "framework/app.h"
#include "game/my_app.h"
#include "game/shell.h"
#include "host/files.h"

namespace {

// The settings clamps the reader applies after every load.
constexpr int kPadMin = 64;
constexpr int kPadSizeMin = 8;
constexpr int kOverscanDesktop = 1;
// High-score entries the reader fills: the top and last lists of the three difficulties.
constexpr int kReadScores = kLastListOffset + kStateGroupsRead * kGroupEntries;

// What start-up sets before it reads the state.
void defaults(c_MyApp* app) {
  for (int i = 0; i < app->m_options.Length(); ++i) app->m_options[i] = 0;
  app->m_options[kOptSoundMode] = kSoundDefault;
  for (int i = 0; i < app->m_badges.Length(); ++i) app->m_badges[i] = false;
  for (int i = 0; i < app->m_hiscores.Length(); ++i) app->m_hiscores[i] = 0;
}

struct Kept {
  std::vector<int> options, scores;
  std::vector<bool> badges;
  bool operator==(const Kept& o) const {
    return options == o.options && scores == o.scores && badges == o.badges;
  }
};

Kept kept(c_MyApp* app) {
  Kept k;
  for (int i = 0; i < kStateSettings; ++i) k.options.push_back(app->m_options[i]);
  for (int i = 0; i < kReadScores; ++i) k.scores.push_back(app->m_hiscores[i]);
  for (int i = 0; i < app->m_badges.Length(); ++i) k.badges.push_back(app->m_badges[i]);
  return k;
}

}  // namespace

c_MyApp* qr_fuzz_game() {
  static c_MyApp* app = nullptr;
  if (!app) {
    qr_fuzz_host();
    app = (new c_MyApp)->m_new();  // the application root keeps it
  }
  return app;
}

const char* qr_fuzz_state(const uint8_t* data, size_t size) {
  c_MyApp* app = qr_fuzz_game();
  defaults(app);
  qr_fuzz_write(OX_STATE_FILE_NAME, data, size);
  app->p_Load();

  const char* fault = nullptr;
  if (app->m_options[kOptPadX] < kPadMin || app->m_options[kOptPadY] < kPadMin ||
      app->m_options[kOptPadSize] < kPadSizeMin || app->m_options[kOptOverscan] != kOverscanDesktop) {
    fault = "a loaded setting escaped its clamp";
  }
  if (!fault) {
    const Kept first = kept(app);
    app->p_Save();
    String saved = ox_app_LoadState();
    if (saved.Split(String("|")).Length() != kStateFields + 1 || !saved.EndsWith(String("|"))) {
      fault = "a save did not write every field followed by its separator";
    } else {
      defaults(app);
      app->p_Load();
      if (!(kept(app) == first)) fault = "what was loaded does not survive a save and a reload";
    }
  }
  qr_fuzz_collect();
  return fault;
}
