// Searches for colliding instances: the walk over the instances an object argument names, and the
// place tests that put an instance at a trial position for the time of one search.
//
// Search order: all (-3) walks the room's instance list; an object index walks the instances of
// the object and its descendants in their list order; an id walks the entries with that id. Any
// other negative value names nothing. Instances marked destroyed are skipped. The first instance
// that passes the test is the answer; the broad phase only skips instances whose boxes cannot meet
// the searched area, so the answer is the one a walk over the whole list gives.
#pragma once

#include <cstdint>
#include <functional>

#include "motion/broad_phase.h"

namespace qv::world {
class CInstance;
}

namespace qv::motion {

inline constexpr int32_t kSelf = -1, kOther = -2, kAll = -3, kNoone = -4;
inline constexpr int32_t kFirstInstanceId = 100000;

using InstanceTest = std::function<bool(world::CInstance&)>;

// The first instance named by `object` that passes `test`; `area`, when given, holds every pixel
// where the test can pass. nullptr when none does.
world::CInstance* FindInstance(int32_t object, const Area* area, const InstanceTest& test);

// Puts `self` at (x, y) through the position setter, finds the first instance colliding with it
// (precisely) among those `object` names, solid ones only when asked, and puts it back through the
// setter. nullptr when nothing collides.
world::CInstance* PlaceCollision(world::CInstance& self, double x, double y, int32_t object, bool solidOnly);
inline bool PlaceFree(world::CInstance& self, double x, double y) {
  return PlaceCollision(self, x, y, kAll, true) == nullptr;
}
inline bool PlaceEmpty(world::CInstance& self, double x, double y) {
  return PlaceCollision(self, x, y, kAll, false) == nullptr;
}

}  // namespace qv::motion
