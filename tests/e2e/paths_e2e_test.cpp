// The real quorvane program plays a game whose instances follow a path with each end action.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "motion/path.h"
#include "data/game_writer.h"
#include "world/object.h"
#include "world/room.h"
#include "support/whole_file.h"

namespace fs = std::filesystem;
using namespace qv;

namespace {

using qv::testing::ReadWholeFile;

TEST(PathsE2E, WalkersFollowAPathWithEachEndAction) {
  const fs::path dir = fs::temp_directory_path() / "qv_paths_e2e";
  fs::remove_all(dir);
  fs::create_directories(dir);
  data::CGameWriter w;

  motion::CPath line;
  line.closed = false;
  line.points = {{10, 10, 100}, {110, 10, 100}};
  motion::WritePathRecord(w.Record(data::ChunkId::Paths, 0, "path_line"), line);

  world::CObject walker;
  auto on = [&](int32_t kind, int32_t number, const std::string& code) {
    walker.eventSlot(kind, number)->actions.push_back(world::CodeAction(code));
  };
  on(world::ev_create, 0, "path_start(path_line, 25, action, true)");
  on(world::ev_other, world::ev_end_of_path, "show_debug_message('end ' + string(action))");
  on(world::ev_other, world::ev_game_end,
     "show_debug_message(string(action) + ' ' + string(x) + ' ' + string(path_index))");
  world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 0, "obj_walker"), walker);

  world::CRoom room;
  for (int32_t action = 0; action < 4; ++action) {
    auto in = std::make_unique<world::CInstance>();
    in->id = 100001 + action;
    in->creationCode = "action = " + std::to_string(action);
    room.instances.push_back(std::move(in));
  }
  world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, 0, "rm"), room);
  world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), 0);
  w.last_instance_id = 100010;

  data::CStream(w.Write()).SaveToFile((dir / "game.exe").string());
  const std::string cmd = "cd '" + dir.string() + "' && env QUORVANE_STEPS=6 '" + QV_RUNNER_PATH +
                          "' game.exe >out.txt 2>err.txt";
  const int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 0) << ReadWholeFile(dir / "err.txt");
  // 100 pixels at 25 a step: every walker reaches the end in step 4. After step 6 the stopped one
  // stands at the end without a path, the restarted one is half way again, the continuing one has
  // gone on past the end by the same amount, the reversed one is half way back.
  EXPECT_EQ(ReadWholeFile(dir / "out.txt"),
            "end 0\nend 1\nend 2\nend 3\n"
            "0 110 -1\n1 60 0\n2 160 0\n3 60 0\n");
  fs::remove_all(dir);
}

}  // namespace
