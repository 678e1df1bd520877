// The collision and contact families of built-in functions: place_*, position_*, collision_*,
// instance_place, instance_position, instance_nearest, instance_furthest (collision_builtins.cpp),
// and the moves that stop at, leave or bounce off other instances, move_random and
// distance_to_object (contact_builtins.cpp).
#pragma once

#include "code/builtin.h"

namespace qv::motion {

code::BuiltinFamily CollisionFunctions();
code::BuiltinFamily ContactFunctions();

}  // namespace qv::motion
