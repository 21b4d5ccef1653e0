// Sound file readers: RIFF WAVE (our own reader) and Ogg Vorbis (stb_vorbis),
// both turning an open file into raw PCM for the audio device's buffers.
#pragma once

#include <climits>
#include <cstdio>

#include "host/isolated_decode.h"

// Most PCM bytes one Ogg file may decode to (25 minutes of 44.1 kHz stereo); a stream that runs on
// past it is damaged.
inline constexpr size_t OX_MAX_OGG_PCM_BYTES = 256u * 1024 * 1024;
// Decoded Ogg Vorbis as the decoding process must send it: frames, 1 to 255 channels, 2 bytes per
// sample and a rate, with exactly frames x channels x 2 bytes within the limit above.
inline constexpr OxReplyShape OX_OGG_REPLY = {OX_MAX_OGG_PCM_BYTES, 3, {0, 1, 2, 1}, {INT_MAX, 255, 2, INT_MAX}};

// Both readers take a file opened for binary reading and leave it open (the
// caller closes it). On success they return a malloc'd PCM buffer, which the
// caller owns and releases with free(), and fill in:
//   length   sample frames in the buffer
//   channels 1 mono, 2 stereo (a WAV may state more; the device then plays silence)
//   format   bytes per sample: 1 for 8-bit unsigned, 2 for 16-bit signed
//   hertz    sample rate
// On failure they return null and leave the outputs unspecified.
unsigned char* LoadWAV(FILE* f, int* length, int* channels, int* format, int* hertz);
unsigned char* LoadOGG(FILE* f, int* length, int* channels, int* format, int* hertz);
