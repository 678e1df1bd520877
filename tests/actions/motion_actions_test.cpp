// Motion actions as a drag-and-drop game has them: function actions with expression arguments,
// some relative, run from an object's events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "code/errors.h"
#include "world/object.h"
#include "../world/world_game.h"
#include "function_action.h"

namespace qv::world {
namespace {

using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

TEST(MotionActions, SetOrAddWhatTheyNameThroughTheSetters) {
  TestGame g;
  auto& o = g.object("obj_ship");
  o.action(ev_create, 0, act("action_set_hspeed", {"3"}))
      .action(ev_create, 0, act("action_set_hspeed", {"2"}, true))
      .action(ev_create, 0, act("action_set_vspeed", {"-4"}))
      .on(ev_create, 0, "test_log(string(hspeed) + ' ' + string(vspeed) + ' ' + string(speed))")
      .action(ev_create, 0, act("action_set_motion", {"90", "2"}))
      .action(ev_create, 0, act("action_set_motion", {"0", "2"}, true))
      .on(ev_create, 0, "test_log(string(hspeed) + ' ' + string(vspeed))")
      .action(ev_create, 0, act("action_set_gravity", {"270", "0.5"}))
      .action(ev_create, 0, act("action_set_gravity", {"10", "0.25"}, true))
      .action(ev_create, 0, act("action_set_friction", {"0.1"}))
      .action(ev_create, 0, act("action_set_friction", {"0.1"}, true))
      .on(ev_create, 0, "test_log(string(gravity_direction) + ' ' + string(gravity) + ' ' + string(friction))")
      .action(ev_create, 0, act("action_move_to", {"5", "-5"}, true))
      .on(ev_create, 0, "test_log(string(x) + ' ' + string(y))")
      .action(ev_create, 0, act("action_move_start", {}))
      .action(ev_create, 0, act("action_reverse_xdir", {}))
      .action(ev_create, 0, act("action_reverse_ydir", {}))
      .on(ev_create, 0, "test_log(string(x) + ' ' + string(y) + ' ' + string(hspeed) + ' ' + string(vspeed))");
  g.room("rm").place(0, 100, 50, 100001);
  g.writer.last_instance_id = 100001;
  g.run(0);
  const Log expected = {"5 -4 6.40", "2 -2", "280 0.75 0.20", "105 45", "100 50 -2 2"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(MotionActions, MoveDrawsAnAllowedKeypadDirection) {
  TestGame g;
  auto& o = g.object("obj_walker");
  // Only "up" (8) allowed: direction 90 whatever the draw; only 5 allowed: a stop.
  o.action(ev_create, 0, act("action_move", {"'000000010'", "3"}))
      .on(ev_create, 0, "test_log(string(direction) + ' ' + string(speed))")
      .action(ev_create, 0, act("action_move", {"'000000010'", "1"}, true))
      .on(ev_create, 0, "test_log(string(direction) + ' ' + string(speed))")
      .action(ev_create, 0, act("action_move", {"'000010000'", "5"}))
      .on(ev_create, 0, "test_log(string(direction) + ' ' + string(speed))")
      .action(ev_create, 0, act("action_move", {"'101'", "5"}))
      .on(ev_create, 0, "test_log(string(speed))");
  g.room("rm").place(0, 0, 0, 100001);
  g.writer.last_instance_id = 100001;
  g.run(0);
  const Log expected = {"90 3", "90 4", "0 0", "0"};
  EXPECT_EQ(gameLog(), expected);
  EXPECT_NE(code::errorState().last.find("Wrong argument to action_move()."), std::string::npos)
      << code::errorState().last;
}

}  // namespace
}  // namespace qv::world
