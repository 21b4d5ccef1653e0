// Sound file readers: the RIFF WAVE reader and the Ogg Vorbis reader over
// stb_vorbis, both decoding a whole file into one PCM buffer at load time.
#include "host/audio_decode.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// The Debian header carries the decoder's implementation too; libstb has it.
#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include "host/isolated_decode.h"

namespace {

// A RIFF tag is four characters, kept with a terminator for comparing as text.
constexpr int kTagLength = 4;
// The only WAV compression code we read: plain PCM.
constexpr int kPcmCompression = 1;
// Size of the "fmt " fields we read; anything beyond is skipped.
constexpr long kFmtFieldsSize = 16;
constexpr int kBitsPerByte = 8;

// Ogg decoding grows its buffer by doubling, leaving room for this many sample
// frames per decoded Vorbis frame (a frame never yields more).
constexpr int kOggFrameRoom = 4096;
// 16-bit samples out of the Vorbis decoder.
constexpr int kOggBytesPerSample = 2;

const char kRiffTag[] = "RIFF";
const char kWaveTag[] = "WAVE";
const char kFmtTag[] = "fmt ";
const char kDataTag[] = "data";

// Reads a tag; a failed read leaves the tag empty.
bool ReadTag(FILE* f, char (&tag)[kTagLength + 1]) {
  std::memset(tag, 0, sizeof tag);
  if (std::fread(tag, 1, kTagLength, f) == kTagLength) return true;
  std::memset(tag, 0, sizeof tag);
  return false;
}

bool ExpectTag(FILE* f, const char* want) {
  char tag[kTagLength + 1];
  return ReadTag(f, tag) && std::strcmp(tag, want) == 0;
}

bool ReadU16(FILE* f, uint32_t* out) {
  unsigned char b[2];
  if (std::fread(b, 1, 2, f) != 2) return false;
  *out = uint32_t(b[0]) | uint32_t(b[1]) << 8;
  return true;
}

bool ReadU32(FILE* f, uint32_t* out) {
  unsigned char b[4];
  if (std::fread(b, 1, 4, f) != 4) return false;
  *out = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  return true;
}

// Bytes from the current position to the end of the file, or -1 when the
// stream cannot tell. Chunk sizes are checked against this so that a damaged
// header never makes us allocate or skip beyond what the file holds.
long BytesLeft(FILE* f) {
  long here = std::ftell(f);
  if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return -1;
  long end = std::ftell(f);
  if (std::fseek(f, here, SEEK_SET) != 0 || end < here) return -1;
  return end - here;
}

// ---- Ogg headers --------------------------------------------------------------------------------

// An Ogg page: "OggS", version, flags, 20 bytes of positions, serial, sequence and CRC, then the
// segment count and the segment sizes; a packet ends at a segment shorter than 255 bytes.
constexpr char kOggCapture[] = "OggS";
constexpr int kOggCaptureLength = 4;
constexpr int kOggPageFixedBytes = 27;
constexpr int kOggSegmentCountAt = 26;
constexpr int kOggFlagsAt = 5;
constexpr int kOggContinuedPacket = 1;
constexpr int kOggFullSegment = 255;
// The Vorbis comment header: packet type 3 and "vorbis", then lengths and texts.
constexpr unsigned char kVorbisCommentPacket = 3;
constexpr char kVorbisWord[] = "vorbis";
constexpr size_t kVorbisWordLength = 6;
constexpr size_t kLengthBytes = 4;

struct OggPage {
  int flags = 0;
  std::vector<int> segments;
};

bool ReadOggPage(FILE* f, OggPage* page) {
  unsigned char head[kOggPageFixedBytes];
  if (std::fread(head, 1, sizeof head, f) != sizeof head) return false;
  if (std::memcmp(head, kOggCapture, kOggCaptureLength) != 0) return false;
  page->flags = head[kOggFlagsAt];
  unsigned char sizes[kOggFullSegment];
  const size_t count = head[kOggSegmentCountAt];
  if (std::fread(sizes, 1, count, f) != count) return false;
  page->segments.assign(sizes, sizes + count);
  return true;
}

// The decoder trusts the lengths of a stream's comment header: one past its packet makes it allocate
// from a negative or huge length and then free pointers it never set, or read for minutes. So the
// header is read here first, the way the decoder reads it (the second packet, starting on the
// second page and running on over continued pages), and every length must lie inside the packet.
bool VorbisCommentsFit(FILE* f) {
  OggPage page;
  if (!ReadOggPage(f, &page)) return false;
  long body = 0;
  for (int size : page.segments) body += size;
  if (std::fseek(f, body, SEEK_CUR) != 0) return false;

  std::vector<unsigned char> packet;
  bool ended = false;
  for (bool first = true; !ended; first = false) {
    if (!ReadOggPage(f, &page)) return false;
    if (!first && !(page.flags & kOggContinuedPacket)) return false;
    for (int size : page.segments) {
      const size_t at = packet.size();
      packet.resize(at + size);
      if (std::fread(packet.data() + at, 1, size, f) != size_t(size)) return false;
      if (size < kOggFullSegment) {
        ended = true;
        break;
      }
    }
  }

  size_t at = 1 + kVorbisWordLength;
  if (packet.size() < at || packet[0] != kVorbisCommentPacket ||
      std::memcmp(&packet[1], kVorbisWord, kVorbisWordLength) != 0) {
    return false;
  }
  auto length = [&packet, &at](uint32_t* value) {
    if (packet.size() - at < kLengthBytes) return false;
    *value = uint32_t(packet[at]) | uint32_t(packet[at + 1]) << 8 | uint32_t(packet[at + 2]) << 16 |
             uint32_t(packet[at + 3]) << 24;
    at += kLengthBytes;
    return true;
  };
  uint32_t vendor, comments;
  if (!length(&vendor) || vendor > packet.size() - at) return false;
  at += vendor;
  if (!length(&comments) || comments > (packet.size() - at) / kLengthBytes) return false;
  for (uint32_t i = 0; i < comments; ++i) {
    uint32_t text;
    if (!length(&text) || text > packet.size() - at) return false;
    at += text;
  }
  return true;
}

// Moves forward by n bytes that are known to lie inside the file.
bool Skip(FILE* f, uint32_t n) {
  long left = BytesLeft(f);
  if (left < 0 || n > uint64_t(left)) return false;
  return std::fseek(f, long(n), SEEK_CUR) == 0;
}

}  // namespace

