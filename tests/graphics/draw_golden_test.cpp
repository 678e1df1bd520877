// Pictures through the real OpenGL path, headless: text with alignment, line breaks and wrapping;
// every shape; each blend mode; draw_sprite_ext with scale, angle, blend and alpha. Each picture
// is compared with a reviewed PNG in tests/golden/ (per-channel tolerance 2), and the pixels the
// rules fix exactly are asserted here as well.
#include <gtest/gtest.h>

#include "draw_test_support.h"
#include "graphics/builtins.h"

namespace qv::graphics {
namespace {

using namespace drawtest;
using code::RValue;
using qv::testing::CallBuiltin;

void Draw(const char* fn, std::vector<RValue> args) { CallBuiltin(DrawBuiltins(), fn, std::move(args)); }
void Text(const char* fn, std::vector<RValue> args) { CallBuiltin(FontBuiltins(), fn, std::move(args)); }

uint32_t Opaque(uint32_t argb) { return argb | 0xFF000000; }

TEST_F(GLDrawing, TextWithAlignmentBreaksAndWrapping) {
  fonts().append(std::make_unique<CFont>(BlockFont()), "__newfont");
  const data::TBitmap32 shot = Render(200, 120, [] {
    Text("draw_set_font", Reals({0}));
    Draw("draw_set_color", Reals({double(0xFFFFFF)}));
    Text("draw_text", {RValue(4.0), RValue(4.0), RValue("AB#CDE")});
    Text("draw_set_halign", Reals({1}));
    Draw("draw_set_color", Reals({double(0x00FFFF)}));
    Text("draw_text", {RValue(100.0), RValue(4.0), RValue("ABC\\#D")});  // one line, no hash glyph
    Text("draw_set_halign", Reals({2}));
    Text("draw_set_valign", Reals({2}));
    Draw("draw_set_color", Reals({double(0x40FF40)}));
    Text("draw_text_ext", {RValue(196.0), RValue(116.0), RValue("AAA BB CCCC D"), RValue(14.0), RValue(40.0)});
    Text("draw_set_halign", Reals({0}));
    Text("draw_set_valign", Reals({0}));
    Text("draw_text_color", {RValue(4.0), RValue(60.0), RValue("GRADIENT"), RValue(double(0x0000FF)),
                             RValue(double(0xFF0000)), RValue(double(0x00FF00)), RValue(double(0xFFFFFF)),
                             RValue(1.0)});
  });
  // Glyph cells are solid: 'A' covers 4..9 x 4..13 exactly in white.
  EXPECT_EQ(shot.pixel(4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(shot.pixel(9, 13), 0xFFFFFFFFu);
  EXPECT_EQ(shot.pixel(10, 4), 0xFF404040u);
  EXPECT_EQ(shot.pixel(4, 14), 0xFFFFFFFFu) << "second line 'C' starts at y 14";
  // Centred: in "ABC#D" the '#' (35) is in the font's range with an empty cell, so the line is
  // five advances, 35 wide, and starts at 100 - 35 div 2 = 83.
  EXPECT_EQ(shot.pixel(83, 4), 0xFFFFFF00u);
  EXPECT_EQ(shot.pixel(82, 4), 0xFF404040u);
  // Shows: white "AB" over "CDE" at the top left; yellow "ABC D" centred at the top (the hash is
  // an empty glyph); green words wrapped at 40 into three lines 14 apart ("AAA ", "BB ",
  // "CCCC D"), right- and bottom-aligned at (196, 116); and "GRADIENT" at (4, 60) fading red to blue along the top and white to green along
  // the bottom.
  ExpectGolden("font_text_blocks", shot);
}

TEST_F(GLDrawing, TextWithTheDefaultFont) {
  const data::TBitmap32 shot = Render(220, 90, [] {
    Draw("draw_set_color", Reals({double(0xFFFFFF)}));
    Text("draw_text", {RValue(4.0), RValue(4.0), RValue("Hello, World! \x80 5 \xE9t\xE9")});
    Text("draw_set_halign", Reals({1}));
    Text("draw_text_transformed", {RValue(110.0), RValue(40.0), RValue("Turned#twice"), RValue(1.0), RValue(1.0),
                                   RValue(20.0)});
    Text("draw_set_halign", Reals({0}));
    Draw("draw_set_alpha", Reals({0.5}));
    Text("draw_text_transformed", {RValue(4.0), RValue(60.0), RValue("Big"), RValue(2.0), RValue(1.5), RValue(0.0)});
  });
  int lit = 0;
  for (uint32_t p : shot.pixels) lit += (p & 0xFF) > 0x80;
  EXPECT_GT(lit, 300) << "glyphs are drawn";
  // Shows, in Liberation Sans 12 (the stand-in for Arial): "Hello, World!  5  t" at the top left
  // (the euro sign and the accented letters lie outside 32..127, so they only take space);
  // "Turned" over "twice", centred on (110, 40) and turned 20 degrees counter-clockwise;
  // and a half-transparent "Big", twice as wide and 1.5 times as tall.
  ExpectGolden("font_text_default", shot);
}

TEST_F(GLDrawing, Shapes) {
  const data::TBitmap32 shot = Render(160, 120, [] {
    Draw("draw_set_color", Reals({double(0x0000FF)}));
    Draw("draw_rectangle", Reals({0, 0, 10, 10, 0}));
    Draw("draw_rectangle", Reals({14, 0, 30, 10, 1}));
    Draw("draw_set_color", Reals({double(0x00FF00)}));
    Draw("draw_circle", Reals({50, 10, 8, 0}));
    Draw("draw_circle", Reals({72, 10, 8, 1}));
    Draw("draw_ellipse", Reals({84, 2, 120, 18, 0}));
    Draw("draw_set_color", Reals({double(0xFF8000)}));
    Draw("draw_triangle", Reals({124, 18, 140, 2, 156, 18, 0}));
    Draw("draw_roundrect", Reals({0, 24, 40, 44, 0}));
    Draw("draw_roundrect", Reals({44, 24, 84, 44, 1}));
    Draw("draw_set_color", Reals({double(0xFFFFFF)}));
    Draw("draw_line", Reals({88, 24, 120, 44}));
    Draw("draw_line_width", Reals({124, 24, 156, 44, 5}));
    Draw("draw_arrow", Reals({4, 56, 60, 56, 12}));
    Draw("draw_point", Reals({70, 56}));
    Draw("draw_set_color", Reals({double(0xA0A0A0)}));
    Draw("draw_button", Reals({80, 48, 120, 64, 1}));
    Draw("draw_button", Reals({124, 48, 156, 64, 0}));
    Draw("draw_healthbar", Reals({4, 70, 76, 80, 75, double(0x202020), double(0x0000FF), double(0x00FF00), 0, 1, 1}));
    Draw("draw_rectangle_color", Reals({80, 70, 156, 90, double(0x0000FF), double(0x00FF00), double(0xFF0000),
                                        double(0xFFFFFF), 0}));
    Draw("draw_circle_color", Reals({24, 100, 14, double(0xFFFFFF), double(0x000080), 0}));
    Draw("draw_set_color", Reals({double(0x00FFFF)}));
    Draw("draw_primitive_begin", Reals({5}));
    for (int i = 0; i < 8; ++i) Draw("draw_vertex", Reals({50.0 + i * 12, 96.0 + (i % 2) * 20}));
    Draw("draw_primitive_end", {});
  });
  // The rectangle (0, 0, 10, 10) covers columns and rows 0 to 10 and no more.
  EXPECT_EQ(shot.pixel(10, 10), 0xFFFF0000u);
  EXPECT_EQ(shot.pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(shot.pixel(11, 5), 0xFF404040u);
  EXPECT_EQ(shot.pixel(5, 11), 0xFF404040u);
  EXPECT_EQ(shot.pixel(50, 10), 0xFF00FF00u);
  // Shows, top row: a filled and an outlined red square, a filled and an outlined green circle, a
  // green ellipse, a blue triangle; second row: a filled and an outlined blue rounded rectangle, a
  // thin and a 5-pixel white line; third row: a white arrow pointing right and a point, a raised
  // and a pressed grey button; then a health bar at 75 (a bar from red towards green over dark
  // grey, black borders) beside a four-colour rectangle (red, green, blue, white corners), a
  // white-centred navy circle and a yellow zigzag strip.
  ExpectGolden("draw_shapes", shot);
}

TEST_F(GLDrawing, BlendModes) {
  // Over a background of (64, 128, 192), each mode draws a square of (200, 100, 50) at alpha 0.5.
  const uint32_t back = 0xFF4080C0;
  const data::TBitmap32 shot = Render(80, 20, [] {
    Draw("draw_set_alpha", Reals({0.5}));
    Draw("draw_set_color", Reals({double(0x3264C8)}));
    for (int mode = 0; mode < 4; ++mode) {
      Draw("draw_set_blend_mode", Reals({double(mode)}));
      Draw("draw_rectangle", Reals({mode * 20.0, 0, mode * 20.0 + 15, 15, 0}));
    }
    Draw("draw_set_blend_mode", Reals({0}));
  }, back);
  // The destination is opaque; the source alpha is 128/255.
  const double a = 128.0 / 255;
  const int src[3] = {200, 100, 50}, dst[3] = {64, 128, 192};
  const auto expect = [&](int mode, int ch) {
    const double s = src[ch], d = dst[ch];
    switch (mode) {
      case 0: return s * a + d * (1 - a);
      case 1: return std::min(255.0, s * a + d);
      case 2: return std::min(255.0, s * a + d * (1 - s / 255));
      default: return d * (1 - s / 255);
    }
  };
  for (int mode = 0; mode < 4; ++mode) {
    const uint32_t p = shot.pixel(mode * 20 + 5, 5);
    const int got[3] = {int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255)};
    for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(got[ch], expect(mode, ch), 1.01) << "mode " << mode << " channel " << ch;
  }
  EXPECT_EQ(Opaque(shot.pixel(17, 5)), back);
  // Shows four squares on a steel-blue ground: normal (a muted mix), add (light), max (a pale
  // mix) and subtract (dark).
  ExpectGolden("draw_blend_modes", shot);
}

TEST_F(GLDrawing, SpriteExtScaledTurnedBlendedAndTransparent) {
  // A 16 x 8 sprite: left half white, right half red, origin at its centre.
  auto s = std::make_unique<CSprite>();
  data::TBitmap32 frame(16, 8, 0xFFFFFFFF);
  for (int y = 0; y < 8; ++y)
    for (int x = 8; x < 16; ++x) frame.setPixel(x, y, 0xFFFF0000);
  s->frames.push_back(frame);
  s->xOrigin = 8;
  s->yOrigin = 4;
  CreateSpriteTextures(*s);
  sprites().append(std::move(s), "__newsprite");
  display().interpolation = false;
  display().applyRenderStates();
  const data::TBitmap32 shot = Render(160, 60, [] {
    Draw("draw_sprite_ext", Reals({0, 0, 20, 20, 1, 1, 0, double(0xFFFFFF), 1}));
    Draw("draw_sprite_ext", Reals({0, 0, 60, 20, 2, 3, 0, double(0xFFFFFF), 1}));
    Draw("draw_sprite_ext", Reals({0, 0, 100, 20, 1, 1, 90, double(0xFFFFFF), 1}));
    Draw("draw_sprite_ext", Reals({0, 0, 130, 20, 2, 2, 0, double(0x00FFFF), 0.5}));
    Draw("draw_sprite_ext", Reals({0, 0, 20, 48, -1, 1, 0, double(0xFFFFFF), 1}));
    Draw("draw_sprite_ext", Reals({0, 0, 60, 48, 1, 1, 45, double(0xFF8080), 1}));
    Draw("draw_sprite_stretched", Reals({0, 0, 84, 40, 32, 16}));
    Draw("draw_sprite_general", Reals({0, 0, 4, 0, 8, 8, 124, 40, 2, 2, 0, double(0x0000FF), double(0x00FF00),
                                       double(0xFF0000), double(0xFFFFFF), 1}));
  });
  // Plain scale: the white half covers x 12..19 of row 16..23, the red half 20..27.
  EXPECT_EQ(shot.pixel(12, 16), 0xFFFFFFFFu);
  EXPECT_EQ(shot.pixel(20, 23), 0xFFFF0000u);
  EXPECT_EQ(shot.pixel(28, 20), 0xFF404040u);
  // Scaled 2 x 3 about the origin: x 44..75, y 8..31.
  EXPECT_EQ(shot.pixel(44, 8), 0xFFFFFFFFu);
  EXPECT_EQ(shot.pixel(75, 31), 0xFFFF0000u);
  // Turned 90 degrees counter-clockwise: the red half points up.
  EXPECT_EQ(shot.pixel(100, 14), 0xFFFF0000u);
  EXPECT_EQ(shot.pixel(100, 25), 0xFFFFFFFFu);
  // Mirrored: the red half is on the left.
  EXPECT_EQ(shot.pixel(14, 48), 0xFFFF0000u);
  // Yellow blend at alpha 0.5: white becomes half yellow over grey.
  const uint32_t half = shot.pixel(122, 18);
  EXPECT_NEAR(int((half >> 16) & 255), (255 + 64) / 2, 2);
  EXPECT_NEAR(int(half & 255), 64 / 2, 2);
  // Shows, top row: the sprite as it is, scaled 2 x 3, turned 90 degrees (red up), doubled in
  // yellow at half alpha; bottom row: mirrored (red left), turned 45 degrees in light blue,
  // stretched to 32 x 16, and its middle part doubled with red, green, blue and white corners.
  ExpectGolden("draw_sprite_ext", shot);
}

}  // namespace
}  // namespace qv::graphics

namespace qv::graphics {
namespace {

TEST_F(GLDrawing, GetPixelReadsWhatWasDrawnAsAScriptColour) {
  display().beginFrame();
  Draw("draw_clear", {RValue(double(0x102030))});
  Draw("draw_set_color", {RValue(double(0x0080FF))});
  Draw("draw_rectangle", {RValue(5.0), RValue(5.0), RValue(9.0), RValue(9.0), RValue(0.0)});
  Draw("draw_clear_alpha", {RValue(double(0x00FF00)), RValue(0.0)});  // the whole viewport, alpha 0
  Draw("draw_rectangle", {RValue(5.0), RValue(5.0), RValue(9.0), RValue(9.0), RValue(0.0)});
  struct Case {
    double x, y, colour;
  };
  for (const Case c : {Case{7, 7, double(0x0080FF)}, Case{1, 1, double(0x00FF00)}, Case{9, 9, double(0x0080FF)},
                       Case{10, 10, double(0x00FF00)}}) {
    const RValue got = CallBuiltin(DrawBuiltins(), "draw_getpixel", {RValue(c.x), RValue(c.y)});
    EXPECT_EQ(got.real, c.colour) << c.x << "," << c.y;
  }
  display().device()->endScene();
}

}  // namespace
}  // namespace qv::graphics

namespace qv::graphics {
namespace {

TEST_F(GLDrawing, ProportionalSpriteFontOverlapsByOnePixel) {
  // Three 6 x 6 frames, each a solid box in columns 1..4 (red, green, blue), transparent around.
  auto s = std::make_unique<CSprite>();
  for (uint32_t colour : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}) {
    data::TBitmap32 frame(6, 6, 0);
    for (int y = 1; y < 5; ++y)
      for (int x = 1; x <= 4; ++x) frame.setPixel(x, y, colour);
    s->frames.push_back(frame);
  }
  CreateSpriteTextures(*s);
  sprites().append(std::move(s), "__newsprite");
  Text("font_add_sprite", Reals({0, 65, 1, 0}));
  const data::TBitmap32 shot = Render(40, 20, [] {
    Draw("draw_set_color", Reals({double(0xFFFFFF)}));
    Text("draw_set_font", Reals({0}));
    Text("draw_text", {RValue(10.0), RValue(10.0), RValue("ABC")});
  });
  // The box's right edge is inclusive, so each advance is 3 while each box is 4 wide: B covers
  // the last column of A, and C the last column of B.
  struct Case {
    int x;
    uint32_t colour;
  };
  for (const Case c : {Case{9, 0xFF404040}, Case{10, 0xFFFF0000}, Case{12, 0xFFFF0000}, Case{13, 0xFF00FF00},
                       Case{15, 0xFF00FF00}, Case{16, 0xFF0000FF}, Case{19, 0xFF0000FF}, Case{20, 0xFF404040}})
    EXPECT_EQ(shot.pixel(c.x, 12), c.colour) << "column " << c.x;
  EXPECT_EQ(shot.pixel(12, 10), 0xFF404040u) << "the frame's transparent top row";
  EXPECT_EQ(shot.pixel(12, 11), 0xFFFF0000u);
  // Shows a red, a green and a blue square in a row at (10, 11), each 4 pixels wide and
  // overlapping the one before by a column.
  ExpectGolden("font_sprite_proportional", shot);
}

}  // namespace
}  // namespace qv::graphics
