// The world's hot paths against plain C++ loops doing the same work (the floor), measured in the
// same run: creating instances with a create event, performing a step-like event with a few lines
// of code, and looking instances up by id. Allocations per performed event are counted too.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "code/instance_world.h"
#include "code/registry.h"
#include "world/event_performer.h"
#include "game/families.h"
#include "game/game_loop.h"
#include "world/game_world.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/room.h"

namespace {

std::atomic<int64_t> allocations{0};

}  // namespace

// Counting replacements of the global allocation functions: new takes from malloc, so delete
// gives back with free. (GCC cannot see that the pair is matched across the replacement.)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace qv::world;

// One object with a create event and a step event, one empty room, the world started on it.
void setUpWorld(const char* createCode, const char* stepCode, const char* alarmCode = nullptr) {
  static bool installed = false;
  if (!installed) {
    qv::game::UseGameFamilies();
    qv::code::EnsureBuiltinsRegistered();
    qv::game::InstallGame();
    installed = true;
  }
  EndWorld();
  ClearObjects();
  auto object = std::make_unique<CObject>();
  if (createCode) object->eventSlot(ev_create, 0)->actions.push_back(CodeAction(createCode));
  if (stepCode) object->eventSlot(ev_step, 0)->actions.push_back(CodeAction(stepCode));
  if (alarmCode) object->eventSlot(ev_alarm, 0)->actions.push_back(CodeAction(alarmCode));
  AddObject("obj", std::move(object));
  CompileObjects();
  rooms().clear();
  roomNames().clear();
  rooms().push_back(std::make_unique<CRoom>());
  roomNames().push_back("rm");
  roomOrder() = {0};
  lastInstanceId() = 100000;
  StartWorld();
}

// ---- creating 100,000 instances with a create event ----

void BM_CreateInstances(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    setUpWorld("hp = 10", nullptr);
    state.ResumeTiming();
    for (int i = 0; i < 100000; ++i) CreateInstance(0, i, 0);
    benchmark::DoNotOptimize(CurrentRoom().instances.size());
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_CreateInstances)->Unit(benchmark::kMillisecond);

struct PlainInstance {
  int32_t id;
  double x, y, hp;
};
void BM_CreateInstancesFloor(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::unique_ptr<PlainInstance>> list;
    for (int i = 0; i < 100000; ++i) {
      auto p = std::make_unique<PlainInstance>();
      p->id = 100001 + i;
      p->x = i;
      p->hp = 10;  // the create event
      list.push_back(std::move(p));
    }
    benchmark::DoNotOptimize(list.data());
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_CreateInstancesFloor)->Unit(benchmark::kMillisecond);

// ---- a step-like event for 10,000 instances, 100 times ----

const char* kStepCode = "x += hspeed; y += 1; if x > 1000 { x = 0 } counter += 1";

void BM_StepEvent(benchmark::State& state) {
  setUpWorld("hspeed = 2; counter = 0", kStepCode);
  for (int i = 0; i < 10000; ++i) CreateInstance(0, i % 1000, 0);
  int64_t before = 0, events = 0;
  for (auto _ : state) {
    before = allocations.load();
    for (int round = 0; round < 100; ++round) PerformEventForAll(ev_step, ev_step_normal);
    events += 100 * 10000;
    state.counters["allocations per event"] = double(allocations.load() - before) / (100 * 10000);
  }
  state.SetItemsProcessed(events);
}
BENCHMARK(BM_StepEvent)->Unit(benchmark::kMillisecond);

void BM_StepEventFloor(benchmark::State& state) {
  struct Plain {
    double x, y, hspeed, counter;
  };
  std::vector<std::unique_ptr<Plain>> list;
  for (int i = 0; i < 10000; ++i) list.push_back(std::make_unique<Plain>(Plain{double(i % 1000), 0, 2, 0}));
  for (auto _ : state) {
    for (int round = 0; round < 100; ++round)
      for (auto& p : list) {
        p->x += p->hspeed;
        p->y += 1;
        if (p->x > 1000) p->x = 0;
        p->counter += 1;
        benchmark::ClobberMemory();
      }
  }
  state.SetItemsProcessed(state.iterations() * 100 * 10000);
}
BENCHMARK(BM_StepEventFloor)->Unit(benchmark::kMillisecond);

// ---- whole steps, unpaced: a room of instances with a step event that move and keep an alarm ----
// Each instance moves by its horizontal speed, runs three lines of step code and counts its alarm 0
// down; the alarm event fires every tenth step and sets the alarm again. The floor does the same
// work over plain records in the same stage order: previous positions, alarms, the step code,
// motion. Run with 10,000 and 100,000 instances.

