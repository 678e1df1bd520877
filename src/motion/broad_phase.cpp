#include "motion/broad_phase.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "world/bounding_box.h"
#include "world/game_world.h"
#include "world/instance.h"
#include "world/object.h"
#include "world/room.h"

namespace qv::motion {

namespace {
// Limits of the grid: cells per side (outlying boxes fall into the border cells, which stay
// correct because queries clamp the same way) and the cells one box may fill before it is kept
// apart as a candidate of every query.
constexpr int64_t kMaxCellsPerSide = 256;
constexpr int64_t kMaxCellsPerBox = 64;
}  // namespace

BoxGrid::CellRange BoxGrid::cellsOf(const Area& a) const {
  auto column = [&](int64_t x) {
    const int64_t c = x >= originX_ ? (x - originX_) / cellSize_ : -1;
    return static_cast<int32_t>(std::clamp<int64_t>(c, 0, columns_ - 1));
  };
  auto row = [&](int64_t y) {
    const int64_t r = y >= originY_ ? (y - originY_) / cellSize_ : -1;
    return static_cast<int32_t>(std::clamp<int64_t>(r, 0, rows_ - 1));
  };
  return {column(a.left), row(a.top), column(a.right), row(a.bottom)};
}

void BoxGrid::Build(const std::vector<world::CInstance*>& members, int32_t roomWidth, int32_t roomHeight) {
  std::vector<Area> boxes(members.size());
  for (size_t k = 0; k < members.size(); ++k) {
    const world::CInstance& in = *members[k];
    boxes[k] = {in.bboxLeft, in.bboxTop, in.bboxRight, in.bboxBottom};
  }
  positions_.Assign(members);
  Build(std::move(boxes), roomWidth, roomHeight);
}

void BoxGrid::Build(std::vector<Area> boxes, int32_t roomWidth, int32_t roomHeight) {
  boxes_ = std::move(boxes);
  const size_t n = boxes_.size();
  double extent = 0;
  for (const Area& b : boxes_)
    extent += static_cast<double>(std::clamp<int64_t>(std::max(b.right - b.left, b.bottom - b.top) + 1, 1, 4096));
  // Cells about the size of the average box, over the room (boxes outside land in the border cells).
  cellSize_ = std::max<int64_t>(8, static_cast<int64_t>(extent / static_cast<double>(std::max<size_t>(n, 1))));
  originX_ = 0;
  originY_ = 0;
  const int64_t w = std::max<int64_t>(roomWidth, 1), h = std::max<int64_t>(roomHeight, 1);
  columns_ = static_cast<int32_t>(std::clamp<int64_t>((w + cellSize_ - 1) / cellSize_, 1, kMaxCellsPerSide));
  rows_ = static_cast<int32_t>(std::clamp<int64_t>((h + cellSize_ - 1) / cellSize_, 1, kMaxCellsPerSide));
  cells_.assign(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), {});
  oversized_.clear();
  for (size_t k = 0; k < n; ++k) insert(static_cast<uint32_t>(k));
  stamp_.assign(n, 0);
  query_ = 0;
}

bool BoxGrid::oversized(const CellRange& r) const {
  return int64_t(r.c1 - r.c0 + 1) * int64_t(r.r1 - r.r0 + 1) > kMaxCellsPerBox;
}

void BoxGrid::insert(uint32_t k) {
  const CellRange r = cellsOf(boxes_[k]);
  if (oversized(r)) {
    oversized_.push_back(k);
    return;
  }
  for (int32_t c = r.c0; c <= r.c1; ++c)
    for (int32_t y = r.r0; y <= r.r1; ++y) cells_[size_t(c) * size_t(rows_) + size_t(y)].push_back(k);
}

void BoxGrid::remove(uint32_t k) {
  auto drop = [k](std::vector<uint32_t>& v) {
    const auto it = std::find(v.begin(), v.end(), k);
    if (it == v.end()) return;
    *it = v.back();  // order within a cell does not matter: queries sort their answer
    v.pop_back();
  };
  const CellRange r = cellsOf(boxes_[k]);
  if (oversized(r)) {
    drop(oversized_);
    return;
  }
  for (int32_t c = r.c0; c <= r.c1; ++c)
    for (int32_t y = r.r0; y <= r.r1; ++y) drop(cells_[size_t(c) * size_t(rows_) + size_t(y)]);
}

