// Building a project reports each problem with its file and field, and writes nothing then.
#include <functional>

#include "pack_fixture.h"
#include "project/json_place.h"
#include "project/packer.h"

namespace packtest {
namespace {

class ProjectErrors : public TempDir {
 protected:
  fs::path project;
  void SetUp() override {
    TempDir::SetUp();
    project = dir / "game";
    std::string failure;
    ASSERT_TRUE(UnpackProject(richPackage(), project, failure)) << failure;
  }
  void put(const std::string& rel, const std::string& text) { std::ofstream(project / rel, std::ios::binary | std::ios::trunc) << text; }
  std::string get(const std::string& rel) { return tree(project).at(rel); }
  void replace(const std::string& rel, const std::string& from, const std::string& to) {
    std::string text = get(rel);
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << rel << " has no " << from;
    put(rel, text.replace(at, from.size(), to));
  }
  std::vector<ProjectError> load() {
    GamePackage p;
    std::vector<ProjectError> errors;
    EXPECT_FALSE(LoadProject(project, p, errors));
    return errors;
  }
};

TEST_F(ProjectErrors, EachProblemNamesItsFileAndField) {
  struct Case {
    const char* what;
    std::function<void()> change;
    std::string file, field, message;
  } cases[] = {
      {"missing frame", [&] { fs::remove(project / "sprites/spr_hero/1.png"); },
       "sprites/spr_hero.json", "frames", "missing image sprites/spr_hero/1.png"},
      {"frame not a PNG", [&] { put("sprites/spr_hero/0.png", "GIF89a"); }, "sprites/spr_hero/0.png", "", "not a readable PNG"},
      {"missing mask", [&] { fs::remove(project / "sprites/spr_hero/mask0.png"); },
       "sprites/spr_hero.json", "masks[0].png", "missing image sprites/spr_hero/mask0.png"},
      {"mask count", [&] { replace("sprites/spr_hero.json", "\"separate_masks\": true", "\"separate_masks\": false"); },
       "sprites/spr_hero.json", "masks", "1 masks are expected"},
      {"origin type", [&] { replace("sprites/spr_hero.json", "\"origin\": [8,", "\"origin\": [\"8\","); },
       "sprites/spr_hero.json", "origin[0]", "an integer is expected"},
      {"missing background image", [&] { fs::remove(project / "backgrounds/bg_sky.png"); },
       "backgrounds/bg_sky.json", "image", "missing image backgrounds/bg_sky.png"},
      {"missing sound data", [&] { fs::remove(project / "sounds/snd_jump.wav"); },
       "sounds/snd_jump.json", "data", "missing file sounds/snd_jump.wav"},
      {"sound volume type", [&] { replace("sounds/snd_jump.json", "\"volume\": 0.1", "\"volume\": true"); },
       "sounds/snd_jump.json", "volume", "a number is expected"},
      {"script syntax", [&] { put("scripts/scr_add.txt", "x = 1;\r\ny = ;\r\n"); },
       "scripts/scr_add.txt", "", "does not compile: "},
      {"script calls nothing", [&] { put("scripts/scr_add.txt", "return no_such_thing(1);"); },
       "scripts/scr_add.txt", "", "does not compile: Unknown function or script: no_such_thing"},
      {"script text missing", [&] { fs::remove(project / "scripts/scr_use.txt"); },
       "scripts/scr_use.json", "text", "missing file scripts/scr_use.txt"},
      {"library code", [&] { put("library_init/0.txt", "global.x = ("); }, "library_init/0.txt", "", "does not compile"},
      {"room order", [&] { replace("game.json", "\"room_two\",", "\"room_gone\","); },
       "game.json", "room_order[0]", "there is no room named \"room_gone\""},
      {"settings picture", [&] { fs::remove(project / "settings/loading_picture.png"); },
       "game.json", "settings.loading_picture", "missing image settings/loading_picture.png"},
      {"setting type", [&] { replace("game.json", "\"scaling\": -1", "\"scaling\": 1.5"); },
       "game.json", "settings.scaling", "an integer is expected"},
      {"integer range", [&] { replace("game.json", "\"game_id\": 73501", "\"game_id\": 4294967296"); },
       "game.json", "game_id", "does not fit in 32 bits"},
      {"text outside the code page", [&] { replace("game.json", "\"MAX_LIVES\"", "\"MAX_\xe2\x88\x9e\""); },
       "game.json", "constants[0].name", "outside code page 1252"},
      {"index range", [&] { replace("scripts/scr_add.json", "\"index\": 0", "\"index\": 100000"); },
       "scripts/scr_add.json", "index", "an index from 0 to 99999 is expected"},
      {"duplicate index", [&] { replace("scripts/scr_add.json", "\"index\": 0", "\"index\": 1"); },
       "scripts/scr_use.json", "index", "index 1 is also used by scripts/scr_add.json"},
      {"duplicate name", [&] { put("scripts/other.json", "{\"name\": \"scr_add\"}"); put("scripts/other.txt", ""); },
       "scripts/scr_add.json", "name", "the name is also used by scripts/other.json"},
      {"font sprite", [&] { replace("fonts/fnt_digits.json", "\"spr_hero\"", "\"spr_gone\""); },
       "fonts/fnt_digits.json", "sprite", "there is no sprite named \"spr_gone\""},
      {"font sheet missing", [&] { fs::remove(project / "fonts/fnt_hud.png"); },
       "fonts/fnt_hud.json", "sheet", "missing image fonts/fnt_hud.png"},
      {"glyph shape", [&] { replace("fonts/fnt_hud.json", "\"48\": [0, 0, 1, 4, 2, -1]", "\"48\": [0, 0, 1]"); },
       "fonts/fnt_hud.json", "glyphs.48", "[x, y, width, height, advance, offset] is expected"},
      {"broken JSON", [&] { put("backgrounds/bg_sky.json", "{\"index\": 0,"); }, "backgrounds/bg_sky.json", "", "not valid JSON"},
      {"code action file missing", [&] { fs::remove(project / "objects/obj_player/create_0_0.txt"); },
       "objects/obj_player.json", "events[0].actions[0].file", "missing file objects/obj_player/create_0_0.txt"},
      {"code action without code", [&] { replace("objects/obj_player.json", "\"file\": \"objects/obj_player/create_0_0.txt\"", "\"not\": false"); },
       "objects/obj_player.json", "events[0].actions[0].file", "a code action holds its code in \"code\" or names the text file"},
      {"inline code syntax", [&] { replace("objects/obj_player.json", "\"file\": \"objects/obj_player/create_0_0.txt\"", "\"code\": \"x = \""); },
       "objects/obj_player.json", "events[0].actions[0].code", "does not compile: line 1, position "},
      {"placed instance id above the stated last", [&] { replace("game.json", "\"last_instance_id\": 100123", "\"last_instance_id\": 100001"); },
       "rooms/room_start.json", "instances[1].id", "the instance id 100002 is above last_instance_id 100001 of game.json"},
      {"placed tile id above the stated last", [&] { replace("game.json", "\"last_tile_id\": 10000456", "\"last_tile_id\": 10000001"); },
       "rooms/room_start.json", "tiles[1].id", "the tile id 10000002 is above last_tile_id 10000001 of game.json"},
      {"code action syntax", [&] { put("objects/obj_player/collision_1_0.txt", "with (other"); },
       "objects/obj_player/collision_1_0.txt", "", "does not compile: "},
      {"object sprite", [&] { replace("objects/obj_player.json", "\"sprite\": \"spr_hero\"", "\"sprite\": \"spr_gone\""); },
       "objects/obj_player.json", "sprite", "there is no sprite named \"spr_gone\""},
      {"collision object", [&] { replace("objects/obj_player.json", "\"object\": \"obj_enemy\"", "\"object\": \"obj_gone\""); },
       "objects/obj_player.json", "events[2].object", "there is no object named \"obj_gone\""},
      {"event kind", [&] { replace("objects/obj_player.json", "\"event\": \"create\"", "\"event\": \"birth\""); },
       "objects/obj_player.json", "events[0].event", "one of \"create\", \"destroy\""},
      {"applies to", [&] { replace("objects/obj_player.json", "\"applies_to\": \"obj_enemy\"", "\"applies_to\": \"obj_gone\""); },
       "objects/obj_player.json", "events[1].actions[0].applies_to", "there is no object named \"obj_gone\""},
      {"argument resource", [&] { replace("time_lines/tl_waves.json", "\"sprite\": \"spr_hero\"", "\"sprite\": \"spr_gone\""); },
       "time_lines/tl_waves.json", "moments[0].actions[0].args[0].sprite", "there is no sprite named \"spr_gone\""},
      {"argument expression", [&] { replace("time_lines/tl_waves.json", "\"image_index + 1\"", "\"image_index +\""); },
       "time_lines/tl_waves.json", "moments[0].actions[0].args[1]", "does not compile"},
      {"moment code", [&] { put("time_lines/tl_waves/30_0.txt", "instance_create(0, 0"); },
       "time_lines/tl_waves/30_0.txt", "", "does not compile"},
      {"instance object", [&] { replace("rooms/room_start.json", "\"object\": \"obj_enemy\"", "\"object\": \"obj_gone\""); },
       "rooms/room_start.json", "instances[1].object", "there is no object named \"obj_gone\""},
      {"instance creation code", [&] { put("rooms/room_start/instance_100001.txt", "hp = ;"); },
       "rooms/room_start/instance_100001.txt", "", "does not compile: "},
      {"room creation code missing", [&] { fs::remove(project / "rooms/room_start/creation.txt"); },
       "rooms/room_start.json", "creation_code", "missing file rooms/room_start/creation.txt"},
      {"tile background", [&] { replace("rooms/room_start.json", "\"background\": \"bg_sky\", \"source\"", "\"background\": \"bg_gone\", \"source\""); },
       "rooms/room_start.json", "tiles[0].background", "there is no background named \"bg_gone\""},
      {"view follows", [&] { replace("rooms/room_start.json", "\"follow\": \"obj_player\"", "\"follow\": \"obj_gone\""); },
       "rooms/room_start.json", "views[0].follow", "there is no object named \"obj_gone\""},
      {"view shape", [&] { replace("rooms/room_start.json", "\"view\": [10, 20, 320, 240]", "\"view\": [10, 20]"); },
       "rooms/room_start.json", "views[0].view", "a list of 4 integers is expected"},
      {"trigger condition", [&] { put("triggers/dead.txt", "return lives <;"); }, "triggers/dead.txt", "", "does not compile"},
      {"included data missing", [&] { fs::remove(project / "included_files/data/level1.txt"); },
       "included_files/level1.txt.json", "data", "missing file included_files/data/level1.txt"},
      {"path point", [&] { replace("paths/path_walk.json", "[32.5, -8.0, 50.0]", "[32.5, -8.0]"); },
       "paths/path_walk.json", "points[1]", "[x, y, speed] is expected"},
      {"game information text missing", [&] { fs::remove(project / "game_information.rtf"); },
       "game_information.json", "text", "missing file game_information.rtf"},
      {"game information field", [&] { replace("game_information.json", "\"game_waits\": false", "\"game_waits\": 0"); },
       "game_information.json", "game_waits", "true or false is expected"},
      {"folder of an older format", [&] { fs::create_directories(project / "raw/objects"); },
       "raw/objects", "", "unpack the game again"},
      {"package function list", [&] { replace("extension_packages/Pack.json", "\"functions\": [", "\"functions\": {\"a\": 1}, \"x\": ["); },
       "extension_packages/Pack.json", "files[0].functions", "a list of at most"},
      {"package files block missing", [&] { fs::remove(project / "extension_packages/data/Pack.bin"); },
       "extension_packages/Pack.json", "files_block", "missing file extension_packages/data/Pack.bin"},
  };
  for (const Case& c : cases) {
    SetUp();  // a fresh project for every case
    c.change();
    const auto errors = load();
    ASSERT_FALSE(errors.empty()) << c.what;
    bool found = false;
    for (const ProjectError& e : errors)
      found |= e.file == c.file && e.field == c.field && e.message.find(c.message) != std::string::npos;
    EXPECT_TRUE(found) << c.what << ": got " << errors[0].text();
  }
}

// Problems with a place in a file are written as editors follow them, with the line and a caret;
// a function action calling a function that does not exist is caught when the game is built.
TEST_F(ProjectErrors, PlacesForEditorsAndUnknownFunctions) {
  struct Case {
    const char* what;
    std::function<void()> change;
    std::string report;  // how the first error is reported, from the project folder "game"
  } cases[] = {
      {"script syntax", [&] { put("scripts/scr_add.txt", "x = 1;\r\n\ty = = 2;\r\n"); },
       "game/scripts/scr_add.txt:2:6: error: does not compile: Unexpected symbol in expression.\n"
       "    \ty = = 2;\n"
       "    \t    ^"},
      {"broken JSON", [&] { put("backgrounds/bg_sky.json", "{\"index\": 0,\n  \"x\" 1}"); },
       "game/backgrounds/bg_sky.json:2:7: error: not valid JSON: syntax error while parsing object separator - "
       "unexpected number literal; expected ':'\n"
       "      \"x\" 1}\n"
       "          ^"},
      {"unknown function",
       [&] { put("objects/obj_caller.json", R"({"events": [{"event": "create", "actions": [{"call": "gone_function"}]}]})"); },
       std::string("game/objects/obj_caller.json:1:54: error: events[0].actions[0].call: calls gone_function, ") +
           "which is no script, extension function or built-in function\n" +
           "    {\"events\": [{\"event\": \"create\", \"actions\": [{\"call\": \"gone_function\"}]}]}\n    " +
           std::string(53, ' ') + "^"},
      {"a field of the wrong kind", [&] { replace("game_information.json", "\"game_waits\": false", "\"game_waits\": 0"); },
       "game/game_information.json:"},
  };
  for (const Case& c : cases) {
    SetUp();
    c.change();
    const auto errors = load();
    ASSERT_FALSE(errors.empty()) << c.what;
    // Reported from the real folder (so fields can be found in their files), shown from its parent.
    std::string report = ReportText(errors[0], project, "qvpack");
    const std::string parent = dir.generic_string() + "/";
    if (report.rfind(parent, 0) == 0) report.erase(0, parent.size());
    EXPECT_EQ(report.rfind(c.report, 0), 0u) << c.what << ": got\n" << report;
  }
}

// Fields are found in the text as the loader names them; a missing one points at its object.
TEST(JsonPlaces, FieldsAreFoundAtTheirValues) {
  const std::string text = "{\"a\": {\"b\": [10, {\"c\": \"x]}\"}, 30]},\n \"d\": true, \"e\": {\"f\": 1}}";
  const std::pair<const char*, std::optional<size_t>> table[] = {
      {"a", 6},        {"a.b", 12},   {"a.b[0]", 13}, {"a.b[1].c", 23}, {"a.b[2]", 31},
      {"d", 43},       {"e.f", 60},   {"e.g", 54},    {"zz", 0},        {"a.b[7]", 12},
  };
  for (const auto& [field, at] : table) EXPECT_EQ(LocateJsonField(text, field), at) << field;
  EXPECT_FALSE(LocateJsonField("not json", "a.b"));
}

TEST_F(ProjectErrors, EveryProblemIsListedAndNothingIsWritten) {
  fs::remove(project / "sprites/spr_hero/1.png");
  put("scripts/scr_add.txt", "if (");
  replace("game.json", "\"room_two\",", "\"room_gone\",");
  std::vector<ProjectError> errors;
  const fs::path game = dir / "out" / "game";
  fs::create_directories(dir / "out");
  EXPECT_FALSE(BuildGame(project, QV_RUNNER_PATH, game, errors));
  EXPECT_EQ(errors.size(), 3u);  // the font over the broken sprite adds no error of its own
  EXPECT_TRUE(fs::is_empty(dir / "out"));
  // A runner that cannot be read fails the build before anything is written, too.
  errors.clear();
  fs::remove_all(project);
  std::string failure;
  ASSERT_TRUE(UnpackProject(richPackage(), project, failure));
  EXPECT_FALSE(BuildGame(project, dir / "no-runner", game, errors));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].text().find("cannot read the runner"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(dir / "out"));
}

// A project written by hand: no indices, no stored masks, few fields. Indices follow the names;
// masks are computed from the frames as the collision settings say.
TEST_F(ProjectErrors, AHandWrittenProjectNeedsOnlyWhatItUses) {
  fs::path p = dir / "hand";
  fs::create_directories(p / "sprites" / "spr_ball");
  fs::create_directories(p / "scripts");
  std::ofstream(p / "game.json") << R"({"game_id": 7, "settings": {"scaling": 200}})";
  std::ofstream(p / "sprites" / "spr_ball.json") << R"({"frames": 2, "collision": {"shape": "rectangle", "box": "full"}})";
  for (int f = 0; f < 2; ++f) {
    auto png = qv::graphics::EncodePng(picture(6, 4, uint32_t(f)));
    std::ofstream(p / "sprites" / "spr_ball" / (std::to_string(f) + ".png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  }
  std::ofstream(p / "scripts" / "zeta.json") << "{}";
  std::ofstream(p / "scripts" / "zeta.txt") << "return alpha() * 2;";
  std::ofstream(p / "scripts" / "alpha.json") << "{}";
  std::ofstream(p / "scripts" / "alpha.txt") << "return 21;";
  GamePackage g;
  std::vector<ProjectError> errors;
  ASSERT_TRUE(LoadProject(p, g, errors)) << errors[0].text();
  EXPECT_EQ(g.game_id, 7);
  EXPECT_EQ(g.settings.scaling, 200);
  EXPECT_TRUE(g.settings.display_cursor);  // unset fields keep their defaults
  ASSERT_EQ(g.scripts.count(), 2);
  EXPECT_EQ(g.scripts.names[0], "alpha");
  EXPECT_EQ(g.scripts.names[1], "zeta");
  ASSERT_TRUE(g.sprites.exists(0));
  const auto* s = g.sprites.get(0);
  ASSERT_EQ(s->masks.size(), 1u);
  EXPECT_EQ(s->masks[0].box(), (qv::graphics::Box{0, 0, 5, 3}));
  EXPECT_TRUE(s->masks[0].bit(0, 0));  // a rectangle over the full image, transparent pixels too
}

// A sprite with neither masks nor collision settings: one mask for all frames, solid where any
// frame's alpha is above 0, boxed around its solid pixels (docs/project-format.md).
TEST_F(ProjectErrors, ASpriteWithoutMaskSettingsGetsThePreciseMaskOfItsFrames) {
  fs::path p = dir / "hand";
  fs::create_directories(p / "sprites" / "spr_dot");
  // Frame 0 has pixels in columns 1 and 2 of row 1; frame 1 one pixel at (4, 2); alpha 1 counts.
  qv::data::TBitmap32 a(6, 4, 0), b(6, 4, 0);
  a.setPixel(1, 1, 0xFF102030);
  a.setPixel(2, 1, 0x01102030);
  b.setPixel(4, 2, 0x80FFFFFF);
  std::ofstream(p / "game.json") << "{}";
  std::ofstream(p / "sprites" / "spr_dot.json") << R"({"frames": 2})";
  int f = 0;
  for (const auto* frame : {&a, &b}) {
    auto png = qv::graphics::EncodePng(*frame);
    std::ofstream(p / "sprites" / "spr_dot" / (std::to_string(f++) + ".png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  }
  GamePackage g;
  std::vector<ProjectError> errors;
  ASSERT_TRUE(LoadProject(p, g, errors)) << errors[0].text();
  const auto* s = g.sprites.get(0);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->masks.size(), 1u);
  const qv::graphics::TMask& m = s->masks[0];
  EXPECT_EQ(m.box(), (qv::graphics::Box{1, 1, 4, 2}));
  for (int x = 0; x < 6; ++x)
    for (int y = 0; y < 4; ++y)
      EXPECT_EQ(m.bit(x, y), (y == 1 && (x == 1 || x == 2)) || (x == 4 && y == 2)) << x << "," << y;
}

}  // namespace
}  // namespace packtest
