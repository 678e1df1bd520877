// A game that uses every record kind the packer knows, typed and raw, with the awkward cases:
// empty slots (also trailing ones), names that cannot be file names, code page 1252 text, sprites
// with shared and separate masks and an empty frame, sounds with and without data, reals JSON
// cannot write, objects with events of every kind of reference (collision, applies-to, resource
// arguments, a parent that is deleted), rooms with layers, views, instances and tiles, time lines,
// triggers, paths, included files with and without data, an extension package, and a room order.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "graphics/bitmap_ops.h"
#include "graphics/mask.h"
#include "platform/image_codecs.h"
#include "project/game_package.h"
#include "motion/path.h"
#include "game/included_files.h"
#include "project/project_folder.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/room.h"
#include "world/time_line.h"
#include "world/trigger.h"
#include "windows/game_information.h"

namespace packtest {

namespace fs = std::filesystem;
using namespace qv;
using namespace qv::data;
using namespace qv::project;

inline qv::data::TBitmap32 picture(int w, int h, uint32_t seed) {
  qv::data::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t v = (uint32_t(x) * 2654435761u) ^ (uint32_t(y) * 40503u) ^ seed;
      b.setPixel(x, y, (x + y) % 3 == 0 ? 0u : (v | 0x80000000u));  // some fully transparent pixels
    }
  return b;
}

// One extension package as stored: records (one file, one function, one constant), then a files block.
inline std::vector<uint8_t> extensionPackage(const std::string& function) {
  data::CStream s;
  s.WriteInteger(700);
  s.WriteString("Pack");
  s.WriteString("pack");
  s.WriteInteger(1);  // files
  s.WriteInteger(700);
  s.WriteString("pack.so");
  s.WriteInteger(1);
  s.WriteString("");
  s.WriteString("");
  s.WriteInteger(1);  // functions
  s.WriteInteger(700);
  s.WriteString(function);
  s.WriteString("");
  s.WriteInteger(12);
  s.WriteInteger(0);
  s.WriteInteger(2);
  for (int i = 0; i < 17; ++i) s.WriteInteger(2);
  s.WriteInteger(2);
  s.WriteInteger(1);  // constants
  s.WriteInteger(700);
  s.WriteString("PACK_ANSWER");
  s.WriteString("42");
  data::CStream files;
  files.WriteInteger(1234);
  files.WriteString("bytes of pack.so");
  s.WriteCompressedBlock(files);
  return s.bytes();
}

inline RawSlot raw(const std::string& name, std::vector<uint8_t> record) { return RawSlot{true, name, std::move(record)}; }

template <class T, class WriteFn>
RawSlot record(const std::string& name, const T& item, WriteFn write) {
  data::CStream s;
  write(s, item);
  return raw(name, s.bytes());
}

inline qv::world::CAction codeAction(const std::string& code) {
  qv::world::CAction a;
  a.libraryId = 1;
  a.actionId = 603;
  a.kind = qv::world::act_code;
  a.executionType = qv::world::exec_code;
  a.appliesToSomething = true;
  a.argumentCount = 1;
  a.argumentKinds[0] = 1;
  a.argumentTexts[0] = code;
  return a;
}

inline qv::world::CAction functionAction() {
  qv::world::CAction a;  // a library action calling a function, with a resource argument
  a.libraryId = 1;
  a.actionId = 201;
  a.executionType = qv::world::exec_function;
  a.functionName = "action_sprite_set";
  a.mayBeRelative = true;
  a.isQuestion = true;
  a.appliesTo = 1;  // obj_enemy
  a.relative = true;
  a.negate = true;
  a.argumentCount = 3;
  a.argumentKinds = {5, 0, 10, 0, 0, 0, 0, 2};
  a.argumentTexts = {"0", "image_index + 1", "7", "", "", "", "", "left over"};
  return a;
}

inline RawSlot objectRecord(int which) {
  qv::world::CObject o;
  if (which == 0) {
    o.sprite = 0;
    o.solid = true;
    o.depth = -10;
    o.mask = 2;
    o.parent = 3;  // a deleted slot: kept as its index
    o.eventSlot(qv::world::ev_create, 0)->actions = {codeAction("lives = 3;\r\nscore = scr_add(1, 2);")};
    o.eventSlot(qv::world::ev_step, qv::world::ev_step_end)->actions = {functionAction(), codeAction("")};
    o.eventSlot(qv::world::ev_collision, 1)->actions = {codeAction("with (other) instance_destroy();")};
    o.eventSlot(qv::world::ev_keyboard, 37);  // an event without actions
    o.eventSlot(qv::world::ev_trigger, 2)->actions = {codeAction("x += 1;")};
  } else {
    o.visible = false;
    o.persistent = true;
    o.parent = 0;
    o.sprite = 77;  // names no sprite
    qv::world::CAction begin;
    begin.kind = qv::world::act_begin;
    o.eventSlot(qv::world::ev_alarm, 11)->actions = {begin, qv::world::CAction{}};
  }
  return record(which == 0 ? "obj_player" : "obj_enemy", o, qv::world::WriteObjectRecord);
}

