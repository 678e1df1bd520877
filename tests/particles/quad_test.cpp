// The quads a system hands to the device, on a recording device: their corners (system position,
// size, origin), their colour and alpha, the draw order of the particles, and the blending of
// additive types.
#include "graphics/draw_test_support.h"
#include "particle_fixture.h"
#include "particles/particle_drawing.h"
#include "particles/shape_sprites.h"

namespace particletest {
namespace {

class ParticleQuads : public Particles {
 protected:
  void SetUp() override {
    Particles::SetUp();
    qv::graphics::drawtest::ResetDrawing();
    device = qv::graphics::drawtest::UseRecordingDevice();
  }
  void TearDown() override {
    ForgetShapeSprites();
    qv::graphics::drawtest::ResetDrawing();
    Particles::TearDown();
  }
  qv::platform::RecordingDevice* device = nullptr;
};

TEST_F(ParticleQuads, CornersColourAndOrder) {
  MakeSystemAndType();
  Part("part_type_shape", {double(t), 1});
  Part("part_type_size", {double(t), 0.5, 0.5, 0, 0});
  Part("part_type_alpha1", {double(t), 0.5});
  Part("part_type_color1", {double(t), 0x0000FF});
  Part("part_particles_create", {double(ps), 10, 20, double(t), 1});
  Part("part_particles_create", {double(ps), 50, 20, double(t), 1});
  Part("part_system_position", {double(ps), 100, 5});
  Part("part_system_drawit", {double(ps)});
  device->endScene();
  ASSERT_EQ(device->draws.size(), 1u) << "one batch for both";
  const auto& v = device->draws[0].vertices;
  ASSERT_EQ(v.size(), 12u);
  // 64 x 64 with origin (32, 32) at half size: 32 wide, from 16.5 left of the position.
  EXPECT_FLOAT_EQ(v[0].x, 110 - 16.5f);
  EXPECT_FLOAT_EQ(v[0].y, 25 - 16.5f);
  EXPECT_FLOAT_EQ(v[2].x, 110 + 15.5f);
  EXPECT_FLOAT_EQ(v[2].y, 25 + 15.5f);
  EXPECT_FLOAT_EQ(v[6].x, 150 - 16.5f);
  EXPECT_EQ(v[0].colour, 0x80FF0000u) << "red at half alpha";
  // Newest first.
  Part("part_system_draw_order", {double(ps), 0});
  device->draws.clear();
  Part("part_system_drawit", {double(ps)});
  device->endScene();
  ASSERT_EQ(device->draws.size(), 1u);
  EXPECT_FLOAT_EQ(device->draws[0].vertices[0].x, 150 - 16.5f);
}

TEST_F(ParticleQuads, AdditiveTypesBlendOntoTheDestination) {
  MakeSystemAndType();
  Part("part_type_blend", {double(t), 1});
  Part("part_particles_create", {double(ps), 10, 20, double(t), 1});
  const auto before = device->state();
  Part("part_system_drawit", {double(ps)});
  device->endScene();
  ASSERT_EQ(device->draws.size(), 1u);
  EXPECT_EQ(device->draws[0].state.srcBlend, qv::platform::BlendFactor::SrcAlpha);
  EXPECT_EQ(device->draws[0].state.destBlend, qv::platform::BlendFactor::One);
  EXPECT_EQ(device->state().destBlend, before.destBlend) << "the blending is restored after the system";
  EXPECT_EQ(qv::graphics::display().destBlend, 6);
}

}  // namespace
}  // namespace particletest
