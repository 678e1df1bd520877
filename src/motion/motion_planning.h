// Motion planning: moving an instance a step towards a goal while avoiding collisions (straight
// stepping and potential-field steering), and computing such paths into path resources without
// moving the instance. Grid searches are in motion/grid_planning.h.
#pragma once

#include <cstdint>

namespace qv::world {
class CInstance;
}

namespace qv::motion {

class CPath;

// The global settings of potential steering.
struct PotentialSettings {
  double maxRotation = 30;  // the largest turn of one step, degrees
  double rotationStep = 10; // the angle increment of the search for a free direction
  double ahead = 3;         // look-ahead distance, in steps
  bool onSpot = true;       // turn on the spot when no direction is free
};
PotentialSettings& potentialSettings();
// mp_potential_settings: each of the three numbers below 1 becomes 1.
void SetPotentialSettings(double maxRotation, double rotationStep, double ahead, bool onSpot);

// What counts as free at a point: place_free (solid instances only), place_empty (any instance),
// or no instance of one object (an object, an instance id or all).
struct Blocking {
  enum Kind { Solid, Any, Object } kind = Solid;
  int32_t object = 0;
};
bool FreeAt(world::CInstance& self, double x, double y, const Blocking& blocking);

// One step of `stepSize` towards the goal; true when the goal was within one step (whether or not
// the instance could move onto it).
bool LinearStep(world::CInstance& self, double xg, double yg, double stepSize, const Blocking& blocking);
bool PotentialStep(world::CInstance& self, double xg, double yg, double stepSize, const Blocking& blocking);

// The steps simulated from the instance's position into `path` (cleared, straight, not closed,
// every point at speed 100); the instance is left where it was. True when the goal was reached;
// a failed search leaves the points found so far. A step size of 0 or less (or a factor below 1)
// does nothing and gives false.
bool LinearPath(world::CInstance& self, CPath& path, double xg, double yg, double stepSize, const Blocking& blocking);
bool PotentialPath(world::CInstance& self, CPath& path, double xg, double yg, double stepSize, double factor,
                   const Blocking& blocking);

}  // namespace qv::motion
