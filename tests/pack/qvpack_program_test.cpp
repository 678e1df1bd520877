// The real qvpack and quorvane programs: build, unpack and info from the command line, and a built
// game that the runner starts.
#include <sys/wait.h>

#include <csignal>

#include <cstdlib>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>

#include "pack_fixture.h"
#include "world/object.h"
#include "world/room.h"

namespace packtest {
namespace {

struct ProgramRun {
  int status = -1;
  std::string out, err;
};

class QvpackProgram : public TempDir {
 protected:
  ProgramRun run(const std::string& program, const std::string& args) {
    const std::string cmd = "cd '" + dir.string() + "' && '" + program + "' " + args + " >out.txt 2>err.txt";
    const int raw = std::system(cmd.c_str());
    ProgramRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    auto all = tree(dir);
    r.out = all["out.txt"];
    r.err = all["err.txt"];
    return r;
  }
  ProgramRun qvpack(const std::string& args) { return run(QV_PACK_PATH, args); }

  // A project the runner can start as it stands: settings, a background, a script, and a room
  // whose one instance ends the game in its create event.
  void writePlayableProject(const fs::path& p) {
    GamePackage g;
    g.game_id = 4711;
    qv::world::CObject ender;
    ender.eventSlot(qv::world::ev_create, 0)->actions.push_back(qv::world::CodeAction("game_end()"));
    CStream object;
    qv::world::WriteObjectRecord(object, ender);
    g.raw(ChunkId::Objects).push_back({true, "obj_end", object.bytes()});
    qv::world::CRoom room;
    auto instance = std::make_unique<qv::world::CInstance>();
    instance->id = 100001;
    room.instances.push_back(std::move(instance));
    CStream roomRecord;
    qv::world::WriteRoomRecord(roomRecord, room);
    g.raw(ChunkId::Rooms).push_back({true, "rm_start", roomRecord.bytes()});
    g.last_instance_id = 100001;  // the placed instance's id is used
    g.room_order = {0};
    auto bg = std::make_unique<qv::graphics::CBackground>();
    bg->image = picture(8, 8, 1);
    g.backgrounds.slots.push_back(std::move(bg));
    g.backgrounds.names.push_back("bg_floor");
    auto s = std::make_unique<qv::code::CScript>();
    s->text = "return 1;";
    g.scripts.slots.push_back(std::move(s));
    g.scripts.names.push_back("scr_one");
    std::string failure;
    ASSERT_TRUE(UnpackProject(g, p, failure)) << failure;
  }
};

TEST_F(QvpackProgram, BuildMakesARunnerThatStartsTheGame) {
  writePlayableProject(dir / "proj");
  // The runner is found beside qvpack when no --runner is given (both are in the build folder).
  ProgramRun built = qvpack("build proj -o mygame");
  ASSERT_EQ(built.status, 0) << built.err;
  EXPECT_EQ(built.err, "");
  const auto perms = fs::status(dir / "mygame").permissions();
  EXPECT_NE(perms & fs::perms::owner_exec, fs::perms::none);
  // The game sits at the first marker offset past the runner's image.
  CStream file;
  ASSERT_TRUE(file.LoadFromFile((dir / "mygame").string()));
  const size_t runnerSize = fs::file_size(QV_RUNNER_PATH);
  auto start = FindGameData(file);
  ASSERT_TRUE(start.has_value());
  EXPECT_GE(*start - 4, runnerSize);
  EXPECT_LT(*start - 4, runnerSize + 10000);
  EXPECT_EQ((*start - 4 - 697344) % 10000, 0u);
  ProgramRun played = run((dir / "mygame").string(), "");
  EXPECT_EQ(played.status, 0) << played.err;
  EXPECT_EQ(played.err, "");
  // --runner names the runner explicitly.
  ProgramRun explicitRunner = qvpack("build proj -o other --runner '" + std::string(QV_RUNNER_PATH) + "'");
  EXPECT_EQ(explicitRunner.status, 0) << explicitRunner.err;
}

TEST_F(QvpackProgram, UnpackAndInfoOnAGameFile) {
  CStream(WriteGamePackage(richPackage(), {})).SaveToFile((dir / "rich.game").string());
  ProgramRun info = qvpack("info rich.game --json");
  ASSERT_EQ(info.status, 0) << info.err;
  const auto j = nlohmann::json::parse(info.out);
  EXPECT_EQ(j["game_id"], 73501);
  EXPECT_EQ(j["resources"]["sprites"]["count"], 3);
  EXPECT_EQ(j["resources"]["sprites"]["slots"], 5);
  EXPECT_EQ(j["resources"]["sounds"]["count"], 3);
  EXPECT_EQ(j["resources"]["rooms"]["count"], 2);
  EXPECT_EQ(j["resources"]["constants"]["count"], 2);
  EXPECT_EQ(j["resources"]["fonts"]["count"], 2);
  EXPECT_EQ(j["room_order"], nlohmann::json::parse(R"(["room_two", "room_start"])"));
  ProgramRun text = qvpack("info rich.game");
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("game id: 73501 (debug mode)\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("  sprites: 3 (5 slots)\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("room order: room_two room_start\n"), std::string::npos) << text.out;

  ProgramRun unpacked = qvpack("unpack rich.game -o folder");
  ASSERT_EQ(unpacked.status, 0) << unpacked.err;
  EXPECT_TRUE(fs::exists(dir / "folder" / "sprites" / "spr_hero.json"));
  ProgramRun again = qvpack("unpack rich.game -o folder");
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("not empty"), std::string::npos) << again.err;

