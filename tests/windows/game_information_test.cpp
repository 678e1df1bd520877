// The game information: its record, its rich text as plain text, and the functions that show and
// replace it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "data/stream.h"
#include "windows/game_information.h"
#include "support/golden.h"
#include "support/mutations.h"
#include "support/whole_file.h"
#include "windows/information_window.h"
#include "windows/rich_text.h"
#include "windows/scripted_answers.h"

namespace qv::windows {
namespace {

TEST(RichText, KeepsTheWordsAndLineBreaksOnly) {
  const std::pair<const char*, const char*> table[] = {
      {"plain text stays", "plain text stays"},
      {R"({\rtf1\ansi\deff0{\fonttbl{\f0\fnil Arial;}}{\colortbl ;\red255\green0\blue0;})"
       "\r\n"
       R"(\viewkind4\uc1\pard\cf1\lang1033\b\f0\fs24 Move\b0  with the arrows.\par)"
       "\r\n"
       R"(Press \{F5\}\tab to save\line done\par})",
       "Move with the arrows.\nPress {F5}\tto save\ndone"},
      {R"({\rtf1 caf\'e9 \u8364? and \u233\'e9x{\*\generator Writer;}!})", "caf\xe9 ? and \xe9x!"},
      {R"({\rtf1 a\~b\emdash c{\info{\title T}} \\end})", "a\xa0" "b\x97" "c \\end"},
      {R"({\rtf1 broken \'4)", "broken 4"},  // a cut escape leaves its text
  };
  for (auto [rtf, plain] : table) EXPECT_EQ(RichTextToPlain(rtf), plain) << rtf;
}

TEST(GameInformation, RecordFieldsAndLoadInfoReplaceTheText) {
  data::CStream s;
  s.WriteInteger(0x123456);
  s.WriteBoolean(true);
  s.WriteString("Help");
  for (int32_t v : {-1, 20, 300, 200}) s.WriteInteger(v);
  for (bool b : {false, true, true, false}) s.WriteBoolean(b);
  data::CStream text;
  text.WriteBytes("{\\rtf1 Hi}", 9);
  s.WriteRawBlock(text);
  s.seek(0);
  GameInformation info;
  ASSERT_TRUE(ReadGameInformation(s, info));
  EXPECT_EQ(info.backgroundColour, 0x123456);
  EXPECT_TRUE(info.showInMainWindow);
  EXPECT_EQ(info.caption, "Help");
  EXPECT_EQ(info.left, -1);
  EXPECT_EQ(info.height, 200);
  EXPECT_FALSE(info.border);
  EXPECT_FALSE(info.gameWaits);
  EXPECT_EQ(RichTextToPlain(info.richText), "Hi");

  s.bytes().resize(s.size() - 3);  // the text block cut short
  s.seek(0);
  EXPECT_FALSE(ReadGameInformation(s, info));
}

// Calls a function of the family by name with one string argument.
code::RValue call(const char* name, code::RValue argument) {
  for (const code::BuiltinFunction& f : GameInformationFunctions()) {
    if (std::string_view(f.name) != name) continue;
    code::RValue result;
    code::BuiltinCall c{nullptr, nullptr, 1, &argument, result};
    f.handler(c);
    return result;
  }
  ADD_FAILURE() << name;
  return {};
}

TEST(GameInformation, LoadInfoReplacesTheTextWhenTheFileExists) {
  const auto file = std::filesystem::temp_directory_path() / "qv_info_test.rtf";
  std::ofstream(file) << R"({\rtf1 New page\par})";
  EXPECT_EQ(call("load_info", file.string()).real, 1);
  EXPECT_EQ(RichTextToPlain(CurrentGameInformation().richText), "New page");
  EXPECT_EQ(call("load_info", (file.string() + ".missing")).real, 0);
  EXPECT_EQ(RichTextToPlain(CurrentGameInformation().richText), "New page");  // kept
  std::filesystem::remove(file);
}

// The styles a reader of the page sees: fonts, sizes, colours, bold, italic, underline and
// paragraph alignment; numbers that name no font or colour fall back to the defaults.
TEST(RichText, RunsKeepTheirStyleAndParagraphsTheirAlignment) {
  const std::string rtf =
      R"({\rtf1\ansi{\fonttbl{\f0\fswiss Arial;}{\f1\froman Times New Roman;}})"
      R"({\colortbl ;\red255\green0\blue0;\red0\green0\blue128;})"
      R"(\pard\qc\f1\fs40\cf2\b Title\b0\par)"
      R"(\pard\plain\f0\fs24 plain \i italic\i0  \ul under\ulnone  \cf1 red\cf9  lost\f7  nofont\par)"
      R"(\qr right\par\plain after plain})";
  const std::vector<RichParagraph> doc = ReadRichText(rtf, RichDefaults{"Arial", 12, 0x101010});
  ASSERT_EQ(doc.size(), 4u);
  EXPECT_EQ(doc[0].alignment, 1);
  ASSERT_EQ(doc[0].runs.size(), 1u);
  const TextRun& title = doc[0].runs[0];
  EXPECT_EQ(title.text, "Title");
  EXPECT_EQ(title.font, "Times New Roman");
  EXPECT_EQ(title.size, 20);
  EXPECT_TRUE(title.bold);
  EXPECT_EQ(title.colour, 0x800000);  // blue 128 as a script colour
  struct Expected {
    const char* text;
    bool italic, underline;
    int32_t colour;
    const char* font;
  };
  const Expected runs[] = {{"plain ", false, false, 0x101010, "Arial"}, {"italic", true, false, 0x101010, "Arial"},
                           {" ", false, false, 0x101010, "Arial"},      {"under", false, true, 0x101010, "Arial"},
                           {" ", false, false, 0x101010, "Arial"},      {"red", false, false, 0x0000FF, "Arial"},
                           {" lost nofont", false, false, 0x101010, "Arial"}};  // one style again: one run
  ASSERT_EQ(doc[1].runs.size(), std::size(runs));
  for (size_t k = 0; k < std::size(runs); ++k) {
    EXPECT_EQ(doc[1].runs[k].text, runs[k].text) << k;
    EXPECT_EQ(doc[1].runs[k].italic, runs[k].italic) << k;
    EXPECT_EQ(doc[1].runs[k].underline, runs[k].underline) << k;
    EXPECT_EQ(doc[1].runs[k].colour, runs[k].colour) << k;
    EXPECT_EQ(doc[1].runs[k].font, runs[k].font) << k;
  }
  EXPECT_EQ(doc[1].alignment, 0);
  EXPECT_EQ(doc[2].alignment, 2);
  EXPECT_EQ(doc[3].alignment, 2);  // until the next \pard
  EXPECT_EQ(doc[3].runs.back().text, "after plain");
  EXPECT_EQ(doc[3].runs.back().size, 12);
  EXPECT_FALSE(doc[3].runs.back().bold);

  // Plain text: a paragraph a line, in the defaults.
  const auto plain = ReadRichText("one\r\ntwo\nthree", RichDefaults{"Courier New", 10, 0});
  ASSERT_EQ(plain.size(), 3u);
  EXPECT_EQ(plain[2].runs[0].text, "three");
  EXPECT_EQ(plain[2].runs[0].font, "Courier New");

  // 100,000 groups deep and a huge size number: read without recursion, the size clamped.
  const std::string deep = "{\\rtf1 " + std::string(100000, '{') + "\\fs99999999 x" + std::string(100000, '}') + "}";
  const auto nested = ReadRichText(deep);
  ASSERT_EQ(nested.size(), 1u);
  EXPECT_EQ(nested[0].runs[0].text, "x");
  EXPECT_EQ(nested[0].runs[0].size, 1600);
}

// The information window as drawn: styled text on the page's colour, and the same window scrolled
// to its end by the keys.
TEST(GameInformation, WindowPictures) {
  GameInformation info;
  info.width = 320;
  info.height = 200;
  info.caption = "Help";
  std::string text = R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Times New Roman;}}{\colortbl ;\red200\green0\blue0;})"
                     R"(\qc\f1\fs36\b How to play\b0\par\pard\f0\fs24 Move with the \b arrow keys\b0 , jump with )"
                     R"(\ul space\ulnone . Collect the \cf1 red gems\cf0  before the time runs out.\par )";
  for (int k = 1; k <= 12; ++k) text += "Level " + std::to_string(k) + "\\tab " + std::to_string(k * 100) + " points\\par ";
  text += "\\qr The end}";
  info.richText = text;
  InformationWindow window(info);
  ExpectGolden("information_window_top", window.render());
  EXPECT_GT(window.maxScroll(), 0);
  window.handle(KeyEvent(35));  // End
  EXPECT_EQ(window.scroll(), window.maxScroll());
  ExpectGolden("information_window_end", window.render());
  // Headless, Escape closes it.
  SetScriptedAnswers("escape");
  EXPECT_TRUE(window.handle(KeyEvent(27)));
  SetScriptedAnswers("");
}

