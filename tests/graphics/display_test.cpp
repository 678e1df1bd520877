// The window state, the drawing rectangle, the mouse mappings and the device's frame cycle (on the
// recording device, so everything is exact and needs no display).
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/builtins.h"
#include "graphics/sprite_drawing.h"
#include "graphics/surface.h"
#include "graphics_test_support.h"

namespace qv::graphics {
namespace {

using namespace testing;
using platform::Rect;

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetGraphics(); }
  void TearDown() override { ResetGraphics(); }
  Display& d = display();
};

bool SameRect(const Rect& a, const Rect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

TEST_F(DisplayTest, DrawingRectangleForEachScaleMode) {
  d.regionWidth = 320;
  d.regionHeight = 240;
  d.clientWidth = 800;
  d.clientHeight = 500;
  struct Case {
    double scale;
    Rect rect;
  };
  const Case cases[] = {
      {0.0, {0, 0, 800, 500}},      // stretch: the whole client area
      {1.0, {240, 130, 320, 240}},  // fixed, centred
      {2.0, {80, 10, 640, 480}},
      {-1.0, {66, 0, 667, 500}},     // keep aspect: s = min(2.5, 2.0833); 666.67 rounds to 667
      {3.0, {-80, -110, 960, 720}},  // larger than the window: div truncates towards zero
  };
  for (const Case& c : cases) {
    d.regionScale = c.scale;
    const Rect r = d.drawingRect();
    EXPECT_TRUE(SameRect(r, c.rect)) << c.scale << ": " << r.x << "," << r.y << " " << r.width << "x" << r.height;
  }
  // Whole multiples (the player's integer scaling): the largest that fits, centred, and the mouse
  // maps through the same scale; below 1 the fitting fraction.
  d.regionScale = -1;
  d.integerScaling = true;
  EXPECT_TRUE(SameRect(d.drawingRect(), Rect{80, 10, 640, 480}));  // 2.0833 -> 2
  EXPECT_EQ(d.windowToRegion(80, 10), (Point{0, 0}));
  EXPECT_EQ(d.windowToRegion(719, 489), (Point{320, 240}));  // (719 - 80) / 2 = 319.5 rounds up
  EXPECT_EQ(d.regionToWindow(160, 120), (Point{400, 250}));
  d.clientWidth = 1000;
  d.clientHeight = 740;
  EXPECT_TRUE(SameRect(d.drawingRect(), Rect{20, 10, 960, 720}));  // 3.0833 -> 3
  d.clientWidth = 160;
  d.clientHeight = 200;
  EXPECT_TRUE(SameRect(d.drawingRect(), Rect{0, 40, 160, 120}));  // 0.5 stays 0.5
  // A fixed scale of the game is kept as it is.
  d.regionScale = 1.0;
  EXPECT_TRUE(SameRect(d.drawingRect(), Rect{-80, -20, 320, 240}));
  d.integerScaling = false;
  // A region of 0 (from a room without size) never divides by zero.
  d.regionWidth = 0;
  d.regionScale = -1;
  EXPECT_GT(d.drawingRect().width, 0);
}

TEST_F(DisplayTest, WindowToRegionAndBack) {
  d.regionWidth = 320;
  d.regionHeight = 240;
  d.clientWidth = 640;
  d.clientHeight = 480;
  d.regionScale = 0;
  EXPECT_EQ(d.windowToRegion(320, 240), (Point{160, 120}));
  EXPECT_EQ(d.windowToRegion(3, 3), (Point{2, 2}));  // 1.5 rounds to even
  d.regionScale = 1;
  EXPECT_EQ(d.windowToRegion(160, 120), (Point{0, 0}));  // picture centred at (160, 120)
  EXPECT_EQ(d.regionToWindow(0, 0), (Point{160, 120}));
  d.regionScale = -1;
  EXPECT_EQ(d.windowToRegion(641, 480), (Point{320, 240}));  // 320.5 to even
  EXPECT_EQ(d.regionToWindow(100, 50), (Point{200, 100}));
}

TEST_F(DisplayTest, ViewMappingsWithRotationOverlapAndBadIndices) {
  d.regionWidth = 640;
  d.regionHeight = 480;
  d.clientWidth = 640;
  d.clientHeight = 480;
  d.regionScale = 1;
  // No view active: the room point is the region point.
  EXPECT_EQ(d.windowToRoomAllViews(100, 50), (Point{100, 50}));
  d.views[0] = ViewMapping{true, 1000, 0, 320, 240, 0, 0, 640, 480, 0};
  d.views[3] = ViewMapping{true, 0, 2000, 160, 120, 0, 0, 320, 240, 0};
  // View 0 doubles the port; view 3 overlaps its top-left quarter.
  EXPECT_EQ(d.windowToRoom(0, 100, 50), (Point{1050, 25}));
  EXPECT_EQ(d.windowToRoom(3, 100, 50), (Point{50, 2025}));
  EXPECT_EQ(d.windowToRoomAllViews(100, 50), (Point{50, 2025}));   // the higher view wins
  EXPECT_EQ(d.windowToRoomAllViews(400, 300), (Point{1200, 150}));  // only view 0 sees it
  // Outside every view: through the lowest active view.
  d.views[0].viewX = -5000;
  EXPECT_EQ(d.windowToRoomAllViews(400, 300), (Point{-4800, 150}));
  // Indices outside 0..31 act as inactive entries.
  EXPECT_EQ(d.windowToRoom(40, 100, 50), (Point{100, 50}));
  EXPECT_EQ(d.windowToRoom(-1, 100, 50), (Point{100, 50}));
  EXPECT_FALSE(d.roomToRegion(40, 1, 1));
  // A rotated view turns about its centre: 90 degrees maps the port's right-middle to the top-middle.
  d.views[5] = ViewMapping{true, 0, 0, 100, 100, 0, 0, 100, 100, 90};
  EXPECT_EQ(d.windowToRoom(5, 100, 50), (Point{50, 100}));
  d.views[5].angle = 0.005;  // below 0.01: no rotation
  EXPECT_EQ(d.windowToRoom(5, 100, 50), (Point{100, 50}));
  // Room to region through a view, and the zero-size guard.
  EXPECT_EQ(*d.roomToRegion(0, -5000 + 160, 120), (Point{320, 240}));
  d.views[6] = ViewMapping{true, 0, 0, 0, 100, 0, 0, 100, 100, 0};
  EXPECT_FALSE(d.roomToRegion(6, 10, 10));
}

TEST_F(DisplayTest, WindowSizeRulesWithPositiveScale) {
  d.regionWidth = 300;
  d.regionHeight = 200;
  d.regionScale = 2;
  d.setSize(100, 100);  // cannot go below the scaled region
  EXPECT_EQ(d.clientWidth, 600);
  EXPECT_EQ(d.clientHeight, 400);
  d.setSize(700, 500);
  EXPECT_EQ(d.clientWidth, 700);
  d.setRegionSize(100, 100, false);  // adapt off: only enlarges
  EXPECT_EQ(d.clientWidth, 700);
  d.setRegionSize(100, -3, true);  // adapt: exactly the scaled region; -3 keeps the height of 100
  EXPECT_EQ(d.clientWidth, 200);
  EXPECT_EQ(d.clientHeight, 200);
  d.userResized(50, 1000);
  EXPECT_EQ(d.clientWidth, 200);
  EXPECT_EQ(d.clientHeight, 1000);
  d.screenWidth = 1024;
  d.screenHeight = 768;
  d.setDefault();
  EXPECT_EQ(d.clientWidth, 200);
  EXPECT_EQ(d.clientHeight, 200);
  EXPECT_EQ(d.clientX, 412);
  EXPECT_EQ(d.clientY, 284);
  d.regionScale = -1;
  d.setSize(100, 100);  // no minimum without a positive scale
  EXPECT_EQ(d.clientWidth, 100);
}

TEST_F(DisplayTest, RenderSizeIsCutToTheScreenAndSetOnce) {
  auto* device = UseRecordingDevice();
  d.screenWidth = 800;
  d.screenHeight = 600;
  d.setRenderSize(2000, 500);
  EXPECT_EQ(d.renderWidth, 800);
  EXPECT_EQ(d.renderHeight, 500);
  EXPECT_EQ(device->viewport().width, 800);
  // The projection maps the room corner (0, 0) to clip (-1, 1) (y grows downwards).
  const platform::Matrix vp = [&] {
    platform::Matrix m;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) {
        float s = 0;
        for (int k = 0; k < 4; ++k) s += device->view()(r, k) * device->projection()(k, c);
        m(r, c) = s;
      }
    return m;
  }();
  EXPECT_NEAR(vp(3, 0), -1.0f, 1e-6);
  EXPECT_NEAR(vp(3, 1), 1.0f, 1e-6);
  EXPECT_NEAR(800 * vp(0, 0) + vp(3, 0), 1.0f, 1e-6);
  d.views[0].active = true;  // unrelated state does not matter
  device->setViewport(platform::Viewport{1, 2, 3, 4, 0, 1});
  d.setRenderSize(800, 500);  // unchanged: nothing happens
  EXPECT_EQ(device->viewport().x, 1);
}

