// 3D drawing on the recording device: the transform stack, the set and add functions, the vertex
// layouts of every shape against the Part's formulas (a table of expected vertices per shape),
// the 3D primitive buffer, the mode switch and its render states, lights, and models (recording,
// drawing from one device buffer, the file format and its bad-input rules).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

#include "draw_test_support.h"
#include "graphics/builtins.h"
#include "graphics/d3d.h"
#include "graphics/d3d_model.h"
#include "graphics/d3dx.h"
#include "support/mutations.h"
#include "system/secure_mode.h"

namespace qv::graphics {
namespace {

using namespace drawtest;
using code::RValue;
using platform::Matrix;
using platform::PrimitiveType;
using platform::Vertex;
using qv::testing::CallBuiltin;

RValue D3D(const char* fn, std::vector<RValue> args = {}) { return CallBuiltin(D3DBuiltins(), fn, std::move(args)); }

class D3DTest : public RecordingDrawing {};

// Row vector times matrix.
std::array<double, 3> Transform(const Matrix& m, double x, double y, double z) {
  return {x * m(0, 0) + y * m(1, 0) + z * m(2, 0) + m(3, 0), x * m(0, 1) + y * m(1, 1) + z * m(2, 1) + m(3, 1),
          x * m(0, 2) + y * m(1, 2) + z * m(2, 2) + m(3, 2)};
}

// --- the transform stack and the world matrix ---

TEST_F(D3DTest, TheStackHolds1001MatricesAndRefusesOverflowAndUnderflow) {
  EXPECT_EQ(D3D("d3d_transform_stack_empty").real, 1);
  EXPECT_EQ(D3D("d3d_transform_stack_pop").real, 0) << "pop on an empty stack";
  EXPECT_EQ(D3D("d3d_transform_stack_top").real, 0);
  EXPECT_EQ(D3D("d3d_transform_stack_discard").real, 0);
  for (int i = 0; i < 1001; ++i) {
    D3D("d3d_transform_set_translation", Reals({double(i), 0, 0}));
    ASSERT_EQ(D3D("d3d_transform_stack_push").real, 1) << i;
  }
  for (int i = 1001; i < 2000; ++i) EXPECT_EQ(D3D("d3d_transform_stack_push").real, 0);
  EXPECT_EQ(transformStack().top, 1000);
  D3D("d3d_transform_set_identity");
  EXPECT_EQ(D3D("d3d_transform_stack_top").real, 1);
  EXPECT_EQ(device->world()(3, 0), 1000.0f) << "top keeps the matrix on the stack";
  EXPECT_EQ(D3D("d3d_transform_stack_discard").real, 1);
  EXPECT_EQ(D3D("d3d_transform_stack_pop").real, 1);
  EXPECT_EQ(device->world()(3, 0), 999.0f);
  EXPECT_EQ(transformStack().top, 998);
  D3D("d3d_transform_stack_clear");
  EXPECT_EQ(D3D("d3d_transform_stack_empty").real, 1);
  EXPECT_EQ(D3D("d3d_transform_stack_pop").real, 0);
}

TEST_F(D3DTest, AddActsAfterWhatIsInPlace) {
  D3D("d3d_transform_set_rotation_z", Reals({90}));
  D3D("d3d_transform_add_translation", Reals({10, 0, 0}));
  // The point (1, 0, 0) is turned first, then moved by 10 along x. The angle is negated, so 90
  // degrees turn x onto -y in the matrix's own (y-down) convention.
  const auto p = Transform(device->world(), 1, 0, 0);
  EXPECT_NEAR(p[0], 10, 1e-5);
  EXPECT_NEAR(p[1], -1, 1e-5);
  EXPECT_NEAR(p[2], 0, 1e-5);
}

TEST_F(D3DTest, EverySetAndAddFunctionBuildsItsMatrix) {
  struct Case {
    const char* set;
    const char* add;
    std::vector<double> args;
    Matrix expected;
  };
  const double r = -30 * 3.14159265358979323846 / 180;
  const Case cases[] = {
      {"d3d_transform_set_translation", "d3d_transform_add_translation", {1, 2, 3}, D3DXMatrixTranslation(1, 2, 3)},
      {"d3d_transform_set_scaling", "d3d_transform_add_scaling", {2, 3, 4}, D3DXMatrixScaling(2, 3, 4)},
      {"d3d_transform_set_rotation_x", "d3d_transform_add_rotation_x", {30}, D3DXMatrixRotationX(r)},
      {"d3d_transform_set_rotation_y", "d3d_transform_add_rotation_y", {30}, D3DXMatrixRotationY(r)},
      {"d3d_transform_set_rotation_z", "d3d_transform_add_rotation_z", {30}, D3DXMatrixRotationZ(r)},
      {"d3d_transform_set_rotation_axis", "d3d_transform_add_rotation_axis", {1, 1, 0, 30},
       D3DXMatrixRotationAxis({1, 1, 0}, r)},
  };
  const Matrix before = D3DXMatrixTranslation(5, 6, 7);
  for (const Case& c : cases) {
    D3D(c.set, std::vector<RValue>(c.args.begin(), c.args.end()));
    EXPECT_EQ(device->world(), c.expected) << c.set;
    device->setTransformWorld(before);
    D3D(c.add, std::vector<RValue>(c.args.begin(), c.args.end()));
    EXPECT_EQ(device->world(), D3DXMatrixMultiply(before, c.expected)) << c.add;
  }
  D3D("d3d_transform_set_identity");
  EXPECT_EQ(device->world(), Matrix{});
}

// --- shapes: the vertex layouts of the Part as a table ---

struct V {
  double x, y, z, nx, ny, nz, u, v;
};
void ExpectGroup(const ShapeGroup& g, int kind, const std::vector<V>& expected, const std::string& what) {
  EXPECT_EQ(g.kind, kind) << what;
  ASSERT_EQ(g.vertices.size(), expected.size()) << what;
  for (size_t i = 0; i < expected.size(); ++i) {
    const Vertex& a = g.vertices[i];
    const V& e = expected[i];
    const std::string at = what + " vertex " + std::to_string(i);
    EXPECT_NEAR(a.x, e.x, 1e-4) << at;
    EXPECT_NEAR(a.y, e.y, 1e-4) << at;
    EXPECT_NEAR(a.z, e.z, 1e-4) << at;
    EXPECT_NEAR(a.nx, e.nx, 1e-6) << at;
    EXPECT_NEAR(a.ny, e.ny, 1e-6) << at;
    EXPECT_NEAR(a.nz, e.nz, 1e-6) << at;
    EXPECT_NEAR(a.u, e.u, 1e-6) << at;
    EXPECT_NEAR(a.v, e.v, 1e-6) << at;
    EXPECT_EQ(a.colour, 0x80112233u) << at;
  }
}

constexpr uint32_t kC = 0x80112233;
const Box3D kBox{1, 2, 3, 5, 7, 11};

TEST(D3DShapes, BlockFacesInThePartsOrder) {
  const Shape s = BlockShape(kBox, 2, 3, kC);
  const double x1 = 1, y1 = 2, z1 = 3, x2 = 5, y2 = 7, z2 = 11, h = 2, v = 3;
  const std::vector<std::vector<V>> faces = {
      {{x1, y1, z1, 0, 0, -1, 0, 0}, {x1, y2, z1, 0, 0, -1, 0, v}, {x2, y2, z1, 0, 0, -1, h, v}, {x2, y1, z1, 0, 0, -1, h, 0}},
      {{x1, y1, z2, 0, 0, 1, 0, 0}, {x2, y1, z2, 0, 0, 1, h, 0}, {x2, y2, z2, 0, 0, 1, h, v}, {x1, y2, z2, 0, 0, 1, 0, v}},
      {{x1, y2, z1, 0, 1, 0, 0, 0}, {x1, y2, z2, 0, 1, 0, 0, v}, {x2, y2, z2, 0, 1, 0, h, v}, {x2, y2, z1, 0, 1, 0, h, 0}},
      {{x2, y2, z1, 1, 0, 0, 0, 0}, {x2, y2, z2, 1, 0, 0, 0, v}, {x2, y1, z2, 1, 0, 0, h, v}, {x2, y1, z1, 1, 0, 0, h, 0}},
      {{x2, y1, z1, 0, -1, 0, 0, 0}, {x2, y1, z2, 0, -1, 0, 0, v}, {x1, y1, z2, 0, -1, 0, h, v}, {x1, y1, z1, 0, -1, 0, h, 0}},
      {{x1, y1, z1, -1, 0, 0, 0, 0}, {x1, y1, z2, -1, 0, 0, 0, v}, {x1, y2, z2, -1, 0, 0, h, v}, {x1, y2, z1, -1, 0, 0, h, 0}},
  };
  ASSERT_EQ(s.size(), 6u);
  for (size_t f = 0; f < 6; ++f) ExpectGroup(s[f], 6, faces[f], "block face " + std::to_string(f));
}

// The Part's formulas, written out independently of the implementation.
struct Formulas {
  double cx = 3, cy = 4.5, cz = 7, rx = 2, ry = 2.5, rz = 4;
  int steps;
  double th(int t) const { return 2 * M_PI * t / steps; }
  V rim(int t, double z, double nx, double ny, double nz, double u, double v) const {
    return {cx + rx * std::cos(th(t)), cy + ry * std::sin(th(t)), z, nx, ny, nz, u, v};
  }
};

TEST(D3DShapes, CylinderConeAndEllipsoidFollowTheFormulas) {
  const double h = 2, v = 3, z1 = 3, z2 = 11;
  for (int asked : {1, 3, 7, 128, 500}) {
    const Formulas f{.steps = std::clamp(asked, 3, 128)};
    const std::string n = " steps " + std::to_string(asked);
    std::vector<V> top{{f.cx, f.cy, z2, 0, 0, 1, 0, v}}, side, bottom{{f.cx, f.cy, z1, 0, 0, -1, 0, 0}}, cone;
    for (int t = 0; t <= f.steps; ++t) {
      top.push_back(f.rim(t, z2, 0, 0, 1, 0, v));
      const double u = h * t / f.steps, nx = std::cos(f.th(t)), ny = std::sin(f.th(t));
      side.push_back(f.rim(t, z2, nx, ny, 0, u, v));
      side.push_back(f.rim(t, z1, nx, ny, 0, u, 0));
      cone.push_back({f.cx, f.cy, z2, 0, 0, 1, u, v});
      cone.push_back(f.rim(t, z1, nx, ny, 0, u, 0));
    }
    for (int t = f.steps; t >= 0; --t) bottom.push_back(f.rim(t, z1, 0, 0, -1, 0, 0));

    const Shape closed = CylinderShape(kBox, h, v, true, asked, kC);
    ASSERT_EQ(closed.size(), 3u);
    ExpectGroup(closed[0], 6, top, "cylinder top" + n);
    ExpectGroup(closed[1], 5, side, "cylinder side" + n);
    ExpectGroup(closed[2], 6, bottom, "cylinder bottom" + n);
    const Shape open = CylinderShape(kBox, h, v, false, asked, kC);
    ASSERT_EQ(open.size(), 1u);
    ExpectGroup(open[0], 5, side, "open cylinder" + n);

    const Shape c = ConeShape(kBox, h, v, true, asked, kC);
    ASSERT_EQ(c.size(), 2u);
    ExpectGroup(c[0], 5, cone, "cone" + n);
    ExpectGroup(c[1], 6, bottom, "cone bottom" + n);
    EXPECT_EQ(ConeShape(kBox, h, v, false, asked, kC).size(), 1u);

    const Shape e = EllipsoidShape(kBox, h, v, asked, kC);
    const int rings = (f.steps + 1) / 2;
    ASSERT_EQ(int(e.size()), rings) << n;
    for (int j = 0; j < rings; ++j) {
      std::vector<V> ring;
      for (int t = 0; t <= f.steps; ++t)
        for (int k : {j, j + 1}) {
          const double phi = M_PI * k / rings;
          const double nx = std::sin(phi) * std::cos(f.th(t)), ny = std::sin(phi) * std::sin(f.th(t)), nz = std::cos(phi);
          ring.push_back({f.cx + f.rx * nx, f.cy + f.ry * ny, f.cz + f.rz * nz, nx, ny, nz, h * t / f.steps, v * k / rings});
        }
      ExpectGroup(e[size_t(j)], 5, ring, "ellipsoid ring " + std::to_string(j) + n);
    }
    EXPECT_NEAR(e[0].vertices[0].z, z2, 1e-5) << "ring 0 starts at z2";
  }
}

TEST(D3DShapes, WallAndFloor) {
  const Shape w = WallShape(Box3D{0, 0, 0, 3, 4, 10}, 2, 3, kC);
  ASSERT_EQ(w.size(), 1u);
  const double nx = 4.0 / 5, ny = -3.0 / 5;
  ExpectGroup(w[0], 6, {{0, 0, 0, nx, ny, 0, 0, 0}, {3, 4, 0, nx, ny, 0, 2, 0}, {3, 4, 10, nx, ny, 0, 2, 3}, {0, 0, 10, nx, ny, 0, 0, 3}},
              "wall");
  EXPECT_TRUE(WallShape(Box3D{1, 1, 0, 1, 1, 5}, 1, 1, kC).empty());
  const Shape f = FloorShape(Box3D{0, 0, 1, 8, 6, 2}, 2, 3, kC);
  ExpectGroup(f[0], 6, {{0, 0, 1, 0, 0, 1, 0, 0}, {0, 6, 1, 0, 0, 1, 0, 3}, {8, 6, 2, 0, 0, 1, 2, 3}, {8, 0, 2, 0, 0, 1, 2, 0}},
              "floor (height from z1 at x1 to z2 at x2)");
}

TEST_F(D3DTest, ShapesDrawWithRepeatOnAndTheCurrentColourThenRestoreRepeat) {
  CallBuiltin(DrawBuiltins(), "draw_set_color", Reals({double(0x0000FF)}));
  D3D("d3d_draw_block", Reals({0, 0, 0, 10, 10, 10, -1, 1, 1}));
  ASSERT_EQ(device->draws.size(), 6u);
  for (const auto& d : device->draws) {
    EXPECT_EQ(d.type, PrimitiveType::TriangleFan);
    EXPECT_EQ(d.state.stage0.addressU, platform::TextureAddress::Wrap);
    EXPECT_EQ(d.vertices[0].colour, 0xFFFF0000u);
  }
  EXPECT_FALSE(display().textureRepeat);
  EXPECT_EQ(device->state().stage0.addressU, platform::TextureAddress::Clamp);
  device->draws.clear();
  D3D("d3d_draw_wall", Reals({5, 5, 0, 5, 5, 10, -1, 1, 1}));
  EXPECT_TRUE(device->draws.empty()) << "a wall whose corners share x and y draws nothing";
  EXPECT_FALSE(display().textureRepeat);
}

// --- the primitive buffer ---

TEST_F(D3DTest, PrimitivesDrawWhatTheirKindAllows) {
  D3D("d3d_primitive_begin", Reals({5}));
  D3D("d3d_vertex", Reals({0, 0, 0}));
  D3D("d3d_vertex", Reals({1, 0, 0}));
  D3D("d3d_primitive_end");
  EXPECT_TRUE(device->draws.empty()) << "a strip of two vertices draws nothing";
  D3D("d3d_primitive_begin", Reals({9}));
  for (int i = 0; i < 3; ++i) D3D("d3d_vertex", Reals({0, 0, 0}));
  D3D("d3d_primitive_end");
  EXPECT_TRUE(device->draws.empty()) << "an unknown kind draws nothing";

  D3D("d3d_primitive_begin", Reals({4}));
  D3D("d3d_vertex_normal_texture_color", Reals({1, 2, 3, 0, 0, -1, 0.5, 0.25, double(0x00FF00), 0.5}));
  D3D("d3d_vertex_texture", Reals({4, 5, 6, 1, 1}));
  D3D("d3d_vertex_normal_color", Reals({7, 8, 9, 1, 0, 0, double(0xFF0000), 1}));
  D3D("d3d_primitive_end");
  ASSERT_EQ(device->draws.size(), 1u);
  const auto& v = device->draws[0].vertices;
  EXPECT_EQ(v[0].x, 1.0f);
  EXPECT_EQ(v[0].z, 3.0f);
  EXPECT_EQ(v[0].nz, -1.0f);
  EXPECT_EQ(v[0].u, 0.5f);
  EXPECT_EQ(v[0].v, 0.25f);
  EXPECT_EQ(v[0].colour, 0x8000FF00u);
  EXPECT_EQ(v[1].colour, 0xFF000000u) << "the current colour (black) and alpha";
  EXPECT_EQ(v[2].nx, 1.0f);
  EXPECT_EQ(v[2].colour, 0xFF0000FFu);

  D3D("d3d_primitive_begin", Reals({1}));
  for (int i = 0; i < 33000; ++i) D3D("d3d_vertex", Reals({double(i), 0, 0}));
  EXPECT_EQ(primitive3D().vertices.size(), size_t(kMax3DVertices));
}

// --- mode and settings ---

TEST_F(D3DTest, StartingTwiceResetsOnceAndEndingTurnsPerspectiveAndHiddenOff) {
  EXPECT_EQ(D3D("d3d_start").real, 1);
  EXPECT_EQ(D3D("d3d_start").real, 1);
  EXPECT_EQ(device->resets, 1);
  EXPECT_TRUE(display().mode3d);
  EXPECT_TRUE(device->state().zEnable);
  EXPECT_TRUE(device->state().alphaTest);
  D3D("d3d_set_hidden", Reals({0}));
  EXPECT_FALSE(device->state().zEnable);
  D3D("d3d_set_perspective", Reals({0}));
  EXPECT_EQ(D3D("d3d_end").real, 1);
  EXPECT_FALSE(display().perspective);
  EXPECT_FALSE(display().hiddenSurfaceRemoval);
  D3D("d3d_start");
  EXPECT_TRUE(display().perspective);
  EXPECT_TRUE(display().hiddenSurfaceRemoval);
  EXPECT_EQ(device->resets, 3);
}

TEST_F(D3DTest, DepthIsLimitedIn3DModeAndZeroOutside) {
  D3D("d3d_set_depth", Reals({500}));
  EXPECT_EQ(drawState().depth, 0);
  D3D("d3d_start");
  D3D("d3d_set_depth", Reals({20000}));
  EXPECT_EQ(drawState().depth, 16000);
  D3D("d3d_set_depth", Reals({-20000}));
  EXPECT_EQ(drawState().depth, -16000);
  D3D("d3d_set_depth", Reals({std::numeric_limits<double>::quiet_NaN()}));
  EXPECT_EQ(drawState().depth, 0);
  D3D("d3d_set_depth", Reals({42}));
  CallBuiltin(DrawBuiltins(), "draw_point", Reals({3, 4}));
  ASSERT_FALSE(device->draws.empty());
  EXPECT_EQ(device->draws.back().vertices[0].z, 42.0f) << "ordinary drawing takes the depth as z";
}

TEST_F(D3DTest, ViewsAreSeenThroughThePerspectiveCameraIn3DMode) {
  D3D("d3d_start");
  display().setProjection(0, 0, 640, 480, 0);
  EXPECT_EQ(device->projection(), D3DXMatrixPerspectiveLH(1, 480.0 / 640, 1, 32000));
  EXPECT_EQ(device->view(), D3DXMatrixLookAtLH({320, 240, -640}, {320, 240, 0}, {0, 1, 0}));
  D3D("d3d_set_perspective", Reals({0}));
  display().setProjection(0, 0, 640, 480, 0);
  EXPECT_EQ(device->projection(), D3DXMatrixOrthoLH(640, -480, 1, 32000));
  D3D("d3d_set_projection_ext", Reals({1, 2, 3, 4, 5, 6, 0, 0, 1, 60, 1.5, 1, 1000}));
  EXPECT_EQ(device->projection(), D3DXMatrixPerspectiveFovLH(float(60 * M_PI / 180), 1.5, 1, 1000));
  EXPECT_EQ(device->view(), D3DXMatrixLookAtLH({1, 2, 3}, {4, 5, 6}, {0, 0, 1}));
  const Matrix projection = device->projection();
  D3D("d3d_set_projection", Reals({0, 0, 0, 1, 0, 0, 0, 0, 1}));
  EXPECT_EQ(device->projection(), projection) << "the projection matrix is not changed";
}

TEST_F(D3DTest, RenderStatesAreAppliedAgainAfterAReset) {
  D3D("d3d_start");
  D3D("d3d_set_fog", Reals({1, double(0x808080), 10, 100}));
  D3D("d3d_set_lighting", Reals({1}));
  D3D("d3d_set_shading", Reals({0}));
  D3D("d3d_set_culling", Reals({1}));
  D3D("d3d_light_define_direction", Reals({0, 1, 0, 0, double(0x0000FF)}));
  D3D("d3d_light_enable", Reals({0, 1}));
  D3D("d3d_transform_set_translation", Reals({1, 2, 3}));
  EXPECT_TRUE(device->light(0).enabled);
  EXPECT_EQ(device->light(0).diffuse, (platform::ColourValue{1, 0, 0, 0}));
  const platform::RenderState before = device->state();
  device->setState(platform::RenderState{});  // a reset that lost everything
  display().resetDevice();
  EXPECT_EQ(device->state(), before);
  EXPECT_TRUE(device->state().fog);
  EXPECT_EQ(device->state().fogColour, 0xFF808080u);
  EXPECT_EQ(device->state().shade, platform::ShadeMode::Flat);
  EXPECT_EQ(device->state().cull, platform::CullMode::CounterClockwise);
  EXPECT_TRUE(device->state().lighting);
  // The world matrix and the lights are the device's: back to its defaults.
  EXPECT_EQ(device->world(), Matrix{});
  EXPECT_FALSE(device->light(0).enabled);
}

TEST_F(D3DTest, PointLightsAttenuateByRange) {
  D3D("d3d_light_define_point", Reals({2, 1, 2, 3, 200, double(0x00FF00)}));
  const platform::Light& l = device->light(2);
  EXPECT_EQ(l.type, platform::LightType::Point);
  EXPECT_EQ(l.range, 200.0f);
  EXPECT_EQ(l.attenuation0, 1.0f);
  EXPECT_EQ(l.attenuation1, 0.02f);
  EXPECT_FALSE(l.enabled);
  D3D("d3d_light_define_point", Reals({3, 1, 2, 3, 0, double(0x00FF00)}));
  EXPECT_EQ(device->light(3).attenuation1, 0.0f);
}

// --- models ---

TEST_F(D3DTest, ModelsRecordTheirArgumentsAndReuseFreeSlots) {
  EXPECT_EQ(D3D("d3d_model_create").real, 0);
  EXPECT_EQ(D3D("d3d_model_create").real, 1);
  D3D("d3d_model_destroy", Reals({0}));
  EXPECT_EQ(D3D("d3d_model_create").real, 0);
  D3D("d3d_model_cylinder", Reals({1, 1, 2, 3, 4, 5, 6, 7, 8, 1, 24}));
  D3D("d3d_model_vertex_color", Reals({1, 2, 3, 4, 5, 0.5}));
  D3D("d3d_model_cylinder", Reals({7, 1, 2, 3, 4, 5, 6, 7, 8, 1, 24}));  // no such model: nothing
  const C3DModel* m = GetModel(1);
  ASSERT_EQ(m->entries.size(), 2u);
  EXPECT_EQ(m->entries[0], (ModelEntry{11, {1, 2, 3, 4, 5, 6, 7, 8, 1, 24}}));
  EXPECT_EQ(m->entries[1], (ModelEntry{3, {2, 3, 4, 5, 0.5, 0, 0, 0, 0, 0}}));
  D3D("d3d_model_clear", Reals({1}));
  EXPECT_TRUE(GetModel(1)->entries.empty());
}

TEST_F(D3DTest, AModelIsUploadedOnceAndDrawnFromTheDevicesBuffer) {
  const double id = D3D("d3d_model_create").real;
  D3D("d3d_model_block", Reals({id, 0, 0, 0, 10, 10, 10, 1, 1}));
  D3D("d3d_model_primitive_begin", Reals({id, 5}));
  for (int i = 0; i < 4; ++i) D3D("d3d_model_vertex", Reals({id, double(i), double(i % 2), 0}));
  D3D("d3d_model_primitive_end", Reals({id}));
  for (int k = 0; k < 3; ++k) D3D("d3d_model_draw", Reals({id, 100, 200, 300, -1}));
  EXPECT_EQ(device->buffers.size(), 1u) << "one upload for three draws";
  // Each draw: the block's 36 list vertices with repeat on, then the strip's 6 with the game's.
  ASSERT_EQ(device->draws.size(), 6u);
  EXPECT_EQ(device->draws[0].vertices.size(), 36u);
  EXPECT_EQ(device->draws[0].state.stage0.addressU, platform::TextureAddress::Wrap);
  EXPECT_EQ(device->draws[1].vertices.size(), 6u);
  EXPECT_EQ(device->draws[1].state.stage0.addressU, platform::TextureAddress::Clamp);
  EXPECT_EQ(device->draws[0].world, D3DXMatrixTranslation(100, 200, 300));
  EXPECT_EQ(device->world(), Matrix{}) << "the world matrix is restored";
  // The same vertices as drawing the shape directly, as lists.
  std::vector<Vertex> direct;
  for (const ShapeGroup& g : BlockShape(Box3D{0, 0, 0, 10, 10, 10}, 1, 1, drawState().colour))
    platform::AppendAsList(PrimitiveType::TriangleFan, g.vertices.data(), int(g.vertices.size()), direct);
  ASSERT_EQ(direct.size(), 36u);
  for (size_t i = 0; i < direct.size(); ++i) {
    EXPECT_EQ(device->draws[0].vertices[i].x, direct[i].x);
    EXPECT_EQ(device->draws[0].vertices[i].v, direct[i].v);
  }
  // A change of the entries or of the drawing colour makes a new copy; the old one is freed.
  CallBuiltin(DrawBuiltins(), "draw_set_color", Reals({double(0x0000FF)}));
  D3D("d3d_model_draw", Reals({id, 0, 0, 0, -1}));
  EXPECT_EQ(device->buffers.size(), 1u);
  EXPECT_EQ(device->draws.back().vertices[0].colour, 0xFFFF0000u);
  D3D("d3d_model_destroy", Reals({id}));
  EXPECT_TRUE(device->buffers.empty());
}

std::string Temp(const std::string& name) { return (std::filesystem::temp_directory_path() / name).string(); }
void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(D3DTest, ASavedModelReadsBackRoundedTo4Decimals) {
  const double id = D3D("d3d_model_create").real;
  D3D("d3d_model_ellipsoid", Reals({id, -1.23456, 2, 3, 4, 5, 6, 1, 1, 12}));
  D3D("d3d_model_vertex", Reals({id, 12345678901.5, 0.00004, -7}));
  const std::string path = Temp("qv_model_round.d3d");
  D3D("d3d_model_save", {RValue(double(id)), RValue(path)});
  const std::string text = ReadAll(path);
  EXPECT_EQ(text.substr(0, 8), "100\r\n2\r\n");
  EXPECT_NE(text.find("13 -1.2346 2.0000 3.0000 4.0000 5.0000 6.0000 1.0000 1.0000 12.0000 0.0000\r\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("2 1.23456789015000E+10 0.0000 -7.0000"), std::string::npos) << text;
  const double other = D3D("d3d_model_create").real;
  D3D("d3d_model_load", {RValue(double(other)), RValue(path)});
  const C3DModel* m = GetModel(int(other));
  ASSERT_EQ(m->entries.size(), 2u);
  EXPECT_EQ(m->entries[0].e[0], -1.2346);
  EXPECT_EQ(m->entries[1].e[0], 12345678901.5);
  EXPECT_EQ(m->entries[1].e[1], 0.0);
  std::filesystem::remove(path);
}

TEST(D3DModelFile, BadInputFailsAsThePartSays) {
  struct Case {
    const char* what;
    std::string text;
    ModelRead result;
    size_t entries;
  };
  const std::string line = "2 1 2 3 0 0 0 0 0 0 0\r\n";
  const Case cases[] = {
      {"a good file", "100\r\n2\r\n" + line + line, ModelRead::Read, 2},
      {"entries separated by line ends", "100\n1\n4\n1\n2\n3\n4\n5\n0\n0\n0\n0\n0\n", ModelRead::Read, 1},
      {"another version", "101\r\n2\r\n" + line + line, ModelRead::BadVersion, 0},
      {"an empty file", "", ModelRead::BadVersion, 0},
      {"a version that is no number", "1OO\r\n", ModelRead::BadVersion, 0},
      {"no count", "100\r\n", ModelRead::Failed, 0},
      {"truncated in the second entry", "100\r\n3\r\n" + line + "2 1 2", ModelRead::Failed, 3},
      {"a NaN coordinate", "100\r\n2\r\n2 NAN 2 3 0 0 0 0 0 0 0\r\n", ModelRead::Failed, 2},
      {"an infinite coordinate", "100\r\n1\r\n2 1e999 2 3 0 0 0 0 0 0 0\r\n", ModelRead::Failed, 1},
      {"a negative count", "100\r\n-5\r\n", ModelRead::CountRefused, 0},
      {"an absurd count", "100\r\n2000000000\r\n" + line, ModelRead::CountRefused, 0},
      {"a count beyond 64 bits", "100\r\n99999999999999999999999\r\n", ModelRead::Failed, 0},
      {"a kind that is no integer", "100\r\n1\r\n2.5 1 2 3 0 0 0 0 0 0 0\r\n", ModelRead::Failed, 1},
  };
  for (const Case& c : cases) {
    std::vector<ModelEntry> entries{ModelEntry{}};
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.text.data());
    EXPECT_EQ(ReadModelText(bytes, c.text.size(), entries), c.result) << c.what;
    EXPECT_EQ(entries.size(), c.entries) << c.what;
  }
  // Truncated part way: the first entry was read, the rest stay zero.
  std::vector<ModelEntry> entries;
  const std::string text = "100\r\n3\r\n" + line + "2 1 2";
  ReadModelText(reinterpret_cast<const uint8_t*>(text.data()), text.size(), entries);
  EXPECT_EQ(entries[0], (ModelEntry{2, {1, 2, 3}}));
  EXPECT_EQ(entries[1], ModelEntry{});
  // An unknown kind is kept and draws nothing.
  std::vector<Vertex> vertices;
  std::vector<ModelRun> runs;
  BuildModelVertices({ModelEntry{77, {1, 2, 3}}}, 0xFFFFFFFF, vertices, runs);
  EXPECT_TRUE(vertices.empty());
}

// The checks of fuzz/fuzz_model_file.cpp over mutations of a good file, so that every test run
// covers them (the fuzz target runs only in CI's sanitizer build).
TEST(D3DModelFile, MutatedFilesStayBoundedAndWhatIsReadWritesBack) {
  const std::string good = "100\r\n3\r\n10 0 0 0 10 10 10 1 1 0 0\r\n0 4 0 0 0 0 0 0 0 0 0\r\n"
                           "11 0 0 0 10 10 10 1 1 1 24.5\r\n";
  std::mt19937 random(26);
  for (int k = 0; k < 3000; ++k) {
    const std::string m = qv::testing::Mutate(good, random, "0123456789 .-eE\n");
    std::vector<ModelEntry> entries;
    ReadModelText(reinterpret_cast<const uint8_t*>(m.data()), m.size(), entries);
    ASSERT_LE(entries.size(), MaxModelEntries(m.size())) << m;
    std::vector<Vertex> vertices;
    std::vector<ModelRun> runs;
    BuildModelVertices(entries, 0xFFFFFFFF, vertices, runs);
    const std::string text = ModelFileText(entries);
    std::vector<ModelEntry> again;
    ASSERT_EQ(ReadModelText(reinterpret_cast<const uint8_t*>(text.data()), text.size(), again), ModelRead::Read) << m;
    ASSERT_EQ(again.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
      for (size_t v = 0; v < 10; ++v)
        ASSERT_NEAR(again[i].e[v], entries[i].e[v], 0.0000501 + std::fabs(entries[i].e[v]) * 1e-14) << m;
  }
}

TEST_F(D3DTest, LoadingAFileWhoseFirstLineIsNot100LeavesTheModelEmpty) {
  const double id = D3D("d3d_model_create").real;
  D3D("d3d_model_vertex", Reals({id, 1, 2, 3}));
  const std::string path = Temp("qv_model_v99.d3d");
  Write(path, "99\r\n1\r\n2 1 2 3 0 0 0 0 0 0 0\r\n");
  D3D("d3d_model_load", {RValue(double(id)), RValue(path)});
  EXPECT_TRUE(GetModel(int(id))->entries.empty());
  D3D("d3d_model_vertex", Reals({id, 1, 2, 3}));
  D3D("d3d_model_load", {RValue(double(id)), RValue(Temp("qv_no_such_model.d3d"))});
  EXPECT_TRUE(GetModel(int(id))->entries.empty()) << "a file that cannot be opened leaves it empty";
  std::filesystem::remove(path);
}

TEST_F(D3DTest, SavingObeysSecureMode) {
  const double id = D3D("d3d_model_create").real;
  system::SetSecureMode(true);
  const std::string path = Temp("qv_secure_model.d3d");
  D3D("d3d_model_save", {RValue(double(id)), RValue(path)});
  system::SetSecureMode(false);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_NE(qv::testing::LastError().find("secure mode"), std::string::npos) << qv::testing::LastError();
}

}  // namespace
}  // namespace qv::graphics
