// The example in examples/quiz: a question action, a name, a number, a pop-up menu and a question
// with accelerators, then the highscore table with a name typed into it, and the table drawn in
// the room. qvpack builds it and the runner plays it headless twice with scripted answers, the
// table kept in the player's store between the runs.
#include <sys/wait.h>

#include <cstdlib>

#include "graphics/draw_test_support.h"
#include "pack_fixture.h"
#include "platform/image_codecs.h"

namespace packtest {
namespace {

using QuizExample = TempDir;

const fs::path kExample = fs::path(QV_SOURCE_DIR) / "examples" / "quiz";

TEST_F(QuizExample, AnsweredFromTheQueueAndTheTableKept) {
  const std::string in = "cd '" + dir.string() + "' && ";
  ASSERT_EQ(shell(in + "'" QV_PACK_PATH "' build '" + kExample.string() + "' -o quiz >out.txt 2>err.txt"), 0)
      << tree(dir)["err.txt"];
  const std::string env = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy QUORVANE_HEADLESS=1 XDG_DATA_HOME='" +
                          (dir / "home").string() + "' QUORVANE_STEPS=2 ";
  EXPECT_EQ(shell(in + env +
                  "QUORVANE_SCREENSHOT=table.png QUORVANE_SCREENSHOT_STEP=2 "
                  "QUORVANE_DIALOG_ANSWERS='button:1;text:Ada;text:8;menu:2;key:n;enter;text:Ada' "
                  "./quiz >first.txt 2>first-err.txt"),
            0);
  auto files = tree(dir);
  EXPECT_EQ(files["first.txt"], "Ada scored 100\nrank 1: Ada 100\n");
  EXPECT_EQ(files["first-err.txt"],
            "quorvane: message \"Ready for three questions?\" answered button:1\n"
            "quorvane: input \"Your name?\" answered text:Ada\n"
            "quorvane: input \"How many legs has a spider?\" answered text:8\n"
            "quorvane: menu \"Red|Green|-|Blue\" answered menu:2\n"
            "quorvane: message \"Is the earth flat?\" answered key:n\n"
            "quorvane: message \"Ada, you scored 100#Type your name into the table.\" answered enter\n"
            "quorvane: highscore table, name for place 1 answered text:Ada\n");
  ASSERT_TRUE(files.count("table.png"));
  const qv::data::TBitmap32 shot = pngPicture(files.at("table.png"));
  // Shows: "Best players" in navy, then Ada with 100 and nine "<nobody>" rows with 0.
  qv::ExpectGolden("example_quiz_table", shot);

  // Declined: the message has no answer queued and closes as with Escape; the table is still there.
  EXPECT_EQ(shell(in + env + "QUORVANE_DIALOG_ANSWERS=button:3 ./quiz >second.txt 2>second-err.txt"), 0);
  files = tree(dir);
  EXPECT_EQ(files["second.txt"], "rank 1: Ada 100\n");
  EXPECT_EQ(files["second-err.txt"],
            "quorvane: message \"Ready for three questions?\" answered button:3\n"
            "quorvane: message \"Maybe next time.\" closed with escape (no answer queued)\n");
}

}  // namespace
}  // namespace packtest
