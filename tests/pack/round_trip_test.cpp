// Round trips through the game file and the project folder, on a game that uses every record kind.
#include "pack_fixture.h"

namespace packtest {
namespace {

using RoundTrip = TempDir;

TEST_F(RoundTrip, AWrittenGameReadsBackRecordForRecord) {
  const GamePackage original = richPackage();
  const std::vector<uint8_t> file = WriteGamePackage(original, std::vector<uint8_t>(700000, 0x90));
  ExpectSameGame(original, readBack(file));
}

TEST_F(RoundTrip, UnpackBuildUnpackGivesIdenticalFolders) {
  const GamePackage original = richPackage();
  std::string failure;
  ASSERT_TRUE(UnpackProject(readBack(WriteGamePackage(original, {})), dir / "a", failure)) << failure;
  GamePackage loaded;
  std::vector<ProjectError> errors;
  ASSERT_TRUE(LoadProject(dir / "a", loaded, errors)) << (errors.empty() ? "" : errors[0].text());
  ASSERT_TRUE(UnpackProject(readBack(WriteGamePackage(loaded, {})), dir / "b", failure)) << failure;
  const auto a = tree(dir / "a"), b = tree(dir / "b");
  EXPECT_EQ(a, b);
  // The folder is the documented one: names for stems, odd names beside their index.
  for (const char* file : {"game.json", "sprites/spr_hero.json", "sprites/spr_hero/0.png", "sprites/spr_hero/mask1.png",
                           "sprites/SPR_HERO~3.json", "sprites/wall___1~2/1.png", "sprites/wall___1~2/mask0.png",
                           "backgrounds/bg_sky.png", "backgrounds/bg_none.json", "sounds/snd_jump.wav", "sounds/snd_silent.bin",
                           "scripts/scr_use.txt", "library_init/1.txt", "fonts/fnt_hud.png", "fonts/fnt_digits.json",
                           "paths/path_walk.json", "objects/obj_player.json", "objects/obj_player/create_0_0.txt",
                           "objects/obj_player/step_2_1.txt", "objects/obj_enemy.json", "time_lines/tl_waves.json",
                           "time_lines/tl_waves/30_0.txt", "triggers/dead.json", "triggers/dead~2.txt", "rooms/room_start.json",
                           "rooms/room_start/creation.txt", "rooms/room_start/instance_100001.txt", "rooms/room_two.json",
                           "included_files/level1.txt.json", "included_files/data/level1.txt", "included_files/data_notes_1_txt~1.json",
                           "extension_packages/Pack.json", "extension_packages/data/Pack.bin", "raw/game_information.bin",
                           "settings/loading_picture.png", "helper_library.bin"})
    EXPECT_TRUE(a.count(file)) << file;
  EXPECT_FALSE(a.count("sprites/spr_hero/2.png"));  // the empty frame has no picture
  EXPECT_EQ(a.at("scripts/scr_add.txt"), "// adds\r\nreturn argument0 + argument1;\r\n");
}

TEST_F(RoundTrip, BuildUnpackBuildKeepsEveryRecord) {
  const GamePackage original = richPackage();
  std::string failure;
  ASSERT_TRUE(UnpackProject(original, dir / "p", failure)) << failure;
  GamePackage built;
  std::vector<ProjectError> errors;
  ASSERT_TRUE(LoadProject(dir / "p", built, errors)) << (errors.empty() ? "" : errors[0].text());
  const GamePackage once = readBack(WriteGamePackage(built, {}));
  ExpectSameGame(original, once);
  ASSERT_TRUE(UnpackProject(once, dir / "q", failure)) << failure;
  GamePackage again;
  ASSERT_TRUE(LoadProject(dir / "q", again, errors));
  ExpectSameGame(original, readBack(WriteGamePackage(again, {})));
}

// A stretched layer over a background that cannot be measured (missing or empty) reads with scale
// 1; its stored flag must still be written back, or unpacking a game would drop it.
TEST_F(RoundTrip, ARoomKeepsTheStretchFlagOfALayerItCannotMeasure) {
  qv::world::CRoom stored;
  stored.backgrounds[1].index = 42;  // no such background
  stored.backgrounds[1].xscale = 2;  // written as "stretch"
  CStream first;
  qv::world::WriteRoomRecord(first, stored);
  qv::world::CRoom read;
  CStream in(first.bytes());
  ASSERT_TRUE(qv::world::ReadRoomRecord(in, read));
  EXPECT_TRUE(read.backgrounds[1].stretch);
  EXPECT_EQ(read.backgrounds[1].xscale, 1);
  CStream second;
  qv::world::WriteRoomRecord(second, read);
  EXPECT_EQ(first.bytes(), second.bytes());
}

// A project written by hand (the demo game: few fields, code files of its own names) builds to the
// same game again after unpacking, and unpacking that gives the same folder.
TEST_F(RoundTrip, TheHandWrittenDemoSurvivesUnpackAndBuild) {
  GamePackage demo;
  std::vector<ProjectError> errors;
  ASSERT_TRUE(LoadProject(fs::path(QV_SOURCE_DIR) / "examples" / "demo", demo, errors)) << errors[0].text();
  EXPECT_EQ(SlotCount(demo, ChunkId::Objects), 5);
  EXPECT_EQ(SlotCount(demo, ChunkId::Rooms), 2);
  const GamePackage once = readBack(WriteGamePackage(demo, {}));
  ExpectSameGame(demo, once);
  std::string failure;
  ASSERT_TRUE(UnpackProject(once, dir / "a", failure)) << failure;
  GamePackage again;
  ASSERT_TRUE(LoadProject(dir / "a", again, errors)) << errors[0].text();
  ExpectSameGame(demo, readBack(WriteGamePackage(again, {})));
  ASSERT_TRUE(UnpackProject(again, dir / "b", failure)) << failure;
  EXPECT_EQ(tree(dir / "a"), tree(dir / "b"));
}

TEST_F(RoundTrip, UnpackRefusesAFolderInUseAndLeavesNothingHalfWritten) {
  fs::create_directories(dir / "used");
  std::ofstream(dir / "used" / "keep.txt") << "mine";
  std::string failure;
  EXPECT_FALSE(UnpackProject(richPackage(), dir / "used", failure));
  EXPECT_NE(failure.find("not empty"), std::string::npos);
  EXPECT_EQ(tree(dir / "used").size(), 1u);
  // An existing empty folder is fine.
  fs::create_directories(dir / "empty");
  EXPECT_TRUE(UnpackProject(richPackage(), dir / "empty", failure)) << failure;
  EXPECT_TRUE(fs::exists(dir / "empty" / "game.json"));
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".unpacking-"), std::string::npos) << e.path();
}

