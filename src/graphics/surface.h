// Surfaces: off-screen pictures the game draws into and then draws, saves, reads or copies.
//
// A surface is a render-target texture of the texture table whose image size is the surface's
// size. The table reuses the lowest freed id. Drawing goes into a surface while it is the target
// (the viewport and projection then cover just the surface) and back to the screen when the target
// is reset. Render targets do not survive a device reset: every surface is freed before one, so a
// game finds its old ids gone and makes them again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/bitmap32.h"
#include "graphics/drawing.h"

namespace qv::graphics {

struct SurfaceEntry {
  int texture = -1;
  int width = 0, height = 0;
  bool active = false;
};

// A new surface of w x h; -1 when the sizes are below 1 or the device cannot make the texture.
int SurfaceCreate(int w, int h);
// Frees it (resetting the target first when it is the target); an id that does not exist does nothing.
void SurfaceFree(int id);
bool SurfaceExists(int id);
const SurfaceEntry* Surface(int id);  // nullptr when it does not exist
// Every surface, before a device reset and at the end of the game.
void FreeAllSurfaces();
// Forgets every surface without freeing textures: a new device has emptied the texture table.
void ForgetSurfaces();

// The target: -1 is the screen.
bool SurfaceSetTarget(int id);
bool SurfaceResetTarget();
int SurfaceTarget();

// The surface as a picture for the quad builders (origin 0, 0); a -1 texture when it does not exist.
Image SurfaceImage(int id);

// Rectangle (x, y, w, h) cut to the surface, alpha kept; nullopt when the surface does not exist or
// nothing is left after cutting.
std::optional<data::TBitmap32> CaptureSurface(int id, int x, int y, int w, int h);
// The script colour of a pixel; 0 outside the surface or when it cannot be read.
int32_t SurfaceGetPixel(int id, int x, int y);
// Copies source rectangle (xs, ys, ws, hs) into destination at (x, y), clipped to both surfaces,
// without blending. False when either surface does not exist.
bool SurfaceCopy(int destination, int x, int y, int source, int xs, int ys, int ws, int hs);
// Writes rectangle (x, y, w, h): PNG when the name ends in ".png" (any case; a picture whose every
// alpha is 0 counts as opaque), otherwise a 32-bit Windows bitmap. False when nothing was written.
bool SurfaceSave(int id, const std::string& hostPath, int x, int y, int w, int h);

}  // namespace qv::graphics
