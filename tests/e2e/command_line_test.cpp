// The three programs as a user meets them on the command line: help, version, unknown options,
// what each failure does to the exit status, a project folder played directly, and SIGTERM ending
// a running game cleanly. Each case runs the real program in a scratch folder.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace fs = std::filesystem;
using qv::testing::ProgramLimits;
using qv::testing::ProgramRun;
using qv::testing::RunProgram;

namespace {

const fs::path kGames = fs::path(QV_SOURCE_DIR) / "tests" / "games";

fs::path Scratch(const std::string& name) {
  fs::path d = fs::temp_directory_path() / ("qv_command_line_" + name);
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

const std::vector<std::string> kHeadless = {"QUORVANE_HEADLESS=1", "SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"};

struct CommandCase {
  const char* name;
  std::vector<std::string> argv;  // "%runner", "%pack", "%script" and "%games" are replaced
  std::vector<std::string> env;
  int status;
  bool onStdout;       // where the first line is expected
  const char* first;   // the first line of that stream begins with this
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

std::string Expand(std::string a, const fs::path& dir) {
  const std::pair<const char*, std::string> names[] = {
      {"%runner", QV_RUNNER_PATH}, {"%pack", QV_PACK_PATH}, {"%script", QV_SCRIPT_PATH},
      {"%games", kGames.string()}, {"%dir", dir.string()}};
  for (const auto& [from, to] : names)
    if (a.rfind(from, 0) == 0) a = to + a.substr(std::string(from).size());
  return a;
}

class CommandLine : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandLine, StatusAndFirstLine) {
  const CommandCase& c = GetParam();
  const fs::path dir = Scratch(c.name);
  std::ofstream(dir / "notes.txt") << "not a program\n";
  std::ofstream(dir / "broken.qvs") << "x = 1 + 'a';\nshow_debug_message('never');\n";
  fs::create_directories(dir / "bad_project");
  std::ofstream(dir / "bad_project" / "game.json")
      << R"({"format": "quorvane-project", "format_version": 1, "game_id": 1, "room_order": ["nowhere"]})";
  std::vector<std::string> argv;
  for (const std::string& a : c.argv) argv.push_back(Expand(a, dir));
  std::vector<std::string> env = kHeadless;
  env.insert(env.end(), c.env.begin(), c.env.end());
  const ProgramRun run = RunProgram(argv, dir, env);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, c.status) << run.out << run.err;
  const std::string& stream = c.onStdout ? run.out : run.err;
  EXPECT_EQ(FirstLine(stream).rfind(Expand(c.first, dir), 0), 0u) << "first line: " << FirstLine(stream);
  fs::remove_all(dir);
}

const CommandCase kCases[] = {
    {"runner_help", {"%runner", "--help"}, {}, 0, true, "usage: quorvane GAME [ARGUMENT...]"},
    {"runner_version", {"%runner", "--version"}, {}, 0, true, "quorvane 0."},
    {"runner_unknown_option", {"%runner", "--fullscreen"}, {}, 2, false, "quorvane: unknown option --fullscreen (try --help)"},
    {"runner_missing_file", {"%runner", "%dir/no_such_game"}, {}, 1, false, "Error: Cannot read the game file."},
    {"runner_text_file", {"%runner", "%dir/notes.txt"}, {}, 1, false, ""},
    // A project folder plays directly, built in memory.
    {"runner_folder", {"%runner", "%games/argument_relative"}, {"QUORVANE_STEPS=1"}, 0, true, "code, relative: 1"},
    // Build errors of a folder are reported at their place, as editors follow them.
    {"runner_folder_that_does_not_build", {"%runner", "%dir/bad_project"}, {}, 1, false,
     "%dir/bad_project/game.json:1:82: error: room_order[0]: "},
    // A fatal error (room_goto of a room that does not exist) ends the game with status 3, after
    // its game end event.
    {"runner_fatal_error", {"%runner", "%games/ended_by_error"}, {"QUORVANE_STEPS=5"}, 3, true, "going nowhere"},
    {"pack_help", {"%pack", "--help"}, {}, 0, true, "usage: qvpack build DIR -o GAME [--runner RUNNER | --data-only]"},
    {"pack_version", {"%pack", "--version"}, {}, 0, true, "qvpack 0."},
    {"pack_no_arguments", {"%pack"}, {}, 2, false, "usage: qvpack build"},
    {"pack_text_as_runner", {"%pack", "build", "%games/argument_relative", "-o", "game", "--runner", "notes.txt"}, {}, 1, false,
     "qvpack: notes.txt: not an executable program, so not a runner"},
    {"pack_info_of_a_folder", {"%pack", "info", "%games"}, {}, 1, false, "qvpack: "},
    {"script_help", {"%script", "--help"}, {}, 0, true, "usage: qvscript FILE [SCRIPT...]"},
    {"script_version", {"%script", "--version"}, {}, 0, true, "qvscript 0."},
    {"script_unknown_option", {"%script", "-x"}, {}, 2, false, "qvscript: unknown option -x (try --help)"},
    {"script_missing_file", {"%script", "%dir/none.qvs"}, {}, 2, false, "qvscript: cannot read"},
    {"script_stopped_by_an_error", {"%script", "%dir/broken.qvs"}, {}, 1, false, ""},
};

INSTANTIATE_TEST_SUITE_P(Programs, CommandLine, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CommandCase>& i) { return std::string(i.param.name); });

