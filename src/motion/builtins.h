// The built-in function families of motion and paths.
#pragma once

#include "code/builtin.h"

namespace qv::motion {

// motion_set, motion_add, move_towards_point, move_snap, move_wrap, place_snapped,
// distance_to_point, path_start and path_end (the moves that search for collisions belong to
// collision detection).
code::BuiltinFamily MotionFunctions();
// path_* on path resources, and draw_path.
code::BuiltinFamily PathFunctions();

// Binds path_index, path_position, path_positionprevious, path_speed, path_scale,
// path_orientation and path_endaction.
void BindPathVariables();

}  // namespace qv::motion
