// Surfaces: the table and its targets on the recording device (exact viewports and projections),
// and drawing into surfaces, reading them back, copying and saving them on the real OpenGL device
// headless, with a golden picture of a surface drawn back scaled, rotated and in parts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "draw_test_support.h"
#include "graphics_test_support.h"
#include "graphics/builtins.h"
#include "graphics/surface.h"
#include "system/secure_mode.h"

namespace qv::graphics {
namespace {

using namespace drawtest;
using code::RValue;
using qv::testing::CallBuiltin;
using qv::testing::ClearErrors;
using qv::testing::LastError;

RValue Surf(const char* fn, std::vector<RValue> args = {}) { return CallBuiltin(SurfaceBuiltins(), fn, std::move(args)); }
RValue Draw(const char* fn, std::vector<RValue> args = {}) { return CallBuiltin(DrawBuiltins(), fn, std::move(args)); }

class SurfaceTable : public RecordingDrawing {};

TEST_F(SurfaceTable, IdsAreReusedLowestFirstAndBadSizesGiveMinusOne) {
  EXPECT_EQ(Surf("surface_create", Reals({32, 16})).real, 0);
  EXPECT_EQ(Surf("surface_create", Reals({8, 8})).real, 1);
  EXPECT_EQ(Surf("surface_create", Reals({8, 8})).real, 2);
  Surf("surface_free", Reals({1}));
  Surf("surface_free", Reals({0}));
  EXPECT_EQ(Surf("surface_exists", Reals({1})).real, 0);
  EXPECT_EQ(Surf("surface_get_width", Reals({1})).real, -1);
  EXPECT_EQ(Surf("surface_get_texture", Reals({1})).real, -1);
  EXPECT_EQ(Surf("surface_create", Reals({5, 7})).real, 0) << "the lowest free id first";
  EXPECT_EQ(Surf("surface_get_width", Reals({0})).real, 5);
  EXPECT_EQ(Surf("surface_get_height", Reals({0})).real, 7);
  EXPECT_GE(Surf("surface_get_texture", Reals({0})).real, 0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (auto [w, h] : {std::pair{0.0, 8.0}, {8.0, -3.0}, {nan, 8.0}, {1e9, 8.0}, {8.0, 1e300}, {-1e300, -1e300}})
    EXPECT_EQ(Surf("surface_create", Reals({w, h})).real, -1) << w << " x " << h;
  ClearErrors();
  Surf("surface_free", Reals({42}));  // an id that does not exist does nothing
  Surf("surface_free", Reals({-1}));
  EXPECT_EQ(LastError(), "");
}

TEST_F(SurfaceTable, TheTargetSwitchesThroughTheScreenAndRestoresItsViewport) {
  display().renderWidth = 320;
  display().renderHeight = 240;
  const double a = SurfaceCreate(64, 32), b = SurfaceCreate(16, 16);
  const platform::TextureHandle ta = textures().entry(Surface(int(a))->texture)->handle;
  const platform::TextureHandle tb = textures().entry(Surface(int(b))->texture)->handle;
  EXPECT_EQ(Surf("surface_reset_target").real, 0) << "no screen is remembered yet";
  EXPECT_EQ(Surf("surface_set_target", Reals({a})).real, 1);
  EXPECT_EQ(device->renderTarget(), ta);
  EXPECT_EQ(device->viewport().width, 64);
  EXPECT_EQ(device->viewport().height, 32);
  EXPECT_EQ(Surf("surface_set_target", Reals({a})).real, 1) << "the target already: nothing changes";
  EXPECT_EQ(Surf("surface_set_target", Reals({b})).real, 1);
  EXPECT_EQ(device->renderTarget(), tb);
  EXPECT_EQ(device->viewport().width, 16);
  EXPECT_EQ(Surf("surface_reset_target").real, 1);
  EXPECT_EQ(device->renderTarget(), 0u) << "back to the screen, not to the first surface";
  EXPECT_EQ(device->viewport().width, 320);
  EXPECT_EQ(device->viewport().height, 240);
  EXPECT_EQ(Surf("surface_set_target", Reals({7})).real, 0);
  // Freeing the target returns drawing to the screen.
  Surf("surface_set_target", Reals({a}));
  Surf("surface_free", Reals({a}));
  EXPECT_EQ(device->renderTarget(), 0u);
  EXPECT_EQ(SurfaceTarget(), -1);
}

TEST_F(SurfaceTable, UsingASurfaceThatDoesNotExistIsReported) {
  const char* kMessage = "Trying to use non-existing surface.";
  const std::vector<std::pair<const char*, std::vector<RValue>>> calls = {
      {"surface_getpixel", Reals({3, 0, 0})},
      {"surface_save", {RValue(3.0), RValue("x.png")}},
      {"surface_copy", Reals({0, 0, 0, 3})},
      {"surface_copy", Reals({3, 0, 0, 0})},
      {"surface_copy_part", Reals({0, 0, 0, 3, 0, 0, 4, 4})},
  };
  SurfaceCreate(8, 8);
  for (const auto& [fn, args] : calls) {
    ClearErrors();
    Surf(fn, args);
    EXPECT_NE(LastError().find(kMessage), std::string::npos) << fn;
  }
  for (const char* fn : {"draw_surface", "draw_surface_stretched", "draw_surface_tiled"}) {
    ClearErrors();
    std::vector<RValue> args = Reals({3, 0, 0});
    if (std::string(fn) == "draw_surface_stretched") args = Reals({3, 0, 0, 4, 4});
    Draw(fn, args);
    EXPECT_NE(LastError().find(kMessage), std::string::npos) << fn;
  }
  ClearErrors();
  Surf("surface_save", {RValue(0.0), RValue("")});
  EXPECT_NE(LastError().find("Trying to save surface to empty image file name."), std::string::npos);
}

TEST_F(SurfaceTable, SecureModeKeepsImageFilesInTheGamesDirectory) {
  system::SetSecureMode(true);
  SurfaceCreate(8, 8);
  const std::string outside = qv::graphics::testing::TempPath("qv_secure_surface.png");
  std::filesystem::remove(outside);
  ClearErrors();
  Surf("surface_save", {RValue(0.0), RValue(outside)});
  EXPECT_NE(LastError().find("In secure mode you cannot write file " + outside), std::string::npos);
  ClearErrors();
  CallBuiltin(DisplayBuiltins(), "screen_save", {RValue("C:shot.png")});
  EXPECT_NE(LastError().find("In secure mode you cannot write file C:shot.png"), std::string::npos);
  system::SetSecureMode(false);
  EXPECT_FALSE(std::filesystem::exists(outside));
}

// --- on the real device --------------------------------------------------------------------------

class GLSurfaces : public GLDrawing {};

// Fills surface `id` with a 2 x 2 checker of red, green, blue and white quarters of w x h.
void PaintQuarters(int id, int w, int h) {
  ASSERT_TRUE(SurfaceSetTarget(id));
  Draw("draw_clear_alpha", Reals({0, 0}));
  const int hw = w / 2, hh = h / 2;
  Draw("draw_rectangle_color", Reals({0, 0, hw - 1.0, hh - 1.0, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF, 0}));
  Draw("draw_rectangle_color", Reals({double(hw), 0, w - 1.0, hh - 1.0, 0x00FF00, 0x00FF00, 0x00FF00, 0x00FF00, 0}));
  Draw("draw_rectangle_color", Reals({0, double(hh), hw - 1.0, h - 1.0, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0}));
  Draw("draw_rectangle_color", Reals({double(hw), double(hh), w - 1.0, h - 1.0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0}));
  ASSERT_TRUE(SurfaceResetTarget());
}

TEST_F(GLSurfaces, PixelsDrawnIntoASurfaceReadBackAndCopy) {
  const int s = SurfaceCreate(20, 10);
  PaintQuarters(s, 20, 10);
  // Script colours are blue-green-red: red is 0x0000FF.
  EXPECT_EQ(SurfaceGetPixel(s, 0, 0), 0x0000FF);
  EXPECT_EQ(SurfaceGetPixel(s, 19, 0), 0x00FF00);
  EXPECT_EQ(SurfaceGetPixel(s, 0, 9), 0xFF0000);
  EXPECT_EQ(SurfaceGetPixel(s, 19, 9), 0xFFFFFF);
  EXPECT_EQ(SurfaceGetPixel(s, 20, 0), 0) << "outside the surface";
  EXPECT_EQ(SurfaceGetPixel(s, -1, 3), 0);

  // A copy whose source rectangle starts left of and above the source copies only what is inside:
  // (-5, -2, 12, 6) becomes (0, 0, 7, 4), landing at (1, 1) unshifted.
  const int d = SurfaceCreate(10, 10);
  ASSERT_TRUE(SurfaceSetTarget(d));
  Draw("draw_clear_alpha", Reals({0x808080, 1}));
  SurfaceResetTarget();
  ASSERT_TRUE(SurfaceCopy(d, 1, 1, s, -5, -2, 12, 6));
  EXPECT_EQ(SurfaceGetPixel(d, 0, 0), 0x808080);
  EXPECT_EQ(SurfaceGetPixel(d, 1, 1), 0x0000FF);
  EXPECT_EQ(SurfaceGetPixel(d, 7, 4), 0x0000FF);
  EXPECT_EQ(SurfaceGetPixel(d, 8, 1), 0x808080) << "7 columns wide";
  EXPECT_EQ(SurfaceGetPixel(d, 1, 5), 0x808080) << "4 rows high";
  // A negative destination moves the source start: (-3, 0) takes the source from x 3.
  ASSERT_TRUE(SurfaceCopy(d, -3, 6, s, 0, 5, 20, 5));
  EXPECT_EQ(SurfaceGetPixel(d, 0, 6), 0xFF0000);
  EXPECT_EQ(SurfaceGetPixel(d, 7, 6), 0xFFFFFF) << "source x 10 lands at 7";
  // Into itself: overlapping rectangles copy as if through a separate picture.
  ASSERT_TRUE(SurfaceCopy(s, 2, 0, s, 0, 0, 12, 5));
  EXPECT_EQ(SurfaceGetPixel(s, 11, 0), 0x0000FF) << "source column 9 (red) lands at 11";
  EXPECT_EQ(SurfaceGetPixel(s, 12, 0), 0x00FF00) << "source column 10 (green) lands at 12";
}

TEST_F(GLSurfaces, DrawingIntoASurfaceKeepsItsAlphaAndSavesIt) {
  const int s = SurfaceCreate(4, 4);
  ASSERT_TRUE(SurfaceSetTarget(s));
  Draw("draw_clear_alpha", Reals({0, 0}));
  Draw("draw_set_alpha", Reals({0.5}));
  Draw("draw_rectangle_color", Reals({0, 0, 3, 3, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0}));
  Draw("draw_set_alpha", Reals({1}));
  SurfaceResetTarget();
  const auto picture = CaptureSurface(s, 0, 0, 4, 4);
  ASSERT_TRUE(picture);
  // One blend function for colour and alpha: alpha 0.5 x 0.5 + 0 x 0.5 = 0.25.
  EXPECT_NEAR(int(picture->pixel(1, 1) >> 24), 64, 1);
  EXPECT_NEAR(int((picture->pixel(1, 1) >> 16) & 255), 128, 1);
  const std::string png = qv::graphics::testing::TempPath("qv_surface_save.png"), bmp = qv::graphics::testing::TempPath("qv_surface_save.bmp");
  ASSERT_TRUE(SurfaceSave(s, png, 0, 0, 4, 4));
  ASSERT_TRUE(SurfaceSave(s, bmp, 1, 1, 2, 3));
  const auto fromPng = ReadImageFile(png);
  ASSERT_TRUE(fromPng);
  EXPECT_EQ(fromPng->width, 4);
  EXPECT_NEAR(int(fromPng->pixel(2, 2) >> 24), 64, 1) << "PNG keeps the surface's alpha";
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(bmp, bytes));
  ASSERT_GE(bytes.size(), 26u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[18] | bytes[19] << 8, 2) << "the part's width";
  EXPECT_EQ(bytes[22] | bytes[23] << 8, 3) << "the part's height";
  EXPECT_FALSE(CaptureSurface(s, 4, 0, 2, 2)) << "nothing is left after cutting";
}

TEST_F(GLSurfaces, ASurfaceDrawnBackScaledTurnedAndInParts) {
  const int s = SurfaceCreate(24, 16);
  PaintQuarters(s, 24, 16);
  const data::TBitmap32 shot = Render(200, 100, [s] {
    const double id = s;
    Draw("draw_surface", Reals({id, 4, 4}));
    Draw("draw_surface_ext", Reals({id, 40, 4, 2, 2, 0, 0xFFFFFF, 1}));
    Draw("draw_surface_ext", Reals({id, 120, 40, 1.5, 1.5, 90, 0xFFFFFF, 0.5}));
    Draw("draw_surface_stretched", Reals({id, 4, 40, 48, 8}));
    Draw("draw_surface_part", Reals({id, 8, 4, 8, 8, 4, 60}));
    Draw("draw_surface_part_ext", Reals({id, 0, 0, 12, 8, 20, 60, 3, 3, 0x00FFFF, 1}));
    Draw("draw_surface_general",
         Reals({id, 0, 0, 24, 16, 150, 60, 2, 2, 30, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 1}));
    Draw("draw_surface", Reals({id, 0, 0}));
  });
  // Unscaled at (4, 4): the quarters land exactly on their pixels.
  EXPECT_EQ(shot.pixel(4, 4), 0xFFFF0000u);
  EXPECT_EQ(shot.pixel(27, 4), 0xFF00FF00u);
  EXPECT_EQ(shot.pixel(4, 19), 0xFF0000FFu);
  EXPECT_EQ(shot.pixel(27, 19), 0xFFFFFFFFu);
  // Doubled at (40, 4): 48 x 32 (the outermost pixels blend with what lies beyond the picture in
  // its texture, as linear filtering does).
  EXPECT_EQ(shot.pixel(40 + 45, 4 + 29), 0xFFFFFFFFu);
  EXPECT_EQ(shot.pixel(40 + 48, 4 + 31), 0xFF404040u);
  // Shows: the quarters (red, green / blue, white) plain at top left and at (0, 0) over it,
  // doubled beside them, turned a quarter at half alpha at the right, stretched flat, a part, a
  // yellowed part tripled, and a general quad turned 30 degrees with a colour per corner.
  ExpectGolden("surface_drawn_back", shot);
}

TEST_F(GLSurfaces, SurfacesSurviveWindowChangesAndAreLostAtADeviceReset) {
  const int s = SurfaceCreate(8, 8);
  PaintQuarters(s, 8, 8);
  display().setFullscreen(true);
  display().setFullscreen(false);
  display().setSize(300, 200);
  display().userResized(300, 200);
  EXPECT_TRUE(SurfaceExists(s));
  EXPECT_EQ(SurfaceGetPixel(s, 7, 7), 0xFFFFFF);
  ASSERT_TRUE(SurfaceSetTarget(s));
  ASSERT_TRUE(display().resetDevice());
  EXPECT_FALSE(SurfaceExists(s));
  EXPECT_EQ(SurfaceTarget(), -1);
  EXPECT_EQ(SurfaceCreate(8, 8), s) << "its id is free again";
}

TEST_F(GLSurfaces, TheTargetDrawnIntoItselfDrawsNothing) {
  const int s = SurfaceCreate(8, 8);
  PaintQuarters(s, 8, 8);
  ASSERT_TRUE(SurfaceSetTarget(s));
  ClearErrors();
  Draw("draw_surface_ext", Reals({double(s), 0, 0, 1, 1, 0, 0x000000, 1}));
  SurfaceResetTarget();
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(SurfaceGetPixel(s, 0, 0), 0x0000FF);
}

TEST_F(GLSurfaces, SpritesAndBackgroundsFromSurfaceRectangles) {
  const int s = SurfaceCreate(20, 10);
  PaintQuarters(s, 20, 10);
  const double sprite = CallBuiltin(SpriteBuiltins(), "sprite_create_from_surface", Reals({double(s), 8, 3, 4, 4, 0, 0, 1, 2})).real;
  ASSERT_GE(sprite, 0);
  const CSprite* spr = sprites().get(int(sprite));
  ASSERT_NE(spr, nullptr);
  EXPECT_EQ(spr->frames[0].width, 4);
  EXPECT_EQ(spr->frames[0].pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(spr->frames[0].pixel(2, 3), 0xFFFFFFFFu);
  EXPECT_EQ(spr->xOrigin, 1);
  const double back = CallBuiltin(BackgroundBuiltins(), "background_create_from_surface", Reals({double(s), -4, -4, 100, 100, 0, 0})).real;
  ASSERT_GE(back, 0);
  EXPECT_EQ(backgrounds().get(int(back))->width(), 20) << "the rectangle is cut to the surface";
  EXPECT_EQ(CallBuiltin(SpriteBuiltins(), "sprite_create_from_surface", Reals({9, 0, 0, 4, 4, 0, 0, 0, 0})).real, -1);
}

}  // namespace
}  // namespace qv::graphics
