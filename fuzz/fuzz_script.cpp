// Compiles and runs arbitrary text as a program, with a step budget so that loops end, and
// checks that every input ends in a compile error or a run (never a crash or a hang).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/families.h"
#include "code/ccode.h"
#include "code/errors.h"
#include "code/instance_world.h"
#include "code/interpreter.h"
#include "code/registry.h"
#include "world/instance.h"

namespace {
constexpr int64_t kStepBudget = 20000;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::game::UseGameFamilies();
  using namespace qv::code;
  static bool initialised = [] {
    setenv("QUORVANE_HEADLESS", "1", 1);
    errorSettings().display = false;
    // A helper script so that calls and recursion are reachable from the input.
    AddScript("rec", "{ if (argument0 > 0) return rec(argument0 - 1) + 1; return 0 }");
    CompileScripts();
    return true;
  }();
  (void)initialised;
  static SimpleInstanceWorld world;
  world.clear();
  auto& self = world.add(100000, 0);
  world.add(100001, 1);
  SetInstanceWorld(&world);
  globalStore().reset();
  errorState().aborting = false;

  const std::string text(reinterpret_cast<const char*>(data), size);
  CCode code(text, false);
  if (code.Compile()) {
    SetStepBudget(kStepBudget);
    RValue result;
    ExecuteAction(code, &self, &self, result);
    SetStepBudget(-1);
  }
  ClearRecordedError();
  CCode expression(text, true);
  if (expression.Compile()) {
    RValue result;
    ExecuteValue(expression, &self, &self, result);
  }
  ClearRecordedError();
  SetInstanceWorld(nullptr);
  return 0;
}
