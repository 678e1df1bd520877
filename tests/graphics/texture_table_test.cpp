// The texture table on the recording device: sizes, texture coordinates, the edge border and ids.
#include <gtest/gtest.h>

#include "graphics/builtins.h"
#include "graphics_test_support.h"

namespace qv::graphics {
namespace {

using namespace testing;

class TextureTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGraphics();
    device = UseRecordingDevice();
  }
  void TearDown() override { ResetGraphics(); }
  platform::RecordingDevice* device = nullptr;
};

TEST_F(TextureTableTest, ImageOf20GetsA32TextureWithItsEdgeRepeated) {
  data::TBitmap32 b(20, 20, 0xFF102030);
  for (int i = 0; i < 20; ++i) {
    b.setPixel(19, i, 0xFF0000FF);  // last column blue
    b.setPixel(i, 19, 0xFFFF0000);  // last row red
  }
  const int id = textures().fromBitmap(b);
  ASSERT_GE(id, 0);
  const TextureEntry* e = textures().entry(id);
  EXPECT_EQ(e->textureWidth, 32);
  EXPECT_EQ(e->textureHeight, 32);
  EXPECT_EQ(Call(double(id)).run(Handler(TextureBuiltins(), "texture_get_width")).real, 0.625);
  const auto& t = device->textures.at(e->handle);
  EXPECT_EQ(t.texels[5 * 32 + 20], 0xFF0000FFu);   // column 20 repeats column 19
  EXPECT_EQ(t.texels[20 * 32 + 5], 0xFFFF0000u);   // row 20 repeats row 19
  EXPECT_EQ(t.texels[20 * 32 + 20], 0xFFFF0000u);  // the corner repeats (19, 19)
  EXPECT_EQ(t.texels[5 * 32 + 21], 0u);            // beyond the border: zero
  EXPECT_EQ(t.texels[21 * 32 + 5], 0u);
}

TEST_F(TextureTableTest, PowerOfTwoImageHasNoBorderAndSidesRoundSeparately) {
  const int id = textures().fromBitmap(data::TBitmap32(32, 32, 0xFFFFFFFF));
  EXPECT_EQ(textures().widthRatio(id), 1.0);
  const int wide = textures().fromBitmap(data::TBitmap32(33, 2, 0xFFFFFFFF));
  EXPECT_EQ(textures().entry(wide)->textureWidth, 64);
  EXPECT_EQ(textures().entry(wide)->textureHeight, 2);
  EXPECT_EQ(textures().heightRatio(wide), 1.0);
}

TEST_F(TextureTableTest, IdsReuseTheLowestFreedEntry) {
  for (int i = 0; i < 5; ++i) EXPECT_EQ(textures().fromBitmap(data::TBitmap32(2, 2, 0xFFFFFFFF)), i);
  textures().free(3);
  textures().free(1);
  EXPECT_FALSE(textures().exists(3));
  EXPECT_EQ(textures().fromBitmap(data::TBitmap32(2, 2, 0xFFFFFFFF)), 1);
  EXPECT_EQ(textures().fromBitmap(data::TBitmap32(2, 2, 0xFFFFFFFF)), 3);
  EXPECT_EQ(textures().fromBitmap(data::TBitmap32(2, 2, 0xFFFFFFFF)), 5);
  textures().free(99);  // unknown ids do nothing
  EXPECT_EQ(device->textures.size(), 6u);
}

TEST_F(TextureTableTest, UnusableImagesGetNoTexture) {
  EXPECT_EQ(textures().fromBitmap(data::TBitmap32()), -1);     // no pixels: nothing to draw
  EXPECT_EQ(textures().fromBitmap(data::TBitmap32(0, 5)), -1);
  EXPECT_EQ(textures().fromBitmap(data::TBitmap32(20000, 1, 0)), -1);  // above the device's maximum
  EXPECT_TRUE(device->textures.empty());
  // Unknown ids answer 1 and false.
  for (double id : {-1.0, 0.0, 12.0}) {
    EXPECT_EQ(Call(id).run(Handler(TextureBuiltins(), "texture_get_width")).real, 1.0);
    EXPECT_EQ(Call(id).run(Handler(TextureBuiltins(), "texture_get_height")).real, 1.0);
    EXPECT_EQ(Call(id).run(Handler(TextureBuiltins(), "texture_exists")).real, 0.0);
  }
}

TEST_F(TextureTableTest, AlphaMapsBecomeWhitePixels) {
  const uint8_t alpha[4] = {0, 64, 128, 255};
  const int id = textures().fromAlphaMap(2, 2, alpha);
  const auto& t = device->textures.at(textures().entry(id)->handle);
  EXPECT_EQ(t.texels[0], 0x00FFFFFFu);
  EXPECT_EQ(t.texels[1], 0x40FFFFFFu);
  EXPECT_EQ(t.texels[2], 0x80FFFFFFu);
  EXPECT_EQ(t.texels[3], 0xFFFFFFFFu);
}

TEST_F(TextureTableTest, TextureFunctionsSetTheStageStates) {
  using platform::TextureAddress;
  using platform::TextureFilter;
  using platform::TextureOp;
  Call(1.0).run(Handler(TextureBuiltins(), "texture_set_interpolation"));
  EXPECT_EQ(device->state().stage0.magFilter, TextureFilter::Linear);
  Call(0.0).run(Handler(TextureBuiltins(), "texture_set_interpolation"));
  EXPECT_EQ(device->state().stage0.minFilter, TextureFilter::Point);
  Call(1.0).run(Handler(TextureBuiltins(), "texture_set_repeat"));
  EXPECT_EQ(device->state().stage0.addressU, TextureAddress::Wrap);
  Call(0.0).run(Handler(TextureBuiltins(), "texture_set_repeat"));
  EXPECT_EQ(device->state().stage0.addressV, TextureAddress::Clamp);
  Call(0.0).run(Handler(TextureBuiltins(), "texture_set_blending"));
  EXPECT_EQ(device->state().stage0.colourOp, TextureOp::SelectArg1);
  Call(1.0).run(Handler(TextureBuiltins(), "texture_set_blending"));
  EXPECT_EQ(device->state().stage0.alphaOp, TextureOp::Modulate);
}

}  // namespace
}  // namespace qv::graphics