TEST_F(DisplayTest, RenderStatesAreAppliedAndSurviveAReset) {
  auto* device = UseRecordingDevice();
  using namespace platform;
  EXPECT_TRUE(device->state().alphaBlend);
  EXPECT_FALSE(device->state().lighting);
  EXPECT_EQ(device->state().cull, CullMode::None);
  EXPECT_EQ(device->state().srcBlend, BlendFactor::SrcAlpha);
  EXPECT_EQ(device->state().destBlend, BlendFactor::InvSrcAlpha);
  EXPECT_EQ(device->state().stage0.magFilter, TextureFilter::Linear);
  d.mode3d = true;
  d.fog = true;
  d.fogColour = 0x0000FF;
  d.culling = true;
  const int surface = SurfaceCreate(16, 16);
  ASSERT_GE(surface, 0);
  ASSERT_TRUE(SurfaceSetTarget(surface));
  ASSERT_TRUE(d.resetDevice());
  EXPECT_FALSE(SurfaceExists(surface)) << "render targets do not survive a reset";
  EXPECT_EQ(SurfaceTarget(), -1);
  EXPECT_EQ(device->resets, 1);
  EXPECT_TRUE(device->state().zEnable);
  EXPECT_TRUE(device->state().alphaTest);
  EXPECT_EQ(device->state().alphaFunc, CompareFunc::Greater);
  EXPECT_EQ(device->state().fogTableMode, FogMode::Linear);
  EXPECT_EQ(device->state().fogColour, 0xFFFF0000u);
  EXPECT_EQ(device->state().cull, CullMode::CounterClockwise);
  ASSERT_FALSE(device->clears.empty());
  EXPECT_EQ(device->clears.back().argb, 0u);  // the reset clears to black with alpha 0
}

