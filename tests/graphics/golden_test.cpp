// Pixels through the real OpenGL path, headless: sprites at integer and fractional positions,
// scaling with and without interpolation, the region scale modes and the outside colour, and
// captures. Pictures are compared with reviewed PNG files in tests/golden/ (per-channel tolerance
// 2); QV_UPDATE_GOLDEN=1 rewrites them instead (then look at each one before committing it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "graphics/bitmap_ops.h"
#include "data/bmp_file.h"
#include "graphics/builtins.h"
#include "graphics/sprite_drawing.h"
#include "graphics_test_support.h"
#include "platform/image_codecs.h"
#include "support/golden.h"

namespace qv::graphics {
namespace {

using namespace testing;

// A 20 x 20 test sprite: a one-pixel red border, a blue and white checkerboard of 2-pixel cells
// inside, and a green pixel at (5, 5), fully opaque.
data::TBitmap32 TestPicture() {
  data::TBitmap32 b(20, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      uint32_t c = ((x / 2 + y / 2) % 2) ? 0xFF2040E0 : 0xFFFFFFFF;
      if (x == 0 || y == 0 || x == 19 || y == 19) c = 0xFFE02020;
      b.setPixel(x, y, c);
    }
  b.setPixel(5, 5, 0xFF00C000);
  return b;
}

class Golden : public GLFixture {
 protected:
  void SetUp() override {
    GLFixture::SetUp();
    if (IsSkipped()) return;
    sprite.frames = {TestPicture()};
    CreateSpriteTextures(sprite);
  }
  // Clears the frame to grey (the viewport only), runs `draw`, and captures w x h from the top left.
  data::TBitmap32 Render(int w, int h, const std::function<void()>& draw) {
    display().beginFrame();
    display().device()->clear(true, 0xFF404040, false, 1.0f);
    draw();
    display().device()->endScene();
    return display().capture(0, 0, w, h);
  }
  CSprite sprite;
};

TEST_F(Golden, SpriteAtIntegerPositionLandsOnItsPixelsExactly) {
  // Linear filtering on: at an integer position every texel centre lies on a pixel centre, so the
  // picture is copied unchanged, with no bleeding row or column at its edges.
  display().interpolation = true;
  display().applyRenderStates();
  const data::TBitmap32 shot = Render(40, 40, [&] { DrawSprite(sprite, 0, 10, 12); });
  const data::TBitmap32 picture = TestPicture();
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 10 && x < 30 && y >= 12 && y < 32;
      const uint32_t want = inside ? picture.pixel(x - 10, y - 12) : 0xFF404040;
      ASSERT_EQ(shot.pixel(x, y), want) << "pixel " << x << "," << y;
    }
  // Shows the test sprite (red border, blue and white checks, one green pixel) on grey at (10, 12).
  ExpectGolden("sprite_integer", shot);
}

TEST_F(Golden, SpriteAtFractionalPositions) {
  display().interpolation = true;
  display().applyRenderStates();
  const data::TBitmap32 linear = Render(64, 32, [&] {
    DrawSprite(sprite, 0, 4.5, 4.5);
    DrawSprite(sprite, 0, 36.25, 6.75);
  });
  // At a half-pixel offset the quad runs from 4.0 to 24.0: pixel centres 4 to 23 are covered, each
  // sampling between two texels. Pixel 4 samples the clamped edge (pure red), pixel 5 blends four
  // texels (three red, one white), pixel 24 is not covered.
  EXPECT_EQ(linear.pixel(4, 4), 0xFFE02020u);
  EXPECT_NEAR(int((linear.pixel(5, 5) >> 8) & 255), (3 * 0x20 + 0xFF) / 4, 2);
  EXPECT_EQ(linear.pixel(24, 10), 0xFF404040u);
  // Shows two test sprites with soft edges: at (4.5, 4.5) and at (36.25, 6.75).
  ExpectGolden("sprite_fractional_linear", linear);
  display().interpolation = false;
  display().applyRenderStates();
  const data::TBitmap32 point = Render(64, 32, [&] { DrawSprite(sprite, 0, 36.25, 6.75); });
  // Without interpolation the picture stays sharp, shifted to whole pixels.
  EXPECT_EQ(point.pixel(36, 7), 0xFFE02020u);
  EXPECT_EQ(point.pixel(35, 7), 0xFF404040u);
  // Shows one sharp test sprite whose top-left corner lands on pixel (36, 7).
  ExpectGolden("sprite_fractional_point", point);
}

TEST_F(Golden, ScalingWithAndWithoutInterpolation) {
  display().interpolation = false;
  display().applyRenderStates();
  const data::TBitmap32 sharp = Render(70, 70, [&] { DrawSpriteExt(sprite, 0, 5, 5, 3, 3, 0, 0xFFFFFF, 1); });
  // Nearest filtering: each texel is an exact 3 x 3 block.
  const data::TBitmap32 picture = TestPicture();
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) ASSERT_EQ(sharp.pixel(5 + x, 5 + y), picture.pixel(x / 3, y / 3)) << x << "," << y;
  // Shows the test sprite three times its size with hard 3 x 3 blocks.
  ExpectGolden("sprite_scaled_point", sharp);
  display().interpolation = true;
  display().applyRenderStates();
  const data::TBitmap32 smooth = Render(70, 70, [&] { DrawSpriteExt(sprite, 0, 5, 5, 3, 3, 0, 0xFFFFFF, 1); });
  // Shows the same enlargement with blended block edges.
  ExpectGolden("sprite_scaled_linear", smooth);
  EXPECT_NE(smooth.pixels, sharp.pixels);
}

