// Process-wide state of the runner shell that other parts read: the debug flag from the game data
// (`debug_mode` in scripts), whether the main loop may go on, and whether the debugger holds it.
#pragma once

namespace qv::data {

struct RunnerState {
  bool debug_mode = false;
  bool game_running = false;
  bool paused = false;
};

RunnerState& Runner();

}  // namespace qv::data
