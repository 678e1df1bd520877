// Drawing on the real headless OpenGL device: batching by texture and blending, and golden frames
// of the twelve effects and of a system with an attractor and a deflector.
#include "graphics/draw_test_support.h"
#include "particle_fixture.h"
#include "particles/particle_drawing.h"
#include "particles/shape_sprites.h"

namespace particletest {
namespace {

using qv::ExpectGolden;

class ParticleDrawing : public qv::graphics::drawtest::GLDrawing {
 protected:
  void SetUp() override {
    GLDrawing::SetUp();
    ResetParticles();
    SetEffectRoom([] { return EffectRoom{30, 30, 320, 240}; });
    qv::code::RandomSetSeed(4242);
  }
  void TearDown() override {
    ResetParticles();
    ForgetShapeSprites();
    SetEffectRoom(nullptr);
    GLDrawing::TearDown();
  }
  uint64_t DrawCalls(const CParticleSystem& s) {
    uint64_t calls = 0;
    Render(8, 8, [&] {
      const uint64_t before = qv::graphics::display().device()->drawCalls();
      DrawSystem(s);
      qv::graphics::display().device()->endScene();
      calls = qv::graphics::display().device()->drawCalls() - before;
    });
    return calls;
  }
};

TEST_F(ParticleDrawing, OneDrawCallPerTextureAndBlending) {
  const int32_t ps = int32_t(Part("part_system_create"));
  const double disk = Part("part_type_create"), star = Part("part_type_create"), glow = Part("part_type_create");
  Part("part_type_shape", {disk, 1});
  Part("part_type_shape", {star, 4});
  Part("part_type_shape", {glow, 1});
  Part("part_type_blend", {glow, 1});
  Part("part_particles_create", {double(ps), 50, 50, disk, 1000});
  EXPECT_EQ(DrawCalls(systems()[size_t(ps)]), 1u);
  Part("part_particles_create", {double(ps), 50, 50, star, 1000});
  EXPECT_EQ(DrawCalls(systems()[size_t(ps)]), 2u);
  Part("part_particles_create", {double(ps), 50, 50, glow, 1000});
  EXPECT_EQ(DrawCalls(systems()[size_t(ps)]), 3u) << "the same texture, another blending";
  // A type with no shape (outside 0..13) and particles of life 0 draw nothing.
  Part("part_particles_clear", {double(ps)});
  Part("part_type_shape", {disk, 14});
  Part("part_particles_create", {double(ps), 50, 50, disk, 10});
  Part("part_type_life", {star, 0, 0});
  Part("part_particles_create", {double(ps), 50, 50, star, 10});
  EXPECT_EQ(DrawCalls(systems()[size_t(ps)]), 0u);
}

TEST_F(ParticleDrawing, TheFourteenShapes) {
  const int32_t ps = int32_t(Part("part_system_create"));
  for (int n = 0; n < kShapeCount; ++n) {
    const double t = Part("part_type_create");
    Part("part_type_shape", {t, double(n)});
    Part("part_type_size", {t, 0.6, 0.6, 0, 0});
    Part("part_type_color1", {t, double(n % 2 ? 0x40C0FF : 0xFFFFFF)});
    Part("part_particles_create", {double(ps), 24.0 + 44 * (n % 7), 24.0 + 44 * (n / 7), t, 1});
  }
  const auto frame = Render(320, 96, [&] { DrawSystem(systems()[size_t(ps)]); }, 0xFF202030);
  ExpectGolden("particles_shapes", frame);
}

TEST_F(ParticleDrawing, TheTwelveEffects) {
  for (int kind = 0; kind < 10; ++kind)
    Part(kind % 2 ? "effect_create_above" : "effect_create_below",
         {double(kind), 32.0 + 64 * (kind % 5), 60.0 + 110 * (kind / 5), 1, double(kind % 3 ? 0x30A0FF : 0xFFE040)});
  for (int step = 0; step < 40; ++step) {
    Part("effect_create_above", {double(kRain), 0, 0, 1, 0xFFC080});
    Part("effect_create_below", {double(kSnow), 0, 0, 0, 0xFFFFFF});
    if (step < 39)
      for (CParticleSystem& s : systems()) UpdateSystem(s);
    if (step == 33)  // the short-lived ones are made late so that they still show
      for (int kind = 0; kind < 10; ++kind)
        Part(kind % 2 ? "effect_create_above" : "effect_create_below",
             {double(kind), 32.0 + 64 * (kind % 5), 60.0 + 110 * (kind / 5), 1, double(kind % 3 ? 0x30A0FF : 0xFFE040)});
  }
  const auto frame = Render(320, 240, [&] {
    DrawSystem(systems()[size_t(EffectSystem(true))]);
    DrawSystem(systems()[size_t(EffectSystem(false))]);
  }, 0xFF102040);
  ExpectGolden("particles_effects", frame);
}

TEST_F(ParticleDrawing, AnAttractorAndADeflector) {
  const double ps = Part("part_system_create"), t = Part("part_type_create");
  Part("part_type_shape", {t, 8});
  Part("part_type_size", {t, 0.15, 0.25, 0, 0.05});
  Part("part_type_life", {t, 60, 80});
  Part("part_type_speed", {t, 2, 3, 0, 0});
  Part("part_type_direction", {t, 70, 110, 0, 5});
  Part("part_type_color2", {t, 0x00FFFF, 0xFF4000});
  Part("part_type_alpha2", {t, 1, 0.3});
  Part("part_type_blend", {t, 1});
  const double e = Part("part_emitter_create", {ps});
  Part("part_emitter_region", {ps, e, 150, 170, 220, 230, 1, 1});
  Part("part_emitter_stream", {ps, e, t, 4});
  const double a = Part("part_attractor_create", {ps});
  Part("part_attractor_position", {ps, a, 250, 120});
  Part("part_attractor_force", {ps, a, 0.6, 150, 1, 1});
  const double d = Part("part_deflector_create", {ps});
  Part("part_deflector_region", {ps, d, 0, 320, 0, 30});
  Part("part_deflector_kind", {ps, d, 0});
  Part("part_deflector_friction", {ps, d, 0.5});
  Part("part_system_update", {ps});
  for (int i = 0; i < 60; ++i) Part("part_system_update", {ps});
  const auto frame = Render(320, 240, [&] { Part("part_system_drawit", {ps}); }, 0xFF000000);
  ExpectGolden("particles_attractor_deflector", frame);
}

}  // namespace
}  // namespace particletest
