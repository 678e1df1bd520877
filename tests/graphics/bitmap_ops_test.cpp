// Bitmap operations, the processing of added images, colour encodings, image records and the PNG writer.
#include <gtest/gtest.h>

#include "code/rounding.h"
#include "graphics/bitmap_ops.h"
#include "graphics/colour.h"
#include "graphics_test_support.h"
#include "platform/image_codecs.h"
#include "data/stream.h"

namespace qv::graphics {
namespace {

using namespace testing;

TEST(BitmapOps, AlphaBoundingBoxIsTightOrEmpty) {
  EXPECT_EQ(AlphaBoundingBox(FromRows({"....", ".r..", "..g.", "...."}), 0), (Box{1, 1, 2, 2}));
  // No pixel above the tolerance: the start value, whose left exceeds its right.
  EXPECT_EQ(AlphaBoundingBox(FromRows({"...", "..."}), 0), (Box{2, 1, 0, 0}));
  data::TBitmap32 faint(3, 3, 0x10FFFFFF);
  EXPECT_EQ(AlphaBoundingBox(faint, 0x10), (Box{2, 2, 0, 0}));
  EXPECT_EQ(AlphaBoundingBox(faint, 0x0F), (Box{0, 0, 2, 2}));
}

TEST(BitmapOps, MakeTransparentKeysOnBottomLeftAndKeepsColour) {
  data::TBitmap32 b = FromRows({"rg", "gr"});
  MakeBackgroundTransparent(b);  // bottom-left is green
  EXPECT_EQ(b.pixel(0, 0), kRed);
  EXPECT_EQ(b.pixel(1, 0), kGreen & 0x00FFFFFF);
  EXPECT_EQ(b.pixel(0, 1), kGreen & 0x00FFFFFF);
  EXPECT_EQ(b.pixel(1, 1), kRed);
}

TEST(BitmapOps, SmoothEdgesTakes32PerTransparentNeighbour) {
  // The centre pixel has three transparent neighbours on the top row: it loses 3 x 32.
  data::TBitmap32 b = FromRows({"...", "www", "www"});
  SmoothEdges(b);
  EXPECT_EQ(b.pixel(1, 1) >> 24, 255u - 96u);
  EXPECT_EQ(b.pixel(0, 1) >> 24, 255u - 64u);
  EXPECT_EQ(b.pixel(1, 2) >> 24, 255u);
  // Alpha below 32 is left alone.
  data::TBitmap32 faint = FromRows({".w"});
  faint.setPixel(1, 0, 0x1FFFFFFF);
  SmoothEdges(faint);
  EXPECT_EQ(faint.pixel(1, 0) >> 24, 31u);
}

TEST(BitmapOps, BleedTakesLeftThenRightThenAboveThenBelow) {
  data::TBitmap32 b = FromRows({".g.", "r.b", ".k."});
  BleedColours(b);
  EXPECT_EQ(b.pixel(0, 0), kGreen & 0x00FFFFFF);  // no left: the right neighbour
  EXPECT_EQ(b.pixel(2, 0), kGreen & 0x00FFFFFF);  // the left neighbour
  EXPECT_EQ(b.pixel(1, 1), kRed & 0x00FFFFFF);    // left before right, above and below
  EXPECT_EQ(b.pixel(0, 2), 0x00000000u);          // the black on its right
  // One column: above, and a pixel whose only neighbours are transparent keeps its colour.
  data::TBitmap32 column = FromRows({"g", ".", "."});
  column.setPixel(0, 2, 0x00123456);
  BleedColours(column);
  EXPECT_EQ(column.pixel(0, 1), kGreen & 0x00FFFFFF);
  EXPECT_EQ(column.pixel(0, 2), 0x00123456u);
  data::TBitmap32 below = FromRows({".", "b"});
  BleedColours(below);
  EXPECT_EQ(below.pixel(0, 0), kBlue & 0x00FFFFFF);
}

TEST(BitmapOps, ResizeSupersamplesAndCountsTransparentAsBlack) {
  data::TBitmap32 b = FromRows({"w.", ".w"});
  data::TBitmap32 one = Resized(b, 1, 1, 2);
  // Two white samples of four: each channel 2 * 255 / 4 = 127.5, rounded to even 128.
  EXPECT_EQ(one.pixel(0, 0), 0x80808080u);
  data::TBitmap32 up = Resized(FromRows({"rg"}), 4, 1, 1);
  EXPECT_EQ(up.pixel(0, 0), kRed);
  EXPECT_EQ(up.pixel(1, 0), kRed);
  EXPECT_EQ(up.pixel(2, 0), kGreen);
  EXPECT_EQ(up.pixel(3, 0), kGreen);
  // An empty source gives a transparent picture of the new size.
  data::TBitmap32 empty = Resized(data::TBitmap32(), 3, 2, 1);
  EXPECT_EQ(empty.width, 3);
  EXPECT_EQ(empty.pixel(2, 1), 0u);
}

TEST(BitmapOps, AlphaFromUsesIntensityOverTheOverlap) {
  data::TBitmap32 b(2, 1, 0xFF102030);
  data::TBitmap32 other(1, 1, 0xFF808080);  // intensity 384
  AlphaFrom(b, other);
  EXPECT_EQ(b.pixel(0, 0), (uint32_t(255 * 384 / 765) << 24) | 0x102030);
  EXPECT_EQ(b.pixel(1, 0), 0xFF102030u);  // outside the overlap
}

TEST(BitmapOps, CopyRectClipsToBothBitmaps) {
  data::TBitmap32 dst(3, 3, 0);
  CopyRect(dst, -1, 1, FromRows({"rgb", "rgb"}), 0, 0, 3, 2);
  EXPECT_EQ(dst.pixel(0, 1), kGreen);
  EXPECT_EQ(dst.pixel(1, 2), kBlue);
  EXPECT_EQ(dst.pixel(2, 1), 0u);
  EXPECT_EQ(GetPixel(dst, -1, 0), 0u);
  EXPECT_EQ(GetPixel(dst, 3, 0), 0u);
}

TEST(Colour, EncodingsAndConversions) {
  EXPECT_EQ(ScriptToDevice(0x0000FF, 1.0), 0xFFFF0000u);  // script red
  EXPECT_EQ(ScriptToDevice(0xFF0000, 0.5), 0x800000FFu);  // script blue; 127.5 rounds to even 128
  EXPECT_EQ(ScriptToDevice(0x00FF00, 7.0), 0xFF00FF00u);  // alpha clamped
  EXPECT_EQ(ScriptToDevice(0x00FF00, -1.0) >> 24, 0u);
  EXPECT_EQ(DeviceToScript(0xFF123456), 0x563412);
  struct Case { int r, g, b, h, s, v; };
  for (const Case& c : {Case{255, 0, 0, 0, 255, 255}, Case{0, 255, 0, 85, 255, 255}, Case{0, 0, 255, 170, 255, 255},
                        Case{128, 128, 128, 0, 0, 128}, Case{255, 128, 0, 21, 255, 255}}) {
    const Hsv hsv = RgbToHsv(c.r, c.g, c.b);
    EXPECT_EQ(hsv.hue, c.h) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(hsv.saturation, c.s);
    EXPECT_EQ(hsv.value, c.v);
  }
  int r = 0, g = 0, b = 0;
  HsvToRgb(255, 255, 255, r, g, b);  // hue 255 is 360 degrees, taken as 0: red
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 0);
  HsvToRgb(85, 255, 255, r, g, b);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(g, 255);
  // Saturations and values far beyond 255 (make_color_hsv and particle colours take any integer)
  // give channels truncated into 32 bits, never a conversion out of range (the sanitizer stops).
  HsvToRgb(0, 0, 2147483647, r, g, b);
  EXPECT_EQ(r, code::truncToInt32(2147483647.0 / 255.0 * 255.0));
  EXPECT_EQ(g, r);
  for (int extreme : {2147483647, -2147483647 - 1, 1 << 20}) {
    HsvToRgb(extreme, extreme, extreme, r, g, b);
    HsvToRgb(40, extreme, 255, r, g, b);
    HsvToRgb(40, 255, extreme, r, g, b);
  }
  EXPECT_EQ(MergeColour(0x000000, 0x0000FF, 0.5), 0x000080u);  // 127.5 to even
}

TEST(ImageRecord, RoundTripsThroughTheWriter) {
  data::CStream s;
  const data::TBitmap32 b = FromRows({"rg.", "bwk"});
  WriteImageRecord(s, b);
  WriteImageRecord(s, data::TBitmap32());
  s.seek(0);
  data::TBitmap32 back, empty;
  ASSERT_TRUE(ReadImageRecord(s, back));
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.pixels, b.pixels);
  ASSERT_TRUE(ReadImageRecord(s, empty));
  EXPECT_TRUE(empty.empty());
  EXPECT_TRUE(s.atEnd());
}

