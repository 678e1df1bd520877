// Game code's motion functions on the calling instance.
#include <cmath>

#include "code/builtin.h"
#include "world/bounding_box.h"
#include "motion/builtins.h"
#include "world/motion_setters.h"
#include "motion/movement.h"
#include "motion/path_following.h"
#include "world/game_world.h"
#include "world/instance.h"

namespace qv::motion {

namespace {

using code::BuiltinCall;
using code::BuiltinFunction;

// A coordinate on the grid of `snap` (nearest, ties to even); unchanged without a grid.
double snappedTo(double c, double snap) { return snap > 0 ? std::nearbyint(c / snap) * snap : c; }
bool onGrid(double c, double snap) { return snap <= 0 || std::fabs(c - std::nearbyint(c / snap) * snap) < 0.001; }

void motion_set(BuiltinCall& c) {
  if (!world::Self(c)) return;
  world::SetDirection(*world::Self(c), c.real(0));
  world::SetSpeed(*world::Self(c), c.real(1));
}

void motion_add(BuiltinCall& c) {
  if (world::Self(c)) MotionAdd(*world::Self(c), c.real(0), c.real(1));
}

void move_towards_point(BuiltinCall& c) {
  if (world::Self(c)) MoveTowardsPoint(*world::Self(c), c.real(0), c.real(1), c.real(2));
}

void move_snap(BuiltinCall& c) {
  if (world::Self(c)) MoveSnap(*world::Self(c), c.real(0), c.real(1));
}

void place_snapped(BuiltinCall& c) {
  if (world::Self(c)) c.result = code::truthValue(onGrid(world::Self(c)->x, c.real(0)) && onGrid(world::Self(c)->y, c.real(1)));
}

// Wraps one coordinate around [-margin, size + margin].
double wrapped(double c, double size, double margin) {
  if (c < -margin) c += size + 2 * margin;
  if (c > size + margin) c -= size + 2 * margin;
  return c;
}

void move_wrap(BuiltinCall& c) {
  if (world::Self(c)) MoveWrap(*world::Self(c), c.truth(0), c.truth(1), c.real(2));
}

// The distance from the point to the bounding box (0 inside it); the box edges as they are.
void distance_to_point(BuiltinCall& c) {
  if (!world::Self(c)) return;
  const world::CInstance& in = *world::Self(c);
  const double px = c.real(0), py = c.real(1);
  const double dx = px > in.bboxRight ? px - in.bboxRight : px < in.bboxLeft ? px - in.bboxLeft : 0;
  const double dy = py > in.bboxBottom ? py - in.bboxBottom : py < in.bboxTop ? py - in.bboxTop : 0;
  c.result = std::sqrt(dx * dx + dy * dy);
}

void path_start(BuiltinCall& c) {
  if (world::Self(c)) PathStart(*world::Self(c), c.integer(0), c.real(1), c.integer(2), c.truth(3));
}

void path_end(BuiltinCall& c) {
  if (world::Self(c)) PathEnd(*world::Self(c));
}

constexpr BuiltinFunction kMotionFunctions[] = {
    {"motion_set", motion_set, 2},
    {"motion_add", motion_add, 2},
    {"move_towards_point", move_towards_point, 3},
    {"move_snap", move_snap, 2},
    {"move_wrap", move_wrap, 3},
    {"place_snapped", place_snapped, 2},
    {"distance_to_point", distance_to_point, 2},
    {"path_start", path_start, 4},
    {"path_end", path_end, 0},
};

}  // namespace

code::BuiltinFamily MotionFunctions() { return kMotionFunctions; }

void MoveTowardsPoint(world::CInstance& in, double x, double y, double sp) {
  world::SetHspeed(in, x - in.x);
  world::SetVspeed(in, y - in.y);
  world::SetSpeed(in, sp);
}

void MoveSnap(world::CInstance& in, double hsnap, double vsnap) {
  world::SetPosition(in, snappedTo(in.x, hsnap), snappedTo(in.y, vsnap));
}

void MoveWrap(world::CInstance& in, bool horizontal, bool vertical, double margin) {
  const world::CRoom& room = world::CurrentRoom();
  if (horizontal) world::SetPosition(in, wrapped(in.x, room.width, margin), in.y);
  if (vertical) world::SetPosition(in, in.x, wrapped(in.y, room.height, margin));
}

}  // namespace qv::motion
