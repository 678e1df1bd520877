// The common data structure operations through their built-in handlers (as game code reaches
// them), each beside its plain C++ counterpart measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <queue>
#include <unordered_map>
#include <vector>

#include "code/random.h"
#include "datastructures/builtins.h"

using qv::code::RValue;

namespace {

qv::code::BuiltinHandler handler(const char* name) {
  for (const auto& f : qv::datastructures::DataStructureFunctions())
    if (std::string(f.name) == name) return f.handler;
  std::abort();
}

// Calls through the handler signature the interpreter uses. The argument slots persist between
// calls (as an interpreter's argument stack does), so the loop only changes the reals in them.
struct Caller {
  explicit Caller(const char* name) : h(handler(name)) {}
  const RValue& operator()(std::initializer_list<RValue> list) {
    int n = 0;
    for (const RValue& v : list) args[n++] = v;
    return call(n);
  }
  const RValue& call(int n) {
    result.clear();
    qv::code::BuiltinCall c{nullptr, nullptr, n, args, result};
    h(c);
    return result;
  }
  qv::code::BuiltinHandler h;
  RValue args[5];
  RValue result;
};

std::vector<double> keys(int n) {
  std::vector<double> k(static_cast<size_t>(n));
  qv::code::RandomSetSeed(1);
  for (double& x : k) x = qv::code::RandomInteger(1u << 30);
  return k;
}

// ---- ds_list: append n values, then read each by position

void BM_DsListAddFind(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Caller create("ds_list_create"), destroy("ds_list_destroy"), add("ds_list_add"), find("ds_list_find_value");
  for (auto _ : state) {
    RValue id = create({});
    add.args[0] = id;
    find.args[0] = id;
    for (int i = 0; i < n; ++i) {
      add.args[1].real = i;
      add.call(2);
    }
    double sum = 0;
    for (int i = 0; i < n; ++i) {
      find.args[1].real = i;
      sum += find.call(2).real;
    }
    benchmark::DoNotOptimize(sum);
    destroy({id});
  }
  state.SetItemsProcessed(state.iterations() * n);
}
void BM_VectorAddIndex(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(i);
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += v[static_cast<size_t>(i)];
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// ---- ds_list_sort of n random reals

void BM_DsListSort(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Caller create("ds_list_create"), destroy("ds_list_destroy"), add("ds_list_add"), sort("ds_list_sort");
  std::vector<double> k = keys(n);
  for (auto _ : state) {
    state.PauseTiming();
    RValue id = create({});
    add.args[0] = id;
    for (double x : k) {
      add.args[1].real = x;
      add.call(2);
    }
    state.ResumeTiming();
    sort({id, 1.0});
    state.PauseTiming();
    destroy({id});
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
void BM_VectorSort(benchmark::State& state) {
  std::vector<double> k = keys(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<double> v = k;
    state.ResumeTiming();
    std::stable_sort(v.begin(), v.end());
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// ---- ds_map: add n random keys, then look each up

void BM_DsMapAddFind(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Caller create("ds_map_create"), destroy("ds_map_destroy"), add("ds_map_add"), find("ds_map_find_value");
  std::vector<double> k = keys(n);
  for (auto _ : state) {
    RValue id = create({});
    add.args[0] = id;
    find.args[0] = id;
    for (double x : k) {
      add.args[1].real = add.args[2].real = x;
      add.call(3);
    }
    double sum = 0;
    for (double x : k) {
      find.args[1].real = x;
      sum += find.call(2).real;
    }
    benchmark::DoNotOptimize(sum);
    destroy({id});
  }
  state.SetItemsProcessed(state.iterations() * n);
}
void BM_DsMapFind(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Caller create("ds_map_create"), add("ds_map_add"), find("ds_map_find_value");
  std::vector<double> k = keys(n);
  RValue id = create({});
  add.args[0] = id;
  find.args[0] = id;
  for (double x : k) {
    add.args[1].real = add.args[2].real = x;
    add.call(3);
  }
  for (auto _ : state) {
    double sum = 0;
    for (double x : k) {
      find.args[1].real = x;
      sum += find.call(2).real;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * n);
  qv::datastructures::ResetDataStructures();
}
void BM_StdMapAddFind(benchmark::State& state) {
  std::vector<double> k = keys(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::map<double, double> m;
    for (double x : k) m.emplace(x, x);
    double sum = 0;
    for (double x : k) sum += m.find(x)->second;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
void BM_StdMapFind(benchmark::State& state) {
  std::vector<double> k = keys(static_cast<int>(state.range(0)));
  std::map<double, double> m;
  for (double x : k) m.emplace(x, x);
  for (auto _ : state) {
    double sum = 0;
    for (double x : k) sum += m.find(x)->second;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
void BM_UnorderedMapAddFind(benchmark::State& state) {
  std::vector<double> k = keys(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::unordered_map<double, double> m;
    for (double x : k) m.emplace(x, x);
    double sum = 0;
    for (double x : k) sum += m.find(x)->second;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// ---- ds_grid: set every cell of an n x n grid, then sum them one by one and by region

void BM_DsGridSetGet(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Caller create("ds_grid_create"), destroy("ds_grid_destroy"), set("ds_grid_set"), get("ds_grid_get");
  RValue id = create({double(n), double(n)});
  set.args[0] = get.args[0] = id;
  for (auto _ : state) {
    for (int x = 0; x < n; ++x)
      for (int y = 0; y < n; ++y) {
        set.args[1].real = x;
        set.args[2].real = y;
        set.args[3].real = x + y;
        set.call(4);
      }
    double sum = 0;
    for (int x = 0; x < n; ++x)
      for (int y = 0; y < n; ++y) {
        get.args[1].real = x;
        get.args[2].real = y;
        sum += get.call(3).real;
      }
    benchmark::DoNotOptimize(sum);
  }
  destroy({id});
  state.SetItemsProcessed(state.iterations() * n * n);
}
void BM_FlatArraySetGet(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  std::vector<double> cells(static_cast<size_t>(n * n));
  for (auto _ : state) {
    for (int x = 0; x < n; ++x)
      for (int y = 0; y < n; ++y) cells[static_cast<size_t>(x * n + y)] = x + y;
    double sum = 0;
    for (int x = 0; x < n; ++x)
      for (int y = 0; y < n; ++y) sum += cells[static_cast<size_t>(x * n + y)];
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * n * n);
}
void BM_DsGridRegionSum(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Caller create("ds_grid_create"), destroy("ds_grid_destroy"), clear("ds_grid_clear");
  qv::code::BuiltinHandler sum = handler("ds_grid_get_sum");
  RValue id = create({double(n), double(n)});
  clear({id, 1.5});
  for (auto _ : state) {
    RValue args[5] = {id, 0.0, 0.0, double(n - 1), double(n - 1)};
    RValue result;
    qv::code::BuiltinCall c{nullptr, nullptr, 5, args, result};
    sum(c);
    benchmark::DoNotOptimize(result.real);
  }
  destroy({id});
  state.SetItemsProcessed(state.iterations() * n * n);
}
void BM_FlatArraySum(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  std::vector<double> cells(static_cast<size_t>(n * n), 1.5);
  for (auto _ : state) {
    double sum = 0;
    for (double c : cells) sum += c;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * n * n);
}

// ---- ds_priority: add n values, then take them all out by least priority

void BM_DsPriorityDrain(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Caller create("ds_priority_create"), destroy("ds_priority_destroy"), add("ds_priority_add"),
      delMin("ds_priority_delete_min");
  std::vector<double> k = keys(n);
  for (auto _ : state) {
    RValue id = create({});
    add.args[0] = delMin.args[0] = id;
    for (double x : k) {
      add.args[1].real = add.args[2].real = x;
      add.call(3);
    }
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += delMin.call(1).real;
    benchmark::DoNotOptimize(sum);
    destroy({id});
  }
  state.SetItemsProcessed(state.iterations() * n);
}
void BM_StdPriorityQueueDrain(benchmark::State& state) {
  std::vector<double> k = keys(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::priority_queue<double, std::vector<double>, std::greater<>> q;
    for (double x : k) q.push(x);
    double sum = 0;
    while (!q.empty()) {
      sum += q.top();
      q.pop();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_DsListAddFind)->Arg(1000)->Arg(100000);
BENCHMARK(BM_VectorAddIndex)->Arg(1000)->Arg(100000);
BENCHMARK(BM_DsListSort)->Arg(1000)->Arg(100000);
BENCHMARK(BM_VectorSort)->Arg(1000)->Arg(100000);
BENCHMARK(BM_DsMapAddFind)->Arg(1000)->Arg(100000);
BENCHMARK(BM_StdMapAddFind)->Arg(1000)->Arg(100000);
BENCHMARK(BM_UnorderedMapAddFind)->Arg(1000)->Arg(100000);
BENCHMARK(BM_DsMapFind)->Arg(1000)->Arg(100000);
BENCHMARK(BM_StdMapFind)->Arg(1000)->Arg(100000);
BENCHMARK(BM_DsGridSetGet)->Arg(100)->Arg(1000);
BENCHMARK(BM_FlatArraySetGet)->Arg(100)->Arg(1000);
BENCHMARK(BM_DsGridRegionSum)->Arg(100)->Arg(1000);
BENCHMARK(BM_FlatArraySum)->Arg(100)->Arg(1000);
BENCHMARK(BM_DsPriorityDrain)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(BM_StdPriorityQueueDrain)->Arg(100)->Arg(1000)->Arg(10000);

BENCHMARK_MAIN();