unsigned char* LoadWAV(FILE* f, int* length, int* channels, int* format, int* hertz) {
  if (!f) return nullptr;
  uint32_t riffSize;
  if (!ExpectTag(f, kRiffTag) || !ReadU32(f, &riffSize)) return nullptr;
  if (!ExpectTag(f, kWaveTag) || !ExpectTag(f, kFmtTag)) return nullptr;

  uint32_t fmtSize, compression, chans, rate, byteRate, blockAlign, bits;
  if (!ReadU32(f, &fmtSize) || !ReadU16(f, &compression)) return nullptr;
  if (compression != kPcmCompression) return nullptr;
  if (!ReadU16(f, &chans) || !ReadU32(f, &rate) || !ReadU32(f, &byteRate) ||
      !ReadU16(f, &blockAlign) || !ReadU16(f, &bits)) {
    return nullptr;
  }
  uint32_t bytesPerSample = bits / kBitsPerByte;
  // Without channels or whole bytes per sample the data has no frame size.
  if (chans == 0 || bytesPerSample == 0) return nullptr;
  if (fmtSize > uint32_t(kFmtFieldsSize) && !Skip(f, fmtSize - uint32_t(kFmtFieldsSize))) {
    return nullptr;
  }

  for (;;) {
    char tag[kTagLength + 1];
    uint32_t size;
    if (!ReadTag(f, tag) || !ReadU32(f, &size)) return nullptr;
    if (std::strcmp(tag, kDataTag) != 0) {
      // Other chunks ("LIST", "fact", ...) are skipped by their stated size; one
      // that claims more than the file holds ends the search.
      if (!Skip(f, size)) return nullptr;
      continue;
    }
    long left = BytesLeft(f);
    if (left < 0 || size > uint64_t(left)) return nullptr;
    unsigned char* data = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    if (!data) return nullptr;
    if (std::fread(data, 1, size, f) != size) {
      std::free(data);
      return nullptr;
    }
    *length = int(size / (chans * bytesPerSample));
    *channels = int(chans);
    *format = int(bytesPerSample);
    *hertz = int(rate);
    return data;
  }
}

