// The short ways a step takes through built-in variables and events must give what the long ways
// give: the real getters that numeric forms read agree with the variables' getters, assignments
// of numeric values to built-in variables go through their setters (a read-only one still fails),
// and a one-action event keeps the action's number and the relative flag.
#include <gtest/gtest.h>

#include "code/builtin_variables.h"
#include "code/errors.h"
#include "world/instance.h"
#include "world_game.h"

namespace qv::world {
namespace {

using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

TEST(StepFastPaths, RealGettersGiveWhatTheGettersGive) {
  code::EnsureBuiltinsRegistered();
  InstallGame();
  // Every field a value of its own, so that a getter bound to the wrong field shows.
  CInstance in;
  double next = 1.25;
  for (double* d : {&in.x, &in.y, &in.xprevious, &in.yprevious, &in.xstart, &in.ystart, &in.hspeed, &in.vspeed,
                    &in.direction, &in.speed, &in.friction, &in.gravity, &in.gravityDirection, &in.depth,
                    &in.imageIndex, &in.imageSpeed, &in.imageAlpha, &in.imageXscale, &in.imageYscale,
                    &in.imageAngle}) {
    *d = next;
    next += 1.5;
  }
  in.id = 100005;
  in.objectIndex = 4;
  in.spriteIndex = 7;
  in.maskIndex = -3;
  in.timelineIndex = 11;
  in.solid = true;
  in.visible = false;
  in.persistent = true;
  int32_t withRealGetter = 0;
  for (int32_t id = 0; id < code::kBuiltinVariableCount; ++id) {
    const code::RealGetter real = code::BuiltinRealGetter(id);
    if (!real) continue;
    ++withRealGetter;
    code::RValue value;
    ASSERT_TRUE(code::ReadBuiltinVariable(id, &in, 0, value)) << code::BuiltinVariableName(id);
    ASSERT_TRUE(value.isReal()) << code::BuiltinVariableName(id);
    EXPECT_EQ(real(&in), value.real) << code::BuiltinVariableName(id);
  }
  EXPECT_GE(withRealGetter, 28);
  // Binding a variable again drops its real getter: the new getter may read something else.
  const code::BuiltinVariable* depth = code::BuiltinVariableEntry(code::bv_depth);
  const code::VariableGetter getter = depth->getter;
  const code::VariableSetter setter = depth->setter;
  const code::RealGetter real = depth->real;
  code::BindBuiltinVariable(code::bv_depth, getter, setter);
  EXPECT_EQ(code::BuiltinRealGetter(code::bv_depth), nullptr);
  code::BindRealGetter(code::bv_depth, real);
}

// The real setters of numeric assignments leave an instance as the setters leave it with the same
// real: the field, and whatever the setter derives from it (the box, speed and direction).
TEST(StepFastPaths, RealSettersDoWhatTheSettersDo) {
  code::EnsureBuiltinsRegistered();
  InstallGame();
  using Fields = std::vector<double>;
  auto fields = [](const CInstance& in) {
    Fields f;
    for (double CInstance::*d : {&CInstance::x, &CInstance::y, &CInstance::xprevious, &CInstance::yprevious,
                                 &CInstance::xstart, &CInstance::ystart, &CInstance::hspeed, &CInstance::vspeed,
                                 &CInstance::direction, &CInstance::speed, &CInstance::friction, &CInstance::gravity,
                                 &CInstance::gravityDirection, &CInstance::depth, &CInstance::imageIndex,
                                 &CInstance::imageSpeed, &CInstance::imageAlpha, &CInstance::imageXscale,
                                 &CInstance::imageYscale, &CInstance::imageAngle})
      f.push_back(in.*d);
    for (int32_t b : {in.bboxLeft, in.bboxRight, in.bboxTop, in.bboxBottom}) f.push_back(b);
    return f;
  };
  auto start = [] {
    CInstance in;
    in.x = 10;
    in.y = 20;
    in.hspeed = 3;
    in.vspeed = -4;
    in.speed = 5;
    in.direction = 53.13;
    return in;
  };
  int32_t withRealSetter = 0;
  for (int32_t id = 0; id < code::kBuiltinVariableCount; ++id) {
    const code::RealSetter set = code::g_builtinVariables[id].realSetter;
    if (!set) continue;
    ++withRealSetter;
    EXPECT_TRUE(code::g_builtinVariables[id].writable) << code::BuiltinVariableName(id);
    for (double value : {37.5, -200.25, 0.0}) {
      CInstance bySetter = start();
      CInstance byRealSetter = start();
      code::RValue v;
      v.setReal(value);
      ASSERT_TRUE(code::WriteBuiltinVariable(id, &bySetter, 0, v)) << code::BuiltinVariableName(id);
      set(&byRealSetter, value);
      EXPECT_EQ(fields(byRealSetter), fields(bySetter)) << code::BuiltinVariableName(id) << " = " << value;
    }
  }
  EXPECT_GE(withRealSetter, 20);
  // Binding a variable again drops its real setter with its real getter; a read-only variable
  // takes none.
  const code::BuiltinVariable* x = code::BuiltinVariableEntry(code::bv_x);
  const code::BuiltinVariable saved = *x;
  code::BindBuiltinVariable(code::bv_x, saved.getter, saved.setter);
  EXPECT_EQ(x->realSetter, nullptr);
  EXPECT_FALSE(code::BindRealSetter(code::bv_bbox_left, saved.realSetter));
  code::BindRealGetter(code::bv_x, saved.real);
  EXPECT_TRUE(code::BindRealSetter(code::bv_x, saved.realSetter));
}

TEST(StepFastPaths, BuiltinVariablesInNumericCodeReadAndWriteTheInstance) {
  TestGame g;
  g.sprite(0, "spr", 2, 8, 8);
  auto& a = g.object("obj");
  a.object.sprite = 0;
  a.on(ev_create, 0, "hspeed = 3; solid = 1; image_speed = 0");
  // Reads of built-in variables inside arithmetic and comparisons, and plain assignments to them
  // (the box follows x, a setter runs for speed), each logged.
  a.on(ev_step, ev_step_normal,
       "x = x + hspeed * 2; test_log(x); test_log(bbox_left);"
       "y = solid + visible * 10 + sprite_index * 100; test_log(y);"
       "if x > 12 && hspeed >= 3 { test_log('far') }"
       "speed = 0; test_log(hspeed * 1000 + 7);"
       "depth = -x; test_log(depth);"
       "x -= 1; x += 1; x *= 2; x /= 2; test_log(bbox_left); image_angle += 30; image_angle += 30; test_log(image_angle);"
       "hspeed /= 0; test_log('not reached')");
  g.room("rm").place(0, 10, 0, 100001);
  g.writer.last_instance_id = 100001;
  EXPECT_EQ(g.run(2), 2);
  // Step 1: x = 10 + 6 with hspeed 3; then speed 0 stops the motion. Step 2: x stays 16. The
  // compound assignments move the box with x; a division by 0 ends the event with its error.
  const Log expected = {"16", "16", "11", "far", "7", "-16", "16", "60",
                        "16", "16", "11", "7", "-16", "16", "120"};
  EXPECT_EQ(gameLog(), expected);
}

// `other.x` and `other.id` in numeric code read the other instance, as the walk does.
TEST(StepFastPaths, OtherBuiltinsInNumericCodeReadTheOtherInstance) {
  TestGame g;
  g.object("obj_a").on(ev_step, ev_step_normal,
                       "with (obj_b) { test_log(x - other.x + (other.id - id) * 10 + other.object_index * 1000 + "
                       "object_index * 100);"
                       "if id != other.id && other.x < x { test_log('other is left') } }");
  g.object("obj_b");
  g.room("rm").place(0, 5, 0, 100001).place(1, 7, 0, 100002);
  g.writer.last_instance_id = 100002;
  EXPECT_EQ(g.run(1), 1);
  // 7 - 5 + (100001 - 100002) * 10 + 0 * 1000 + 1 * 100
  const Log expected = {"92", "other is left"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(StepFastPaths, AssigningAReadOnlyBuiltinStillFails) {
  for (const char* code : {"bbox_left = 3; test_log('after')", "id += 1; test_log('after')"}) {
    TestGame g;
    g.object("obj").on(ev_step, ev_step_normal, code);
    g.room("rm").place(0, 0, 0, 100001);
    g.writer.last_instance_id = 100001;
    g.run(1);
    EXPECT_NE(code::errorState().last.find("Cannot assign to the variable"), std::string::npos)
        << code << ": " << code::errorState().last;
    EXPECT_NE(code::errorState().last.find("Step Event\r\nfor object obj"), std::string::npos)
        << code << ": " << code::errorState().last;
  }
}

TEST(StepFastPaths, OneActionEventsKeepTheActionNumberAndRelativeFlag) {
  TestGame g;
  auto& a = g.object("obj");
  CAction relative = CodeAction("test_log(string(event_action) + ' ' + string(argument_relative))");
  relative.mayBeRelative = true;
  relative.relative = true;
  a.action(ev_step, ev_step_normal, relative);
  // Two actions take the executor's walk; the second reports its own number.
  a.on(ev_step, ev_step_end, "test_log('first')");
  a.on(ev_step, ev_step_end, "test_log(string(event_action) + ' ' + string(argument_relative))");
  g.room("rm").place(0, 0, 0, 100001);
  g.writer.last_instance_id = 100001;
  EXPECT_EQ(g.run(1), 1);
  const Log expected = {"0 1", "first", "1 0"};
  EXPECT_EQ(gameLog(), expected);
}

}  // namespace
}  // namespace qv::world
