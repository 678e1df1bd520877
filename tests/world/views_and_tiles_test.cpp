// Views that follow instances, the region sized for a room, the window caption, the tile functions
// and the room, view, background and sprite variables, on games written by the game writer.
#include <gtest/gtest.h>

#include "code/errors.h"
#include "graphics/display.h"
#include "world/caption_settings.h"
#include "world/game_world.h"
#include "world/room_drawing.h"
#include "world/saved_game.h"
#include "world_game.h"

namespace qv::world {
namespace {

using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

struct FollowCase {
  const char* what;
  int32_t roomWidth, viewX, viewWidth, border, speed;
  double instanceX;
  int32_t expected;
};

TEST(WorldViews, AViewFollowsItsInstanceWithinBordersRoomEdgesAndSpeed) {
  const FollowCase cases[] = {
      {"borders of half the view or more centre it", 400, 0, 100, 60, -1, 250, 200},
      {"past the right border", 400, 0, 100, 20, -1, 95, 15},
      {"past the left border", 400, 100, 100, 20, -1, 110, 90},
      {"inside the borders the view stays", 400, 100, 100, 20, -1, 150, 100},
      {"kept inside the room on the right", 400, 0, 100, 60, -1, 390, 300},
      {"kept inside the room on the left", 400, 200, 100, 60, -1, 10, 0},
      {"a view wider than the room ends left of it", 80, 0, 100, 60, -1, 40, -20},
      {"a speed of 2 moves 2 pixels", 400, 0, 100, 60, 2, 300, 2},
      {"a speed of 2 moves back 2 pixels", 400, 100, 100, 60, 2, 10, 98},
      {"the position is rounded, ties to even", 400, 0, 100, 60, -1, 100.5, 50},
  };
  for (const FollowCase& c : cases) {
    SCOPED_TRACE(c.what);
    TestGame g;
    g.object("obj_player");
    auto& r = g.room("rm").place(0, c.instanceX, 50, 100001);
    r.room.width = c.roomWidth;
    r.room.viewsEnabled = true;
    CView& v = r.room.views[0];
    v.visible = true;
    v.xview = c.viewX;
    v.wview = c.viewWidth;
    v.hview = 100;
    v.hborder = c.border;
    v.hspeed = c.speed;
    v.object = 0;
    ASSERT_TRUE(g.load());
    StartGame();
    CurrentRoom().instances[0]->x = c.instanceX;  // exactly, not rounded by the room record
    FollowViews(CurrentRoom());
    EXPECT_EQ(CurrentRoom().views[0].xview, c.expected);
    EndGame();
  }
}

TEST(WorldViews, AViewFollowsAnInstanceByIdAndIgnoresDestroyedOnes) {
  TestGame g;
  g.object("obj_a");
  auto& r = g.room("rm").place(0, 100, 300, 100001).place(0, 500, 300, 100002);
  r.room.width = r.room.height = 1000;
  r.room.viewsEnabled = true;
  for (size_t k : {size_t(0), size_t(1)}) {
    CView& v = r.room.views[k];
    v.visible = true;
    v.wview = v.hview = 200;
    v.hborder = v.vborder = 100;
  }
  r.room.views[0].object = 100002;  // by id
  r.room.views[1].object = 0;       // the first instance of the object that is not destroyed
  ASSERT_TRUE(g.load());
  StartGame();
  FollowViews(CurrentRoom());
  EXPECT_EQ(CurrentRoom().views[0].xview, 400);
  EXPECT_EQ(CurrentRoom().views[0].yview, 200);
  EXPECT_EQ(CurrentRoom().views[1].xview, 0);
  CurrentRoom().instances[0]->destroyed = true;
  CurrentRoom().instances[1]->destroyed = true;
  CurrentRoom().views[0].xview = 7;
  FollowViews(CurrentRoom());
  EXPECT_EQ(CurrentRoom().views[0].xview, 7) << "a destroyed instance is not followed";
  EXPECT_EQ(CurrentRoom().views[1].xview, 0);
  EndGame();
}

TEST(WorldViews, EnteringARoomSizesTheRegionForTheRoomOrItsPorts) {
  TestGame g;
  g.object("obj_walker");
  auto& plain = g.room("rm_plain").place(0, 0, 0, 100001);
  plain.room.width = 300;
  plain.room.height = 200;
  auto& viewed = g.room("rm_views");
  viewed.room.viewsEnabled = true;
  viewed.room.views[1].visible = true;
  viewed.room.views[1].xport = 100, viewed.room.views[1].wport = 220;
  viewed.room.views[1].yport = 4, viewed.room.views[1].hport = 150;
  viewed.room.views[2].xport = 900;  // invisible: not counted
  auto& tiny = g.room("rm_tiny");
  tiny.room.viewsEnabled = true;  // no visible view: at least 8 x 8
  auto& huge = g.room("rm_huge");
  huge.room.width = 5000;
  huge.room.height = 4000;
  graphics::display() = graphics::Display();
  ASSERT_TRUE(g.load());
  std::vector<std::pair<int, int>> sizes;
  StartGame();
  for (int k = 0; k < 4; ++k) {
    sizes.emplace_back(graphics::display().regionWidth, graphics::display().regionHeight);
    if (k < 3) ChangeRoom(k + 1);
  }
  EndGame();
  const std::vector<std::pair<int, int>> expected = {{300, 200}, {320, 154}, {8, 8}, {1024, 768}};
  EXPECT_EQ(sizes, expected);
  EXPECT_EQ(graphics::display().clientWidth, 1024) << "the window takes the region's default size";
}

TEST(WorldViews, TheCaptionShowsScoreLivesAndHealthAsAsked) {
  CRoom room;
  room.caption = "Level";
  CaptionSettings& s = captionSettings();
  GameCounters& c = gameCounters();
  const CaptionSettings savedSettings = s;
  const GameCounters savedCounters = c;
  s = CaptionSettings();
  c.score = 0;
  c.lives = 3;
  c.health = 2.5;
  EXPECT_EQ(RoomCaptionText(room), "Level") << "a score of 0 is not shown until show_score is assigned";
  c.score = 12;
  EXPECT_EQ(RoomCaptionText(room), "Level Score: 12");
  s.showLives = s.showHealth = true;
  s.livesCaption = "Ships: ";
  EXPECT_EQ(RoomCaptionText(room), "Level Score: 12 Ships: 3 Health: 2") << "health rounds ties to even";
  c.score = 0;
  s.scoreShownAlways = true;
  s.showLives = s.showHealth = false;
  EXPECT_EQ(RoomCaptionText(room), "Level Score: 0");
  s = savedSettings;
  c = savedCounters;
}

// Runs `code` as the creation code of a room holding tiles of background 0 and logs through test_log.
Log RunRoomCode(const std::string& code) {
  TestGame g;
  g.background(0, "bk", data::TBitmap32(32, 16, 0xFFFFFFFF));
  g.colourSprite(0, "spr", 10, 6, 0xFFFFFFFF);
  g.object("obj").object.sprite = 0;
  auto& r = g.room("rm").place(0, 0, 0, 100001);
  r.room.backgrounds[2].index = 0;
  auto tile = [&](double x, double y, double depth, int32_t id) {
    CTile t;
    t.background = 0;
    t.width = t.height = 16;
    t.x = x, t.y = y, t.depth = depth, t.id = id;
    r.room.tiles.push_back(t);
  };
  tile(0, 0, 10, 10000001);
  tile(0, 0, -5, 10000002);
  tile(32, 0, 10, 10000003);
  tile(64, 0, 0, 10000004);
  g.writer.last_tile_id = 10000004;
  r.room.creationCode = code + "; game_end()";
  g.run(1);
  return gameLog();
}

TEST(WorldTiles, TileFunctionsFindChangeAndRemoveTiles) {
  const Log log = RunRoomCode(
      "test_log(tile_find(4, 4, false)); test_log(tile_find(4, 4, true)); test_log(tile_find(16, 4, false));"
      "test_log(tile_layer_find(10, 40, 15)); test_log(tile_layer_find(10, 48, 16));"
      "t = tile_add(0, 16, 0, 16, 16, 100, 50, 3); test_log(t); test_log(tile_exists(t));"
      "tile_set_region(t, 4, 2, 8, 6); tile_set_depth(t, -2); tile_set_alpha(t, 0.25); tile_set_blend(t, 255);"
      "test_log(string(tile_get_left(t)) + ',' + string(tile_get_top(t)) + ',' + string(tile_get_width(t)) + ','"
      " + string(tile_get_height(t)) + ',' + string(tile_get_depth(t)) + ',' + string(tile_get_alpha(t)) + ','"
      " + string(tile_get_blend(t)) + ',' + string(tile_get_x(t)) + ',' + string(tile_get_background(t)));"
      "tile_layer_shift(10, 1, 2); test_log(string(tile_get_x(10000003)) + ',' + string(tile_get_y(10000003)));"
      "tile_layer_hide(10); test_log(tile_get_visible(10000001)); test_log(tile_get_visible(10000004));"
      "tile_layer_depth(10, 20); test_log(tile_get_depth(10000001));"
      "tile_delete_at(80, 16, true); test_log(tile_exists(10000004));"       // depth 0 counts for both; edges included
      "tile_layer_delete_at(20, 40, 10); test_log(tile_exists(10000003));"
      "tile_layer_delete(-5); test_log(tile_exists(10000002));"
      "tile_delete(t); test_log(tile_exists(t));"
      "tile_get_x(t); test_log(error_last);"
      "test_log(tile_add(7, 0, 0, 1, 1, 0, 0, 0)); test_log(error_last)");
  const Log expected = {"10000001", "10000002", "-1", "10000003", "-1",
                        "10000005", "1",
                        "4,2,8,6,-2,0.25,255,100,0",
                        "33,2", "0", "1", "20",
                        "0", "0", "0", "0",
                        "Tile does not exist.",
                        "-1", "Background does not exist."};
  EXPECT_EQ(log, expected);
}

TEST(WorldTiles, RoomViewBackgroundAndSpriteVariables) {
  const Log log = RunRoomCode(
      "view_xview[9] = 5; test_log(view_xview[0]); view_angle[3] = 12.5; test_log(view_angle[3] * 10);"
      "view_visible[1] = 0.5; test_log(view_visible[1]); view_visible[1] = 0.6; test_log(view_visible[1]);"
      "view_enabled = 1; test_log(view_enabled); test_log(view_current);"
      "test_log(background_width[2]); test_log(background_height[2]); test_log(background_width[3]);"
      "background_x[2] = 2.5; test_log(background_x[2] * 2); background_blend[2] = c_red; test_log(background_blend[2]);"
      "background_color = c_blue; background_showcolor = 0; test_log(background_color); test_log(background_showcolor);"
      "test_log(show_score); show_lives = 1; caption_lives = 'Men: '; test_log(caption_lives);"
      "with (obj) { image_xscale = 2; test_log(sprite_width); test_log(sprite_height); test_log(image_number);"
      "  image_single = 3; test_log(image_index); test_log(image_speed); test_log(image_single);"
      "  image_single = -1; test_log(image_speed); test_log(image_single) };"
      "show_lives = 0; caption_lives = 'Lives: '");
  const Log expected = {"5", "125", "0", "1", "1", "0",
                        "32", "16", "0",
                        "5", "255", "16711680", "0",
                        "1", "Men: ",
                        "20", "6", "1",
                        "3", "0", "3", "1", "-1"};
  EXPECT_EQ(log, expected);
}

}  // namespace
}  // namespace qv::world
