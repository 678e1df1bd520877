// Masks, bounding boxes, sprite and background records, sprite and background files, strips.
#include <gtest/gtest.h>

#include <fstream>

#include "graphics/background.h"
#include "graphics/bitmap_ops.h"
#include "graphics/mask.h"
#include "graphics/sprite.h"
#include "graphics_test_support.h"
#include "data/stream.h"

namespace qv::graphics {
namespace {

using namespace testing;

int CountBits(const TMask& m) { return int(std::count(m.bits.begin(), m.bits.end(), 1)); }

TEST(Mask, BoxKindsAndShapes) {
  const data::TBitmap32 frame = FromRows({"......", ".rr...", ".r....", "......"});
  struct Case {
    const char* what;
    int boxKind, shape;
    Box manual;
    Box box;
    int bits;
  };
  const Case cases[] = {
      {"automatic precise", kBoxAutomatic, kShapePrecise, {}, {1, 1, 2, 2}, 3},
      {"automatic rectangle", kBoxAutomatic, kShapeRectangle, {}, {1, 1, 2, 2}, 4},
      {"full image rectangle", kBoxFullImage, kShapeRectangle, {}, {0, 0, 5, 3}, 24},
      {"manual clipped", kBoxManual, kShapeRectangle, {-5, -5, 1000, 1000}, {0, 0, 5, 3}, 24},
      {"unknown box kind is manual", 7, kShapeRectangle, {2, 1, 3, 2}, {2, 1, 3, 2}, 4},
      {"unknown shape sets nothing", kBoxFullImage, 9, {}, {0, 0, 5, 3}, 0},
  };
  for (const Case& c : cases) {
    const TMask m = ComputeMask(frame, c.boxKind, c.manual, c.shape, 0);
    EXPECT_EQ(m.box(), c.box) << c.what;
    EXPECT_EQ(CountBits(m), c.bits) << c.what;
  }
}

TEST(Mask, EllipseAndDiamondOfA32Box) {
  const data::TBitmap32 frame(32, 32, 0xFFFFFFFF);
  const TMask e = ComputeMask(frame, kBoxFullImage, {}, kShapeEllipse, 0);
  // cx = 15.5, rx = 16: the corner is outside, the centre and the edge midpoints inside.
  EXPECT_FALSE(e.bit(0, 0));
  EXPECT_TRUE(e.bit(15, 15));
  EXPECT_TRUE(e.bit(16, 16));
  EXPECT_TRUE(e.bit(0, 15));
  EXPECT_TRUE(e.bit(31, 16));
  const TMask d = ComputeMask(frame, kBoxFullImage, {}, kShapeDiamond, 0);
  EXPECT_FALSE(d.bit(0, 0));
  EXPECT_FALSE(d.bit(4, 4));
  EXPECT_TRUE(d.bit(15, 15));
  EXPECT_FALSE(d.bit(0, 15));  // 15.5 / 16 + 0.5 / 16 is exactly 1: outside
  EXPECT_TRUE(d.bit(1, 15));
  EXPECT_LT(CountBits(d), CountBits(e));
  // A box with no extent (automatic box of an empty frame) sets nothing for these shapes.
  const TMask none = ComputeMask(data::TBitmap32(4, 4, 0), kBoxAutomatic, {}, kShapeEllipse, 0);
  EXPECT_EQ(CountBits(none), 0);
}

TEST(Mask, SharedMaskIsTheUnionAndSeparateMasksIgnoreEmptyFrames) {
  CSprite s;
  s.frames = {FromRows({"r...", "....", "....", "...."}), FromRows({"....", "....", "..g.", "...."})};
  ComputeSpriteMasks(s, false, 0, kShapePrecise, kBoxAutomatic, {});
  ASSERT_EQ(s.masks.size(), 1u);
  EXPECT_TRUE(s.masks[0].bit(0, 0));
  EXPECT_TRUE(s.masks[0].bit(2, 2));
  EXPECT_EQ(CountBits(s.masks[0]), 2);
  EXPECT_EQ(s.bbox, (Box{0, 0, 2, 2}));
  // Rectangles of a shared mask fill the merged box.
  ComputeSpriteMasks(s, false, 0, kShapeRectangle, kBoxAutomatic, {});
  EXPECT_EQ(CountBits(s.masks[0]), 9);
  // Separate masks: a fully transparent frame does not widen the sprite's box.
  CSprite t;
  t.frames = {FromRows({"....", ".r..", "....", "...."}), data::TBitmap32(4, 4, 0)};
  ComputeSpriteMasks(t, true, 0, kShapePrecise, kBoxAutomatic, {});
  ASSERT_EQ(t.masks.size(), 2u);
  EXPECT_EQ(t.masks[1].box(), (Box{3, 3, 0, 0}));
  EXPECT_EQ(t.bbox, (Box{1, 1, 1, 1}));
  EXPECT_EQ(t.frameMask(3), &t.masks[1]);
  EXPECT_EQ(t.frameMask(-1), &t.masks[1]);
  // No frames: box 0 and no mask.
  CSprite empty;
  ComputeSpriteMasks(empty, false, 0, kShapePrecise, kBoxAutomatic, {});
  EXPECT_TRUE(empty.masks.empty());
  EXPECT_EQ(empty.bbox, (Box{0, 0, 0, 0}));
  EXPECT_EQ(empty.width(), 1);
}

TEST(SpriteRecord, RoundTripsAndKeepsTheStoredBoxOrder) {
  ResourceList<CSprite> list;
  auto s = std::make_unique<CSprite>();
  s->xOrigin = 3;
  s->yOrigin = -2;
  s->frames = {FromRows({"r..", ".g.", "..b"}), FromRows({"...", "...", "..w"})};
  ComputeSpriteMasks(*s, true, 0, kShapePrecise, kBoxAutomatic, {});
  list.slots.push_back(std::move(s));
  list.names.push_back("spr_a");
  list.slots.push_back(nullptr);
  list.names.push_back("");
  data::CStream out;
  WriteSpriteBlock(out, list);
  out.seek(0);
  ResourceList<CSprite> back;
  ASSERT_TRUE(ReadSpriteBlock(out, back));
  ASSERT_EQ(back.count(), 2);
  EXPECT_FALSE(back.exists(1));
  const CSprite* b = back.get(0);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(back.names[0], "spr_a");
  EXPECT_EQ(b->xOrigin, 3);
  EXPECT_EQ(b->yOrigin, -2);
  EXPECT_EQ(b->frames[1].pixels, list.get(0)->frames[1].pixels);
  EXPECT_EQ(b->masks, list.get(0)->masks);
  EXPECT_EQ(b->masks[1].box(), (Box{2, 2, 2, 2}));
  EXPECT_EQ(b->bbox, (Box{0, 0, 2, 2}));

  // The mask record stores left, right, bottom, top.
  data::CStream m;
  TMask mask = ComputeMask(FromRows({"....", ".r..", ".rr.", "...."}), kBoxAutomatic, {}, kShapePrecise, 0);
  WriteMaskRecord(m, mask);
  m.seek(12);
  EXPECT_EQ(m.ReadInteger(), 1);  // left
  EXPECT_EQ(m.ReadInteger(), 2);  // right
  EXPECT_EQ(m.ReadInteger(), 2);  // bottom
  EXPECT_EQ(m.ReadInteger(), 1);  // top
}

TEST(SpriteRecord, RefusesCountsAndSizesThatDoNotFit) {
  auto record = [](auto fill) {
    data::CStream s;
    s.WriteBoolean(true);
    s.WriteString("x");
    fill(s);
    s.seek(0);
    return s;
  };
  std::unique_ptr<CSprite> out;
  std::string name;
  // Another version.
  auto s1 = record([](data::CStream& s) { s.WriteInteger(710); });
  EXPECT_FALSE(ReadSpriteRecord(s1, out, name));
  // A frame count far beyond the data.
  auto s2 = record([](data::CStream& s) {
    for (int32_t v : {800, 0, 0, 2000000000}) s.WriteInteger(v);
  });
  EXPECT_FALSE(ReadSpriteRecord(s2, out, name));
  auto s3 = record([](data::CStream& s) {
    for (int32_t v : {800, 0, 0, -1}) s.WriteInteger(v);
  });
  EXPECT_FALSE(ReadSpriteRecord(s3, out, name));
  // A mask claiming 10000 x 10000 bits with none in the data.
  auto s4 = record([](data::CStream& s) {
    for (int32_t v : {800, 0, 0, 1}) s.WriteInteger(v);
    WriteImageRecord(s, data::TBitmap32(1, 1, 0xFFFFFFFF));
    s.WriteBoolean(false);
    for (int32_t v : {800, 10000, 10000, 0, 0, 0, 0}) s.WriteInteger(v);
  });
  EXPECT_FALSE(ReadSpriteRecord(s4, out, name));
  EXPECT_EQ(out, nullptr);
  // A mask of another version is an empty mask: size 0 and box 0.
  auto s5 = record([](data::CStream& s) {
    for (int32_t v : {800, 0, 0, 1}) s.WriteInteger(v);
    WriteImageRecord(s, data::TBitmap32(2, 2, 0xFFFFFFFF));
    s.WriteBoolean(false);
    s.WriteInteger(799);
  });
  ASSERT_TRUE(ReadSpriteRecord(s5, out, name));
  EXPECT_EQ(out->masks[0].width, 0);
  EXPECT_EQ(out->bbox, (Box{0, 0, 0, 0}));
}

TEST(SpriteFile, ComputesMasksFromSettingsAndBleeds) {
  CSprite s;
  s.xOrigin = 1;
  s.frames = {FromRows({"r.", ".."})};
  SpriteFileSettings set;
  set.shape = kShapeRectangle;
  set.boxKind = kBoxFullImage;
  std::vector<uint8_t> bytes = WriteSpriteFile(s, set);
  auto back = ReadSpriteFile(bytes.data(), bytes.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->xOrigin, 1);
  EXPECT_EQ(back->bbox, (Box{0, 0, 1, 1}));
  EXPECT_EQ(CountBits(back->masks[0]), 4);
  EXPECT_EQ(back->frames[0].pixel(1, 0), kRed & 0x00FFFFFF);  // bled from the left
  bytes[0] ^= 1;  // not the file's first value
  EXPECT_FALSE(ReadSpriteFile(bytes.data(), bytes.size()));
  EXPECT_FALSE(ReadSpriteFile(bytes.data(), 3));
}

TEST(BackgroundRecordAndFile, RoundTrip) {
  ResourceList<CBackground> list;
  auto b = std::make_unique<CBackground>();
  b->image = FromRows({"rg", "bw"});
  list.slots.push_back(std::move(b));
  list.names.push_back("bg");
  data::CStream out;
  WriteBackgroundBlock(out, list);
  out.seek(0);
  ResourceList<CBackground> back;
  ASSERT_TRUE(ReadBackgroundBlock(out, back));
  EXPECT_EQ(back.get(0)->image.pixels, list.get(0)->image.pixels);
  EXPECT_EQ(back.name(0), "bg");
  EXPECT_EQ(back.name(1), "<undefined>");
  std::vector<uint8_t> file = WriteBackgroundFile(FromRows({"r."}));
  auto image = ReadBackgroundFile(file.data(), file.size());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixel(1, 0), kRed & 0x00FFFFFF);
}

TEST(SpriteFrames, StripDropsTheRemainderColumns) {
  data::TBitmap32 strip(100, 2, 0xFF00FF00);
  strip.setPixel(33, 0, kRed);  // first column of frame 1
  strip.setPixel(99, 0, kBlue);  // the dropped column
  const std::string path = TempPath("strip.png");
  ASSERT_TRUE(SavePng(strip, path));
  std::vector<data::TBitmap32> frames;
  ASSERT_TRUE(LoadSpriteFrames(path, 3, false, false, frames));
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].width, 33);
  EXPECT_EQ(frames[1].pixel(0, 0), kRed);
  EXPECT_EQ(frames[2].pixel(32, 0), 0xFF00FF00u);
  // More frames than columns: one frame per column at most.
  ASSERT_TRUE(LoadSpriteFrames(path, 1000000000, false, false, frames));
  EXPECT_EQ(frames.size(), 100u);
  EXPECT_FALSE(LoadSpriteFrames(TempPath("missing.png"), 1, false, false, frames));
}

