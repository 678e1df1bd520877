// A story text and the game information shown beside the game, which goes on meanwhile: the game
// of tests/games/story_beside built by the real qvpack and played headless by the real runner.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_program.h"

namespace fs = std::filesystem;
using qv::testing::ProgramRun;
using qv::testing::RunProgram;

namespace {

TEST(StoryBeside, TheGameGoesOnWhileTheStoryAndTheHelpAreOpen) {
  const fs::path dir = fs::temp_directory_path() / "qv_story_beside";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const ProgramRun built = RunProgram(
      {QV_PACK_PATH, "build", (fs::path(QV_SOURCE_DIR) / "tests" / "games" / "story_beside").string(), "-o", "game"},
      dir);
  ASSERT_EQ(built.status, 0) << built.err;
  // An answer is queued as for a dialog the game waits for: neither window takes it.
  const ProgramRun played = RunProgram({(dir / "game").string()}, dir,
                                       {"QUORVANE_HEADLESS=1", "QUORVANE_STEPS=4", "QUORVANE_DIALOG_ANSWERS=escape"});
  EXPECT_EQ(played.status, 0) << played.err;
  EXPECT_EQ(played.out, "story shown\nhelp shown at step 2\nstep 4: the game went on\n");
  EXPECT_EQ(played.err,
            "quorvane: splash text shown beside the game (the game goes on)\n"
            "quorvane: game information \"Help\" shown beside the game (the game goes on)\n");
  fs::remove_all(dir);
}

}  // namespace
