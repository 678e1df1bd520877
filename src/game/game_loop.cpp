#include "game/game_loop.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <thread>
#include <vector>

#include "code/errors.h"
#include "game/game_state.h"
#include "game/included_files.h"
#include "game/input_stages.h"
#include "graphics/builtins.h"
#include "graphics/display.h"
#include "graphics/sprite.h"
#include "graphics/transition.h"
#include "motion/builtins.h"
#include "motion/collision_events.h"
#include "motion/movement.h"
#include "particles/effects.h"
#include "particles/particle_drawing.h"
#include "platform/error_window.h"
#include "platform/interrupt.h"
#include "extensions/extension_packages.h"
#include "sound/builtins.h"
#include "world/debugger.h"
#include "world/dispatch.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/input.h"
#include "world/room_drawing.h"
#include "game/saved_game.h"
#include "world/saved_game.h"
#include "world/time_line.h"
#include "world/transfer.h"
#include "world/trigger.h"

namespace qv::game {

using namespace world;

void InstallGame() {
  world::InstallWorld();
  graphics::InstallResourceNames();
  sound::InstallSoundNames();
  motion::BindPathVariables();
  // Particle systems are drawn among the instances by depth, and the effects scale with the room.
  world::roomParticleDrawing() = {particles::NextDrawDepthBelow, particles::DrawSystemsAtDepth};
  particles::SetEffectRoom([] {
    const CRoom& room = CurrentRoom();
    return particles::EffectRoom{double(room.speed), double(framesPerSecond()), double(room.width), double(room.height)};
  });
  code::SetErrorWindow(platform::ShowErrorWindow);
}

void StartGame() {
  ResetStateForGameStart();
  RunLibraryInitCode();
  if (TransferPending()) return;
  // A failed initialization has reported a fatal error: no room is entered.
  if (!extensions::InitializeExtensions()) return;
  StartWorld();
}

void EndGame() {
  EndWorld();
  extensions::FinalizeExtensions();
  ReleaseStateAtGameEnd();
}

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
  if (request == kTransferLoad) {
    // The load runs between steps; a refused file leaves the game running as it was. The input
    // is cleared either way, so the key that asked for the load is not seen in the next step.
    transferRequest() = kTransferNone;
    ClearInput();
    LoadGame(pendingLoadName());
    return true;
  }
  // End and abort end the game.
  return false;
}

namespace {

// Alarm a of every instance whose object has that alarm event counts down; reaching 0 performs it.
void alarms() {
  for (int32_t a = 0; a < kAlarmCount; ++a) {
    ForEachDispatchedInstance(ev_alarm, a, [a](CInstance& in, int32_t object) {
      int32_t& alarm = in.alarm[static_cast<size_t>(a)];
      if (alarm >= 0 && --alarm == 0) PerformEvent(&in, &in, object, ev_alarm, a);
    });
  }
}

// Every instance in list order, by position against the live list.
template <class F>
void forEachInstance(F f) {
  constexpr size_t kAhead = 12;  // records fetched ahead of the one being visited
  for (size_t k = 0; k < CurrentRoom().instances.size(); ++k) {
    const auto& list = CurrentRoom().instances;
    if (k + kAhead < list.size()) PrefetchStepFields(list[k + kAhead].get());
    f(*list[k]);
  }
}

}  // namespace

// The stages in their order; the numbers are the stages of the full step.
void Step() {
  const bool active = graphics::display().windowActive;
  if (!active && inputSettings().freezeWhenInactive) return;  // 1
  HandleFunctionKeys();  // 2
  if (TransferPending()) return;
  if (!active) ClearInput();  // 3
  forEachInstance([](CInstance& in) {  // 4
    in.xprevious = in.x;
    in.yprevious = in.y;
    in.pathPositionprevious = in.pathPosition;
  });
  CheckTriggers(1);  // 5
  if (TransferPending()) return;
  RaiseEvent(ev_step, ev_step_begin);
  if (TransferPending()) return;
  if (AnyTimeLineMoments()) {  // 6 (without moments anywhere, no instance's time line can act)
    forEachInstance([](CInstance& in) {
      if (!in.destroyed && in.timelineIndex >= 0) AdvanceTimeLine(in);
    });
  }
  if (TransferPending()) return;
  alarms();  // 7
  if (TransferPending()) return;
  RaiseKeyboardEvents();  // 8
  if (TransferPending()) return;
  RaiseJoystickEvents();  // 9
  if (TransferPending()) return;
  RaiseMouseEvents();  // 10
  if (TransferPending()) return;
  CheckTriggers(0);  // 11
  if (TransferPending()) return;
  RaiseEvent(ev_step, ev_step_normal);
  if (TransferPending()) return;
  motion::MovementStage();  // 12
  motion::OutsideAndBoundaryStage();  // 13
  if (TransferPending()) return;
  motion::CollisionEventPass();  // 14
  if (TransferPending()) return;
  CheckTriggers(2);  // 15
  if (TransferPending()) return;
  RaiseEvent(ev_step, ev_step_end);
  if (TransferPending()) return;
  particles::UpdateAutomaticSystems();  // 16
  RemoveDestroyed(CurrentRoom());  // 17
  if (graphics::display().automaticDraw) graphics::display().redraw();  // 18
  ScrollBackgrounds(CurrentRoom());  // 19
  forEachInstance([](CInstance& in) {  // 20
    in.imageIndex += in.imageSpeed;
    const graphics::CSprite* sprite = graphics::sprites().get(in.spriteIndex);
    const int frames = sprite ? sprite->frameCount() : 0;
    // Floor(image_index) >= frames holds exactly when image_index >= frames, frames being whole.
    if (in.imageIndex >= frames) {
      in.imageIndex -= frames;
      PerformEvent(&in, &in, in.objectIndex, ev_other, ev_animation_end);
    }
  });
  ++stepCounter();  // 21
  ClearPressedFlags();  // 23
}

