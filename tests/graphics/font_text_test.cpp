// Text layout, measures and the geometry of drawn text, with a synthetic font whose glyph tables
// are known exactly (drawn through the recording device), plus sprite fonts and the default font.
#include <gtest/gtest.h>

#include "draw_test_support.h"
#include "graphics/builtins.h"
#include "graphics/text.h"

namespace qv::graphics {
namespace {

using namespace drawtest;
using qv::testing::CallBuiltin;
using code::RValue;

using Lines = std::vector<std::string>;

TEST(FontLayout, BreaksLinesAtHashesAndLineEnds) {
  const CFont f = BlockFont();
  struct Case {
    const char* text;
    Lines lines;
  };
  const Case cases[] = {
      {"AB#CD", {"AB", "CD"}},
      {"AB\\#CD", {"AB#CD"}},           // the backslash goes, the hash stays
      {"A\nB", {"A", "B"}},
      {"A\r\nB", {"A", "B"}},           // the pair is one break
      {"A\rB", {"A", "B"}},
      {"A\r\n\r\nB", {"A", "", "B"}},
      {"A##B", {"A", "", "B"}},
      {"", {}},
      {"AB#", {"AB"}},                  // a break at the end starts no further line
  };
  for (const Case& c : cases) EXPECT_EQ(LayoutText(f, c.text, -1), c.lines) << c.text;
}

TEST(FontLayout, WrapsAtWordsAndNeverBreaksAWord) {
  // Advance 6 per letter, 5 for the space: "AAAA " is 29 pixels.
  const CFont f = BlockFont(5, 10, 5);
  struct Case {
    const char* text;
    double width;
    Lines lines;
  };
  const Case cases[] = {
      {"AAAA AAAA AAAA", 50, {"AAAA ", "AAAA ", "AAAA"}},  // two words would be 58 > 50
      {"AAAA AAAA AAAA", 60, {"AAAA AAAA ", "AAAA"}},
      {"AAAAAAAAAAAA B", 50, {"AAAAAAAAAAAA ", "B"}},    // a 77-pixel word stays whole
      {"AB-CD EF", 20, {"AB-", "CD ", "EF"}},             // hyphens end words and stay with them
      {"AB CD", -1, {"AB CD"}},
      {"AB#CD EF", 20, {"AB", "CD ", "EF"}},
  };
  for (const Case& c : cases) EXPECT_EQ(LayoutText(f, c.text, c.width), c.lines) << c.text << " at " << c.width;
}

TEST(FontLayout, Measures) {
  const CFont f = BlockFont();  // advance 7, space 4, height 10
  EXPECT_EQ(TextWidth(f, "", -1), 1);
  EXPECT_EQ(TextHeight(f, "", -1, -1), 1);
  EXPECT_EQ(TextWidth(f, "AB CDE#A", -1), 7 + 7 + 4 + 21);
  EXPECT_EQ(TextHeight(f, "A#B#C", -1, -1), 30);
  EXPECT_EQ(TextHeight(f, "A#B#C", 16, -1), 10 + 32);
  // A character outside the range advances like the space; without a space in the range, like
  // the first character.
  EXPECT_EQ(StringWidth(f, "AaB"), 7 + 4 + 7);
  CFont letters = f;
  letters.first = 'A';
  EXPECT_EQ(StringWidth(letters, "AaB"), 21);
}

TEST(FontBuiltins, MeasureWithTheCurrentFontAndFallBackToTheDefault) {
  ResetDrawing();
  fonts().append(std::make_unique<CFont>(BlockFont()), "__newfont");
  const auto fam = FontBuiltins();
  CallBuiltin(fam, "draw_set_font", {RValue(0.0)});
  EXPECT_EQ(CallBuiltin(fam, "string_width", {RValue("AB#ABC")}).real, 21);
  EXPECT_EQ(CallBuiltin(fam, "string_height", {RValue("AB#ABC")}).real, 20);
  EXPECT_EQ(CallBuiltin(fam, "string_width_ext", {RValue("AB AB AB"), RValue(99.0), RValue(20.0)}).real, 18);
  EXPECT_EQ(CallBuiltin(fam, "string_height_ext", {RValue("AB AB AB"), RValue(12.0), RValue(20.0)}).real, 34);
  // Deleting the current font leaves the default font (Arial 12, 32..127) in its place.
  CallBuiltin(fam, "font_delete", {RValue(0.0)});
  CallBuiltin(fam, "draw_set_font", {RValue(0.0)});
  EXPECT_EQ(textState().font, -1);
  const CFont& d = CurrentFont();
  EXPECT_EQ(d.name, "Arial");
  EXPECT_EQ(d.size, 12);
  EXPECT_EQ(d.first, 32);
  EXPECT_EQ(d.last, 127);
  EXPECT_GT(CallBuiltin(fam, "string_width", {RValue("Hello")}).real, 20);
  EXPECT_EQ(CallBuiltin(fam, "string_height", {RValue("A")}).real, d.height());
  ResetDrawing();
}

// The top-left vertex of each glyph quad drawn, in order.
std::vector<std::pair<float, float>> GlyphCorners(const platform::RecordingDevice& dev) {
  std::vector<std::pair<float, float>> out;
  for (const auto& d : dev.draws) out.emplace_back(d.vertices[0].x, d.vertices[0].y);
  return out;
}

class TextGeometry : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDrawing();
    dev = UseRecordingDevice();
    fonts().append(std::make_unique<CFont>(BlockFont()), "__newfont");
    CallBuiltin(FontBuiltins(), "draw_set_font", {RValue(0.0)});
  }
  void TearDown() override { ResetDrawing(); }
  void Draw(const char* fn, std::vector<RValue> args) {
    dev->draws.clear();
    CallBuiltin(FontBuiltins(), fn, std::move(args));
  }
  platform::RecordingDevice* dev = nullptr;
};

