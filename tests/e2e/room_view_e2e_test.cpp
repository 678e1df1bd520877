// The real quorvane program plays a written game with a view that follows the player, a second
// view as a small map, a background layer, a row of tiles and a score and lives display drawn with
// text in a draw event; the screenshot after step 40 is compared with a reviewed picture.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "graphics/background.h"
#include "graphics/bitmap_ops.h"
#include "graphics/draw_test_support.h"
#include "graphics/sprite.h"
#include "data/game_writer.h"
#include "world/object.h"
#include "world/room.h"
#include "support/whole_file.h"

namespace fs = std::filesystem;
using namespace qv;

namespace {

using qv::testing::ReadWholeFile;

void addSprite(data::CGameWriter& w, int32_t index, const std::string& name, data::TBitmap32 frame) {
  graphics::CSprite sprite;
  sprite.frames.push_back(std::move(frame));
  graphics::ComputeDefaultMasks(sprite);
  data::CStream record;
  graphics::WriteSpriteRecord(record, &sprite, name);
  w.WholeRecord(data::ChunkId::Sprites, index, record);
}

void addBackground(data::CGameWriter& w, int32_t index, const std::string& name, data::TBitmap32 image) {
  graphics::CBackground back;
  back.image = std::move(image);
  data::CStream record;
  graphics::WriteBackgroundRecord(record, &back, name);
  w.WholeRecord(data::ChunkId::Backgrounds, index, record);
}

// Sky: 32 x 32 with a light band over a darker one. Ground set: a 32 x 16 sheet of grass
// (green top rows over brown) and plain stone.
data::TBitmap32 Sky() {
  data::TBitmap32 b(32, 32, 0xFF6090E0);
  for (int y = 16; y < 32; ++y)
    for (int x = 0; x < 32; ++x) b.setPixel(x, y, 0xFF4070C0);
  return b;
}
data::TBitmap32 GroundSet() {
  data::TBitmap32 b(32, 16, 0xFF805020);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 16; ++x) b.setPixel(x, y, 0xFF30A030);
  for (int y = 0; y < 16; ++y)
    for (int x = 16; x < 32; ++x) b.setPixel(x, y, 0xFF909090);
  return b;
}

std::vector<uint8_t> WriteGame() {
  data::CGameWriter w;
  addSprite(w, 0, "spr_player", data::TBitmap32(16, 16, 0xFFFFD020));
  addBackground(w, 0, "bk_sky", Sky());
  addBackground(w, 1, "bk_ground", GroundSet());
  world::CObject player;
  player.sprite = 0;
  player.eventSlot(world::ev_create, 0)->actions.push_back(world::CodeAction("hspeed = 4"));
  world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 0, "obj_player"), player);
  world::CObject hud;
  hud.depth = -100;
  hud.eventSlot(world::ev_create, 0)->actions.push_back(world::CodeAction("score = 1234; lives = 3; show_lives = true"));
  hud.eventSlot(world::ev_draw, 0)->actions.push_back(world::CodeAction(
      "if view_current == 0 {"
      "  draw_set_color(c_white);"
      "  draw_text(view_xview[0] + 4, view_yview[0] + 4, 'Score: ' + string(score));"
      "  draw_text(view_xview[0] + 4, view_yview[0] + 20, 'Lives: ' + string(lives))"
      "} else {"
      "  draw_set_color(c_red);"
      "  draw_rectangle(view_xview[0], view_yview[0], view_xview[0] + view_wview[0], view_yview[0] + view_hview[0], true)"
      "}"));
  hud.eventSlot(world::ev_step, 0)->actions.push_back(world::CodeAction(
      "steps += 1; if steps == 41 { show_debug_message(window_get_caption()) }"));
  hud.eventSlot(world::ev_create, 0)->actions.push_back(world::CodeAction("steps = 0"));
  world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 1, "obj_hud"), hud);

  world::CRoom room;
  room.caption = "Quest";
  room.width = 400;
  room.height = 240;
  room.backgroundColor = 0x000000;
  room.backgrounds[0].visible = true;
  room.backgrounds[0].index = 0;
  room.viewsEnabled = true;
  world::CView& main = room.views[0];
  main.visible = true;
  main.wview = 200, main.hview = 120;
  main.wport = 400, main.hport = 240;
  main.object = 0;
  world::CView& map = room.views[1];
  map.visible = true;
  map.wview = 400, map.hview = 240;
  map.xport = 296, map.yport = 4, map.wport = 100, map.hport = 60;
  auto place = [&](int32_t object, double x, double y, int32_t id) {
    auto in = std::make_unique<world::CInstance>();
    in->objectIndex = object;
    in->x = x;
    in->y = y;
    in->id = id;
    room.instances.push_back(std::move(in));
  };
  place(0, 40, 88, 100001);
  place(1, 0, 0, 100002);
  for (int k = 0; k < 25; ++k) {
    world::CTile t;
    t.background = 1;
    t.left = k % 5 == 4 ? 16 : 0;  // every fifth a stone
    t.width = t.height = 16;
    t.x = 16 * k;
    t.y = 104;
    t.depth = 10;
    t.id = 10000001 + k;
    room.tiles.push_back(t);
  }
  w.last_tile_id = 10000025;
  world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, 0, "rm_quest"), room);
  world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), 0);
  return w.Write();
}

}  // namespace

