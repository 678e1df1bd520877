#include "runner/debug_mode.h"

#include <cstdio>
#include <memory>
#include <string>

#include "code/debug_output.h"
#include "data/runner_state.h"
#include "platform/automation.h"
#include "platform/process.h"
#include "runner/debugger_automation.h"
#include "world/debugger.h"

namespace qv::runner {

void SetUpDebugMode(game::LoopOptions& loop) {
  if (platform::environmentVariable("QUORVANE_DEBUG").value_or("") == "1") data::Runner().debug_mode = true;
  world::Debugger& d = world::debugger();
  d.reset();
  d.setEnabled(data::Runner().debug_mode);
  if (!d.enabled()) return;
  const bool headless = platform::headlessMode();
  code::SetDebugMessageSink([headless](const std::string& line) {
    world::debugger().addMessage(line);
    if (!headless) return;
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
  });
  if (!headless) return;
  const auto text = platform::environmentVariable("QUORVANE_DEBUGGER");
  if (!text) return;
  std::string error;
  auto actions = ParseDebuggerActions(*text, &error);
  if (!actions) {
    std::fprintf(stderr, "QUORVANE_DEBUGGER: %s\n", error.c_str());
    return;
  }
  auto automation = std::make_shared<DebuggerAutomation>(std::move(*actions));
  loop.afterStep = [automation, before = loop.afterStep](int64_t step) {
    if (before) before(step);
    automation->afterStep(step);
  };
  loop.pumpEvents = [automation, before = loop.pumpEvents] {
    const bool open = !before || before();
    automation->whilePaused();
    return open;
  };
}

void EndDebugMode() {}

}  // namespace qv::runner
