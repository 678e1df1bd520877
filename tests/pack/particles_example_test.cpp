// The drag-and-drop example in examples/particles: an action-made particle system (a fountain of
// two types, one the death particles of the other) and the twelve effects. qvpack builds it and
// the runner plays it headless; the frame at step 50 is compared with a reviewed picture.
#include <sys/wait.h>

#include <cstdlib>

#include "game/game_loop.h"
#include "graphics/draw_test_support.h"
#include "pack_fixture.h"
#include "particles/action_system.h"
#include "particles/effects.h"
#include "particles/particle_system.h"
#include "platform/image_codecs.h"
#include "runner/runner_main.h"

namespace packtest {
namespace {

using ParticlesExample = TempDir;

const fs::path kExample = fs::path(QV_SOURCE_DIR) / "examples" / "particles";

std::vector<uint8_t> builtExample() {
  GamePackage p;
  std::vector<ProjectError> errors;
  EXPECT_TRUE(LoadProject(kExample, p, errors)) << (errors.empty() ? "" : errors[0].text());
  return WriteGamePackage(p, {});
}

TEST_F(ParticlesExample, TheActionsBuildTheFountain) {
  ASSERT_TRUE(qv::runner::LoadGameInProcess(builtExample()));
  using namespace qv::particles;
  size_t fountainAt43 = 0, fountainAt44 = 0, flares = 0, below = 0, above = 0;
  double depth = 0, xmin = 0, xmax = 0;
  qv::game::LoopOptions options;
  options.maxSteps = 50;
  options.paced = false;
  options.afterStep = [&](int64_t step) {
    const ActionParticles& a = actionParticles();
    const CParticleSystem* s = ExistingSystem(a.system);
    ASSERT_NE(s, nullptr);
    if (step == 43) fountainAt43 = s->particles.size();
    if (step == 44) fountainAt44 = s->particles.size();
    if (step != 50) return;
    depth = s->depth;
    xmin = s->emitters.at(size_t(a.emitters[0])).xmin;
    xmax = s->emitters.at(size_t(a.emitters[0])).xmax;
    for (const CParticle& p : s->particles) flares += p.type == a.types[1];
    below = systems().at(size_t(EffectSystem(true))).particles.size();
    above = systems().at(size_t(EffectSystem(false))).particles.size();
  };
  qv::game::RunGameLoop(options);
  EXPECT_EQ(depth, -10);
  EXPECT_EQ(xmin, 152) << "the emitter's region is relative to the instance at x 160";
  EXPECT_EQ(xmax, 168);
  // Two a step from the stream, none dead before step 40 (each drop that dies leaves a flare);
  // the alarm set for 44 steps bursts 20 flares in step 44, with the stream's 2.
  EXPECT_GE(fountainAt43, 86u);
  EXPECT_GE(fountainAt44, fountainAt43 + 20u);
  EXPECT_GT(flares, 20u) << "the burst and the death particles of the fountain";
  EXPECT_GT(below, 50u);
  EXPECT_GT(above, 50u);
}

TEST_F(ParticlesExample, PlaysHeadlessAndDrawsItsFrame) {
  const std::string in = "cd '" + dir.string() + "' && ";
  ASSERT_EQ(shell(in + "'" QV_PACK_PATH "' build '" + kExample.string() + "' -o particles >out.txt 2>err.txt"), 0)
      << tree(dir)["err.txt"];
  const std::string env =
      "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy QUORVANE_HEADLESS=1 QUORVANE_ERROR_ANSWER=abort "
      "QUORVANE_STEPS=50 QUORVANE_SCREENSHOT=frame.png QUORVANE_SCREENSHOT_STEP=50 ";
  EXPECT_EQ(shell(in + env + "./particles >played.txt 2>played-err.txt"), 0);
  const auto files = tree(dir);
  EXPECT_EQ(files.at("played-err.txt"), "");
  ASSERT_TRUE(files.count("frame.png"));
  const qv::data::TBitmap32 shot = pngPicture(files.at("frame.png"));
  ASSERT_EQ(shot.width, 320);
  ASSERT_EQ(shot.height, 240);
  // Shows: rain and snow over the room, ten effects in two rows (explosion, ring, ellipse,
  // firework, smoke; smoke going up, star, spark, flare, cloud) and the red-to-yellow fountain
  // at the bottom middle with its blue flares.
  qv::ExpectGolden("example_particles_step50", shot);
}

}  // namespace
}  // namespace packtest
