// Starting, running and ending the game.
//
// The step runs the stages that exist so far in their order (see Step); the transfer request is
// carried out between steps. The game ends on game_end, on an abort, when the window is closed,
// on SIGINT or SIGTERM, or after QUORVANE_STEPS steps (then unpaced). In debug mode the loop runs
// no step while the debugger holds it paused (world/debugger), handling window events meanwhile.
#pragma once

#include <cstdint>
#include <functional>

namespace qv::game {

// Library initialization code, dispatch tables, the first room.
void StartGame();
// The game end events and the freeing of every room.
void EndGame();
// Carries out a pending transfer; false when the game is over (end or abort).
bool HandleTransfer();
// One step.
void Step();

struct LoopOptions {
  int64_t maxSteps = -1;  // -1: until the game ends
  bool paced = true;      // wait for 1 / room speed seconds between steps
  // Called between steps; false ends the game (the window was closed).
  std::function<bool()> pumpEvents;
  // Called before each step with its number (1 for the first step of the run).
  std::function<void(int64_t)> beforeStep;
  // Called after each step with its number.
  std::function<void(int64_t)> afterStep;
};
// StartGame, steps until the end, EndGame. Returns the number of steps run.
int64_t RunGameLoop(const LoopOptions& options);

// How the last game run by RunGameLoop ended: by game_end or the player (closing the window,
// Esc), after the steps asked for, by a fatal or aborted error, or by an interrupt signal.
enum class GameEnding { Ended, StepsDone, Aborted, Interrupted };
GameEnding LastGameEnding();

// The pacing wait: sleeps most of n microseconds, then waits on the clock while window messages
// are processed. Returns early with false when the window was closed or an interrupt signal came.
bool WaitMicroseconds(int64_t n, const std::function<bool()>& pumpEvents);

// Everything the game sets up once per process: the world (the interpreter's instance list, the
// action error headers, the abort hook, its built-in variables), the resource names of graphics
// and sound as constants of game code, the variables of the other subsystems and the error window.
void InstallGame();

}  // namespace qv::game
