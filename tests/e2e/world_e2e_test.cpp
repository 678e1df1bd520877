// The real quorvane program plays games with several rooms, objects and events, headless: the
// room changes happen in their order, and included files are on disk while the game runs and gone
// after it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "graphics/bitmap_ops.h"
#include "graphics/sprite.h"
#include "data/game_writer.h"
#include "game/included_files.h"
#include "world/object.h"
#include "world/room.h"
#include "support/whole_file.h"

namespace fs = std::filesystem;
using namespace qv;

namespace {

struct Played {
  int status = -1;
  std::string out, err;
};

fs::path scratch(const std::string& name) {
  fs::path d = fs::temp_directory_path() / ("qv_world_e2e_" + name);
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

using qv::testing::ReadWholeFile;

Played play(const fs::path& dir, const std::vector<uint8_t>& game, const std::string& env) {
  data::CStream(game).SaveToFile((dir / "game.exe").string());
  const std::string cmd = "cd '" + dir.string() + "' && env " + env + " '" + QV_RUNNER_PATH + "' game.exe >out.txt 2>err.txt";
  const int raw = std::system(cmd.c_str());
  Played r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  r.out = ReadWholeFile(dir / "out.txt");
  r.err = ReadWholeFile(dir / "err.txt");
  return r;
}

void addObject(data::CGameWriter& w, int32_t index, const std::string& name, world::CObject& o) {
  world::WriteObjectRecord(w.Record(data::ChunkId::Objects, index, name), o);
}

}  // namespace

TEST(WorldE2E, AGameWalksItsRoomsInOrderAndEnds) {
  const fs::path dir = scratch("rooms");
  data::CGameWriter w;
  world::CObject guide;
  guide.persistent = true;
  auto on = [&](int32_t kind, int32_t number, const std::string& code) {
    guide.eventSlot(kind, number)->actions.push_back(world::CodeAction(code));
  };
  on(world::ev_create, 0, "show_debug_message('create in ' + room_get_name(room)); steps = 0");
  on(world::ev_other, world::ev_game_start, "show_debug_message('game start')");
  on(world::ev_other, world::ev_room_start, "show_debug_message('room start ' + room_get_name(room))");
  on(world::ev_other, world::ev_room_end, "show_debug_message('room end ' + room_get_name(room))");
  on(world::ev_other, world::ev_game_end, "show_debug_message('game end after ' + string(steps))");
  on(world::ev_step, 0, "steps += 1; if room == room_last { game_end() } else { room_goto_next() }");
  addObject(w, 0, "obj_guide", guide);
  world::CObject visitor;
  visitor.eventSlot(world::ev_create, 0)->actions.push_back(world::CodeAction("show_debug_message('visitor ' + string(id))"));
  addObject(w, 1, "obj_visitor", visitor);

  const char* names[] = {"rm_title", "rm_level", "rm_end"};
  for (int32_t i = 0; i < 3; ++i) {
    world::CRoom room;
    if (i == 0) {
      auto in = std::make_unique<world::CInstance>();
      in->id = 100001;
      room.instances.push_back(std::move(in));
    }
    auto v = std::make_unique<world::CInstance>();
    v->objectIndex = 1;
    v->id = 100010 + i;
    room.instances.push_back(std::move(v));
    world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, i, names[i]), room);
  }
  for (int32_t r : {0, 1, 2}) world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), r);
  game::CDataFile file;
  file.fileName = "level.dat";
  file.hasData = file.dataFollows = true;
  file.data.WriteBytes("LEVEL", 5);
  game::WriteDataFileRecord(w.Item(data::ChunkId::IncludedFiles), file);
  w.last_instance_id = 100100;

  const Played r = play(dir, w.Write(), "QUORVANE_STEPS=100");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "create in rm_title\nvisitor 100010\ngame start\nroom start rm_title\n"
            "room end rm_title\nvisitor 100011\nroom start rm_level\n"
            "room end rm_level\nvisitor 100012\nroom start rm_end\n"
            "room end rm_end\ngame end after 3\n");
  EXPECT_FALSE(fs::exists(dir / "level.dat"));  // removed at the end
  fs::remove_all(dir);
}

TEST(WorldE2E, TheStepLimitEndsAGameThatWouldRunForever) {
  const fs::path dir = scratch("limit");
  data::CGameWriter w;
  world::CObject counter;
  counter.eventSlot(world::ev_step, 0)->actions.push_back(world::CodeAction("n += 1"));
  counter.eventSlot(world::ev_create, 0)->actions.push_back(world::CodeAction("n = 0"));
  counter.eventSlot(world::ev_other, world::ev_game_end)->actions.push_back(world::CodeAction("show_debug_message(n)"));
  world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 0, "obj"), counter);
  world::CRoom room;
  auto in = std::make_unique<world::CInstance>();
  in->id = 100001;
  room.instances.push_back(std::move(in));
  world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, 0, "rm"), room);
  world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), 0);
  const Played r = play(dir, w.Write(), "QUORVANE_STEPS=25");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "25\n");
  fs::remove_all(dir);
}