TEST(RoomViewE2E, AGameWithViewsTilesAndAScoreDisplayDrawsItsFrame) {
  const fs::path dir = fs::temp_directory_path() / "qv_room_view_e2e";
  fs::remove_all(dir);
  fs::create_directories(dir);
  data::CStream(WriteGame()).SaveToFile((dir / "game.exe").string());
  const std::string cmd = "cd '" + dir.string() + "' && env QUORVANE_STEPS=41 QUORVANE_SCREENSHOT=frame.png "
                          "QUORVANE_SCREENSHOT_STEP=40 '" + QV_RUNNER_PATH + "' game.exe >out.txt 2>err.txt";
  const int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 0) << ReadWholeFile(dir / "err.txt");
  EXPECT_EQ(ReadWholeFile(dir / "out.txt"), "Quest Score: 1234 Lives: 3\n") << "the caption after a drawing";
  const std::string png = ReadWholeFile(dir / "frame.png");
  auto image = graphics::DecodeImage(reinterpret_cast<const uint8_t*>(png.data()), png.size(), ".png");
  ASSERT_TRUE(image.has_value()) << ReadWholeFile(dir / "err.txt");
  ASSERT_EQ(image->width, 400) << "the region is the extent of the ports";
  ASSERT_EQ(image->height, 240);
  // After 40 steps the player is at x 200: the view keeps it 32 pixels from its right edge, so the
  // view starts at 32 and the player's left edge (room 200) shows at port x (200 - 32) * 2 = 336.
  EXPECT_EQ(image->pixel(337, 180) & 0xFFFFFF, 0xFFD020u);
  EXPECT_EQ(image->pixel(333, 180) & 0xFFFFFF, 0x4070C0u) << "room y 90 lies in the sky's lower band";
  // The ground row at room y 104 shows at port y 208; the stone tile at room x 64 at port x 64.
  EXPECT_EQ(image->pixel(70, 220) & 0xFFFFFF, 0x909090u);
  EXPECT_EQ(image->pixel(8, 210) & 0xFFFFFF, 0x30A030u);
  // Shows: a blue sky in two bands over a row of grass tiles with a grey stone every fifth tile,
  // all twice as large; the yellow player square on the right; "Score: 1234" and "Lives: 3" in
  // white at the top left; in the top right corner the small map of the whole room, with the
  // main view's rectangle outlined in red.
  data::TBitmap32 shot(image->width, image->height);
  shot.pixels = image->pixels;
  for (uint32_t& p : shot.pixels) p |= 0xFF000000;
  ExpectGolden("room_game_views_hud", shot);
  fs::remove_all(dir);
}
