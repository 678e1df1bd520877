// Grid path search against a plain C++ breadth-first search over the same array, measured in the
// same run: a 400 x 400 grid with a quarter of its cells forbidden at random (the corners kept
// free), from the top-left corner to the bottom-right one, without diagonal moves.
//   BM_GridPath400       mp_grid_path's search (CGrid::findPath), the path written into a path
//   BM_GridPath400Floor  a queue of cell indices over a vector of distances, the route walked back
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "motion/grid_planning.h"
#include "motion/path.h"

namespace {

using namespace qv::motion;

constexpr int kSide = 400, kCell = 4;

CGrid& grid() {
  static CGrid g = [] {
    CGrid made;
    made.hcells = made.vcells = kSide;
    made.cellWidth = made.cellHeight = kCell;
    made.cells.assign(size_t(kSide) * kSide, 0);
    std::mt19937 random(2301);
    for (int32_t& c : made.cells)
      if (random() % 4 == 0) c = CGrid::kForbidden;
    made.at(0, 0) = made.at(kSide - 1, kSide - 1) = 0;
    return made;
  }();
  return g;
}

void BM_GridPath400(benchmark::State& state) {
  CPath path;
  const double far = kSide * kCell - 1;
  for (auto _ : state) {
    const bool found = grid().findPath(path, 1, 1, far, far, false);
    benchmark::DoNotOptimize(found);
  }
  state.counters["points"] = double(path.points.size());
}
BENCHMARK(BM_GridPath400)->Unit(benchmark::kMillisecond);

void BM_GridPath400Floor(benchmark::State& state) {
  const std::vector<int32_t>& walls = grid().cells;
  std::vector<int32_t> distance(walls.size()), queue, route;
  const int goal = kSide * kSide - 1;
  for (auto _ : state) {
    for (size_t i = 0; i < walls.size(); ++i) distance[i] = walls[i] < 0 ? -1 : 0;
    queue.clear();
    queue.push_back(0);
    distance[0] = 1;
    for (size_t head = 0; head < queue.size() && distance[size_t(goal)] == 0; ++head) {
      const int c = queue[head], h = c / kSide, v = c % kSide;
      const int next[4] = {h > 0 ? c - kSide : -1, h < kSide - 1 ? c + kSide : -1, v > 0 ? c - 1 : -1,
                           v < kSide - 1 ? c + 1 : -1};
      for (int n : next)
        if (n >= 0 && distance[size_t(n)] == 0) {
          distance[size_t(n)] = distance[size_t(c)] + 1;
          queue.push_back(n);
        }
    }
    route.clear();
    for (int c = goal; distance[size_t(goal)] > 0 && distance[size_t(c)] > 1;) {
      route.push_back(c);
      const int h = c / kSide, v = c % kSide;
      const int next[4] = {h > 0 ? c - kSide : -1, h < kSide - 1 ? c + kSide : -1, v > 0 ? c - 1 : -1,
                           v < kSide - 1 ? c + 1 : -1};
      for (int n : next)
        if (n >= 0 && distance[size_t(n)] == distance[size_t(c)] - 1) {
          c = n;
          break;
        }
    }
    benchmark::DoNotOptimize(route.data());
  }
  state.counters["points"] = double(route.size() + 2);
}
BENCHMARK(BM_GridPath400Floor)->Unit(benchmark::kMillisecond);

}  // namespace
