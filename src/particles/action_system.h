// The particle system of the drag-and-drop actions, and its two tables mapping the actions' type
// and emitter numbers (0 to 15) to type and emitter indices (-1: not created yet).
#pragma once

#include <array>
#include <cstdint>

namespace qv::particles {

struct ActionParticles {
  int32_t system = -1;
  std::array<int32_t, 16> types, emitters;
  ActionParticles() {
    types.fill(-1);
    emitters.fill(-1);
  }
};

ActionParticles& actionParticles();

}  // namespace qv::particles