TEST_F(TextGeometry, AlignmentMovesLinesByWholePixels) {
  using P = std::pair<float, float>;
  // Left and top: glyphs at their pens, with the half-pixel offset of textured quads.
  Draw("draw_text", {RValue(100.0), RValue(50.0), RValue("AB")});
  EXPECT_EQ(GlyphCorners(*dev), (std::vector<P>{{99.5f, 49.5f}, {106.5f, 49.5f}}));
  // Bottom, three lines 16 apart: the first line stands 48 pixels above y.
  textState().valign = 2;
  Draw("draw_text_ext", {RValue(100.0), RValue(50.0), RValue("A#A#A"), RValue(16.0), RValue(-1.0)});
  EXPECT_EQ(GlyphCorners(*dev), (std::vector<P>{{99.5f, 1.5f}, {99.5f, 17.5f}, {99.5f, 33.5f}}));
  // Centre and middle: a line of 21 moves left by 21 div 2 = 10; two lines of 10 move up by 10.
  textState().halign = 1;
  textState().valign = 1;
  Draw("draw_text", {RValue(100.0), RValue(50.0), RValue("ABC#A")});
  EXPECT_EQ(GlyphCorners(*dev), (std::vector<P>{{89.5f, 39.5f}, {96.5f, 39.5f}, {103.5f, 39.5f}, {96.5f, 49.5f}}));
  // Right: the line ends at x.
  textState().halign = 2;
  textState().valign = 0;
  Draw("draw_text", {RValue(100.0), RValue(50.0), RValue("AB")});
  EXPECT_EQ(GlyphCorners(*dev), (std::vector<P>{{85.5f, 49.5f}, {92.5f, 49.5f}}));
}

TEST_F(TextGeometry, CharactersOutsideTheRangeTakeSpaceWithoutBeingDrawn) {
  Draw("draw_text", {RValue(0.0), RValue(0.0), RValue("AaB")});
  ASSERT_EQ(dev->draws.size(), 2u);
  EXPECT_FLOAT_EQ(dev->draws[1].vertices[0].x, 7 + 4 - 0.5f);
}

TEST_F(TextGeometry, GlyphQuadsCutTheirCellFromTheSheetInTheCurrentColour) {
  CallBuiltin(DrawBuiltins(), "draw_set_color", {RValue(double(0x0000FF))});
  CallBuiltin(DrawBuiltins(), "draw_set_alpha", {RValue(0.5)});
  Draw("draw_text", {RValue(0.0), RValue(0.0), RValue("C")});
  ASSERT_EQ(dev->draws.size(), 1u);
  const auto& v = dev->draws[0].vertices;
  ASSERT_EQ(v.size(), 4u);
  // The sheet is 256 x 16: 'C' is the cell (16, 0, 6, 10).
  EXPECT_FLOAT_EQ(v[0].u, 16.0f / 256);
  EXPECT_FLOAT_EQ(v[2].u, 22.0f / 256);
  EXPECT_FLOAT_EQ(v[2].v, 10.0f / 16);
  EXPECT_FLOAT_EQ(v[2].x, 5.5f);
  EXPECT_FLOAT_EQ(v[2].y, 9.5f);
  for (const auto& p : v) EXPECT_EQ(p.colour, 0x80FF0000u);
  EXPECT_NE(dev->draws[0].texture, 0u);
}

TEST_F(TextGeometry, GradientSpreadsAcrossEachLine) {
  // "AB" is 14 wide: A covers 0..7 of it, B 7..14.
  const double red = 0x0000FF, blue = 0xFF0000, green = 0x00FF00, white = 0xFFFFFF;
  Draw("draw_text_color", {RValue(0.0), RValue(0.0), RValue("AB"), RValue(red), RValue(blue), RValue(green),
                           RValue(white), RValue(1.0)});
  ASSERT_EQ(dev->draws.size(), 2u);
  const auto& a = dev->draws[0].vertices;
  const auto& b = dev->draws[1].vertices;
  EXPECT_EQ(a[0].colour, 0xFFFF0000u);  // top-left: c1
  EXPECT_EQ(a[1].colour, 0xFF800080u);  // top-right: halfway from red to blue (127.5 rounds to 128)
  EXPECT_EQ(a[3].colour, 0xFFFFFFFFu);  // bottom-left: c4
  EXPECT_EQ(a[2].colour, 0xFF80FF80u);  // bottom-right: halfway from white to green
  EXPECT_EQ(b[1].colour, 0xFF0000FFu);  // the line's end: c2
  EXPECT_EQ(b[2].colour, 0xFF00FF00u);  // and c3
}

