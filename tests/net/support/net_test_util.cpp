// Helpers shared by the network tests: bounded pumping and helper-program runs.
#include "support/net_test_util.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "net/async_event.h"

namespace qrtest {

namespace {
// Pause between two pump calls while waiting: short, so tests stay quick.
constexpr auto kPumpPause = std::chrono::microseconds(200);
}  // namespace

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds wait) {
  const auto until = std::chrono::steady_clock::now() + wait;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    ox_asyncevent_UpdateAsyncEvents();
    std::this_thread::sleep_for(kPumpPause);
  }
  return true;
}

void PumpFor(std::chrono::milliseconds time) {
  PumpUntil([] { return false; }, time);
}

ProgResult RunProg(const std::string& program, const std::vector<std::string>& args) {
  std::string cmd = "'" + program + "'";
  for (const auto& a : args) cmd += " '" + a + "'";
  cmd += " </dev/null 2>/dev/null";
  ProgResult r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = pclose(p);
  if (status != -1 && WIFEXITED(status)) r.exitStatus = WEXITSTATUS(status);
  return r;
}

std::string RuntimeErrorLine(const std::string& message) {
  return std::string(OX_RUNTIME_ERROR_PREFIX) + message;
}

std::string Narrow(const String& s) {
  std::string out;
  for (int i = 0; i < s.Length(); ++i) out += static_cast<char>(s[i]);
  return out;
}

std::vector<int> CodeUnits(const String& s) {
  std::vector<int> out;
  for (int i = 0; i < s.Length(); ++i) out.push_back(s[i]);
  return out;
}

}  // namespace qrtest

namespace qrtest {

namespace {
std::vector<Object*>& Kept() {
  static std::vector<Object*> kept;
  return kept;
}
void MarkKept() {
  for (Object* o : Kept()) gc_mark_q(o);
}
}  // namespace

void Keep(Object* object) {
  gc_register_roots(GC_ROOTS_GAME, MarkKept);
  gc_mark_q(object);  // grey now, as a barrier would when stored in a root
  Kept().push_back(object);
}

}  // namespace qrtest
