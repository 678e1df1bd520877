// Counts, indices and settings as scripts may give them: NaN, infinities, negative and huge
// numbers give nothing or the bounded result, never a crash or unbounded memory.
#include <cmath>
#include <limits>

#include "graphics/display.h"
#include "particle_fixture.h"
#include "particles/particle_drawing.h"

namespace particletest {
namespace {

TEST_F(Particles, HugeCountsStopAtTheSystemLimit) {
  MakeSystemAndType(2, 2);
  Part("part_particles_create", {double(ps), 0, 0, double(t), 1e9});
  EXPECT_EQ(list().size(), kMaxParticles);
  Part("part_particles_create", {double(ps), 0, 0, double(t), 5});
  EXPECT_EQ(list().size(), kMaxParticles);
  // Each particle asking for a billion more every step: still the limit.
  Part("part_type_step", {double(t), 1e9, double(t)});
  update();
  EXPECT_EQ(list().size(), kMaxParticles);
  Part("part_particles_clear", {double(ps)});
  for (double n : std::initializer_list<double>{kNaN, -kInf, kInf, 1e300, -1e300, 0.4})
    Part("part_particles_create", {double(ps), 0, 0, double(t), n});
  EXPECT_TRUE(list().empty());
  // The most negative count is a chance of one in 2^31.
  Part("part_particles_create", {double(ps), 0, 0, double(t), -2147483648.0});
  EXPECT_LE(list().size(), 1u);
}

// A lower limit (the fuzz target's) holds the same way, step particles included; it cannot be
// raised above the system limit.
TEST_F(Particles, ALowerLimitHoldsTheSameWay) {
  MakeSystemAndType(2, 2);
  struct Restore {
    ~Restore() { SetParticleLimit(kMaxParticles); }
  } restore;
  SetParticleLimit(50);
  Part("part_particles_create", {double(ps), 0, 0, double(t), 1e9});
  EXPECT_EQ(list().size(), 50u);
  Part("part_particles_clear", {double(ps)});
  Part("part_particles_create", {double(ps), 0, 0, double(t), 10});
  Part("part_type_step", {double(t), 1e9, double(t)});
  update();
  EXPECT_EQ(list().size(), 50u);
  SetParticleLimit(kMaxParticles * 2);
  EXPECT_EQ(ParticleLimit(), kMaxParticles);
}

TEST_F(Particles, NamesOfNothingDoNothing) {
  MakeSystemAndType();
  const double bad[] = {-1, 1e9, kNaN, kInf, 4294967296.0 + double(ps)};
  for (double b : bad) {
    EXPECT_EQ(Part("part_system_exists", {b}), 0) << b;
    EXPECT_EQ(Part("part_type_exists", {b}), 0) << b;
    Part("part_particles_create", {b, 0, 0, double(t), 5});
    Part("part_particles_create", {double(ps), 0, 0, b, 5});
    EXPECT_EQ(Part("part_emitter_exists", {double(ps), b}), 0);
    Part("part_emitter_burst", {double(ps), b, double(t), 5});
  }
  EXPECT_TRUE(list().empty());
  // Every function with every argument the same odd number: nothing breaks.
  for (const qv::code::BuiltinFunction& f : ParticleFunctions())
    for (double b : std::initializer_list<double>{kNaN, -1.0, 1e9, -1e18, kInf, 0.0, 1.0}) {
      std::vector<qv::code::RValue> args(size_t(f.argumentCount), qv::code::RValue(b));
      if (std::string_view(f.name).find("create") != std::string_view::npos && b >= 1e9) continue;
      qv::testing::CallBuiltin(ParticleFunctions(), f.name, args);
    }
  for (CParticleSystem& s : systems())
    if (s.inUse) UpdateSystem(s);
}

TEST_F(Particles, ParticlesOfADestroyedTypeStayDefined) {
  MakeSystemAndType(5, 5);
  Part("part_type_speed", {double(t), 1, 1, 0, 0});
  Part("part_particles_create", {double(ps), 0, 0, double(t), 3});
  Part("part_type_destroy", {double(t)});
  EXPECT_EQ(Part("part_type_exists", {double(t)}), 0);
  update(2);
  EXPECT_EQ(list().size(), 3u);
  EXPECT_DOUBLE_EQ(list()[0].x, 2);
  // New particles of it are not made.
  Part("part_particles_create", {double(ps), 0, 0, double(t), 3});
  EXPECT_EQ(list().size(), 3u);
  update(3);
  EXPECT_TRUE(list().empty());
}

TEST_F(Particles, NonFiniteSettingsKeepTheUpdateSafe) {
  MakeSystemAndType();
  Part("part_type_life", {double(t), kNaN, 1e12});
  Part("part_type_speed", {double(t), kNaN, kInf, -kInf, kNaN});
  Part("part_type_direction", {double(t), -kInf, kNaN, 1e300, 1e300});
  Part("part_type_size", {double(t), kNaN, 1, kInf, kNaN});
  Part("part_type_color_hsv", {double(t), kNaN, 1e20, -5, 400, kInf, 0});
  Part("part_type_sprite", {double(t), kNaN, 1, 1, 1});
  Part("part_particles_create", {double(ps), kNaN, kInf, double(t), 10});
  const double a = Part("part_attractor_create", {double(ps)});
  Part("part_attractor_force", {double(ps), a, kNaN, kInf, 2, 1});
  const double e = Part("part_emitter_create", {double(ps)});
  Part("part_emitter_region", {double(ps), e, kNaN, 5, -kInf, kInf, 1, 2});
  Part("part_emitter_stream", {double(ps), e, double(t), 2});
  update(5);
  EXPECT_LE(list().size(), 20u);
}

TEST_F(Particles, DepthsOfTheDrawnSystems) {
  const double a = Part("part_system_create"), b = Part("part_system_create"), c = Part("part_system_create");
  Part("part_system_depth", {a, 10});
  Part("part_system_depth", {b, -5});
  Part("part_system_depth", {c, 10.005});
  EXPECT_EQ(HighestDrawDepth(), 10.005);
  EXPECT_EQ(NextDrawDepthBelow(10.005), -5) << "10 is within 0.01 of 10.005 and was drawn with it";
  EXPECT_EQ(NextDrawDepthBelow(-5), -1e9);
  Part("part_system_automatic_draw", {b, 0});
  EXPECT_EQ(NextDrawDepthBelow(10.005), -1e9);
  Part("part_system_destroy", {a});
  Part("part_system_destroy", {c});
  EXPECT_EQ(HighestDrawDepth(), -1e9);
}

}  // namespace
}  // namespace particletest
