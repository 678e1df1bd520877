// Particles in the step and across rooms: systems advance after the end-step event (stage 16),
// entering a room empties the two effect systems (a game's own systems stay), and a restart
// forgets every system.
#include <gtest/gtest.h>

#include "world_game.h"

namespace qv::world {
namespace {

using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

TEST(ParticleStage, SystemsAdvanceAfterTheEndStepAndEffectsEndWithTheRoom) {
  TestGame g;
  g.object("obj_a")
      .on(ev_create, 0,
          "test_log('exists ' + string(part_system_exists(0)));"
          "global.ps = part_system_create(); var t; t = part_type_create();"
          "part_type_step(t, 1, t); part_particles_create(global.ps, 0, 0, t, 1);"
          "effect_create_above(ef_star, 10, 10, 1, c_white); alarm[0] = 3;")
      .on(ev_step, ev_step_end, "test_log('end ' + string(part_particles_count(global.ps)))")
      .on(ev_alarm, 0, "room_goto_next()");
  g.object("obj_b").on(ev_create, 0,
                       "test_log('effects ' + string(part_particles_count(2)) + ' mine ' +"
                       "string(part_particles_count(global.ps)));"
                       "game_restart()");
  g.room("rm_one").place(0, 0, 0, 100001);
  g.room("rm_two").place(1, 0, 0, 100002);
  g.writer.last_instance_id = 100002;
  g.run(4);
  // Each particle makes one more in every update: the end step sees 1, then 2; the alarm's room
  // change abandons the third step before its end step; the restart forgets the system.
  const Log expected = {"exists 0", "end 1", "end 2", "effects 0 mine 4", "exists 0"};
  ASSERT_GE(gameLog().size(), expected.size());
  EXPECT_EQ(Log(gameLog().begin(), gameLog().begin() + ptrdiff_t(expected.size())), expected);
}

}  // namespace
}  // namespace qv::world
