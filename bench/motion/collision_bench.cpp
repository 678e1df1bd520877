// The collision stage against brute-force C++ loops doing the same tests (the naive floor),
// measured in the same run:
//  - a room of 2,000 moving instances of two objects, with a collision event of one for the
//    other: whole steps (movement, the collision pass and its events);
//  - a room of 10,000 moving instances, each asking place_free at its next position in its step
//    event and turning round when blocked (a fifth of them solid): whole steps;
//  - the same room where each instance moves itself in its step event and then asks place_free,
//    against a floor of plain records kept in the same broad phase (each move updates its cells):
//    every search follows the boxes that moved since the last one instead of a new grid;
//  - a planning grid of 16 x 16 cells over the room marked with the boxes of 10,000 instances
//    (mp_grid_add_instances), against the walk that asks every cell about every instance.
// Each engine case also runs with the broad phase switched off, to show what the grid buys.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "code/registry.h"
#include "graphics/sprite.h"
#include "world/bounding_box.h"
#include "motion/broad_phase.h"
#include "motion/collision_events.h"
#include "motion/collision_search.h"
#include "motion/grid_planning.h"
#include "world/event_performer.h"
#include "game/families.h"
#include "game/game_loop.h"
#include "world/game_world.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/room.h"

namespace {

using namespace qv::world;

constexpr int kSize = 16;  // sprite side in pixels
constexpr int kRoomWidth = 1280, kRoomHeight = 960;
constexpr int kStepsPerRound = 50;  // positions are put back after each round, outside the timing

// Sprite 0: a 16 x 16 opaque block with a precise mask.
void makeSprite() {
  auto& list = qv::graphics::sprites();
  list.clear();
  auto s = std::make_unique<qv::graphics::CSprite>();
  s->frames.push_back(qv::data::TBitmap32(kSize, kSize, 0xFFFFFFFF));
  qv::graphics::ComputeDefaultMasks(*s);
  list.slots.push_back(std::move(s));
  list.names.push_back("spr_block");
}

// A start position and speed of instance k (deterministic, spread over the room).
struct Start {
  double x, y, hspeed, vspeed;
};
Start startOf(int k) {
  return {double((k * 7919) % (kRoomWidth - kSize)), double((k * 104729) % (kRoomHeight - kSize)),
          double(k % 5) - 2, double(k % 3) - 1};
}

struct Objects {
  const char* aStep = nullptr;
  const char* aCollision = nullptr;  // obj_a's event for obj_b
  const char* aCreate = nullptr;
};

// The room's instances get their start speeds, unless they move themselves (`stillSpeeds`).
void setUpRoom(const Objects& events, int count, bool solidFifth, bool stillSpeeds = false) {
  static bool installed = false;
  if (!installed) {
    qv::game::UseGameFamilies();
    qv::code::EnsureBuiltinsRegistered();
    qv::game::InstallGame();
    installed = true;
  }
  EndWorld();
  ClearObjects();
  makeSprite();
  auto a = std::make_unique<CObject>();
  a->sprite = 0;
  if (events.aCollision) a->eventSlot(ev_create, 0)->actions.push_back(CodeAction("hits = 0"));
  if (events.aCreate) a->eventSlot(ev_create, 0)->actions.push_back(CodeAction(events.aCreate));
  if (events.aStep) a->eventSlot(ev_step, 0)->actions.push_back(CodeAction(events.aStep));
  if (events.aCollision) a->eventSlot(ev_collision, 1)->actions.push_back(CodeAction(events.aCollision));
  AddObject("obj_a", std::move(a));
  auto b = std::make_unique<CObject>();
  b->sprite = 0;
  AddObject("obj_b", std::move(b));
  CompileObjects();
  rooms().clear();
  roomNames().clear();
  auto room = std::make_unique<CRoom>();
  room->width = kRoomWidth;
  room->height = kRoomHeight;
  rooms().push_back(std::move(room));
  roomNames().push_back("rm");
  roomOrder() = {0};
  lastInstanceId() = 100000;
  StartWorld();
  RebuildDispatchTables();
  qv::motion::RebuildCollisionPairs();
  for (int k = 0; k < count; ++k) {
    const Start s = startOf(k);
    CInstance* in = CreateInstance(events.aCollision ? k % 2 : 0, s.x, s.y);
    in->hspeed = stillSpeeds ? 0 : s.hspeed;
    in->vspeed = stillSpeeds ? 0 : s.vspeed;
    in->solid = solidFifth && k % 5 == 0;
    if (in->solid) in->hspeed = in->vspeed = 0;
  }
}

void resetPositions(bool stillSpeeds) {
  auto& list = CurrentRoom().instances;
  for (size_t k = 0; k < list.size(); ++k) {
    const Start s = startOf(int(k));
    qv::world::SetPosition(*list[k], s.x, s.y);
    if (!list[k]->solid && !stillSpeeds) list[k]->hspeed = s.hspeed;
  }
}

void runSteps(benchmark::State& state, int steps = kStepsPerRound, bool stillSpeeds = false) {
  for (auto _ : state) {
    for (int k = 0; k < steps; ++k) qv::game::Step();
    state.PauseTiming();
    resetPositions(stillSpeeds);
    state.ResumeTiming();
  }
  state.counters["steps per second"] =
      benchmark::Counter(double(state.iterations()) * steps, benchmark::Counter::kIsRate);
}

// The rooms of 10,000 walked without a grid take seconds per step: a few steps tell.
constexpr int kSlowSteps = 3;

// ---- the floor: plain records, boxes and masks, every pair tested ----

struct Plain {
  double x, y, hspeed, vspeed;
  int32_t left, top, right, bottom;
  bool solid;
  int32_t hits;
};

// The same box and the same precise test as the engine, without lists, events or interpreter.
void placeBox(Plain& p) {
  p.left = int32_t(std::nearbyint(p.x));
  p.top = int32_t(std::nearbyint(p.y));
  p.right = int32_t(std::nearbyint(p.x + kSize - 1));
  p.bottom = int32_t(std::nearbyint(p.y + kSize - 1));
}
bool collide(const Plain& a, const Plain& b, const qv::graphics::TMask& m) {
  if (b.left > a.right || a.left > b.right || b.top > a.bottom || a.top > b.bottom) return false;
  const int64_t ax = int64_t(std::nearbyint(a.x)), ay = int64_t(std::nearbyint(a.y));
  const int64_t bx = int64_t(std::nearbyint(b.x)), by = int64_t(std::nearbyint(b.y));
  for (int64_t px = std::max(a.left, b.left); px <= std::min(a.right, b.right); ++px)
    for (int64_t py = std::max(a.top, b.top); py <= std::min(a.bottom, b.bottom); ++py)
      if (m.bit(int(px - ax), int(py - ay)) && m.bit(int(px - bx), int(py - by))) return true;
  return false;
}

std::vector<Plain> plainRoom(int count, bool solidFifth) {
  std::vector<Plain> list;
  for (int k = 0; k < count; ++k) {
    const Start s = startOf(k);
    Plain p{s.x, s.y, s.hspeed, s.vspeed, 0, 0, 0, 0, solidFifth && k % 5 == 0, 0};
    if (p.solid) p.hspeed = p.vspeed = 0;
    placeBox(p);
    list.push_back(p);
  }
  return list;
}

// ---- 2,000 moving instances, collision events between two objects ----

void BM_CollisionEvents2000(benchmark::State& state) {
  qv::motion::UseBroadPhase(state.range(0) != 0);
  setUpRoom({nullptr, "hits += 1"}, 2000, false);
  runSteps(state);
  qv::motion::UseBroadPhase(true);
}
BENCHMARK(BM_CollisionEvents2000)->Arg(1)->Arg(0)->ArgName("grid")->Unit(benchmark::kMillisecond);

void BM_CollisionEvents2000Floor(benchmark::State& state) {
  makeSprite();
  const qv::graphics::TMask& mask = *qv::graphics::sprites().get(0)->frameMask(0);
  std::vector<Plain> list = plainRoom(2000, false);
  for (auto _ : state) {
    for (int step = 0; step < kStepsPerRound; ++step) {
      for (Plain& p : list) {
        p.x += p.hspeed;
        p.y += p.vspeed;
        placeBox(p);
      }
      // Every a (even positions) against every b (odd positions).
      for (size_t i = 0; i < list.size(); i += 2)
        for (size_t j = 1; j < list.size(); j += 2)
          if (collide(list[i], list[j], mask)) ++list[i].hits;
      benchmark::ClobberMemory();
    }
    state.PauseTiming();
    list = plainRoom(2000, false);
    state.ResumeTiming();
  }
  state.counters["steps per second"] =
      benchmark::Counter(double(state.iterations()) * kStepsPerRound, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CollisionEvents2000Floor)->Unit(benchmark::kMillisecond);

// ---- 10,000 moving instances asking place_free each step ----

const char* kPlaceFreeStep = "if !place_free(x + hspeed, y + vspeed) { hspeed = -hspeed; vspeed = -vspeed }";

void BM_PlaceFree10000(benchmark::State& state) {
  qv::motion::UseBroadPhase(state.range(0) != 0);
  setUpRoom({kPlaceFreeStep, nullptr}, 10000, true);
  runSteps(state, state.range(0) != 0 ? kStepsPerRound : kSlowSteps);
  qv::motion::UseBroadPhase(true);
}
BENCHMARK(BM_PlaceFree10000)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaceFree10000)->Arg(0)->ArgName("grid")->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PlaceFree10000Floor(benchmark::State& state) {
  makeSprite();
  const qv::graphics::TMask& mask = *qv::graphics::sprites().get(0)->frameMask(0);
  std::vector<Plain> list = plainRoom(10000, true);
  for (auto _ : state) {
    for (int step = 0; step < kSlowSteps; ++step) {
      for (Plain& p : list) {
        Plain trial = p;
        trial.x += p.hspeed;
        trial.y += p.vspeed;
        placeBox(trial);
        bool free = true;
        for (const Plain& q : list)
          if (q.solid && &q != &p && collide(q, trial, mask)) {
            free = false;
            break;
          }
        if (!free) {
          p.hspeed = -p.hspeed;
          p.vspeed = -p.vspeed;
        }
      }
      for (Plain& p : list) {
        p.x += p.hspeed;
        p.y += p.vspeed;
        placeBox(p);
      }
      benchmark::ClobberMemory();
    }
    state.PauseTiming();
    list = plainRoom(10000, true);
    state.ResumeTiming();
  }
  state.counters["steps per second"] =
      benchmark::Counter(double(state.iterations()) * kSlowSteps, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlaceFree10000Floor)->Iterations(1)->Unit(benchmark::kMillisecond);

// ---- 10,000 instances moving themselves, then asking place_free ----
// Each non-solid instance steps by (dx, dy) from its id and turns round when its next position is
// taken by a solid one; the floor keeps plain records in the same grid and moves each record's
// cells as it moves, as the engine's grid follows the boxes that moved.

const char* kMoverCreate = "dx = (id mod 5) - 2; dy = (id mod 3) - 1";
const char* kMoverStep =
    "if !solid { x += dx; y += dy; if !place_free(x + dx, y + dy) { dx = -dx; dy = -dy } }";

void BM_MoveThenPlaceFree10000(benchmark::State& state) {
  setUpRoom({kMoverStep, nullptr, kMoverCreate}, 10000, true, true);
  runSteps(state, kStepsPerRound, true);
}
BENCHMARK(BM_MoveThenPlaceFree10000)->Unit(benchmark::kMillisecond);

void BM_MoveThenPlaceFree10000Floor(benchmark::State& state) {
  makeSprite();
  const qv::graphics::TMask& mask = *qv::graphics::sprites().get(0)->frameMask(0);
  auto areaOf = [](const Plain& p) { return qv::motion::Area{p.left, p.top, p.right, p.bottom}; };
  std::vector<Plain> list;
  qv::motion::BoxGrid grid;
  std::vector<uint32_t> found;
  auto reset = [&] {
    list = plainRoom(10000, true);
    for (size_t k = 0; k < list.size(); ++k) {
      const int32_t id = 100001 + int32_t(k);
      list[k].hspeed = id % 5 - 2;  // dx, dy as the engine's instances get them
      list[k].vspeed = id % 3 - 1;
    }
    std::vector<qv::motion::Area> boxes;
    for (const Plain& p : list) boxes.push_back(areaOf(p));
    grid.Build(std::move(boxes), kRoomWidth, kRoomHeight);
  };
  reset();
  for (auto _ : state) {
    for (int step = 0; step < kStepsPerRound; ++step) {
      for (size_t k = 0; k < list.size(); ++k) {
        Plain& p = list[k];
        if (p.solid) continue;
        p.x += p.hspeed;
        p.y += p.vspeed;
        placeBox(p);
        grid.Move(uint32_t(k), areaOf(p));
        Plain trial = p;
        trial.x += p.hspeed;
        trial.y += p.vspeed;
        placeBox(trial);
        grid.Query(areaOf(trial), found);
        bool free = true;
        for (uint32_t j : found)
          if (list[j].solid && j != k && collide(list[j], trial, mask)) {
            free = false;
            break;
          }
        if (!free) {
          p.hspeed = -p.hspeed;
          p.vspeed = -p.vspeed;
        }
      }
      benchmark::ClobberMemory();
    }
    state.PauseTiming();
    reset();
    state.ResumeTiming();
  }
  state.counters["steps per second"] =
      benchmark::Counter(double(state.iterations()) * kStepsPerRound, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MoveThenPlaceFree10000Floor)->Unit(benchmark::kMillisecond);

// ---- a planning grid marked with 10,000 instances ----
// mp_grid_add_instances (each instance's box gives its cells) against the brute-force walk that
// asks, for every cell of the grid, whether any instance's box touches it. Both mark boxes only.

constexpr int kCell = 16;

void BM_GridAddInstances10000(benchmark::State& state) {
  setUpRoom({nullptr, nullptr}, 10000, false);
  const int32_t grid = qv::motion::CreateGrid(0, 0, kRoomWidth / kCell, kRoomHeight / kCell, kCell, kCell);
  qv::motion::CGrid& g = *qv::motion::Grid(grid);
  for (auto _ : state) {
    std::fill(g.cells.begin(), g.cells.end(), 0);
    qv::motion::FindInstance(0, nullptr, [&](CInstance& in) {
      g.forbidInstance(in, false);
      return false;
    });
    benchmark::DoNotOptimize(g.cells.data());
  }
  state.counters["forbidden"] = double(std::count(g.cells.begin(), g.cells.end(), qv::motion::CGrid::kForbidden));
  qv::motion::DestroyGrid(grid);
}
BENCHMARK(BM_GridAddInstances10000)->Unit(benchmark::kMillisecond);

void BM_GridAddInstances10000Floor(benchmark::State& state) {
  setUpRoom({nullptr, nullptr}, 10000, false);
  const int hcells = kRoomWidth / kCell, vcells = kRoomHeight / kCell;
  std::vector<int32_t> cells(size_t(hcells) * vcells);
  const auto& list = CurrentRoom().instances;
  for (auto _ : state) {
    for (int h = 0; h < hcells; ++h)
      for (int v = 0; v < vcells; ++v) {
        const int x1 = h * kCell, y1 = v * kCell, x2 = x1 + kCell - 1, y2 = y1 + kCell - 1;
        int32_t mark = 0;
        for (const auto& in : list)
          if (in->bboxLeft <= x2 && in->bboxRight >= x1 && in->bboxTop <= y2 && in->bboxBottom >= y1) {
            mark = -1;
            break;
          }
        cells[size_t(h) * vcells + v] = mark;
      }
    benchmark::DoNotOptimize(cells.data());
  }
  state.counters["forbidden"] = double(std::count(cells.begin(), cells.end(), -1));
}
BENCHMARK(BM_GridAddInstances10000Floor)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
