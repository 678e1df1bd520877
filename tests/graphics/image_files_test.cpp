// Image files: each decoder on a small file made in the test, the fill-colour and alpha rules, and
// corrupt or hostile files.
#include <gtest/gtest.h>

#include "graphics/bitmap_ops.h"
#include "graphics/sprite.h"
#include "graphics_test_support.h"
#include "platform/image_codecs.h"

namespace qv::graphics {
namespace {

using namespace testing;

platform::DecodedImage Decoded(const data::TBitmap32& b) { return platform::DecodedImage{b.width, b.height, b.pixels, true}; }

TEST(ImageFiles, EachFormatDecodesItsPicture) {
  const data::TBitmap32 picture = FromRows({"rgbw", "kkrr", "wwbb"});
  struct Case {
    const char* ext;
    std::vector<uint8_t> bytes;
    int tolerance;  // JPEG is lossy
  };
  platform::GifAnimation gif{4, 3, {platform::GifFrame{0, 0, 4, 3, 0, picture.pixels}}};
  const Case cases[] = {
      {".png", EncodePng(picture), 0},
      {".tif", platform::EncodeTiff(Decoded(picture)), 0},
      {".gif", platform::EncodeGif(gif), 0},
      {".jpg", platform::EncodeJpeg(Decoded(data::TBitmap32(8, 8, 0xFF3366CC)), 100), 3},
  };
  for (const Case& c : cases) {
    auto b = DecodeImage(c.bytes.data(), c.bytes.size(), c.ext);
    ASSERT_TRUE(b) << c.ext;
    if (std::string(c.ext) == ".jpg") {
      ASSERT_EQ(b->width, 8);
      const uint32_t p = b->pixel(4, 4);
      EXPECT_EQ(p >> 24, 0xFFu);
      EXPECT_NEAR(int((p >> 16) & 255), 0x33, c.tolerance);
      EXPECT_NEAR(int((p >> 8) & 255), 0x66, c.tolerance);
      EXPECT_NEAR(int(p & 255), 0xCC, c.tolerance);
    } else {
      EXPECT_EQ(b->pixels, picture.pixels) << c.ext;
    }
  }
}

TEST(ImageFiles, AlphaChannelIsKeptAndTransparentGifPixelsShowTheFillColour) {
  // A PNG with an alpha channel keeps it (half-transparent stays half-transparent).
  data::TBitmap32 translucent(2, 1, 0x80FF0000);
  translucent.setPixel(1, 0, 0x00000000);
  auto png = EncodePng(translucent);
  auto b = DecodeImage(png.data(), png.size(), ".png");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->pixel(0, 0), 0x80FF0000u);
  EXPECT_EQ(b->pixel(1, 0), 0x00000000u);
  // A fully transparent PNG has no alpha information left: it becomes opaque.
  data::TBitmap32 none(2, 1, 0x00112233);
  png = EncodePng(none);
  b = DecodeImage(png.data(), png.size(), ".png");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->pixel(0, 0), 0xFF112233u);
  // A GIF's transparent colour is laid on red 254, green 255, blue 255.
  platform::GifAnimation gif{2, 1, {platform::GifFrame{0, 0, 2, 1, 0, {kRed, kClear}}}};
  auto bytes = platform::EncodeGif(gif);
  b = DecodeImage(bytes.data(), bytes.size(), ".gif");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->pixel(0, 0), kRed);
  EXPECT_EQ(b->pixel(1, 0), 0xFFFEFFFFu);
}

TEST(ImageFiles, CorruptAndHostileFilesGiveNoImage) {
  const data::TBitmap32 picture(16, 16, 0xFF336699);
  platform::GifAnimation gif{16, 16, {platform::GifFrame{0, 0, 16, 16, 0, picture.pixels}}};
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> good = {
      {".png", EncodePng(picture)},
      {".jpg", platform::EncodeJpeg(Decoded(picture), 90)},
      {".tif", platform::EncodeTiff(Decoded(picture))},
      {".gif", platform::EncodeGif(gif)},
  };
  for (const auto& [ext, bytes] : good) {
    // Every truncation and a few flipped bytes: no crash; truncations of the header give nothing.
    for (size_t cut : {size_t(0), size_t(1), size_t(8), bytes.size() / 2, bytes.size() - 1}) {
      auto b = DecodeImage(bytes.data(), cut, ext);
      if (cut <= 8) {
        EXPECT_FALSE(b) << ext << " cut at " << cut;
      }
      if (b) {
        EXPECT_EQ(b->pixels.size(), size_t(b->width) * size_t(b->height));
      }
    }
    std::vector<uint8_t> flipped = bytes;
    for (size_t i = 10; i < flipped.size(); i += 7) flipped[i] ^= 0x5A;
    auto b = DecodeImage(flipped.data(), flipped.size(), ext);
    if (b) {
      EXPECT_EQ(b->pixels.size(), size_t(b->width) * size_t(b->height));
    }
  }
  // A PNG header claiming 16384 x 16384 on a few bytes of data is refused before allocating.
  std::vector<uint8_t> huge = EncodePng(data::TBitmap32(1, 1, 0xFFFFFFFF));
  for (int i : {16, 20}) {
    huge[size_t(i)] = 0x00;
    huge[size_t(i) + 1] = 0x00;
    huge[size_t(i) + 2] = 0x40;
    huge[size_t(i) + 3] = 0x00;
  }
  EXPECT_FALSE(DecodeImage(huge.data(), huge.size(), ".png"));
  // An unknown extension decodes nothing.
  EXPECT_FALSE(DecodeImage(good[0].second.data(), good[0].second.size(), ".xyz"));
}

TEST(AnimatedGif, FramesComposeWithDisposalAndClipToTheCanvas) {
  // Frame 0 paints the left pixel red and keeps it (disposal 1); frame 1 paints the right pixel
  // green and restores (disposal 2); frame 2 lies partly outside the canvas.
  platform::GifAnimation gif{2, 1,
                             {platform::GifFrame{0, 0, 1, 1, 1, {kRed}}, platform::GifFrame{1, 0, 1, 1, 2, {kGreen}},
                              platform::GifFrame{1, 0, 1, 1, 0, {kBlue}}}};
  auto bytes = platform::EncodeGif(gif);
  std::vector<data::TBitmap32> frames = ComposeGifFrames(bytes.data(), bytes.size());
  ASSERT_EQ(frames.size(), 3u);
  constexpr uint32_t kCanvas = 0xFF408000;  // script colour 32832
  EXPECT_EQ(frames[0].pixels, (std::vector<uint32_t>{kRed, kCanvas}));
  EXPECT_EQ(frames[1].pixels, (std::vector<uint32_t>{kRed, kGreen}));  // frame 0 was kept
  EXPECT_EQ(frames[2].pixels, (std::vector<uint32_t>{kCanvas, kBlue}));  // frame 1 was disposed
  // An image reaching outside the logical screen is clipped.
  platform::GifAnimation outside{4, 4, {platform::GifFrame{1, 1, 3, 3, 0, std::vector<uint32_t>(9, kBlue)}}};
  bytes = platform::EncodeGif(outside);
  bytes[6] = 2;  // the logical screen becomes 2 x 2 after writing
  bytes[8] = 2;
  frames = ComposeGifFrames(bytes.data(), bytes.size());
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].pixels, (std::vector<uint32_t>{kCanvas, kCanvas, kCanvas, kBlue}));
}

}  // namespace
}  // namespace qv::graphics