namespace {

unsigned char* DecodeOGG(FILE* f, int* length, int* channels, int* format, int* hertz) {
  const long start = std::ftell(f);
  if (start < 0 || !VorbisCommentsFit(f) || std::fseek(f, start, SEEK_SET) != 0) return nullptr;
  int error = 0;
  stb_vorbis* v = stb_vorbis_open_file(f, 0, &error, nullptr);
  if (!v) return nullptr;
  stb_vorbis_info info = stb_vorbis_get_info(v);
  const size_t chans = size_t(info.channels);

  size_t capacity = chans * kOggFrameRoom;
  size_t filled = 0;
  short* pcm = static_cast<short*>(std::malloc(capacity * sizeof(short)));
  while (pcm) {
    if (filled + chans * kOggFrameRoom > capacity) {
      capacity *= 2;
      if (capacity * sizeof(short) > OX_MAX_OGG_PCM_BYTES) {  // more than any tune: a damaged stream
        std::free(pcm);
        pcm = nullptr;
        break;
      }
      short* grown = static_cast<short*>(std::realloc(pcm, capacity * sizeof(short)));
      if (!grown) {
        std::free(pcm);
        pcm = nullptr;
        break;
      }
      pcm = grown;
    }
    int frames = stb_vorbis_get_frame_short_interleaved(v, info.channels, pcm + filled,
                                                        int(capacity - filled));
    if (frames == 0) break;
    filled += size_t(frames) * chans;
  }
  stb_vorbis_close(v);
  if (!pcm) return nullptr;

  if (filled > 0) {
    if (short* shrunk = static_cast<short*>(std::realloc(pcm, filled * sizeof(short)))) {
      pcm = shrunk;
    }
  }
  *length = int(filled / chans);
  *channels = info.channels;
  *format = kOggBytesPerSample;
  *hertz = int(info.sample_rate);
  return reinterpret_cast<unsigned char*>(pcm);
}

// Runs in the decoding process.
bool DecodeOggFile(FILE* f, OxDecoded* out) {
  int frames = 0, chans = 0, bytes = 0, rate = 0;
  out->data = DecodeOGG(f, &frames, &chans, &bytes, &rate);
  out->size = size_t(frames) * size_t(chans) * size_t(bytes);
  out->info[0] = frames;
  out->info[1] = chans;
  out->info[2] = bytes;
  out->info[3] = rate;
  return out->data != nullptr;
}

}  // namespace

// The decoder runs in the decoding process: on a damaged stream it may crash or leak (see
// host/isolated_decode.h), which must not take the game with it.
unsigned char* LoadOGG(FILE* f, int* length, int* channels, int* format, int* hertz) {
  if (!f) return nullptr;
  OxDecoded pcm;
  const bool decoded = ox_decode_isolated(DecodeOggFile, f, OX_OGG_REPLY, &pcm);
  if (!decoded) return nullptr;
  *length = pcm.info[0];
  *channels = pcm.info[1];
  *format = pcm.info[2];
  *hertz = pcm.info[3];
  return pcm.data;
}
