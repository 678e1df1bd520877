// Textured quads for sprites and backgrounds (the plain and the scaled-and-rotated builders) and
// the preparation of graphics at start. The full drawing library and room drawing build on these.
#pragma once

#include <cstdint>

#include "graphics/background.h"
#include "graphics/display.h"
#include "graphics/drawing.h"
#include "graphics/sprite.h"

namespace qv::graphics {

// Plain: the frame's pixels land exactly on the pixels it covers (corners offset by half a pixel),
// white and opaque whatever the drawing state.
void DrawSprite(const CSprite& s, int subimg, double x, double y);
// Scaled and rotated about (x, y) (degrees, counter-clockwise), blended with a script colour and alpha.
void DrawSpriteExt(const CSprite& s, int subimg, double x, double y, double xscale, double yscale, double rot,
                   int32_t colour, double alpha);
void DrawBackground(const CBackground& b, double x, double y);
// The plain quad of any picture with its origin (surfaces: origin 0, 0).
void DrawImage(const Image& img, double x, double y);
void DrawBackgroundExt(const CBackground& b, double x, double y, double xscale, double yscale, double rot,
                       int32_t colour, double alpha);

// Preparation at start: window and device from the settings, then the textures of every
// background and every sprite, then the first frame. False when the device cannot be made.
bool PrepareGraphics(const DisplaySettings& settings);

}  // namespace qv::graphics
