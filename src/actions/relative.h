// The relative option of drag-and-drop actions, the one rule most members share.
//
// The action executor sets `argument_relative` for each action it runs. Unless a member says
// otherwise, relative means: position arguments are added to self's x and y, and value arguments
// are added to the current value of what they set. Members read the option only through these.
#pragma once

#include <cstdint>

#include "code/builtin.h"
#include "code/rounding.h"
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

// An argument that names something (a resource, an object, a room, a choice): the nearest integer.
// NaN, the infinities and numbers beyond 32 bits name nothing (the smallest 32-bit integer), where
// the low 32 bits of the general rule would give 0 and so the first resource.
inline int32_t IndexArgument(const code::BuiltinCall& c, int i) {
  const int64_t v = code::roundToInt64(c.real(i));
  return v >= INT32_MIN && v <= INT32_MAX ? static_cast<int32_t>(v) : INT32_MIN;
}

}  // namespace qv::actions
