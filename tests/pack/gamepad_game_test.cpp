// A game played with a controller whose buttons were fitted to it (tests/games/gamepad_keys): the
// ship moves with W, A, S and D and fires with Control, which two objects react to, and raises its
// shields with Shift. Loaded in-process from its project folder, the game's keys decide the
// controller's table; a scripted controller then plays it headless through the key events the
// table gives, as the runner's event pump delivers them.
#include "pack_fixture.h"

#include "code/debug_output.h"
#include "game/game_loop.h"
#include "runner/gamepad_keys.h"
#include "runner/runner_main.h"
#include "world/input.h"

namespace packtest {
namespace {

using namespace qv::platform;

constexpr uint32_t bit(int control) { return 1u << control; }

TEST(GamepadGame, ButtonsFollowTheGamesKeysAndPlayIt) {
  GamePackage p;
  std::vector<ProjectError> errors;
  ASSERT_TRUE(LoadProject(fs::path(QV_SOURCE_DIR) / "tests" / "games" / "gamepad_keys", p, errors))
      << (errors.empty() ? "" : errors[0].text());
  ASSERT_TRUE(qv::runner::LoadGameInProcess(WriteGamePackage(p, {})));

  const qv::runner::KeyUse use = qv::runner::GameKeyUse();
  EXPECT_EQ(use, (qv::runner::KeyUse{{16, 1}, {17, 2}, {'A', 1}, {'D', 1}, {'S', 1}, {'W', 1}}));
  const qv::runner::GamepadKeyTable keys =
      qv::runner::FitGamepadKeysToGame(qv::runner::DefaultGamepadKeys(), qv::runner::GamepadChosen{}, use);
  EXPECT_EQ(keys[kPadRight], 'D');
  EXPECT_EQ(keys[kPadA], 17) << "Control, which two objects react to";
  EXPECT_EQ(keys[kPadB], 16);

  // The controller: right for ten steps, then A pressed and let go, then B.
  const auto held = [](int64_t step) -> uint32_t {
    if (step >= 1 && step <= 10) return bit(kPadRight);
    if (step == 12) return bit(kPadA);
    if (step == 15) return bit(kPadB);
    return 0;
  };
  auto pad = std::make_shared<qv::runner::GamepadKeys>(keys);
  qv::game::LoopOptions options;
  options.maxSteps = 20;
  options.paced = false;
  options.beforeStep = [&](int64_t step) {
    for (const WindowEvent& e : pad->update(held(step))) {
      if (e.kind == WindowEvent::KeyDown) qv::world::OnKeyDown(e.vk);
      if (e.kind == WindowEvent::KeyUp) qv::world::OnKeyUp(e.vk);
    }
  };
  std::string out;
  qv::code::SetDebugMessageSink([&out](const std::string& line) { out += line + "\n"; });
  qv::game::RunGameLoop(options);
  qv::code::SetDebugMessageSink(nullptr);
  EXPECT_EQ(out, "ship fires at 140,100\nturret reloads\nshields up\n");
}

}  // namespace
}  // namespace packtest
