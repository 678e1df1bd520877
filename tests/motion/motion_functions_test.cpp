// Game code's motion and path functions called as the interpreter calls them, on an instance:
// the motion setters they go through, the movement of one step (friction, gravity, path), the
// path editing functions with their errors, and draw_path's line strips.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "code/builtin.h"
#include "graphics/display.h"
#include "graphics/draw_state.h"
#include "motion/builtins.h"
#include "motion/movement.h"
#include "motion/path.h"
#include "motion/path_following.h"
#include "platform/recording_device.h"
#include "support/builtin_call.h"
#include "world/instance.h"

namespace qv::motion {
namespace {

// Arguments are reals, as every motion and path function takes.
code::RValue call(std::string_view name, world::CInstance* self, std::vector<double> reals = {}) {
  std::vector<code::RValue> args(reals.begin(), reals.end());
  for (code::BuiltinFamily family : {MotionFunctions(), PathFunctions()}) {
    for (const code::BuiltinFunction& f : family) {
      if (name != f.name) continue;
      if (f.argumentCount != int(args.size())) throw std::logic_error(std::string(name) + ": argument count");
      code::RValue result;
      code::BuiltinCall c{self, self, int(args.size()), args.data(), result};
      f.handler(c);
      return result;
    }
  }
  throw std::logic_error("no function " + std::string(name));
}
double real(std::string_view name, std::vector<double> args = {}) { return call(name, nullptr, std::move(args)).real; }

TEST(MotionFunctions, SetTheMotionThroughTheSetters) {
  world::CInstance in;
  call("motion_set", &in, {0, 0});
  EXPECT_EQ(in.direction, 0);
  EXPECT_EQ(in.speed, 0);
  call("motion_set", &in, {90, 3});
  EXPECT_EQ(in.hspeed, 0);
  EXPECT_EQ(in.vspeed, -3);
  call("motion_add", &in, {0, 4});
  EXPECT_EQ(in.hspeed, 4);
  EXPECT_EQ(in.speed, 5);
  EXPECT_DOUBLE_EQ(in.direction, 36.86989764584402);

  world::CInstance mover;
  mover.x = 10;
  mover.y = 10;
  call("move_towards_point", &mover, {13, 6, 10});
  EXPECT_DOUBLE_EQ(mover.direction, 53.13010235415598);
  EXPECT_EQ(mover.speed, 10);
  EXPECT_NEAR(mover.hspeed, 6, 1e-12);
  EXPECT_NEAR(mover.vspeed, -8, 1e-12);
  // Towards its own position: no vector, so the direction stays 0 and the speed points right.
  world::CInstance still;
  call("move_towards_point", &still, {0, 0, 2});
  EXPECT_EQ(still.direction, 0);
  EXPECT_EQ(still.hspeed, 2);
}

TEST(MotionFunctions, SnapWrapAndMeasure) {
  struct Snap {
    double x, y, hsnap, vsnap, wantX, wantY;
  } snaps[] = {
      {23, 7.3, 16, 0, 16, 7.3},
      {40, 7.3, 16, 0, 32, 7.3},  // 2.5 cells: ties go to the even cell
      {-9, 13, 4, 8, -8, 16},
  };
  for (const Snap& s : snaps) {
    world::CInstance in;
    in.x = s.x;
    in.y = s.y;
    call("move_snap", &in, {s.hsnap, s.vsnap});
    EXPECT_EQ(in.x, s.wantX) << s.x;
    EXPECT_EQ(in.y, s.wantY) << s.x;
  }
  world::CInstance grid;
  grid.x = 32;
  grid.y = 8.0005;
  EXPECT_EQ(call("place_snapped", &grid, {16, 8}).real, 1);
  grid.y = 8.002;
  EXPECT_EQ(call("place_snapped", &grid, {16, 8}).real, 0);
  EXPECT_EQ(call("place_snapped", &grid, {16, 0}).real, 1);  // no grid vertically

  // The stand-in room without a current room is 640 x 480.
  struct Wrap {
    double x, y;
    bool hor, vert;
    double margin, wantX, wantY;
  } wraps[] = {
      {-1, 5, true, true, 0, 639, 5},
      {641, 481, true, true, 0, 1, 1},
      {-11, -3, true, false, 10, 649, -3},
      {-10, 490, true, true, 10, -10, 490},
      {700, 700, false, false, 0, 700, 700},
  };
  for (const Wrap& w : wraps) {
    world::CInstance in;
    in.x = w.x;
    in.y = w.y;
    call("move_wrap", &in, {w.hor ? 1.0 : 0.0, w.vert ? 1.0 : 0.0, w.margin});
    EXPECT_EQ(in.x, w.wantX) << w.x;
    EXPECT_EQ(in.y, w.wantY) << w.x;
  }

  world::CInstance box;
  box.bboxLeft = 10;
  box.bboxTop = 20;
  box.bboxRight = 30;
  box.bboxBottom = 40;
  EXPECT_EQ(call("distance_to_point", &box, {15, 25}).real, 0);
  EXPECT_EQ(call("distance_to_point", &box, {33, 44}).real, 5);
  EXPECT_EQ(call("distance_to_point", &box, {0, 30}).real, 10);
}

TEST(Movement, FrictionGravityAndThePathMoveTheInstance) {
  world::CInstance slow;
  slow.speed = 0.2;
  slow.hspeed = 0.2;
  slow.friction = 0.3;
  MoveInstance(slow);
  EXPECT_EQ(slow.speed, 0);  // stopped, not reversed
  EXPECT_EQ(slow.x, 0);

  world::CInstance back;
  back.speed = -3;
  back.hspeed = -3;
  back.friction = 1;
  MoveInstance(back);
  EXPECT_EQ(back.speed, -2);
  EXPECT_EQ(back.x, -2);

  world::CInstance falling;
  falling.gravity = 0.5;  // downwards by default (270)
  MoveInstance(falling);
  MoveInstance(falling);
  EXPECT_EQ(falling.vspeed, 1);
  EXPECT_EQ(falling.direction, 270);
  EXPECT_EQ(falling.y, 1.5);

  // On a path, the path alone moves the instance: its own speed is zeroed by the path step.
  paths().clear();
  auto p = std::make_unique<CPath>();
  p->closed = false;
  p->points = {{0, 0, 100}, {0, 100, 100}};
  p->Recompute();
  paths().append(std::move(p), "down");
  world::CInstance walker;
  PathStart(walker, 0, 5, kPathActionStop, true);
  walker.hspeed = 3;
  walker.speed = 3;
  MoveInstance(walker);
  EXPECT_EQ(walker.x, 0);
  EXPECT_EQ(walker.y, 5);
  EXPECT_EQ(walker.speed, 0);
  EXPECT_EQ(walker.direction, 270);
}

TEST(PathFunctions, QueryAndEditPaths) {
  paths().clear();
  testing::ClearErrors();
  const double p = real("path_add");
  EXPECT_EQ(p, 0);
  EXPECT_EQ(call("path_get_name", nullptr, {p}).str, "__newpath0");
  EXPECT_EQ(call("path_name", nullptr, {p}).str, "__newpath0");
  EXPECT_EQ(real("path_get_closed", {p}), 1);
  EXPECT_EQ(real("path_get_precision", {p}), 4);
  EXPECT_EQ(real("path_get_length", {p}), 0);
  real("path_set_closed", {p, 0});
  real("path_add_point", {p, 0, 0, 100});
  real("path_add_point", {p, 40, 0, 50});
  real("path_add_point", {p, 40, 30, 100});
  EXPECT_EQ(real("path_get_number", {p}), 3);
  EXPECT_EQ(real("path_get_length", {p}), 70);
  EXPECT_EQ(real("path_get_x", {p, 0.5}), 35);
  EXPECT_EQ(real("path_get_speed", {p, 0.5}), 56.25);
  EXPECT_EQ(real("path_get_y", {p, 1}), 30);
  EXPECT_EQ(real("path_get_point_speed", {p, 1}), 50);
  EXPECT_EQ(real("path_get_point_x", {p, 3}), 0);  // out of range
  EXPECT_EQ(real("path_get_point_speed", {p, -1}), 1);

  real("path_insert_point", {p, 3, 0, 30, 100});  // at the end
  real("path_insert_point", {p, 9, 5, 5, 5});     // out of range: nothing
  real("path_change_point", {p, 0, 0, 0, 80});
  real("path_change_point", {p, 4, 1, 1, 1});
  EXPECT_EQ(real("path_get_number", {p}), 4);
  EXPECT_EQ(real("path_get_length", {p}), 110);
  EXPECT_EQ(real("path_get_point_speed", {p, 0}), 80);

  // Shape edits about the centre (20, 15) of the box (0, 0)-(40, 30).
  real("path_shift", {p, 10, -5});
  EXPECT_EQ(real("path_get_point_x", {p, 1}), 50);
  EXPECT_EQ(real("path_get_point_y", {p, 1}), -5);
  real("path_shift", {p, -10, 5});
  real("path_mirror", {p});
  EXPECT_EQ(real("path_get_point_x", {p, 0}), 40);
  real("path_mirror", {p});
  real("path_flip", {p});
  EXPECT_EQ(real("path_get_point_y", {p, 0}), 30);
  real("path_flip", {p});
  real("path_scale", {p, 2, 0.5});
  EXPECT_EQ(real("path_get_point_x", {p, 1}), 60);
  EXPECT_EQ(real("path_get_point_y", {p, 2}), 22.5);
  real("path_scale", {p, 0.5, 2});
  // A quarter counter-clockwise: (40, 0), 20 right of and 15 above the centre, comes to 20 above
  // and 15 left of it.
  real("path_rotate", {p, 90});
  EXPECT_NEAR(real("path_get_point_x", {p, 1}), 5, 1e-9);
  EXPECT_NEAR(real("path_get_point_y", {p, 1}), -5, 1e-9);
  real("path_rotate", {p, -90});
  real("path_reverse", {p});
  EXPECT_NEAR(real("path_get_point_y", {p, 0}), 30, 1e-9);
  real("path_delete_point", {p, 0});
  real("path_delete_point", {p, 3});
  EXPECT_EQ(real("path_get_number", {p}), 3);

  real("path_set_kind", {p, 5});
  EXPECT_EQ(real("path_get_kind", {p}), 0);
  real("path_set_kind", {p, 1});
  EXPECT_EQ(real("path_get_kind", {p}), 1);
  real("path_set_precision", {p, 12});
  EXPECT_EQ(real("path_get_precision", {p}), 8);
  real("path_clear_points", {p});
  EXPECT_EQ(real("path_get_number", {p}), 0);
  EXPECT_EQ(real("path_get_length", {p}), 0);  // smooth, open and empty: no points at all
  EXPECT_EQ(testing::LastError(), "");

  // A path that does not exist: getters give -1, edits do nothing, silently.
  EXPECT_EQ(real("path_exists", {7}), 0);
  EXPECT_EQ(real("path_get_length", {7}), -1);
  EXPECT_EQ(real("path_get_point_x", {7, 0}), -1);
  EXPECT_EQ(real("path_get_x", {7, 0}), -1);
  real("path_add_point", {7, 1, 1, 100});
  EXPECT_EQ(testing::LastError(), "");
}

TEST(PathFunctions, CopyingAppendingDeletingAndTheirErrors) {
  paths().clear();
  const double a = real("path_add"), b = real("path_add");
  real("path_add_point", {a, 0, 0, 100});
  real("path_add_point", {a, 10, 0, 100});
  real("path_append", {a, a});  // to itself: the points once more, not without end
  EXPECT_EQ(real("path_get_number", {a}), 4);
  real("path_assign", {a, a});
  EXPECT_EQ(real("path_get_number", {a}), 4);
  real("path_assign", {b, a});
  EXPECT_EQ(real("path_get_number", {b}), 4);
  EXPECT_EQ(real("path_get_length", {b}), real("path_get_length", {a}));
  const double c = real("path_duplicate", {a});
  EXPECT_EQ(c, 2);
  EXPECT_EQ(call("path_get_name", nullptr, {c}).str, "__newpath2");
  EXPECT_EQ(real("path_get_number", {c}), 4);
  real("path_delete", {a});
  EXPECT_EQ(real("path_exists", {a}), 0);
  EXPECT_EQ(real("path_exists", {b}), 1);

  struct Failing {
    const char* name;
    std::vector<double> args;
    const char* message;
  } failing[] = {
      {"path_duplicate", {a}, "Trying to duplicate non-existing path."},
      {"path_assign", {a, b}, "Error assigning a path."},
      {"path_assign", {b, a}, "Error assigning a path."},
      {"path_append", {a, b}, "Appending to non-existing path."},
      {"path_append", {b, a}, "Appending a non-existing path."},
      {"path_delete", {a}, "Trying to delete non-existing path."},
  };
  for (const Failing& f : failing) {
    testing::ClearErrors();
    const double before = real("path_get_number", {b});
    call(f.name, nullptr, f.args);
    EXPECT_NE(testing::LastError().find(f.message), std::string::npos) << f.name << ": " << testing::LastError();
    EXPECT_EQ(real("path_get_number", {b}), before) << f.name;
  }
  testing::ClearErrors();
  EXPECT_EQ(real("path_duplicate", {a}), -1);
}

TEST(PathFunctions, DrawPathDrawsStripsThroughThePath) {
  auto device = std::make_unique<platform::RecordingDevice>();
  platform::RecordingDevice* rec = device.get();
  graphics::display().useDevice(std::move(device));
  graphics::drawState() = graphics::DrawState();
  paths().clear();
  testing::ClearErrors();

  const double p = real("path_add");
  real("path_set_closed", {p, 0});
  real("path_add_point", {p, 10, 20, 100});
  real("path_add_point", {p, 18, 20, 100});  // length 8: n = 2
  real("draw_path", {p, 100, 200, 1});
  ASSERT_EQ(rec->draws.size(), 1u);
  EXPECT_EQ(rec->draws[0].type, platform::PrimitiveType::LineStrip);
  ASSERT_EQ(rec->draws[0].vertices.size(), 3u);
  EXPECT_EQ(rec->draws[0].vertices[1].x, 14);
  EXPECT_EQ(rec->draws[0].vertices[2].y, 20);
  EXPECT_EQ(rec->draws[0].vertices[0].colour, graphics::drawState().colour);
  // Relative: moved so that the start is at (x, y).
  real("draw_path", {p, 100, 200, 0});
  ASSERT_EQ(rec->draws.size(), 2u);
  EXPECT_EQ(rec->draws[1].vertices[0].x, 100);
  EXPECT_EQ(rec->draws[1].vertices[2].x, 108);
  EXPECT_EQ(rec->draws[1].vertices[2].y, 200);

  // 4000 pixels: 1001 points in strips of 500, each beginning where the one before ended.
  real("path_change_point", {p, 1, 4010, 20, 100});
  rec->draws.clear();
  real("draw_path", {p, 0, 0, 1});
  ASSERT_EQ(rec->draws.size(), 3u);
  EXPECT_EQ(rec->draws[0].vertices.size(), 500u);
  EXPECT_EQ(rec->draws[1].vertices.size(), 500u);
  EXPECT_EQ(rec->draws[2].vertices.size(), 3u);
  EXPECT_EQ(rec->draws[1].vertices[0].x, rec->draws[0].vertices[499].x);
  EXPECT_EQ(rec->draws[2].vertices[2].x, 4010);

  // Too short to draw (n = 0), and a path that does not exist.
  real("path_change_point", {p, 1, 11, 20, 100});
  rec->draws.clear();
  real("draw_path", {p, 0, 0, 1});
  EXPECT_TRUE(rec->draws.empty());
  EXPECT_EQ(testing::LastError(), "");
  real("draw_path", {9, 0, 0, 1});
  EXPECT_NE(testing::LastError().find("Trying to drawn non-existing path."), std::string::npos);
  EXPECT_TRUE(rec->draws.empty());
  graphics::display().releaseDevice();
}

}  // namespace
}  // namespace qv::motion
