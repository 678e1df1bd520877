// The message window, the pop-up menu and the choosers, answered from the scripted queue through
// their own key and mouse handling (the tests run headless), their layout, and their pictures.
#include <gtest/gtest.h>

#include <filesystem>

#include "graphics/background.h"
#include "graphics/sprite.h"
#include "platform/code_page.h"
#include "support/builtin_call.h"
#include "support/golden.h"
#include "windows/choosers.h"
#include "windows/colour_chooser.h"
#include "windows/message_window.h"
#include "windows/messages.h"
#include "windows/popup_menu.h"
#include "windows/scripted_answers.h"
#include "world/input.h"

namespace qv::windows {
namespace {

using code::RValue;
using testing::CallBuiltinIn;

RValue Call(std::string_view name, std::vector<RValue> args, const char* answers) {
  EXPECT_TRUE(SetScriptedAnswers(answers)) << answers;
  RValue r = CallBuiltinIn({MessageFunctions(), ChooserFunctions()}, name, std::move(args));
  EXPECT_FALSE(ScriptedAnswersWaiting()) << name << " left answers in the queue";
  return r;
}

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override { ResetMessageLook(); }
  void TearDown() override {
    ResetMessageLook();
    SetScriptedAnswers("");
  }
};

TEST_F(Dialogs, ButtonsKeysAndAcceleratorsGiveTheButtonNumbers) {
  struct Case {
    const char* answers;
    std::array<const char*, 3> captions;
    double expected;
  };
  const Case table[] = {
      {"key:n", {"&Yes", "", "&No"}, 3},   {"key:N", {"&Yes", "", "&No"}, 3},
      {"alt:y", {"&Yes", "", "&No"}, 1},   {"escape", {"&Yes", "", "&No"}, 0},
      {"enter", {"&Yes", "", "&No"}, 1},   {"space", {"", "&Later", "&No"}, 2},
      {"button:3", {"&Yes", "", "&No"}, 3}, {"button:2", {"&Yes", "", "&No"}, 0},  // hidden: falls back to Escape
      {"close", {"A", "B", "C"}, 0},       {"key:x", {"&Yes", "", "&No"}, 0},     // no such accelerator
      {"key:&", {"&&Both", "&Yes", ""}, 0}, {"key:b", {"&&Both", "&Yes", "a&b"}, 3},
  };
  for (const Case& c : table)
    EXPECT_EQ(Call("show_message_ext", {"Go?", c.captions[0], c.captions[1], c.captions[2]}, c.answers).real, c.expected)
        << c.answers << " with " << c.captions[0] << "|" << c.captions[1] << "|" << c.captions[2];

  EXPECT_EQ(Call("show_question", {"Sure?"}, "button:1").real, 1);
  EXPECT_EQ(Call("show_question", {"Sure?"}, "button:3").real, 0);
  EXPECT_EQ(Call("show_question", {"Sure?"}, "escape").real, 0);
  EXPECT_EQ(Call("show_message", {"Hi"}, "enter").real, 0);
}

TEST_F(Dialogs, TextAndIntegerInput) {
  struct Case {
    const char* function;
    RValue first;
    const char* answers;
    RValue expected;
  };
  const Case table[] = {
      {"get_string", "Anna", "text:Bob", "Bob"},       // the default is selected: typing replaces it
      {"get_string", "Anna", "escape", "Anna"},        // Escape still answers the box's text
      {"get_string", "Anna", "key:x", "x"},            // a typed key replaces the selection; then Escape
      {"get_string", "", "text:caf\xc3\xa9\xe2\x82\xac\xe2\x9c\x93", "caf\xe9\x80"},  // no code page form: dropped
      {"get_integer", 7.0, "text:abc", 7.0},           // letters: the default
      {"get_integer", 7.0, "text:42", 42.0},
      {"get_integer", 7.0, "text: -13 ", -13.0},
      {"get_integer", 7.0, "text:$1F", 31.0},
      {"get_integer", 7.0, "text:99999999999", 7.0},  // beyond 32 bits
      {"get_integer", 2.5, "escape", 2.0},             // the default written as an integer, ties to even
  };
  for (const Case& c : table) {
    const RValue r = Call(c.function, {"Name?", c.first}, c.answers);
    if (c.expected.isString()) EXPECT_EQ(r.str, c.expected.str) << c.answers;
    else EXPECT_EQ(r.real, c.expected.real) << c.answers;
  }
}

TEST_F(Dialogs, ShownValuesAndTheInputClearedAfterwards) {
  EXPECT_EQ(ShownValue(RValue(3.14159)), "3.14");
  EXPECT_EQ(ShownValue(RValue(3.0)), "3");
  EXPECT_EQ(ShownValue(RValue("3.14159")), "3.14159");

  world::OnKeyDown(65);
  world::OnMouseDown(1);
  Call("show_message", {"x"}, "enter");
  EXPECT_FALSE(world::input().keyDown[65]);
  EXPECT_FALSE(world::input().buttonDown[1]);
}

TEST_F(Dialogs, LayoutFollowsTheTextButtonsAndInputBox) {
  MessageWindow plain({"Hello", {"", "OK", ""}, false, ""});
  const MessageLayout& l = plain.layout();
  EXPECT_EQ(l.width, 348);
  EXPECT_EQ(l.textWidth, 300);
  EXPECT_EQ(l.buttonX, (std::array<int, 3>{24, 134, 244}));
  EXPECT_EQ(l.height, l.textHeight + 25 + 48);
  EXPECT_EQ(l.buttonY + l.buttonHeight, l.height - 16);

  MessageWindow input({"Name?", {"", "OK", ""}, true, "x"});
  const MessageLayout& li = input.layout();
  EXPECT_EQ(li.height, li.textHeight + 25 + 48 + li.inputHeight + 16);
  EXPECT_EQ(li.inputY + li.inputHeight, li.buttonY - 16);
  EXPECT_EQ(li.inputWidth, 300);

  // "#" breaks lines: three lines are taller than one.
  MessageWindow lines({"a#b#c", {"", "OK", ""}, false, ""});
  EXPECT_GT(lines.layout().textHeight, l.textHeight * 2);

  CallBuiltinIn({MessageFunctions()}, "message_size", {500.0, -1.0});
  CallBuiltinIn({MessageFunctions()}, "message_position", {10.0, -5.0});
  MessageWindow sized({"Hello", {"", "OK", ""}, false, ""});
  EXPECT_EQ(sized.layout().width, 500);
  EXPECT_EQ(sized.layout().buttonX[2], 500 - 80 - 24);
  EXPECT_EQ(sized.window().x, 10);
  EXPECT_EQ(sized.window().y, -1);  // any negative is the automatic choice
}

TEST_F(Dialogs, LookSettings) {
  auto call = [](std::string_view name, std::vector<RValue> args) { return CallBuiltinIn({MessageFunctions()}, name, std::move(args)); };
  const std::pair<double, int> alphas[] = {{2.0, 255}, {-1.0, 0}, {0.5, 128}};
  for (auto [value, expected] : alphas) {
    call("message_alpha", {value});
    EXPECT_EQ(messageLook().alpha, expected) << value;
  }
  call("message_text_font", {"Arial", 14.0, 255.0, 2.0});
  call("message_text_font", {"", -1.0, -1.0, 7.0});  // keeps everything
  EXPECT_EQ(messageLook().textFont.name, "Arial");
  EXPECT_EQ(messageLook().textFont.size, 14);
  EXPECT_EQ(messageLook().textFont.colour, 255);
  EXPECT_EQ(messageLook().textFont.style, 2);

  testing::ClearErrors();
  call("message_background", {12345.0});
  EXPECT_NE(testing::LastError().find("Trying to set a non-existing message background"), std::string::npos);
  testing::ClearErrors();
  call("message_button", {-1.0});
  EXPECT_NE(testing::LastError().find("Trying to set a non-existing message button"), std::string::npos);
}

TEST_F(Dialogs, BadInputStaysBounded) {
  // 100,000 characters: the window keeps to its largest size and draws.
  const std::string longText(100000, 'w');
  MessageWindow big({longText, {"", "OK", ""}, false, ""});
  EXPECT_LE(big.layout().height, kMaxMessageWindowSide);
  EXPECT_EQ(big.render().height, big.layout().height);
  EXPECT_EQ(Call("get_string", {"x", RValue(std::string(100000, 'a'))}, "enter").str.size(), 32767u);

  // 10,000 menu items: numbered, reachable, drawn within the largest menu height.
  std::string items;
  for (int i = 0; i < 10000; ++i) items += (i ? "|" : "") + std::to_string(i);
  EXPECT_EQ(Call("show_menu_pos", {0.0, 0.0, items, -1.0}, "menu:9999").real, 9999);
  PopupMenu menu(items, 0, 0);
  EXPECT_EQ(menu.render().height, kMaxMenuHeight);
}

TEST_F(Dialogs, MenusNumberAroundSeparators) {
  const auto items = ParseMenuItems("New|-|Open|Quit");
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].number, 0);
  EXPECT_TRUE(items[1].separator);
  EXPECT_EQ(items[2].number, 1);
  EXPECT_EQ(items[3].number, 2);
  const std::pair<const char*, double> table[] = {{"menu:0", 0}, {"menu:2", 2}, {"escape", -1}, {"menu:3", -1}};
  for (auto [answer, expected] : table)
    EXPECT_EQ(Call("show_menu_pos", {10.0, 10.0, "New|-|Open|Quit", -1.0}, answer).real, expected) << answer;
  EXPECT_EQ(Call("show_menu", {"A|B", 5.0}, "close").real, 5);
}

