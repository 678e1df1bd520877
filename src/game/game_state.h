// What the subsystems keep for the length of one game, in one table: what each resets when a game
// starts (the first start and every restart), what each lets go when the game ends, and what each
// writes to and reads from a saved game. StartGame and EndGame run the table in order, saved games
// write and read its sections in order, and tests start games through the same table, so a new
// subsystem with state of its own adds one line here and its functions beside its state.
#pragma once

#include <functional>
#include <span>

#include "data/stream.h"

namespace qv::game {

// Reads a section of a saved game and returns what makes the read values current, or an empty
// function when the section is refused (the whole file is then refused and nothing applied).
// Data that ends early throws data::StreamError.
using SavedSectionReader = std::function<void()> (*)(data::CStream& stream);

struct GameStatePart {
  const char* name;
  void (*atGameStart)() = nullptr;  // nullptr: nothing to reset
  void (*atGameEnd)() = nullptr;    // nullptr: nothing to let go
  // The part's section of a saved game, in table order after the version and the game id;
  // nullptr: the part is not saved.
  void (*writeSaved)(data::CStream& stream) = nullptr;
  SavedSectionReader readSaved = nullptr;
};

std::span<const GameStatePart> GameStateParts();

// Every part's atGameStart, in table order.
void ResetStateForGameStart();
// Every part's atGameEnd, in table order.
void ReleaseStateAtGameEnd();

}  // namespace qv::game
