// The sprite_* and background_* functions called directly: slots and indices, copies, merges,
// errors and files. Textures go to the recording device.
#include <gtest/gtest.h>

#include "graphics/bitmap_ops.h"
#include "data/bmp_file.h"
#include "graphics/builtins.h"
#include "graphics_test_support.h"
#include "platform/image_codecs.h"

namespace qv::graphics {
namespace {

using namespace testing;

code::BuiltinHandler S(const char* name) { return Handler(SpriteBuiltins(), name); }
code::BuiltinHandler B(const char* name) { return Handler(BackgroundBuiltins(), name); }

class ResourceBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGraphics();
    UseRecordingDevice();
    stripPath = TempPath("three.png");
    data::TBitmap32 strip(30, 10, 0xFF0000FF);
    for (int y = 0; y < 10; ++y) strip.setPixel(29, y, 0xFFFF0000);
    ASSERT_TRUE(SavePng(strip, stripPath));
  }
  void TearDown() override { ResetGraphics(); }
  int AddStrip(int frames) { return int(Call(stripPath, double(frames), 0.0, 0.0, 1.0, 2.0).run(S("sprite_add")).real); }
  std::string stripPath;
};

TEST_F(ResourceBuiltins, AddingDeletingAndIndices) {
  EXPECT_EQ(AddStrip(3), 0);
  EXPECT_EQ(Call(0.0).run(S("sprite_get_number")).real, 3.0);
  EXPECT_EQ(Call(0.0).run(S("sprite_get_width")).real, 10.0);
  EXPECT_EQ(Call(0.0).run(S("sprite_get_xoffset")).real, 1.0);
  EXPECT_EQ(Call(0.0).run(S("sprite_name")).str, "__newsprite0");
  EXPECT_EQ(Call(0.0).run(S("sprite_get_bbox_right")).real, 9.0);
  // A missing file: -1 and the count does not change, so the next sprite gets index 1.
  EXPECT_EQ(Call(TempPath("none.png"), 1.0, 0.0, 0.0, 0.0, 0.0).run(S("sprite_add")).real, -1.0);
  EXPECT_EQ(sprites().count(), 1);
  EXPECT_EQ(AddStrip(1), 1);
  // Deleting keeps the slot empty: new sprites go to the end.
  EXPECT_EQ(Call(1.0).run(S("sprite_delete")).real, 1.0);
  EXPECT_EQ(Call(1.0).run(S("sprite_exists")).real, 0.0);
  EXPECT_EQ(Call(1.0).run(S("sprite_name")).str, "<undefined>");
  EXPECT_EQ(AddStrip(1), 2);
  EXPECT_EQ(Call(1.0).run(S("sprite_exists")).real, 0.0);
  // Getters of a sprite that does not exist answer -1; a sprite without frames is 1 x 1.
  EXPECT_EQ(Call(1.0).run(S("sprite_get_width")).real, -1.0);
  sprites().append(std::make_unique<CSprite>(), "__newsprite");
  EXPECT_EQ(Call(3.0).run(S("sprite_get_width")).real, 1.0);
  EXPECT_EQ(Call(3.0).run(S("sprite_get_number")).real, 0.0);
}

