// Games written with the game writer and played through the real loader, preparation and step:
// an instance follows a path with each end action and hears "End Of Path"; friction and gravity
// move instances; instances leaving the room or a view, or crossing their edges, get their events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "world/world_game.h"

namespace qv::motion {
namespace {

using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

TEST(PathGames, EachEndActionPlaysOut) {
  struct Case {
    int action;
    Log want;
  } cases[] = {
      // 100 pixels at 25 a step: the end is reached in step 4, "End Of Path" comes before the
      // end-step log of that step.
      {0, {"35", "60", "85", "end 1 -1", "110", "110", "110", "110"}},
      {1, {"35", "60", "85", "end 0 0", "10", "35", "60", "85"}},
      {2, {"35", "60", "85", "end 0 0", "110", "135", "160", "185"}},
      {3, {"35", "60", "85", "end 1 0", "110", "85", "60", "35"}},
  };
  for (const Case& c : cases) {
    TestGame g;
    g.path("path_line", 0, false, {{10, 10, 100}, {110, 10, 100}});
    g.object("obj_walker")
        .on(world::ev_create, 0, "path_start(path_line, 25, " + std::to_string(c.action) + ", true)")
        .on(world::ev_other, world::ev_end_of_path, "test_log('end ' + string(path_position) + ' ' + string(path_index))")
        .on(world::ev_step, world::ev_step_end, "test_log(x); if y != 10 { test_log('off the line') }");
    g.room("rm").place(0, 300, 300, 100001);
    g.run(7);
    EXPECT_EQ(gameLog(), c.want) << "end action " << c.action;
  }
}

TEST(PathGames, ASmoothClosedPathIsFollowedRoundAndEditsShowAtOnce) {
  TestGame g;
  // A closed smooth loop round a square, started relative to the instance at (200, 100).
  g.path("path_loop", 1, true, {{0, 0, 100}, {100, 0, 100}, {100, 100, 100}, {0, 100, 100}}, 3);
  g.object("obj_runner")
      .on(world::ev_create, 0,
          "path_start(path_loop, path_get_length(path_loop) / 4, 1, false);"
          "ox = x; oy = y; test_log(path_get_number(path_loop))")
      .on(world::ev_other, world::ev_end_of_path, "test_log('round')")
      .on(world::ev_step, world::ev_step_end,
          "steps += 1;"
          "if steps == 2 { test_log(round(x - ox + path_get_x(path_loop, 0))); test_log(speed); test_log(direction) }"
          "if steps == 4 { path_shift(path_loop, 1000, 0) }"
          "if steps == 5 { test_log(round(x)) }");
  g.room("rm").place(0, 200, 100, 100001, "steps = 0");
  g.run(5);
  // The loop's first computed point is the curve at 1/8 of the first corner, (61.72, 0.78); after
  // half the loop (step 2) the instance is at the same point of the opposite corner, x 38.28,
  // having come from (99.22, 61.72): direction 211.6, speed 0. Step 4 passes the end (restart).
  // At step 5 (position 0.25) it stands 37.5 right of where it began: the shifted points move
  // the shape's place, not the instance on a relative path.
  const Log want = {"4", "38", "0", "211", "round", "238"};
  EXPECT_EQ(gameLog(), want);
}

TEST(PathGames, FrictionAndGravityMoveInstancesEveryStep) {
  TestGame g;
  g.object("obj_puck")
      .on(world::ev_create, 0, "speed = 3; friction = 1")
      .on(world::ev_step, world::ev_step_end, "test_log('puck ' + string(x) + ' ' + string(speed))");
  g.object("obj_ball")
      .on(world::ev_create, 0, "gravity = 2; gravity_direction = 270")
      .on(world::ev_step, world::ev_step_end, "test_log('ball ' + string(y) + ' ' + string(yprevious))");
  g.room("rm").place(0, 0, 0, 100001).place(1, 0, 0, 100002);
  g.run(4);
  const Log want = {"puck 2 2", "ball 2 0", "puck 3 1", "ball 6 2", "puck 3 0", "ball 12 6", "puck 3 0", "ball 20 12"};
  EXPECT_EQ(gameLog(), want);
}

TEST(PathGames, LeavingTheRoomAndAViewRaisesTheirEvents) {
  TestGame g;
  g.sprite(0, "spr_block", 1, 10, 10);
  // Without a sprite the position is tested: outside when beyond the room (640 x 480).
  g.object("obj_dot")
      .on(world::ev_other, world::ev_outside, "test_log('dot outside ' + string(y))")
      .on(world::ev_other, world::ev_boundary, "test_log('dot boundary ' + string(y))")
      .on(world::ev_other, 40, "test_log('dot outside view ' + string(x))");
  // With a sprite the box is tested: it crosses the edge before it is outside.
  auto& block = g.object("obj_block");
  block.object.sprite = 0;
  block.on(world::ev_other, world::ev_outside, "test_log('block outside ' + string(x))")
      .on(world::ev_other, world::ev_boundary, "test_log('block boundary ' + string(x))")
      .on(world::ev_other, 50, "test_log('block boundary view ' + string(x))");
  auto& r = g.room("rm");
  r.room.viewsEnabled = true;
  r.room.views[0].visible = true;
  r.room.views[0].wview = 630;
  r.room.views[0].hview = 470;
  r.place(0, 100, 470, 100001, "vspeed = 5").place(1, 625, 0, 100002, "hspeed = 4");
  g.run(5);
  // Per step, each event object by object: outside room, boundary, then view 0's two events.
  // The dot (no sprite) goes down from 470: below the view at once (y > 470), outside the room
  // from 485 (y > 480). The block's box (x to x + 9) moves right from 625: across the view's
  // edge at 629 (right 638 > 630), the room's at 633 (642 > 640), outside the room at 641.
  const Log want = {
      "dot outside view 100", "block boundary view 629",                                      // 1
      "block boundary 633", "dot outside view 100", "block boundary view 633",                // 2
      "dot outside 485", "dot boundary 485", "block boundary 637", "dot outside view 100",    // 3
      "block boundary view 637",
      "dot outside 490", "block outside 641", "dot boundary 490", "block boundary 641",       // 4
      "dot outside view 100", "block boundary view 641",
      "dot outside 495", "block outside 645", "dot boundary 495", "block boundary 645",       // 5
      "dot outside view 100", "block boundary view 645"};
  EXPECT_EQ(gameLog(), want);
}

}  // namespace
}  // namespace qv::motion
