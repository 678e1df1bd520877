// Values at the edge of what a real or a 32-bit integer holds, set by game code or read from a saved
// game, on their way to the movement, the collision tests and the room drawing through the real
// OpenGL device. Each must have a defined result: the sanitizer build stops on any undefined
// behaviour, and every build checks that the game is still running.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>

#include "code/errors.h"
#include "graphics/draw_test_support.h"
#include "system/secure_mode.h"
#include "world/game_world.h"
#include "world/room_drawing.h"
#include "world/saved_game.h"
#include "world/transfer.h"
#include "world_game.h"

namespace qv::world {
namespace {

namespace fs = std::filesystem;
using graphics::display;
using testing::TestGame;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The values, and how game code writes each (NaN and the infinities come from arithmetic).
struct Extreme {
  double value;
  const char* code;
};
const Extreme kExtremes[] = {
    {kNaN, "(1e308 * 10) - (1e308 * 10)"}, {kInf, "1e308 * 10"}, {-kInf, "-1e308 * 10"},
    {1e27, "1e27"}, {-1e27, "-1e27"}, {-2147483648.0, "-2147483648"}, {2147483648.0, "2147483648"},
};

class ExtremeValues : public ::testing::Test {
 protected:
  void SetUp() override {
    graphics::drawtest::ResetDrawing();
    window_ = platform::GameWindow::Open(320, 240);
    if (!window_) GTEST_SKIP() << "no OpenGL 3.3 window available";
    display().bindWindow(window_.get());
    if (!display().createDevice(320, 240, false)) GTEST_SKIP() << "no OpenGL device";
    display().applyRenderStates();
    dir_ = fs::temp_directory_path() / ("qv_extreme_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                                        "_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (started_) EndGame();
    graphics::drawtest::ResetDrawing();
    window_.reset();
    fs::remove_all(dir_);
  }

  // Two objects with sprites of two frames, solid, with collision events between them, in a room
  // with views following the first; the game is started and drawn once.
  void start() {
    g_.sprite(0, "spr", 2, 16, 16);
    auto& a = g_.object("obj_a");
    a.object.sprite = 0;
    a.object.solid = true;
    a.on(ev_collision, 1, "hits += 1").on(ev_create, 0, "hits = 0");
    auto& b = g_.object("obj_b");
    b.object.sprite = 0;
    b.on(ev_collision, 0, "x += 1");
    auto& r = g_.room("rm").place(0, 40, 40, 100001).place(1, 48, 40, 100002);
    r.room.width = 320;
    r.room.height = 240;
    r.room.viewsEnabled = true;
    r.room.views[0].visible = true;
    r.room.views[0].object = 0;
    r.room.views[0].hborder = r.room.views[0].vborder = 32;
    r.room.views[0].hspeed = r.room.views[0].vspeed = -1;
    ASSERT_TRUE(g_.load());
    for (int i = 0; i < graphics::sprites().count(); ++i)
      if (auto* s = graphics::sprites().get(i)) graphics::CreateSpriteTextures(*s);
    system::SetSecureMode(false);
    StartGame();
    started_ = true;
    display().automaticDraw = true;
  }

  // Steps the game `n` times (each step moves, tests collisions and draws the room).
  void steps(int n) {
    for (int i = 0; i < n; ++i) Step();
  }

  TestGame g_;
  fs::path dir_;
  std::unique_ptr<platform::GameWindow> window_;
  bool started_ = false;
};

// Every variable of the instance and the views that reaches movement, collisions or drawing.
TEST_F(ExtremeValues, SetByGameCodeTheyMoveCollideAndDraw) {
  start();
  const char* variables[] = {
      "x", "y", "hspeed", "vspeed", "speed", "direction", "friction", "gravity", "gravity_direction",
      "image_index", "image_speed", "image_xscale", "image_yscale", "image_angle", "image_alpha", "image_blend",
      "depth", "sprite_index", "mask_index", "view_xview[0]", "view_yview[0]", "view_wview[0]", "view_hview[0]",
      "view_xport[0]", "view_wport[0]", "view_hborder[0]", "view_hspeed[0]", "view_angle[0]",
      "background_x[0]", "background_hspeed[0]", "background_xscale[0]", "background_alpha[0]",
  };
  CInstance* a = CurrentRoom().FindById(100001);
  ASSERT_NE(a, nullptr);
  for (const char* variable : variables) {
    for (const Extreme& e : kExtremes) {
      code::ResetErrorState();
      RunCreationCode(std::string(variable) + " = " + e.code + "; background_visible[0] = 1", "test", a);
      steps(2);
      // Back to ordinary values, so that each case starts from a drawable game.
      RunCreationCode("x = 40; y = 40; speed = 0; friction = 0; gravity = 0; image_index = 0; image_speed = 0;"
                      "image_xscale = 1; image_yscale = 1; image_angle = 0; image_alpha = 1; image_blend = c_white;"
                      "depth = 0; sprite_index = 0; mask_index = -1; view_wview[0] = 320; view_hview[0] = 240;"
                      "view_xview[0] = 0; view_yview[0] = 0; view_xport[0] = 0; view_wport[0] = 320;"
                      "view_hborder[0] = 32; view_hspeed[0] = -1; view_angle[0] = 0",
                      "test", a);
      ASSERT_NE(CurrentRoom().FindById(100001), nullptr) << variable << " = " << e.code;
    }
  }
}

// A saved game holds whatever its writer put there: room sizes, view sizes and instance fields are
// read back as they are and the room is drawn with them.
TEST_F(ExtremeValues, LoadedFromASavedGameTheyDraw) {
  start();
  struct RealCase {
    const char* what;
    void (*set)(CInstance& in, double v);
  };
  const RealCase reals[] = {
      {"image index", [](CInstance& in, double v) { in.imageIndex = v; }},
      {"image speed", [](CInstance& in, double v) { in.imageSpeed = v; }},
      {"position", [](CInstance& in, double v) { in.x = in.y = v; }},
      {"scale and angle", [](CInstance& in, double v) { in.imageXscale = in.imageYscale = in.imageAngle = v; }},
      {"motion", [](CInstance& in, double v) { in.speed = in.hspeed = in.vspeed = in.direction = in.gravity = v; }},
      {"depth", [](CInstance& in, double v) { in.depth = v; }},
  };
  struct IntegerCase {
    const char* what;
    void (*set)(CRoom& room, int32_t v);
  };
  const IntegerCase integers[] = {
      {"room width", [](CRoom& r, int32_t v) { r.width = v; }},
      {"room height", [](CRoom& r, int32_t v) { r.height = v; }},
      {"view size", [](CRoom& r, int32_t v) { r.views[0].wview = r.views[0].hview = v; }},
      {"view position", [](CRoom& r, int32_t v) { r.views[0].xview = r.views[0].yview = v; }},
      {"view port", [](CRoom& r, int32_t v) { r.views[0].xport = r.views[0].wport = r.views[0].hport = v; }},
      {"view border and speed", [](CRoom& r, int32_t v) { r.views[0].hborder = r.views[0].hspeed = v; }},
  };
  const fs::path file = dir_ / "extreme.sav";
  // Saves the game changed by `change`, starts the room afresh, loads the file and plays two steps.
  auto saveLoadAndPlay = [&](const std::function<void()>& change, const std::string& what) {
    change();
    ASSERT_TRUE(SaveGame(file.string())) << what;
    RequestRoom(0, 0);
    ASSERT_TRUE(HandleTransfer());
    code::ResetErrorState();
    ASSERT_TRUE(LoadGame(file.string())) << what;
    steps(2);
    ASSERT_NE(CurrentRoom().FindById(100001), nullptr) << what;
    RequestRoom(0, 0);
    ASSERT_TRUE(HandleTransfer());
  };
  for (const RealCase& c : reals)
    for (const Extreme& e : kExtremes)
      saveLoadAndPlay([&] { c.set(*CurrentRoom().FindById(100001), e.value); }, std::string(c.what) + " = " + e.code);
  for (const IntegerCase& c : integers)
    for (int32_t v : {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 0, -1})
      saveLoadAndPlay([&] { c.set(CurrentRoom(), v); }, std::string(c.what) + " = " + std::to_string(v));
}

}  // namespace
}  // namespace qv::world
