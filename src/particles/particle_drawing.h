// Drawing particle systems, and the operations the main loop and the room drawing call.
#pragma once

#include <cstdint>

#include "particles/particle_system.h"

namespace qv::particles {

// Draws the system's particles (oldest first, or newest first), one batch per run of particles
// that share a texture and a blending.
void DrawSystem(const CParticleSystem& s);

// One update of every existing system with automatic update, in index order.
void UpdateAutomaticSystems();
// The largest depth of an existing automatically drawn system below `depth` (which may be
// +infinity), or -1e9 when there is none. Depths within 0.01 of `depth` count as `depth` itself
// (they were drawn with it), so no system is drawn twice.
double NextDrawDepthBelow(double depth);
double HighestDrawDepth();
// Draws every automatically drawn system whose depth is within 0.01 of `depth`, in index order.
void DrawSystemsAtDepth(double depth);

}  // namespace qv::particles