void BM_StepsOfABusyRoom(benchmark::State& state) {
  const int count = int(state.range(0));
  setUpWorld("hspeed = 1; counter = 0; fired = 0; alarm[0] = 1 + id mod 10",
             "counter += 1; if x > 1000 { x = 0 } y = counter mod 7", "fired += 1; alarm[0] = 10");
  for (int i = 0; i < count; ++i) CreateInstance(0, i % 1000, 0);
  for (auto _ : state) qv::game::Step();
  state.counters["steps per second"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StepsOfABusyRoom)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_StepsOfABusyRoomFloor(benchmark::State& state) {
  struct Plain {
    double x, y, xprevious, yprevious, hspeed, vspeed, counter, fired;
    int32_t alarm;
  };
  const int count = int(state.range(0));
  std::vector<std::unique_ptr<Plain>> list;
  for (int i = 0; i < count; ++i)
    list.push_back(std::make_unique<Plain>(Plain{double(i % 1000), 0, 0, 0, 1, 0, 0, 0, 1 + (100001 + i) % 10}));
  for (auto _ : state) {
    for (auto& p : list) {
      p->xprevious = p->x;
      p->yprevious = p->y;
    }
    for (auto& p : list) {
      if (p->alarm >= 0 && --p->alarm == 0) {
        p->fired += 1;
        p->alarm = 10;
        benchmark::ClobberMemory();
      }
    }
    for (auto& p : list) {
      p->counter += 1;
      if (p->x > 1000) p->x = 0;
      p->y = std::fmod(p->counter, 7);
      benchmark::ClobberMemory();
    }
    for (auto& p : list) {
      p->x += p->hspeed;
      p->y += p->vspeed;
    }
  }
  state.counters["steps per second"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StepsOfABusyRoomFloor)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// ---- looking instances up by id ----

void BM_FindById(benchmark::State& state) {
  setUpWorld(nullptr, nullptr);
  for (int i = 0; i < 10000; ++i) CreateInstance(0, 0, 0);
  qv::code::InstanceWorld& world = qv::code::instanceWorld();
  uint32_t k = 0;
  for (auto _ : state) {
    k = k * 1664525u + 1013904223u;
    benchmark::DoNotOptimize(world.findById(100001 + int32_t(k % 10000)));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindById);

void BM_FindByIdFloor(benchmark::State& state) {
  std::vector<std::unique_ptr<PlainInstance>> list;
  std::unordered_map<int32_t, PlainInstance*> index;
  for (int i = 0; i < 10000; ++i) {
    list.push_back(std::make_unique<PlainInstance>(PlainInstance{100001 + i, 0, 0, 0}));
    index[100001 + i] = list.back().get();
  }
  uint32_t k = 0;
  for (auto _ : state) {
    k = k * 1664525u + 1013904223u;
    benchmark::DoNotOptimize(index.find(100001 + int32_t(k % 10000))->second);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindByIdFloor);

// ---- pacing: 600 steps of a room at speed 60, timed by the real clock ----

std::vector<int64_t>& ticks() {
  static std::vector<int64_t> t;
  return t;
}

void BM_PacingAt60(benchmark::State& state) {
  static const int32_t tick = qv::code::RegisterFunction("bench_tick", [](qv::code::BuiltinCall&) {
    using namespace std::chrono;
    ticks().push_back(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
  }, 0);
  (void)tick;
  for (auto _ : state) {
    setUpWorld(nullptr, "bench_tick()");
    EndWorld();
    // One placed instance whose step event stamps the time; the loop starts the game itself.
    rooms()[0]->speed = 60;
    rooms()[0]->instances.push_back(NewInstance(0, 0, 0, 100001));
    ticks().clear();
    qv::game::LoopOptions options;
    options.maxSteps = 600;
    options.paced = true;
    qv::game::RunGameLoop(options);
  }
  std::vector<double> periods;
  for (size_t i = 1; i < ticks().size(); ++i) periods.push_back(double(ticks()[i] - ticks()[i - 1]) / 1000.0);
  double mean = 0, spread = 0, worst = 0;
  for (double p : periods) mean += p;
  mean /= double(periods.size());
  for (double p : periods) {
    spread += (p - mean) * (p - mean);
    worst = std::max(worst, std::abs(p - mean));
  }
  spread = std::sqrt(spread / double(periods.size()));
  state.counters["mean period ms"] = mean;
  state.counters["period stddev ms"] = spread;
  state.counters["largest deviation ms"] = worst;
}
BENCHMARK(BM_PacingAt60)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