inline RawSlot roomRecord(int which) {
  qv::world::CRoom r;
  r.caption = which == 0 ? "Start \xe9" : "";
  if (which == 0) {
    r.width = 800;
    r.speed = 60;
    r.persistent = true;
    r.backgroundColor = 0x203040;
    r.drawBackgroundColor = false;
    r.creationCode = "global.level = 1;";
    r.backgrounds[0].visible = true;
    r.backgrounds[0].index = 0;
    r.backgrounds[0].x = -4;
    r.backgrounds[0].hspeed = 2;
    r.backgrounds[0].stretch = true;
    r.backgrounds[2].foreground = true;
    r.backgrounds[2].index = 1;
    r.backgrounds[2].htiled = false;
    r.backgrounds[2].stretch = true;  // over an empty background: the scale stays 1, the flag is kept
    r.viewsEnabled = true;
    r.views[0] = {true, 10, 20, 320, 240, 0, 0, 640, 480, 0, 64, 48, 4, -1, 0};
    r.views[1].object = 9;  // names no object
    auto a = qv::world::NewInstance(0, 32, 48, 100001);
    a->creationCode = "hp = 5;";
    r.instances.push_back(std::move(a));
    r.instances.push_back(qv::world::NewInstance(1, -16, 400, 100002));
    qv::world::CTile t;
    t.x = 16;
    t.y = 32;
    t.background = 0;
    t.left = 4;
    t.top = 2;
    t.width = 8;
    t.height = 6;
    t.depth = 1000000;
    t.id = 10000001;
    r.tiles = {t, t};
    r.tiles[1].background = 5;  // names no background
    r.tiles[1].id = 10000002;
  }
  return record(which == 0 ? "room_start" : "room_two", r, qv::world::WriteRoomRecord);
}

inline RawSlot timeLineRecord() {
  qv::world::CTimeLine t;
  t.MomentAt(30).actions = {codeAction("instance_create(0, 0, obj_enemy);")};
  t.MomentAt(0).actions = {functionAction()};
  return record("tl_waves", t, qv::world::WriteTimeLineRecord);
}

inline RawSlot triggerRecord(const std::string& name, int32_t moment) {
  qv::world::CTrigger t;
  t.name = name;
  t.condition = "return lives < 1;";
  t.moment = moment;
  t.constantName = "tr_" + name;
  return record("", t, qv::world::WriteTriggerRecord);
}

inline std::vector<uint8_t> includedFile(const std::string& name, bool withData) {
  qv::game::CDataFile f;
  f.fileName = name;
  f.sourcePath = "C:\\game\\" + name;
  f.hasData = f.dataFollows = withData;
  if (withData) f.data = data::CStream(std::vector<uint8_t>{'l', 'e', 'v', 0, 1, 255});
  f.sourceSize = withData ? 6 : 0;
  f.exportKind = withData ? 1 : 3;
  f.exportFolder = withData ? "" : "levels";
  f.overwrite = withData;
  f.freeAfterExport = !withData;
  data::CStream s;
  qv::game::WriteDataFileRecord(s, f);
  return s.bytes();
}


// A game-information block with settings away from their defaults.
inline std::vector<uint8_t> gameInformation() {
  qv::windows::GameInformation info;
  info.caption = "About the game";
  info.left = 30;
  info.width = 320;
  info.sizeable = false;
  info.gameWaits = false;
  info.richText = "{\\rtf1 Use the \\b arrows\\b0 .\\par}";
  data::CStream block;
  qv::windows::WriteGameInformation(block, info);
  return block.bytes();
}

