// The built-in function families of graphics; the registry merges them.
#pragma once

#include <string>

#include "code/builtin.h"

namespace qv::graphics {

code::BuiltinFamily DisplayBuiltins();     // display_*, window_*, screen_*, set_synchronization, set_automatic_draw
code::BuiltinFamily TextureBuiltins();     // texture_*
code::BuiltinFamily SpriteBuiltins();      // sprite_*
code::BuiltinFamily BackgroundBuiltins();  // background_*
code::BuiltinFamily FontBuiltins();        // font_*, draw_text*, string_width/height*, draw_set_font/halign/valign
code::BuiltinFamily DrawBuiltins();        // draw_* shapes, primitives, sprites, backgrounds, surfaces, blend modes, colour, alpha
code::BuiltinFamily ColourBuiltins();      // make_color*, color_get_*, merge_color
code::BuiltinFamily SurfaceBuiltins();     // surface_* (draw_surface* are in DrawBuiltins)
code::BuiltinFamily D3DBuiltins();         // d3d_* (3D drawing)

// screen_save_part: the rectangle of the screen to an image file (an empty name is reported).
void SaveScreen(const std::string& name, int x, int y, int w, int h);

struct CSprite;
struct CBackground;
// sprite_replace and sprite_replace_sprite, background_replace and background_replace_background
// on an existing resource (game paths); false when the file could not be read (the resource is
// then left empty, as those functions leave it).
bool ReplaceSprite(CSprite& s, const std::string& gamePath, int images, bool removeBack, bool smooth, int xorig,
                   int yorig);
bool ReplaceSpriteFromFile(CSprite& s, const std::string& gamePath);
bool ReplaceBackground(CBackground& b, const std::string& gamePath, bool removeBack, bool smooth);
bool ReplaceBackgroundFromFile(CBackground& b, const std::string& gamePath);

// Makes the names of the game's sprites, backgrounds and fonts constants of game code (their
// indices), looked up in the lists as they are when code is compiled.
void InstallResourceNames();

}  // namespace qv::graphics
