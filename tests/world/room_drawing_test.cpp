// Rooms of written games drawn headless through the real OpenGL device: the depth merge with ties
// between instances and tiles, background and foreground layers, views with their ports and a
// rotated view, and tiles with parts, scales, blends and alpha. Each picture is compared with a
// reviewed PNG in tests/golden/, and the pixels the drawing rules fix are asserted as well.
#include <gtest/gtest.h>

#include "graphics/draw_test_support.h"
#include "game/game_loop.h"
#include "world/game_world.h"
#include "world/room_drawing.h"
#include "world_game.h"

namespace qv::world {
namespace {

using data::TBitmap32;
using graphics::display;
using testing::TestGame;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
constexpr uint32_t kYellow = 0xFFFFFF00, kMagenta = 0xFFFF00FF, kCyan = 0xFF00FFFF;

// A picture of w x h pixels whose columns [x0, x1) have the colours given in order.
data::TBitmap32 Stripes(int w, int h, std::initializer_list<std::pair<int, uint32_t>> columns) {
  data::TBitmap32 b(w, h, 0);
  int x = 0;
  for (auto [width, colour] : columns)
    for (int end = x + width; x < end; ++x)
      for (int y = 0; y < h; ++y) b.setPixel(x, y, colour);
  return b;
}

class RoomPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    graphics::drawtest::ResetDrawing();
    window_ = platform::GameWindow::Open(640, 480);
    if (!window_) GTEST_SKIP() << "no OpenGL 3.3 window available";
    display().bindWindow(window_.get());
    if (!display().createDevice(640, 480, false)) GTEST_SKIP() << "no OpenGL device";
    // Point sampling, as games have it unless they ask for interpolated colours.
    display().interpolation = false;
    display().applyRenderStates();
  }
  void TearDown() override {
    if (started_) EndGame();
    graphics::drawtest::ResetDrawing();
    window_.reset();
  }
  // Loads the game, enters its first room (which sizes the region) and draws the room once;
  // returns the region's pixels.
  data::TBitmap32 DrawFirstRoom(TestGame& g) {
    EXPECT_TRUE(g.load());
    for (int i = 0; i < graphics::sprites().count(); ++i)
      if (auto* s = graphics::sprites().get(i)) graphics::CreateSpriteTextures(*s);
    for (int i = 0; i < graphics::backgrounds().count(); ++i)
      if (auto* b = graphics::backgrounds().get(i)) graphics::CreateBackgroundTexture(*b);
    StartGame();
    started_ = true;
    display().beginFrame();
    DrawCurrentRoom();
    display().device()->endScene();
    return display().capture(0, 0, display().regionWidth, display().regionHeight);
  }
  std::unique_ptr<platform::GameWindow> window_;
  bool started_ = false;
};

