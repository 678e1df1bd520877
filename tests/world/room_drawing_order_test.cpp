// The order of the room drawing on a recording device: the depth merge of instances, tiles and
// particle systems (particles first at equal depth, then instances, then tiles), skipped invisible
// and destroyed instances, tiles outside a view, and the viewport of each view.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/draw_test_support.h"
#include "graphics/drawing.h"
#include "game/game_loop.h"
#include "world/game_world.h"
#include "world/room_drawing.h"
#include "world/saved_game.h"
#include "world_game.h"

namespace qv::world {
namespace {

using graphics::display;
using testing::TestGame;

class RoomDrawingOrder : public ::testing::Test {
 protected:
  void SetUp() override { graphics::drawtest::ResetDrawing(); }
  void TearDown() override {
    roomParticleDrawing() = RoomParticleDrawing{};
    if (started_) EndGame();
    graphics::drawtest::ResetDrawing();
  }
  platform::RecordingDevice* Start(TestGame& g) {
    EXPECT_TRUE(g.load());
    platform::RecordingDevice* device = graphics::drawtest::UseRecordingDevice();
    for (int i = 0; i < graphics::sprites().count(); ++i)
      if (auto* s = graphics::sprites().get(i)) graphics::CreateSpriteTextures(*s);
    for (int i = 0; i < graphics::backgrounds().count(); ++i)
      if (auto* b = graphics::backgrounds().get(i)) graphics::CreateBackgroundTexture(*b);
    StartGame();
    started_ = true;
    return device;
  }
  bool started_ = false;
};

// Everything sits at its own x; the drawing order is the sequence of the first vertices' x (the
// quads start half a pixel to the left).
std::vector<int> OrderOfX(const platform::RecordingDevice& d, size_t from = 0) {
  std::vector<int> xs;
  for (size_t k = from; k < d.draws.size(); ++k) xs.push_back(int(std::lround(d.draws[k].vertices[0].x + 0.5f)));
  return xs;
}

TEST_F(RoomDrawingOrder, ParticlesInstancesAndTilesMergeByDepth) {
  TestGame g;
  g.colourSprite(0, "spr", 4, 4, 0xFFFFFFFF);
  g.colourSprite(1, "spr_cursor", 7, 3, 0xFFFFFFFF);
  g.background(0, "bk", data::TBitmap32(16, 16, 0xFFFFFFFF));
  for (int depth : {5, 0}) {
    auto& o = g.object("obj" + std::to_string(depth));
    o.object.sprite = 0;
    o.object.depth = depth;
  }
  auto& r = g.room("rm")
                .place(1, 100, 0, 100001)  // depth 0, first in the list
                .place(0, 0, 0, 100002)    // depth 5
                .place(1, 200, 0, 100003)  // depth 0, second
                .place(1, 600, 0, 100004, "visible = false")
                .place(1, 700, 0, 100005, "instance_destroy()");
  auto tile = [&](double x, double depth, int32_t id) {
    CTile t;
    t.background = 0;
    t.width = t.height = 16;
    t.x = x, t.depth = depth, t.id = id;
    r.room.tiles.push_back(t);
  };
  tile(400, 0, 10000001);
  tile(300, 5, 10000002);
  tile(900, 0, 10000003);  // outside the room's 640 pixels: skipped
  platform::RecordingDevice* device = Start(g);
  // Particle systems at depths 5 and 0, drawn as one point at x 500 + depth.
  std::vector<double> depths = {5, 0};
  roomParticleDrawing().nextDepthBelow = [depths](double below) {
    for (double d : depths)
      if (d < below) return d;
    return -1e9;
  };
  roomParticleDrawing().drawAt = [](double depth) { graphics::DrawPoint(500 + depth, 0, 0xFFFFFFFF); };
  const size_t before = device->draws.size();
  DrawCurrentRoom();
  // P5, the instance at 5, the tile at 5, P0, the two instances at 0 in list order, the tile at 0.
  const std::vector<int> expected = {506, 0, 300, 501, 100, 200, 400};
  EXPECT_EQ(OrderOfX(*device, before), expected);
  EXPECT_EQ(CurrentRoom().instances[0]->id, 100002) << "the list is sorted by depth, ties kept in order";
  EXPECT_EQ(CurrentRoom().tiles[0].id, 10000002);

  // The cursor sprite comes last, at the mouse position in the room, its whole 7 x 3 frame.
  gameCounters().cursorSprite = 1;
  const size_t withCursor = device->draws.size();
  DrawCurrentRoom();
  ASSERT_EQ(device->draws.size(), withCursor + 8);
  const auto& quad = device->draws.back().vertices;
  const graphics::Point mouse = display().mouseInWindow();
  EXPECT_FLOAT_EQ(quad[0].x, float(mouse.x) - 0.5f);
  EXPECT_FLOAT_EQ(quad[2].x - quad[0].x, 7.0f);
  EXPECT_FLOAT_EQ(quad[2].y - quad[0].y, 3.0f);
  gameCounters().cursorSprite = -1;
}

TEST_F(RoomDrawingOrder, EachViewDrawsIntoItsPortAndSkipsTilesOutsideIt) {
  TestGame g;
  g.background(0, "bk", data::TBitmap32(16, 16, 0xFFFFFFFF));
  auto& r = g.room("rm");
  r.room.width = 1000;
  r.room.viewsEnabled = true;
  r.room.drawBackgroundColor = false;
  for (size_t k : {size_t(0), size_t(3)}) {
    CView& v = r.room.views[k];
    v.visible = true;
    v.xview = k == 0 ? 0 : 500;
    v.wview = 100, v.hview = 100;
    v.xport = int32_t(k) * 50, v.wport = 50, v.hport = 60;
  }
  for (double x : {-16.0, -17.0, 50.0, 100.0, 101.0, 550.0}) {
    CTile t;
    t.background = 0;
    t.width = t.height = 16;
    t.x = x;
    t.id = 10000001 + int32_t(x);
    r.room.tiles.push_back(t);
  }
  platform::RecordingDevice* device = Start(g);
  device->draws.clear();
  device->clears.clear();
  DrawCurrentRoom();
  // View 0 (0..100) holds the tiles whose boxes touch it, both edges included: -16..0, 50..66 and
  // 100..116, but not -17..-1 or 101..117; view 3 (500..600) holds the one at 550.
  const std::vector<int> expected = {-16, 50, 100, 550};
  EXPECT_EQ(OrderOfX(*device), expected);
  ASSERT_EQ(device->draws.size(), 4u);
  EXPECT_EQ(device->draws[0].viewport.x, 0);
  EXPECT_EQ(device->draws[0].viewport.width, 50);
  EXPECT_EQ(device->draws[3].viewport.x, 150);
  EXPECT_EQ(device->draws[3].viewport.height, 60);
  ASSERT_EQ(device->clears.size(), 1u) << "only the window colour: the room does not show its colour";
  EXPECT_EQ(device->clears[0].viewport.width, 200);
  EXPECT_EQ(device->viewport().width, 200) << "after the views the viewport is the whole region";
  EXPECT_EQ(display().currentView, 0);
}

// Code drawing with frame -1 draws the caller's own image; tiled drawing covers the room, not the
// window region (here ten times the room's size through a magnifying view).
TEST_F(RoomDrawingOrder, DrawingAsksTheWorldForTheCallersFrameAndTheRoomsArea) {
  TestGame g;
  g.sprite(0, "spr_two", 2, 16, 16);
  auto& o = g.object("obj_painter");
  o.on(ev_create, 0, "image_speed = 0; image_index = 1");
  o.on(ev_draw, 0, "draw_sprite_tiled(0, 0, 0, 0)");
  o.on(ev_other, ev_room_start,
       "test_log(sprite_get_texture(0, -1) == sprite_get_texture(0, 1));"
       "test_log(sprite_get_texture(0, -1) == sprite_get_texture(0, 0))");
  auto& r = g.room("rm").place(0, 0, 0, 100001);
  r.room.width = 64;
  r.room.height = 32;
  r.room.viewsEnabled = true;
  r.room.drawBackgroundColor = false;
  CView& v = r.room.views[0];
  v.visible = true;
  v.wview = 64, v.hview = 32, v.wport = 640, v.hport = 320;
  platform::RecordingDevice* device = Start(g);
  EXPECT_EQ(testing::gameLog(), (std::vector<std::string>{"1", "0"}));
  device->draws.clear();
  DrawCurrentRoom();
  EXPECT_EQ(device->draws.size(), 8u) << "4 x 2 cells of 16 pixels cover the 64 x 32 room";
}

}  // namespace
}  // namespace qv::world
