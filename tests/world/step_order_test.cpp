// The order of one step, shown by a game in which every stage raises one event that logs itself.
#include <gtest/gtest.h>

#include "graphics/display.h"
#include "motion/path.h"
#include "platform/recording_device.h"
#include "system/joysticks.h"
#include "world/input.h"
#include "world/room_drawing.h"
#include "world_game.h"

namespace qv::world {
namespace {

using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

CTrigger trigger(std::string name, int32_t moment) {
  CTrigger t;
  t.name = std::move(name);
  t.condition = "return 1";
  t.moment = moment;
  return t;
}

TEST(StepOrder, EveryStageRaisesItsEventsInTheirPlace) {
  TestGame g;
  g.sprite(0, "spr_block", 1, 16, 16);
  g.path("path_short", 0, false, {{0, 0, 100}, {10, 0, 100}});
  g.timeLine("tl_first", {{0, "test_log('time line')"}});
  g.triggerList = {trigger("trg_step", 0), trigger("trg_begin", 1), trigger("trg_end", 2)};
  auto& main = g.object("obj_main");
  main.object.sprite = 0;
  main.on(ev_trigger, 0, "test_log('trigger step')")
      .on(ev_trigger, 1, "test_log('trigger begin')")
      .on(ev_trigger, 2, "test_log('trigger end')")
      .on(ev_step, ev_step_begin, "test_log('begin step')")
      .on(ev_alarm, 0, "test_log('alarm')")
      .on(ev_keyboard, 0, "test_log('keyboard')")
      .on(ev_mouse, 16, "test_log('joystick')")
      .on(ev_mouse, 3, "test_log('mouse')")
      .on(ev_step, ev_step_normal, "test_log('step')")
      .on(ev_other, ev_end_of_path, "test_log('end of path')")
      .on(ev_collision, 1, "test_log('collision')")
      .on(ev_step, ev_step_end, "test_log('end step')")
      .on(ev_draw, 0, "test_log('draw')")
      .on(ev_other, ev_animation_end, "test_log('animation end')");
  g.object("obj_other").object.sprite = 0;
  g.object("obj_outsider")
      .on(ev_other, ev_outside, "test_log('outside')")
      .on(ev_other, ev_boundary, "test_log('boundary')");
  g.room("rm")
      .place(0, 0, 0, 100001,
             "alarm[0] = 1; timeline_index = tl_first; timeline_running = true; image_speed = 1;"
             "path_start(path_short, 100, 0, 0);")
      .place(1, 4, 4, 100002)
      .place(2, -50, 10, 100003);

  // Joystick 1 held left; the mouse over the first instance.
  system::joystickSource().read = [](int device, platform::JoystickReading& r) {
    if (device != 0) return false;
    r = platform::JoystickReading{};
    r.axes[0] = 0;
    return true;
  };
  // The room is drawn on a device that records its calls.
  graphics::display().useDevice(std::make_unique<platform::RecordingDevice>());
  AttachRoomDrawing();
  g.run(1, [] {
    platform::WindowEvent move;
    move.kind = platform::WindowEvent::MouseMove;
    move.x = move.y = 5;
    HandleWindowInput(move);
    return true;
  });
  system::joystickSource() = system::JoystickSource{};
  graphics::display().drawRoom = nullptr;
  graphics::display().releaseDevice();
  // The first draw is the room's drawing when it is entered, before the step.
  const Log expected = {"draw",          "trigger begin", "begin step", "time line",   "alarm",
                        "keyboard",      "joystick",      "mouse",      "trigger step", "step",
                        "end of path",   "outside",       "boundary",   "collision",   "trigger end",
                        "end step",      "draw",          "animation end"};
  EXPECT_EQ(gameLog(), expected);
}

}  // namespace
}  // namespace qv::world
