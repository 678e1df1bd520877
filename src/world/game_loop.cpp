#include "world/game_loop.h"

#include <chrono>
#include <thread>

#include "code/errors.h"
#include "code/registry.h"
#include "world/object.h"
#include "world/trigger.h"
#include "runner/included_files.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/transfer.h"
#include "world/variables.h"

namespace qv::world {

void InstallWorld() {
  code::SetResourceNameLookup(code::ResourceKind::Object, [](std::string_view n) { return FindObject(n); });
  code::SetResourceNameLookup(code::ResourceKind::Room, [](std::string_view n) { return FindRoom(n); });
  code::SetResourceNameLookup(code::ResourceKind::Trigger, [](std::string_view n) {
    const auto& list = triggers();
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i] && list[i]->name == n) return static_cast<int32_t>(i);
    return int32_t{-1};
  });
  InstallInstanceWorld();
  InstallEventHooks();
  BindWorldVariables();
}

void StartGame() {
  transferRequest() = kTransferNone;
  RebuildDispatchTables();
  runner::RunLibraryInitCode();
  if (TransferPending()) return;
  StartWorld();
}

void EndGame() { EndWorld(); }

bool HandleTransfer() {
  const int32_t request = transferRequest();
  if (request == kTransferNone) return true;
  if (request >= 0) {
    ChangeRoom(request);
    return true;
  }
  if (request == kTransferRestart) {
    EndGame();
    StartGame();
    return true;
  }
  // End, abort, and a load request (saved games are not built yet) end the game.
  return false;
}

void Step() {
  PerformEventForAll(ev_step, ev_step_begin);
  PerformEventForAll(ev_step, ev_step_normal);
  PerformEventForAll(ev_step, ev_step_end);
  RemoveDestroyed(CurrentRoom());
  ScrollBackgrounds(CurrentRoom());
}

int64_t RunGameLoop(const LoopOptions& options) {
  using Clock = std::chrono::steady_clock;
  StartGame();
  int64_t steps = 0;
  auto next = Clock::now();
  while (HandleTransfer()) {
    if (options.maxSteps >= 0 && steps >= options.maxSteps) break;
    if (options.pumpEvents && !options.pumpEvents()) break;
    Step();
    ++steps;
    if (options.paced) {
      const int32_t speed = CurrentRoom().speed > 0 ? CurrentRoom().speed : 1;
      next += std::chrono::microseconds(1000000 / speed);
      const auto now = Clock::now();
      if (next > now) std::this_thread::sleep_until(next);
      else next = now;
    }
  }
  // The request that ended the game is cleared so that the end events run.
  transferRequest() = kTransferNone;
  EndGame();
  return steps;
}

}  // namespace qv::world
