// The built-in function families of the game world.
#pragma once

#include "code/builtin.h"

namespace qv::world {

// event_perform, event_perform_object, event_user, event_inherited.
code::BuiltinFamily EventFunctions();
// object_* (resource functions on objects).
code::BuiltinFamily ObjectFunctions();
// instance_create, instance_destroy, ... and the activation functions (the searches belong to
// collision detection).
code::BuiltinFamily InstanceFunctions();
// room_goto ..., the room resource functions, game_end and game_restart.
code::BuiltinFamily RoomFunctions();
// tile_* (the tiles of the current room).
code::BuiltinFamily TileFunctions();
// keyboard_*, mouse_*, io_* and sleep.
code::BuiltinFamily InputFunctions();

}  // namespace qv::world
