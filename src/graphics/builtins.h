// The built-in function families of graphics; the registry merges them.
#pragma once

#include "code/builtin.h"

namespace qv::graphics {

code::BuiltinFamily DisplayBuiltins();     // display_*, window_*, screen_*, set_synchronization, set_automatic_draw
code::BuiltinFamily TextureBuiltins();     // texture_*
code::BuiltinFamily SpriteBuiltins();      // sprite_*
code::BuiltinFamily BackgroundBuiltins();  // background_*
code::BuiltinFamily FontBuiltins();        // font_*, draw_text*, string_width/height*, draw_set_font/halign/valign
code::BuiltinFamily DrawBuiltins();        // draw_* shapes, primitives, sprites, backgrounds, blend modes, colour, alpha
code::BuiltinFamily ColourBuiltins();      // make_color*, color_get_*, merge_color

// Makes the names of the game's sprites, backgrounds and fonts constants of game code (their
// indices), looked up in the lists as they are when code is compiled.
void InstallResourceNames();

}  // namespace qv::graphics
