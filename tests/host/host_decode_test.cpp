// The decoding process's replies as the game takes them: stand-in decoders (run in the decoding
// process like the real ones) answer with numbers and byte counts that do not add up, and the game
// must refuse each one, leave the result empty, replace the process and go on decoding.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/audio_decode.h"
#include "host/files.h"
#include "host/host_game.h"
#include "host/isolated_decode.h"

namespace {

// A stand-in decoder: succeeds with the four numbers A..D and a block of Sent bytes (each the
// low byte of its index), whatever the file holds.
template <int A, int B, int C, int D, size_t Sent>
bool StandIn(FILE*, OxDecoded* out) {
  out->data = static_cast<unsigned char*>(std::malloc(Sent > 0 ? Sent : 1));
  if (!out->data) return false;
  for (size_t i = 0; i < Sent; ++i) out->data[i] = static_cast<unsigned char>(i);
  out->size = Sent;
  const int info[4] = {A, B, C, D};
  std::memcpy(out->info, info, sizeof info);
  return true;
}

// Answers with the decoding process's own id, so a test can tell whether it was replaced.
constexpr OxReplyShape kWhoShape = {sizeof(int), 1, {sizeof(int), 0, 0, 0}, {sizeof(int), 0, 0, 0}};
bool WhoAmI(FILE*, OxDecoded* out) {
  const int pid = static_cast<int>(getpid());
  out->data = static_cast<unsigned char*>(std::malloc(sizeof pid));
  std::memcpy(out->data, &pid, sizeof pid);
  out->size = sizeof pid;
  out->info[0] = sizeof pid;
  return true;
}

class DecodeReplies : public ::testing::Test {
 protected:
  void SetUp() override {
    file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ASSERT_GE(std::fputs("any bytes: the stand-ins do not read them", file), 0);
  }
  void TearDown() override { std::fclose(file); }

  // The id of the decoding process that serves the next request.
  int Server() {
    OxDecoded who;
    EXPECT_TRUE(ox_decode_isolated(WhoAmI, file, kWhoShape, &who));
    int pid = -1;
    if (who.data) std::memcpy(&pid, who.data, sizeof pid);
    std::free(who.data);
    return pid;
  }

