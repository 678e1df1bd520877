// The drawing members in a draw event of a written game, drawn headless through the real OpenGL
// device: shapes in the drawing colour, positions relative to the instance, gradients, the health
// bar, life images, a sprite, a value and the score as text. The picture is compared with a
// reviewed PNG in tests/golden/, and the pixels the members fix are asserted as well.
#include <gtest/gtest.h>

#include "game/game_loop.h"
#include "graphics/draw_test_support.h"
#include "world/game_world.h"
#include "world/object.h"
#include "world/room_drawing.h"
#include "../world/world_game.h"
#include "function_action.h"

namespace qv::world {
namespace {

using graphics::display;
using testing::TestGame;

class DrawingActions : public ::testing::Test {
 protected:
  void SetUp() override {
    graphics::drawtest::ResetDrawing();
    window_ = platform::GameWindow::Open(640, 480);
    if (!window_) GTEST_SKIP() << "no OpenGL 3.3 window available";
    display().bindWindow(window_.get());
    if (!display().createDevice(640, 480, false)) GTEST_SKIP() << "no OpenGL device";
    display().interpolation = false;
    display().applyRenderStates();
  }
  void TearDown() override {
    if (started_) EndGame();
    graphics::drawtest::ResetDrawing();
    window_.reset();
  }
  data::TBitmap32 DrawFirstRoom(TestGame& g) {
    EXPECT_TRUE(g.load());
    for (int i = 0; i < graphics::sprites().count(); ++i)
      if (auto* s = graphics::sprites().get(i)) graphics::CreateSpriteTextures(*s);
    StartGame();
    started_ = true;
    display().beginFrame();
    DrawCurrentRoom();
    display().device()->endScene();
    return display().capture(0, 0, display().regionWidth, display().regionHeight);
  }
  std::unique_ptr<platform::GameWindow> window_;
  bool started_ = false;
};

TEST_F(DrawingActions, ShapesBarsImagesAndTextInTheDrawEvent) {
  TestGame g;
  g.colourSprite(0, "spr_life", 8, 8, 0xFFFF00FF);
  auto& o = g.object("obj_painter");
  o.action(ev_create, 0, act("action_set_health", {"50"})).action(ev_create, 0, act("action_set_life", {"3"}));
  const std::vector<CAction> draws = {
      act("action_color", {"255"}),  // red (0xBBGGRR)
      act("action_draw_rectangle", {"0", "0", "20", "20", "1"}, true),
      act("action_color", {"65280"}),  // lime
      act("action_draw_ellipse", {"40", "10", "70", "30", "1"}),
      act("action_draw_gradient_hor", {"80", "10", "110", "30", "255", "16711680"}),
      act("action_draw_gradient_vert", {"120", "10", "150", "30", "16777215", "0"}),
      act("action_color", {"16776960"}),  // aqua
      act("action_draw_line", {"0", "40", "150", "40"}),
      act("action_draw_arrow", {"0", "50", "60", "50", "10"}),
      act("action_draw_rectangle", {"0", "-10", "20", "-5", "0"}, true),
      act("action_draw_health", {"80", "50", "150", "60", "1", "0"}),
      act("action_draw_health", {"130", "70", "150", "90", "17", "0"}),  // no menu entry 17: nothing
      act("action_draw_health", {"130", "70", "150", "90", "1", "18"}),  // no bar colour 18: nothing
      act("action_draw_life_images", {"0", "70", "0"}),
      act("action_draw_sprite", {"0", "40", "70", "0"}),
      act("action_color", {"16777215"}),
      act("action_draw_variable", {"2.5", "60", "80"}),
      act("action_draw_score", {"100", "80", "'S:'"}),
  };
  for (const CAction& a : draws) o.action(ev_draw, 0, a);
  auto& r = g.room("rm");
  r.room.width = 160;
  r.room.height = 100;
  r.room.backgroundColor = 0x404040;
  r.room.drawBackgroundColor = true;
  r.place(0, 10, 10, 100001);
  g.writer.last_instance_id = 100001;
  const data::TBitmap32 shot = DrawFirstRoom(g);
  ASSERT_EQ(shot.width, 160);
  ASSERT_EQ(shot.height, 100);
  const uint32_t grey = 0xFF404040, red = 0xFFFF0000, lime = 0xFF00FF00, aqua = 0xFF00FFFF, magenta = 0xFFFF00FF;
  EXPECT_EQ(shot.pixel(15, 15), red) << "a filled rectangle relative to the instance at (10, 10)";
  EXPECT_EQ(shot.pixel(5, 5), grey);
  EXPECT_EQ(shot.pixel(55, 20), lime) << "a filled ellipse";
  EXPECT_EQ(shot.pixel(41, 11), grey) << "outside the ellipse, inside its box";
  const uint32_t left = shot.pixel(81, 20), right = shot.pixel(109, 20);
  EXPECT_GT((left >> 16) & 0xFF, 0xE0u) << "colour 1 on the left";
  EXPECT_GT(right & 0xFF, 0xE0u) << "colour 2 on the right";
  EXPECT_GT(shot.pixel(135, 11) & 0xFF, 0xE0u) << "colour 1 at the top";
  EXPECT_LT(shot.pixel(135, 29) & 0xFF, 0x20u) << "colour 2 at the bottom";
  EXPECT_EQ(shot.pixel(75, 40), aqua) << "the line";
  EXPECT_EQ(shot.pixel(20, 0), aqua) << "a relative outline: its top edge at y 0";
  EXPECT_EQ(shot.pixel(20, 2), grey) << "an outline is not filled";
  // The bar: the black back over the box, the left half in the colour between red and lime.
  EXPECT_EQ(shot.pixel(140, 55), 0xFF000000u);
  const uint32_t bar = shot.pixel(95, 55);
  EXPECT_NEAR(double((bar >> 16) & 0xFF), 128, 2);
  EXPECT_NEAR(double((bar >> 8) & 0xFF), 128, 2);
  EXPECT_EQ(bar & 0xFF, 0u);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(shot.pixel(4 + 8 * k, 74), magenta) << "life image " << k;
  EXPECT_EQ(shot.pixel(28, 74), grey) << "three lives, three images";
  EXPECT_EQ(shot.pixel(44, 74), magenta) << "the sprite";
  EXPECT_EQ(shot.pixel(140, 72), grey) << "colour numbers outside the menu draw nothing";
  // Shows, on dark grey: a red square at the top left (with an aqua outline above it), a lime
  // ellipse, a red-to-blue and a white-to-black gradient, an aqua line and arrow, a half-full
  // olive bar on black, three magenta squares and a fourth apart, "2.50" and "S:0" in white.
  ExpectGolden("action_drawing_members", shot);
}

}  // namespace
}  // namespace qv::world
