// Helpers shared by the network tests: pumping the event pump until something happened (with a
// bound), and running a helper program whose runtime error ends its process.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace qrtest {

// Longest any test waits for network work on the loopback address.
constexpr std::chrono::seconds kNetWait{10};

// Calls the event pump, as the game's update does, until done() holds or the wait is over.
// Returns done().
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds wait = kNetWait);
// Calls the event pump for the given time, as a running game would.
void PumpFor(std::chrono::milliseconds time);

// Output and exit status of a helper program run with standard input at end of file.
struct ProgResult {
  int exitStatus = -1;  // as the shell sees it (0..255), -1 when it did not exit normally
  std::string out;      // standard output
};
ProgResult RunProg(const std::string& program, const std::vector<std::string>& args);

// Printed by the error helper program just before the call that must fail.
constexpr char kBeforeFailing[] = "about to fail";
#ifdef QR_TEST_BIN_DIR
// The error helper program, built beside the tests.
constexpr char kErrorsProg[] = QR_TEST_BIN_DIR "/net_errors_prog";
#endif

// The first line a runtime error prints on standard output.
std::string RuntimeErrorLine(const std::string& message);

// Plain text of a runtime string (8-bit code units only) and back.
std::string Narrow(const String& s);
std::vector<int> CodeUnits(const String& s);

}  // namespace qrtest

namespace qrtest {

// Keeps objects alive across collections the tests run, as a game field would: a root of the
// collector that marks every object handed to Keep.
void Keep(Object* object);

}  // namespace qrtest
