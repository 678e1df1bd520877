// Motion actions: each sets what its row names through the instance's motion setters, so the
// speed vector and the bounding box stay consistent, and honours the relative option.
#include <string>

#include "actions/action_families.h"
#include "actions/relative.h"
#include "code/errors.h"
#include "code/random.h"
#include "code/rounding.h"
#include "motion/builtins.h"
#include "motion/motion_planning.h"
#include "motion/collision_builtins.h"
#include "motion/movement.h"
#include "motion/path_following.h"
#include "world/bounding_box.h"
#include "world/motion_setters.h"

namespace qv::actions {

namespace {

using code::BuiltinCall;
using world::CInstance;

// The direction of each key of a numeric keypad (1 to 9); 5 stops.
constexpr double kKeypadDirection[10] = {0, 225, 270, 315, 180, 0, 0, 135, 90, 45};

// action_move(directions, speed): a random direction among the allowed keypad keys.
void action_move(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  const std::string& keys = c.string(0);
  if (!c.args[0].isString() || keys.size() != 9) {
    code::ReportActionError("Wrong argument to action_move().");
    return;
  }
  if (keys.find('1') == std::string::npos || !self) return;
  world::SetSpeed(*self, RelativeValue(self->speed, c.real(1)));
  uint32_t k;
  do {
    k = code::RandomInteger(9) + 1;
  } while (keys[k - 1] != '1');
  if (k == 5) {
    world::SetDirection(*self, 0);
    world::SetSpeed(*self, 0);
    return;
  }
  world::SetDirection(*self, kKeypadDirection[k]);
}

void action_set_motion(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  if (IsRelative()) {
    motion::MotionAdd(*self, c.real(0), c.real(1));
    return;
  }
  world::SetDirection(*self, c.real(0));
  world::SetSpeed(*self, c.real(1));
}

void action_set_hspeed(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) world::SetHspeed(*self, RelativeValue(self->hspeed, c.real(0)));
}

void action_set_vspeed(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) world::SetVspeed(*self, RelativeValue(self->vspeed, c.real(0)));
}

// Gravity is plain data of the instance: set directly, no setter involved.
void action_set_gravity(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  self->gravityDirection = RelativeValue(self->gravityDirection, c.real(0));
  self->gravity = RelativeValue(self->gravity, c.real(1));
}

void action_set_friction(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) self->friction = RelativeValue(self->friction, c.real(0));
}

void action_move_to(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  const Position p = RelativePosition(*self, c.real(0), c.real(1));
  world::SetPosition(*self, p.x, p.y);
}

void action_move_start(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) world::SetPosition(*self, self->xstart, self->ystart);
}

void action_reverse_xdir(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) world::SetHspeed(*self, -self->hspeed);
}

void action_reverse_ydir(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) world::SetVspeed(*self, -self->vspeed);
}

// move_towards_point with the target position relative.
void action_move_point(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  const Position p = RelativePosition(*self, c.real(0), c.real(1));
  motion::MoveTowardsPoint(*self, p.x, p.y, c.real(2));
}

// Towards a point (relative to the instance when asked), against solid instances or, with the
// last argument, against all: one step of mp_linear_step or mp_potential_step.
template <bool (*Planner)(CInstance&, double, double, double, const motion::Blocking&)>
void PlannedStep(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  const Position p = RelativePosition(*self, c.real(0), c.real(1));
  const motion::Blocking against{c.truth(3) ? motion::Blocking::Any : motion::Blocking::Solid, 0};
  Planner(*self, p.x, p.y, c.real(2), against);
}

void action_move_random(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) motion::MoveRandom(*self, c.real(0), c.real(1));
}

void action_snap(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) motion::MoveSnap(*self, c.real(0), c.real(1));
}

// 0 horizontal, 1 vertical, 2 both (any other value, NaN included, wraps nothing); no margin.
void action_wrap(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  const int64_t how = code::roundToInt64(c.real(0));
  motion::MoveWrap(*self, how == 0 || how == 2, how == 1 || how == 2, 0);
}

// Against: 0 solid instances, 1 all instances.
void action_move_contact(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) motion::MoveContact(*self, c.real(0), c.real(1), !c.truth(2));
}

void action_bounce(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) motion::MoveBounce(*self, c.truth(0), !c.truth(1));
}

// The fourth argument, not the relative option, says where the path lies: below 0.5 the path
// keeps its absolute position.
void action_path(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  motion::PathStart(*self, IndexArgument(c, 0), c.real(1), IndexArgument(c, 2), !c.truth(3));
}

void action_path_end(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) self->pathIndex = -1;
}

void action_path_position(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) motion::SetPathPosition(*self, RelativeValue(self->pathPosition, c.real(0)));
}

void action_path_speed(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) self->pathSpeed = RelativeValue(self->pathSpeed, c.real(0));
}

constexpr code::BuiltinFunction kMotionActions[] = {
    {"action_move", action_move, 2},
    {"action_set_motion", action_set_motion, 2},
    {"action_set_hspeed", action_set_hspeed, 1},
    {"action_set_vspeed", action_set_vspeed, 1},
    {"action_set_gravity", action_set_gravity, 2},
    {"action_set_friction", action_set_friction, 1},
    {"action_move_to", action_move_to, 2},
    {"action_move_start", action_move_start, 0},
    {"action_reverse_xdir", action_reverse_xdir, 0},
    {"action_reverse_ydir", action_reverse_ydir, 0},
    {"action_move_point", action_move_point, 3},
    {"action_move_random", action_move_random, 2},
    {"action_linear_step", PlannedStep<motion::LinearStep>, 4},
    {"action_potential_step", PlannedStep<motion::PotentialStep>, 4},
    {"action_snap", action_snap, 2},
    {"action_wrap", action_wrap, 1},
    {"action_move_contact", action_move_contact, 3},
    {"action_bounce", action_bounce, 2},
    {"action_path", action_path, 4},
    {"action_path_end", action_path_end, 0},
    {"action_path_position", action_path_position, 1},
    {"action_path_speed", action_path_speed, 1},
};

}  // namespace

code::BuiltinFamily MotionActions() { return kMotionActions; }

}  // namespace qv::actions
