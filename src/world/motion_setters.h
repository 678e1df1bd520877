// The motion setters: speed and direction (the polar form) and hspeed and vspeed (the vector form)
// are kept consistent; each setter compares first and does nothing when the value is unchanged.
#pragma once

namespace qv::world {
class CInstance;
}

namespace qv::world {

// d - 360 * floor(d / 360): a direction in [0, 360) (a tiny negative gives 360, as the formula does).
double ReduceDirection(double d);

void SetDirection(world::CInstance& instance, double direction);
void SetSpeed(world::CInstance& instance, double speed);
void SetHspeed(world::CInstance& instance, double hspeed);
void SetVspeed(world::CInstance& instance, double vspeed);

// The two conversions, for callers that write the fields directly (motion_add and the like).
void VectorFromPolar(world::CInstance& instance);
void PolarFromVector(world::CInstance& instance);

}  // namespace qv::world
