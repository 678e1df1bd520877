#include "motion/movement.h"

#include <cmath>
#include <numbers>

#include "world/bounding_box.h"
#include "world/motion_setters.h"
#include "motion/path_following.h"
#include "world/event_names.h"
#include "world/event_performer.h"
#include "world/instance.h"

namespace qv::motion {

void MotionAdd(world::CInstance& in, double dir, double sp) {
  const double a = std::numbers::pi * dir / 180;
  in.hspeed += std::cos(a) * sp;
  in.vspeed -= std::sin(a) * sp;
  PolarFromVector(in);
}

void ApplyFriction(world::CInstance& in) {
  if (in.friction == 0) return;
  const double s = in.speed > 0 ? in.speed - in.friction : in.speed + in.friction;
  if ((in.speed > 0 && s < 0) || (in.speed < 0 && s > 0)) {
    world::SetSpeed(in, 0);
  } else if (in.speed != 0) {
    world::SetSpeed(in, s);
  }
}

void ApplyGravity(world::CInstance& in) {
  if (in.gravity != 0) MotionAdd(in, in.gravityDirection, in.gravity);
}

void MoveInstance(world::CInstance& in) {
  ApplyFriction(in);
  ApplyGravity(in);
  if (in.pathIndex >= 0 && PathStep(in)) world::PerformEvent(&in, &in, in.objectIndex, world::ev_other, world::ev_end_of_path);
  world::SetPosition(in, in.x + in.hspeed, in.y + in.vspeed);
}

}  // namespace qv::motion