TEST_F(TextGeometry, ALineWithoutWidthTakesTheFirstColours) {
  // Advances of 0 (as a sprite font with a negative separation can give) make the line 0 wide:
  // the gradient has nothing to spread over, and takes c1 along the top and c4 along the bottom.
  CFont* f = fonts().get(0);
  f->advance.fill(0);
  Draw("draw_text_color", {RValue(0.0), RValue(0.0), RValue("AB"), RValue(double(0x0000FF)), RValue(double(0xFF0000)),
                           RValue(double(0x00FF00)), RValue(double(0xFFFFFF)), RValue(1.0)});
  ASSERT_EQ(dev->draws.size(), 2u);
  for (const auto& d : dev->draws) {
    EXPECT_EQ(d.vertices[0].colour, 0xFFFF0000u);
    EXPECT_EQ(d.vertices[1].colour, 0xFFFF0000u);
    EXPECT_EQ(d.vertices[2].colour, 0xFFFFFFFFu);
    EXPECT_EQ(d.vertices[3].colour, 0xFFFFFFFFu);
  }
}

TEST_F(TextGeometry, TransformedTextTurnsWithItsPen) {
  // 90 degrees counter-clockwise: the pen walks up the screen, 7 pixels per letter.
  Draw("draw_text_transformed", {RValue(100.0), RValue(100.0), RValue("AB"), RValue(1.0), RValue(1.0), RValue(90.0)});
  ASSERT_EQ(dev->draws.size(), 2u);
  EXPECT_NEAR(dev->draws[0].vertices[0].x, 99.5f, 1e-4);
  EXPECT_NEAR(dev->draws[0].vertices[0].y, 100.5f, 1e-4);
  EXPECT_NEAR(dev->draws[1].vertices[0].x, 99.5f, 1e-4);
  EXPECT_NEAR(dev->draws[1].vertices[0].y, 93.5f, 1e-4);
  // Scaled 2 x 3 without angle: the glyph is 12 x 30 and the pen moves 14.
  Draw("draw_text_transformed", {RValue(0.0), RValue(0.0), RValue("AB"), RValue(2.0), RValue(3.0), RValue(0.0)});
  EXPECT_FLOAT_EQ(dev->draws[0].vertices[2].x, 11.5f);
  EXPECT_FLOAT_EQ(dev->draws[0].vertices[2].y, 29.5f);
  EXPECT_FLOAT_EQ(dev->draws[1].vertices[0].x, 13.5f);
  // Transformed centring rounds: xscale 1.5 x 14 / 2 = 10.5 rounds to 10.
  textState().halign = 1;
  Draw("draw_text_transformed", {RValue(0.0), RValue(0.0), RValue("AB"), RValue(1.5), RValue(1.0), RValue(0.0)});
  EXPECT_FLOAT_EQ(dev->draws[0].vertices[0].x, -10.5f);
}

TEST(SpriteFont, ProportionalGlyphsUseTheAlphaBoxWithItsInclusiveRightEdge) {
  ResetDrawing();
  auto s = std::make_unique<CSprite>();
  for (int i = 0; i < 3; ++i) {
    data::TBitmap32 frame(8, 8, 0);
    for (int y = 1; y < 6; ++y)
      for (int x = 2; x <= 5 + i; ++x) frame.setPixel(x, y, 0xFFFFFFFF);
    s->frames.push_back(frame);
  }
  sprites().append(std::move(s), "__newsprite");
  const auto fam = FontBuiltins();
  EXPECT_EQ(CallBuiltin(fam, "font_add_sprite", {RValue(0.0), RValue(65.0), RValue(1.0), RValue(0.0)}).real, 0);
  const CFont* f = fonts().get(0);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->first, 65);
  EXPECT_EQ(f->last, 67);
  EXPECT_EQ(f->advance[65], 3);  // box 2..5 is four pixels wide, but right - left is 3
  EXPECT_EQ(f->advance[67], 5);
  EXPECT_EQ(f->offset[65], -2);
  EXPECT_EQ(f->height(), 8);
  EXPECT_EQ(CallBuiltin(fam, "font_add_sprite", {RValue(0.0), RValue(250.0), RValue(0.0), RValue(2.0)}).real, 1);
  const CFont* g = fonts().get(1);
  EXPECT_EQ(g->last, 252);
  EXPECT_EQ(g->advance[250], 10);  // whole width plus the separation
  EXPECT_EQ(g->offset[250], 0);
  CallBuiltin(fam, "draw_set_font", {RValue(1.0)});
  EXPECT_EQ(CallBuiltin(fam, "string_width", {RValue("\xFA\xFB")}).real, 20);
  ResetDrawing();
}

}  // namespace
}  // namespace qv::graphics
