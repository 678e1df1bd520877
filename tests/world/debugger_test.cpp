// The debugger's model driven as its window drives it, without pixels: a real game loaded through
// the real reader runs in the real main loop, and a stand-in for the player acts between steps.
#include "world/debugger.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "code/debug_output.h"
#include "code/errors.h"
#include "world/world_game.h"

namespace qv::world {
namespace {

using testing::gameLog;
using testing::TestGame;

const DebugVariable* find(const std::vector<DebugVariable>& list, const std::string& name) {
  auto it = std::find_if(list.begin(), list.end(), [&](const DebugVariable& v) { return v.name == name; });
  return it == list.end() ? nullptr : &*it;
}

// What the debugger shows after the two steps of the test below.
void checkViewsAfterTwoSteps(size_t logWhenPaused) {
  const Debugger& d = debugger();
  EXPECT_EQ(gameLog().size(), logWhenPaused + 2);
  EXPECT_EQ(gameLog()[logWhenPaused], "100001 101");
  const auto instances = d.instances();
  ASSERT_EQ(instances.size(), 2u);
  EXPECT_EQ(instances[0].id, 100001);
  EXPECT_EQ(instances[0].object, "obj_mover");
  EXPECT_EQ(instances[1].x, 52);
  const auto vars = d.instanceVariables(100001);
  ASSERT_NE(find(vars, "x"), nullptr);
  EXPECT_EQ(find(vars, "x")->value, "101");
  EXPECT_TRUE(find(vars, "x")->builtin);
  ASSERT_NE(find(vars, "hp"), nullptr);
  EXPECT_EQ(find(vars, "hp")->value, "3");
  EXPECT_FALSE(find(vars, "hp")->builtin);
  EXPECT_TRUE(d.instanceVariables(100009).empty());
  const auto globals = d.globals();
  ASSERT_NE(find(globals, "level"), nullptr);
  EXPECT_EQ(find(globals, "level")->value, "\"two\"");
  EXPECT_EQ(d.messages(), (std::deque<std::string>{"made 100001", "made 100002"}));
  EXPECT_EQ(d.roomName(), "rm_field");
  EXPECT_EQ(d.step(), 2);
}

class DebuggerModel : public ::testing::Test {
 protected:
  void SetUp() override {
    debugger().reset();
    debugger().setEnabled(true);
    code::SetDebugMessageSink([](const std::string& line) { debugger().addMessage(line); });
  }
  void TearDown() override {
    code::SetDebugMessageSink(nullptr);
    debugger().reset();
    debugger().setEnabled(false);
  }

  // Two movers; each step moves them one pixel right and logs their x.
  static void makeGame(TestGame& g) {
    g.object("obj_mover")
        .on(ev_create, 0, "hp = 3; global.level = 1; show_debug_message('made ' + string(id))")
        .on(ev_step, ev_step_normal, "x += 1; test_log(string(id) + ' ' + string(x))");
    g.room("rm_field").place(0, 10, 0, 100001).place(0, 50, 0, 100002);
  }
};

TEST_F(DebuggerModel, PausesStepsWatchesAndEditsWhileTheGameHolds) {
  TestGame g;
  makeGame(g);
  int stage = 0;
  size_t logWhenPaused = 0;
  int pausedLooks = 0;
  auto player = [&]() -> bool {
    Debugger& d = debugger();
    if (stage == 0) {  // before the first step
      d.pause();
      stage = 1;
      return true;
    }
    if (!d.paused() || d.stepPending()) return true;
    switch (stage) {
      case 1:
        // Held: no step has run, however often the loop looks.
        EXPECT_TRUE(gameLog().empty());
        if (++pausedLooks < 5) return true;
        d.addWatch("x", 100001);
        d.addWatch("hp +", 100001);          // does not compile
        d.addWatch("real('x') + 1");        // reports an error
        d.addWatch("global.level * 10");
        d.addWatch("x", 100009);             // no such instance
        EXPECT_EQ(d.watches()[0].value, "10");
        EXPECT_TRUE(d.watches()[1].failed);
        EXPECT_EQ(d.watches()[1].value, "position 4: Unexpected symbol in expression.");
        EXPECT_TRUE(d.watches()[2].failed);
        EXPECT_EQ(d.watches()[2].value, "Error in function real().");
        EXPECT_EQ(d.watches()[3].value, "10");
        EXPECT_EQ(d.watches()[4].value, "no instance 100009 in the room");
        d.stepOnce();
        stage = 2;
        return true;
      case 2:
        // Exactly one step ran; the watches followed it.
        EXPECT_EQ(gameLog(), (std::vector<std::string>{"100001 11", "100002 51"}));
        EXPECT_EQ(d.watches()[0].value, "11");
        EXPECT_EQ(d.setVariable(100001, "x", "x * 10 - 10"), "");
        EXPECT_EQ(d.watches()[0].value, "100");  // edits show at once
        EXPECT_EQ(d.setVariable(kGlobalContext, "level", "'two'"), "");
        EXPECT_EQ(d.watches()[3].failed, true);  // 'two' * 10 is an error, shown in place
        EXPECT_NE(d.setVariable(100001, "x", "1 +"), "");
        EXPECT_EQ(d.setVariable(100009, "x", "1"), "no instance 100009 in the room");
        logWhenPaused = gameLog().size();
        d.stepOnce();
        stage = 3;
        return true;
      case 3:
        checkViewsAfterTwoSteps(logWhenPaused);
        d.removeWatch(1);
        EXPECT_EQ(d.watches().size(), 4u);
        d.run();
        stage = 4;
        return true;
      default:
        return true;
    }
  };
  EXPECT_EQ(g.run(5, player), 5);
  EXPECT_EQ(stage, 4);
  EXPECT_EQ(gameLog().back(), "100002 55");
  // The watches' errors never reached the game's error handling.
  EXPECT_FALSE(code::errorState().occurred);
  EXPECT_EQ(game::LastGameEnding(), game::GameEnding::StepsDone);
}

// Outside debug mode the loop never holds, whatever the paused flag says.
TEST_F(DebuggerModel, TheLoopIgnoresThePausedStateOutsideDebugMode) {
  TestGame g;
  makeGame(g);
  debugger().setEnabled(false);
  debugger().pause();
  EXPECT_EQ(g.run(3), 3);
  EXPECT_EQ(gameLog().size(), 6u);
}

// The message list keeps the newest lines.
TEST_F(DebuggerModel, TheMessageListKeepsTheNewestLines) {
  for (size_t i = 0; i < kMaxDebugMessages + 3; ++i) code::ShowDebugMessage(std::to_string(i));
  ASSERT_EQ(debugger().messages().size(), kMaxDebugMessages);
  EXPECT_EQ(debugger().messages().front(), "3");
  EXPECT_EQ(debugger().messages().back(), std::to_string(kMaxDebugMessages + 2));
}

}  // namespace
}  // namespace qv::world
