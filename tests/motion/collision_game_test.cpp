// Collisions in games written by the game writer and run through the real loader and step: the
// solid response of the collision pass, bouncing, contact moves, the searches, the pair list, and
// the broad phase giving the same events in the same order as the walk over every instance.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "code/errors.h"
#include "motion/broad_phase.h"
#include "motion/collision_events.h"
#include "world/event_names.h"
#include "world/world_game.h"

namespace qv::motion {
namespace {

using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;
using world::ev_collision;
using world::ev_create;
using world::ev_step;
using world::ev_step_end;

// Sprite 0 of every game here: an opaque 8 x 8 block with its origin at the top left.
void blockSprite(TestGame& g) { g.sprite(0, "spr_block", 1, 8, 8); }

TEST(CollisionGames, SolidWallsPutABallBackAndItsEventBouncesIt) {
  struct Case {
    const char* what;
    std::string onHit;
    Log expected;
  } cases[] = {
      // Step 3 moves the ball (8 wide) from 11 to 14, into the wall at 20: it goes back to 11, and
      // moving again by its speed still collides, so it stays there, step after step.
      {"stuck against the wall", "test_log('hit ' + string(x))", {"x 8", "x 11", "hit 11", "x 11", "hit 11", "x 11"}},
      // Turning round in the event: the re-move by the new speed leaves the wall behind.
      {"bounced back", "hspeed = -hspeed; test_log('hit ' + string(x))", {"x 8", "x 11", "hit 11", "x 8", "x 5"}},
      // Clearing solid in the event: the move back has happened, the re-move does not.
      {"wall made passable", "other.solid = false; test_log('hit ' + string(x))", {"x 8", "x 11", "hit 11", "x 11", "hit 14", "x 14"}},
  };
  for (const Case& c : cases) {
    TestGame g;
    blockSprite(g);
    auto& wall = g.object("obj_wall");
    wall.object.sprite = 0;
    wall.object.solid = true;
    auto& ball = g.object("obj_ball");
    ball.object.sprite = 0;
    ball.on(ev_create, 0, "hspeed = 3").on(ev_collision, 0, c.onHit).on(ev_step, ev_step_end, "test_log('x ' + string(x))");
    g.room("rm").place(0, 20, 0, 100001).place(1, 5, 0, 100002);
    g.run(4);
    EXPECT_EQ(gameLog(), c.expected) << c.what;
  }
}

// A solid walker on a path runs into a wall, which its event moves away: put back (position and
// path position), it then takes its path step once more and stands where the path led.
TEST(CollisionGames, TheSecondMoveOfSolidInstancesFollowsTheirPaths) {
  TestGame g;
  blockSprite(g);
  g.path("path_right", 0, false, {{0, 0, 100}, {100, 0, 100}});
  auto& wall = g.object("obj_wall");
  wall.object.sprite = 0;
  wall.object.solid = true;
  auto& walker = g.object("obj_walker");
  walker.object.sprite = 0;
  walker.object.solid = true;
  walker.on(ev_create, 0, "path_start(path_right, 3, 0, false)")
      .on(ev_collision, 0, "other.x += 100; test_log('hit ' + string(x) + ' ' + string(round(path_position * 100)))")
      .on(ev_step, ev_step_end, "test_log('x ' + string(x) + ' ' + string(round(path_position * 100)))");
  g.room("rm").place(0, 20, 0, 100001).place(1, 5, 0, 100002);
  g.run(4);
  const Log expected = {"x 8 3", "x 11 6", "hit 11 6", "x 14 9", "x 17 12"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(CollisionGames, BouncingOffWallsAndCorners) {
  struct Case {
    const char* what;
    std::vector<std::pair<double, double>> walls;
    std::string code;
    std::string expected;
  } cases[] = {
      {"simple bounce off a wall on the right", {{20, 0}}, "hspeed = 3; vspeed = 2; move_bounce_solid(false)", "-3 2"},
      {"simple bounce in a corner", {{20, 0}, {12, 10}, {20, 10}}, "hspeed = 3; vspeed = 3; move_bounce_solid(false)", "-3 -3"},
      {"all instances count for move_bounce_all", {{20, 0}}, "hspeed = 3; vspeed = 0; move_bounce_all(false)", "-3 0"},
      // Advanced: the first free angles either way are -70 and 70, so the ball turns round.
      {"advanced bounce", {{20, 0}}, "direction = 0; speed = 3; move_bounce_solid(true)", "180"},
  };
  for (const Case& c : cases) {
    TestGame g;
    blockSprite(g);
    auto& wall = g.object("obj_wall");
    wall.object.sprite = 0;
    wall.object.solid = c.code.find("_all") == std::string::npos;
    auto& ball = g.object("obj_ball");
    ball.object.sprite = 0;
    const bool advanced = c.code.find("true") != std::string::npos;
    ball.on(ev_create, 0, c.code + (advanced ? "; test_log(string(direction))" : "; test_log(string(hspeed) + ' ' + string(vspeed))"));
    auto& room = g.room("rm");
    int32_t id = 100001;
    for (auto [x, y] : c.walls) room.place(0, x, y, id++);
    room.place(1, 11, 0, id);
    g.run(1);
    ASSERT_FALSE(gameLog().empty()) << c.what;
    EXPECT_EQ(gameLog()[0], c.expected) << c.what;
  }
}

TEST(CollisionGames, ContactAndOutsideMovesStopAtTheWall) {
  struct Case {
    const char* what;
    double start;
    std::string code;
    std::string expected;
  } cases[] = {
      {"contact from the left", 0, "move_contact_solid(0, -1)", "12"},
      {"contact limited by distance", 0, "move_contact_solid(0, 5)", "5"},
      {"contact from inside does nothing", 16, "move_contact_solid(0, -1)", "16"},
      {"outside to the left", 16, "move_outside_solid(180, 10)", "12"},
      {"outside when free does nothing", 2, "move_outside_solid(180, 10)", "2"},
      {"contact picks outside when stuck", 16, "move_contact(180)", "12"},
      {"contact with any instance", 0, "move_contact_all(0, 0)", "12"},
  };
  for (const Case& c : cases) {
    TestGame g;
    blockSprite(g);
    auto& wall = g.object("obj_wall");
    wall.object.sprite = 0;
    wall.object.solid = c.code.find("_all") == std::string::npos;
    auto& ball = g.object("obj_ball");
    ball.object.sprite = 0;
    ball.on(ev_create, 0, c.code + "; test_log(string(x))");
    g.room("rm").place(0, 20, 0, 100001).place(1, c.start, 0, 100002);
    g.run(1);
    ASSERT_FALSE(gameLog().empty()) << c.what;
    EXPECT_EQ(gameLog()[0], c.expected) << c.what;
  }
}

TEST(CollisionGames, MoveRandomPicksFreeSnappedPositionsInsideTheRoom) {
  TestGame g;
  blockSprite(g);
  auto& wall = g.object("obj_wall");
  wall.object.sprite = 0;
  wall.object.solid = true;
  auto& ball = g.object("obj_ball");
  ball.object.sprite = 0;
  // A 100 x 60 room; walls fill the columns 20 to 99 of the rows 0 to 47, so free snapped places
  // are rare: the room's left strip and its bottom rows.
  ball.on(ev_create, 0, R"(
    moved = 0;
    repeat (30) {
      move_random(10, 6);
      if x mod 10 != 0 || y mod 6 != 0 || x < 0 || x > 92 || y < 0 || y > 52 || !place_free(x, y) { test_log('bad ' + string(x) + ',' + string(y)) }
      if x != 0 || y != 0 { moved += 1 }
    }
    test_log('moved ' + string(moved > 20));
  )");
  auto& room = g.room("rm");
  room.room.width = 100;
  room.room.height = 60;
  int32_t id = 100001;
  for (int x = 20; x < 100; x += 8)
    for (int y = 0; y < 48; y += 8) room.place(0, x, y, id++);
  room.place(1, 0, 0, id);
  g.run(1);
  EXPECT_EQ(gameLog(), Log{"moved 1"});
}

TEST(CollisionGames, SearchesFollowListOrderAndTheirArguments) {
  TestGame g;
  blockSprite(g);
  auto& wall = g.object("obj_wall");  // 0
  wall.object.sprite = 0;
  wall.object.solid = true;
  auto& crate = g.object("obj_crate");  // 1, a child of the wall
  crate.object.sprite = 0;
  crate.object.parent = 0;
  auto& probe = g.object("obj_probe");  // 2
  probe.object.sprite = 0;
  probe.on(ev_create, 0, R"(
    test_log(string(place_free(24, 0)) + ' ' + string(place_empty(24, 0)) + ' ' + string(place_free(60, 0)));
    test_log(string(x) + ' ' + string(bbox_left) + ' ' + string(bbox_right));
    test_log(string(instance_place(16, 0, obj_wall)));
    test_log(string(instance_place(16, 0, obj_crate)));
    test_log(string(place_meeting(16, 0, obj_crate)) + ' ' + string(place_meeting(16, 0, 100001)));
    test_log(string(instance_position(21, 1, all)) + ' ' + string(instance_position(21, 1, -2)));
    test_log(string(collision_point(1, 1, obj_probe, true, true)) + ' ' + string(collision_point(1, 1, obj_probe, true, false)));
    test_log(string(collision_rectangle(0, 20, 100, 30, all, false, true)) + ' ' + string(collision_line(0, 3, 100, 3, all, true, true)));
    test_log(string(collision_circle(24, 4, 2, all, true, false)) + ' ' + string(collision_ellipse(40, 40, 50, 50, all, true, false)));
    test_log(string(instance_nearest(26, 0, all)) + ' ' + string(instance_furthest(26, 0, obj_wall)) + ' ' + string(instance_nearest(0, 0, 100001)));
    test_log(string(distance_to_object(obj_crate)) + ' ' + string(distance_to_object(all)) + ' ' + string(distance_to_object(55)));
    test_log(string(position_empty(50, 50)) + ' ' + string(position_meeting(23, 1, obj_crate)));
  )");
  // The crate (a wall by parent) overlaps the first wall; both sit where the probe looks.
  g.room("rm").place(0, 20, 0, 100001).place(1, 22, 0, 100002).place(0, 32, 0, 100003).place(2, 0, 0, 100004);
  g.run(1);
  const Log expected = {
      "0 0 1",         // the solid wall at 20 blocks 24; nothing at 60
      "0 0 7",         // the trial moves leave the probe where it was
      "100001",        // the first of obj_wall and its children in list order
      "100002",
      "1 1",
      "100001 -4",     // -2 is not translated by instance_position
      "-4 100004",     // notme skips the caller
      "-4 100001",
      "100001 -4",
      "100002 100001 -4",  // 26 is as far from 20 as from 32: the first in the list wins; an id finds nothing
      "15 13 1000000",
      "1 1",
  };
  EXPECT_EQ(gameLog(), expected);
}

TEST(CollisionGames, PositionDestroyAndChangeActOnEveryInstanceAtThePoint) {
  TestGame g;
  blockSprite(g);
  auto& a = g.object("obj_a");
  a.object.sprite = 0;
  a.on(world::ev_destroy, 0, "test_log('destroyed ' + string(id))");
  auto& b = g.object("obj_b");
  b.object.sprite = 0;
  b.on(ev_create, 0, "test_log('b at ' + string(x))");
  auto& probe = g.object("obj_probe");
  probe.on(ev_create, 0, R"(
    position_change(2, 2, obj_b, true);
    position_change(2, 2, 77, true);
    test_log(string(instance_number(obj_a)) + ' ' + string(instance_number(obj_b)));
    position_destroy(2, 2);
    test_log(string(instance_number(obj_b)));
  )");
  g.room("rm").place(0, 0, 0, 100001).place(0, 1, 1, 100002).place(0, 40, 0, 100003).place(2, 0, 0, 100004);
  code::ResetErrorState();
  g.run(1);
  const Log expected = {"destroyed 100001", "b at 0", "destroyed 100002", "b at 1", "1 2", "0"};
  EXPECT_EQ(gameLog(), expected);
  EXPECT_EQ(code::errorState().last.find("Asking to change into non-existing object: 77") != std::string::npos, true)
      << code::errorState().last;
}

TEST(CollisionGames, PairListCountsEventsOfAncestorsOnBothSides) {
  TestGame g;
  g.object("obj_first");                                    // 0: no events
  g.object("obj_parent").on(ev_collision, 3, "x = 1");      // 1: an event for obj_target
  g.object("obj_child").object.parent = 1;                  // 2: inherits it
  g.object("obj_target");                                   // 3
  g.object("obj_late").on(ev_collision, 0, "x = 1");        // 4: an event for a lower object
  g.room("rm");
  g.run(0);
  const std::vector<CollisionPair> expected = {{0, 4}, {1, 3}, {2, 3}};
  EXPECT_EQ(CollisionPairs(), expected);
}

// Events that deactivate, create and rebuild the pair list while the pass walks its lists: the
// pass reads no list past its end and goes on with the lists as they are.
TEST(CollisionGames, EventsMayChangeTheListsThePassWalks) {
  TestGame g;
  blockSprite(g);
  auto& a = g.object("obj_a");
  a.object.sprite = 0;
  a.on(ev_collision, 1, R"(
    test_log('a ' + string(id));
    instance_deactivate_object(obj_b);
    instance_create(x, y, obj_b);
    object_event_add(obj_b, ev_collision, obj_a, 'test_log(99)');
  )");
  auto& b = g.object("obj_b");
  b.object.sprite = 0;
  auto& room = g.room("rm");
  for (int k = 0; k < 4; ++k) room.place(0, k * 2, 0, 100001 + k);
  for (int k = 0; k < 4; ++k) room.place(1, k * 2 + 1, 0, 100011 + k);
  g.run(2);
  // Each a meets the b that the a before it created (the placed ones are deactivated by the first
  // event); obj_b's event, added by each a event, runs at once for the other side, one more
  // action each time.
  const Log start = {"a 100001", "99", "a 100002", "99", "99", "a 100003"};
  ASSERT_GE(gameLog().size(), start.size());
  EXPECT_EQ(Log(gameLog().begin(), gameLog().begin() + std::ptrdiff_t(start.size())), start);
  EXPECT_EQ(std::count(gameLog().begin(), gameLog().end(), "99"), 1 + 2 + 3 + 4 + 5 + 6 + 7 + 8);
}

// Two crowds of instances, moving and colliding, some solid, with events that move, destroy and
// create: the events and final positions are the same with and without the broad phase.
TEST(CollisionGames, BroadPhaseKeepsEveryEventAndItsOrder) {
  auto play = [](bool broadPhase) {
    UseBroadPhase(broadPhase);
    TestGame g;
    blockSprite(g);
    auto& a = g.object("obj_a");  // 0
    a.object.sprite = 0;
    a.on(ev_collision, 1, R"(
      test_log(string(id) + '>' + string(other.id) + '@' + string(x) + ',' + string(y));
      if id mod 7 == 0 { x += 9 }
      if other.id mod 11 == 0 { with (other) instance_destroy() }
    )");
    a.on(ev_collision, 0, "test_log(string(id) + '=' + string(other.id))");
    auto& b = g.object("obj_b");  // 1
    b.object.sprite = 0;
    b.on(ev_collision, 0, R"(
      test_log(string(id) + '<' + string(other.id));
      if id mod 13 == 0 { instance_create(x + 3, y, obj_a) }
    )");
    auto& maker = g.object("obj_maker");  // 2
    maker.on(ev_create, 0, R"(
      for (i = 0; i < 160; i += 1) {
        n = instance_create((i * 37) mod 300, (i * 53) mod 220, obj_a);
        n.hspeed = (i mod 5) - 2; n.vspeed = (i mod 3) - 1;
      }
      for (i = 0; i < 140; i += 1) {
        n = instance_create((i * 41) mod 300, (i * 29) mod 220, obj_b);
        n.solid = (i mod 4 == 0); n.hspeed = 2 - (i mod 5);
      }
    )");
    maker.on(ev_step, ev_step_end, "with (all) { if object_index != obj_maker { test_log('end ' + string(id) + ' ' + string(x) + ',' + string(y)) } }");
    g.room("rm").place(2, 0, 0, 100001);
    g.run(6);
    UseBroadPhase(true);
    return gameLog();
  };
  const Log walked = play(false);
  const Log gridded = play(true);
  size_t events = 0;
  for (const auto& line : walked) events += line.rfind("end", 0) != 0;
  EXPECT_GT(events, 200u);  // the scene really collides
  EXPECT_EQ(gridded, walked);
}

// The searches over a crowd (turned, scaled and some outside the room) answer the same with and
// without the broad phase.
TEST(CollisionGames, BroadPhaseKeepsEverySearchAnswer) {
  auto play = [](bool broadPhase) {
    UseBroadPhase(broadPhase);
    TestGame g;
    blockSprite(g);
    auto& crowd = g.object("obj_crowd");  // 0
    crowd.object.sprite = 0;
    auto& probe = g.object("obj_probe");  // 1
    probe.object.sprite = 0;
    probe.on(ev_create, 0, R"(
      for (i = 0; i < 300; i += 1) {
        n = instance_create((i * 37) mod 340 - 20, (i * 53) mod 260 - 20, obj_crowd);
        n.image_angle = (i mod 4) * 30; n.image_xscale = 1 + (i mod 3) / 2; n.solid = (i mod 2 == 0);
      }
      for (px = -10; px < 330; px += 23) {
        for (py = -10; py < 250; py += 19) {
          test_log(string(instance_place(px, py, obj_crowd)) + ' ' + string(place_free(px, py)) + ' ' +
                   string(instance_position(px + 3, py + 3, all)) + ' ' +
                   string(collision_rectangle(px, py, px + 11.5, py + 7.5, all, true, true)) + ' ' +
                   string(collision_circle(px, py, 6.5, obj_crowd, true, false)) + ' ' +
                   string(collision_line(px, py, px + 40, py + 9, all, true, true)) + ' ' +
                   string(collision_point(px + 0.5, py, all, false, true)));
        }
      }
    )");
    g.room("rm").place(1, 0, 0, 100001);
    g.run(1);
    UseBroadPhase(true);
    return gameLog();
  };
  const Log walked = play(false);
  const Log gridded = play(true);
  size_t found = 0;
  for (const auto& line : walked) found += line.find("-4 1 -4 -4 -4 -4 -4") == std::string::npos;
  EXPECT_GT(found, 100u);  // most probes find something
  EXPECT_EQ(gridded, walked);
}

// Instances that move in their step and then search, as most games do: the grid follows each
// moved box (across cells, growing past the oversized limit and back, turning) and answers as the
// walk over every instance does.
TEST(CollisionGames, BroadPhaseFollowsBoxesMovedBetweenSearches) {
  auto play = [](bool broadPhase) {
    UseBroadPhase(broadPhase);
    TestGame g;
    blockSprite(g);
    auto& mover = g.object("obj_mover");  // 0
    mover.object.sprite = 0;
    mover.on(ev_step, 0, R"(
      x += hspeed * 3; y += vspeed * 5;
      if id mod 17 == 0 { x = (x * 7 + 101) mod 330 - 10 }
      if id mod 23 == 0 { image_xscale = 1 + ((image_xscale * 13) mod 40) }
      if id mod 29 == 0 { image_angle += 35 }
      if !place_free(x + hspeed, y) { hspeed = -hspeed }
      test_log(string(id) + ' ' + string(instance_place(x, y, obj_mover)) + ' ' + string(place_meeting(x + 4, y + 4, all)))
    )");
    auto& maker = g.object("obj_maker");  // 1
    maker.on(ev_create, 0, R"(
      for (i = 0; i < 200; i += 1) {
        n = instance_create((i * 37) mod 300, (i * 53) mod 220, obj_mover);
        n.hspeed = (i mod 5) - 2; n.vspeed = (i mod 3) - 1; n.solid = (i mod 3 == 0);
      }
    )");
    g.room("rm").place(1, 0, 0, 100001);
    g.run(8);
    UseBroadPhase(true);
    return gameLog();
  };
  const Log walked = play(false);
  const Log gridded = play(true);
  size_t found = 0;
  for (const auto& line : walked) found += line.find(" -4 ") == std::string::npos;
  EXPECT_GT(found, 100u);  // the crowd meets itself
  EXPECT_EQ(gridded, walked);
}

}  // namespace
}  // namespace qv::motion
