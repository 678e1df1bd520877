// The relative option of drag-and-drop actions, the one rule most members share.
//
// The action executor sets `argument_relative` for each action it runs. Unless a member says
// otherwise, relative means: position arguments are added to self's x and y, and value arguments
// are added to the current value of what they set. Members read the option only through these.
#pragma once

#include "world/event_performer.h"
#include "world/instance.h"

namespace qv::actions {

inline bool IsRelative() { return world::argumentRelative(); }

// The value a member sets: the argument, or with the relative option the current value plus it.
inline double RelativeValue(double current, double argument) {
  return IsRelative() ? current + argument : argument;
}

struct Position {
  double x, y;
};
// A position argument pair: with the relative option an offset from self's position.
inline Position RelativePosition(const world::CInstance& self, double x, double y) {
  return IsRelative() ? Position{self.x + x, self.y + y} : Position{x, y};
}

}  // namespace qv::actions
