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

// A new device empties the texture table: the shapes make their textures again there, and the
// ids they held on the old device, now another picture's, are left alone.
TEST_F(ParticleQuads, ANewDeviceGetsNewShapeTextures) {
  MakeSystemAndType();
  Part("part_type_shape", {double(t), 2});
  Part("part_particles_create", {double(ps), 10, 10, double(t), 1});
  Part("part_system_drawit", {double(ps)});
  const int old = ShapeSprite(2)->frameTexture(0);
  ASSERT_GE(old, 0);
  qv::graphics::display().releaseDevice();
  device = qv::graphics::drawtest::UseRecordingDevice();
  const int other = qv::graphics::textures().fromBitmap(qv::data::TBitmap32(4, 4, 0xFFFFFFFF));
  ASSERT_EQ(other, old) << "the id is taken again";
  Part("part_system_drawit", {double(ps)});
  device->endScene();
  EXPECT_TRUE(qv::graphics::textures().exists(other));
  EXPECT_NE(ShapeSprite(2)->frameTexture(0), other);
  ASSERT_EQ(device->draws.size(), 1u);
  EXPECT_EQ(device->draws[0].texture, qv::graphics::textures().entry(ShapeSprite(2)->frameTexture(0))->handle);
}

// A sprite-based type: the frame is the start frame, plus the age when animated, or spread over the
// life when stretched, modulo the frame count.
TEST_F(ParticleQuads, SpriteFramesFollowTheAge) {
  auto sprite = std::make_unique<qv::graphics::CSprite>();
  for (uint32_t c : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}) sprite->frames.emplace_back(8, 8, c);
  sprite->xOrigin = sprite->yOrigin = 4;
  qv::graphics::CreateSpriteTextures(*sprite);
  const qv::graphics::CSprite* spr = sprite.get();
  const int index = qv::graphics::sprites().append(std::move(sprite), "spr");
  auto handle = [&](int frame) { return qv::graphics::textures().entry(spr->frameTexture(frame))->handle; };
  auto drawnFrameHandle = [&] {
    device->draws.clear();
    Part("part_system_drawit", {double(ps)});
    device->endScene();
    EXPECT_EQ(device->draws.size(), 1u);
    return device->draws.empty() ? 0u : device->draws[0].texture;
  };
  MakeSystemAndType(6, 6);
  Part("part_type_sprite", {double(t), double(index), 1, 0, 0});
  Part("part_particles_create", {double(ps), 10, 10, double(t), 1});
  EXPECT_EQ(drawnFrameHandle(), handle(0));
  update(2);
  EXPECT_EQ(drawnFrameHandle(), handle(2));
  update(2);
  EXPECT_EQ(drawnFrameHandle(), handle(1)) << "age 4 wraps to frame 1";
  // Stretched: 3 frames over a life of 6 steps, so frame floor(3 * 4 / 6) = 2 at age 4.
  Part("part_type_sprite", {double(t), double(index), 1, 1, 0});
  EXPECT_EQ(drawnFrameHandle(), handle(2));
  // Not animated: the start frame, whatever the age.
  Part("part_type_sprite", {double(t), double(index), 0, 0, 0});
  EXPECT_EQ(drawnFrameHandle(), handle(0));
  // A sprite index that names nothing falls back to the shape (the disk here).
  Part("part_type_sprite", {double(t), 99, 0, 0, 0});
  Part("part_type_shape", {double(t), 1});
  Part("part_type_sprite", {double(t), 99, 0, 0, 0});
  EXPECT_EQ(drawnFrameHandle(), qv::graphics::textures().entry(ShapeSprite(1)->frameTexture(0))->handle);
}

}  // namespace
}  // namespace particletest
