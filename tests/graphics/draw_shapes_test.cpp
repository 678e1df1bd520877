// The drawing state, shapes, primitives and the colour functions, checked on the vertex streams
// of the recording device.
#include <gtest/gtest.h>

#include "draw_test_support.h"
#include "graphics/builtins.h"

namespace qv::graphics {
namespace {

using namespace drawtest;
using code::RValue;
using platform::PrimitiveType;
using qv::testing::CallBuiltin;
using qv::testing::LastError;

class Shapes : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDrawing();
    dev = UseRecordingDevice();
  }
  void TearDown() override { ResetDrawing(); }
  RValue Call(const char* fn, std::vector<RValue> args = {}) {
    return CallBuiltin(DrawBuiltins(), fn, std::move(args));
  }
  const platform::RecordingDevice::Draw& Only() {
    EXPECT_EQ(dev->draws.size(), 1u);
    return dev->draws.back();
  }
  platform::RecordingDevice* dev = nullptr;
};


TEST_F(Shapes, RectanglesCoverTheirWholeNumberFarEdge) {
  Call("draw_rectangle", Reals({10, 10, 0, 0, 0}));
  const auto& fill = Only();
  EXPECT_EQ(fill.type, PrimitiveType::TriangleFan);
  ASSERT_EQ(fill.vertices.size(), 4u);
  EXPECT_FLOAT_EQ(fill.vertices[0].x, 0.0f);
  EXPECT_FLOAT_EQ(fill.vertices[2].x, 10.01f);
  EXPECT_FLOAT_EQ(fill.vertices[2].y, 10.01f);
  dev->draws.clear();
  Call("draw_rectangle", Reals({0.5, 0, 9.5, 4, 1}));
  const auto& outline = Only();
  EXPECT_EQ(outline.type, PrimitiveType::LineStrip);
  ASSERT_EQ(outline.vertices.size(), 5u);
  EXPECT_FLOAT_EQ(outline.vertices[1].x, 9.5f);  // not a whole number: unchanged
  EXPECT_FLOAT_EQ(outline.vertices[2].y, 4.01f);
  EXPECT_EQ(outline.vertices[4].x, outline.vertices[0].x);
}

TEST_F(Shapes, CirclePrecisionIsAMultipleOfFourFrom4To64) {
  struct Case {
    double asked;
    int sides;
  };
  for (const Case c : {Case{30, 28}, Case{2, 4}, Case{100, 64}, Case{24, 24}, Case{7, 4}}) {
    Call("draw_set_circle_precision", Reals({c.asked}));
    EXPECT_EQ(drawState().circlePrecision, c.sides) << c.asked;
    dev->draws.clear();
    Call("draw_circle", Reals({50, 50, 10, 0}));
    EXPECT_EQ(Only().vertices.size(), size_t(c.sides + 2)) << "centre, and the ring closed";
    dev->draws.clear();
    Call("draw_circle", Reals({50, 50, 10, 1}));
    EXPECT_EQ(Only().vertices.size(), size_t(c.sides + 1));
  }
  // Precision 4: the ring points of a circle are right, bottom, left, top.
  const auto& ring = dev->draws.back().vertices;
  EXPECT_FLOAT_EQ(ring[0].x, 60.0f);
  EXPECT_NEAR(ring[1].y, 60.0f, 1e-4);
  EXPECT_NEAR(ring[2].x, 40.0f, 1e-4);
}

TEST_F(Shapes, GradientShapesPutTheirColoursAtTheirCorners) {
  Call("draw_set_alpha", Reals({0.5}));
  Call("draw_circle_color", Reals({0, 0, 5, double(0x0000FF), double(0xFF0000), 0}));
  const auto& fan = Only().vertices;
  EXPECT_EQ(fan[0].colour, 0x80FF0000u);  // centre: red at the current alpha
  EXPECT_EQ(fan[1].colour, 0x800000FFu);  // edge: blue
  dev->draws.clear();
  Call("draw_rectangle_color", Reals({4, 4, 0, 0, 1, 2, 3, 4, 0}));
  const auto& q = Only().vertices;
  // After ordering, the colours still go to (x1, y1), (x2, y1), (x2, y2), (x1, y2).
  EXPECT_EQ(q[0].colour & 0xFFFFFF, 0x010000u);
  EXPECT_EQ(q[3].colour & 0xFFFFFF, 0x040000u);
  EXPECT_FLOAT_EQ(q[0].x, 0.0f);
}

