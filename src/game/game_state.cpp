#include "game/game_state.h"

#include "code/variables.h"
#include "graphics/d3d.h"
#include "graphics/display.h"
#include "graphics/surface.h"
#include "graphics/transition.h"
#include "motion/collision_events.h"
#include "motion/grid_planning.h"
#include "multiplayer/multiplayer.h"
#include "particles/particle_system.h"
#include "world/game_world.h"
#include "world/saved_game.h"

namespace qv::game {

namespace {

// One line per part, in the order a game start resets them and a saved game holds their sections.
const GameStatePart kParts[] = {
    {"world: transfer, steps, transition, score and lives, input, event dispatch; the saved head",
     world::ResetForGameStart, nullptr, world::WriteSavedHead, world::ReadSavedHead},
    {"language: global variables and declared-global flags", code::ResetGlobalVariables},
    {"motion: collision pairs", motion::RebuildCollisionPairs},
    {"motion: planning grids (they live until destroyed or the game ends)", nullptr, motion::DestroyAllGrids},
    {"particles: types, systems, the effects and the actions' tables", particles::ResetParticles},
    {"display: automatic drawing", nullptr, nullptr, graphics::WriteSavedDrawing, graphics::ReadSavedDrawing},
    {"graphics: a transition prepared and not played", nullptr, graphics::CancelTransition},
    {"graphics: surfaces (render targets live until freed or the game ends)", nullptr, graphics::FreeAllSurfaces},
    {"graphics: the transform stack, the 3D primitive buffer and the models", graphics::Reset3D, graphics::Reset3D},
    {"language: the global variables' saved block", nullptr, nullptr, code::WriteSavedGlobals, code::ReadSavedGlobals},
    {"world: rooms, instances and tiles", nullptr, nullptr, world::WriteSavedRooms, world::ReadSavedRooms},
    {"multiplayer: the connection, the session, the lists, the message queue and the shared data",
     nullptr, multiplayer::ResetMultiplayer},
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
