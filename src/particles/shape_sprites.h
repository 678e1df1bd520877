// The fourteen built-in particle shapes: 64 x 64 sprites with origin (32, 32), private to the
// particles (they are not entries of the game's sprite list, so sprite indices stay the game's).
#pragma once

#include <cstdint>

#include "data/bitmap32.h"
#include "graphics/sprite.h"

namespace qv::particles {

inline constexpr int kShapeCount = 14;
inline constexpr int kShapeSide = 64;

// Makes the shape sprites the first time (later calls do nothing).
void MakeShapeSprites();
// The shape sprite n (0..13), nullptr for any other n or before they are made.
graphics::CSprite* ShapeSprite(int32_t n);
// The intensity image of shape n: white where the shape is, black elsewhere, opaque.
data::TBitmap32 ShapeIntensity(int32_t n);
// The sprites are forgotten with their textures (the device that held them is gone).
void ForgetShapeSprites();

}  // namespace qv::particles
