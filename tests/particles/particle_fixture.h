// Helpers of the particle tests: a clean particle state with a fixed seed, and calls of the
// particle functions by name.
#pragma once

#include <gtest/gtest.h>

#include <limits>
#include <string_view>
#include <vector>

#include "code/random.h"
#include "particles/builtins.h"
#include "particles/effects.h"
#include "particles/particle_system.h"
#include "particles/particle_type.h"
#include "support/builtin_call.h"

namespace particletest {

using namespace qv::particles;

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double kInf = std::numeric_limits<double>::infinity();

inline double Part(std::string_view name, std::vector<double> args = {}) {
  return qv::testing::CallBuiltin(ParticleFunctions(), name, {args.begin(), args.end()}).real;
}

class Particles : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetParticles();
    SetEffectRoom(nullptr);
    qv::code::RandomSetSeed(12345);
  }
  void TearDown() override { ResetParticles(); }
  // A system and a type with the given life, everything else at the defaults.
  int32_t ps = -1, t = -1;
  void MakeSystemAndType(int lifeMin = 100, int lifeMax = 100) {
    ps = int32_t(Part("part_system_create"));
    t = int32_t(Part("part_type_create"));
    Part("part_type_life", {double(t), double(lifeMin), double(lifeMax)});
  }
  CParticleSystem& system() { return systems()[size_t(ps)]; }
  std::vector<CParticle>& list() { return system().particles; }
  void update(int n = 1) {
    for (int i = 0; i < n; ++i) Part("part_system_update", {double(ps)});
  }
};

}  // namespace particletest