TEST_F(DisplayTest, FailedPresentResetsOncePerFrame) {
  auto* device = UseRecordingDevice();
  device->failPresent = true;
  d.endFrame();
  d.endFrame();
  EXPECT_EQ(device->resets, 2);
  device->failPresent = false;
  d.endFrame();
  EXPECT_EQ(device->resets, 2);
  EXPECT_EQ(device->presents, 3);
  d.presentOnly();  // presenting again never resets
  EXPECT_EQ(device->presents, 4);
}

TEST_F(DisplayTest, PlainSpriteQuadCoversExactlyItsPixels) {
  auto* device = UseRecordingDevice();
  CSprite s;
  s.frames = {data::TBitmap32(20, 10, 0xFFFFFFFF)};
  s.xOrigin = 4;
  s.yOrigin = 2;
  CreateSpriteTextures(s);
  DrawSprite(s, 0, 100, 50);
  ASSERT_EQ(device->draws.size(), 1u);
  const auto& q = device->draws[0];
  EXPECT_EQ(q.type, platform::PrimitiveType::TriangleFan);
  ASSERT_EQ(q.vertices.size(), 4u);
  EXPECT_EQ(q.vertices[0].x, 95.5f);  // 100 - 4 - 0.5
  EXPECT_EQ(q.vertices[0].y, 47.5f);
  EXPECT_EQ(q.vertices[2].x, 115.5f);
  EXPECT_EQ(q.vertices[2].y, 57.5f);
  EXPECT_EQ(q.vertices[2].u, 20.0f / 32.0f);
  EXPECT_EQ(q.vertices[2].v, 10.0f / 16.0f);
  EXPECT_EQ(q.state.stage0.addressU, platform::TextureAddress::Clamp);
  // Scaled by 2 and turned 90 degrees: the top-left offset (-8.5, -4.5) turns to (-4.5, 8.5).
  DrawSpriteExt(s, 0, 100, 50, 2, 2, 90, 0xFFFFFF, 0.5);
  const auto& r = device->draws[1];
  EXPECT_NEAR(r.vertices[0].x, 100 - 4.5, 1e-4);
  EXPECT_NEAR(r.vertices[0].y, 50 + 8.5, 1e-4);
  EXPECT_EQ(r.vertices[0].colour, 0x80FFFFFFu);
  FreeSpriteTextures(s);
}

TEST_F(DisplayTest, WindowFunctionsThroughTheTable) {
  auto fn = [](const char* name) { return Handler(DisplayBuiltins(), name); };
  Call(1.0).run(fn("set_automatic_draw"));
  Call(0.0).run(fn("set_automatic_draw"));
  EXPECT_FALSE(d.automaticDraw);
  Call(0.0, 0.0).run(fn("window_set_region_scale"));
  EXPECT_EQ(Call().run(fn("window_get_region_scale")).real, 0.0);
  Call(std::string("My game")).run(fn("window_set_caption"));
  EXPECT_EQ(Call().run(fn("window_get_caption")).str, "My game");
  Call(-1.0).run(fn("window_set_cursor"));
  EXPECT_FALSE(d.displayCursor);
  Call(-2.0).run(fn("window_set_cursor"));
  EXPECT_TRUE(d.displayCursor);
  Call(std::string("")).run(fn("screen_save"));
  EXPECT_EQ(code::errorState().last, "Trying to save screen to empty image file name.");
}

}  // namespace
}  // namespace qv::graphics
