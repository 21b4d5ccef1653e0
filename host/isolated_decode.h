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

// What a usable reply looks like: each of the four numbers lies in its range [low, high], the
// size is the product of the first `sizeFields` numbers (say width x height x depth, or frames x
// channels x bytes) and at most maxBytes. A reply that does not add up would make the game read
// or write past the block, so it is a failed decode.
struct OxReplyShape {
  size_t maxBytes;
  int sizeFields;
  int low[4];
  int high[4];
};

// Whether a reply's numbers and size agree with shape (the bytes themselves are not looked at).
bool ox_reply_fits(const OxReplyShape& shape, const int info[4], unsigned long long size);

// Decodes the open file f (from its current position) with decoder in the decoding process and
// returns what it produced; false, with result left empty, when it failed, crashed, stopped
// producing for a long while, or sent a reply that does not fit shape. A decoding process that
// crashed, failed, was stopped or sent such a reply is replaced at the next call. Should no such
// process be possible, decoding runs here instead, under the same checks.
bool ox_decode_isolated(OxDecoder decoder, FILE* f, const OxReplyShape& shape, OxDecoded* result);

// Starts the decoding process now. Called while the program is still small (before the window
// system and GL are loaded), it is a cheap copy; otherwise it starts at the first decode.
void ox_decode_server_start();
