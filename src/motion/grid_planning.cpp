#include "motion/grid_planning.h"

#include <algorithm>
#include <cmath>

#include "motion/collision.h"
#include "motion/path.h"
#include "world/instance.h"

namespace qv::motion {
namespace {

std::vector<std::unique_ptr<CGrid>>& grids() {
  static std::vector<std::unique_ptr<CGrid>> list;
  return list;
}

// The orthogonal neighbours in the order the search takes them, then the diagonal ones in the
// order the search adds them and in the order the walk back from the goal looks at them.
constexpr int32_t kOrthogonal[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
constexpr int32_t kDiagonalSearch[4][2] = {{-1, 1}, {-1, -1}, {1, 1}, {1, -1}};
constexpr int32_t kDiagonalBack[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};

}  // namespace

// The cells a room rectangle touches (from its corners in either order), cut to the grid.
CGrid::CellRange CGrid::cellsOf(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return {std::max<int64_t>((int64_t(std::min(x1, x2)) - left) / cellWidth, 0),
          std::max<int64_t>((int64_t(std::min(y1, y2)) - top) / cellHeight, 0),
          std::min<int64_t>((int64_t(std::max(x1, x2)) - left) / cellWidth, hcells - 1),
          std::min<int64_t>((int64_t(std::max(y1, y2)) - top) / cellHeight, vcells - 1)};
}

void CGrid::setRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t value) {
  const CellRange r = cellsOf(x1, y1, x2, y2);
  for (int64_t h = r.h1; h <= r.h2; ++h)
    for (int64_t v = r.v1; v <= r.v2; ++v) at(int32_t(h), int32_t(v)) = value;
}

void CGrid::forbidInstance(const world::CInstance& in, bool precise) {
  const CellRange r = cellsOf(in.bboxLeft, in.bboxTop, in.bboxRight, in.bboxBottom);
  for (int64_t h = r.h1; h <= r.h2; ++h)
    for (int64_t v = r.v1; v <= r.v2; ++v) {
      int32_t& cell = at(int32_t(h), int32_t(v));
      if (!precise) {
        cell = kForbidden;
        continue;
      }
      if (cell != 0) continue;
      const double x1 = double(left) + double(h) * cellWidth, y1 = double(top) + double(v) * cellHeight;
      if (InstanceTouchesRectangle(in, x1, y1, x1 + cellWidth - 1, y1 + cellHeight - 1, true)) cell = kForbidden;
    }
}

bool CGrid::cellOf(double x, double y, int32_t& h, int32_t& v) const {
  const double dx = x - left, dy = y - top;
  if (!(dx >= 0 && dy >= 0 && dx < double(hcells) * cellWidth && dy < double(vcells) * cellHeight)) return false;
  h = int32_t(std::floor(dx / cellWidth));
  v = int32_t(std::floor(dy / cellHeight));
  return inside(h, v);
}

bool CGrid::findPath(CPath& path, double xs, double ys, double xg, double yg, bool diagonal) {
  int32_t hs = 0, vs = 0, hg = 0, vg = 0;
  if (!cellOf(xs, ys, hs, vs) || !cellOf(xg, yg, hg, vg)) return false;
  if (at(hs, vs) == kForbidden || at(hg, vg) == kForbidden) return false;
  // Cells by their index c = h * vcells + v: left is c - vcells, right c + vcells, up c - 1,
  // down c + 1.
  int32_t* cell = cells.data();
  const int32_t goal = hg * vcells + vg;
  const int32_t offsets[4] = {-vcells, vcells, -1, 1};
  queue_.clear();
  cell[hs * vcells + vs] = 1;
  queue_.push_back(hs * vcells + vs);
  // The search may stop as soon as the goal cell has its distance: by then every cell of a smaller
  // distance has its own, and the walk back reads nothing else, so the path is the one a search
  // that goes on until it takes the goal from the queue finds.
  bool found = hs == hg && vs == vg;
  for (size_t head = 0; head < queue_.size() && !found; ++head) {
    const int32_t c = queue_[head], h = c / vcells, v = c - h * vcells;
    const int32_t n = cell[c];
    // Which orthogonal neighbours were free before this cell's expansion marks them.
    const bool wasOpen[4] = {h > 0 && cell[c - vcells] == 0, h < hcells - 1 && cell[c + vcells] == 0,
                             v > 0 && cell[c - 1] == 0, v < vcells - 1 && cell[c + 1] == 0};
    for (int k = 0; k < 4; ++k) {
      if (!wasOpen[k]) continue;
      cell[c + offsets[k]] = n + 1;
      queue_.push_back(c + offsets[k]);
    }
    if (diagonal) {
      for (const auto& d : kDiagonalSearch) {
        // No cutting of corners: the two cells beside the move (left or right, up or down) were free.
        if (!wasOpen[d[0] < 0 ? 0 : 1] || !wasOpen[d[1] < 0 ? 2 : 3]) continue;
        const int32_t next = c + d[0] * vcells + d[1];  // inside: both cells beside it are
        if (cell[next] != 0) continue;
        cell[next] = n + 1;
        queue_.push_back(next);
      }
    }
    found = cell[goal] > 0;
  }
  if (found) {
    path.points.clear();
    path.kind = kPathStraight;
    path.closed = false;
    path.points.push_back({xg, yg, 100});
    int32_t h = hg, v = vg;
    auto walkable = [&](int32_t nh, int32_t nv, int32_t value) { return inside(nh, nv) && at(nh, nv) == value; };
    while (at(h, v) > 1) {
      const int32_t want = at(h, v) - 1;
      bool stepped = false;
      for (const auto& d : kOrthogonal) {
        if (walkable(h + d[0], v + d[1], want)) {
          h += d[0], v += d[1];
          stepped = true;
          break;
        }
      }
      for (int k = 0; diagonal && !stepped && k < 4; ++k) {
        const int32_t dh = kDiagonalBack[k][0], dv = kDiagonalBack[k][1];
        // The walk back keeps the search's rule: never between two forbidden cells.
        if (!walkable(h + dh, v + dv, want) || at(h + dh, v) == kForbidden || at(h, v + dv) == kForbidden) continue;
        h += dh, v += dv;
        stepped = true;
      }
      if (!stepped) break;  // cannot happen: every marked cell was reached from one less
      if (at(h, v) > 1) {
        path.points.push_back({double(left) + double(h) * cellWidth + cellWidth / 2,
                               double(top) + double(v) * cellHeight + cellHeight / 2, 100});
      }
    }
    path.points.push_back({xs, ys, 100});
    std::reverse(path.points.begin(), path.points.end());
    path.Recompute();
  }
  for (int32_t& c : cells) c = c > 0 ? 0 : c;
  return found;
}

int32_t CreateGrid(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth, int32_t cellHeight) {
  if (hcells < 1 || vcells < 1 || cellWidth < 1 || cellHeight < 1 || int64_t(hcells) * vcells > CGrid::kMaxCells)
    return -1;
  auto g = std::make_unique<CGrid>();
  g->left = left;
  g->top = top;
  g->hcells = hcells;
  g->vcells = vcells;
  g->cellWidth = cellWidth;
  g->cellHeight = cellHeight;
  g->cells.assign(size_t(hcells) * size_t(vcells), 0);
  auto& list = grids();
  auto empty = std::find(list.begin(), list.end(), nullptr);
  if (empty != list.end()) {
    *empty = std::move(g);
    return int32_t(empty - list.begin());
  }
  list.push_back(std::move(g));
  return int32_t(list.size() - 1);
}

CGrid* Grid(int32_t index) {
  auto& list = grids();
  return index >= 0 && size_t(index) < list.size() ? list[size_t(index)].get() : nullptr;
}

void DestroyGrid(int32_t index) {
  if (Grid(index)) grids()[size_t(index)].reset();
}

void DestroyAllGrids() { grids().clear(); }

}  // namespace qv::motion