TEST(Gradient, StraightKindsArePixelExact) {
  // Kind 0: column x has merge(col1, col2, x / w).
  data::TBitmap32 g = MakeGradient(4, 2, 0x000000, 0x0000FF, 0);
  EXPECT_EQ(g.pixel(0, 1), 0xFF000000u);
  EXPECT_EQ(g.pixel(1, 0), 0xFF400000u);  // 63.75 -> 64
  EXPECT_EQ(g.pixel(2, 1), 0xFF800000u);  // 127.5 -> 128 (even)
  EXPECT_EQ(g.pixel(3, 0), 0xFFBF0000u);  // 191.25 -> 191
  // Kind 2: nested rectangles; the centre gets the last colour.
  data::TBitmap32 r = MakeGradient(4, 4, 0x000000, 0xFFFFFF, 2);
  EXPECT_EQ(r.pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(r.pixel(1, 1), 0xFF808080u);
  // A one-pixel-wide picture takes t = 0 where the divisor would be 0.
  EXPECT_EQ(MakeGradient(1, 1, 0x0000FF, 0xFF0000, 4).pixel(0, 0), 0xFFFF0000u);
  // Unknown kind: col1 everywhere.
  EXPECT_EQ(MakeGradient(2, 2, 0x00FF00, 0xFF0000, 99).pixel(1, 1), 0xFF00FF00u);
}

}  // namespace
}  // namespace qv::graphics
