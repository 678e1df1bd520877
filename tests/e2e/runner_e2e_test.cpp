// The real quorvane program on games written by CGameWriter: good games start and end with status
// 0; corrupt ones show their message (on stderr in headless runs) and end with a non-zero status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "graphics/sprite.h"
#include "data/game_writer.h"
#include "world/object.h"
#include "world/room.h"

namespace fs = std::filesystem;
using namespace qv;
using namespace qv::data;

namespace {

struct RunResult {
  int status = -1;
  std::string err;
};

class RunnerE2E : public ::testing::Test {
 protected:
  fs::path dir;
  void SetUp() override {
    // Unique per process: other checkouts may run the same tests at the same time.
    dir = fs::temp_directory_path() / ("qv_e2e_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                                       "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "tmpbase");
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path save(const std::string& name, const std::vector<uint8_t>& bytes) {
    fs::path p = dir / name;
    data::CStream(bytes).SaveToFile(p.string());
    return p;
  }

  // Runs `program` with `args` from `dir`, with the temporary base in dir/tmpbase unless `env`
  // says otherwise.
  RunResult run(const std::string& program, const std::string& args, const std::string& env = "") {
    std::string cmd = "cd '" + dir.string() + "' && env temp='" + (dir / "tmpbase").string() + "' " + env + " '" +
                      program + "' " + args + " >'" + (dir / "out.txt").string() + "' 2>'" + (dir / "err.txt").string() + "'";
    int raw = std::system(cmd.c_str());
    RunResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    std::ifstream in(dir / "err.txt");
    std::stringstream ss;
    ss << in.rdbuf();
    r.err = ss.str();
    return r;
  }
  RunResult runGame(const fs::path& game, const std::string& env = "") { return run(QV_RUNNER_PATH, "'" + game.string() + "'", env); }

  bool tempBaseIsEmpty() { return fs::is_empty(dir / "tmpbase"); }
};

// The smallest game that plays: one room with one instance whose create event ends the game.
void makePlayable(data::CGameWriter& w) {
  qv::world::CObject o;
  o.eventSlot(qv::world::ev_create, 0)->actions.push_back(qv::world::CodeAction("game_end()"));
  qv::world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 0, "obj_end"), o);
  qv::world::CRoom room;
  auto in = std::make_unique<qv::world::CInstance>();
  in->id = 100001;
  room.instances.push_back(std::move(in));
  qv::world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, 0, "rm"), room);
  qv::world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), 0);
}

// A sprite record as the sprite chunk holds it after the slot's name.
void writeSprite(data::CGameWriter& w, int32_t index, const std::string& name) {
  qv::graphics::CSprite sprite;
  sprite.frames.push_back(qv::data::TBitmap32(4, 4, 0xFF00FF00));
  qv::graphics::ComputeDefaultMasks(sprite);
  data::CStream record;
  qv::graphics::WriteSpriteRecord(record, &sprite, name);
  w.WholeRecord(data::ChunkId::Sprites, index, record);
}

data::CGameWriter richGame() {
  data::CGameWriter w;
  w.debug_mode = true;
  w.game_id = 424242;
  w.settings.loading_picture = qv::data::TBitmap32(40, 40, 0xFF336699);
  w.settings.empty_bar_picture = qv::data::TBitmap32(8, 8, 0xFF000000);
  w.settings.full_bar_picture = qv::data::TBitmap32(8, 8, 0xFF00FF00);
  w.settings.loading_transparent = true;
  w.settings.loading_alpha = 200;
  w.settings.priority = 3;
  writeSprite(w, 0, "spr_player");
  makePlayable(w);
  return w;
}

}  // namespace

TEST_F(RunnerE2E, AWrittenGameIsReadAndTheRunnerEndsCleanly) {
  data::CGameWriter w = richGame();
  RunResult r = runGame(save("game.exe", w.Write()));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(tempBaseIsEmpty());  // the temporary directory was made there and removed
}

TEST_F(RunnerE2E, AGameAppendedToTheRunnerItselfNeedsNoArgument) {
  data::CStream runner;
  ASSERT_TRUE(runner.LoadFromFile(QV_RUNNER_PATH));
  data::CGameWriter w = richGame();
  fs::path game = save("mygame", w.Write(runner.bytes()));
  fs::permissions(game, fs::perms::owner_all);
  RunResult r = run(game.string(), "--these -belong to_the_game");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

TEST_F(RunnerE2E, StartUpFailuresShowTheirMessageAndExitNonZero) {
  data::CGameWriter w;
  w.random_seed = 9;
  const std::vector<uint8_t> good = w.Write();
  const size_t data = 697344 + 4;  // the game data follows the marker
  auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> g = good;
    std::copy(bytes.begin(), bytes.end(), g.begin() + ptrdiff_t(at));
    return g;
  };
  const std::string corrupted = "Failed to load the game data. File seems corrupted.\n";
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string message;
  } cases[] = {
      {"no marker", std::vector<uint8_t>(good.begin(), good.begin() + 697344), "Error: Not a valid game file.\n"},
      {"marker off the grid", [&] {
         std::vector<uint8_t> g(good.begin(), good.begin() + 697344);
         g.insert(g.end(), 4, 0);
         g.insert(g.end(), good.begin() + 697344, good.end());
         return g;
       }(), "Error: Not a valid game file.\n"},
      {"format version", patched(data, {0x21, 0x03, 0, 0}), "Error: Wrong version number.\n"},
      {"settings version", patched(data + 8, {0x20, 0x03, 0, 1}), "Error: Error in resource data.\n"},
      {"settings block does not inflate", patched(data + 16, {0xFF, 0xFF, 0xFF, 0xFF}), corrupted},
      {"settings block length beyond the file", patched(data + 12, {0xFF, 0xFF, 0xFF, 0x7F}), corrupted},
      {"negative settings block length", patched(data + 12, {0xFF, 0xFF, 0xFF, 0xFF}), corrupted},
      {"truncated", std::vector<uint8_t>(good.begin(), good.end() - 10), corrupted},
      {"truncated in the header", std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(data) + 6), corrupted},
  };
  for (const Case& c : cases) {
    RunResult r = runGame(save("bad.exe", c.bytes));
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_EQ(r.err, c.message) << c.what;
    EXPECT_TRUE(tempBaseIsEmpty()) << c.what;
  }
}

TEST_F(RunnerE2E, MissingGameFiles) {
  RunResult none = run(QV_RUNNER_PATH, "");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err, "Error: Not a valid game file.\n");
  RunResult missing = run(QV_RUNNER_PATH, "'" + (dir / "no such game").string() + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Error: Cannot read the game file.\n");
}

TEST_F(RunnerE2E, WithoutAnyTemporaryDirectoryTheGameStillStarts) {
  // /proc holds no new directories, even for root: every base fails.
  data::CGameWriter w;
  makePlayable(w);
  fs::path game = save("game.exe", w.Write());
  RunResult r = run("sh", "-c 'cd /proc && exec \"$0\" \"$1\"' '" + std::string(QV_RUNNER_PATH) + "' '" + game.string() + "'",
              "temp=/proc tmp=/proc TMPDIR=/proc");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "Failed to create temp dir. This can cause serious problems with sounds, etc.\n");
}
