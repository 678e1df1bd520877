// quorvane-demo-writer GAME: writes a small playable game with the project's game writer, for the
// README's play command until the demo game project exists: a loading picture, one room and a few
// boxes that bounce between its walls.
#include <cstdio>
#include <memory>

#include "graphics/sprite.h"
#include "runner/game_writer.h"
#include "world/object.h"
#include "world/room.h"

namespace {

using qv::graphics::TBitmap32;
using qv::runner::ChunkId;
using qv::runner::CStream;

void writeSprite(qv::runner::CGameWriter& w, int32_t index, const char* name, uint32_t colour) {
  qv::graphics::CSprite sprite;
  TBitmap32 frame(16, 16, colour);
  for (int i = 0; i < 16; ++i) {  // a darker border so the boxes read as boxes
    frame.setPixel(i, 0, 0xFF202020);
    frame.setPixel(i, 15, 0xFF202020);
    frame.setPixel(0, i, 0xFF202020);
    frame.setPixel(15, i, 0xFF202020);
  }
  sprite.frames.push_back(frame);
  qv::graphics::ComputeDefaultMasks(sprite);
  // The record as the sprite chunk holds it after the slot's name.
  CStream full, prefix;
  qv::graphics::WriteSpriteRecord(full, &sprite, name);
  prefix.WriteBoolean(true);
  prefix.WriteString(name);
  const auto& bytes = full.bytes();
  w.Record(ChunkId::Sprites, index, name).WriteBytes(bytes.data() + prefix.size(), bytes.size() - prefix.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorvane-demo-writer GAME\n");
    return 2;
  }
  qv::runner::CGameWriter w;
  w.game_id = 1;
  TBitmap32 picture(400, 120);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      picture.setPixel(x, y, 0xFF000000u | uint32_t(40 + y) << 16 | uint32_t(x * 255 / 400) << 8 | 160u);
  w.settings.loading_picture = picture;
  w.settings.empty_bar_picture = TBitmap32(16, 16, 0xFF202020);
  w.settings.full_bar_picture = TBitmap32(16, 16, 0xFFE0C040);

  writeSprite(w, 0, "spr_box", 0xFFE0C040);

  qv::world::CObject box;
  box.sprite = 0;
  box.eventSlot(qv::world::ev_create, 0)->actions.push_back(
      qv::world::CodeAction("hspeed = 1 + random(3); vspeed = 1 + random(3);"));
  box.eventSlot(qv::world::ev_step, 0)->actions.push_back(qv::world::CodeAction(
      "if (x < 0 || x > room_width - 16) hspeed = -hspeed;\n"
      "if (y < 0 || y > room_height - 16) vspeed = -vspeed;"));
  qv::world::WriteObjectRecord(w.Record(ChunkId::Objects, 0, "obj_box"), box);

  qv::world::CRoom room;
  room.caption = "Quorvane";
  room.width = 320;
  room.height = 240;
  room.backgroundColor = 0x402010;
  for (int i = 0; i < 6; ++i) {
    auto in = std::make_unique<qv::world::CInstance>();
    in->id = 100001 + i;
    in->objectIndex = 0;
    in->x = 20 + 45 * i;
    in->y = 30 + 30 * i;
    room.instances.push_back(std::move(in));
  }
  qv::world::WriteRoomRecord(w.Record(ChunkId::Rooms, 0, "rm_demo"), room);
  qv::world::WriteRoomOrderItem(w.Item(ChunkId::RoomOrder), 0);

  if (!CStream(w.Write()).SaveToFile(argv[1])) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
