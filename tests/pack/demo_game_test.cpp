// The demo game in examples/demo: qvpack builds it, lists its resources, and the runner plays it
// headless with keys pressed (walking right, then F5 to save and F6 to load) without an error.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <nlohmann/json.hpp>

#include "pack_fixture.h"
#include "platform/image_codecs.h"

namespace packtest {
namespace {

using DemoGame = TempDir;

TEST_F(DemoGame, BuildsListsItsResourcesAndPlaysHeadless) {
  const fs::path demo = fs::path(QV_SOURCE_DIR) / "examples" / "demo";
  const std::string in = "cd '" + dir.string() + "' && ";
  ASSERT_EQ(shell(in + "'" QV_PACK_PATH "' build '" + demo.string() + "' -o demo >out.txt 2>err.txt"), 0)
      << tree(dir)["err.txt"];

  ASSERT_EQ(shell(in + "'" QV_PACK_PATH "' info demo --json >info.json"), 0);
  const auto info = nlohmann::json::parse(tree(dir)["info.json"]);
  const auto& resources = info["resources"];
  EXPECT_EQ(resources["sprites"]["count"], 4);
  EXPECT_EQ(resources["backgrounds"]["count"], 1);
  EXPECT_EQ(resources["scripts"]["count"], 5);
  EXPECT_EQ(resources["time lines"]["count"], 1);
  EXPECT_EQ(resources["objects"]["count"], 5);
  EXPECT_EQ(resources["rooms"]["count"], 2);
  EXPECT_EQ(resources["constants"]["count"], 3);
  EXPECT_EQ(info["room_order"], nlohmann::json::parse(R"(["rm_meadow", "rm_cave"])"));

  // Right arrow (39) held for 60 steps, F5 (116) at step 70, F6 (117) at step 100.
  const std::string env =
      "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy QUORVANE_HEADLESS=1 QUORVANE_ERROR_ANSWER=abort "
      "QUORVANE_STEPS=240 QUORVANE_SCREENSHOT=last.png QUORVANE_SCREENSHOT_STEP=240 "
      "QUORVANE_INPUT='1:keydown:39;60:keyup:39;70:keydown:116;71:keyup:116;100:keydown:117;101:keyup:117' ";
  EXPECT_EQ(shell(in + env + "./demo >played.txt 2>played-err.txt"), 0);
  const auto files = tree(dir);
  EXPECT_EQ(files.at("played-err.txt"), "");
  EXPECT_TRUE(files.count("_save20261210.sav")) << "F5 wrote no quick-save file";

  // The last frame: the view (320 x 240 shown at 640 x 480) keeps the player in its middle, and the
  // HUD, drawn where the scripts compute the view to be, is the dark band across the top.
  ASSERT_TRUE(files.count("last.png"));
  const std::string& png = files.at("last.png");
  auto frame = qv::platform::DecodePng(reinterpret_cast<const uint8_t*>(png.data()), png.size());
  ASSERT_TRUE(frame.has_value());
  ASSERT_EQ(frame->width, 640);
  ASSERT_EQ(frame->height, 480);
  auto rgb = [&](int x, int y) { return frame->pixels[size_t(y) * 640 + size_t(x)] & 0xFFFFFFu; };
  const uint32_t playerBody = 60u << 16 | 110u << 8 | 230u;
  for (auto [x, y] : {std::pair{310, 232}, std::pair{330, 250}}) EXPECT_EQ(rgb(x, y), playerBody) << x << "," << y;
  for (int x : {200, 300, 400}) {
    const uint32_t c = rgb(x, 30);
    EXPECT_LT(std::max({c >> 16, (c >> 8) & 0xFF, c & 0xFF}), 0x40u) << "no HUD band at " << x;
  }
  EXPECT_GT((rgb(300, 100) >> 8) & 0xFF, 0x80u);  // the meadow's green below the band
}

}  // namespace
}  // namespace packtest