inline GamePackage richPackage() {
  GamePackage p;
  p.debug_mode = true;
  p.game_id = 73501;
  for (size_t i = 0; i < 16; ++i) p.guid[i] = uint8_t(i * 17 + 3);
  p.main_flag = true;
  p.helper_library_name = "helper8.dll";
  p.helper_library = {1, 2, 3, 0, 255};
  p.settings.start_fullscreen = true;
  p.settings.scaling = -1;
  p.settings.outside_color = 0x123456;
  p.settings.priority = 2;
  p.settings.key_esc_ends = false;
  p.settings.loading_alpha = 128;
  p.settings.loading_picture = picture(12, 7, 1);
  p.settings.empty_bar_picture = picture(5, 2, 2);
  p.settings.full_bar_picture = picture(5, 2, 3);
  p.settings.uninitialized_zero = true;
  p.constants = {{"MAX_LIVES", "3"}, {"GREETING", "\"h\xe9llo \x80\""}};

  // Sprites: index 1 is deleted, index 4 is a trailing deleted slot.
  auto hero = std::make_unique<qv::graphics::CSprite>();
  hero->xOrigin = 8;
  hero->yOrigin = -3;
  hero->frames = {picture(16, 12, 10), picture(16, 12, 11), qv::data::TBitmap32()};
  qv::graphics::ComputeSpriteMasks(*hero, true, 0, qv::graphics::kShapePrecise, qv::graphics::kBoxAutomatic, {});
  hero->masks[2].bits.clear();  // the empty frame's mask is empty
  hero->masks[2].width = hero->masks[2].height = 0;
  hero->masks[2].left = 5;
  auto wall = std::make_unique<qv::graphics::CSprite>();
  wall->frames = {picture(9, 9, 20), picture(9, 9, 21)};
  qv::graphics::ComputeSpriteMasks(*wall, false, 10, qv::graphics::kShapeEllipse, qv::graphics::kBoxManual, {1, 2, 7, 8});
  auto bare = std::make_unique<qv::graphics::CSprite>();  // no frames, no masks
  p.sprites.slots.push_back(std::move(hero));
  p.sprites.names.push_back("spr_hero");
  p.sprites.slots.emplace_back();
  p.sprites.names.emplace_back();
  p.sprites.slots.push_back(std::move(wall));
  p.sprites.names.push_back("wall/\xe9:1");  // not a file name, and code page 1252
  p.sprites.slots.push_back(std::move(bare));
  p.sprites.names.push_back("SPR_HERO");  // same stem as spr_hero on a case-folding disk
  p.sprites.slots.emplace_back();
  p.sprites.names.emplace_back();

  auto sky = std::make_unique<qv::graphics::CBackground>();
  sky->image = picture(20, 10, 30);
  p.backgrounds.slots.push_back(std::move(sky));
  p.backgrounds.names.push_back("bg_sky");
  p.backgrounds.slots.push_back(std::make_unique<qv::graphics::CBackground>());  // empty image
  p.backgrounds.names.push_back("bg_none");

  auto jump = std::make_unique<qv::sound::CSound>();
  jump->kind = 0;
  jump->fileType = ".WAV";
  jump->fileName = "C:\\sounds\\jump.wav";
  jump->data = std::vector<uint8_t>{'R', 'I', 'F', 'F', 0, 1, 2};
  jump->volume = 0.1;
  jump->pan = std::numeric_limits<double>::infinity();
  jump->effects = 5;
  jump->preload = false;
  auto silent = std::make_unique<qv::sound::CSound>();
  silent->kind = 3;
  silent->fileType = "..odd/";
  silent->data = std::vector<uint8_t>{};
  auto none = std::make_unique<qv::sound::CSound>();  // no data at all
  none->volume = std::numeric_limits<double>::quiet_NaN();
  p.sounds.slots.push_back(std::move(jump));
  p.sounds.names.push_back("snd_jump");
  p.sounds.slots.push_back(std::move(silent));
  p.sounds.names.push_back("snd_silent");
  p.sounds.slots.emplace_back();
  p.sounds.names.emplace_back();
  p.sounds.slots.push_back(std::move(none));
  p.sounds.names.push_back("snd_none");

  auto script = [](const std::string& text) {
    auto s = std::make_unique<qv::code::CScript>();
    s->text = text;
    return s;
  };
  p.scripts.slots.push_back(script("// adds\r\nreturn argument0 + argument1;\r\n"));
  p.scripts.names.push_back("scr_add");
  p.scripts.slots.push_back(script("var total;\r\ntotal = scr_add(1, 2);\r\nreturn pack_call(total) + MAX_LIVES;"));
  p.scripts.names.push_back("scr_use");

  p.raw(data::ChunkId::Triggers) = {triggerRecord("dead", 0), RawSlot{}, triggerRecord("dead", 2)};  // names may repeat
  qv::motion::CPath walk;
  walk.kind = qv::motion::kPathSmooth;
  walk.closed = false;
  walk.precision = 6;
  walk.points = {{0, 0, 100}, {32.5, -8, 50}, {1e-3, std::numeric_limits<double>::infinity(), 0}};
  p.raw(data::ChunkId::Paths) = {record("path_walk", walk, qv::motion::WritePathRecord)};
  auto hud = std::make_unique<qv::graphics::CFont>();
  hud->name = "Liberation Sans";
  hud->size = 14;
  hud->bold = true;
  hud->first = 48;
  hud->last = 57;
  hud->sheetWidth = 16;
  hud->sheetHeight = 4;
  for (int k = 0; k < 64; ++k) hud->alpha.push_back(uint8_t(k * 4));
  for (size_t c = 48; c <= 57; ++c) {
    hud->glyphX[c] = int32_t(c - 48);
    hud->glyphWidth[c] = 1;
    hud->glyphHeight[c] = 4;
    hud->advance[c] = 2;
    hud->offset[c] = -1;
  }
  hud->glyphX[200] = 7;  // outside the range, still stored
  auto digits = std::make_unique<qv::graphics::CFont>();
  digits->sprite = 0;  // a sprite font over spr_hero
  digits->first = 0;
  digits->last = 255;
  p.fonts.slots.emplace_back();
  p.fonts.names.emplace_back();
  p.fonts.slots.push_back(std::move(hud));
  p.fonts.names.push_back("fnt_hud");
  p.fonts.slots.push_back(std::move(digits));
  p.fonts.names.push_back("fnt_digits");
  p.raw(data::ChunkId::TimeLines) = {timeLineRecord()};
  p.raw(data::ChunkId::Objects) = {objectRecord(0), objectRecord(1)};
  p.raw(data::ChunkId::Rooms) = {roomRecord(0), roomRecord(1), RawSlot{}};
  p.last_instance_id = 100123;
  p.last_tile_id = 10000456;
  p.extension_packages = {extensionPackage(" pack_call ")};
  p.included_files = {includedFile("level1.txt", true), includedFile("data\\notes:1.txt", false)};
  p.game_information = gameInformation();
  p.library_init_code = {"global.inited = 1;", ""};
  p.room_order = {1, 0};
  return p;
}

