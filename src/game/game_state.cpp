#include "game/game_state.h"

#include "code/variables.h"
#include "motion/collision_events.h"
#include "world/game_world.h"

namespace qv::game {

namespace {

// One line per subsystem that keeps state for a game, in the order a game start resets them.
constexpr GameStatePart kParts[] = {
    {"world: transfer, steps, transition, score and lives, input, event dispatch", world::ResetForGameStart, nullptr},
    {"code: global variables and declared-global flags", code::ResetGlobalVariables, nullptr},
    {"motion: collision pairs", motion::RebuildCollisionPairs, nullptr},
};

}  // namespace

std::span<const GameStatePart> GameStateParts() { return kParts; }

void ResetStateForGameStart() {
  for (const GameStatePart& part : kParts)
    if (part.atGameStart) part.atGameStart();
}

void ReleaseStateAtGameEnd() {
  for (const GameStatePart& part : kParts)
    if (part.atGameEnd) part.atGameEnd();
}

}  // namespace qv::game
