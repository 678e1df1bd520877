// Binding of the built-in variables of the current room's backgrounds and views, the window
// caption items, and the runner, clock and sprite variables the world answers.
#pragma once

namespace qv::world {

// background_*, view_*, show_* and caption_*.
void BindRoomVariables();
// working_directory, temp_directory, program_directory, debug_mode, current_time and the date
// parts, image_single, image_number and the sprite size variables.
void BindRunnerVariables();

}  // namespace qv::world