TEST_F(Golden, RegionScaleModesAndTheOutsideColour) {
  // A 160 x 120 region with the sprite in it, shown in a 400 x 260 window (outside colour dark
  // green) in each scale mode; the window's own picture is read back.
  window_->setClientRect(0, 0, 400, 260);
  display().clientWidth = 400;
  display().clientHeight = 260;
  display().regionWidth = 160;
  display().regionHeight = 120;
  display().setRenderSize(160, 120);
  display().windowColour = 0x006000;  // script colour: green 0x60
  display().interpolation = false;
  display().applyRenderStates();
  struct Case {
    const char* name;
    double scale;
    platform::Rect rect;
    bool integer = false;
  };
  const Case cases[] = {
      {"region_fixed", 1.0, {120, 70, 160, 120}},
      {"region_stretch", 0.0, {0, 0, 400, 260}},
      {"region_aspect", -1.0, {26, 0, 347, 260}},  // s = min(2.5, 2.1667); 346.67 rounds to 347
      {"region_fixed_double", 2.0, {40, 10, 320, 240}},
      {"region_integer", -1.0, {40, 10, 320, 240}, true},  // the player's integer scaling: 2.1667 -> 2
  };
  for (const Case& c : cases) {
    display().regionScale = c.scale;
    display().integerScaling = c.integer;
    Render(160, 120, [&] {
      display().device()->clear(true, 0xFF808080, false, 1.0f);
      DrawSprite(sprite, 0, 70, 50);
    });
    const platform::Rect r = display().drawingRect();
    EXPECT_EQ(r.x, c.rect.x) << c.name;
    EXPECT_EQ(r.width, c.rect.width) << c.name;
    display().device()->compose(platform::Rect{0, 0, 160, 120}, r, 0xFF006000, false);
    int w = 0, h = 0;
    std::vector<uint32_t> pixels = display().device()->readWindow(w, h);
    ASSERT_EQ(w, 400);
    ASSERT_EQ(h, 260);
    data::TBitmap32 shot;
    shot.width = w;
    shot.height = h;
    shot.pixels = std::move(pixels);
    // The bands outside the drawing rectangle are the window colour.
    if (r.x > 0) {
      EXPECT_EQ(shot.pixel(r.x - 1, 150), 0xFF006000u) << c.name;
      EXPECT_EQ(shot.pixel(r.x, 150), 0xFF808080u) << c.name;
    }
    // Shows a grey region with the test sprite, scaled into the window with dark green bands.
    ExpectGolden(c.name, shot);
  }
}

