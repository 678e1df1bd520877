#include "motion/collision_events.h"

#include <algorithm>

#include "world/bounding_box.h"
#include "motion/broad_phase.h"
#include "motion/collision.h"
#include "motion/path_following.h"
#include "world/event_names.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/instance.h"
#include "world/object.h"
#include "world/room.h"

namespace qv::motion {

namespace {

std::vector<CollisionPair>& pairs() {
  static std::vector<CollisionPair> p;
  return p;
}

void moveBack(world::CInstance& in) {
  world::SetPosition(in, in.xprevious, in.yprevious);
  SetPathPosition(in, in.pathPositionprevious);
}

// One colliding pair: solid handling around the two events.
void collide(world::CInstance& i, world::CInstance& j) {
  if (i.solid || j.solid) {
    moveBack(i);
    moveBack(j);
  }
  world::PerformEvent(&i, &j, i.objectIndex, world::ev_collision, j.objectIndex);
  world::PerformEvent(&j, &i, j.objectIndex, world::ev_collision, i.objectIndex);
  // The flags are read again: an event may have cleared them.
  if (i.solid || j.solid) {
    PathStep(i);  // the end-of-path result is of no interest here
    PathStep(j);
    world::SetPosition(i, i.x + i.hspeed, i.y + i.vspeed);
    world::SetPosition(j, j.x + j.hspeed, j.y + j.vspeed);
    if (InstancesCollide(i, j, true)) {
      moveBack(i);
      moveBack(j);
    }
  }
}

// The positions of an object's exact list whose boxes may meet one instance's box, taken from the
// broad phase and asked again whenever a box or a list changed (an event moved something).
class Candidates {
 public:
  explicit Candidates(int32_t object) : object_(object) {}

  // The first position at or after `from` and below `end` that may collide with `i`; `end` when
  // there is none.
  size_t Next(const std::vector<world::CInstance*>& list, const world::CInstance& i, size_t from, size_t end) {
    if (list.size() < kBroadPhaseMinimum || !BroadPhaseOn()) return from;
    if (!(for_ == &i && boxes_ == world::BoxVersion() && lists_ == world::RoomListsVersion() &&
          objects_ == world::ObjectGeneration() && size_ == list.size())) {
      BoxGrid* grid = GridFor(ListKey(ListKind::ExactObject, object_), list.size(),
                              [&](std::vector<world::CInstance*>& out) { out = list; });
      grid->Query(Area{i.bboxLeft, i.bboxTop, i.bboxRight, i.bboxBottom}, found_);
      cursor_ = 0;
      for_ = &i;
      boxes_ = world::BoxVersion();
      lists_ = world::RoomListsVersion();
      objects_ = world::ObjectGeneration();
      size_ = list.size();
    }
    while (cursor_ < found_.size() && found_[cursor_] < from) ++cursor_;
    return cursor_ < found_.size() ? std::min<size_t>(found_[cursor_], end) : end;
  }

 private:
  int32_t object_;
  std::vector<uint32_t> found_;
  size_t cursor_ = 0;
  const world::CInstance* for_ = nullptr;
  uint64_t boxes_ = 0, lists_ = 0, objects_ = 0;
  size_t size_ = 0;
};

}  // namespace

namespace {
// The object generation the pair list was built for; a change of parents or events (which moves
// the generation on) makes the next use rebuild it.
uint64_t& pairsGeneration() {
  static uint64_t generation = ~uint64_t{0};
  return generation;
}
const std::vector<CollisionPair>& currentPairs() {
  if (pairsGeneration() != world::ObjectGeneration()) RebuildCollisionPairs();
  return pairs();
}
}  // namespace

const std::vector<CollisionPair>& CollisionPairs() { return currentPairs(); }

void RebuildCollisionPairs() {
  pairsGeneration() = world::ObjectGeneration();
  std::vector<CollisionPair>& list = pairs();
  list.clear();
  // Only objects whose chain holds a collision event can name a partner; every pair is found from
  // one of those and then put in index order.
  for (int32_t x = 0; x < world::ObjectCount(); ++x) {
    if (!world::ObjectExists(x) || !world::HasEventKind(x, world::ev_collision)) continue;
    for (int32_t y = 0; y < world::ObjectCount(); ++y)
      if (world::ObjectExists(y) && world::FindEventInherited(x, world::ev_collision, y).event)
        list.emplace_back(std::min(x, y), std::max(x, y));
  }
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
}

void CollisionEventPass() {
  // Events may rebuild the pair list; this pass walks it as it was when the pass began.
  const std::vector<CollisionPair> walked = currentPairs();
  world::CRoom& room = world::CurrentRoom();
  for (const auto& [a, b] : walked) {
    const size_t countA = room.InstancesOfObjectOnly(a).size();
    Candidates candidates(b);
    // Positions are checked against the live lists: events may create, change or deactivate.
    for (size_t ia = 0; ia < countA; ++ia) {
      const std::vector<world::CInstance*>& listA = room.InstancesOfObjectOnly(a);
      if (ia >= listA.size()) break;
      world::CInstance* i = listA[ia];
      if (i->destroyed) continue;
      // Only the events of a collision can change the lists, so b's list is fetched again after
      // each one.
      const std::vector<world::CInstance*>* listB = &room.InstancesOfObjectOnly(b);
      const size_t countB = listB->size();
      for (size_t jb = candidates.Next(*listB, *i, a == b ? ia : 0, countB); jb < countB;
           jb = candidates.Next(*listB, *i, jb + 1, countB)) {
        if (jb >= listB->size()) break;
        world::CInstance* j = (*listB)[jb];
        if (!InstancesCollide(*i, *j, true)) continue;
        collide(*i, *j);
        listB = &room.InstancesOfObjectOnly(b);
      }
    }
  }
}

}  // namespace qv::motion