void BoxGrid::Move(uint32_t k, const Area& box) {
  if (k >= boxes_.size()) return;
  const Area& old = boxes_[k];
  if (old.left == box.left && old.top == box.top && old.right == box.right && old.bottom == box.bottom) return;
  const CellRange from = cellsOf(old), to = cellsOf(box);
  const bool sameCells = from.c0 == to.c0 && from.r0 == to.r0 && from.c1 == to.c1 && from.r1 == to.r1;
  if (sameCells) {
    boxes_[k] = box;  // most moves stay within their cells
    return;
  }
  remove(k);
  boxes_[k] = box;
  insert(k);
}

void BoxGrid::Follow(const world::CInstance& in) {
  const int64_t k = positions_.Find(&in);
  if (k >= 0) Move(static_cast<uint32_t>(k), {in.bboxLeft, in.bboxTop, in.bboxRight, in.bboxBottom});
}

void BoxGrid::Query(const Area& area, std::vector<uint32_t>& out) {
  out.clear();
  if (++query_ == 0) {  // the stamps wrapped: start them again
    std::fill(stamp_.begin(), stamp_.end(), 0);
    query_ = 1;
  }
  auto take = [&](uint32_t k) {
    if (stamp_[k] == query_) return;
    stamp_[k] = query_;
    const Area& b = boxes_[k];
    if (b.left <= area.right && area.left <= b.right && b.top <= area.bottom && area.top <= b.bottom) out.push_back(k);
  };
  const CellRange r = cellsOf(area);
  for (int32_t c = r.c0; c <= r.c1; ++c)
    for (int32_t y = r.r0; y <= r.r1; ++y)
      for (uint32_t k : cells_[size_t(c) * size_t(rows_) + size_t(y)]) take(k);
  for (uint32_t k : oversized_) take(k);
  std::sort(out.begin(), out.end());
}

bool AreaAround(double x1, double y1, double x2, double y2, Area& out) {
  constexpr double kLimit = 1e15;
  for (double v : {x1, y1, x2, y2})
    if (!(v > -kLimit && v < kLimit)) return false;
  out = {static_cast<int64_t>(std::floor(std::min(x1, x2))) - 1, static_cast<int64_t>(std::floor(std::min(y1, y2))) - 1,
         static_cast<int64_t>(std::floor(std::max(x1, x2))) + 1, static_cast<int64_t>(std::floor(std::max(y1, y2))) + 1};
  return true;
}

namespace {

struct CachedGrid {
  BoxGrid grid;
  const world::CRoom* room = nullptr;
  uint64_t lists = 0, objects = 0, boxes = 0;
  size_t size = 0;
  bool built = false;
};

std::unordered_map<int64_t, CachedGrid>& grids() {
  static std::unordered_map<int64_t, CachedGrid> g;
  return g;
}

}  // namespace

namespace {
bool broadPhaseOn = true;
}  // namespace

void UseBroadPhase(bool on) { broadPhaseOn = on; }
bool BroadPhaseOn() { return broadPhaseOn; }

BoxGrid* GridFor(int64_t key, size_t size, const ListFiller& fill) {
  if (!broadPhaseOn || size < kBroadPhaseMinimum) return nullptr;
  CachedGrid& g = grids()[key];
  world::CRoom& room = world::CurrentRoom();
  if (g.built && g.room == &room && g.lists == world::RoomListsVersion() && g.objects == world::ObjectGeneration() &&
      g.size == size) {
    if (g.boxes == world::BoxVersion()) return &g.grid;
    // Boxes moved since: follow them when they are fewer than a new grid would cost. The list is
    // unchanged, so every instance the record names is alive.
    const auto changed = world::BoxChangesSince(g.boxes);
    if (changed && changed->size() <= size / 2) {
      const world::CInstance* last = nullptr;
      for (const world::CInstance* in : *changed) {
        if (in != last) g.grid.Follow(*in);  // x and y set one after the other name it twice
        last = in;
      }
      g.boxes = world::BoxVersion();
      return &g.grid;
    }
  }
  std::vector<world::CInstance*> members;
  members.reserve(size);
  fill(members);
  g.grid.Build(members, room.width, room.height);
  g.room = &room;
  g.lists = world::RoomListsVersion();
  g.objects = world::ObjectGeneration();
  g.boxes = world::BoxVersion();
  g.size = members.size();
  g.built = true;
  return &g.grid;
}

}  // namespace qv::motion
