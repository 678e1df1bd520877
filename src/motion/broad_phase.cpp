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
  const size_t n = members.size();
  boxes_.resize(n);
  double extent = 0;
  for (size_t k = 0; k < n; ++k) {
    const world::CInstance& in = *members[k];
    boxes_[k] = {in.bboxLeft, in.bboxTop, in.bboxRight, in.bboxBottom};
    extent += static_cast<double>(std::clamp<int64_t>(std::max(boxes_[k].right - boxes_[k].left, boxes_[k].bottom - boxes_[k].top) + 1, 1, 4096));
  }
  // Cells about the size of the average box, over the room (boxes outside land in the border cells).
  cellSize_ = std::max<int64_t>(8, static_cast<int64_t>(extent / static_cast<double>(std::max<size_t>(n, 1))));
  originX_ = 0;
  originY_ = 0;
  const int64_t w = std::max<int64_t>(roomWidth, 1), h = std::max<int64_t>(roomHeight, 1);
  columns_ = static_cast<int32_t>(std::clamp<int64_t>((w + cellSize_ - 1) / cellSize_, 1, kMaxCellsPerSide));
  rows_ = static_cast<int32_t>(std::clamp<int64_t>((h + cellSize_ - 1) / cellSize_, 1, kMaxCellsPerSide));
  const size_t cells = static_cast<size_t>(columns_) * static_cast<size_t>(rows_);

  // Counting pass, then the filling pass of a compressed cell table.
  cellStart_.assign(cells + 1, 0);
  oversized_.clear();
  std::vector<CellRange> ranges(n);
  for (size_t k = 0; k < n; ++k) {
    ranges[k] = cellsOf(boxes_[k]);
    const CellRange& r = ranges[k];
    const int64_t covered = int64_t(r.c1 - r.c0 + 1) * int64_t(r.r1 - r.r0 + 1);
    if (covered > kMaxCellsPerBox) {
      oversized_.push_back(static_cast<uint32_t>(k));
      ranges[k].c0 = -1;
      continue;
    }
    for (int32_t c = r.c0; c <= r.c1; ++c)
      for (int32_t y = r.r0; y <= r.r1; ++y) ++cellStart_[size_t(c) * size_t(rows_) + size_t(y) + 1];
  }
  for (size_t c = 0; c < cells; ++c) cellStart_[c + 1] += cellStart_[c];
  items_.resize(cellStart_[cells]);
  std::vector<uint32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
  for (size_t k = 0; k < n; ++k) {
    const CellRange& r = ranges[k];
    if (r.c0 < 0) continue;
    for (int32_t c = r.c0; c <= r.c1; ++c)
      for (int32_t y = r.r0; y <= r.r1; ++y) items_[fill[size_t(c) * size_t(rows_) + size_t(y)]++] = static_cast<uint32_t>(k);
  }
  stamp_.assign(n, 0);
  query_ = 0;
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
    for (int32_t y = r.r0; y <= r.r1; ++y) {
      const size_t cell = size_t(c) * size_t(rows_) + size_t(y);
      for (uint32_t i = cellStart_[cell]; i < cellStart_[cell + 1]; ++i) take(items_[i]);
    }
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
      g.boxes == world::BoxVersion() && g.size == size)
    return &g.grid;
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
