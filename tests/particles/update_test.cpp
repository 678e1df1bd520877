// The update of a particle system, stage by stage, with the runner's generator at a fixed seed.
#include <cmath>

#include "graphics/colour.h"
#include "particle_fixture.h"

namespace particletest {
namespace {

TEST_F(Particles, ANewParticleDrawsItsValuesInTheFixedOrder) {
  MakeSystemAndType(10, 20);
  Part("part_type_speed", {double(t), 1, 3, 0, 0});
  Part("part_type_direction", {double(t), 10, 50, 0, 0});
  Part("part_type_orientation", {double(t), 0, 90, 0, 0, 0});
  Part("part_type_color_rgb", {double(t), 0, 255, 10, 10, 0, 100});
  Part("part_type_size", {double(t), 0.5, 1.5, 0, 0});
  Part("part_type_sprite", {double(t), -1, 1, 0, 1});
  qv::code::RandomSetSeed(777);
  Part("part_particles_create", {double(ps), 5, 6, double(t), 1});
  ASSERT_EQ(list().size(), 1u);
  const CParticle p = list()[0];

  // The same draws by hand: speed, direction, angle, life, the two channels with a range
  // (green has none and draws nothing), size, start frame, seed.
  qv::code::RandomSetSeed(777);
  auto lin = [](double a, double b) { return a + qv::code::RandomReal(1.0) * (b - a); };
  const double speed = lin(1, 3), direction = lin(10, 50), angle = lin(0, 90);
  const int life = int(std::nearbyint(lin(10, 20)));
  const int red = int(std::nearbyint(lin(0, 255))), blue = int(std::nearbyint(lin(0, 100)));
  const double size = lin(0.5, 1.5);
  const int frame = int(qv::code::RandomInteger(10000)), seed = int(qv::code::RandomInteger(100000));
  EXPECT_DOUBLE_EQ(p.speed, speed);
  EXPECT_DOUBLE_EQ(p.direction, direction);
  EXPECT_DOUBLE_EQ(p.angle, angle);
  EXPECT_EQ(p.life, life);
  EXPECT_EQ(p.colour, red | 10 << 8 | blue << 16);
  EXPECT_DOUBLE_EQ(p.size, size);
  EXPECT_EQ(p.startFrame, frame);
  EXPECT_EQ(p.seed, seed);
  EXPECT_EQ(p.age, 0);
  EXPECT_DOUBLE_EQ(p.x, 5);
  EXPECT_DOUBLE_EQ(p.yprevious, 6);
}

TEST_F(Particles, AParticleWithLifeZeroDiesInItsFirstUpdate) {
  MakeSystemAndType(0, 0);
  Part("part_particles_create", {double(ps), 0, 0, double(t), 5});
  EXPECT_EQ(Part("part_particles_count", {double(ps)}), 5);
  update();
  EXPECT_EQ(Part("part_particles_count", {double(ps)}), 0);
}

TEST_F(Particles, ANegativeDeathNumberMakesOneParticleWithThatChance) {
  MakeSystemAndType(1, 1);
  const int32_t t2 = int32_t(Part("part_type_create"));
  Part("part_type_death", {double(t), -4, double(t2)});
  Part("part_particles_create", {double(ps), 0, 0, double(t), 4000});
  update();
  const double made = Part("part_particles_count", {double(ps)});
  // Binomial(4000, 1/4): mean 1000, standard deviation 27.
  EXPECT_GT(made, 880);
  EXPECT_LT(made, 1120);
  for (const CParticle& p : list()) {
    EXPECT_EQ(p.type, t2);
    EXPECT_EQ(p.age, 0) << "particles made in the life stage are not aged in that update";
  }
}

TEST_F(Particles, SpeedIncrementStopsAParticleAtZero) {
  MakeSystemAndType();
  Part("part_type_speed", {double(t), 2, 2, -1, 0});
  Part("part_particles_create", {double(ps), 0, 0, double(t), 1});
  const double expected[][2] = {{1, 1}, {0, 1}, {0, 1}};  // speed after the update, x after it
  for (const auto& e : expected) {
    update();
    EXPECT_DOUBLE_EQ(list()[0].speed, e[0]);
    EXPECT_NEAR(list()[0].x, e[1], 1e-12);
  }
}

TEST_F(Particles, GravityAndAnAttractorBendTheMotion) {
  MakeSystemAndType();
  Part("part_type_speed", {double(t), 2, 2, 0, 0});
  Part("part_type_gravity", {double(t), 1, 270});
  Part("part_particles_create", {double(ps), 0, 0, double(t), 1});
  update();
  // Velocity (2, 0) plus gravity (0, 1): speed sqrt(5), pointing down and right.
  EXPECT_NEAR(list()[0].speed, std::sqrt(5.0), 1e-12);
  EXPECT_NEAR(list()[0].direction, 360 - std::atan2(1, 2) * 180 / M_PI, 1e-9);
  EXPECT_NEAR(list()[0].x, 2, 1e-12);
  EXPECT_NEAR(list()[0].y, 1, 1e-12);

  // A linear attractor 10 to the right with reach 20 and force 4, not additive: the pull moves
  // the particle this step only, 4 * (20 - 10) / 20 = 2 toward it; speed stays.
  Part("part_particles_clear", {double(ps)});
  Part("part_type_gravity", {double(t), 0, 270});
  Part("part_type_speed", {double(t), 0, 0, 0, 0});
  Part("part_particles_create", {double(ps), 0, 0, double(t), 1});
  const double a = Part("part_attractor_create", {double(ps)});
  Part("part_attractor_position", {double(ps), a, 10, 0});
  Part("part_attractor_force", {double(ps), a, 4, 20, 1, 0});
  update();
  EXPECT_NEAR(list()[0].x, 2, 1e-12);
  EXPECT_DOUBLE_EQ(list()[0].speed, 0);
  // Additive, it becomes velocity: pull 4 * (20 - 8) / 20 = 2.4 at distance 8, so speed 2.4.
  Part("part_attractor_force", {double(ps), a, 4, 20, 1, 1});
  update();
  EXPECT_NEAR(list()[0].speed, 2.4, 1e-12);
  EXPECT_NEAR(list()[0].x, 4.4, 1e-12);
}

TEST_F(Particles, TheLineEmitterPlacesItsParticlesOnTheDiagonal) {
  MakeSystemAndType();
  const double e = Part("part_emitter_create", {double(ps)});
  for (double distribution : {0, 1, 2}) {
    Part("part_particles_clear", {double(ps)});
    Part("part_emitter_region", {double(ps), e, 10, 110, 20, 70, 3, distribution});
    Part("part_emitter_burst", {double(ps), e, double(t), 200});
    ASSERT_EQ(list().size(), 200u);
    for (const CParticle& p : list()) {
      EXPECT_NEAR((p.x - 10) / 100, (p.y - 20) / 50, 1e-12);
      EXPECT_GE(p.x, 10);
      EXPECT_LE(p.x, 110);
    }
  }
  // The ellipse keeps every particle inside the inscribed ellipse.
  Part("part_particles_clear", {double(ps)});
  Part("part_emitter_region", {double(ps), e, 0, 100, 0, 50, 1, 2});
  Part("part_emitter_burst", {double(ps), e, double(t), 500});
  for (const CParticle& p : list()) EXPECT_LE(std::pow((p.x - 50) / 50, 2) + std::pow((p.y - 25) / 25, 2), 1 + 1e-9);
}

TEST_F(Particles, StreamsEmitAfterTheMotionSoNewParticlesStandStill) {
  MakeSystemAndType();
  Part("part_type_speed", {double(t), 5, 5, 0, 0});
  const double e = Part("part_emitter_create", {double(ps)});
  Part("part_emitter_region", {double(ps), e, 50, 50, 60, 60, 0, 0});
  Part("part_emitter_stream", {double(ps), e, double(t), 3});
  update();
  ASSERT_EQ(list().size(), 3u);
  for (const CParticle& p : list()) EXPECT_EQ(p.x, 50);
  update();
  ASSERT_EQ(list().size(), 6u);
  EXPECT_DOUBLE_EQ(list()[0].x, 55);
  EXPECT_EQ(list()[0].age, 1);
  EXPECT_EQ(list()[5].x, 50);
}

TEST_F(Particles, RegionsNeedAProperRectangle) {
  MakeSystemAndType();
  const int32_t t2 = int32_t(Part("part_type_create"));
  Part("part_type_speed", {double(t), 1, 1, 0, 0});
  Part("part_particles_create", {double(ps), 5, 5, double(t), 1});
  const double d = Part("part_deflector_create", {double(ps)});
  const double c = Part("part_changer_create", {double(ps)});
  Part("part_deflector_region", {double(ps), d, 10, 0, 0, 10});  // xmin > xmax
  Part("part_changer_region", {double(ps), c, 10, 10, 0, 10, 0});  // xmin = xmax
  Part("part_changer_types", {double(ps), c, double(t), double(t2)});
  update();
  EXPECT_DOUBLE_EQ(list()[0].x, 6);
  EXPECT_EQ(list()[0].type, t);
  // Proper, the horizontal deflector sends the particle back and turns its direction.
  Part("part_deflector_region", {double(ps), d, 0, 10, 0, 10});
  Part("part_deflector_kind", {double(ps), d, 1});
  Part("part_deflector_friction", {double(ps), d, 0.25});
  update();
  EXPECT_DOUBLE_EQ(list()[0].x, 5);
  EXPECT_DOUBLE_EQ(list()[0].direction, 180);
  EXPECT_DOUBLE_EQ(list()[0].speed, 0.75);
}

TEST_F(Particles, ChangersTurnParticlesIntoAnotherType) {
  MakeSystemAndType();
  const int32_t t2 = int32_t(Part("part_type_create"));
  Part("part_type_size", {double(t2), 3, 3, 0, 0});
  Part("part_type_speed", {double(t2), 4, 4, 0, 0});
  Part("part_particles_create", {double(ps), 5, 5, double(t), 1});
  const double c = Part("part_changer_create", {double(ps)});
  Part("part_changer_region", {double(ps), c, 0, 10, 0, 10, 0});
  Part("part_changer_kind", {double(ps), c, 1});  // shape: size and look, not motion
  // Into a type that does not exist: nothing changes.
  Part("part_changer_types", {double(ps), c, double(t), 99});
  update();
  EXPECT_EQ(list()[0].type, t);
  Part("part_changer_types", {double(ps), c, double(t), double(t2)});
  update();
  EXPECT_EQ(list()[0].type, t2);
  EXPECT_DOUBLE_EQ(list()[0].size, 3);
  EXPECT_DOUBLE_EQ(list()[0].speed, 0);
  EXPECT_EQ(list()[0].age, 2) << "kind shape keeps the age";
}

TEST_F(Particles, TheEllipseDestroyerKeepsTheCorners) {
  MakeSystemAndType();
  // Four corners, then three points inside the ellipse; the last is outside the diamond.
  const double points[][2] = {{1, 1}, {99, 1}, {1, 49}, {99, 49}, {50, 25}, {50, 1}, {80, 10}};
  for (const auto& p : points) Part("part_particles_create", {double(ps), p[0], p[1], double(t), 1});
  const double d = Part("part_destroyer_create", {double(ps)});
  Part("part_destroyer_region", {double(ps), d, 0, 100, 0, 50, 1});
  update();
  ASSERT_EQ(list().size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(list()[i].x, points[i][0]);
    EXPECT_EQ(list()[i].y, points[i][1]);
  }
  // The diamond removes the inside of its diamond only.
  Part("part_particles_clear", {double(ps)});
  for (const auto& p : points) Part("part_particles_create", {double(ps), p[0], p[1], double(t), 1});
  Part("part_destroyer_region", {double(ps), d, 0, 100, 0, 50, 2});
  update();
  ASSERT_EQ(list().size(), 5u);
  EXPECT_EQ(list()[4].x, 80);
}

TEST_F(Particles, AlphaRunsThroughItsThreeValuesOverTheLife) {
  MakeSystemAndType(10, 10);
  Part("part_type_alpha2", {double(t), 1, 0});
  Part("part_particles_create", {double(ps), 0, 0, double(t), 1});
  const double expected[] = {0.9, 0.8, 0.7, 0.6, 0.5, 0.4, 0.3, 0.2, 0.1};
  for (double a : expected) {
    update();
    EXPECT_NEAR(list()[0].alpha, a, 1e-12);
  }
  update();
  EXPECT_TRUE(list().empty());
}

TEST_F(Particles, ColoursChangeOverTheLife) {
  MakeSystemAndType(4, 4);
  Part("part_type_color3", {double(t), 0x0000FF, 0x00FF00, 0xFF0000});
  Part("part_particles_create", {double(ps), 0, 0, double(t), 1});
  EXPECT_EQ(list()[0].colour, 0x0000FF);
  update(2);  // half the life: the middle colour
  EXPECT_EQ(list()[0].colour, 0x00FF00);
  update();  // three quarters: half way from the middle to the last
  EXPECT_EQ(list()[0].colour, int32_t(qv::graphics::MergeColour(0x00FF00, 0xFF0000, 0.5)));
}

TEST_F(Particles, DeathAndStepParticlesAndDrawOrderOfTheStages) {
  MakeSystemAndType(3, 3);
  const int32_t spark = int32_t(Part("part_type_create"));
  Part("part_type_life", {double(spark), 1, 1});
  Part("part_type_step", {double(t), 2, double(spark)});
  Part("part_particles_create", {double(ps), 7, 8, double(t), 1});
  update();  // 1 alive, 2 new sparks of age 0
  EXPECT_EQ(list().size(), 3u);
  update();  // sparks die; 2 more
  EXPECT_EQ(list().size(), 3u);
  update();  // the parent dies at age 3 and makes no step particles; sparks die
  EXPECT_TRUE(list().empty());
}

TEST_F(Particles, UpdateIsTheSameForTheSameSeed) {
  auto run = [&]() {
    ResetParticles();
    qv::code::RandomSetSeed(99);
    MakeSystemAndType(20, 40);
    Part("part_type_speed", {double(t), 1, 4, 0.01, 0.5});
    Part("part_type_direction", {double(t), 0, 360, 1, 10});
    Part("part_type_color_hsv", {double(t), 0, 255, 100, 200, 200, 255});
    const double e = Part("part_emitter_create", {double(ps)});
    Part("part_emitter_region", {double(ps), e, 0, 100, 0, 100, 2, 1});
    Part("part_emitter_stream", {double(ps), e, double(t), -2});
    update(60);
    std::vector<double> out;
    for (const CParticle& p : list()) out.insert(out.end(), {p.x, p.y, double(p.colour)});
    return out;
  };
  const auto first = run(), second = run();
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(first, second);
}

}  // namespace
}  // namespace particletest
