// Grid motion planning through the mp_grid_* functions: grids made, refused and reused, cells set
// by cell and by rectangle, and the breadth-first search with and without diagonal moves. Every
// expected path is worked out by hand from the search rules: distances from the start cell, then
// the walk back from the goal that prefers left, right, up, down.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "motion/builtins.h"
#include "motion/grid_planning.h"
#include "motion/path.h"
#include "support/builtin_call.h"

namespace qv::motion {
namespace {

using code::RValue;
using qv::testing::CallBuiltin;

double Mp(const char* fn, std::vector<double> args) {
  return CallBuiltin(PlanningFunctions(), fn, std::vector<RValue>(args.begin(), args.end())).real;
}

using Points = std::vector<std::pair<double, double>>;
Points PointsOf(int path) {
  Points out;
  for (const RPathPoint& p : paths().get(path)->points) out.emplace_back(p.x, p.y);
  return out;
}

class GridPlanning : public ::testing::Test {
 protected:
  void SetUp() override {
    DestroyAllGrids();
    paths().clear();
    path = paths().append(std::make_unique<CPath>(), kNewPathPrefix);
    qv::testing::ClearErrors();
  }
  void TearDown() override {
    DestroyAllGrids();
    paths().clear();
  }
  // A grid of w x h cells of 10 x 10 at (0, 0).
  double Grid(int w, int h) { return Mp("mp_grid_create", {0, 0, double(w), double(h), 10, 10}); }
  // Every cell still 0 or -1: no distance is left behind by a search.
  bool OnlyFreeAndForbidden(double id) {
    for (int32_t c : motion::Grid(int(id))->cells)
      if (c != 0 && c != CGrid::kForbidden) return false;
    return true;
  }
  int path = -1;
};

TEST_F(GridPlanning, AroundAWallWithoutDiagonals) {
  // Column 2 is a wall except its bottom cell: the way leads down, through the gap and up again.
  const double g = Grid(5, 5);
  for (int v = 0; v < 4; ++v) Mp("mp_grid_add_cell", {g, 2, double(v)});
  ASSERT_EQ(Mp("mp_grid_path", {g, double(path), 5, 5, 45, 5, 0}), 1);
  const Points expected = {{5, 5},   {5, 15},  {5, 25},  {5, 35},  {5, 45},  {15, 45}, {25, 45},
                           {35, 45}, {35, 35}, {35, 25}, {35, 15}, {35, 5},  {45, 5}};
  EXPECT_EQ(PointsOf(path), expected);
  EXPECT_EQ(paths().get(path)->kind, kPathStraight);
  EXPECT_FALSE(paths().get(path)->closed);
  EXPECT_TRUE(OnlyFreeAndForbidden(g));
}

TEST_F(GridPlanning, DiagonalsCutNoCorners) {
  const double g = Grid(3, 3);
  // Open grid: one diagonal move at a time, through the centre cell.
  ASSERT_EQ(Mp("mp_grid_path", {g, double(path), 5, 5, 25, 25, 1}), 1);
  EXPECT_EQ(PointsOf(path), (Points{{5, 5}, {15, 15}, {25, 25}}));
  // Without diagonals: down the left column first, as the walk back prefers left, then up.
  ASSERT_EQ(Mp("mp_grid_path", {g, double(path), 5, 5, 25, 25, 0}), 1);
  EXPECT_EQ(PointsOf(path), (Points{{5, 5}, {5, 15}, {5, 25}, {15, 25}, {25, 25}}));
  // Two forbidden cells that touch at a corner: no squeezing between them.
  Mp("mp_grid_add_cell", {g, 1, 0});
  Mp("mp_grid_add_cell", {g, 0, 1});
  EXPECT_EQ(Mp("mp_grid_path", {g, double(path), 5, 5, 15, 15, 1}), 0);
  EXPECT_TRUE(OnlyFreeAndForbidden(g));
}

TEST_F(GridPlanning, SearchesThatFindNothingLeaveThePath) {
  const double g = Grid(5, 5);
  // The goal cell (3, 3) walled in on its four sides.
  for (auto [h, v] : {std::pair{2, 3}, {4, 3}, {3, 2}, {3, 4}}) Mp("mp_grid_add_cell", {g, double(h), double(v)});
  paths().get(path)->points = {{1, 2, 100}};
  struct Case {
    const char* what;
    double xs, ys, xg, yg;
  } cases[] = {
      {"an enclosed goal", 5, 5, 35, 35},
      {"a goal outside the grid", 5, 5, 50, 5},
      {"a start left of the grid", -1, 5, 15, 5},
      {"a start on a forbidden cell", 25, 35, 5, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Mp("mp_grid_path", {g, double(path), c.xs, c.ys, c.xg, c.yg, 1}), 0) << c.what;
    EXPECT_EQ(PointsOf(path), (Points{{1, 2}})) << c.what;
  }
  EXPECT_TRUE(OnlyFreeAndForbidden(g));
  // Start and goal in one cell: the two points, start first.
  ASSERT_EQ(Mp("mp_grid_path", {g, double(path), 1, 1, 8, 8, 0}), 1);
  EXPECT_EQ(PointsOf(path), (Points{{1, 1}, {8, 8}}));
  // A path that does not exist is reported.
  EXPECT_EQ(Mp("mp_grid_path", {g, 77, 5, 5, 15, 5, 0}), 0);
  EXPECT_EQ(qv::testing::LastError().find("Trying to assign to a non-existing path.") != std::string::npos, true);
}

TEST_F(GridPlanning, CellsByIndexAndByRectangle) {
  const double g = Grid(4, 3);
  CGrid* grid = motion::Grid(int(g));
  Mp("mp_grid_add_cell", {g, 1, 3});  // row 3 is outside: nothing
  Mp("mp_grid_add_cell", {g, -1, 0});
  EXPECT_TRUE(OnlyFreeAndForbidden(g));
  EXPECT_EQ(std::count(grid->cells.begin(), grid->cells.end(), CGrid::kForbidden), 0);
  // Corners in either order; columns (5 div 10 = 0) to (15 div 10 = 1), rows 1 to (24 div 10 = 2).
  Mp("mp_grid_add_rectangle", {g, 15, 24, 5, 15});
  for (int h = 0; h < 4; ++h)
    for (int v = 0; v < 3; ++v)
      EXPECT_EQ(grid->at(h, v), (h <= 1 && v >= 1) ? CGrid::kForbidden : 0) << h << ", " << v;
  // Stored column by column.
  EXPECT_EQ(grid->cells[size_t(0 * 3 + 1)], CGrid::kForbidden);
  // Far outside on the left and top: cut to the first column and row.
  Mp("mp_grid_clear_rectangle", {g, -25, -25, 0, 15});
  EXPECT_EQ(grid->at(0, 1), 0);
  EXPECT_EQ(grid->at(1, 1), CGrid::kForbidden);
  Mp("mp_grid_clear_all", {g});
  EXPECT_EQ(std::count(grid->cells.begin(), grid->cells.end(), CGrid::kForbidden), 0);
}

TEST_F(GridPlanning, SizesThatCannotBeAGridAndDestroyedIndices) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<std::vector<double>> refused = {
      {0, 0, 0, 5, 10, 10}, {0, 0, 5, -1, 10, 10}, {0, 0, 5, 5, 0, 10},  {0, 0, nan, 5, 10, 10},
      {0, 0, 1e6, 1e6, 1, 1}, {0, 0, 5, 5, 10, -4}, {0, 0, 1e300, 2, 1, 1}};
  for (const auto& args : refused) EXPECT_EQ(Mp("mp_grid_create", args), -1) << args[2] << " x " << args[3];
  const double a = Grid(2, 2), b = Grid(2, 2);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
  Mp("mp_grid_destroy", {a});
  for (const char* fn : {"mp_grid_clear_all", "mp_grid_destroy", "mp_grid_draw"}) Mp(fn, {a});
  Mp("mp_grid_add_cell", {a, 0, 0});
  EXPECT_EQ(Mp("mp_grid_path", {a, double(path), 1, 1, 2, 2, 0}), 0);
  EXPECT_EQ(Grid(3, 3), 0) << "the first empty slot is taken again";
}

}  // namespace
}  // namespace qv::motion
