// Grid motion planning: a grid of cells over part of the room, each free or forbidden, searched
// breadth first for a path between two points that the path resources then hold.
//
// Cells are stored column by column (cell (h, v) is entry h * vcells + v). One int32 per cell is
// both the obstacle map (0 free, -1 forbidden) and, during a search, the distance map (positive
// values), which every search resets to 0 afterwards.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace qv::world {
class CInstance;
}

namespace qv::motion {

class CPath;

class CGrid {
 public:
  static constexpr int32_t kForbidden = -1;
  // The most cells a grid may have (64 MB of cells): larger sizes are refused.
  static constexpr int64_t kMaxCells = int64_t{1} << 24;

  int32_t left = 0, top = 0, cellWidth = 1, cellHeight = 1, hcells = 0, vcells = 0;
  std::vector<int32_t> cells;

  bool inside(int32_t h, int32_t v) const { return h >= 0 && v >= 0 && h < hcells && v < vcells; }
  int32_t& at(int32_t h, int32_t v) { return cells[size_t(h) * size_t(vcells) + size_t(v)]; }
  int32_t at(int32_t h, int32_t v) const { return cells[size_t(h) * size_t(vcells) + size_t(v)]; }

  void set(int32_t h, int32_t v, int32_t value) {
    if (inside(h, v)) at(h, v) = value;
  }
  // Every cell touching the room rectangle (in either corner order).
  void setRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t value);
  // The cells the instance's box touches; with `precise`, only those whose rectangle its mask
  // touches.
  void forbidInstance(const world::CInstance& in, bool precise);
  // The breadth-first search from start to goal, written into `path`; false (path untouched) when
  // either point is outside the grid or on a forbidden cell, or no way leads there.
  bool findPath(CPath& path, double xs, double ys, double xg, double yg, bool diagonal);

 private:
  struct CellRange {
    int64_t h1, v1, h2, v2;  // inclusive; empty when h1 > h2 or v1 > v2 (wide: room corners far apart)
  };
  CellRange cellsOf(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  bool cellOf(double x, double y, int32_t& h, int32_t& v) const;
  std::vector<int32_t> queue_;  // kept between searches: no allocation once grown
};

// The grids of the game: creation takes the first empty slot. nullptr for an index that names none.
int32_t CreateGrid(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth, int32_t cellHeight);
CGrid* Grid(int32_t index);
void DestroyGrid(int32_t index);
void DestroyAllGrids();

}  // namespace qv::motion
