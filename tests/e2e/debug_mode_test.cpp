// Debug mode played headless: a game of tests/games built by the real qvpack and run by the real
// runner, its debug messages read from stderr, its debugger driven by QUORVANE_DEBUGGER.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/run_program.h"
#include "support/whole_file.h"

namespace fs = std::filesystem;
using qv::testing::ProgramRun;
using qv::testing::ReadWholeFile;
using qv::testing::RunProgram;

namespace {

const fs::path kGame = fs::path(QV_SOURCE_DIR) / "tests" / "games" / "debug_messages";

// The messages of the create event and of three steps: numbers whole as integers, others with
// exactly two decimals.
const std::string kThreeSteps =
    "debug mode 1\n123456789.99\n10\n-2.50\n0.33\nstep 1 x 12\nstep 2 x 14\nstep 3 x 16\n";

fs::path scratch(const std::string& name) {
  fs::path d = fs::temp_directory_path() / ("qv_debug_mode_" + name);
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

// Builds the game (with game.json's debug flag as given) into dir/game.
void build(const fs::path& dir, bool debugFlag) {
  fs::copy(kGame, dir / "proj", fs::copy_options::recursive);
  if (!debugFlag) {
    std::string game = ReadWholeFile(dir / "proj" / "game.json");
    game.replace(game.find("\"debug_mode\": true"), 18, "\"debug_mode\": false");
    std::ofstream(dir / "proj" / "game.json", std::ios::binary) << game;
  }
  const ProgramRun built = RunProgram({QV_PACK_PATH, "build", "proj", "-o", "game"}, dir);
  ASSERT_EQ(built.status, 0) << built.err;
}

ProgramRun play(const fs::path& dir, std::vector<std::string> env) {
  env.push_back("QUORVANE_HEADLESS=1");
  return RunProgram({(dir / "game").string()}, dir, env);
}

}  // namespace

// In debug mode (the game's flag, or QUORVANE_DEBUG=1 for a game without it) the messages go to
// stderr; outside it, headless runs keep writing them to stdout for automation.
TEST(DebugMode, MessagesGoToStderrInDebugModeOnly) {
  struct Case {
    const char* name;
    bool flag;
    const char* forced;
    bool debug;
  };
  const Case cases[] = {{"flag", true, nullptr, true},
                        {"forced", false, "QUORVANE_DEBUG=1", true},
                        {"off", false, nullptr, false},
                        {"forced_other_value", false, "QUORVANE_DEBUG=yes", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = scratch(c.name);
    build(dir, c.flag);
    std::vector<std::string> env{"QUORVANE_STEPS=3"};
    if (c.forced) env.push_back(c.forced);
    const ProgramRun played = play(dir, env);
    EXPECT_EQ(played.status, 0);
    if (c.debug) {
      EXPECT_EQ(played.err, kThreeSteps);
      EXPECT_EQ(played.out, "");
    } else {
      // debug_mode reads 0 outside debug mode.
      std::string expected = kThreeSteps;
      expected.replace(0, 12, "debug mode 0");
      EXPECT_EQ(played.out, expected);
      EXPECT_EQ(played.err, "");
    }
    fs::remove_all(dir);
  }
}

// Paused after the first step, the game takes no step until asked: watches are evaluated after
// every step (an erroring one shows its error and the game goes on), an instance's variable is
// edited, and when the actions run out the game runs on to its last step.
TEST(DebugMode, AutomationPausesStepsWatchesAndEdits) {
  const fs::path dir = scratch("automation");
  build(dir, true);
  const ProgramRun played =
      play(dir, {"QUORVANE_STEPS=4",
                 "QUORVANE_DEBUGGER=pause@1; watch:global.total; watch@100001:x; watch@100001:n +; "
                 "watch:nothing_here; watch@100009:x; step; set@100001:x=100 + n; step"});
  EXPECT_EQ(played.status, 0);
  EXPECT_EQ(played.out, "");
  const std::string d = "quorvane: debugger: ";
  const std::string failures =
      "n + (in 100001) failed: position 3: Unexpected symbol in expression.\n" + d +
      "step X: nothing_here failed: position 1: Unknown variable nothing_here\n" + d +
      "step X: x (in 100009) failed: no instance 100009 in the room\n";
  auto after = [&](const std::string& step, const std::string& total, const std::string& x) {
    std::string f = failures;
    for (size_t at; (at = f.find("step X")) != std::string::npos;) f.replace(at, 6, "step " + step);
    return d + "step " + step + ": global.total = " + total + "\n" + d + "step " + step + ": x (in 100001) = " + x +
           "\n" + d + "step " + step + ": " + f;
  };
  const std::string expected =
      "debug mode 1\n123456789.99\n10\n-2.50\n0.33\nstep 1 x 12\n" + d + "paused after step 1 in room rm_count\n" +
      d + "watch global.total = 12\n" + d + "watch x (in 100001) = 12\n" + d +
      "watch n + (in 100001) failed: position 3: Unexpected symbol in expression.\n" + d +
      "watch nothing_here failed: position 1: Unknown variable nothing_here\n" + d +
      "watch x (in 100009) failed: no instance 100009 in the room\n" + "step 2 x 14\n" + after("2", "26", "14") + d +
      "set x (in 100001) = 100 + n\n" + "step 3 x 104\n" + after("3", "130", "104") + d +
      "no more actions: the game runs on\n" + "step 4 x 106\n";
  EXPECT_EQ(played.err, expected);
  fs::remove_all(dir);
}

// A list that is not one of debugger actions is reported and the game runs without pausing.
TEST(DebugMode, AWrongActionListIsReportedAndIgnored) {
  const fs::path dir = scratch("wrong_actions");
  build(dir, true);
  const ProgramRun played = play(dir, {"QUORVANE_STEPS=3", "QUORVANE_DEBUGGER=pause@1;jump"});
  EXPECT_EQ(played.status, 0);
  EXPECT_EQ(played.err, "QUORVANE_DEBUGGER: not a debugger action: \"jump\"\n" + kThreeSteps);
  fs::remove_all(dir);
}
