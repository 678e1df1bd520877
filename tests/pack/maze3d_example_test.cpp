// The example in examples/maze3d: a first-person walk through a small 3D maze (3D mode, a
// perspective camera, models of the walls and the floor drawn from the device's memory, textures
// drawn into surfaces, fog, and the status line through the flat camera). qvpack builds it and
// the runner plays it headless with scripted arrow keys to the way out; a frame of the walk is
// compared with a reviewed picture.
#include "graphics/draw_test_support.h"
#include "pack_fixture.h"

namespace packtest {
namespace {

using Maze3DExample = TempDir;

const fs::path kExample = fs::path(QV_SOURCE_DIR) / "examples" / "maze3d";

TEST_F(Maze3DExample, WalksToTheWayOut) {
  const std::string in = "cd '" + dir.string() + "' && ";
  ASSERT_EQ(shell(in + "'" QV_PACK_PATH "' build '" + kExample.string() + "' -o maze >out.txt 2>err.txt"), 0)
      << tree(dir)["err.txt"];
  // Up for 16 steps (two cells east), right for 9 (a quarter turn), up for 16 (two cells south),
  // left for 9, then up until the way out.
  EXPECT_EQ(shell(in +
                  "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy QUORVANE_HEADLESS=1 QUORVANE_STEPS=75 "
                  "QUORVANE_INPUT='1:keydown:38;17:keyup:38;17:keydown:39;26:keyup:39;26:keydown:38;"
                  "42:keyup:38;42:keydown:37;51:keyup:37;51:keydown:38' "
                  "QUORVANE_SCREENSHOT=frame.png QUORVANE_SCREENSHOT_STEP=60 ./maze >played.txt 2>played-err.txt"),
            0)
      << tree(dir)["played-err.txt"];
  auto files = tree(dir);
  EXPECT_EQ(files["played.txt"], "out of the maze after 70 steps\n");
  EXPECT_EQ(files["played-err.txt"], "");
  // Shows: "Steps: 60" in yellow at the top left; a corridor of brown brick walls with pale
  // mortar lines on both sides and across the end, a grey checkered floor, a black sky, and the
  // green ball of the way out floating ahead.
  qv::ExpectGolden("example_maze3d_step60", pngPicture(files["frame.png"]));
}

}  // namespace
}  // namespace packtest
