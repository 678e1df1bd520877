// An instance following a path: starting and ending it, and the advance of one step, which moves
// the instance to its new place on the path (turned by the orientation, scaled, and placed at the
// path origin) and applies the end action when an end of the path is passed.
#pragma once

#include <cstdint>

namespace qv::world {
class CInstance;
}

namespace qv::motion {

inline constexpr int32_t kPathActionStop = 0;
inline constexpr int32_t kPathActionRestart = 1;
inline constexpr int32_t kPathActionContinue = 2;
inline constexpr int32_t kPathActionReverse = 3;

// Starts `path` with scale 1 and orientation 0. A negative path only stops the current one; a path
// that does not exist or has no length leaves the instance without a path. When `absolute`, the
// instance is first moved to the path's point at the start position and the path lies where it was
// drawn; otherwise the path's first point is placed where the instance is.
void PathStart(world::CInstance& instance, int32_t path, double speed, int32_t endAction, bool absolute);
// No path, speed 0, scale 1, orientation 0, end action stop.
void PathEnd(world::CInstance& instance);

// Advances the instance along its path by one step: true when an end of the path was reached (the
// caller then raises "End Of Path"). Afterwards speed is 0, the direction points along the move
// and the instance stands at its new place.
bool PathStep(world::CInstance& instance);

// The path position setters: clamped to 0..1.
void SetPathPosition(world::CInstance& instance, double position);
void SetPathPositionPrevious(world::CInstance& instance, double position);

}  // namespace qv::motion
