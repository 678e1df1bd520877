// Function actions against the same logic as one code action, measured in the same run: 10,000
// instances each perform a step event 100 times. The actions: a motion member (action_move_to,
// relative), a question (action_if_variable) and the alarm it guards (action_set_alarm); the code
// action: "x += 1; if x > 1000 { alarm[0] = 5 }". The ratio of the two times is the cost of the
// action form.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "code/registry.h"
#include "game/families.h"
#include "game/game_loop.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/room.h"

namespace {

using namespace qv::world;

CAction function(const std::string& name, std::vector<std::string> args, bool relative = false, bool question = false) {
  CAction a;
  a.executionType = exec_function;
  a.functionName = name;
  a.mayBeRelative = true;
  a.relative = relative;
  a.isQuestion = question;
  a.argumentCount = static_cast<int32_t>(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    a.argumentKinds[i] = 0;  // expression
    a.argumentTexts[i] = args[i];
  }
  return a;
}

// One object whose step event holds `actions`, one room with 10,000 of its instances.
void setUpWorld(const std::vector<CAction>& actions) {
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
  object->eventSlot(ev_step, 0)->actions = actions;
  // Function names resolve as when a game's objects are read.
  for (CAction& a : object->eventSlot(ev_step, 0)->actions) a.functionIndex = qv::code::FindFunction(a.functionName);
  AddObject("obj", std::move(object));
  CompileObjects();
  rooms().clear();
  roomNames().clear();
  rooms().push_back(std::make_unique<CRoom>());
  roomNames().push_back("rm");
  roomOrder() = {0};
  lastInstanceId() = 100000;
  StartWorld();
  for (int i = 0; i < 10000; ++i) CreateInstance(0, i % 1000, 0);
}

void runSteps(benchmark::State& state) {
  for (auto _ : state)
    for (int round = 0; round < 100; ++round) PerformEventForAll(ev_step, ev_step_normal);
  state.SetItemsProcessed(state.iterations() * 100 * 10000);
  // Both forms do the same work: every instance moves one pixel a round, and the last one (which
  // starts at x 999) has passed 1000 and set its alarm.
  const CInstance& last = *CurrentRoom().instances.back();
  state.counters["x per round"] = (last.x - last.xstart) / double(state.iterations() * 100);
  state.counters["alarm"] = last.alarm[0];
}

void BM_ThreeFunctionActions(benchmark::State& state) {
  setUpWorld({function("action_move_to", {"1", "0"}, true), function("action_if_variable", {"x", "1000", "2"}, false, true),
              function("action_set_alarm", {"5", "0"})});
  runSteps(state);
}
BENCHMARK(BM_ThreeFunctionActions)->Unit(benchmark::kMillisecond);

void BM_OneCodeAction(benchmark::State& state) {
  setUpWorld({CodeAction("x += 1; if x > 1000 { alarm[0] = 5 }")});
  runSteps(state);
}
BENCHMARK(BM_OneCodeAction)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
