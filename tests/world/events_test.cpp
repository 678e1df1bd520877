// Objects and events on games written by the game writer: the order of the world's events, ids,
// parents, the action executor's control flow, and damaged records.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "code/errors.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/transfer.h"
#include "world_game.h"

namespace qv::world {
namespace {

using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

// A function action calling `name` with string arguments.
CAction call(const std::string& name, std::vector<std::string> args, int32_t kind = act_normal) {
  CAction a;
  a.kind = kind;
  a.executionType = exec_function;
  a.functionName = name;
  a.argumentCount = static_cast<int32_t>(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    a.argumentKinds[i] = 1;  // string
    a.argumentTexts[i] = args[i];
  }
  return a;
}
CAction say(const std::string& text) { return call("test_log", {text}); }
CAction question(bool truth, bool negate = false) {
  CAction a = call("test_truth", {});
  a.isQuestion = true;
  a.argumentCount = 1;
  a.argumentKinds[0] = 0;  // expression
  a.argumentTexts[0] = truth ? "1" : "0";
  a.negate = negate;
  return a;
}
CAction structure(int32_t kind) {
  CAction a;
  a.kind = kind;
  return a;
}
CAction repeat(const std::string& count) {
  CAction a;
  a.kind = act_repeat;
  a.argumentCount = 1;
  a.argumentKinds[0] = 0;
  a.argumentTexts[0] = count;
  return a;
}

TEST(WorldEvents, EventsRunInTheirOrderFromGameStartToGameEnd) {
  TestGame g;
  auto& a = g.object("obj_a");
  for (auto [number, name] : {std::pair{ev_game_start, "game start"}, {ev_room_start, "room start"},
                              {ev_room_end, "room end"}, {ev_game_end, "game end"}})
    a.on(ev_other, number, std::string("test_log('") + name + " ' + string(id))");
  a.on(ev_create, 0, "test_log('create ' + string(id))");
  a.on(ev_destroy, 0, "test_log('destroy ' + string(id))");
  a.on(ev_step, ev_step_begin, "test_log('begin step ' + string(id))");
  a.on(ev_step, ev_step_normal, "test_log('step ' + string(id))");
  a.on(ev_step, ev_step_end, "test_log('end step ' + string(id)); if id == 100002 { instance_destroy() }");
  auto& r = g.room("rm_first");
  r.room.creationCode = "test_log('room code')";
  r.place(0, 10, 10, 100001, "test_log('instance code ' + string(id))").place(0, 20, 10, 100002);
  g.writer.last_instance_id = 100002;
  EXPECT_EQ(g.run(1), 1);
  const Log expected = {
      "instance code 100001", "create 100001", "create 100002", "game start 100001",
      "game start 100002", "room code", "room start 100001", "room start 100002",
      "begin step 100001", "begin step 100002", "step 100001", "step 100002",
      "end step 100001", "end step 100002", "destroy 100002", "room end 100001", "game end 100001"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(WorldEvents, IdsComeFromTheCounterAndChangeKeepsTheId) {
  TestGame g;
  g.object("obj_a").on(ev_create, 0, "test_log(id)");
  g.object("obj_b").on(ev_other, ev_room_start,
                       "if object_index == obj_b {"
                       "  value = 7; a = instance_create(0, 0, obj_a); c = instance_copy(false);"
                       "  test_log(c.value); instance_change(obj_a, true); test_log(id); test_log(object_index);"
                       "  test_log(instance_number(obj_a)); test_log(instance_exists(c)); }");
  g.room("rm").place(1, 0, 0, 100005);
  g.writer.last_instance_id = 100010;
  g.run(0);
  // A new obj_a (100011), a copy (100012) that keeps the variables, then the change: a new id is
  // taken from the counter but the changed instance keeps 100005 and runs its create event. The
  // code goes on for the old record, which is still of obj_b.
  const Log expected = {"100011", "7", "100005", "100005", "1", "2", "1"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(WorldEvents, ParentsGiveTheirEventsAndInheritedCallsGoUpOneLevel) {
  TestGame g;
  g.object("obj_base").on(ev_create, 0, "test_log('base create')").on(ev_other, ev_user0 + 1, "test_log('base user1')");
  auto& mid = g.object("obj_mid");
  mid.object.parent = 0;
  mid.on(ev_other, ev_user0 + 1, "test_log('mid user1'); event_inherited()");
  auto& leaf = g.object("obj_leaf");
  leaf.object.parent = 1;
  leaf.on(ev_other, ev_room_start, "event_user(1); test_log(object_is_ancestor(obj_leaf, obj_base))");
  g.room("rm").place(2, 0, 0, 100001);
  g.run(0);
  const Log expected = {"base create", "mid user1", "base user1", "1"};
  EXPECT_EQ(gameLog(), expected);

  // Collision events are found through the other object's ancestors as well.
  EXPECT_EQ(FindEventInherited(2, ev_collision, 2).event, nullptr);
  GetObject(0)->eventSlot(ev_collision, 0)->actions.push_back(CodeAction("x = 1"));
  EXPECT_EQ(FindEventInherited(2, ev_collision, 2).owner, 0);
}

TEST(WorldEvents, ActionListsFollowBlocksQuestionsElseRepeatAndExit) {
  struct Case {
    const char* what;
    std::vector<CAction> actions;
    Log log;
  };
  std::vector<Case> cases;
  cases.push_back({"false question with else", {question(false), say("then"), structure(act_else), say("else"), say("after")}, {"else", "after"}});
  cases.push_back({"true question with else", {question(true), say("then"), structure(act_else), say("else"), say("after")}, {"then", "after"}});
  cases.push_back({"negated question", {question(true, true), say("then"), say("after")}, {"after"}});
  cases.push_back({"false question skips a whole block",
                   {question(false), structure(act_begin), say("a"), structure(act_begin), say("b"), structure(act_end), structure(act_end), say("after")},
                   {"after"}});
  cases.push_back({"repeat 2.6 runs three times", {repeat("2.6"), say("r"), say("after")}, {"r", "r", "r", "after"}});
  cases.push_back({"repeat 2.5 rounds to even", {repeat("2.5"), say("r")}, {"r", "r"}});
  cases.push_back({"repeat -1 skips", {repeat("-1"), say("r"), say("after")}, {"after"}});
  cases.push_back({"repeat of a block", {repeat("2"), structure(act_begin), say("a"), say("b"), structure(act_end)}, {"a", "b", "a", "b"}});
  cases.push_back({"exit in a block in a repeat ends the event",
                   {repeat("3"), structure(act_begin), say("a"), structure(act_exit), say("b"), structure(act_end), say("after")},
                   {"a"}});
  cases.push_back({"unresolved function does nothing", {call("no_such_function", {}), say("after")}, {"after"}});

  for (Case& c : cases) {
    TestGame g;
    auto& o = g.object("obj");
    for (CAction& a : c.actions) o.action(ev_other, ev_room_start, std::move(a));
    g.room("rm").place(0, 0, 0, 100001);
    g.run(0);
    EXPECT_EQ(gameLog(), c.log) << c.what;
  }
}

TEST(WorldEvents, ActionsAppliedToAnObjectRunForEachOfItsInstances) {
  TestGame g;
  auto& o = g.object("obj_caller");
  CAction each = say("each");
  each.appliesToSomething = true;
  each.appliesTo = 1;
  CAction ask = question(false);
  ask.appliesToSomething = true;
  ask.appliesTo = 2;  // no instances: the question is true
  o.action(ev_other, ev_room_start, std::move(each)).action(ev_other, ev_room_start, std::move(ask))
      .action(ev_other, ev_room_start, say("true without instances"));
  g.object("obj_target");
  g.object("obj_none");
  g.room("rm").place(0, 0, 0, 100001).place(1, 0, 0, 100002).place(1, 0, 0, 100003);
  g.run(0);
  const Log expected = {"each", "each", "true without instances"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(WorldEvents, ARoomChangeStopsTheRestOfTheActionList) {
  TestGame g;
  g.object("obj").on(ev_other, ev_room_start, "if room == 0 { test_log('go'); room_goto(1) }")
      .on(ev_other, ev_room_start, "test_log('after in room ' + string(room))");
  g.room("rm0").place(0, 0, 0, 100001);
  g.room("rm1").place(0, 0, 0, 100002);
  g.run(1);
  const Log expected = {"go", "after in room 1"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(WorldEvents, DamagedRecordsLoadWithoutHarm) {
  // A parent cycle, an instance of a missing object, a huge event number.
  TestGame g;
  auto& a = g.object("obj_a");
  a.object.parent = 1;
  a.on(ev_other, ev_room_start, "test_log('a'); event_perform_object(99999, ev_create, 0)");
  a.on(ev_other, 2000000000, "test_log('far')");
  auto& b = g.object("obj_b");
  b.object.parent = 0;
  g.room("rm").place(1, 0, 0, 100001).place(42, 0, 0, 100002);
  g.run(0);
  EXPECT_EQ(gameLog(), Log{"a"});  // obj_b inherits through the cycle once; the stray instance has no events
  EXPECT_FALSE(IsAncestor(0, 0));
  EXPECT_TRUE(IsAncestor(0, 1));
  EXPECT_NE(FindEvent(0, ev_other, 2000000000), nullptr);
}

TEST(WorldEvents, AnEventKindBeyondTheTableFailsTheObjectsChunk) {
  TestGame g;
  // Hand-made object record: kind count 12 (kinds 0 to 12).
  data::CStream& s = g.writer.Record(data::ChunkId::Objects, 0, "obj_bad");
  s.WriteInteger(430);
  for (int32_t v : {-1, 0, 1, 0, 0, -1, -1}) s.WriteInteger(v);
  s.WriteInteger(12);
  for (int k = 0; k <= 12; ++k) s.WriteInteger(-1);
  g.room("rm");
  EXPECT_FALSE(g.load());
}

TEST(WorldEvents, CompileErrorsInActionsStopPreparation) {
  TestGame g;
  g.object("obj").on(ev_create, 0, "x = = 1");
  g.room("rm");
  EXPECT_FALSE(g.load());
  EXPECT_NE(code::errorState().last.find("COMPILATION ERROR in code action\r"), std::string::npos);
  EXPECT_NE(code::errorState().last.find("of Create Event\r\nfor object obj"), std::string::npos);
}

TEST(WorldEvents, StepsRaiseEventsByObjectThenListOrderWithAlarmsMovementAndAnimation) {
  TestGame g;
  g.sprite(0, "spr_two", 2, 4, 4);
  auto& a = g.object("obj_a");
  a.object.sprite = 0;
  a.on(ev_create, 0, "alarm[3] = 2; hspeed = 3")
      .on(ev_step, ev_step_normal, "test_log('step a ' + string(id) + ' x ' + string(x) + ' from ' + string(xprevious) + ' image ' + string(image_index))")
      .on(ev_alarm, 3, "test_log('alarm ' + string(id))")
      .on(ev_other, ev_animation_end, "test_log('animation end ' + string(id))");
  g.object("obj_b").on(ev_step, ev_step_normal, "test_log('step b ' + string(id))");
  g.room("rm").place(1, 0, 0, 100001).place(0, 10, 0, 100002);
  g.run(2);
  const Log expected = {"step a 100002 x 10 from 10 image 0", "step b 100001",
                        "alarm 100002", "step a 100002 x 13 from 13 image 1", "step b 100001",
                        "animation end 100002"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(WorldEvents, EventNames) {
  struct Case {
    int32_t kind, number;
    const char* name;
  } cases[] = {
      {ev_alarm, 3, "Alarm Event for alarm 3"}, {ev_step, 1, "Begin Step Event"}, {ev_step, 7, " Step Event"},
      {ev_keyboard, 13, "Keyboard Event for <Enter> Key"}, {ev_keypress, 101, "Key Press Event for Keypad 5 Key"},
      {ev_keyrelease, 123, "Key Release Event for F12 Key"}, {ev_keyboard, 200, "Keyboard Event for <unknown> Key"},
      {ev_mouse, 55, "Mouse Event for Glob Middle Pressed"}, {ev_mouse, 12, "Mouse Event for <unknown>"},
      {ev_mouse, 38, "Mouse Event for Joystick 2 Button 3"}, {ev_other, 25, "Other Event: User Defined 15"},
      {ev_other, 57, "Other Event: Boundary View 7"}, {ev_collision, 999, "Collision Event with object <undefined>"},
      {ev_trigger, 5, "Trigger Event: <Deleted>"}, {12, 0, "<Unknown Event>"},
  };
  for (const Case& c : cases) EXPECT_EQ(EventName(c.kind, c.number), c.name);
}

}  // namespace
}  // namespace qv::world
