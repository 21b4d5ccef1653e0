// Sound file readers: RIFF WAVE (our own reader) and Ogg Vorbis (stb_vorbis),
// both turning an open file into raw PCM for the audio device's buffers.
#pragma once

#include <cstdio>

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
