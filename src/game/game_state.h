// What the subsystems keep for the length of one game, in one table: what each resets when a game
// starts (the first start and every restart) and what each lets go when the game ends. StartGame
// and EndGame run the table in order, and tests reset through the same table, so a new subsystem
// with state of its own adds one line here and its two functions beside its state.
//
// The saved game is not in the table: its layout is fixed (the world, the display's automatic
// drawing and the global variables, interleaved) and is written by world/saved_game.
#pragma once

#include <span>

namespace qv::game {

struct GameStatePart {
  const char* name;
  void (*atGameStart)();  // nullptr: nothing to reset
  void (*atGameEnd)();    // nullptr: nothing to let go
};

std::span<const GameStatePart> GameStateParts();

// Every part's atGameStart, in table order.
void ResetStateForGameStart();
// Every part's atGameEnd, in table order.
void ReleaseStateAtGameEnd();

}  // namespace qv::game
