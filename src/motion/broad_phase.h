// The broad phase of the collision searches: a uniform grid over the boxes of one instance list,
// which names, for an area, the list positions whose boxes may meet it.
//
// Invariant: every position whose registered box overlaps the queried area is returned (possibly
// with others), in ascending order, so a search that walks the answer in order finds the same
// first instance as a walk over the whole list. A grid is only used while its list is as it was
// when it was built (room list version, object generation, size) and every box as registered: the
// boxes that changed since are moved to their new cells first (the record of box changes names
// them), so an instance that moves and then searches costs a few cells, not a new grid.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "motion/member_positions.h"

namespace qv::world {
class CInstance;
class CRoom;
}  // namespace qv::world

namespace qv::motion {

// An inclusive pixel area.
struct Area {
  int64_t left, top, right, bottom;
};

class BoxGrid {
 public:
  // The boxes of the members, position k for members[k].
  void Build(const std::vector<world::CInstance*>& members, int32_t roomWidth, int32_t roomHeight);
  // Boxes without instances (benchmark floors and tests use the same grid).
  void Build(std::vector<Area> boxes, int32_t roomWidth, int32_t roomHeight);
  // Registers a new box for position k.
  void Move(uint32_t k, const Area& box);
  // Registers the instance's current box; nothing for an instance that is not a member.
  void Follow(const world::CInstance& instance);
  // Positions whose registered box overlaps the area, ascending, each once.
  void Query(const Area& area, std::vector<uint32_t>& out);
  size_t size() const { return boxes_.size(); }

 private:
  struct CellRange {
    int32_t c0, r0, c1, r1;
  };
  CellRange cellsOf(const Area& a) const;
  bool oversized(const CellRange& r) const;
  void insert(uint32_t k);
  void remove(uint32_t k);

  std::vector<Area> boxes_;
  MemberPositions positions_;
  int64_t originX_ = 0, originY_ = 0, cellSize_ = 1;
  int32_t columns_ = 1, rows_ = 1;
  std::vector<std::vector<uint32_t>> cells_;  // column-major: column * rows + row
  std::vector<uint32_t> oversized_;  // boxes spanning too many cells: candidates of every query
  std::vector<uint32_t> stamp_;      // last query that reported each position
  uint32_t query_ = 0;
};

// The broad phase can be switched off (tests and benchmarks compare the two walks); on by default.
void UseBroadPhase(bool on);
bool BroadPhaseOn();

// Lists below this length are searched one by one: a grid would not pay for itself.
inline constexpr size_t kBroadPhaseMinimum = 48;

// The lists a grid can cover, and the key that names one of them.
enum class ListKind : int64_t { Room = 0, WithDescendants = 1, ExactObject = 2 };
inline int64_t ListKey(ListKind kind, int32_t object) {
  return static_cast<int64_t>(kind) << 32 | static_cast<int64_t>(static_cast<uint32_t>(object));
}

// An area around reals (any order) that holds every pixel a shape over them can touch; false for
// values a grid cannot place (NaN, infinities, beyond the coordinate range): search without it.
bool AreaAround(double x1, double y1, double x2, double y2, Area& out);

// The grid of a list of the current room of `size` entries, rebuilt (with the members `fill`
// gives) when the list or a box changed since it was built; nullptr for short lists. `key` names
// the list: the room's instance list, or an object's list with or without its descendants.
using ListFiller = std::function<void(std::vector<world::CInstance*>&)>;
BoxGrid* GridFor(int64_t key, size_t size, const ListFiller& fill);

}  // namespace qv::motion
