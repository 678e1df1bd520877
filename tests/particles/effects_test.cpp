// The predefined effects: the systems they use, the counts and places of their particles, and the
// frame-rate factor.
#include <cmath>

#include "particle_fixture.h"

namespace particletest {
namespace {

void Effect(bool above, double kind, double x, double y, double size, double colour) {
  Part(above ? "effect_create_above" : "effect_create_below", {kind, x, y, size, colour});
}

TEST_F(Particles, TheExplosionMakesTwentyParticlesInItsColourAndOneBlack) {
  Effect(false, kExplosion, 100, 50, 1, 0x00FF00);
  const int32_t below = EffectSystem(true), above = EffectSystem(false);
  ASSERT_TRUE(ExistingSystem(below));
  ASSERT_TRUE(ExistingSystem(above));
  EXPECT_EQ(systems()[size_t(below)].depth, 100000);
  EXPECT_EQ(systems()[size_t(above)].depth, -100000);
  EXPECT_EQ(types().size(), 35u) << "the internal types are made on the first effect, all at once";
  const auto& list = systems()[size_t(below)].particles;
  ASSERT_EQ(list.size(), 21u);
  for (size_t i = 0; i < 20; ++i) EXPECT_EQ(list[i].colour, 0x00FF00);
  EXPECT_EQ(list[20].colour, 0);
  EXPECT_TRUE(systems()[size_t(above)].particles.empty());
}

TEST_F(Particles, RainFallsFromAboveTheRoomWhateverThePosition) {
  SetEffectRoom([] { return EffectRoom{30, 30, 200, 100}; });
  Effect(true, kRain, 500, 500, 2, 0xFFFFFF);
  const auto& list = systems()[size_t(EffectSystem(false))].particles;
  ASSERT_EQ(list.size(), 9u);
  for (const CParticle& p : list) {
    EXPECT_GE(p.y, -30);
    EXPECT_LE(p.y, -11);
    EXPECT_GE(p.x, 0);
    EXPECT_LT(p.x, 240);
    EXPECT_EQ(p.life, 20) << "a fifth of the room height";
  }
}

TEST_F(Particles, EffectsScaleWithTheFrameRate) {
  struct Case {
    double speed, fps, growth;
    int lifeMin, lifeMax;
  };
  const Case cases[] = {{60, 60, 0.075, 20, 24}, {30, 30, 0.15, 10, 12}, {60, 0, 0.15, 10, 12}, {45, 40, 0.1, 15, 18}};
  for (const Case& c : cases) {
    ResetParticles();
    SetEffectRoom([c] { return EffectRoom{c.speed, c.fps, 640, 480}; });
    Effect(true, kRing, 0, 0, 0, 0xFFFFFF);
    const CParticle& p = systems()[size_t(EffectSystem(false))].particles.at(0);
    const CParticleType& t = types()[size_t(p.type)];
    EXPECT_NEAR(t.sizeIncr, c.growth, 1e-12) << c.speed << " " << c.fps;
    EXPECT_EQ(t.lifeMin, c.lifeMin) << c.speed << " " << c.fps;
    EXPECT_EQ(t.lifeMax, c.lifeMax) << c.speed << " " << c.fps;
  }
  EXPECT_EQ(EffectFactor(60, 60), 0.5);
  EXPECT_EQ(EffectFactor(60, 40), 0.75) << "room speed / fps 1.5: 30 / fps";
  EXPECT_EQ(EffectFactor(45, 40), 30.0 / 45);
  EXPECT_EQ(EffectFactor(60, 30), 1);
}

TEST_F(Particles, EveryKindMakesItsCountAndOtherKindsNothing) {
  const int counts[12][3] = {{21, 21, 21}, {1, 1, 1}, {1, 1, 1}, {75, 150, 250}, {6, 11, 16}, {6, 11, 16},
                             {1, 1, 1},    {1, 1, 1}, {1, 1, 1}, {1, 1, 1},     {2, 5, 9},   {1, 3, 7}};
  for (int kind = 0; kind < 12; ++kind)
    for (int size = 0; size < 3; ++size) {
      Part("effect_clear");
      Effect(true, kind, 50, 50, size, 0xFF);
      EXPECT_EQ(systems()[size_t(EffectSystem(false))].particles.size(), size_t(counts[kind][size]))
          << "kind " << kind << " size " << size;
    }
  EXPECT_EQ(types().size(), 35u);
  Part("effect_clear");
  for (double kind : {-1.0, 12.0, kNaN}) Effect(true, kind, 0, 0, 1, 0);
  EXPECT_TRUE(systems()[size_t(EffectSystem(false))].particles.empty());
  // Any size but 0 and 2 is medium.
  Effect(true, kFirework, 0, 0, 7, 0);
  EXPECT_EQ(systems()[size_t(EffectSystem(false))].particles.size(), 150u);
}

TEST_F(Particles, SmokeLandsAroundThePoint) {
  Effect(false, kSmoke, 100, 200, 2, 0);
  const auto& list = systems()[size_t(EffectSystem(true))].particles;
  ASSERT_EQ(list.size(), 16u);
  for (const CParticle& p : list) {
    EXPECT_GE(p.x, 70);
    EXPECT_LT(p.x, 130);
    EXPECT_GE(p.y, 170);
    EXPECT_LT(p.y, 230);
  }
}

TEST_F(Particles, ADestroyedEffectSystemComesBackAtItsDepth) {
  Effect(true, kStar, 0, 0, 1, 0);
  Part("part_system_destroy", {double(EffectSystem(false))});
  Part("part_system_destroy", {double(EffectSystem(true))});
  Effect(true, kStar, 0, 0, 1, 0);
  ASSERT_TRUE(ExistingSystem(EffectSystem(false)));
  EXPECT_EQ(systems()[size_t(EffectSystem(false))].depth, -100000);
  EXPECT_EQ(systems()[size_t(EffectSystem(true))].depth, 100000);
  EXPECT_EQ(systems()[size_t(EffectSystem(false))].particles.size(), 1u);
  // An internal type the game destroyed is made again.
  const int32_t star = systems()[size_t(EffectSystem(false))].particles[0].type;
  Part("part_type_destroy", {double(star)});
  Effect(true, kStar, 0, 0, 1, 0);
  EXPECT_EQ(systems()[size_t(EffectSystem(false))].particles.size(), 2u);
}

}  // namespace
}  // namespace particletest
