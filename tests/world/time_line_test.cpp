// Time lines on games written by the game writer: the moments each step performs, forwards,
// backwards and looping, and the timeline_* functions.
#include <gtest/gtest.h>

#include "world_game.h"

namespace qv::world {
namespace {

using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

// Runs an instance on time line 0 from `start` at `speed` for `steps` steps; each moment logs
// "step <step counter> moment <moment>".
Log run(std::vector<int32_t> moments, double start, double speed, bool loop, int steps) {
  TestGame g;
  std::vector<std::pair<int32_t, std::string>> list;
  for (int32_t m : moments) list.push_back({m, "test_log('step ' + string(n) + ' moment " + std::to_string(m) + "')"});
  g.timeLine("tl", list);
  g.object("obj")
      .on(ev_create, 0,
          "n = 0; timeline_index = tl; timeline_running = true; timeline_position = " + std::to_string(start) +
              "; timeline_speed = " + std::to_string(speed) + "; timeline_loop = " + (loop ? "true" : "false"))
      .on(ev_step, ev_step_begin, "n += 1");
  g.room("rm").place(0, 0, 0, 100001);
  g.run(steps);
  return gameLog();
}

TEST(TimeLines, MomentsRunWhenThePositionPassesThem) {
  EXPECT_EQ(run({0, 10, 20}, 0, 1, false, 21), (Log{"step 1 moment 0", "step 11 moment 10", "step 21 moment 20"}));
  EXPECT_EQ(run({2, 5}, 0, 2.5, false, 3), (Log{"step 1 moment 2", "step 3 moment 5"}));
  EXPECT_EQ(run({0, 20}, 0, 10, true, 5), (Log{"step 1 moment 0", "step 3 moment 20", "step 4 moment 0"}));
  EXPECT_EQ(run({0, 10, 20}, 20, -10, false, 3), (Log{"step 1 moment 20", "step 2 moment 10", "step 3 moment 0"}));
}

TEST(TimeLines, FunctionsAddClearAndNameMoments) {
  TestGame g;
  g.timeLine("tl_main", {{3, "test_log('three')"}});
  g.object("obj").on(ev_other, ev_room_start,
                     "timeline_moment_add(tl_main, 3, \"test_log('more')\"); timeline_moment_add(tl_main, 1, \"test_log('one')\");"
                     "t = timeline_add(); test_log(timeline_get_name(t)); test_log(timeline_exists(t)); timeline_delete(t);"
                     "test_log(timeline_exists(t)); test_log(timeline_name(tl_main));"
                     "timeline_index = tl_main; timeline_running = true; timeline_speed = 2");
  g.room("rm").place(0, 0, 0, 100001);
  g.run(2);
  EXPECT_EQ(gameLog(), (Log{"__newtimeline1", "1", "0", "tl_main", "one", "three", "more"}));
}

TEST(TimeLines, ErrorsInMomentsNameTheTimeLineAndStep) {
  TestGame g;
  g.timeLine("tl_bad", {{4, "x = undefined_thing + 1"}});
  g.object("obj").on(ev_create, 0, "timeline_index = tl_bad; timeline_running = true; timeline_position = 4");
  g.room("rm").place(0, 0, 0, 100001);
  g.run(1);
  EXPECT_NE(code::errorState().last.find("at time step 4\r\nof time line tl_bad"), std::string::npos) << code::errorState().last;
}

}  // namespace
}  // namespace qv::world
