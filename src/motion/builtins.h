// The built-in function families of motion and paths.
#pragma once

#include "code/builtin.h"

namespace qv::world {
class CInstance;
}

namespace qv::motion {

// motion_set, motion_add, move_towards_point, move_snap, move_wrap, place_snapped,
// distance_to_point, path_start and path_end (the moves that search for collisions belong to
// collision detection).
code::BuiltinFamily MotionFunctions();
// path_* on path resources, and draw_path.
code::BuiltinFamily PathFunctions();
// mp_*: motion planning by straight steps, potential steering and grids.
code::BuiltinFamily PlanningFunctions();

// The moves of game code on one instance, for the action library.
void MoveTowardsPoint(world::CInstance& in, double x, double y, double sp);
// Each coordinate to the nearest multiple of its snap (a snap of 0 or less leaves it).
void MoveSnap(world::CInstance& in, double hsnap, double vsnap);
// Leaving the room on one side brings the instance in on the other, `margin` pixels outside.
void MoveWrap(world::CInstance& in, bool horizontal, bool vertical, double margin);

// Binds path_index, path_position, path_positionprevious, path_speed, path_scale,
// path_orientation and path_endaction.
void BindPathVariables();

}  // namespace qv::motion
