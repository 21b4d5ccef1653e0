// Decoding of outside files in a child process: the system's picture and Ogg Vorbis decoders
// (libstb) can crash, leak or run away on a damaged file, and then only the child is lost.
#pragma once

#include <cstddef>
#include <cstdio>

// What a decoder hands back: a malloc'd block (owned by the receiver), its size in bytes, and up
// to four numbers describing it (sizes, channels, rates).
struct OxDecoded {
  unsigned char* data = nullptr;
  size_t size = 0;
  int info[4] = {0, 0, 0, 0};
};

// A decoder: reads the open file from where it stands, fills the result, returns whether it
// succeeded. It runs in the decoding process, so it must be a plain function of this program.
using OxDecoder = bool (*)(FILE* f, OxDecoded* out);

// Decodes the open file f (from its current position) with decoder in the decoding process and
// returns what it produced; false when it failed, crashed, stopped producing for a long while, or
// announced more than maxBytes. A decoding process that crashed, failed or was stopped is
// replaced at the next call. Should no such process be possible, decoding runs here instead.
bool ox_decode_isolated(OxDecoder decoder, FILE* f, size_t maxBytes, OxDecoded* result);

// Starts the decoding process now. Called while the program is still small (before the window
// system and GL are loaded), it is a cheap copy; otherwise it starts at the first decode.
void ox_decode_server_start();