// Untrusted records: each is refused (no image) without a crash or a large allocation.
TEST(ImageRecord, RefusesRecordsThatDoNotFit) {
  struct Case {
    const char* what;
    int32_t version, w, h, blockLength;
    size_t bytes;
  };
  const Case cases[] = {
      {"other version", 710, 1, 1, 4, 4},
      {"two negative sides", 800, -2, -2, 16, 16},
      {"one negative side", 800, -1, 5, 0, 0},
      {"product overflows 32 bits", 800, 65536, 65536, 4, 4},
      {"side above the limit", 800, 20000, 1, 80000, 80000},
      {"block shorter than the picture", 800, 2, 2, 12, 12},
      {"block longer than the picture", 800, 1, 1, 8, 8},
  };
  for (const Case& c : cases) {
    data::CStream s;
    s.WriteInteger(c.version);
    s.WriteInteger(c.w);
    s.WriteInteger(c.h);
    s.WriteInteger(c.blockLength);
    std::vector<uint8_t> zeros(c.bytes, 0xFF);
    s.WriteBytes(zeros.data(), zeros.size());
    s.seek(0);
    data::TBitmap32 out(1, 1);
    EXPECT_FALSE(ReadImageRecord(s, out)) << c.what;
    EXPECT_TRUE(out.empty()) << c.what;
  }
  // A block length beyond the data ends the stream early: the reader's caller sees StreamError.
  data::CStream truncated;
  for (int32_t v : {800, 4, 4, 64}) truncated.WriteInteger(v);
  truncated.seek(0);
  data::TBitmap32 out;
  EXPECT_THROW(ReadImageRecord(truncated, out), data::StreamError);
}

