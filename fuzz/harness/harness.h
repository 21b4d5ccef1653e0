// The parsers' fuzzing entries: one function per parser that feeds it arbitrary bytes and checks
// what must hold for any input. The fuzzers, the seed generator and the replay tests share them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Runs one input; returns null when everything held, else what went wrong (a crash, a hang or a
// sanitizer report ends the process instead).
typedef const char* (*QrFuzzEntry)(const uint8_t* data, size_t size);

struct QrFuzzTarget {
  const char* name;  // also the folder of its seeds and kept inputs
  QrFuzzEntry run;
};

// Every parser, in a fixed order.
const std::vector<QrFuzzTarget>& qr_fuzz_targets();
// The target of that name, or null.
const QrFuzzTarget* qr_fuzz_find(const std::string& name);

// A small set of valid and nearly valid inputs for the named target, made by the program itself.
std::vector<std::string> qr_fuzz_seeds(const std::string& name);

// Entries (each starts the runtime on first use).
const char* qr_fuzz_wav(const uint8_t* data, size_t size);
const char* qr_fuzz_ogg(const uint8_t* data, size_t size);
const char* qr_fuzz_image(const uint8_t* data, size_t size);
const char* qr_fuzz_string_load(const uint8_t* data, size_t size);
const char* qr_fuzz_state(const uint8_t* data, size_t size);
const char* qr_fuzz_url(const uint8_t* data, size_t size);
const char* qr_fuzz_http_response(const uint8_t* data, size_t size);
const char* qr_fuzz_peek_string(const uint8_t* data, size_t size);

// ---- Shared by the entries -----------------------------------------------------------------------

class OxGlfwGame;
class c_MyApp;
// Starts the runtime, the game's module globals and one desktop host (no window), and moves into a
// private working directory, once per process. Returns the host.
OxGlfwGame* qr_fuzz_host();
// The one application object of the process (a second one is a runtime error), made on first use.
c_MyApp* qr_fuzz_game();
// Writes bytes to a file of the private working directory; returns its path ("./" + name).
std::string qr_fuzz_write(const std::string& name, const uint8_t* data, size_t size);
// Ends an input: one complete collection, so that what the input allocated is garbage.
void qr_fuzz_collect();
