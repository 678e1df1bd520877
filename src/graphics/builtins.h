// The built-in function families of graphics; the registry merges them.
#pragma once

#include "code/builtin.h"

namespace qv::graphics {

code::BuiltinFamily DisplayBuiltins();     // display_*, window_*, screen_*, set_synchronization, set_automatic_draw
code::BuiltinFamily TextureBuiltins();     // texture_*
code::BuiltinFamily SpriteBuiltins();      // sprite_*
code::BuiltinFamily BackgroundBuiltins();  // background_*

}  // namespace qv::graphics