TEST(PngWriter, WritesOneRgbaChunkSequenceThatDecodesBack) {
  const data::TBitmap32 b = FromRows({"rg.", "bwk"});
  std::vector<uint8_t> png = EncodePng(b);
  // Signature, then IHDR with depth 8 and colour type 6, then IDAT, then IEND.
  ASSERT_GT(png.size(), 8u + 25u + 12u);
  EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
  EXPECT_EQ(png[24], 8);
  EXPECT_EQ(png[25], 6);
  EXPECT_EQ(std::string(png.begin() + 37, png.begin() + 41), "IDAT");
  EXPECT_EQ(std::string(png.end() - 8, png.end() - 4), "IEND");
  auto decoded = platform::DecodePng(png.data(), png.size());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, 3);
  EXPECT_EQ(decoded->pixels, b.pixels);
  // The filter byte of every row is 0: the inflated data is rows of 1 + 4 * width bytes.
  const uint32_t idatLength = uint32_t(png[33]) << 24 | uint32_t(png[34]) << 16 | uint32_t(png[35]) << 8 | png[36];
  std::vector<uint8_t> raw = data::Inflate(png.data() + 41, idatLength, 1024);
  ASSERT_EQ(raw.size(), 2u * 13u);
  EXPECT_EQ(raw[0], 0);
  EXPECT_EQ(raw[13], 0);
  EXPECT_EQ(raw[1], 0xFF);  // red first: R, G, B, A
  EXPECT_EQ(raw[4], 0xFF);
}

}  // namespace
}  // namespace qv::graphics
