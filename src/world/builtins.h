// The built-in function families of the game world.
#pragma once

#include "code/builtin.h"

namespace qv::world {

class CRoom;

// event_perform, event_perform_object, event_user, event_inherited.
code::BuiltinFamily EventFunctions();
// object_* (resource functions on objects).
code::BuiltinFamily ObjectFunctions();
// instance_create, instance_destroy, ... and the activation functions (the searches belong to
// collision detection).
code::BuiltinFamily InstanceFunctions();
// instance_number for the call's self and other: the live instances `who` names.
int32_t InstanceNumber(const code::BuiltinCall& c, int32_t who);
// room_goto ..., the room resource functions, game_end and game_restart.
code::BuiltinFamily RoomFunctions();
// tile_* (the tiles of the current room).
code::BuiltinFamily TileFunctions();
// Adds to `room` the tile that the arguments from `first` on describe (background, left, top,
// width, height, x, y, depth) with the given scale and alpha and a new id; the result is that id,
// or -1 after "Background does not exist.". Shared by tile_add and room_tile_add(_ext).
void AddTileFromArguments(CRoom& room, code::BuiltinCall& c, int first, double xscale = 1, double yscale = 1,
                          double alpha = 1);
// keyboard_*, mouse_*, io_* and sleep.
code::BuiltinFamily InputFunctions();
// sleep: waits that long, processing window messages meanwhile.
void SleepMilliseconds(int64_t ms);

}  // namespace qv::world