  FILE* file = nullptr;
};

struct BadReply {
  const char* name;
  OxDecoder decoder;
  const OxReplyShape* shape;
};

TEST_F(DecodeReplies, AReplyThatDoesNotAddUpIsAFailedDecodeAndTheProcessIsReplaced) {
  const BadReply cases[] = {
      {"picture 4x4x4 with 60 bytes (short)", StandIn<4, 4, 4, 0, 60>, &OX_PICTURE_REPLY},
      {"picture 4x4x4 with 68 bytes (long)", StandIn<4, 4, 4, 0, 68>, &OX_PICTURE_REPLY},
      {"picture -4x-4x4 with 64 bytes", StandIn<-4, -4, 4, 0, 64>, &OX_PICTURE_REPLY},
      {"picture 4x4 of depth -1", StandIn<4, 4, -1, 0, 0>, &OX_PICTURE_REPLY},
      {"picture 0x4x4 with no bytes", StandIn<0, 4, 4, 0, 0>, &OX_PICTURE_REPLY},
      {"picture 2x2 of depth 5", StandIn<2, 2, 5, 0, 20>, &OX_PICTURE_REPLY},
      {"picture 65536x65536x1 whose int product wraps to 0", StandIn<65536, 65536, 1, 0, 0>,
       &OX_PICTURE_REPLY},
      {"picture 46341x46341x1 whose int product wraps negative", StandIn<46341, 46341, 1, 0, 16>,
       &OX_PICTURE_REPLY},
      {"picture over the byte limit", StandIn<4097, 4096, 4, 0, 4097u * 4096 * 4>, &OX_PICTURE_REPLY},
      {"sound 100 frames x2x2 with 399 bytes (short)", StandIn<100, 2, 2, 44100, 399>, &OX_OGG_REPLY},
      {"sound 100 frames x2x2 with 401 bytes (long)", StandIn<100, 2, 2, 44100, 401>, &OX_OGG_REPLY},
      {"sound of -100 frames", StandIn<-100, 1, 2, 44100, 0>, &OX_OGG_REPLY},
      {"sound of no channels", StandIn<100, 0, 2, 44100, 0>, &OX_OGG_REPLY},
      {"sound of 4-byte samples", StandIn<100, 1, 4, 44100, 400>, &OX_OGG_REPLY},
      {"sound at 0 hertz", StandIn<100, 1, 2, 0, 200>, &OX_OGG_REPLY},
      {"sound whose int product wraps", StandIn<1 << 30, 2, 2, 44100, 0>, &OX_OGG_REPLY},
  };
  for (const BadReply& c : cases) {
    SCOPED_TRACE(c.name);
    const int before = Server();
    OxDecoded result;
    EXPECT_FALSE(ox_decode_isolated(c.decoder, file, *c.shape, &result));
    EXPECT_EQ(result.data, nullptr);
    EXPECT_EQ(result.size, 0u);
    EXPECT_EQ(std::vector<int>(result.info, result.info + 4), std::vector<int>(4, 0));
    std::free(result.data);
    const int after = Server();
    EXPECT_NE(after, -1);
    EXPECT_NE(after, before) << "the process that sent it still serves";
  }
}

TEST_F(DecodeReplies, RepliesThatAddUpAreTakenWhole) {
  struct Good {
    const char* name;
    OxDecoder decoder;
    const OxReplyShape* shape;
    std::vector<int> info;
    size_t size;
  };
  const Good cases[] = {
      {"picture 4x4x4", StandIn<4, 4, 4, 0, 64>, &OX_PICTURE_REPLY, {4, 4, 4, 0}, 64},
      {"picture 3x1x1", StandIn<3, 1, 1, 0, 3>, &OX_PICTURE_REPLY, {3, 1, 1, 0}, 3},
      {"sound 100 frames stereo", StandIn<100, 2, 2, 44100, 400>, &OX_OGG_REPLY, {100, 2, 2, 44100}, 400},
      {"sound with no frames", StandIn<0, 1, 2, 8000, 0>, &OX_OGG_REPLY, {0, 1, 2, 8000}, 0},
  };
  for (const Good& c : cases) {
    SCOPED_TRACE(c.name);
    const int before = Server();
    OxDecoded result;
    ASSERT_TRUE(ox_decode_isolated(c.decoder, file, *c.shape, &result));
    EXPECT_EQ(std::vector<int>(result.info, result.info + 4), c.info);
    ASSERT_EQ(result.size, c.size);
    ASSERT_NE(result.data, nullptr);
    for (size_t i = 0; i < c.size; ++i) ASSERT_EQ(result.data[i], static_cast<unsigned char>(i));
    std::free(result.data);
    EXPECT_EQ(Server(), before) << "a fitting reply keeps its process";
  }
}

// After refused replies the real picture decoder still loads a file.
TEST_F(DecodeReplies, TheGameGoesOnDecodingAfterARefusedReply) {
  OxDecoded result;
  EXPECT_FALSE(ox_decode_isolated(StandIn<4, 4, 4, 0, 60>, file, OX_PICTURE_REPLY, &result));
  const std::string png = "/tmp/qr_decode_" + std::to_string(getpid()) + ".png";
  const unsigned char rgb[] = {1, 2, 3, 4, 5, 6};
  ASSERT_NE(stbi_write_png(png.c_str(), 2, 1, 3, rgb, 6), 0);
  OxGlfwGame host;
  int w = 0, h = 0, depth = 0;
  unsigned char* pixels = host.LoadImageData(String(png.c_str()), &w, &h, &depth);
  std::remove(png.c_str());
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(std::vector<int>({w, h, depth}), std::vector<int>({2, 1, 3}));
  EXPECT_EQ(std::vector<unsigned char>(pixels, pixels + 6), std::vector<unsigned char>(rgb, rgb + 6));
  std::free(pixels);
}

}  // namespace