TEST_F(RoundTrip, CorruptGamesAreRefusedWithTheChunkNamed) {
  const std::vector<uint8_t> good = WriteGamePackage(GamePackage{}, {});
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* message;
  } cases[] = {
      {"no marker", std::vector<uint8_t>(good.begin(), good.begin() + 697344), "no game data"},
      {"truncated", std::vector<uint8_t>(good.begin(), good.end() - 5), "corrupt"},
      {"format version", [&] { auto g = good; g[697344 + 4] = 0x21; return g; }(), "format version"},
  };
  for (const Case& c : cases) {
    GamePackage out;
    ReadFailure failure;
    EXPECT_FALSE(ReadGamePackage(CStream(c.bytes), out, failure)) << c.what;
    EXPECT_NE(failure.message.find(c.message), std::string::npos) << c.what << ": " << failure.message;
  }
  // A chunk with a wrong version names the chunk.
  GamePackage p;
  p.extension_packages = {{1, 2, 3}};  // not a package
  GamePackage out;
  ReadFailure failure;
  EXPECT_FALSE(ReadGamePackage(CStream(WriteGamePackage(p, {})), out, failure));
  EXPECT_NE(failure.message.find("extension packages"), std::string::npos) << failure.message;
}

}  // namespace
}  // namespace packtest
