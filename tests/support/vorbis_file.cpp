// Ogg Vorbis encoding for tests: headers flushed to their own pages, the samples in chunks, an
// empty write to end the stream, and every packet paged out.
#include "tests/support/vorbis_file.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace qr_test {

namespace {

// One logical stream per file, always numbered the same so that the bytes repeat.
constexpr int kStreamSerial = 1;

}  // namespace

std::vector<unsigned char> EncodeVorbis(const VorbisStream& s) {
  std::vector<unsigned char> out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, s.channels, s.hertz, s.quality) != 0) {
    vorbis_info_clear(&vi);
    return out;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, kStreamSerial);
  ogg_page og;
  auto emit = [&out](const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };

  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  while (ogg_stream_flush(&os, &og)) emit(og);

  for (int done = 0;;) {
    const int n = std::min(s.chunkFrames, s.frames - done);
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&vd, n);
      for (int c = 0; c < s.channels; ++c) {
        for (int i = 0; i < n; ++i) buffer[c][i] = s.sample(done + i, c);
      }
    }
    vorbis_analysis_wrote(&vd, n > 0 ? n : 0);  // 0 marks the end of the stream
    ogg_packet op;
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og)) emit(og);
      }
    }
    if (n <= 0) break;
    done += n;
  }
  while (ogg_stream_flush(&os, &og)) emit(og);

  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

}  // namespace qr_test
