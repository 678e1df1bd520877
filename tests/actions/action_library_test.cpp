// The action library as drag-and-drop games use it: function actions with expression arguments,
// relative or not, questions with their "not", run from objects' events in games read and played
// through the real machinery. One table of cases per group.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "code/errors.h"
#include "code/registry.h"
#include "windows/scripted_answers.h"
#include "world/object.h"
#include "../world/world_game.h"
#include "function_action.h"

namespace qv::world {
namespace {

using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

// A question action, negated with `negate`.
CAction ask(const std::string& name, std::vector<std::string> args, bool negate = false, bool relative = false) {
  CAction a = act(name, std::move(args), relative);
  a.isQuestion = true;
  a.negate = negate;
  return a;
}

CAction logs(const std::string& expression) { return CodeAction("test_log(" + expression + ")"); }

// One step: an action (or question) followed by code that logs; what the log should then hold.
struct Case {
  std::string what;
  std::vector<CAction> actions;
  Log expected;
  std::string error = {};  // a part of the last reported error, when one is expected
};

// Runs the case's actions in the create event of one instance at (100, 50) in a 200 x 100 room,
// with the random seed fixed first.
void runCase(const Case& k, const std::function<void(TestGame&)>& extra = {}) {
  SCOPED_TRACE(k.what);
  TestGame g;
  auto& o = g.object("obj_a");
  o.on(ev_create, 0, "random_set_seed(12345)");
  for (const CAction& a : k.actions) o.action(ev_create, 0, a);
  g.object("obj_b").on(ev_create, 0, "test_log('b ' + string(x) + ' ' + string(y) + ' ' + string(speed) + ' ' + string(direction))");
  g.object("obj_c").on(ev_create, 0, "test_log('c ' + string(x) + ' ' + string(y))");
  auto& r = g.room("rm");
  r.room.width = 200;
  r.room.height = 100;
  r.place(0, 100, 50, 100001);
  g.writer.last_instance_id = 100001;
  if (extra) extra(g);
  g.run(0);
  EXPECT_EQ(gameLog(), k.expected);
  if (!k.error.empty()) {
    EXPECT_NE(code::errorState().last.find(k.error), std::string::npos) << code::errorState().last;
  }
}

// The generator as documented: seed := seed * 134775813 + 1 (mod 2^32), then the high 32 bits of
// n * seed.
struct Draws {
  uint32_t seed;
  uint32_t next(uint32_t n) {
    seed = seed * 134775813u + 1u;
    return static_cast<uint32_t>((uint64_t{n} * seed) >> 32);
  }
};

TEST(ActionLibrary, RegistersEveryMemberOnce) {
  testing::RegisterTestFunctions();
  const std::vector<std::pair<const char*, int>> members = {
      {"action_move", 2}, {"action_set_motion", 2}, {"action_set_hspeed", 1}, {"action_set_vspeed", 1},
      {"action_set_gravity", 2}, {"action_set_friction", 1}, {"action_move_point", 3}, {"action_move_to", 2},
      {"action_move_start", 0}, {"action_move_random", 2}, {"action_snap", 2}, {"action_wrap", 1},
      {"action_reverse_xdir", 0}, {"action_reverse_ydir", 0}, {"action_move_contact", 3}, {"action_bounce", 2},
      {"action_path", 4}, {"action_path_end", 0}, {"action_path_position", 1}, {"action_path_speed", 1},
      {"action_linear_step", 4}, {"action_potential_step", 4}, {"action_create_object", 3},
      {"action_create_object_motion", 5}, {"action_create_object_random", 6}, {"action_change_object", 2},
      {"action_kill_object", 0}, {"action_kill_position", 2}, {"action_sprite_set", 3}, {"action_set_sprite", 2},
      {"action_sprite_transform", 4}, {"action_sprite_color", 2}, {"action_replace_sprite", 3},
      {"action_replace_background", 2}, {"action_sound", 2}, {"action_end_sound", 1}, {"action_if_sound", 1},
      {"action_replace_sound", 2}, {"action_previous_room", 1}, {"action_next_room", 1},
      {"action_current_room", 1}, {"action_another_room", 2}, {"action_if_previous_room", 0},
      {"action_if_next_room", 0}, {"action_set_alarm", 2}, {"action_sleep", 2}, {"action_set_timeline", 2},
      {"action_timeline_set", 4}, {"action_timeline_start", 0}, {"action_timeline_pause", 0},
      {"action_timeline_stop", 0}, {"action_set_timeline_position", 1}, {"action_set_timeline_speed", 1},
      {"action_end_game", 0}, {"action_restart_game", 0}, {"action_save_game", 1}, {"action_load_game", 1},
      {"action_message", 1}, {"action_if_question", 1}, {"action_show_info", 0}, {"action_show_video", 3},
      {"action_splash_video", 2}, {"action_splash_text", 1}, {"action_splash_image", 1}, {"action_splash_web", 2},
      {"action_splash_settings", 5}, {"action_webpage", 1}, {"action_if", 1}, {"action_if_empty", 3},
      {"action_if_collision", 3}, {"action_if_object", 3}, {"action_if_number", 3}, {"action_if_dice", 1},
      {"action_if_mouse", 1}, {"action_if_aligned", 2}, {"action_if_variable", 3}, {"action_if_score", 2},
      {"action_if_life", 2}, {"action_if_health", 2}, {"action_execute_script", 6}, {"action_inherited", 0},
      {"action_draw_variable", 3}, {"action_set_score", 1}, {"action_draw_score", 3}, {"action_draw_life", 3},
      {"action_set_life", 1}, {"action_set_health", 1}, {"action_draw_life_images", 3}, {"action_draw_health", 6},
      {"action_set_caption", 6}, {"action_highscore_show", 5}, {"action_highscore_clear", 0},
      {"action_partsyst_create", 1}, {"action_partsyst_destroy", 0}, {"action_partsyst_clear", 0},
      {"action_parttype_create", 6}, {"action_parttype_create_old", 6}, {"action_parttype_color", 6},
      {"action_parttype_life", 3}, {"action_parttype_speed", 6}, {"action_parttype_gravity", 3},
      {"action_parttype_secondary", 5}, {"action_partemit_create", 6}, {"action_partemit_destroy", 1},
      {"action_partemit_burst", 3}, {"action_partemit_stream", 3}, {"action_effect", 6},
      {"action_draw_sprite", 4}, {"action_draw_background", 4}, {"action_draw_text", 3},
      {"action_draw_text_transformed", 6}, {"action_draw_rectangle", 5}, {"action_draw_ellipse", 5},
      {"action_draw_gradient_hor", 6}, {"action_draw_gradient_vert", 6}, {"action_draw_ellipse_gradient", 6},
      {"action_draw_line", 4}, {"action_draw_arrow", 5}, {"action_color", 1}, {"action_font", 2},
      {"action_set_cursor", 2}, {"action_fullscreen", 1}, {"action_snapshot", 1}, {"action_cd_play", 2},
      {"action_cd_stop", 0}, {"action_cd_pause", 0}, {"action_cd_resume", 0}, {"action_cd_present", 0},
      {"action_cd_playing", 0}, {"action_path_old", -1}, {"action_draw_font", -1}, {"action_draw_font_old", -1},
      {"action_fill_color", -1}, {"action_line_color", -1}, {"action_highscore", -1},
  };
  EXPECT_EQ(members.size(), 135u);
  for (const auto& [name, count] : members) {
    const int32_t index = code::FindFunction(name);
    ASSERT_GE(index, 0) << name;
    if (count >= 0) {
      EXPECT_EQ(code::FunctionArgumentCount(index), count) << name;
    }
  }
  int registered = 0;
  for (int32_t k = 0; k < code::BuiltinCount(); ++k)
    if (std::string(code::BuiltinEntry(k)->name).starts_with("action_")) ++registered;
  EXPECT_EQ(registered, 135);
}

// The keypad direction of a draw of 1 to 9 (5 stops), as the member's description gives it.
std::string keypadAfter(uint32_t seed, double speed) {
  Draws d{seed};
  const uint32_t k = d.next(9) + 1;
  const double dirs[10] = {0, 225, 270, 315, 180, 0, 0, 135, 90, 45};
  if (k == 5) return "0 0";
  return std::to_string(int(dirs[k])) + " " + std::to_string(int(speed));
}

TEST(ActionLibrary, MotionMembers) {
  const std::string pos = "string(x) + ' ' + string(y)";
  const std::string motion = "string(direction) + ' ' + string(speed)";
  const std::vector<Case> cases = {
      {"move_point absolute", {act("action_move_point", {"150", "50", "2"}), logs(motion)}, {"0 2"}},
      {"move_point relative", {act("action_move_point", {"0", "-30", "3"}, true), logs(motion)}, {"90 3"}},
      {"move with every key draws once", {act("action_move", {"'111111111'", "4"}), logs("string(direction) + ' ' + string(speed)")},
       {keypadAfter(12345, 4)}},
      {"snap to the nearest grid point", {act("action_snap", {"32", "32"}), logs(pos)}, {"96 64"}},
      // One straight step of 4 towards (100, 80), nothing in the way; relative to (100, 50).
      {"linear step", {act("action_linear_step", {"100", "80", "4", "0"}), logs(pos + " + ' ' + " + motion)}, {"100 54 270 0"}},
      {"linear step relative", {act("action_linear_step", {"-40", "0", "4", "1"}, true), logs(pos)}, {"96 50"}},
      // Facing right (direction 0), it may turn at most 30 degrees: the goal straight down (270)
      // is first reached at 330, 4 along (cos 330, -sin 330).
      {"potential step", {act("action_potential_step", {"100", "80", "4", "0"}), logs(pos)}, {"103.46 52"}},
      {"wrap horizontally", {CodeAction("x = 205"), act("action_wrap", {"0"}), logs(pos)}, {"5 50"}},
      {"wrap with an unknown mode does nothing", {CodeAction("x = 205"), act("action_wrap", {"7"}), logs(pos)}, {"205 50"}},
      {"wrap vertically only", {CodeAction("x = 205; y = -3"), act("action_wrap", {"1"}), logs(pos)}, {"205 97"}},
      {"move_random stays in the room on the grid",
       {act("action_move_random", {"16", "16"}), logs("string(x mod 16 == 0 && y mod 16 == 0 && x >= 0 && x < 200 && y >= 0 && y < 100)")},
       {"1"}},
      {"move_contact with nothing in the way", {act("action_move_contact", {"0", "10", "0"}), logs(pos)}, {"110 50"}},
      {"path speed set and added",
       {act("action_path_speed", {"2"}), act("action_path_speed", {"1"}, true), logs("string(path_speed)")}, {"3"}},
      {"path_end forgets the path", {CodeAction("path_index = 3"), act("action_path_end", {}), logs("string(path_index)")}, {"-1"}},
      {"path position is clamped to the path", {act("action_path_position", {"0.25"}), act("action_path_position", {"2"}, true), logs("string(path_position)")},
       {"1"}},
  };
  for (const Case& k : cases) runCase(k);
}

TEST(ActionLibrary, InstanceMembers) {
  // Objects 1 and 3 of the four exist: the draws among the four repeat until one of them comes up.
  Draws d{12345};
  uint32_t k;
  do k = d.next(4); while (k != 1 && k != 3);
  const std::string randomOne = k == 1 ? "b 5 5 0 0" : "c 5 5";
  const std::vector<Case> cases = {
      {"create absolute", {act("action_create_object", {"1", "10", "20"})}, {"b 10 20 0 0"}},
      {"create relative", {act("action_create_object", {"1", "10", "20"}, true)}, {"b 110 70 0 0"}},
      {"create with motion set before the create event", {act("action_create_object_motion", {"1", "0", "0", "3", "90"})}, {"b 0 0 3 90"}},
      {"create one of the existing ones at random", {act("action_create_object_random", {"99", "1", "-1", "2", "5", "5"})}, {randomOne}},
      {"create random among none: nothing, no message",
       {act("action_create_object_random", {"99", "98", "-1", "-7", "5", "5"}), logs("string(instance_number(all))")}, {"1"}},
      {"create a missing object", {act("action_create_object", {"99", "0", "0"})}, {}, "Creating instance for non-existing object: 99"},
      {"kill self", {act("action_kill_object", {}), logs("string(instance_number(obj_a))")}, {"0"}},
      {"change into another object without its events",
       {act("action_change_object", {"2", "0"}), logs("string(instance_number(obj_c))")}, {"1"}},
      {"change into another object with its events", {act("action_change_object", {"2", "1"})}, {"c 100 50"}},
  };
  for (const Case& c : cases) runCase(c);
}

TEST(ActionLibrary, SpriteMembers) {
  const std::vector<Case> cases = {
      {"sprite_set", {act("action_sprite_set", {"0", "2", "0.5"}), logs("string(sprite_index) + ' ' + string(image_index) + ' ' + string(image_speed)")},
       {"0 2 0.50"}},
      {"sprite_set keeps the frame for a negative subimage",
       {CodeAction("image_index = 1"), act("action_sprite_set", {"0", "-1", "1"}), logs("string(image_index)")}, {"1"}},
      {"set_sprite scales only above 0",
       {act("action_set_sprite", {"0", "2"}), act("action_set_sprite", {"0", "0"}), logs("string(image_xscale) + ' ' + string(image_yscale)")},
       {"2 2"}},
      {"transform mirrored both ways",
       {act("action_sprite_transform", {"2", "3", "45", "3"}), logs("string(image_xscale) + ' ' + string(image_yscale) + ' ' + string(image_angle)")},
       {"-2 -3 45"}},
      {"transform mirrored vertically",
       {act("action_sprite_transform", {"2", "3", "0", "2"}), logs("string(image_xscale) + ' ' + string(image_yscale)")}, {"2 -3"}},
      {"colour and alpha", {act("action_sprite_color", {"255", "0.5"}), logs("string(image_blend) + ' ' + string(image_alpha)")}, {"255 0.50"}},
      {"replace a missing sprite", {act("action_replace_sprite", {"7", "'x.png'", "1"})}, {}, "Trying to replace non-existing resource."},
      {"replace from a missing file", {act("action_replace_sprite", {"0", "'no such file.png'", "1"})}, {}, "File does not exist."},
  };
  for (const Case& c : cases) runCase(c, [](TestGame& g) { g.sprite(0, "spr", 3, 16, 16); });
}

TEST(ActionLibrary, SoundRoomTimingMembers) {
  const std::string timeline = "string(timeline_index) + ' ' + string(timeline_position) + ' ' + string(timeline_running) + ' ' + string(timeline_loop)";
  const std::vector<Case> cases = {
      {"alarm set", {act("action_set_alarm", {"5", "3"}), logs("string(alarm[3])")}, {"5"}},
      {"alarm relative adds to a running alarm",
       {act("action_set_alarm", {"5", "3"}), act("action_set_alarm", {"2", "3"}, true), logs("string(alarm[3])")}, {"7"}},
      {"alarm relative sets a stopped alarm", {act("action_set_alarm", {"10", "4"}, true), logs("string(alarm[4])")}, {"10"}},
      {"alarm numbers outside 0 to 11 do nothing",
       {act("action_set_alarm", {"5", "12"}), act("action_set_alarm", {"5", "-1"}), act("action_set_alarm", {"5", "power(10, 300)"}),
        logs("string(alarm[0]) + ' ' + string(alarm[11])")},
       {"-1 -1"}},
      {"timeline_set: start 0 runs, loop only at 1", {act("action_timeline_set", {"0", "3", "0", "0.9"}), logs(timeline)}, {"0 3 1 0"}},
      {"timeline_set: start 1 waits, loop 1", {act("action_timeline_set", {"0", "3", "1", "1"}), logs(timeline)}, {"0 3 0 1"}},
      {"set_timeline runs it", {act("action_set_timeline", {"0", "2"}), logs(timeline)}, {"0 2 1 0"}},
      {"timeline position rounded, relative adds",
       {act("action_set_timeline_position", {"2.6"}), act("action_set_timeline_position", {"1"}, true), logs("string(timeline_position)")},
       {"4"}},
      {"timeline speed relative", {act("action_set_timeline_speed", {"0.5"}, true), logs("string(timeline_speed)")}, {"1.50"}},
      {"timeline start, pause, stop",
       {act("action_set_timeline", {"0", "5"}), act("action_timeline_pause", {}), logs(timeline), act("action_timeline_start", {}),
        logs(timeline), act("action_timeline_stop", {}), logs(timeline)},
       {"0 5 0 0", "0 5 1 0", "0 0 0 0"}},
      {"a missing sound is not played", {act("action_sound", {"5", "0"})}, {}, "Trying to play non-existing sound."},
      {"a missing sound is not stopped", {act("action_end_sound", {"5"})}, {}, "Trying to stop non-existing sound."},
      {"a missing sound is not playing", {ask("action_if_sound", {"5"}, true), logs("'silent'")}, {"silent"}},
      {"the only room has neither previous nor next",
       {ask("action_if_previous_room", {}), logs("'previous'"), ask("action_if_next_room", {}, true), logs("'no next'")}, {"no next"}},
  };
  for (const Case& c : cases) runCase(c, [](TestGame& g) { g.timeLine("tl", {{10, "x = 1"}}); });
}

// Saving in the create event and loading from an alarm two steps later brings back the score of
// the save; the load happens between steps, and no event runs after it was asked for.
TEST(ActionLibrary, SaveAndLoadTheGame) {
  const std::string file = "action_library_test.sav";
  std::filesystem::remove(file);
  TestGame g;
  g.object("obj_a")
      .action(ev_create, 0, act("action_set_score", {"5"}))
      .action(ev_create, 0, act("action_save_game", {"'" + file + "'"}))
      .action(ev_create, 0, act("action_set_score", {"9"}))
      .action(ev_create, 0, act("action_set_alarm", {"2", "0"}))
      .action(ev_alarm, 0, act("action_load_game", {"'" + file + "'"}))
      .on(ev_step, 0, "test_log(string(score))");
  g.room("rm").place(0, 0, 0, 100001);
  g.writer.last_instance_id = 100001;
  g.run(4);
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(gameLog(), (Log{"9", "5", "5"}));
  std::filesystem::remove(file);
}

TEST(ActionLibrary, QuestionsWithAndWithoutNot) {
  const std::vector<Case> cases = {
      {"if true", {ask("action_if", {"1"}), logs("'yes'")}, {"yes"}},
      {"if false with not", {ask("action_if", {"0"}, true), logs("'yes'")}, {"yes"}},
      {"if true with not", {ask("action_if", {"1"}, true), logs("'yes'")}, {}},
      {"dice of one side is always true", {ask("action_if_dice", {"1"}), logs("'yes'")}, {"yes"}},
      {"dice of a thousand sides with not",
       {ask("action_if_dice", {"1000000"}, true), logs("'no'")},
       {[] {
         Draws d{12345};
         return d.next(1000000000) <= 1000 ? std::vector<std::string>{} : std::vector<std::string>{"no"};
       }()}},
      {"variables of two kinds cannot be compared", {ask("action_if_variable", {"1", "'a'", "0"}), logs("'yes'")}, {}, "Cannot compare arguments."},
      {"strings compare by character codes", {ask("action_if_variable", {"'B'", "'a'", "1"}), logs("'smaller'")}, {"smaller"}},
      {"reals larger", {ask("action_if_variable", {"3", "2", "2"}), logs("'larger'")}, {"larger"}},
      {"an unknown operation is never true", {ask("action_if_variable", {"3", "3", "7"}), logs("'yes'")}, {}},
      {"number of instances", {ask("action_if_number", {"0", "1", "0"}), logs("'one'")}, {"one"}},
      {"empty place", {ask("action_if_empty", {"0", "0", "1"}), logs("'empty'")}, {"empty"}},
      {"collision is the negation of empty", {ask("action_if_collision", {"0", "0", "1"}, true), logs("'free'")}, {"free"}},
      {"aligned on a 10 grid", {ask("action_if_aligned", {"10", "10"}), logs("'aligned'")}, {"aligned"}},
      {"not aligned on a 32 grid", {ask("action_if_aligned", {"32", "0"}, true), logs("'off'")}, {"off"}},
      {"no button held", {ask("action_if_mouse", {"0"}), logs("'none'")}, {"none"}},
      {"left button not held", {ask("action_if_mouse", {"1"}, true), logs("'up'")}, {"up"}},
      {"score equal", {ask("action_if_score", {"0", "0"}), logs("'zero'")}, {"zero"}},
      {"lives smaller", {ask("action_if_life", {"0", "1"}), logs("'none left'")}, {"none left"}},
      {"health larger with not", {ask("action_if_health", {"100", "2"}, true), logs("'full'")}, {"full"}},
  };
  for (const Case& c : cases) runCase(c);
}

TEST(ActionLibrary, ScoreLivesHealthAndCaption) {
  const std::vector<Case> cases = {
      {"score set and added", {act("action_set_score", {"10"}), act("action_set_score", {"5"}, true), logs("string(score)")}, {"15"}},
      {"lives: the event only on crossing below 1",
       {act("action_set_life", {"2"}), act("action_set_life", {"-1"}, true), logs("string(lives)"), act("action_set_life", {"-1"}, true),
        logs("string(lives)"), act("action_set_life", {"-3"}), logs("string(lives)")},
       {"1", "no more lives", "0", "-3"}},
      {"health: the event only on falling to 0 or less",
       {act("action_set_health", {"50"}), act("action_set_health", {"-50"}, true), logs("string(health)"),
        act("action_set_health", {"-5"}), logs("string(health)")},
       {"no more health", "0", "-5"}},
      {"caption flags only at exactly 1",
       {act("action_set_caption", {"1", "'S:'", "0.9", "'L:'", "1", "'H:'"}),
        logs("string(show_score) + string(show_lives) + string(show_health) + caption_score + caption_lives + caption_health")},
       {"101S:L:H:"}},
  };
  for (const Case& c : cases)
    runCase(c, [](TestGame& g) {
      g.objects[0].on(ev_other, ev_no_more_lives, "test_log('no more lives')").on(ev_other, ev_no_more_health, "test_log('no more health')");
    });
}

TEST(ActionLibrary, CodeMembers) {
  const std::vector<Case> cases = {
      {"a script's result and arguments",
       {act("action_execute_script", {"0", "2", "3", "0", "0", "0"}), logs("string(x)")}, {"5"}},
      {"a missing script", {act("action_execute_script", {"9", "0", "0", "0", "0", "0"})}, {}, "Trying to execute non-existing script."},
  };
  for (const Case& c : cases)
    runCase(c, [](TestGame& g) {
      code::CScript script;
      script.text = "x = argument0 + argument1;";
      code::WriteScriptRecord(g.writer.Record(data::ChunkId::Scripts, 0, "scr_add"), script);
    });
}

// The actions' particle system is the first system made (index 0); its emitter region and effects
// take positions relative to the instance at (100, 50).
TEST(ActionLibrary, ParticleMembers) {
  const CAction type = act("action_parttype_create", {"0", "1", "-1", "1", "1", "0"});
  const std::vector<Case> cases = {
      {"a burst in a relative region",
       {act("action_partsyst_create", {"5"}), type, act("action_partemit_create", {"0", "0", "10", "20", "30", "40"}, true),
        act("action_partemit_burst", {"0", "0", "7"}),
        logs("string(part_particles_count(0)) + ' ' + string(part_system_exists(0))")},
       {"7 1"}},
      {"a stream runs with each update",
       {type, act("action_partemit_create", {"3", "1", "0", "10", "0", "10"}), act("action_partemit_stream", {"3", "0", "2"}),
        CodeAction("part_system_update(0); part_system_update(0); test_log(string(part_particles_count(0)))")},
       {"4"}},
      {"a burst from an emitter not created", {type, act("action_partemit_burst", {"2", "0", "5"})}, {},
       "The particle emitter must first be created."},
      {"numbers outside 0 to 15 do nothing",
       {act("action_parttype_create", {"16", "1", "-1", "1", "1", "0"}), act("action_partemit_create", {"-1", "0", "0", "1", "0", "1"}),
        logs("string(part_type_exists(0)) + ' ' + string(part_emitter_exists(0, 0))")},
       {"0 0"}},
      {"death particles by action type numbers",
       {type, act("action_parttype_create", {"1", "4", "-1", "1", "1", "0"}), act("action_parttype_life", {"0", "1", "1"}),
        act("action_parttype_secondary", {"0", "0", "0", "1", "3"}), act("action_partemit_create", {"0", "0", "0", "0", "0", "0"}),
        act("action_partemit_burst", {"0", "0", "2"}), CodeAction("part_system_update(0); test_log(string(part_particles_count(0)))")},
       {"6"}},
      {"an effect above, relative",
       {act("action_effect", {"0", "0", "0", "1", "255", "1"}, true),
        logs("string(part_particles_count(1)) + ' ' + string(part_particles_count(0))")},
       {"21 0"}},
  };
  for (const Case& c : cases) runCase(c);
}

// The message and question actions answered from the dialog queue (the tests run headless).
TEST(ActionLibrary, MessageAndQuestionActions) {
  windows::SetScriptedAnswers("enter;button:1;button:3;key:y");
  const std::vector<Case> cases = {
      {"a message", {act("action_message", {"'hello'"}), logs("'after'")}, {"after"}},
      {"yes", {ask("action_if_question", {"'Go?'"}), logs("'yes'")}, {"yes"}},
      {"no", {ask("action_if_question", {"'Go?'"}), logs("'yes'")}, {}},
      {"not, and Yes has no accelerator", {ask("action_if_question", {"'Go?'"}, true), logs("'no'")}, {"no"}},
  };
  for (const Case& c : cases) runCase(c);
  EXPECT_FALSE(windows::ScriptedAnswersWaiting());
}

// The splash actions report what they cannot show.
TEST(ActionLibrary, SplashActionsReportWhatTheyCannotShow) {
  const std::vector<Case> cases = {
      {"a missing text", {act("action_splash_text", {"'no such story.txt'"})}, {}, "Text file not found."},
      {"a missing image", {act("action_splash_image", {"'no such title.png'"})}, {}, "Image file not found."},
      {"a missing video", {act("action_splash_video", {"'no such intro.avi'", "0"})}, {}, "Video file not found (or name too long)."},
      {"the older video form", {act("action_show_video", {"'no such intro.avi'", "1", "0"})}, {}, "Video file not found (or name too long)."},
      {"no address", {act("action_splash_web", {"''", "0"})}, {}, "Web page not found."},
  };
  for (const Case& c : cases) runCase(c);
}

// Arguments from stored games and from code: wrong kinds, huge numbers and missing resources give
// the member's message or do nothing.
TEST(ActionLibrary, BadArgumentsGiveTheMessageOrDoNothing) {
  const std::vector<Case> cases = {
      {"action_move with a number for its keys", {act("action_move", {"5", "3"}), logs("string(speed)")}, {"0"},
       "Wrong argument to action_move()."},
      {"a huge alarm number", {act("action_set_alarm", {"5", "-power(10, 300)"}), logs("string(alarm[0])")}, {"-1"}},
      {"creating a missing object with motion", {act("action_create_object_motion", {"power(10, 300)", "0", "0", "1", "1"}), logs("string(instance_count)")},
       {"1"}, "Creating instance for non-existing object"},
      {"a dice of fewer than one side", {ask("action_if_dice", {"-5"}), logs("'yes'")}, {"yes"}},
      {"a dice of huge sides draws without overflow", {ask("action_if_dice", {"power(10, 300)"}, true), logs("'no'")}, {"no"}},
      {"equal strings", {ask("action_if_variable", {"'a'", "'a'", "0"}), logs("'same'")}, {"same"}},
      {"a huge script number", {act("action_execute_script", {"power(10, 300)", "0", "0", "0", "0", "0"})}, {}, "Trying to execute non-existing script."},
      {"a missing sprite", {act("action_sprite_set", {"99", "0", "1"}), logs("string(sprite_index)")}, {"-1"},
       "Setting instance to non-existing sprite: 99"},
      {"replacing a missing sound", {act("action_replace_sound", {"-1", "'x.wav'"})}, {}, "Trying to replace non-existing resource."},
      {"a negative life count", {act("action_set_life", {"-power(10, 300)"}, true), logs("string(lives < 1)")}, {"1"}},
  };
  for (const Case& c : cases) runCase(c);
}

TEST(ActionLibrary, MembersThatDoNothingReportNothing) {
  TestGame g;
  g.object("obj_a")
      .action(ev_create, 0, act("action_path_old", {"0", "1", "0"}))
      .action(ev_create, 0, act("action_draw_font", {"0"}))
      .action(ev_create, 0, act("action_fill_color", {"255"}))
      .action(ev_create, 0, act("action_line_color", {"255"}))
      .action(ev_create, 0, act("action_highscore", {}))
      .on(ev_create, 0, "test_log('done')");
  g.room("rm").place(0, 0, 0, 100001);
  g.writer.last_instance_id = 100001;
  g.run(0);
  EXPECT_EQ(gameLog(), Log{"done"});
  EXPECT_FALSE(code::errorState().occurred) << code::errorState().last;
}

}  // namespace
}  // namespace qv::world