TEST_F(ResourceBuiltins, ErrorsReportTheirMessages) {
  struct Case {
    code::BuiltinHandler h;
    Call call;
    const char* message;
  };
  const std::string f = stripPath;
  Case cases[] = {
      {S("sprite_delete"), Call(5.0), "Trying to delete non-existing sprite."},
      {S("sprite_duplicate"), Call(5.0), "Trying to duplicate non-existing sprite."},
      {S("sprite_replace"), Call(5.0, f, 1.0, 0.0, 0.0, 0.0, 0.0), "Trying to replace non-existing sprite."},
      {S("sprite_replace_sprite"), Call(5.0, f), "Trying to replace non-existing sprite."},
      {S("sprite_assign"), Call(0.0, 5.0), "Error assigning a sprite."},
      {S("sprite_assign"), Call(7.0, 0.0), "Error assigning a sprite."},
      {S("sprite_merge"), Call(5.0, 0.0), "Trying to merge to non-existing sprite."},
      {S("sprite_merge"), Call(0.0, 5.0), "Trying to merge from non-existing sprite."},
      {S("sprite_save"), Call(5.0, 0.0, f), "Trying to save non-existing sprite bitmap."},
      {S("sprite_save"), Call(0.0, 0.0, std::string()), "Trying to save sprite bitmap to empty image file name."},
      {S("sprite_save_strip"), Call(0.0, std::string()), "Trying to save sprite bitmap to empty image file name."},
      {S("sprite_collision_mask"), Call(5.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0),
       "Trying to set collision mode for non-existing sprite."},
      {S("sprite_add_from_screen"), Call(5.0, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0), "Trying to add to non-existing sprite."},
      {S("sprite_get_texture"), Call(5.0, 0.0), "Trying to get texture from non-existing sprite."},
      {B("background_delete"), Call(5.0), "Trying to delete non-existing background."},
      {B("background_duplicate"), Call(5.0), "Trying to duplicate non-existing background."},
      {B("background_replace"), Call(5.0, f, 0.0, 0.0), "Trying to replace non-existing background."},
      {B("background_assign"), Call(0.0, 5.0), "Error assigning a background."},
      {B("background_save"), Call(5.0, f), "Trying to save non-existing background bitmap."},
      {B("background_get_texture"), Call(5.0), "Trying to get texture from non-existing background."},
  };
  AddStrip(1);
  for (Case& c : cases) {
    code::errorState() = code::ErrorState();
    c.call.run(c.h);
    EXPECT_EQ(code::errorState().last, c.message);
  }
}

TEST_F(ResourceBuiltins, CopiesMergesAndAlpha) {
  AddStrip(3);  // 3 frames of 10 x 10
  AddStrip(1);  // 1 frame of 30 x 10
  // Merging with itself appends each frame once.
  Call(0.0, 0.0).run(S("sprite_merge"));
  EXPECT_EQ(sprites().get(0)->frameCount(), 6);
  // Merged frames take frame 0's size.
  Call(0.0, 1.0).run(S("sprite_merge"));
  EXPECT_EQ(sprites().get(0)->frameCount(), 7);
  EXPECT_EQ(sprites().get(0)->frames[6].width, 10);
  // Assigning to itself changes nothing; duplicating makes a deep copy with its own textures.
  Call(0.0, 0.0).run(S("sprite_assign"));
  EXPECT_EQ(sprites().get(0)->frameCount(), 7);
  const int dup = int(Call(1.0).run(S("sprite_duplicate")).real);
  EXPECT_EQ(dup, 2);
  EXPECT_EQ(sprites().get(2)->frames[0].pixels, sprites().get(1)->frames[0].pixels);
  EXPECT_NE(sprites().get(2)->textures[0], sprites().get(1)->textures[0]);
  // Alpha from another sprite leaves the masks as they were.
  const auto masks = sprites().get(1)->masks;
  auto dark = std::make_unique<CSprite>();
  dark->frames = {data::TBitmap32(30, 10, 0xFF000000)};
  const int darkIndex = sprites().append(std::move(dark), "__newsprite");
  Call(1.0, double(darkIndex)).run(S("sprite_set_alpha_from_sprite"));
  EXPECT_EQ(sprites().get(1)->frames[0].pixel(0, 0) >> 24, 0u);
  EXPECT_EQ(sprites().get(1)->masks, masks);
  // The collision mask function recomputes with its own values.
  Call(1.0, 1.0, 2.0, -5.0, -5.0, 1000.0, 1000.0, 1.0, 0.0).run(S("sprite_collision_mask"));
  EXPECT_EQ(Call(1.0).run(S("sprite_get_bbox_right")).real, 29.0);
  EXPECT_TRUE(sprites().get(1)->separateMasks);
}

