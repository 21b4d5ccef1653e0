// Decoding of outside files in a child process: the system's picture and Ogg Vorbis decoders
// (libstb) can crash, leak or run away on a damaged file, and then only the child is lost.
#pragma once

#include <cstddef>
#include <functional>

// What a decoder hands back: a malloc'd block (owned by the receiver), its size in bytes, and up
// to four numbers describing it (sizes, channels, rates).
struct OxDecoded {
  unsigned char* data = nullptr;
  size_t size = 0;
  int info[4] = {0, 0, 0, 0};
};

// Runs decode in a child process and returns what it produced; false when it failed, crashed,
// stopped producing for a long while, or announced more than maxBytes. Should no child process
// be possible, decode runs here instead. decode fills the result and returns whether it succeeded.
bool ox_decode_isolated(const std::function<bool(OxDecoded*)>& decode, size_t maxBytes, OxDecoded* result);
