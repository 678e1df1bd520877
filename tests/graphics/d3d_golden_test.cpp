// 3D pictures through the real OpenGL path, headless, each compared with a reviewed PNG in
// tests/golden/: a lit, textured block and cylinder in fog; a floor and walls seen through a
// perspective camera; an open cylinder with culling off and on; 2D drawing at depths among 3D
// shapes; and a model drawn, saved, loaded and drawn again to the same pixels.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "draw_test_support.h"
#include "graphics/builtins.h"
#include "graphics/d3d.h"
#include "graphics/d3d_model.h"

namespace qv::graphics {
namespace {

using namespace drawtest;
using code::RValue;
using qv::testing::CallBuiltin;

RValue D3D(const char* fn, std::vector<RValue> args = {}) { return CallBuiltin(D3DBuiltins(), fn, std::move(args)); }
RValue Draw(const char* fn, std::vector<RValue> args = {}) { return CallBuiltin(DrawBuiltins(), fn, std::move(args)); }

// A 16 x 16 checker of two colours in 8 x 8 squares (device colours).
int Checker(uint32_t a, uint32_t b) {
  data::TBitmap32 bitmap(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) bitmap.pixels[size_t(y * 16 + x)] = ((x / 8 + y / 8) % 2) ? a : b;
  return textures().fromBitmap(bitmap);
}

class GL3D : public GLDrawing {
 protected:
  void SetUp() override {
    GLDrawing::SetUp();
    if (IsSkipped()) return;
    ASSERT_EQ(D3D("d3d_start").real, 1);
    display().setViewport(0, 0, 320, 240);
  }
  // A frame of 320 x 240 with the depth buffer cleared first.
  data::TBitmap32 Frame(const std::function<void()>& draw, uint32_t background = 0xFF404040) {
    return Render(320, 240, [&] {
      display().device()->clear(false, 0, true, 1.0f);
      draw();
    }, background);
  }
  static void Camera(double fx, double fy, double fz, double tx, double ty, double tz) {
    D3D("d3d_set_projection_ext", Reals({fx, fy, fz, tx, ty, tz, 0, 0, 1, 60, 320.0 / 240, 1, 2000}));
  }
};

int Differing(const data::TBitmap32& a, const data::TBitmap32& b) {
  int n = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
  return n;
}

TEST_F(GL3D, LitTexturedBlockAndCylinderInFog) {
  const int tex = Checker(0xFFFFFFFF, 0xFF3060C0);
  const auto shot = Frame([&] {
    Camera(-70, -110, 80, 0, 0, 10);
    D3D("d3d_set_lighting", Reals({1}));
    D3D("d3d_light_define_direction", Reals({0, 0.6, 0.3, -1, double(0xFFFFFF)}));
    D3D("d3d_light_enable", Reals({0, 1}));
    D3D("d3d_light_define_point", Reals({1, 60, -40, 30, 120, double(0x40C0FF)}));
    D3D("d3d_light_enable", Reals({1, 1}));
    D3D("d3d_set_fog", Reals({1, double(0x808080), 100, 260}));
    Draw("draw_set_color", Reals({double(0xFFFFFF)}));
    D3D("d3d_draw_block", Reals({-50, -20, 0, -10, 20, 40, double(tex), 2, 2}));
    D3D("d3d_draw_cylinder", Reals({10, -20, 0, 50, 20, 50, double(tex), 4, 2, 1, 24}));
    // Far away: mostly fog.
    D3D("d3d_draw_block", Reals({-40, 200, 0, 40, 240, 60, double(tex), 1, 1}));
  });
  // Shows: on grey, a closed checkered (white and blue) cylinder on the left and a checkered
  // block on the right (the left-handed camera with z up mirrors x), seen from above; lit by the
  // directional light, their tops brightest; far behind them a block nearly lost in the grey fog.
  EXPECT_EQ(shot.pixel(0, 0), 0xFF404040u);
  ExpectGolden("d3d_lit_block_cylinder_fog", shot);
}

TEST_F(GL3D, FloorAndWallsThroughAPerspectiveCamera) {
  const int floor = Checker(0xFFE0E0E0, 0xFF606060);
  const int wall = Checker(0xFFC08040, 0xFF804020);
  const auto shot = Frame([&] {
    Camera(20, 100, 16, 200, 100, 16);
    Draw("draw_set_color", Reals({double(0xFFFFFF)}));
    D3D("d3d_draw_floor", Reals({0, 0, 0, 200, 200, 0, double(floor), 8, 8}));
    D3D("d3d_draw_wall", Reals({0, 40, 0, 200, 40, 40, double(wall), 10, 2}));     // left, facing +y
    D3D("d3d_draw_wall", Reals({200, 160, 0, 0, 160, 40, double(wall), 10, 2}));   // right
    D3D("d3d_draw_wall", Reals({200, 40, 0, 200, 160, 40, double(wall), 6, 2}));   // the end
    Draw("draw_set_color", Reals({double(0x00FF00)}));
    D3D("d3d_draw_ellipsoid", Reals({110, 90, 0, 130, 110, 20, -1, 1, 1, 16}));
  }, 0xFF000000);
  // Shows: a corridor in perspective under a black sky: a grey checkered floor narrowing to the
  // far end, brown checkered walls on the left and right and across the end, and a green ball
  // on the floor in the middle distance.
  ExpectGolden("d3d_floor_walls_perspective", shot);
}

TEST_F(GL3D, CullingOnAndOff) {
  const auto scene = [](bool cull) {
    return [cull] {
      Camera(0, -120, 90, 0, 0, 0);
      D3D("d3d_set_culling", Reals({cull ? 1.0 : 0.0}));
      Draw("draw_set_color", Reals({double(0x00C0FF)}));
      D3D("d3d_draw_cylinder", Reals({-40, -40, -20, 40, 40, 20, -1, 1, 1, 0, 32}));
      Draw("draw_set_color", Reals({double(0xFF8000)}));
      D3D("d3d_primitive_begin", Reals({4}));
      // Two triangles of opposite winding side by side.
      for (const auto& p : {std::array<double, 3>{-90, -70, -50}, std::array<double, 3>{50, 90, 70}}) {
        D3D("d3d_vertex", Reals({p[0], 0, 30}));
        D3D("d3d_vertex", Reals({p[1], 0, p[1] < 0 ? 60.0 : 30.0}));
        D3D("d3d_vertex", Reals({p[2], 0, p[2] < 0 ? 30.0 : 60.0}));
      }
      D3D("d3d_primitive_end");
    };
  };
  const auto off = Frame(scene(false));
  const auto on = Frame(scene(true));
  D3D("d3d_set_culling", Reals({0}));
  EXPECT_GT(Differing(off, on), 500) << "culling removes faces";
  // Shows, left (culling off): the open yellow cylinder seen from above, its inside visible
  // through the open top, and two blue triangles; right (culling on): only the cylinder's near
  // outside wall and one triangle, the faces turned away being culled.
  data::TBitmap32 both(640, 240);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      both.pixels[size_t(y * 640 + x)] = off.pixel(x, y);
      both.pixels[size_t(y * 640 + 320 + x)] = on.pixel(x, y);
    }
  ExpectGolden("d3d_culling_off_on", both);
}

TEST_F(GL3D, TwoDimensionalDrawingAtDepthsAmongShapes) {
  data::TBitmap32 sprite(32, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) sprite.pixels[size_t(y * 32 + x)] = (x - 16) * (x - 16) + (y - 16) * (y - 16) < 256 ? 0xFFFFFF00 : 0;
  const int tex = textures().fromBitmap(sprite);
  const auto shot = Frame([&] {
    // The room's own camera of 3D mode: perspective, seeing the rectangle (0, 0, 320, 240) at depth 0.
    display().setProjection(0, 0, 320, 240, 0);
    // Drawn nearest first: the depth buffer sorts.
    D3D("d3d_set_depth", Reals({-100}));
    Draw("draw_set_color", Reals({double(0xFF0000)}));
    Draw("draw_rectangle", Reals({40, 40, 120, 120, 0}));
    DrawImageExt(Image{tex, 32, 32, 16, 16}, 250, 60, 2, 2, 0, 0xFFFFFFFF);
    D3D("d3d_set_depth", Reals({0}));
    Draw("draw_set_color", Reals({double(0x00FF00)}));
    D3D("d3d_draw_block", Reals({80, 60, -60, 200, 180, 60, -1, 1, 1}));
    D3D("d3d_set_depth", Reals({100}));
    Draw("draw_set_color", Reals({double(0x0000FF)}));
    Draw("draw_rectangle", Reals({100, 20, 300, 220, 0}));
    DrawImageExt(Image{tex, 32, 32, 16, 16}, 160, 200, 3, 3, 0, 0xFFFFFFFF);
  });
  // Shows (the y axis points up the screen in the perspective camera, so the picture is upside
  // down against 2D): script colour 0xFF0000 is blue, 0x0000FF red. The near blue rectangle at
  // the lower left in front of the green block, the block in front of the far (smaller) red
  // rectangle, the near yellow disc at the lower right over everything, and the far disc at the
  // top, hidden by the block except above it; the discs' transparent corners write no depth.
  ExpectGolden("d3d_2d_at_depths", shot);
}

TEST_F(GL3D, AModelSavedLoadedAndDrawnAgainIsTheSame) {
  const int tex = Checker(0xFFFFFFFF, 0xFFC03030);
  const int id = int(D3D("d3d_model_create").real);
  const auto rec = [&](const char* fn, std::initializer_list<double> v) {
    std::vector<RValue> args{RValue(double(id))};
    for (double x : v) args.push_back(RValue(x));
    D3D(fn, args);
  };
  rec("d3d_model_block", {-30, -30, 0, 30, 30, 20, 2, 1});
  rec("d3d_model_cone", {-20, -20, 20, 20, 20, 60, 3, 1, 1, 16});
  rec("d3d_model_primitive_begin", {4});
  rec("d3d_model_vertex_normal_texture_color", {40, 0, 0, 0, -1, 0, 0, 0, double(0x00FFFF), 1});
  rec("d3d_model_vertex_normal_texture_color", {80, 0, 0, 0, -1, 0, 1, 0, double(0xFF00FF), 1});
  rec("d3d_model_vertex_normal_texture_color", {60, 0, 40, 0, -1, 0, 0.5, 1, double(0xFFFF00), 0.5});
  rec("d3d_model_primitive_end", {});
  const auto scene = [&](int model) {
    return [&, model] {
      Camera(-40, -140, 100, 10, 0, 20);
      D3D("d3d_set_lighting", Reals({1}));
      D3D("d3d_light_define_direction", Reals({0, 0.5, 1, -1, double(0xFFFFFF)}));
      D3D("d3d_light_enable", Reals({0, 1}));
      Draw("draw_set_color", Reals({double(0xFFFFFF)}));
      for (double x : {-60.0, 60.0}) D3D("d3d_model_draw", Reals({double(model), x, 0, 0, double(tex)}));
      D3D("d3d_set_lighting", Reals({0}));
    };
  };
  const auto original = Frame(scene(id));
  const std::string path = (std::filesystem::temp_directory_path() / "qv_golden_model.d3d").string();
  D3D("d3d_model_save", {RValue(double(id)), RValue(path)});
  const int loaded = int(D3D("d3d_model_create").real);
  D3D("d3d_model_load", {RValue(double(loaded)), RValue(path)});
  std::filesystem::remove(path);
  EXPECT_EQ(GetModel(loaded)->entries, GetModel(id)->entries);
  const auto again = Frame(scene(loaded));
  EXPECT_EQ(MaxDifference(original, again), 0);
  // Shows: two copies of the model side by side, lit from the upper front left: a red and
  // white checkered slab with a checkered cone on it, and beside each a triangle shading from
  // cyan to magenta with a half-transparent yellow top.
  ExpectGolden("d3d_model_saved_loaded", again);
}

}  // namespace
}  // namespace qv::graphics