TEST_F(Shapes, LinesArrowsAndButtons) {
  Call("draw_line_width", Reals({0, 0, 10, 0, 4}));
  const auto& quad = Only().vertices;
  EXPECT_FLOAT_EQ(quad[0].y, 2.0f);
  EXPECT_FLOAT_EQ(quad[2].y, -2.0f);
  dev->draws.clear();
  Call("draw_line_width", Reals({3, 3, 3, 3, 4}));
  EXPECT_TRUE(dev->draws.empty()) << "nothing for coinciding ends";
  Call("draw_arrow", Reals({0, 0, 30, 0, 60}));  // size cut to the length
  ASSERT_EQ(dev->draws.size(), 2u);
  const auto& head = dev->draws[1].vertices;
  EXPECT_FLOAT_EQ(head[0].x, 30.0f);
  EXPECT_FLOAT_EQ(head[1].x, 0.0f);
  EXPECT_FLOAT_EQ(std::fabs(head[1].y), 10.0f);
  dev->draws.clear();
  Call("draw_set_color", Reals({double(0x00FF00)}));
  Call("draw_button", Reals({0, 0, 20, 10, 1}));
  ASSERT_EQ(dev->draws.size(), 2u);
  EXPECT_EQ(dev->draws[0].vertices[0].colour, 0xFFFFFFFFu);  // up: light top-left
  EXPECT_EQ(dev->draws[0].vertices[3].colour, 0xFF808080u);
  EXPECT_FLOAT_EQ(dev->draws[1].vertices[0].x, 2.0f);
  EXPECT_EQ(dev->draws[1].vertices[0].colour, 0xFF00FF00u);
}

TEST_F(Shapes, HealthbarColourAndExtent) {
  struct Case {
    double amount;
    int direction;
    float x1, x2, y1, y2;
    uint32_t colour;
  };
  // Min red, max blue: mid is (128, 0, 128); 75 lies halfway from mid to blue.
  const Case cases[] = {
      {75, 0, 0, 75.01f, 0, 10.01f, 0xFF4000C0u},
      {0, 1, 100, 100.01f, 0, 10.01f, 0xFFFF0000u},
      {150, 2, 0, 100.01f, 0, 10.01f, 0xFF0000FFu},
      {50, 3, 0, 100.01f, 5, 10.01f, 0xFF800080u},
  };
  for (const Case& c : cases) {
    dev->draws.clear();
    Call("draw_healthbar", Reals({0, 0, 100, 10, c.amount, 0, double(0x0000FF), double(0xFF0000),
                                  double(c.direction), 0, 0}));
    const auto& bar = Only().vertices;
    EXPECT_FLOAT_EQ(bar[0].x, c.x1) << c.amount;
    EXPECT_FLOAT_EQ(bar[2].x, c.x2) << c.amount;
    EXPECT_FLOAT_EQ(bar[0].y, c.y1) << c.amount;
    EXPECT_FLOAT_EQ(bar[2].y, c.y2) << c.amount;
    EXPECT_EQ(bar[0].colour, c.colour) << c.amount;
  }
  dev->draws.clear();
  Call("draw_healthbar", Reals({0, 0, 100, 10, 40, 0, 255, 255, 0, 1, 1}));
  EXPECT_EQ(dev->draws.size(), 4u) << "back, its border, bar, its border";
}

TEST_F(Shapes, PrimitivesCountTheirVerticesAndHoldAtMost1001) {
  struct Case {
    int kind, vertices, drawn;
  };
  const Case cases[] = {{1, 5, 5}, {2, 5, 4}, {3, 1, 0}, {3, 4, 4}, {4, 7, 6}, {5, 2, 0}, {6, 5, 5}, {7, 9, 0},
                        {4, 1200, 1001 / 3 * 3}};
  for (const Case& c : cases) {
    dev->draws.clear();
    Call("draw_primitive_begin", Reals({double(c.kind)}));
    for (int i = 0; i < c.vertices; ++i) Call("draw_vertex", Reals({double(i), double(i % 7)}));
    Call("draw_primitive_end");
    if (c.drawn == 0) {
      EXPECT_TRUE(dev->draws.empty()) << c.kind << " with " << c.vertices;
    } else {
      ASSERT_EQ(dev->draws.size(), 1u);
      EXPECT_EQ(int(dev->draws[0].type), c.kind);
      EXPECT_EQ(int(dev->draws[0].vertices.size()), c.drawn) << c.kind << " with " << c.vertices;
    }
  }
  dev->draws.clear();
  Call("draw_primitive_begin", Reals({4}));
  Call("draw_vertex_color", Reals({0, 0, double(0x0000FF), 0.25}));
  Call("draw_vertex_texture", Reals({1, 0, 0.5, 0.25}));
  Call("draw_vertex_texture_color", Reals({1, 1, 1, 1, double(0xFF0000), 1}));
  Call("draw_primitive_end");
  const auto& v = Only().vertices;
  EXPECT_EQ(v[0].colour, 0x40FF0000u);
  EXPECT_EQ(v[1].colour, 0xFF000000u);  // the current colour: black, opaque
  EXPECT_FLOAT_EQ(v[1].u, 0.5f);
  EXPECT_FLOAT_EQ(v[1].v, 0.25f);
  EXPECT_EQ(v[2].colour, 0xFF0000FFu);
}

