// Ogg Vorbis streams encoded for tests and fuzz seeds with libvorbisenc: any channel count,
// rate and length, from a sample function the caller gives.
#pragma once

#include <functional>
#include <vector>

namespace qr_test {

struct VorbisStream {
  int channels = 1;
  int hertz = 44100;
  int frames = 0;          // sample frames in the stream
  float quality = 0.3f;    // libvorbisenc's variable-bit-rate quality, -0.1 to 1
  int chunkFrames = 1024;  // frames handed to the encoder at a time
  // The sample of one channel at one frame, -1 to 1.
  std::function<float(int frame, int channel)> sample;
};

// The whole stream (serial number 1); empty when the encoder refuses the shape.
std::vector<unsigned char> EncodeVorbis(const VorbisStream& stream);

}  // namespace qr_test
