// Bitmap files: each pixel format decodes to the expected colours; corrupt files give no image.
#include "data/bmp_file.h"

#include <gtest/gtest.h>

using qv::data::DecodeBmp;
using qv::data::EncodeBmp;
using qv::data::TBitmap32;

namespace {

struct Bmp {
  int32_t width = 1, height = 1;
  uint16_t bpp = 24;
  uint32_t compression = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  std::vector<uint32_t> masks;    // written after a 40-byte header
  std::vector<uint8_t> pixels;
  uint32_t colorsUsed = 0;
  bool fileHeader = true;

  std::vector<uint8_t> bytes() const {
    std::vector<uint8_t> out;
    auto u16 = [&](uint32_t v) { out.push_back(uint8_t(v)); out.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    uint32_t offset = (fileHeader ? 14 : 0) + 40 + uint32_t(masks.size() + palette.size()) * 4;
    if (fileHeader) {
      out.push_back('B');
      out.push_back('M');
      u32(offset + uint32_t(pixels.size()));
      u32(0);
      u32(offset);
    }
    u32(40);
    u32(uint32_t(width));
    u32(uint32_t(height));
    u16(1);
    u16(bpp);
    u32(compression);
    u32(uint32_t(pixels.size()));
    u32(0);
    u32(0);
    u32(colorsUsed ? colorsUsed : uint32_t(palette.size()));
    u32(0);
    for (uint32_t m : masks) u32(m);
    for (uint32_t c : palette) u32(c);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
  }
};

Bmp make(int32_t width, int32_t height, uint16_t bpp, uint32_t compression = 0) {
  Bmp b;
  b.width = width;
  b.height = height;
  b.bpp = bpp;
  b.compression = compression;
  return b;
}

std::vector<uint32_t> decodePixels(const Bmp& b) {
  auto bytes = b.bytes();
  auto img = qv::data::DecodeBmp(bytes.data(), bytes.size());
  if (!img) return {};
  EXPECT_EQ(img->width, b.width);
  EXPECT_EQ(img->height, b.height < 0 ? -b.height : b.height);
  return img->pixels;
}

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kBlack = 0xFF000000,
                   kWhite = 0xFFFFFFFF;

}  // namespace

TEST(BmpFile, EachPixelFormatDecodes) {
  struct Case {
    const char* what;
    Bmp bmp;
    std::vector<uint32_t> expected;  // top row first
  };
  std::vector<Case> cases;
  {  // 1 bit, 3x2, bottom-up: file row 0 is the bottom row; rows padded to 4 bytes
    Bmp b = make(3, 2, 1);
    b.palette = {0x000000, 0xFFFFFF};
    b.pixels = {0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0};
    cases.push_back({"1 bit", b, {kBlack, kWhite, kBlack, kWhite, kBlack, kWhite}});
  }
  {  // 4 bit, 3x1
    Bmp b = make(3, 1, 4);
    b.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    b.pixels = {0x12, 0x30, 0, 0};
    cases.push_back({"4 bit", b, {kRed, kGreen, kBlue}});
  }
  {  // 8 bit, 2x2, top-down
    Bmp b = make(2, -2, 8);
    b.palette = {0xFF0000, 0x00FF00, 0x0000FF};
    b.pixels = {0, 1, 0, 0, 2, 0, 0, 0};
    cases.push_back({"8 bit top-down", b, {kRed, kGreen, kBlue, kRed}});
  }
  {  // 16 bit 5-5-5
    Bmp b = make(2, 1, 16);
    b.pixels = {0x00, 0x7C, 0x1F, 0x00};
    cases.push_back({"16 bit 555", b, {kRed, kBlue}});
  }
  {  // 16 bit 5-6-5 bitfields
    Bmp b = make(2, 1, 16, 3);
    b.masks = {0xF800, 0x07E0, 0x001F};
    b.pixels = {0xE0, 0x07, 0x00, 0xF8};
    cases.push_back({"16 bit 565", b, {kGreen, kRed}});
  }
  {  // 24 bit, 1x2, bottom-up, rows padded
    Bmp b = make(1, 2, 24);
    b.pixels = {0xFF, 0, 0, 0, 0, 0, 0xFF, 0};
    cases.push_back({"24 bit", b, {kRed, kBlue}});
  }
  {  // 32 bit plain: the fourth byte is not alpha
    Bmp b = make(2, 1, 32);
    b.pixels = {0, 0, 0xFF, 0x00, 0xFF, 0, 0, 0x12};
    cases.push_back({"32 bit", b, {kRed, kBlue}});
  }
  {  // 32 bit bitfields with alpha (the alpha-bitfields variant)
    Bmp b = make(1, 1, 32, 6);
    b.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    b.pixels = {0x30, 0x20, 0x10, 0x80};
    cases.push_back({"32 bit alpha", b, {0x80102030}});
  }
  {  // RLE8, 4x2: bottom row "run of 3 index 1, then 1 absolute?"; top row by delta and absolute
    Bmp b = make(4, 2, 8, 1);
    b.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    b.pixels = {3, 1, 0, 0,            // three reds, end of line
                0, 2, 1, 0,            // move right 1
                0, 3, 2, 3, 2, 0,      // absolute: green blue green, padded
                0, 1};                 // end of bitmap
    cases.push_back({"RLE8", b, {kBlack, kGreen, kBlue, kGreen, kRed, kRed, kRed, kBlack}});
  }
  {  // RLE4, 3x1: run of 3 alternating 1 and 2
    Bmp b = make(3, 1, 4, 2);
    b.palette = {0x000000, 0xFF0000, 0x00FF00};
    b.pixels = {3, 0x12, 0, 1};
    cases.push_back({"RLE4", b, {kRed, kGreen, kRed}});
  }
  {  // packed DIB without the file header
    Bmp b = make(1, 1, 24);
    b.fileHeader = false;
    b.pixels = {0xFF, 0, 0, 0};
    cases.push_back({"packed DIB", b, {kBlue}});
  }
  for (const Case& c : cases) EXPECT_EQ(decodePixels(c.bmp), c.expected) << c.what;
}

TEST(BmpFile, EncodeThenDecodeKeepsEveryPixelAndAlpha) {
  qv::data::TBitmap32 img(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) img.setPixel(x, y, uint32_t(x * 50) << 24 | uint32_t(y * 80) << 16 | uint32_t(x + y));
  auto bytes = qv::data::EncodeBmp(img);
  ASSERT_EQ(bytes[0], 'B');
  auto back = qv::data::DecodeBmp(bytes.data(), bytes.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 5);
  EXPECT_EQ(back->height, 3);
  EXPECT_EQ(back->pixels, img.pixels);
  EXPECT_TRUE(qv::data::EncodeBmp(qv::data::TBitmap32()).empty());
}

TEST(BmpFile, CorruptFilesGiveNoImage) {
  auto valid = [] {
    Bmp b = make(2, 2, 8);
    b.palette = {0xFF0000, 0x00FF00};
    b.pixels = {0, 1, 0, 0, 1, 0, 0, 0};
    return b;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  auto add = [&](const char* what, Bmp b) { cases.push_back({what, b.bytes()}); };
  {
    auto bytes = valid().bytes();
    bytes.resize(bytes.size() - 3);  // the last row's padding and one pixel
    cases.push_back({"pixels cut short", bytes});
    cases.push_back({"header cut short", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 30)});
    cases.push_back({"only the magic", {'B', 'M'}});
    cases.push_back({"nothing", {}});
    auto badPlanes = valid().bytes();
    badPlanes[14 + 12] = 2;
    cases.push_back({"two planes", badPlanes});
    auto farOffset = valid().bytes();
    farOffset[10] = 0xFF;
    farOffset[11] = 0xFF;
    cases.push_back({"pixel offset past the end", farOffset});
  }
  Bmp b = valid();
  b.bpp = 7;
  add("7 bits", b);
  b = valid();
  b.width = 0;
  add("zero width", b);
  b = valid();
  b.width = 100000;
  add("huge width", b);
  b = valid();
  b.height = -0x7FFFFFFF;
  add("huge top-down height", b);
  b = valid();
  b.compression = 9;
  add("unknown compression", b);
  b = valid();
  b.colorsUsed = 0x40000000;
  b.fileHeader = false;
  add("palette beyond the data", b);
  {
    Bmp r = make(2, 1, 8, 1);
    r.palette = {0};
    r.pixels = {5, 0, 0, 1};
    add("RLE run past the row", r);
    r.pixels = {0, 2, 0, 5, 0, 1};
    add("RLE move below the image", r);
    r.pixels = {0, 3, 1, 0};
    add("RLE absolute run past the data", r);
    r.height = -1;
    r.pixels = {0, 1};
    add("RLE top-down", r);
    Bmp huge = make(16384, 16384, 8, 1);  // a gigabyte claimed by four bytes
    huge.palette = {0};
    huge.pixels = {0, 0, 0, 1};
    add("RLE image far larger than its data", huge);
  }
  {
    Bmp m = make(1, 1, 32, 3);
    m.masks = {0x00FF00FF, 0x0000FF00, 0};
    m.pixels = {0, 0, 0, 0};
    add("mask with a gap", m);
    Bmp m24 = make(1, 1, 24, 3);
    m24.masks = {0xFF, 0xFF00, 0xFF0000};
    m24.pixels = {0, 0, 0, 0};
    add("bitfields at 24 bits", m24);
  }
  for (const Case& c : cases) EXPECT_FALSE(qv::data::DecodeBmp(c.bytes.data(), c.bytes.size()).has_value()) << c.what;
  EXPECT_FALSE(qv::data::DecodeBmp(nullptr, 10).has_value());
}
