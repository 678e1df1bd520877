// The action-only example game in examples/bounce: every event holds function actions (no code
// action, no script). qvpack builds it and the runner plays it headless with the left arrow held
// for 20 steps; the frame at step 120 is compared with a reviewed picture. The same game, loaded
// in-process, shows the fields the actions set; unpacking and building it again is lossless.
#include <sys/wait.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "game/game_loop.h"
#include "graphics/draw_test_support.h"
#include "pack_fixture.h"
#include "platform/image_codecs.h"
#include "runner/runner_main.h"
#include "world/game_world.h"
#include "world/input.h"
#include "world/saved_game.h"

namespace packtest {
namespace {

using BounceExample = TempDir;

const fs::path kBounce = fs::path(QV_SOURCE_DIR) / "examples" / "bounce";

// The scripted player: the left arrow held from step 1 to step 20.
void pressLeft(int64_t step) {
  if (step == 1) qv::world::OnKeyDown(37);
  if (step == 21) qv::world::OnKeyUp(37);
}

qv::world::CInstance* firstOf(const char* object) {
  const int32_t index = qv::world::FindObject(object);
  for (auto& in : qv::world::CurrentRoom().instances)
    if (in->objectIndex == index && !in->destroyed) return in.get();
  return nullptr;
}

int countOf(const char* object) {
  const int32_t index = qv::world::FindObject(object);
  int n = 0;
  for (auto& in : qv::world::CurrentRoom().instances) n += in->objectIndex == index && !in->destroyed;
  return n;
}

std::vector<uint8_t> builtGame() {
  GamePackage p;
  std::vector<ProjectError> errors;
  EXPECT_TRUE(LoadProject(kBounce, p, errors)) << (errors.empty() ? "" : errors[0].text());
  return WriteGamePackage(p, {});
}

TEST_F(BounceExample, IsMadeOfFunctionActionsOnly) {
  for (const auto& e : fs::recursive_directory_iterator(kBounce)) {
    const std::string rel = fs::relative(e.path(), kBounce).string();
    EXPECT_FALSE(rel.starts_with("scripts")) << rel;
    EXPECT_NE(e.path().extension(), ".txt") << rel << ": no code file";
    if (e.path().extension() != ".json") continue;
    std::ifstream file(e.path(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("\"code\""), std::string::npos) << rel;
  }
}

TEST_F(BounceExample, UnpackThenBuildIsLossless) {
  GamePackage original;
  std::vector<ProjectError> errors;
  ASSERT_TRUE(LoadProject(kBounce, original, errors)) << errors[0].text();
  const GamePackage once = readBack(WriteGamePackage(original, {}));
  ExpectSameGame(original, once);
  std::string failure;
  ASSERT_TRUE(UnpackProject(once, dir / "a", failure)) << failure;
  GamePackage again;
  ASSERT_TRUE(LoadProject(dir / "a", again, errors)) << errors[0].text();
  ExpectSameGame(original, readBack(WriteGamePackage(again, {})));
  ASSERT_TRUE(UnpackProject(again, dir / "b", failure)) << failure;
  EXPECT_EQ(tree(dir / "a"), tree(dir / "b"));
  // Every action comes back as a call.
  const auto ball = nlohmann::json::parse(tree(dir / "a").at("objects/obj_ball.json"));
  EXPECT_EQ(ball["events"][0]["actions"][0], nlohmann::json::parse(R"({"call": "action_set_motion", "args": [60, 4]})"));
}

TEST_F(BounceExample, TheActionsSetWhatTheyName) {
  ASSERT_TRUE(qv::runner::LoadGameInProcess(builtGame()));
  struct Seen {
    double paddleX = -1, paddleSpeed = -1, health = -1;
    int lives = -1, score = -1, bricks = -1, room = -1;
    bool alarmBrick = false, music = false;
  } seen;
  qv::game::LoopOptions options;
  options.maxSteps = 120;
  options.paced = false;
  options.beforeStep = pressLeft;
  options.afterStep = [&](int64_t step) {
    if (step != 120) return;
    const qv::world::CInstance* paddle = firstOf("obj_paddle");
    ASSERT_NE(paddle, nullptr);
    seen.paddleX = paddle->x;
    seen.paddleSpeed = paddle->speed;
    seen.health = qv::world::gameCounters().health;
    seen.lives = qv::world::gameCounters().lives;
    seen.score = qv::world::gameCounters().score;
    seen.bricks = countOf("obj_brick");
    seen.room = qv::world::CurrentRoomIndex();
    for (auto& in : qv::world::CurrentRoom().instances)
      if (in->objectIndex == qv::world::FindObject("obj_brick") && in->x == 144 && in->y == 72) seen.alarmBrick = true;
  };
  qv::game::RunGameLoop(options);
  // 20 steps to the left at speed 5 from x 136, then "no key" stops the paddle.
  EXPECT_EQ(seen.paddleX, 36);
  EXPECT_EQ(seen.paddleSpeed, 0);
  // The time line took 10 at step 45 and 15 at step 90.
  EXPECT_EQ(seen.health, 75);
  // The alarm set at creation for 60 steps made the brick at (144, 72); the seven bricks of the
  // room and it, less those the ball broke, 10 points each.
  EXPECT_TRUE(seen.alarmBrick);
  EXPECT_EQ(seen.score, 10 * (8 - seen.bricks));
  EXPECT_GT(seen.score, 0);
  EXPECT_GE(seen.lives, 1);
  EXPECT_LE(seen.lives, 3);
  EXPECT_EQ(seen.room, 0) << "the score is not above 30 yet";
}

TEST_F(BounceExample, TheRoomChangesOnceTheScoreIsAbove30) {
  ASSERT_TRUE(qv::runner::LoadGameInProcess(builtGame()));
  std::vector<int> scoresInPlay;
  int lastRoom = -1;
  qv::game::LoopOptions options;
  options.maxSteps = 3000;
  options.paced = false;
  options.beforeStep = pressLeft;
  options.afterStep = [&](int64_t) {
    lastRoom = qv::world::CurrentRoomIndex();
    if (lastRoom == 0) scoresInPlay.push_back(qv::world::gameCounters().score);
  };
  options.pumpEvents = [&] { return lastRoom != 1; };
  qv::game::RunGameLoop(options);
  ASSERT_EQ(lastRoom, 1) << "rm_win was never reached";
  ASSERT_FALSE(scoresInPlay.empty());
  // Points come in collision events, after the step event asks its question: the step after the
  // one that took the score above 30 asks for the room, and is the last one played in rm_play.
  size_t first = 0;
  while (first < scoresInPlay.size() && scoresInPlay[first] <= 30) ++first;
  ASSERT_LT(first, scoresInPlay.size()) << "the score never passed 30 in rm_play";
  EXPECT_EQ(scoresInPlay.size(), first + 2) << "the score passed 30 at step " << first + 1;
}

TEST_F(BounceExample, PlaysHeadlessAndDrawsItsFrame) {
  const std::string in = "cd '" + dir.string() + "' && ";
  ASSERT_EQ(shell(in + "'" QV_PACK_PATH "' build '" + kBounce.string() + "' -o bounce >out.txt 2>err.txt"), 0)
      << tree(dir)["err.txt"];
  const std::string env =
      "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy QUORVANE_HEADLESS=1 QUORVANE_ERROR_ANSWER=abort "
      "QUORVANE_STEPS=120 QUORVANE_SCREENSHOT=frame.png QUORVANE_SCREENSHOT_STEP=120 "
      "QUORVANE_INPUT='1:keydown:37;21:keyup:37' ";
  EXPECT_EQ(shell(in + env + "./bounce >played.txt 2>played-err.txt"), 0);
  const auto files = tree(dir);
  EXPECT_EQ(files.at("played-err.txt"), "");
  ASSERT_TRUE(files.count("frame.png"));
  const std::string& png = files.at("frame.png");
  auto frame = qv::platform::DecodePng(reinterpret_cast<const uint8_t*>(png.data()), png.size());
  ASSERT_TRUE(frame.has_value());
  ASSERT_EQ(frame->width, 320);
  ASSERT_EQ(frame->height, 240);
  auto rgb = [&](int x, int y) { return frame->pixels[size_t(y) * 320 + size_t(x)] & 0xFFFFFFu; };
  const uint32_t paddle = 60u << 16 | 110u << 8 | 230u, room = 0x10u << 16 | 0x18u << 8 | 0x30u;
  EXPECT_EQ(rgb(40, 220), paddle) << "the paddle from x 36";
  EXPECT_EQ(rgb(80, 220), paddle);
  EXPECT_EQ(rgb(90, 220), room) << "the paddle ends at x 84";
  EXPECT_EQ(rgb(168, 8), 130u << 16 | 130u << 8 | 140u) << "the wall along the top";
  // Shows: grey walls on three sides and a brown floor, the orange bricks the ball has not broken
  // (with the one the alarm added below the row), the white ball, the blue paddle on the left,
  // "Score: 10" in white, a red heart for each life and the health bar three quarters full.
  qv::data::TBitmap32 shot(frame->width, frame->height);
  shot.pixels = frame->pixels;
  for (uint32_t& p : shot.pixels) p |= 0xFF000000;
  qv::ExpectGolden("example_bounce_step120", shot);
}

}  // namespace
}  // namespace packtest
