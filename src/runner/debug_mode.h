// Debug mode: the game data's debug flag, or QUORVANE_DEBUG=1 for any game. The debugger is then
// on: `show_debug_message` fills its message list (and, headless, writes to stderr), the main loop
// obeys its paused state, and the debugger window opens beside the game window (headless,
// QUORVANE_DEBUGGER drives it instead). With QUORVANE_DAP_PORT the debug adapter listens for an
// editor (docs/debugger.md).
#pragma once

#include <cstdint>
#include <vector>

#include "game/game_loop.h"

namespace qv::runner {

// Keeps the project files that a debug build names after its data (for the debug adapter).
void KeepCodeSources(const std::vector<uint8_t>& gameFile);
// Decides debug mode for the game about to run and, when on, wires the debugger into the loop.
void SetUpDebugMode(game::LoopOptions& loop);
// Closes the debugger window, if one is open, and tells an attached editor that the game ended.
void EndDebugMode();

}  // namespace qv::runner
