// The transfer request: one game-wide integer that asks the main loop, between steps, to change
// room (0 or more), end the game, restart, load a saved game or abort. While it is set, no further
// events are performed and running action lists stop.
#pragma once

#include <cstdint>

namespace qv::world {

inline constexpr int32_t kTransferNone = -1;
inline constexpr int32_t kTransferEnd = -100;
inline constexpr int32_t kTransferRestart = -200;
inline constexpr int32_t kTransferLoad = -300;
inline constexpr int32_t kTransferAbort = -400;

int32_t& transferRequest();
inline bool TransferPending() { return transferRequest() != kTransferNone; }

}  // namespace qv::world