TEST_F(RoomPictures, InstancesTilesAndLayersFollowTheDepthOrder) {
  TestGame g;
  g.colourSprite(0, "spr_green", 16, 16, kGreen);
  g.colourSprite(1, "spr_white", 16, 16, kWhite);
  g.colourSprite(2, "spr_magenta", 16, 16, kMagenta);
  g.background(0, "bk_checks", Stripes(16, 16, {{8, 0xFF000060}, {8, 0xFF202020}}));
  g.background(1, "bk_tiles", Stripes(32, 16, {{16, kRed}, {16, kYellow}}));
  g.background(2, "bk_strip", Stripes(64, 8, {{64, kCyan}}));
  auto object = [&](const char* name, int32_t sprite, int32_t depth) {
    auto& o = g.object(name);
    o.object.sprite = sprite;
    o.object.depth = depth;
  };
  object("obj_green", 0, 0);
  object("obj_white", 1, 0);
  object("obj_front", 2, -10);
  auto& r = g.room("rm").place(0, 8, 8, 100001).place(1, 16, 12, 100002).place(2, 40, 8, 100003);
  r.room.width = 64;
  r.room.height = 48;
  r.room.backgroundColor = 0x404040;
  r.room.backgrounds[0].visible = true;
  r.room.backgrounds[0].index = 0;
  r.room.backgrounds[1].visible = true;
  r.room.backgrounds[1].foreground = true;
  r.room.backgrounds[1].index = 2;
  r.room.backgrounds[1].y = 40;
  r.room.backgrounds[1].htiled = r.room.backgrounds[1].vtiled = false;
  auto tile = [&](int32_t left, double x, double y, double depth, int32_t id) {
    CTile t;
    t.background = 1;
    t.left = left;
    t.width = t.height = 16;
    t.x = x;
    t.y = y;
    t.depth = depth;
    t.id = id;
    r.room.tiles.push_back(t);
  };
  tile(0, 20, 16, 0, 10000001);     // red, at the instances' depth: drawn after them
  tile(16, 44, 12, 5, 10000002);    // yellow, behind the magenta instance
  tile(0, 0, 32, 1000, 10000003);   // red, deep: under everything, its lower half under the strip
  const data::TBitmap32 shot = DrawFirstRoom(g);
  ASSERT_EQ(shot.width, 64);
  ASSERT_EQ(shot.height, 48);
  EXPECT_EQ(shot.pixel(10, 10), kGreen);
  EXPECT_EQ(shot.pixel(18, 14), kWhite) << "equal depth: the later instance covers the earlier";
  EXPECT_EQ(shot.pixel(22, 18), kRed) << "equal depth: the tile covers the instance";
  EXPECT_EQ(shot.pixel(46, 14), kMagenta) << "the nearer instance covers the deeper tile";
  EXPECT_EQ(shot.pixel(58, 26), kYellow);
  EXPECT_EQ(shot.pixel(2, 36), kRed);
  EXPECT_EQ(shot.pixel(2, 42), kCyan) << "the foreground covers the tile";
  EXPECT_EQ(shot.pixel(60, 2), 0xFF202020u) << "the tiled background layer";
  EXPECT_EQ(shot.pixel(52, 2), 0xFF000060u);
  // Shows: dark blue and grey vertical stripes (the tiled layer); a green square at (8, 8) under
  // a white one at (16, 12), itself partly under a red tile at (20, 16); a magenta square at
  // (40, 8) over a yellow tile at (44, 12); a red tile at (0, 32) whose lower half lies under the
  // cyan foreground strip along the bottom.
  ExpectGolden("room_depth_order", shot);
}

TEST_F(RoomPictures, ViewsDrawIntoTheirPortsAndARotatedViewTurnsTheRoom) {
  TestGame g;
  g.colourSprite(0, "spr_red", 16, 16, kRed);
  g.colourSprite(1, "spr_green", 16, 16, kGreen);
  g.colourSprite(2, "spr_blue", 16, 8, kBlue);
  for (int i = 0; i < 3; ++i) {
    auto& o = g.object("obj" + std::to_string(i));
    o.object.sprite = i;
  }
  auto& r = g.room("rm").place(0, 0, 0, 100001).place(1, 84, 4, 100002).place(0, 0, 100, 100003).place(2, 30, 100, 100004);
  r.room.width = 200;
  r.room.height = 160;
  r.room.backgroundColor = 0x808080;
  r.room.viewsEnabled = true;
  auto view = [&](size_t k, int32_t vx, int32_t vy, int32_t vw, int32_t vh, int32_t px, int32_t py, int32_t pw,
                  int32_t ph) {
    CView& v = r.room.views[k];
    v.visible = true;
    v.xview = vx, v.yview = vy, v.wview = vw, v.hview = vh;
    v.xport = px, v.yport = py, v.wport = pw, v.hport = ph;
  };
  view(0, 0, 0, 60, 60, 0, 0, 60, 60);          // one to one
  view(1, 80, 0, 30, 30, 70, 0, 60, 60);        // magnified twice
  view(2, 0, 100, 60, 60, 0, 70, 60, 60);       // turned below
  // The angle is not in the room record; the room's creation code turns view 2.
  r.room.creationCode = "view_angle[2] = 90";
  const data::TBitmap32 shot = DrawFirstRoom(g);
  ASSERT_EQ(shot.width, 130) << "the region spans the ports";
  ASSERT_EQ(shot.height, 130);
  EXPECT_EQ(shot.pixel(1, 1), kRed);
  EXPECT_EQ(shot.pixel(16, 16), 0xFF808080u);
  EXPECT_EQ(shot.pixel(65, 5), 0xFF000000u) << "between the ports: the window colour";
  // Green at room (84, 4) seen twice as large from (80, 0): the quad's half-pixel offset is
  // magnified too, so it covers port pixels 77 to 108.
  EXPECT_EQ(shot.pixel(77, 7), kGreen);
  EXPECT_EQ(shot.pixel(76, 6), 0xFF808080u);
  EXPECT_EQ(shot.pixel(108, 38), kGreen);
  EXPECT_EQ(shot.pixel(109, 39), 0xFF808080u);
  // The red square at the view's top-left corner is seen at the port's bottom-left corner, where
  // the mouse mapping through the turned view sends that corner too.
  const graphics::Point corner = display().windowToRoom(2, 1, 128);
  EXPECT_NEAR(corner.x, 1, 1);
  EXPECT_NEAR(corner.y, 101, 1);
  EXPECT_EQ(shot.pixel(2, 127), kRed);
  EXPECT_EQ(shot.pixel(2, 72), 0xFF808080u);
  // Shows: top left, a red square in a grey port; top right, a green square twice as large in a
  // port 60 pixels wide; black window colour between and below the ports; bottom left, the view
  // turned by 90 degrees: the red square in the port's bottom-left corner and the blue bar
  // (room (30, 100), 16 x 8) standing upright along the left edge above it.
  ExpectGolden("room_views", shot);
}

