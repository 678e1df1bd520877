// The real quorvane program plays a game of a ball between two solid walls: each time it runs into
// a wall the collision pass puts it back where it was, its collision event bounces it, and it
// travels back; another instance slides up to a block with move_contact_solid.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "graphics/sprite.h"
#include "data/game_writer.h"
#include "world/event_names.h"
#include "world/object.h"
#include "world/room.h"
#include "support/whole_file.h"

namespace fs = std::filesystem;
using namespace qv;

namespace {

using qv::testing::ReadWholeFile;

// An opaque 8 x 8 sprite with its origin at the top left, as sprite `index`.
void blockSprite(data::CGameWriter& w, int32_t index, const std::string& name) {
  graphics::CSprite sprite;
  sprite.frames.push_back(data::TBitmap32(8, 8, 0xFFFFFFFF));
  graphics::ComputeDefaultMasks(sprite);
  data::CStream record;
  graphics::WriteSpriteRecord(record, &sprite, name);
  w.WholeRecord(data::ChunkId::Sprites, index, record);
}

void place(world::CRoom& room, int32_t object, double x, double y, int32_t id) {
  auto in = std::make_unique<world::CInstance>();
  in->objectIndex = object;
  in->x = x;
  in->y = y;
  in->id = id;
  room.instances.push_back(std::move(in));
}

}  // namespace

TEST(CollisionE2E, ABallBouncesBetweenSolidWallsAndAProbeStopsAtABlock) {
  data::CGameWriter w;
  blockSprite(w, 0, "spr_block");
  world::CObject wall;
  wall.sprite = 0;
  wall.solid = true;
  world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 0, "obj_wall"), wall);
  world::CObject ball;
  ball.sprite = 0;
  ball.eventSlot(world::ev_create, 0)->actions.push_back(world::CodeAction("hspeed = 4"));
  ball.eventSlot(world::ev_collision, 0)->actions.push_back(world::CodeAction(
      "move_bounce_solid(false); show_debug_message('bounce at ' + string(x) + ' hspeed ' + string(hspeed))"));
  world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 1, "obj_ball"), ball);
  world::CObject probe;
  probe.sprite = 0;
  probe.eventSlot(world::ev_create, 0)->actions.push_back(
      world::CodeAction("move_contact_solid(0, -1); show_debug_message('contact ' + string(x))"));
  world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 2, "obj_probe"), probe);
  world::CRoom room;
  place(room, 0, 0, 0, 100001);
  place(room, 0, 60, 0, 100002);
  place(room, 0, 50, 40, 100003);
  place(room, 1, 20, 0, 100004);
  place(room, 2, 10, 40, 100005);
  world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, 0, "rm"), room);
  world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), 0);
  w.last_instance_id = 100100;

  const fs::path dir = fs::temp_directory_path() / "qv_collision_e2e";
  fs::remove_all(dir);
  fs::create_directories(dir);
  data::CStream(w.Write()).SaveToFile((dir / "game.exe").string());
  const std::string cmd = "cd '" + dir.string() + "' && env QUORVANE_STEPS=20 '" + QV_RUNNER_PATH +
                          "' game.exe >out.txt 2>err.txt";
  const int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 0) << ReadWholeFile(dir / "err.txt");
  // Step 9 carries the ball from 52 into the right wall: back at 52 it turns; step 20 carries it
  // from 8 into the left wall: back at 8 it turns again.
  EXPECT_EQ(ReadWholeFile(dir / "out.txt"), "contact 42\nbounce at 52 hspeed -4\nbounce at 8 hspeed 4\n");
  fs::remove_all(dir);
}
