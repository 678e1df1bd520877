// Sprites and backgrounds written as game data, read back as the loader reads them, prepared with
// their textures and shown through a minimal room drawing in a headless window.
#include <gtest/gtest.h>

#include "graphics/bitmap_ops.h"
#include "graphics/sprite_drawing.h"
#include "graphics_test_support.h"
#include "data/stream.h"

namespace qv::graphics {
namespace {

using namespace testing;

TEST(GameResources, WrittenSpritesAndBackgroundsShowAtTheirPixels) {
  ResetGraphics();
  // The game data: one background (a horizontal gradient) and a sprite of two frames whose second
  // frame is a cross, with the origin at its centre, after an empty sprite slot.
  data::CStream data;
  {
    ResourceList<CBackground> bgs;
    auto bg = std::make_unique<CBackground>();
    bg->image = MakeGradient(64, 48, 0x200000, 0x2000C0, 0);
    bgs.slots.push_back(std::move(bg));
    bgs.names.push_back("bg_sky");
    ResourceList<CSprite> sprs;
    sprs.slots.push_back(nullptr);
    sprs.names.push_back("");
    auto s = std::make_unique<CSprite>();
    s->frames = {data::TBitmap32(9, 9, 0xFFFF0000), FromRows({"....w....", "....w....", "....w....", "....w....", "wwwwwwwww",
                                                        "....w....", "....w....", "....w....", "....w...."})};
    s->xOrigin = 4;
    s->yOrigin = 4;
    ComputeSpriteMasks(*s, false, 0, kShapePrecise, kBoxAutomatic, {});
    sprs.slots.push_back(std::move(s));
    sprs.names.push_back("spr_cross");
    WriteBackgroundBlock(data, bgs);
    WriteSpriteBlock(data, sprs);
  }
  data.seek(0);
  ASSERT_TRUE(ReadBackgroundBlock(data, backgrounds()));
  ASSERT_TRUE(ReadSpriteBlock(data, sprites()));
  ASSERT_EQ(sprites().name(1), "spr_cross");
  EXPECT_EQ(sprites().get(1)->bbox, (Box{0, 0, 8, 8}));

  auto window = platform::GameWindow::Open(640, 480);
  if (!window) GTEST_SKIP() << "no OpenGL 3.3 window available";
  display().bindWindow(window.get());
  DisplaySettings settings;
  settings.scaling = 100;
  settings.windowColour = 0x000080;
  EXPECT_FALSE(window->visible());  // made hidden, so nothing half-made shows
  ASSERT_TRUE(PrepareGraphics(settings));
  EXPECT_TRUE(window->visible()) << "a prepared game's window shows";
  EXPECT_GE(sprites().get(1)->frameTexture(1), 0);
  EXPECT_GE(backgrounds().get(0)->texture, 0);

  // The room: 64 x 48, a black background colour, the background layer at (0, 0) and the cross
  // (frame 1) at (32, 24).
  display().setRegionSize(64, 48, true);
  display().setRenderSize(64, 48);
  display().drawRoom = [] {
    display().device()->clear(true, 0xFF000000, false, 1.0f);
    DrawBackground(*backgrounds().get(0), 0, 0);
    DrawSprite(*sprites().get(1), 1, 32, 24);
  };
  display().redraw();
  const data::TBitmap32 shot = display().capture(0, 0, 64, 48);
  ASSERT_EQ(shot.width, 64);
  const data::TBitmap32& bg = backgrounds().get(0)->image;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool cross = (x == 32 && y >= 20 && y <= 28) || (y == 24 && x >= 28 && x <= 36);
      ASSERT_EQ(shot.pixel(x, y), cross ? 0xFFFFFFFFu : bg.pixel(x, y)) << x << "," << y;
    }
  ResetGraphics();
}

}  // namespace
}  // namespace qv::graphics