// The fuzz target's checks (fuzz/fuzz_rich_text.cpp) over its seed corpus and thousands of
// mutations of it, in every run: bytes changed, cut, and group marks and backslashes inserted.
TEST(RichText, MutatedDocumentsKeepToTheirBounds) {
  std::vector<std::string> seeds;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(QV_SOURCE_DIR) / "fuzz/corpus/fuzz_rich_text"))
    seeds.push_back(qv::testing::ReadWholeFile(entry.path()));
  ASSERT_GE(seeds.size(), 3u);
  std::mt19937 random(20261211);
  for (int round = 0; round < 4000; ++round) {
    const std::string doc = qv::testing::Mutate(seeds[random() % seeds.size()], random, "{}\\' 09-ufs", 8);
    size_t characters = 0, runs = 0;
    const auto paragraphs = ReadRichText(doc);
    for (const RichParagraph& p : paragraphs) {
      ASSERT_TRUE(p.alignment >= 0 && p.alignment <= 2) << doc;
      for (const TextRun& r : p.runs) {
        ASSERT_TRUE(r.size >= 1 && r.size <= 1600) << doc;
        characters += r.text.size();
        ++runs;
      }
    }
    ASSERT_LE(paragraphs.size(), doc.size() + 1) << doc;
    ASSERT_LE(runs, doc.size() + 1) << doc;
    ASSERT_LE(characters, doc.size()) << doc;
    ASSERT_LE(RichTextToPlain(doc).size(), doc.size()) << doc;
  }
}

}  // namespace
}  // namespace qv::windows
