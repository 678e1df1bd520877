// Font records of the game data (reader and writer mirror each other; bad records are refused),
// glyph sheets built through FreeType and fontconfig, the packing of sheets, and the font_*
// functions with their errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "draw_test_support.h"
#include "graphics/builtins.h"
#include "platform/font_face.h"
#include "data/stream.h"

namespace qv::graphics {
namespace {

using namespace drawtest;
using code::RValue;
using qv::testing::CallBuiltin;
using qv::testing::LastError;

void ExpectSameFont(const CFont& a, const CFont& b) {
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.size, b.size);
  EXPECT_EQ(a.bold, b.bold);
  EXPECT_EQ(a.italic, b.italic);
  EXPECT_EQ(a.first, b.first);
  EXPECT_EQ(a.last, b.last);
  EXPECT_EQ(a.glyphX, b.glyphX);
  EXPECT_EQ(a.glyphY, b.glyphY);
  EXPECT_EQ(a.glyphWidth, b.glyphWidth);
  EXPECT_EQ(a.glyphHeight, b.glyphHeight);
  EXPECT_EQ(a.advance, b.advance);
  EXPECT_EQ(a.offset, b.offset);
  EXPECT_EQ(a.sheetWidth, b.sheetWidth);
  EXPECT_EQ(a.sheetHeight, b.sheetHeight);
  EXPECT_EQ(a.alpha, b.alpha);
}

TEST(FontRecord, BlockRoundTripsWithEmptySlots) {
  ResourceList<CFont> list;
  CFont f = BlockFont();
  f.bold = true;
  f.offset[66] = -3;
  list.slots.push_back(std::make_unique<CFont>(f));
  list.names.push_back("fnt_blocks");
  list.slots.push_back(nullptr);
  list.names.push_back("");
  data::CStream s;
  WriteFontBlock(s, list);
  s.seek(0);
  ResourceList<CFont> back;
  ASSERT_TRUE(ReadFontBlock(s, back));
  ASSERT_EQ(back.count(), 2);
  EXPECT_EQ(back.names[0], "fnt_blocks");
  ASSERT_TRUE(back.get(0));
  ExpectSameFont(*back.get(0), f);
  EXPECT_FALSE(back.exists(1));
  EXPECT_TRUE(s.atEnd());
}

// A record with one field changed after it was written: (integer index from the start, value).
data::CStream RecordWith(const CFont& f, size_t at, int32_t value) {
  data::CStream s;
  WriteFontRecord(s, f);
  s.seek(at);
  s.WriteInteger(value);
  s.seek(0);
  return s;
}

TEST(FontRecord, RefusesWhatDoesNotFitAndClampsTheRange) {
  const CFont f = BlockFont();
  const size_t name = 4 + 4 + f.name.size();  // version, name
  const size_t first = name + 12, last = first + 4;
  const size_t sheet = last + 4 + 256 * 24;
  struct Case {
    const char* what;
    size_t at;
    int32_t value;
    bool readable;
  };
  const Case cases[] = {
      {"version 810", 0, 810, false},
      {"sheet wider than its map", sheet, 512, false},
      {"negative sheet height", sheet + 4, -16, false},
      {"map block shorter than the sheet", sheet + 8, 100, false},
      {"first below 0", first, -7, true},
      {"last above 255", last, 1000, true},
  };
  for (const Case& c : cases) {
    data::CStream s = RecordWith(f, c.at, c.value);
    CFont out;
    bool ok = false;
    try {
      ok = ReadFontRecord(s, out);
    } catch (const data::StreamError&) {
      ok = false;
    }
    EXPECT_EQ(ok, c.readable) << c.what;
  }
  data::CStream low = RecordWith(f, first, -7), high = RecordWith(f, last, 1000);
  CFont a, b;
  ASSERT_TRUE(ReadFontRecord(low, a));
  ASSERT_TRUE(ReadFontRecord(high, b));
  EXPECT_EQ(a.first, 0);
  EXPECT_EQ(b.last, 255);
  // Data that ends early raises the stream's error.
  data::CStream cut;
  WriteFontRecord(cut, f);
  cut.bytes().resize(cut.size() - 1);
  cut.seek(0);
  CFont c;
  EXPECT_THROW(ReadFontRecord(cut, c), data::StreamError);
}

// A face with made-up measures: every character is 20 wide with A = 2, B = 15, C = 3, lines 10 high.
class FakeFace final : public platform::FontFace {
 public:
  int lineHeight() const override { return 10; }
  bool abcWidths(uint32_t, platform::GlyphAbc& out) override {
    out = {2, 15, 3};
    return true;
  }
  int textWidth(uint32_t) override { return 20; }
  void render(uint32_t cp, int penX, int top, uint8_t* map, int w, int) override {
    rendered[cp] = {penX, top};
    map[size_t(top) * size_t(w) + size_t(penX + 2)] = 255;  // the black box's first pixel
  }
  std::map<uint32_t, std::pair<int, int>> rendered;
};

TEST(GlyphSheet, PacksRowsIntoTheFirstSquareEnoughPowerOfTwo) {
  FakeFace face;
  CFont f;
  f.first = 32;
  f.last = 127;  // 96 cells of 16 pixels and a gap: 7 per row of 128, 14 rows of 11 -> too tall
  ASSERT_TRUE(BuildGlyphSheet(f, face));
  // At 256: 15 cells per row (the 15th starts at 238 and ends before 256), 7 rows: 77 <= 256.
  EXPECT_EQ(f.sheetWidth, 256);
  EXPECT_EQ(f.sheetHeight, 6 * 11 + 11);
  EXPECT_EQ(f.glyphWidth[65], 16);
  EXPECT_EQ(f.advance[65], 20);
  EXPECT_EQ(f.offset[65], 2);
  EXPECT_EQ(f.glyphHeight[65], 10);
  EXPECT_EQ(f.glyphX[32 + 14], 14 * 17);
  EXPECT_EQ(f.glyphX[32 + 15], 0);
  EXPECT_EQ(f.glyphY[32 + 15], 11);
  // Each character is rendered with its pen `offset` left of its cell, so its box starts at glyph x.
  EXPECT_EQ(face.rendered[uint32_t('A')], std::make_pair(f.glyphX[65] - 2, f.glyphY[65]));
  EXPECT_EQ(f.alpha[size_t(f.glyphY[65]) * 256 + size_t(f.glyphX[65])], 255);
  // Bytes 0x80..0x9F are rendered as the characters code page 1252 gives them.
  CFont euro;
  euro.first = euro.last = 0x80;
  ASSERT_TRUE(BuildGlyphSheet(euro, face));
  EXPECT_TRUE(face.rendered.count(0x20AC));
  EXPECT_EQ(Cp1252ToUnicode(0x9F), 0x178u);
  EXPECT_EQ(Cp1252ToUnicode(0x81), 0x81u);
  EXPECT_EQ(Cp1252ToUnicode(0xE9), 0xE9u);
}

TEST(GlyphSheet, FreeTypeFontsAreSquarePowersOfTwoWithRealAdvances) {
  struct Case {
    const char* family;
    int size;
    bool bold, italic, proportional;
  };
  const Case cases[] = {{"Arial", 12, false, false, true}, {"Times New Roman", 20, true, false, true},
                        {"Courier New", 10, false, true, false}, {"No Such Family At All", 14, false, false, true}};
  for (const Case& c : cases) {
    const CFont f = MakeTypefaceFont(c.family, c.size, c.bold, c.italic, 32, 255);
    ASSERT_GT(f.sheetWidth, 0) << c.family;
    EXPECT_GE(f.sheetWidth, 128);
    EXPECT_EQ(f.sheetWidth & (f.sheetWidth - 1), 0) << "a power of two";
    EXPECT_LE(f.sheetHeight, f.sheetWidth);
    EXPECT_GT(f.height(), c.size) << "the line is taller than the point size in pixels";
    EXPECT_GT(f.advance['i'], 0);
    if (c.proportional) {
      EXPECT_GT(f.advance['W'], f.advance['i']) << c.family;
    }
    EXPECT_GT(*std::max_element(f.alpha.begin(), f.alpha.end()), 200) << "glyphs are rendered";
  }
  // Courier New maps to a monospaced family: every advance is the same.
  const CFont mono = MakeTypefaceFont("Courier New", 12, false, false, 32, 127);
  EXPECT_EQ(mono.advance['i'], mono.advance['W']);
  EXPECT_EQ(platform::MetricCompatibleFamily("ARIAL"), "Liberation Sans");
  EXPECT_EQ(platform::MetricCompatibleFamily("Times New Roman"), "Liberation Serif");
  EXPECT_EQ(platform::MetricCompatibleFamily("Comic Sans MS"), "Comic Sans MS");
}

TEST(GlyphSheet, AFontTooLargeForAnySheetExistsWithoutOne) {
  const CFont f = MakeTypefaceFont("Arial", 6000, false, false, 32, 127);
  EXPECT_EQ(f.sheetWidth, 0);
  EXPECT_TRUE(f.alpha.empty());
  EXPECT_EQ(f.size, 6000);
}

TEST(FontBuiltins, ResourcesAndTheirErrors) {
  ResetDrawing();
  const auto fam = FontBuiltins();
  EXPECT_EQ(CallBuiltin(fam, "font_add", {RValue("Arial"), RValue(14.0), RValue(1.0), RValue(0.0), RValue(-5.0),
                                          RValue(400.0)}).real, 0);
  EXPECT_EQ(CallBuiltin(fam, "font_get_name", {RValue(0.0)}).str, "__newfont0");
  EXPECT_EQ(CallBuiltin(fam, "font_get_fontname", {RValue(0.0)}).str, "Arial");
  EXPECT_EQ(CallBuiltin(fam, "font_get_size", {RValue(0.0)}).real, 14);
  EXPECT_EQ(CallBuiltin(fam, "font_get_bold", {RValue(0.0)}).real, 1);
  EXPECT_EQ(CallBuiltin(fam, "font_get_first", {RValue(0.0)}).real, 0);
  EXPECT_EQ(CallBuiltin(fam, "font_get_last", {RValue(0.0)}).real, 255);
  CallBuiltin(fam, "font_replace", {RValue(0.0), RValue("Courier New"), RValue(9.0), RValue(0.0), RValue(1.0),
                                    RValue(32.0), RValue(127.0)});
  EXPECT_EQ(CallBuiltin(fam, "font_get_fontname", {RValue(0.0)}).str, "Courier New");
  EXPECT_EQ(CallBuiltin(fam, "font_get_italic", {RValue(0.0)}).real, 1);
  EXPECT_EQ(CallBuiltin(fam, "font_exists", {RValue(0.0)}).real, 1);
  CallBuiltin(fam, "font_delete", {RValue(0.0)});
  EXPECT_EQ(CallBuiltin(fam, "font_exists", {RValue(0.0)}).real, 0);
  EXPECT_EQ(CallBuiltin(fam, "font_get_name", {RValue(0.0)}).str, "<undefined>");
  EXPECT_EQ(CallBuiltin(fam, "font_get_fontname", {RValue(0.0)}).str, "");
  EXPECT_EQ(CallBuiltin(fam, "font_get_size", {RValue(0.0)}).real, -1);

  struct Case {
    const char* fn;
    std::vector<RValue> args;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"font_add_sprite", {RValue(3.0), RValue(32.0), RValue(0.0), RValue(0.0)},
       "Trying to create font from non-existing sprite."},
      {"font_replace", {RValue(0.0), RValue("Arial"), RValue(9.0), RValue(0.0), RValue(0.0), RValue(32.0),
                        RValue(127.0)}, "Trying to replace non-existing font."},
      {"font_replace_sprite", {RValue(7.0), RValue(0.0), RValue(32.0), RValue(0.0), RValue(0.0)},
       "Trying to replace non-existing font."},
      {"font_delete", {RValue(0.0)}, "Trying to delete non-existing font."},
  };
  for (const Case& c : cases) {
    qv::testing::ClearErrors();
    CallBuiltin(fam, c.fn, c.args);
    EXPECT_NE(LastError().find(c.message), std::string::npos) << c.fn << ": " << LastError();
  }
  fonts().append(std::make_unique<CFont>(BlockFont()), "__newfont");
  qv::testing::ClearErrors();
  CallBuiltin(fam, "font_replace_sprite", {RValue(1.0), RValue(4.0), RValue(32.0), RValue(0.0), RValue(0.0)});
  EXPECT_NE(LastError().find("Trying to replace font from non-existing sprite."), std::string::npos);
  EXPECT_EQ(fonts().get(1)->name, "Blocks") << "the font stays as it was";
  // Alignments other than 0, 1 and 2 count as 0.
  CallBuiltin(fam, "draw_set_halign", {RValue(2.0)});
  EXPECT_EQ(textState().halign, 2);
  CallBuiltin(fam, "draw_set_halign", {RValue(3.0)});
  EXPECT_EQ(textState().halign, 0);
  CallBuiltin(fam, "draw_set_valign", {RValue(1.0)});
  EXPECT_EQ(textState().valign, 1);
  ResetDrawing();
}

}  // namespace
}  // namespace qv::graphics