TEST_F(ResourceBuiltins, SavingFramesAndStrips) {
  AddStrip(3);
  const std::string one = TempPath("frame.Png");
  Call(0.0, 2.0, one).run(S("sprite_save"));
  auto frame = ReadImageFile(one);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->width, 10);
  EXPECT_EQ(frame->pixel(9, 0), 0xFFFF0000u);  // the strip's last column is in frame 2
  const std::string strip = TempPath("strip.bmp");  // a strip is a PNG whatever the name
  Call(0.0, strip).run(S("sprite_save_strip"));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(strip, bytes));
  auto png = platform::DecodePng(bytes.data(), bytes.size());
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 30);
  // Any other extension writes a 32-bit Windows bitmap, alpha kept; it loads back as a background.
  const std::string bmp = TempPath("frame.bmp");
  Call(0.0, 2.0, bmp).run(S("sprite_save"));
  ASSERT_TRUE(ReadWholeFile(bmp, bytes));
  auto decoded = data::DecodeBmp(bytes.data(), bytes.size());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->pixels, sprites().get(0)->frames[2].pixels);
  EXPECT_EQ(Call(bmp, 0.0, 0.0).run(B("background_add")).real, 0.0);
  EXPECT_EQ(backgrounds().get(0)->image.pixels, sprites().get(0)->frames[2].pixels);
  // A frame outside 0 .. count-1 writes nothing.
  const std::string none = TempPath("none_written.png");
  Call(0.0, 3.0, none).run(S("sprite_save"));
  EXPECT_FALSE(ReadWholeFile(none, bytes));
}

TEST_F(ResourceBuiltins, BackgroundsFromColoursFilesAndCopies) {
  EXPECT_EQ(Call(4.0, 3.0, double(0x00FF00)).run(B("background_create_color")).real, 0.0);
  EXPECT_EQ(backgrounds().get(0)->image.pixel(3, 2), 0xFF00FF00u);
  EXPECT_EQ(Call(0.0).run(B("background_name")).str, "__newbackground0");
  EXPECT_EQ(Call(stripPath, 0.0, 0.0).run(B("background_add")).real, 1.0);
  EXPECT_EQ(Call(1.0).run(B("background_get_width")).real, 30.0);
  EXPECT_EQ(Call(TempPath("none.png"), 0.0, 0.0).run(B("background_add")).real, -1.0);
  EXPECT_EQ(Call(9.0).run(B("background_get_height")).real, -1.0);
  // Replacing from a missing file answers 0 and leaves the background cleared.
  EXPECT_EQ(Call(1.0, TempPath("none.png"), 0.0, 0.0).run(B("background_replace")).real, 0.0);
  EXPECT_EQ(Call(1.0).run(B("background_get_width")).real, 0.0);
  Call(1.0, 0.0).run(B("background_assign"));
  EXPECT_EQ(Call(1.0).run(B("background_get_width")).real, 4.0);
  const std::string file = TempPath("bg.png");
  Call(1.0, file).run(B("background_save"));
  auto saved = ReadImageFile(file);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->pixel(0, 0), 0xFF00FF00u);
  // Background files written by our writer are read back (with colour bleeding).
  const std::string bgFile = TempPath("tiles.bg");
  {
    std::vector<uint8_t> bytes = WriteBackgroundFile(data::TBitmap32(2, 2, 0xFF123456));
    std::FILE* f = std::fopen(bgFile.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  const double added = Call(bgFile).run(B("background_add_background")).real;
  EXPECT_EQ(added, 2.0);
  EXPECT_EQ(backgrounds().get(2)->image.pixel(1, 1), 0xFF123456u);
  EXPECT_EQ(Call(stripPath).run(B("background_add_background")).real, -1.0);  // not a background file
}

}  // namespace
}  // namespace qv::graphics
