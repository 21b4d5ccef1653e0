// Writers for WAV and Ogg Vorbis files. Both are byte-for-byte deterministic: the WAV
// header has no dates, and the Ogg stream uses a fixed serial number.
#include "sound_files.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace assetgen {

namespace {

constexpr int kBitsPerSample = 16;
constexpr int kBytesPerSample = 2;
constexpr float kFullScale = 32767.0f;      // largest 16-bit sample
constexpr uint32_t kFmtChunkSize = 16;      // PCM "fmt " chunk body
constexpr uint16_t kFormatPcm = 1;
constexpr int kOggSerial = 0x51527475;      // fixed, so every build writes the same bytes
constexpr int kEncodeChunk = 1024;          // frames handed to the encoder at a time

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

bool writeAll(const std::string& path, const uint8_t* bytes, size_t n) {
    File f(std::fopen(path.c_str(), "wb"));
    if (!f) return false;
    bool ok = std::fwrite(bytes, 1, n, f.get()) == n;
    return std::fclose(f.release()) == 0 && ok;
}

}  // namespace

bool writeWav(const std::string& path, const Buffer& sound) {
    uint32_t channels = uint32_t(sound.channels());
    uint32_t dataBytes = uint32_t(sound.data().size() * kBytesPerSample);
    std::vector<uint8_t> out;
    putTag(out, "RIFF");
    put32(out, 4 + 8 + kFmtChunkSize + 8 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, kFmtChunkSize);
    put16(out, kFormatPcm);
    put16(out, channels);
    put32(out, kSampleRate);
    put32(out, kSampleRate * channels * kBytesPerSample);
    put16(out, channels * kBytesPerSample);
    put16(out, kBitsPerSample);
    putTag(out, "data");
    put32(out, dataBytes);
    for (float v : sound.data()) {
        long s = std::lround(std::clamp(v, -1.0f, 1.0f) * kFullScale);
        put16(out, uint32_t(uint16_t(int16_t(s))));
    }
    return writeAll(path, out.data(), out.size());
}

bool writeOgg(const std::string& path, const Buffer& sound, float quality) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, sound.channels(), kSampleRate, quality) != 0) {
        vorbis_info_clear(&vi);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", "Didiziroze Razudud");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, kOggSerial);

    std::vector<uint8_t> out;
    auto takePage = [&out](const ogg_page& og) {
        out.insert(out.end(), og.header, og.header + og.header_len);
        out.insert(out.end(), og.body, og.body + og.body_len);
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page og;
    while (ogg_stream_flush(&os, &og) != 0) takePage(og);

    size_t frames = sound.frames(), done = 0;
    bool end = false;
    while (!end) {
        size_t n = std::min<size_t>(kEncodeChunk, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);  // end of stream
        } else {
            float** in = vorbis_analysis_buffer(&vd, int(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < sound.channels(); ++c) in[c][i] = sound.sample(done + i, c);
            vorbis_analysis_wrote(&vd, int(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op) != 0) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og) != 0) {
                    takePage(og);
                    if (ogg_page_eos(&og)) end = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return writeAll(path, out.data(), out.size());
}

}  // namespace assetgen