TEST_F(Dialogs, ColourAndFileChoosers) {
  EXPECT_EQ(Call("get_color", {0.0}, "color:#FF8000").real, 0x0080FF);  // answered as RGB, given as BGR
  EXPECT_EQ(Call("get_color", {0.0}, "color:255").real, 255);
  EXPECT_EQ(Call("get_color", {123.0}, "escape").real, -1);
  EXPECT_EQ(Call("get_color", {123.0}, "enter").real, 123);  // OK keeps the colour it started with

  const std::string here = std::filesystem::current_path().string();
  std::string expected = platform::Utf8ToCp1252(here + "/level1.txt");
  for (char& c : expected)
    if (c == '/') c = '\\';
  EXPECT_EQ(Call("get_open_filename", {"Levels|*.txt|All|*.*", ""}, "file:level1.txt").str, expected);
  EXPECT_EQ(Call("get_save_filename", {"Levels|*.txt", "save.txt"}, "escape").str, "");
  EXPECT_EQ(Call("get_directory", {"."}, "enter").str, expected.substr(0, expected.rfind('\\')));
  EXPECT_EQ(Call("get_directory_alt", {"Pick", ""}, "close").str, "");

  const auto filters = ParseFileFilter("Text|*.txt|All|*.*|Odd");
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[1], (std::pair<std::string, std::string>{"All", "*.*"}));
}

