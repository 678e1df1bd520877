// The game information: its record, its rich text as plain text, and the functions that show and
// replace it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/stream.h"
#include "windows/game_information.h"
#include "windows/rich_text.h"

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

}  // namespace
}  // namespace qv::windows