// Every record of both packages reads back equal, and so does everything outside the records.
inline void ExpectSameGame(const GamePackage& a, const GamePackage& b) {
  EXPECT_EQ(a.debug_mode, b.debug_mode);
  EXPECT_EQ(a.game_id, b.game_id);
  EXPECT_EQ(a.guid, b.guid);
  EXPECT_EQ(a.main_flag, b.main_flag);
  EXPECT_EQ(a.helper_library_name, b.helper_library_name);
  EXPECT_EQ(a.helper_library, b.helper_library);
  data::CStream sa, sb;
  data::WriteSettings(sa, a.settings);
  data::WriteSettings(sb, b.settings);
  EXPECT_EQ(sa.bytes(), sb.bytes()) << "settings";
  EXPECT_EQ(a.constants, b.constants);
  for (const data::ChunkInfo& info : data::ChunkTable()) {
    if (info.frame != data::ChunkFrame::Standard && info.frame != data::ChunkFrame::Trigger) continue;
    ASSERT_EQ(SlotCount(a, info.id), SlotCount(b, info.id)) << info.name;
    for (int32_t i = 0; i < SlotCount(a, info.id); ++i) {
      EXPECT_EQ(SlotExists(a, info.id, i), SlotExists(b, info.id, i)) << info.name << " " << i;
      EXPECT_EQ(SlotName(a, info.id, i), SlotName(b, info.id, i)) << info.name << " " << i;
      EXPECT_EQ(RecordBytes(a, info.id, i), RecordBytes(b, info.id, i)) << info.name << " " << i;
    }
  }
  EXPECT_EQ(a.extension_packages, b.extension_packages);
  EXPECT_EQ(a.included_files, b.included_files);
  EXPECT_EQ(a.game_information, b.game_information);
  EXPECT_EQ(a.library_init_code, b.library_init_code);
  EXPECT_EQ(a.room_order, b.room_order);
  EXPECT_EQ(a.last_instance_id, b.last_instance_id);
  EXPECT_EQ(a.last_tile_id, b.last_tile_id);
}

inline GamePackage readBack(const std::vector<uint8_t>& file) {
  GamePackage out;
  ReadFailure failure;
  EXPECT_TRUE(ReadGamePackage(data::CStream(file), out, failure)) << failure.message;
  return out;
}

// Every file of a folder tree with its bytes, by relative path.
inline std::map<std::string, std::string> tree(const fs::path& root) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    out[fs::relative(e.path(), root).generic_string()] =
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  return out;
}

// Runs a command through the shell; its exit status (128 + the signal for a killed one).
inline int shell(const std::string& cmd) {
  const int raw = std::system(cmd.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

// The picture a PNG file holds, made opaque (as the screen shows it); empty when it is no PNG.
inline qv::data::TBitmap32 pngPicture(const std::string& png) {
  auto decoded = qv::platform::DecodePng(reinterpret_cast<const uint8_t*>(png.data()), png.size());
  if (!decoded) return {};
  qv::data::TBitmap32 b(decoded->width, decoded->height);
  b.pixels = decoded->pixels;
  for (uint32_t& p : b.pixels) p |= 0xFF000000;
  return b;
}

class TempDir : public ::testing::Test {
 protected:
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("qv_pack_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    if (!std::getenv("QV_KEEP")) fs::remove_all(dir);
  }
};

}  // namespace packtest
