// The built-in functions of particles: part_type_*, part_system_*, part_particles_*, the emitter,
// attractor, destroyer, deflector and changer functions, and the predefined effects.
#pragma once

#include "code/builtin.h"

namespace qv::particles {

code::BuiltinFamily ParticleFunctions();

}  // namespace qv::particles
