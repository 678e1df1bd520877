// The collision and contact families of built-in functions: place_*, position_*, collision_*,
// instance_place, instance_position, instance_nearest, instance_furthest (collision_builtins.cpp),
// and the moves that stop at, leave or bounce off other instances, move_random and
// distance_to_object (contact_builtins.cpp).
#pragma once

#include "code/builtin.h"

namespace qv::world {
class CInstance;
}

namespace qv::motion {

code::BuiltinFamily CollisionFunctions();
code::BuiltinFamily ContactFunctions();

// The moves of game code on one instance, for the action library. Solid-only moves test against
// solid instances, the others against every instance.
void MoveContact(world::CInstance& self, double direction, double maxdist, bool solidOnly);
void MoveBounce(world::CInstance& self, bool advanced, bool solidOnly);
// move_random: up to 100 tries of a free position inside the room, snapped down to the grid.
void MoveRandom(world::CInstance& self, double hsnap, double vsnap);
// position_destroy: destroys every instance whose mask holds the point.
void PositionDestroy(double x, double y);

}  // namespace qv::motion