// An author's first minutes: a new project, checked, played straight from its folder; a second
// `new` of the same folder and a check of a broken folder fail and say why.
TEST(CommandLineAuthoring, NewCheckAndPlay) {
  const fs::path dir = Scratch("authoring");
  const ProgramRun made = RunProgram({QV_PACK_PATH, "new", "mygame"}, dir);
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out, "made mygame: build it with qvpack build mygame -o GAME\n");
  const ProgramRun again = RunProgram({QV_PACK_PATH, "new", "mygame"}, dir);
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.err, "qvpack: mygame: already exists; give the name of a new folder\n");
  const ProgramRun checked = RunProgram({QV_PACK_PATH, "check", "mygame"}, dir);
  EXPECT_EQ(checked.status, 0) << checked.err;
  EXPECT_EQ(checked.err, "");
  EXPECT_FALSE(fs::exists(dir / "mygame" / "game")) << "check writes nothing";
  std::vector<std::string> env = kHeadless;
  env.push_back("QUORVANE_STEPS=2");
  const ProgramRun played = RunProgram({QV_RUNNER_PATH, "mygame"}, dir, env);
  EXPECT_EQ(played.status, 0) << played.err;
  EXPECT_EQ(played.out, "hello\n");
  // A code error: the check fails and names the file.
  std::ofstream(dir / "mygame" / "objects" / "obj_hello.json")
      << R"({"events": [{"event": "create", "actions": [{"kind": "code", "code": "x = = 1"}]}]})";
  const ProgramRun broken = RunProgram({QV_PACK_PATH, "check", "mygame"}, dir);
  EXPECT_EQ(broken.status, 1);
  EXPECT_NE(broken.err.find("obj_hello.json"), std::string::npos) << broken.err;
  fs::remove_all(dir);
}

// SIGTERM while the game runs: the game end events run, the temporary directory goes, and the
// status says which signal ended it.
TEST(CommandLineSignals, SigtermEndsARunningGameCleanly) {
  const fs::path dir = Scratch("sigterm");
  fs::create_directories(dir / "tmp");
  std::vector<std::string> env = kHeadless;
  env.push_back("TMPDIR=" + (dir / "tmp").string());
  ProgramLimits limits;
  limits.deadlineSeconds = 60;
  const ProgramRun run = RunProgram({QV_RUNNER_PATH, (kGames / "ends_on_signal").string()}, dir, env, limits,
                                    qv::testing::SignalWhen{"running\n", SIGTERM});
  ASSERT_FALSE(run.timedOut) << "the signal did not end the game";
  EXPECT_EQ(run.status, 128 + SIGTERM) << run.err;
  EXPECT_EQ(run.out, "running\ngame end\n");
  EXPECT_TRUE(fs::is_empty(dir / "tmp")) << "the temporary directory is removed";
  fs::remove_all(dir);
}

}  // namespace