TEST_F(Dialogs, ScriptedAnswerQueueReading) {
  std::string error;
  const auto ok = ParseScriptedAnswers("button:3;text:a\\;b\\\\;;menu:2;color:#0000FF;file:x.sav", &error);
  ASSERT_TRUE(ok) << error;
  ASSERT_EQ(ok->size(), 5u);
  EXPECT_EQ((*ok)[1].text, "a;b\\");
  EXPECT_EQ((*ok)[3].number, 0xFF0000);
  for (const char* bad : {"button:4", "menu:-1", "key:ab", "color:#12345", "jump", "colour:99999999"})
    EXPECT_FALSE(ParseScriptedAnswers(bad, &error)) << bad;
}

// The message window as drawn: the built-in look with a question, and a look the game set (its own
// background from a background resource, button images from a sprite, fonts and colours) with
// text input.
TEST_F(Dialogs, Pictures) {
  MessageWindow question({"Do you want to save the game before you quit?", {"&Yes", "", "&No"}, false, ""});
  ExpectGolden("message_window_default", question.render());

  graphics::backgrounds().clear();
  graphics::sprites().clear();
  auto back = std::make_unique<graphics::CBackground>();
  back->image = data::TBitmap32(300, 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 300; ++x) back->image.setPixel(x, y, 0xFF000000u | uint32_t(x * 255 / 299) << 8 | uint32_t(y * 2));
  const int b = graphics::backgrounds().append(std::move(back), "back");
  auto sprite = std::make_unique<graphics::CSprite>();
  for (uint32_t colour : {0xFF802020u, 0xFFC04040u, 0xFF401010u}) {
    data::TBitmap32 frame(70, 30, colour);
    for (int x = 0; x < 70; ++x) frame.setPixel(x, 29, 0xFFFF00FFu);  // the bottom row is the transparent colour
    sprite->frames.push_back(frame);
  }
  const int s = graphics::sprites().append(std::move(sprite), "button");
  auto call = [](std::string_view name, std::vector<RValue> args) { CallBuiltinIn({MessageFunctions()}, name, std::move(args)); };
  call("message_background", {double(b)});
  call("message_button", {double(s)});
  call("message_text_font", {"Times New Roman", 14.0, 0x00FFFF, 1.0});
  call("message_button_font", {"", 9.0, 0xFFFFFF, 0.0});
  call("message_input_font", {"Courier New", 12.0, 0x00FF00, 0.0});
  call("message_input_color", {0x202020});
  MessageWindow input({"Your name:", {"", "&OK", ""}, true, "Player"});
  ExpectGolden("message_window_custom", input.render());
  graphics::backgrounds().clear();
  graphics::sprites().clear();
}

}  // namespace
}  // namespace qv::windows