TEST_F(Golden, DrawsBatchWhileStateAndTextureStayTheSame) {
  CSprite other;
  other.frames = {data::TBitmap32(4, 4, 0xFF00FF00)};
  CreateSpriteTextures(other);
  platform::Device* device = display().device();
  auto callsFor = [&](const std::function<void()>& draw) {
    Render(64, 64, [] {});
    const uint64_t before = device->drawCalls();
    draw();
    device->endScene();
    return device->drawCalls() - before;
  };
  // 100 sprites of one texture: one call.
  EXPECT_EQ(callsFor([&] {
              for (int i = 0; i < 100; ++i) DrawSprite(sprite, 0, i % 40, i / 40);
            }),
            1u);
  // Alternating textures: one call each.
  EXPECT_EQ(callsFor([&] {
              for (int i = 0; i < 100; ++i) DrawSprite(i % 2 ? other : sprite, 0, i % 40, i / 40);
            }),
            100u);
  // A state change in the middle splits the batch.
  EXPECT_EQ(callsFor([&] {
              for (int i = 0; i < 10; ++i) DrawSprite(sprite, 0, i, 0);
              display().interpolation = !display().interpolation;
              display().applyRenderStates();
              for (int i = 0; i < 10; ++i) DrawSprite(sprite, 0, i, 10);
            }),
            2u);
  // Batching changes no pixel: the batched frame equals the same sprites drawn one call each.
  const data::TBitmap32 batched = Render(64, 64, [&] {
    for (int i = 0; i < 30; ++i) DrawSprite(sprite, 0, (i * 7) % 44, (i * 5) % 44);
  });
  const data::TBitmap32 single = Render(64, 64, [&] {
    for (int i = 0; i < 30; ++i) {
      DrawSprite(sprite, 0, (i * 7) % 44, (i * 5) % 44);
      device->endScene();
    }
  });
  EXPECT_EQ(batched.pixels, single.pixels);
  FreeSpriteTextures(other);
}

TEST_F(Golden, CaptureGivesTheDrawnPixelsToSpritesAndFiles) {
  display().interpolation = true;
  display().applyRenderStates();
  Render(40, 40, [&] { DrawSprite(sprite, 0, 0, 0); });
  const double id = Call(0.0, 0.0, 20.0, 20.0, 0.0, 0.0, 3.0, 4.0).run(Handler(SpriteBuiltins(), "sprite_create_from_screen")).real;
  const CSprite* captured = sprites().get(int(id));
  ASSERT_NE(captured, nullptr);
  EXPECT_EQ(captured->frames[0].pixels, TestPicture().pixels);
  EXPECT_EQ(captured->xOrigin, 3);
  // A rectangle starting left of the buffer keeps its width and is cut to the render size.
  EXPECT_EQ(display().capture(-5, 0, 10, 10).width, 10);
  EXPECT_EQ(display().capture(630, 0, 50, 10).width, 10);
  EXPECT_TRUE(display().capture(700, 0, 50, 10).empty());
  // screen_save_part with .PNG in capitals writes a PNG whose pixels are opaque.
  const std::string path = TempPath("shot.PNG");
  Call(path, 0.0, 0.0, 20.0, 20.0).run(Handler(DisplayBuiltins(), "screen_save_part"));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  auto png = platform::DecodePng(bytes.data(), bytes.size());
  ASSERT_TRUE(png);
  EXPECT_EQ(png->pixels, TestPicture().pixels);
  // Any other extension writes a Windows bitmap of the back buffer's 32-bit pixels.
  const std::string bmp = TempPath("shot.bmp");
  Call(bmp, 0.0, 0.0, 20.0, 20.0).run(Handler(DisplayBuiltins(), "screen_save_part"));
  ASSERT_TRUE(ReadWholeFile(bmp, bytes));
  auto decoded = data::DecodeBmp(bytes.data(), bytes.size());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->pixels, TestPicture().pixels);
}

}  // namespace
}  // namespace qv::graphics
