// What the step does to every instance's motion (friction, gravity, the path, then the move by the
// speed vector), and the motion operations it shares with game code.
#pragma once

namespace qv::world {
class CInstance;
}

namespace qv::motion {

// Adds the vector (dir degrees, length sp) to hspeed and vspeed; speed and direction follow.
void MotionAdd(world::CInstance& instance, double dir, double sp);

// Friction takes `friction` off the magnitude of the speed, never turning its sign.
void ApplyFriction(world::CInstance& instance);
// Gravity adds a vector of length `gravity` in `gravity_direction`.
void ApplyGravity(world::CInstance& instance);

// The movement of one instance in one step: friction, gravity, the path step (raising "End Of
// Path" when an end was reached), then the position moves by (hspeed, vspeed).
void MoveInstance(world::CInstance& instance);

// Stage of the step: MoveInstance for every instance of the room in list order.
void MovementStage();
// Stage of the step: "Outside Room" and "Intersect Boundary", and the same per visible view when
// views are enabled, for the instances whose objects have those events.
void OutsideAndBoundaryStage();

}  // namespace qv::motion
