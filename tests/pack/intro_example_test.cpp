// The example in examples/intro: an intro video and then a title picture shown over the main window
// until Escape, then the game runs, and F1 opens the information page. qvpack builds it and the runner plays it headless
// with scripted answers; the dialogs' pictures and a frame of the room are compared with reviewed
// pictures.
#include <sys/wait.h>

#include <cstdlib>

#include "graphics/draw_test_support.h"
#include "pack_fixture.h"
#include "platform/image_codecs.h"

namespace packtest {
namespace {

using IntroExample = TempDir;

const fs::path kExample = fs::path(QV_SOURCE_DIR) / "examples" / "intro";

TEST_F(IntroExample, VideoAndTitleUntilEscapeThenTheInformationOnF1) {
  const std::string in = "cd '" + dir.string() + "' && ";
  ASSERT_EQ(shell(in + "'" QV_PACK_PATH "' build '" + kExample.string() + "' -o intro >out.txt 2>err.txt"), 0)
      << tree(dir)["err.txt"];
  ASSERT_EQ(shell(in + "mkdir shots"), 0);
  EXPECT_EQ(shell(in +
                  "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy QUORVANE_HEADLESS=1 QUORVANE_STEPS=5 "
                  "QUORVANE_DIALOG_SHOTS=shots QUORVANE_DIALOG_ANSWERS='escape;escape;escape' "
                  "QUORVANE_INPUT='4:keydown:112;4:keyup:112' QUORVANE_SCREENSHOT=shots/frame.png "
                  "QUORVANE_SCREENSHOT_STEP=5 ./intro >played.txt 2>played-err.txt"),
            0);
  auto files = tree(dir);
  // The title holds the game before its first step; the steps run once it is gone.
  EXPECT_EQ(files["played.txt"], "title closed\nplaying since 3 steps: F1 shows the information\n");
  EXPECT_EQ(files["played-err.txt"],
            "quorvane: splash video answered escape\n"
            "quorvane: splash image answered escape\n"
            "quorvane: game information \"How to play\" answered escape\n");
  // Shows: the video's first picture (a yellow block near the left over three short red bars, on
  // dark blue) scaled to fill the 320 x 240 main window.
  qv::ExpectGolden("example_intro_video", pngPicture(files["shots/dialog-1.png"]));
  // Shows: the title picture (a yellow diamond over three red bars on blue) covering the 320 x 240
  // main window.
  qv::ExpectGolden("example_intro_title", pngPicture(files["shots/dialog-2.png"]));
  // Shows: "Intro" centred in a serif face, the help text with "F1" bold and "Escape" dark red.
  qv::ExpectGolden("example_intro_information", pngPicture(files["shots/dialog-3.png"]));
  // Shows: the black room with "Press F1 for help" in white.
  qv::ExpectGolden("example_intro_room", pngPicture(files["shots/frame.png"]));
}

}  // namespace
}  // namespace packtest
