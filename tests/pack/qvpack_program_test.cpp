// The real qvpack and quorvane programs: build, unpack and info from the command line, and a built
// game that the runner starts.
#include <sys/wait.h>

#include <cstdlib>
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
}

TEST_F(QvpackProgram, FailuresNameTheFileAndWriteNothing) {
  writePlayableProject(dir / "proj");
  std::ofstream(dir / "proj" / "scripts" / "scr_one.txt", std::ios::trunc) << "return (1;";
  ProgramRun r = qvpack("build proj -o broken");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("qvpack: scripts/scr_one.txt: does not compile: line 1, position"), std::string::npos) << r.err;
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
  };
  for (const Case& c : cases) {
    ProgramRun u = qvpack(c.args);
    EXPECT_EQ(u.status, c.status) << c.args;
    EXPECT_NE(u.err.find(c.message), std::string::npos) << c.args << ": " << u.err;
  }
}

}  // namespace
}  // namespace packtest