TEST_F(RoomPictures, TilesShowTheirPartScaledBlendedAndFaded) {
  TestGame g;
  g.background(0, "bk_set", Stripes(48, 16, {{16, kRed}, {16, kYellow}, {16, kWhite}}));
  auto& r = g.room("rm");
  r.room.width = 112;
  r.room.height = 48;
  r.room.backgroundColor = 0;
  CTile first;
  first.background = 0;
  first.width = first.height = 16;
  first.id = 10000001;
  r.room.tiles.push_back(first);  // red at (0, 0), from the room record
  g.writer.last_tile_id = first.id;
  r.room.creationCode =
      "t = tile_add(0, 16, 0, 16, 16, 16, 0, 0); tile_set_scale(t, 2, 1);"     // yellow, twice as wide
      "t = tile_add(0, 32, 0, 16, 16, 48, 0, 0); tile_set_blend(t, c_lime);"   // white blended green
      "t = tile_add(0, 32, 0, 16, 16, 64, 0, 0); tile_set_alpha(t, 0.5);"      // white at half alpha
      "t = tile_add(0, 0, 0, 32, 16, 112, 16, 0); tile_set_scale(t, -1, 1);"   // mirrored: 80..112
      "t = tile_add(0, 16, 0, 16, 16, 0, 32, 0); tile_set_visible(t, false);"  // hidden
      "t = tile_add(0, 32, 0, 16, 16, 0, 32, 50); tile_layer_shift(50, 24, 0);" // moved to x 24
      "t = tile_add(0, 0, 0, 16, 16, 104, 40, 0);";                             // mostly outside
  const data::TBitmap32 shot = DrawFirstRoom(g);
  ASSERT_EQ(shot.width, 112);
  EXPECT_EQ(shot.pixel(15, 15), kRed);
  EXPECT_EQ(shot.pixel(16, 0), kYellow);
  EXPECT_EQ(shot.pixel(47, 15), kYellow);
  EXPECT_EQ(shot.pixel(50, 5), kGreen);
  const uint32_t half = shot.pixel(70, 5);
  EXPECT_NEAR(int(half & 0xFF), 128, 2) << "white at alpha 0.5 over black";
  EXPECT_EQ(shot.pixel(82, 20), kYellow) << "the mirrored part shows yellow on the left";
  EXPECT_EQ(shot.pixel(110, 20), kRed);
  EXPECT_EQ(shot.pixel(4, 36), 0xFF000000u) << "the hidden tile";
  EXPECT_EQ(shot.pixel(24, 36), kWhite);
  EXPECT_EQ(shot.pixel(23, 36), 0xFF000000u);
  EXPECT_EQ(shot.pixel(108, 44), kRed);
  // Shows on black: along the top a red square, a yellow bar twice as wide, a green square and a
  // grey (half white) square; in the middle row on the right a mirrored red-and-yellow pair
  // (yellow left); at the bottom a white square at x 24 and the top-left corner of a red tile
  // cut by the room's bottom-right edge.
  ExpectGolden("room_tiles", shot);
}

}  // namespace
}  // namespace qv::world