TEST(WorldE2E, ScriptedInputReachesTheGameThroughTheWindowHandlers) {
  const fs::path dir = scratch("input");
  data::CGameWriter w;
  world::CObject player;
  auto on = [&](int32_t kind, int32_t number, const std::string& code) {
    player.eventSlot(kind, number)->actions.push_back(world::CodeAction(code));
  };
  on(world::ev_create, 0, "n = 0");
  on(world::ev_step, world::ev_step_begin, "n += 1");
  on(world::ev_keyboard, 65, "show_debug_message('held A ' + string(n))");
  on(world::ev_keypress, 65, "show_debug_message('press A ' + string(n))");
  on(world::ev_keyrelease, 65, "show_debug_message('release A ' + string(n))");
  on(world::ev_mouse, 53, "show_debug_message('click ' + string(mouse_x) + ',' + string(mouse_y) + ' ' + string(n))");
  on(world::ev_other, world::ev_game_end, "show_debug_message('typed ' + keyboard_string)");
  world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 0, "obj"), player);
  world::CRoom room;
  auto in = std::make_unique<world::CInstance>();
  in->id = 100001;
  room.instances.push_back(std::move(in));
  world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, 0, "rm"), room);
  world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), 0);
  const Played r = play(dir, w.Write(),
                        "QUORVANE_STEPS=4 'QUORVANE_INPUT=2:keydown:65;2:char:104;3:keyup:65;3:char:105;"
                        "2:mousemove:5,6;2:mousedown:1;4:mouseup:1'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "held A 2\npress A 2\nclick 5,6 2\nrelease A 3\ntyped hi\n");
  fs::remove_all(dir);
}

TEST(WorldE2E, TheScreenshotOfTheChosenStepIsAPngOfTheWindowSize) {
  const fs::path dir = scratch("screenshot");
  data::CGameWriter w;
  world::CRoom room;
  world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, 0, "rm"), room);
  world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), 0);
  const Played r = play(dir, w.Write(), "QUORVANE_STEPS=3 QUORVANE_SCREENSHOT=frame.png QUORVANE_SCREENSHOT_STEP=2");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string png = ReadWholeFile(dir / "frame.png");
  ASSERT_GE(png.size(), 24u) << r.err;
  EXPECT_EQ(png.substr(1, 3), "PNG");
  auto be32 = [&](size_t at) {
    return (uint32_t(uint8_t(png[at])) << 24) | (uint32_t(uint8_t(png[at + 1])) << 16) |
           (uint32_t(uint8_t(png[at + 2])) << 8) | uint32_t(uint8_t(png[at + 3]));
  };
  // IHDR width and height: the region takes the default room size, 640 x 480.
  EXPECT_EQ(be32(16), 640u);
  EXPECT_EQ(be32(20), 480u);
  fs::remove_all(dir);
}

// A written game's room as the runner draws it: the room's background colour, and an instance's
// sprite landing exactly on the pixels it covers at its integer position (origin 0, 0).
TEST(WorldE2E, TheRoomDrawsItsColourAndTheInstanceSpritesAtTheirPixels) {
  const fs::path dir = scratch("room_pixels");
  data::CGameWriter w;
  graphics::CSprite sprite;
  sprite.frames.push_back(data::TBitmap32(4, 3, 0xFF00FF00));
  graphics::ComputeDefaultMasks(sprite);
  data::CStream record;
  graphics::WriteSpriteRecord(record, &sprite, "spr");
  w.WholeRecord(data::ChunkId::Sprites, 0, record);
  world::CObject object;
  object.sprite = 0;
  world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 0, "obj"), object);
  world::CRoom room;
  room.backgroundColor = 0x0000FF;  // script colours are 0xBBGGRR: red
  auto in = std::make_unique<world::CInstance>();
  in->id = 100001;
  in->x = 10;
  in->y = 20;
  room.instances.push_back(std::move(in));
  world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, 0, "rm"), room);
  world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), 0);
  const Played r = play(dir, w.Write(), "QUORVANE_STEPS=2 QUORVANE_SCREENSHOT=frame.png QUORVANE_SCREENSHOT_STEP=1");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string png = ReadWholeFile(dir / "frame.png");
  auto image = graphics::DecodeImage(reinterpret_cast<const uint8_t*>(png.data()), png.size(), ".png");
  ASSERT_TRUE(image.has_value());
  auto rgb = [&](int x, int y) { return image->pixel(x, y) & 0xFFFFFF; };
  EXPECT_EQ(rgb(0, 0), 0xFF0000u);
  EXPECT_EQ(rgb(9, 20), 0xFF0000u);
  EXPECT_EQ(rgb(10, 20), 0x00FF00u);
  EXPECT_EQ(rgb(13, 22), 0x00FF00u);
  EXPECT_EQ(rgb(14, 22), 0xFF0000u);
  EXPECT_EQ(rgb(13, 23), 0xFF0000u);
  fs::remove_all(dir);
}