namespace {
int64_t clockMicroseconds() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

bool WaitMicroseconds(int64_t n, const std::function<bool()>& pumpEvents) {
  if (n <= 0) return !platform::InterruptSignal();
  const int64_t end = clockMicroseconds() + n;
  // Sleep most of the wait, then finish on the clock while window messages are processed.
  if (n >= 2000) std::this_thread::sleep_for(std::chrono::milliseconds((n - 1000) / 1000));
  for (int64_t now = clockMicroseconds(); now < end; now = clockMicroseconds()) {
    if (platform::InterruptSignal() || (pumpEvents && !pumpEvents())) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(std::min<int64_t>(end - now, 200)));
  }
  return !platform::InterruptSignal();
}

namespace {
GameEnding lastEnding = GameEnding::Ended;

// The ending that a transfer request which ended the game stands for.
GameEnding EndingOf(int32_t request) { return request == kTransferAbort ? GameEnding::Aborted : GameEnding::Ended; }
}  // namespace

GameEnding LastGameEnding() { return lastEnding; }

// How long the paused loop waits between two looks at the windows' events.
constexpr int64_t kPausedWaitMicroseconds = 15000;

int64_t RunGameLoop(const LoopOptions& options) {
  // The frames of a room transition each wait for a refresh of the display (taken as 60 Hz); no
  // window message is handled meanwhile. Unpaced runs (tests, benchmarks) do not wait.
  graphics::transitionFrameWait() = nullptr;
  if (options.paced) graphics::transitionFrameWait() = [] { WaitMicroseconds(1000000 / 60, nullptr); };
  lastEnding = GameEnding::StepsDone;
  StartGame();
  int64_t steps = 0;
  if (!HandleTransfer()) {
    lastEnding = EndingOf(transferRequest());
    transferRequest() = kTransferNone;
    EndGame();
    return 0;
  }
  int64_t t0 = clockMicroseconds(), secondMark = t0;
  int32_t frames = 0;
  framesPerSecond() = 0;
  bool running = !options.pumpEvents || options.pumpEvents();
  if (!running) lastEnding = GameEnding::Ended;
  HandleSyntheticInput();
  while (running && (options.maxSteps < 0 || steps < options.maxSteps)) {
    // Paused by the debugger: no step runs; the windows' events are still handled (the debugger
    // window's among them, which runs the game again or asks for one step).
    if (debugger().enabled() && !debugger().mayStep()) {
      const bool open = WaitMicroseconds(options.paced ? kPausedWaitMicroseconds : 1000, options.pumpEvents);
      if (platform::InterruptSignal()) {
        lastEnding = GameEnding::Interrupted;
        break;
      }
      if (!open) {
        lastEnding = GameEnding::Ended;
        break;
      }
      t0 = clockMicroseconds();  // the pause is not time the next step is late by
      continue;
    }
    if (options.beforeStep) options.beforeStep(steps + 1);
    // A failure that escapes a step (a malformed data-structure string, say) ends that step only.
    try {
      Step();
    } catch (const std::exception&) {
    }
    ++steps;
    if (debugger().enabled()) debugger().stepDone();
    if (options.afterStep) options.afterStep(steps);
    int64_t now = clockMicroseconds();
    if (now < t0) t0 = now;
    if (CurrentRoom().speed <= 0) CurrentRoom().speed = 1;
    int64_t wait = 0;
    bool open = true;
    if (options.paced) {
      wait = std::clamp<int64_t>(1000000 / CurrentRoom().speed - (now - t0), 0, 1000000);
      open = WaitMicroseconds(wait, options.pumpEvents);
    }
    t0 = now + wait;
    if (t0 < secondMark) secondMark = t0;
    if (secondMark / 1000000 < t0 / 1000000) {
      framesPerSecond() = frames;
      frames = 0;
      secondMark = t0;
    }
    ++frames;
    if (!HandleTransfer()) {
      lastEnding = EndingOf(transferRequest());
      break;
    }
    if (platform::InterruptSignal()) {
      lastEnding = GameEnding::Interrupted;
      break;
    }
    if (!open || (options.pumpEvents && !options.pumpEvents())) {
      lastEnding = platform::InterruptSignal() ? GameEnding::Interrupted : GameEnding::Ended;
      break;
    }
    HandleSyntheticInput();
  }
  // The request that ended the game is cleared so that the end events run.
  transferRequest() = kTransferNone;
  EndGame();
  return steps;
}

}  // namespace qv::game
