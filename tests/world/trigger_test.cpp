// Triggers on games written by the game writer: when their conditions are evaluated and when their
// events run.
#include <gtest/gtest.h>

#include "world_game.h"

namespace qv::world {
namespace {

using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

CTrigger trigger(std::string name, std::string condition, int32_t moment, std::string constant = {}) {
  CTrigger t;
  t.name = std::move(name);
  t.condition = std::move(condition);
  t.moment = moment;
  t.constantName = std::move(constant);
  return t;
}

TEST(Triggers, FireAtTheirMomentForObjectsWithTheirEvent) {
  TestGame g;
  g.triggerList = {trigger("always", "return 1", 0, "trg_always"),
                   trigger("text", "return '1'", 1),
                   trigger("unused", "test_log('evaluated'); return 1", 1),
                   trigger("broken", "return missing_variable", 2)};
  g.object("obj")
      .on(ev_step, ev_step_begin, "test_log('begin step')")
      .on(ev_step, ev_step_normal, "test_log('step')")
      .on(ev_trigger, 0, "test_log('trigger ' + string(trg_always))")
      .on(ev_trigger, 1, "test_log('string fired')")
      .on(ev_trigger, 3, "test_log('broken fired')");
  g.room("rm").place(0, 0, 0, 100001);
  g.run(1);
  EXPECT_EQ(gameLog(), (Log{"begin step", "trigger 0", "step"}));
  EXPECT_EQ(code::errorState().last.rfind("ERROR in trigger broken\r\n", 0), 0u) << code::errorState().last;
}

TEST(Triggers, ACompileErrorStopsPreparation) {
  TestGame g;
  g.triggerList = {trigger("bad", "return (", 0)};
  g.room("rm");
  EXPECT_FALSE(g.load());
  EXPECT_EQ(code::errorState().last.rfind("COMPILATION ERROR in condition of trigger bad\r", 0), 0u);
}

}  // namespace
}  // namespace qv::world
