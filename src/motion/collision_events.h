// The collision events of a step: the list of object pairs that have a collision event between
// them, and the pass that tests the instances of every pair and performs their events, moving
// solid instances back.
//
// Pair list invariant: (a, b) with a <= b, in ascending order of a then b, for every pair of
// existing objects where a (or an ancestor) has a collision event for b (or an ancestor of b), or
// the other way round. It is rebuilt at game start and, on its next use, after a parent or an
// event changed (the object generation moved on); never on a room change.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace qv::world {
class CInstance;
}

namespace qv::motion {

using CollisionPair = std::pair<int32_t, int32_t>;

void RebuildCollisionPairs();
const std::vector<CollisionPair>& CollisionPairs();

// The pass of step 14: for each pair, each live instance i of exactly object a against each
// instance j of exactly object b (j at or after i when a = b); when they collide, solid ones go
// back to their previous positions, the two events run (i's first), and, while one of them is
// still solid, both advance once more along their paths and by their speed and go back again
// when they still collide.
void CollisionEventPass();

}  // namespace qv::motion
