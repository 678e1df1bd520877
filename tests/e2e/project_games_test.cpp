// Small games kept as project folders in tests/games/, each built by the real qvpack and played
// headless by the real runner. A game prints what it sees with show_debug_message (stdout in
// headless runs); the expected lines follow from the rules of the world, step by step.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "graphics/bitmap_ops.h"
#include "support/whole_file.h"

namespace fs = std::filesystem;
using qv::testing::ReadWholeFile;

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

const fs::path kGames = fs::path(QV_SOURCE_DIR) / "tests" / "games";

fs::path scratch(const std::string& name) {
  fs::path d = fs::temp_directory_path() / ("qv_project_games_" + name);
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

Outcome shell(const fs::path& dir, const std::string& command) {
  const int raw = std::system(("cd '" + dir.string() + "' && " + command + " >out.txt 2>err.txt").c_str());
  Outcome r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  r.out = ReadWholeFile(dir / "out.txt");
  r.err = ReadWholeFile(dir / "err.txt");
  return r;
}

Outcome build(const fs::path& dir, const fs::path& project) {
  return shell(dir, "'" QV_PACK_PATH "' build '" + project.string() + "' -o game");
}

// Plays the built game in `dir` with the automation variables in `env`.
Outcome play(const fs::path& dir, const std::string& env) {
  return shell(dir, "env QUORVANE_HEADLESS=1 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy " + env + " ./game");
}

struct GameCase {
  const char* folder;
  const char* env;
  const char* expected;  // the game's debug messages, one a line
};

void PrintTo(const GameCase& c, std::ostream* os) { *os << c.folder; }

class ProjectGame : public ::testing::TestWithParam<GameCase> {};

TEST_P(ProjectGame, PrintsWhatTheWorldRulesSay) {
  const GameCase& c = GetParam();
  const fs::path dir = scratch(c.folder);
  const Outcome built = build(dir, kGames / c.folder);
  ASSERT_EQ(built.status, 0) << built.err;
  EXPECT_EQ(built.err, "");
  const Outcome played = play(dir, c.env);
  EXPECT_EQ(played.status, 0) << played.err;
  EXPECT_EQ(played.err, "");
  EXPECT_EQ(played.out, c.expected);
  fs::remove_all(dir);
}

const GameCase kGamesPlayed[] = {
    // A hunter finds its way around a wall on a grid of 20 x 20 cells (the wall's instances forbid
    // column 4, rows 0 to 3): down the left side, through the gap in the bottom rows, up the right
    // side; its 240 pixels take 60 steps at speed 4. A goal on the wall finds no route. A stepper
    // takes straight steps of 4 from x 30 to 70 and reaches it in its tenth step.
    {"chase_around_walls", "QUORVANE_STEPS=75",
     "route 1: 30,30 30,50 30,70 30,90 50,90 70,90 90,90 110,90 110,70 110,50 110,30 130,30 150,30\n"
     "walled in: 0\nstepper at 50 reached 0 after 5\nstepper at 70 reached 1 after 10\n"
     "hunter at 90.00,90 after 30\nhunter at 150,30 after 70\n"},
    // Entering a room ends with the room drawn once when no room change is pending and automatic
    // drawing is on: the draw events run in depth order (5 before -5) and the instance list takes
    // that order, so the first step's events already visit 100002 first. The second room asks for
    // the third in its room start event, so it is not drawn; the third turns automatic drawing
    // off in a create event and is drawn neither on entry nor in its step.
    {"draw_on_room_entry", "QUORVANE_STEPS=3",
     "room start 100001\nroom start 100002\ndraw 100002\ndraw 100001\n"
     "begin step 100002\nbegin step 100001\n"
     "room start hop\nroom start quiet\nbegin step quiet\n"},
    // A restart clears the global variables and the declared-global flags: the second game finds
    // no global, and `shared`, declared global by the first game, is the instance's own again.
    {"restart_clears_globals", "QUORVANE_STEPS=1",
     "no global visits\nno global visits\nshared: global 0, own 1\n"},
    // Resource names are constants in code, looked up by kind in the order object, sprite, sound,
    // background, path, font, time line, script, room, trigger; any resource name hides a game
    // constant of the same name (the game defines spr_ship = 99).
    {"resource_names", "QUORVANE_STEPS=1",
     "object 1\nsprite 3\nsound 2\nbackground 4\npath 1\nfont 2\ntime line 1\nscript 1\nroom 2\n"
     "trigger 1\nsprite before background 5\nsound before path 4\nfont before time line 3\n"},
    // argument_relative is the running action's relative option when it may be relative: read by a
    // code action's code and by a script that a function action calls.
    {"argument_relative", "QUORVANE_STEPS=1",
     "code, relative: 1\ncode, not relative: 0\nfunction, relative: 1\ncode that cannot be relative: 0\n"
     "function, not relative: 0\n"},
    // Right held from step 1 sends the walker to the second room; entering a room clears the
    // keyboard, so neither its room start event nor its first step sees the key held or pressed.
    {"input_on_room_entry", "QUORVANE_STEPS=2 QUORVANE_INPUT=1:keydown:39",
     "one: right held, going\ntwo, room start: held 0, pressed 0\ntwo, step: held 0, pressed 0\n"},
    // F5 before step 2 saves (its press and release events run in that step); F6 before step 4
    // asks for the load, which ends step 4 at the function keys. The loop clears the input before
    // it loads, so step 5 sees no press or release of F6.
    {"input_on_load", "QUORVANE_STEPS=5 'QUORVANE_INPUT=2:keydown:116;2:keyup:116;4:keydown:117;4:keyup:117'",
     "step: F6 pressed 0, released 0\nstep: F6 pressed 0, released 0\nF5 press\nF5 release\n"
     "step: F6 pressed 0, released 0\nstep: F6 pressed 0, released 0\n"},
    // The project gives no last_instance_id: it is the largest placed id, and the placed instance
    // without an id gets the next one (100008), so the instance made at run time gets 100009.
    {"instance_ids", "QUORVANE_STEPS=1", "spawner 100008\ncreated 100009\n"},
};

INSTANTIATE_TEST_SUITE_P(Games, ProjectGame, ::testing::ValuesIn(kGamesPlayed),
                         [](const ::testing::TestParamInfo<GameCase>& info) { return std::string(info.param.folder); });

// A stated last_instance_id below a placed id is refused, naming the room file and the instance.
TEST(ProjectGames, AStatedLastInstanceIdBelowAPlacedIdIsRefused) {
  const fs::path dir = scratch("instance_ids_stated");
  fs::copy(kGames / "instance_ids", dir / "proj", fs::copy_options::recursive);
  std::string game = ReadWholeFile(dir / "proj" / "game.json");
  game.replace(game.find("\"room_order\""), 0, "\"last_instance_id\": 100005,\n  ");
  std::ofstream(dir / "proj" / "game.json", std::ios::binary) << game;
  const Outcome built = build(dir, "proj");
  EXPECT_EQ(built.status, 1);
  EXPECT_NE(built.err.find("proj/rooms/rm_only.json:4:51: error: instances[1].id: the instance id 100007 is above "
                           "last_instance_id 100005 of game.json"),
            std::string::npos)
      << built.err;
  // The instance without an id gets 100008, above the stated value as well.
  EXPECT_NE(built.err.find("proj/rooms/rm_only.json:5:5: error: instances[2].id: the instance id 100008"), std::string::npos) << built.err;
  EXPECT_FALSE(fs::exists(dir / "game"));
  fs::remove_all(dir);
}

// A name that code reads but nothing assigns, and that is no resource, constant or built-in, is a
// warning with its place; the game is built all the same. Names assigned by =, var, globalvar,
// variable_global_set or a variable action, resource names and the game's constants are not.
TEST(ProjectGames, QvpackWarnsAboutNamesReadButNeverAssigned) {
  const fs::path dir = scratch("misspelt_name");
  const fs::path project = kGames / "misspelt_name";
  const Outcome built = build(dir, project);
  EXPECT_EQ(built.status, 0) << built.err;
  const std::string tail = "\" is read but no code assigns it, and it names no resource, constant, built-in variable or script\n";
  EXPECT_EQ(built.err, project.generic_string() + "/objects/obj_scorer/step.txt:7:64: warning: \"scroe" + tail +
                           project.generic_string() +
                           "/objects/obj_scorer.json: events[0].actions[1].arguments[1]:1:1: warning: \"stars_max" + tail);
  EXPECT_TRUE(fs::exists(dir / "game"));
  fs::remove_all(dir);
}

// QUORVANE_SCREENSHOT_STEP with a list writes one PNG per step, the step number in its name. The
// painter sets the background to red 40 per step before the step's drawing.
TEST(ProjectGames, ScreenshotsOfSeveralStepsInOneRun) {
  const fs::path dir = scratch("screenshot_steps");
  ASSERT_EQ(build(dir, kGames / "screenshot_steps").status, 0);
  const Outcome played = play(dir, "QUORVANE_STEPS=4 QUORVANE_SCREENSHOT=frame.png 'QUORVANE_SCREENSHOT_STEP=1, 3'");
  EXPECT_EQ(played.status, 0) << played.err;
  EXPECT_EQ(played.err, "");
  EXPECT_FALSE(fs::exists(dir / "frame.png"));
  for (auto [step, red] : {std::pair{1, 40u}, std::pair{3, 120u}}) {
    const std::string png = ReadWholeFile(dir / ("frame-" + std::to_string(step) + ".png"));
    auto image = qv::graphics::DecodeImage(reinterpret_cast<const uint8_t*>(png.data()), png.size(), ".png");
    ASSERT_TRUE(image.has_value()) << "step " << step;
    EXPECT_EQ(image->pixel(10, 10) & 0xFFFFFFu, red << 16) << "step " << step;
  }
  EXPECT_FALSE(fs::exists(dir / "frame-2.png"));
  // A list that is not one of step numbers is reported, and no frame is written.
  const Outcome wrong = play(dir, "QUORVANE_STEPS=1 QUORVANE_SCREENSHOT=bad.png QUORVANE_SCREENSHOT_STEP=1,x");
  EXPECT_EQ(wrong.err, "QUORVANE_SCREENSHOT_STEP: \"x\" is not a step number (1 or more)\n");
  EXPECT_FALSE(fs::exists(dir / "bad.png"));
  fs::remove_all(dir);
}

// A mini map drawn into a surface and shown stretched; a room change through a transition the game
// defines with a script (run once per frame with the two pictures, the size and the fraction, by
// a temporary instance of id 0; both pictures are gone afterwards); then a defined transition whose
// script fails: reported once per frame, and the game goes on into the next room.
TEST(ProjectGames, SurfacesAndTransitions) {
  const fs::path dir = scratch("surfaces_and_transitions");
  const Outcome built = build(dir, kGames / "surfaces_and_transitions");
  ASSERT_EQ(built.status, 0) << built.err;
  const Outcome played = play(dir, "QUORVANE_STEPS=5 QUORVANE_SCREENSHOT=map.png QUORVANE_SCREENSHOT_STEP=1");
  EXPECT_EQ(played.status, 0) << played.err;
  EXPECT_EQ(played.out,
            "mini map surface 0\n"
            "mini map pixels 16711680 255\n"  // blue in the middle, red at the edge (script colours)
            "defined 1 1\n"
            "leaving the map\n"
            "town starts\n"
            "wipe 0 of 160x120, pictures 1 2, self 0\n"
            "wipe 0.25 of 160x120, pictures 1 2, self 0\n"
            "wipe 0.50 of 160x120, pictures 1 2, self 0\n"
            "wipe 0.75 of 160x120, pictures 1 2, self 0\n"
            "wipe 1 of 160x120, pictures 1 2, self 0\n"
            "town step: pictures 00, mini map 1, kind 0\n"
            "the end starts, steps 1\n"
            "broken 0\n"
            "broken 1\n");
  const std::string failure = "ERROR in transition function scr_broken\nIn script scr_broken:\n";
  const size_t first = played.err.find(failure);
  ASSERT_NE(first, std::string::npos) << played.err;
  EXPECT_NE(played.err.find(failure, first + 1), std::string::npos) << "once for each of the two frames";
  EXPECT_NE(played.err.find("Wrong type of arguments to +."), std::string::npos);
  const std::string png = ReadWholeFile(dir / "map.png");
  auto image = qv::graphics::DecodeImage(reinterpret_cast<const uint8_t*>(png.data()), png.size(), ".png");
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->pixel(4, 4), 0xFFFF0000u) << "the mini map's red, doubled";
  EXPECT_EQ(image->pixel(30, 30), 0xFF0000FFu) << "its blue square, doubled to 20..39";
  fs::remove_all(dir);
}

}  // namespace
