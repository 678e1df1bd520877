// The room qvscript runs its program in: the program is the code of one instance of a room, as a
// game's code is, so the instance's built-in variables (`x`, `y`, `id`, `object_index`, ...), the
// room's (`room`, `room_width`, ...) and the instance functions work as they do in a game.
#pragma once

#include "code/script_runner.h"

namespace qv::game {

// Object 0 is `obj_program` (no events), room 0 is `rm_program` (640 x 480, speed 30) holding one
// instance of it at 0, 0 with id 100001. `enter` installs the game's subsystems, starts the world
// (the room is entered as a game's first room is) and returns that instance; `leave` ends the world.
code::ScriptStage ScriptRoomStage();

}  // namespace qv::game