TEST_F(Shapes, BlendModesSetTheDeviceFactors) {
  using platform::BlendFactor;
  struct Case {
    double mode;
    BlendFactor src, dest;
  };
  const Case cases[] = {{0, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha},
                        {1, BlendFactor::SrcAlpha, BlendFactor::One},
                        {2, BlendFactor::SrcAlpha, BlendFactor::InvSrcColor},
                        {3, BlendFactor::Zero, BlendFactor::InvSrcColor},
                        {9, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha}};
  for (const Case& c : cases) {
    Call("draw_set_blend_mode", Reals({c.mode}));
    EXPECT_EQ(dev->state().srcBlend, c.src) << c.mode;
    EXPECT_EQ(dev->state().destBlend, c.dest) << c.mode;
  }
  Call("draw_set_blend_mode_ext", Reals({9, 7}));
  EXPECT_EQ(dev->state().srcBlend, BlendFactor::DestColor);
  EXPECT_EQ(dev->state().destBlend, BlendFactor::DestAlpha);
  Call("draw_set_blend_mode_ext", Reals({12, 2}));  // not a factor: nothing changes
  EXPECT_EQ(dev->state().srcBlend, BlendFactor::DestColor);
}

TEST_F(Shapes, ColourAndAlphaState) {
  Call("draw_set_color", Reals({double(0x123456)}));
  EXPECT_EQ(Call("draw_get_color").real, double(0x123456));
  Call("draw_set_alpha", Reals({1.7}));
  EXPECT_EQ(Call("draw_get_alpha").real, 1.0);
  Call("draw_set_alpha", Reals({0.25}));
  EXPECT_EQ(drawState().colour, 0x40563412u);
  Call("draw_set_alpha", Reals({-3}));
  EXPECT_EQ(Call("draw_get_alpha").real, 0.0);
  EXPECT_EQ(Call("draw_get_color").real, double(0x123456));
}

TEST_F(Shapes, DrawingWhatDoesNotExistReportsIt) {
  struct Case {
    const char* fn;
    std::vector<RValue> args;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"draw_sprite", Reals({0, 0, 0, 0}), "Trying to draw non-existing sprite."},
      {"draw_sprite_ext", Reals({4, 0, 0, 0, 1, 1, 0, 0, 1}), "Trying to draw non-existing sprite."},
      {"draw_background", Reals({0, 0, 0}), "Trying to draw non-existing background."},
      {"draw_background_tiled", Reals({2, 0, 0}), "Trying to draw non-existing background."},
  };
  for (const Case& c : cases) {
    qv::testing::ClearErrors();
    Call(c.fn, c.args);
    EXPECT_NE(LastError().find(c.message), std::string::npos) << c.fn;
  }
  EXPECT_TRUE(dev->draws.empty());
}

TEST_F(Shapes, TiledImagesStartLeftOfTheAreaAndCoverIt) {
  auto b = std::make_unique<CBackground>();
  b->image = data::TBitmap32(10, 8, 0xFFFFFFFF);
  CreateBackgroundTexture(*b);
  backgrounds().append(std::move(b), "__newbackground");
  roomArea() = [] { return Area{0, 0, 35, 20}; };
  Call("draw_background_tiled", Reals({0, 23, -3}));
  // x: 23 mod 10 = 3, moved to -7; columns -7, 3, 13, 23, 33. y: -3 stays; rows -3, 5, 13.
  ASSERT_EQ(dev->draws.size(), 15u);
  EXPECT_FLOAT_EQ(dev->draws[0].vertices[0].x, -7.5f);
  EXPECT_FLOAT_EQ(dev->draws[0].vertices[0].y, -3.5f);
  EXPECT_FLOAT_EQ(dev->draws[14].vertices[0].x, 32.5f);
  EXPECT_FLOAT_EQ(dev->draws[14].vertices[0].y, 12.5f);
  roomArea() = [] { return Area{0, 0, double(display().regionWidth), double(display().regionHeight)}; };
}

TEST(ColourFunctions, Table) {
  struct Case {
    const char* fn;
    std::vector<double> args;
    double result;
  };
  const Case cases[] = {
      {"make_color", {255, 128, 1}, 255 + 128 * 256 + 65536},
      {"make_color_rgb", {300, 0, 0}, 300},  // not clamped
      {"color_get_red", {double(0x123456)}, 0x56},
      {"color_get_green", {double(0x123456)}, 0x34},
      {"color_get_blue", {double(0x123456)}, 0x12},
      {"merge_color", {double(0x0000FF), double(0xFF0000), 0.25}, double(0x4000BF)},
      {"make_color_hsv", {0, 255, 255}, double(0x0000FF)},
      {"color_get_hue", {double(0x00FF00)}, 85},
      {"color_get_saturation", {double(0x808080)}, 0},
      {"color_get_value", {double(0x0000C0)}, 192},
  };
  for (const Case& c : cases) {
    std::vector<RValue> args(c.args.begin(), c.args.end());
    EXPECT_EQ(CallBuiltin(ColourBuiltins(), c.fn, args).real, c.result) << c.fn;
  }
}

}  // namespace
}  // namespace qv::graphics
