#include "motion/collision_search.h"

#include <vector>

#include "world/bounding_box.h"
#include "motion/collision.h"
#include "world/game_world.h"
#include "world/instance.h"
#include "world/room.h"

namespace qv::motion {

namespace {

// The positions a grid names for the area, reused between searches.
std::vector<uint32_t>& candidates() {
  static std::vector<uint32_t> c;
  return c;
}

// Walks `size` entries of a list through `at`, or only the grid's candidates when there is one.
// The test is a template argument: it is called once per candidate, so it is inlined rather than
// reached through a function object.
template <class At, class Test>
world::CInstance* walk(BoxGrid* grid, const Area* area, size_t size, At at, const Test& test) {
  if (grid && area) {
    std::vector<uint32_t> found;
    found.swap(candidates());  // a test never searches, but keep the buffer safe if one did
    grid->Query(*area, found);
    world::CInstance* result = nullptr;
    for (uint32_t k : found) {
      if (k >= size) break;
      world::CInstance* in = at(k);
      if (!in->destroyed && test(*in)) {
        result = in;
        break;
      }
    }
    found.swap(candidates());
    return result;
  }
  for (size_t k = 0; k < size; ++k) {
    world::CInstance* in = at(k);
    if (!in->destroyed && test(*in)) return in;
  }
  return nullptr;
}

// The instances an object argument names, with the grid over them when one pays off. Opened
// before any trial move, so that a grid built here holds the boxes as they are outside the search.
struct NamedList {
  world::CRoom* room = nullptr;
  int32_t object = kNoone;
  const std::vector<world::CInstance*>* objectList = nullptr;
  BoxGrid* grid = nullptr;

  template <class Test>
  world::CInstance* find(const Area* area, const Test& test) const {
    if (object == kAll) {
      auto& list = room->instances;
      return walk(grid, area, list.size(), [&](size_t k) { return list[k].get(); }, test);
    }
    if (objectList) {
      auto& list = *objectList;
      return walk(grid, area, list.size(), [&](size_t k) { return list[k]; }, test);
    }
    if (object < kFirstInstanceId) return nullptr;
    world::CInstance* first = room->FirstWithId(object);
    if (!first) return nullptr;
    if (first == room->FindById(object)) return !first->destroyed && test(*first) ? first : nullptr;
    // Two entries share the id (a changed instance before the clean-up): every one, in list order.
    for (auto& in : room->instances)
      if (in->id == object && !in->destroyed && test(*in)) return in.get();
    return nullptr;
  }
};

NamedList openList(int32_t object, bool withGrid) {
  NamedList named;
  named.room = &world::CurrentRoom();
  named.object = object;
  if (object == kAll) {
    auto& list = named.room->instances;
    if (withGrid)
      named.grid = GridFor(ListKey(ListKind::Room, 0), list.size(), [&](std::vector<world::CInstance*>& out) {
        for (auto& in : list) out.push_back(in.get());
      });
  } else if (object >= 0 && object < kFirstInstanceId) {
    const std::vector<world::CInstance*>& list = named.room->InstancesOf(object);
    named.objectList = &list;
    if (withGrid)
      named.grid = GridFor(ListKey(ListKind::WithDescendants, object), list.size(),
                           [&](std::vector<world::CInstance*>& out) { out = list; });
  }
  return named;
}

}  // namespace

world::CInstance* FindInstance(int32_t object, const Area* area, const InstanceTest& test) {
  return openList(object, area != nullptr).find(area, test);
}

world::CInstance* PlaceCollision(world::CInstance& self, double x, double y, int32_t object, bool solidOnly) {
  const NamedList named = openList(object, true);
  const double oldX = self.x, oldY = self.y;
  const uint64_t version = world::BoxVersion();
  const int32_t l = self.bboxLeft, t = self.bboxTop, r = self.bboxRight, b = self.bboxBottom;
  world::SetPosition(self, x, y);
  const Area area{self.bboxLeft, self.bboxTop, self.bboxRight, self.bboxBottom};
  world::CInstance* found = named.find(&area, [&](world::CInstance& other) {
    return (!solidOnly || other.solid) && InstancesCollide(other, self, true);
  });
  world::SetPosition(self, oldX, oldY);
  // The trial move was undone exactly and nothing was built on it: the boxes are as they were.
  if (self.bboxLeft == l && self.bboxTop == t && self.bboxRight == r && self.bboxBottom == b) world::RestoreBoxVersion(version);
  return found;
}

}  // namespace qv::motion
