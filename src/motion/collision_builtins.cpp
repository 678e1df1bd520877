// place_*, position_*, collision_*, instance_place, instance_position, instance_nearest and
// instance_furthest.
#include "motion/collision_builtins.h"

#include <string>

#include "code/errors.h"
#include "motion/collision.h"
#include "motion/collision_search.h"
#include "world/game_world.h"
#include "world/instance.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/room.h"

namespace qv::motion {

namespace {

using code::BuiltinCall;
using world::CInstance;

double idOf(const CInstance* in) { return in ? in->id : kNoone; }

// place_meeting and position_meeting name self and other by their ids.
int32_t translated(const BuiltinCall& c, int32_t object) {
  if (object == kSelf) return world::Self(c) ? world::Self(c)->id : kNoone;
  if (object == kOther) return world::Other(c) ? world::Other(c)->id : kNoone;
  return object;
}

// The first instance of `object` whose mask holds the point.
CInstance* atPoint(double x, double y, int32_t object) {
  Area area;
  const bool bounded = AreaAround(x, y, x, y, area);
  return FindInstance(object, bounded ? &area : nullptr,
                      [&](CInstance& in) { return InstanceTouchesPoint(in, x, y, true); });
}

void place_free(BuiltinCall& c) { c.result.setReal(code::truthValue(!world::Self(c) || PlaceFree(*world::Self(c), c.real(0), c.real(1)))); }
void place_empty(BuiltinCall& c) { c.result.setReal(code::truthValue(!world::Self(c) || PlaceEmpty(*world::Self(c), c.real(0), c.real(1)))); }
void place_meeting(BuiltinCall& c) {
  const bool meets = world::Self(c) && PlaceCollision(*world::Self(c), c.real(0), c.real(1), translated(c, c.integer(2)), false);
  c.result.setReal(code::truthValue(meets));
}
void instance_place(BuiltinCall& c) {
  c.result.setReal(idOf(world::Self(c) ? PlaceCollision(*world::Self(c), c.real(0), c.real(1), c.integer(2), false) : nullptr));
}

void instance_position(BuiltinCall& c) { c.result.setReal(idOf(atPoint(c.real(0), c.real(1), c.integer(2)))); }
void position_empty(BuiltinCall& c) { c.result.setReal(code::truthValue(!atPoint(c.real(0), c.real(1), kAll))); }
void position_meeting(BuiltinCall& c) {
  c.result.setReal(code::truthValue(atPoint(c.real(0), c.real(1), translated(c, c.integer(2))) != nullptr));
}

// Every instance holding the point, in list order; the count is taken first, so instances that
// the action adds (a change appends its new instance) are not visited.
template <class Act>
void everyAtPoint(double x, double y, Act act) {
  const size_t count = world::CurrentRoom().instances.size();
  for (size_t k = 0; k < count; ++k) {
    auto& list = world::CurrentRoom().instances;
    if (k >= list.size()) return;
    CInstance& in = *list[k];
    if (InstanceTouchesPoint(in, x, y, true)) act(in);
  }
}

void position_destroy(BuiltinCall& c) { PositionDestroy(c.real(0), c.real(1)); }

void position_change(BuiltinCall& c) {
  const int32_t object = c.integer(2);
  const bool perform = c.truth(3);
  if (!world::ObjectExists(object)) {
    code::ReportActionError("Asking to change into non-existing object: " + std::to_string(object));
    return;
  }
  everyAtPoint(c.real(0), c.real(1), [&](CInstance& in) { world::ChangeInstance(in, object, perform); });
}

// The collision_* family: the first instance of obj touching the shape, the caller skipped when
// notme is set.
template <class Touches>
void shapeSearch(BuiltinCall& c, double x1, double y1, double x2, double y2, int first, Touches touches) {
  const int32_t object = c.integer(first);
  const bool precise = c.truth(first + 1), notme = c.truth(first + 2);
  Area area;
  const bool bounded = AreaAround(x1, y1, x2, y2, area);
  CInstance* found = FindInstance(object, bounded ? &area : nullptr, [&](CInstance& in) {
    return !(notme && &in == world::Self(c)) && touches(in, x1, y1, x2, y2, precise);
  });
  c.result.setReal(idOf(found));
}

void collision_point(BuiltinCall& c) {
  shapeSearch(c, c.real(0), c.real(1), c.real(0), c.real(1), 2,
              [](const CInstance& in, double x, double y, double, double, bool precise) {
                return InstanceTouchesPoint(in, x, y, precise);
              });
}
void collision_rectangle(BuiltinCall& c) {
  shapeSearch(c, c.real(0), c.real(1), c.real(2), c.real(3), 4, InstanceTouchesRectangle);
}
void collision_ellipse(BuiltinCall& c) {
  shapeSearch(c, c.real(0), c.real(1), c.real(2), c.real(3), 4, InstanceTouchesEllipse);
}
void collision_circle(BuiltinCall& c) {
  const double xc = c.real(0), yc = c.real(1), r = c.real(2);
  shapeSearch(c, xc + r, yc + r, xc - r, yc - r, 3, InstanceTouchesEllipse);
}
void collision_line(BuiltinCall& c) {
  shapeSearch(c, c.real(0), c.real(1), c.real(2), c.real(3), 4, InstanceTouchesLine);
}

// Nearest and furthest by squared distance between (x, y) and each instance's position; only all
// and object indices are searched, and ties keep the earlier instance.
template <class Better>
void extremeInstance(BuiltinCall& c, double start, Better better) {
  const double px = c.real(0), py = c.real(1);
  const int32_t object = c.integer(2);
  double best = start;
  CInstance* found = nullptr;
  auto consider = [&](CInstance* in) {
    if (in->destroyed) return;
    const double dx = in->x - px, dy = in->y - py, d = dx * dx + dy * dy;
    if (better(d, best)) {
      best = d;
      found = in;
    }
  };
  world::CRoom& room = world::CurrentRoom();
  if (object == kAll) {
    for (auto& in : room.instances) consider(in.get());
  } else if (object >= 0 && object < kFirstInstanceId) {
    for (CInstance* in : room.InstancesOf(object)) consider(in);
  }
  c.result.setReal(idOf(found));
}

void instance_nearest(BuiltinCall& c) {
  extremeInstance(c, 10000000000.0, [](double d, double best) { return d < best; });
}
void instance_furthest(BuiltinCall& c) {
  extremeInstance(c, -1.0, [](double d, double best) { return d > best; });
}

constexpr code::BuiltinFunction kCollisionFunctions[] = {
    {"place_free", place_free, 2},
    {"place_empty", place_empty, 2},
    {"place_meeting", place_meeting, 3},
    {"instance_place", instance_place, 3},
    {"instance_position", instance_position, 3},
    {"position_empty", position_empty, 2},
    {"position_meeting", position_meeting, 3},
    {"position_destroy", position_destroy, 2},
    {"position_change", position_change, 4},
    {"collision_point", collision_point, 5},
    {"collision_rectangle", collision_rectangle, 7},
    {"collision_ellipse", collision_ellipse, 7},
    {"collision_circle", collision_circle, 6},
    {"collision_line", collision_line, 7},
    {"instance_nearest", instance_nearest, 3},
    {"instance_furthest", instance_furthest, 3},
};

}  // namespace

code::BuiltinFamily CollisionFunctions() { return kCollisionFunctions; }

void PositionDestroy(double x, double y) {
  everyAtPoint(x, y, [](CInstance& in) { world::DestroyInstance(in); });
}

}  // namespace qv::motion