  // A trailing separator names the same folder.
  ProgramRun slashed = qvpack("unpack rich.game -o slashed/");
  ASSERT_EQ(slashed.status, 0) << slashed.err;
  EXPECT_EQ(tree(dir / "slashed"), tree(dir / "folder"));
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".unpacking-"), std::string::npos) << e.path();
}

TEST_F(QvpackProgram, FailuresNameTheFileAndWriteNothing) {
  writePlayableProject(dir / "proj");
  std::ofstream(dir / "proj" / "scripts" / "scr_one.txt", std::ios::trunc) << "return (1;";
  ProgramRun r = qvpack("build proj -o broken");
  EXPECT_EQ(r.status, 1);
  // As editors follow it: the path as given on the command line, line and column, the line, a caret.
  EXPECT_NE(r.err.find("proj/scripts/scr_one.txt:1:10: error: does not compile: Symbol ) expected.\n"
                       "    return (1;\n"
                       "             ^\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("nothing was written"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "broken"));
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".building-"), std::string::npos) << e.path();

  struct Case {
    const char* args;
    int status;
    const char* message;
  } cases[] = {
      {"", 2, "usage: qvpack build DIR -o GAME"},
      {"build proj", 2, "usage:"},
      {"frobnicate proj", 2, "usage:"},
      {"info missing.game", 1, "missing.game: cannot read the file"},
      {"info proj/game.json", 1, "no game data"},
      {"build nowhere -o x", 1, "nowhere: not a project folder"},
      // Inputs that are no game say so, whatever they are.
      {"info proj", 1, "qvpack: proj: a folder, not a game file"},
      {"unpack proj -o out", 1, "qvpack: proj: a folder, not a game file"},
      {"info /dev/null", 1, "qvpack: /dev/null: not a regular file, so not a game file"},
      {"info empty.game", 1, "qvpack: empty.game: "},
      {"build proj -o proj/", 1, "qvpack: proj/: a folder: give the name of the game file to write"},
      {"build proj -o .", 1, "qvpack: .: a folder: give the name of the game file to write"},
      {"unpack empty.game -o out", 1, "qvpack: empty.game: "},
  };
  std::ofstream(dir / "empty.game").flush();
  for (const Case& c : cases) {
    ProgramRun u = qvpack(c.args);
    EXPECT_EQ(u.status, c.status) << c.args;
    EXPECT_NE(u.err.find(c.message), std::string::npos) << c.args << ": " << u.err;
  }
  EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST_F(QvpackProgram, BuildReadsNothingOutsideTheProjectFolder) {
  const fs::path secret = dir / "outside" / "secret.txt";
  fs::create_directories(secret.parent_path());
  std::ofstream(secret) << "return 1; // not the project's";
  std::string failure;
  ASSERT_TRUE(UnpackProject(richPackage(), dir / "base", failure)) << failure;
  auto edit = [](const fs::path& file, const std::string& from, const std::string& to) {
    std::string text = tree(file.parent_path())[file.filename().string()];
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << file << " has no " << from;
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text.replace(at, from.size(), to);
  };
  auto link = [](const fs::path& target, const fs::path& at) {
    fs::remove_all(at);
    fs::create_symlink(target, at);
  };
  const std::string leaves = " leads outside the project folder";
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> change;
    std::string message;  // empty: the build succeeds
  } cases[] = {
      {"included file data by ..",
       [&](const fs::path& p) { edit(p / "included_files/level1.txt.json", "\"data/level1.txt\"", "\"../../outside/secret.txt\""); },
       "included_files/level1.txt.json: data: the path included_files/../../outside/secret.txt" + leaves},
      {"sound data by ..", [&](const fs::path& p) { edit(p / "sounds/snd_jump.json", "\"snd_jump.wav\"", "\"../../outside/secret.txt\""); },
       "sounds/snd_jump.json: data: the path sounds/../../outside/secret.txt" + leaves},
      {"helper library by an absolute path",
       [&](const fs::path& p) { edit(p / "game.json", "\"helper_library.bin\"", "\"" + secret.string() + "\""); },
       "game.json: helper_library.file: the path " + secret.string() + leaves},
      {"helper library by ..", [&](const fs::path& p) { edit(p / "game.json", "\"helper_library.bin\"", "\"../outside/secret.txt\""); },
       "game.json: helper_library.file: the path ../outside/secret.txt" + leaves},
      {"code file by ..",
       [&](const fs::path& p) { edit(p / "objects/obj_player.json", "\"objects/obj_player/create_0_0.txt\"", "\"../outside/secret.txt\""); },
       "objects/obj_player.json: events[0].actions[0].file: the path ../outside/secret.txt" + leaves},
      {"code file by an absolute path",
       [&](const fs::path& p) { edit(p / "objects/obj_player.json", "\"objects/obj_player/create_0_0.txt\"", "\"" + secret.string() + "\""); },
       "objects/obj_player.json: events[0].actions[0].file: the path " + secret.string() + leaves},
      {"a linked file", [&](const fs::path& p) { link(secret, p / "scripts/scr_add.txt"); },
       "scripts/scr_add.json: text: the path scripts/scr_add.txt" + leaves},
      {"a linked folder",
       [&](const fs::path& p) {
         fs::rename(p / "library_init", dir / "outside" / p.filename());
         link(dir / "outside" / p.filename(), p / "library_init");
       },
       "game.json: library_init_code[0]: the path library_init/0.txt" + leaves},
      {"a linked resource file",
       [&](const fs::path& p) {
         fs::copy_file(p / "scripts/scr_add.json", dir / "outside" / (p.filename().string() + ".json"));
         link(dir / "outside" / (p.filename().string() + ".json"), p / "scripts/scr_add.json");
       },
       "scripts/scr_add.json: the path scripts/scr_add.json" + leaves},
      {"a link that stays inside", [&](const fs::path& p) { link("../library_init/0.txt", p / "scripts/scr_add.txt"); }, ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = "proj" + std::to_string(++n);
    fs::copy(dir / "base", dir / name, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    c.change(dir / name);
    ProgramRun r = qvpack("build " + name + " -o " + name + ".game");
    if (c.message.empty()) {
      EXPECT_EQ(r.status, 0) << r.err;
      continue;
    }
    EXPECT_EQ(r.status, 1);
    // Reported at the field's place in its file, or (a field the file does not show) as file: field.
    const size_t cut = c.message.find(": ");
    const bool placed = r.err.find(name + "/" + c.message.substr(0, cut) + ":") != std::string::npos &&
                        r.err.find(": error: " + c.message.substr(cut + 2) + "\n") != std::string::npos;
    EXPECT_TRUE(placed || r.err.find("qvpack: " + c.message + "\n") != std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / (name + ".game")));
  }
}

// Partial games of builds in the folder of the output game.
std::vector<std::string> partialGames(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().find(".building-") != std::string::npos) found.push_back(e.path().filename().string());
  return found;
}

TEST_F(QvpackProgram, AKilledOrFailedBuildLeavesNothingTheNextBuildKeeps) {
  writePlayableProject(dir / "proj");
  // A file size limit well inside the game stops the write half way: by default the kernel kills
  // qvpack there (SIGXFSZ); with that signal ignored, the write fails and qvpack reports it.
  const auto limitBlocks = std::to_string(fs::file_size(QV_RUNNER_PATH) / 4096);
  const std::string limited = "ulimit -c 0 && ulimit -f " + limitBlocks + " && ";
  struct Case {
    const char* what;
    std::string shell;
    int status;
    bool partialLeft;
  } cases[] = {
      {"killed mid-write", limited, 128 + SIGXFSZ, true},
      {"write fails", limited + "trap '' XFSZ && ", 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string cmd = "cd '" + dir.string() + "' && " + c.shell + "'" + QV_PACK_PATH + "' build proj -o game 2>err.txt";
    const int raw = std::system(cmd.c_str());
    // 128 + the signal, whether the shell reports the kill or it reaches us directly.
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    EXPECT_EQ(status, c.status);
    EXPECT_FALSE(fs::exists(dir / "game"));
    EXPECT_EQ(partialGames(dir).empty(), !c.partialLeft);
  }
  const std::string err = tree(dir)["err.txt"];
  EXPECT_NE(err.find("qvpack: game: cannot write the game: File too large"), std::string::npos) << err;
  ProgramRun next = qvpack("build proj -o game");
  ASSERT_EQ(next.status, 0) << next.err;
  EXPECT_TRUE(partialGames(dir).empty());
  EXPECT_EQ(run((dir / "game").string(), "").status, 0);
}

}  // namespace
}  // namespace packtest
