// The highscore table: the entry encoding, insertion and its store, the window with a name being
// entered, and draw_highscore.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "graphics/display.h"
#include "graphics/draw_test_support.h"
#include "graphics/draw_state.h"
#include "graphics/font.h"
#include "platform/game_window.h"
#include "support/builtin_call.h"
#include "support/golden.h"
#include "system/user_store.h"
#include "windows/highscore.h"
#include "windows/highscore_table.h"
#include "windows/highscore_window.h"
#include "windows/scripted_answers.h"
#include "world/saved_game.h"

namespace qv::windows {
namespace {

using code::RValue;

RValue Call(std::string_view name, std::vector<RValue> args = {}) {
  return testing::CallBuiltin(HighscoreFunctions(), name, std::move(args));
}

// Each test keeps its table in a store of its own.
class Highscores : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::filesystem::temp_directory_path() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(home_);
    std::filesystem::create_directories(home_);
    setenv("XDG_DATA_HOME", home_.c_str(), 1);
    world::currentGameId() = 4242;
    ResetHighscoreLook();
    ForgetHighscores();
  }
  void TearDown() override {
    SetScriptedAnswers("");
    ForgetHighscores();
    unsetenv("XDG_DATA_HOME");
  }
  std::filesystem::path home_;
};

TEST(HighscoreEncoding, KnownVectorsRoundTripsAndDamage) {
  EXPECT_EQ(EncodeHighscore({"A", 100}, 0), "GFACADAEAFAGAHAIAJAKALAMANAOAPBAFC");
  EXPECT_EQ(EncodeHighscore({"A", 100}, 1), "GGADAEAFAGAHAIAJAKALAMANAOAPBABBFD");
  for (int32_t id : {0, 1, 255, 256, -7, INT32_MAX, INT32_MIN}) {
    for (const HighscoreEntry& e : {HighscoreEntry{"Zoë \x80", 123456789}, HighscoreEntry{"", -5}, HighscoreEntry{"x", INT32_MIN}}) {
      const auto back = DecodeHighscore(EncodeHighscore(e, id), id);
      ASSERT_TRUE(back) << id;
      EXPECT_EQ(back->name, e.name);
      EXPECT_EQ(back->score, e.score);
    }
  }
  // Written under one game id, the same letters read back as something else under another.
  const auto other = DecodeHighscore(EncodeHighscore({"Ann", 500}, 1), 2);
  ASSERT_TRUE(other);
  EXPECT_NE(other->name, "Ann");
  for (const char* damaged : {"", "GFAC", "GFACADAEAFAGAHAIAJAKALAMANAOAPBAF", "GFACADAEAFAGAHAIAJAKALAMANAOAPBAFZ",
                              "gfacadaeafagahaiajakalamanaoapbafc"})
    EXPECT_FALSE(DecodeHighscore(damaged, 0)) << damaged;
}

TEST_F(Highscores, FreshTableInsertionAndTies) {
  for (int r = 1; r <= 10; ++r) {
    EXPECT_EQ(Call("highscore_name", {double(r)}).str, "<nobody>");
    EXPECT_EQ(Call("highscore_value", {double(r)}).real, 0);
  }
  EXPECT_FALSE(system::StoreKeyExists("HKEY_CURRENT_USER", "\\Software\\Quorvane\\Scores\\4242"));
  Call("highscore_add", {"A", 100.0});
  Call("highscore_add", {"B", 100.0});  // an equal score goes below
  Call("highscore_add", {"C", 300.0});
  EXPECT_EQ(Call("highscore_name", {1.0}).str, "C");
  EXPECT_EQ(Call("highscore_name", {2.0}).str, "A");
  EXPECT_EQ(Call("highscore_name", {3.0}).str, "B");
  EXPECT_EQ(Call("highscore_value", {3.0}).real, 100);

  // The table lives in the store: read again from there, it is the same.
  ForgetHighscores();
  EXPECT_EQ(Call("highscore_name", {2.0}).str, "A");
  for (int i = 0; i < 10; ++i) Call("highscore_add", {"F", 50.0});
  EXPECT_EQ(Call("highscore_name", {10.0}).str, "F");
  Call("highscore_add", {"Late", 50.0});  // equal to rank 10: no place
  EXPECT_EQ(Call("highscore_name", {10.0}).str, "F");
  EXPECT_EQ(Call("highscore_value", {11.0}).real, 0);

  Call("highscore_clear");
  EXPECT_EQ(Call("highscore_name", {1.0}).str, "<nobody>");
  EXPECT_EQ(Call("highscore_value", {1.0}).real, 0);
}

TEST_F(Highscores, ACorruptRankReadsEmptyAndLeavesTheOthers) {
  Call("highscore_add", {"A", 30.0});
  Call("highscore_add", {"B", 20.0});
  Call("highscore_add", {"C", 10.0});
  system::StoreWrite("HKEY_CURRENT_USER", "\\Software\\Quorvane\\Scores\\4242", "Rank2", std::string("NOT AN ENTRY"));
  ForgetHighscores();
  EXPECT_EQ(Call("highscore_name", {1.0}).str, "A");
  EXPECT_EQ(Call("highscore_name", {2.0}).str, "<nobody>");
  EXPECT_EQ(Call("highscore_value", {2.0}).real, 0);
  EXPECT_EQ(Call("highscore_name", {3.0}).str, "C");
  // Another game's table is its own.
  world::currentGameId() = 7;
  EXPECT_EQ(Call("highscore_name", {1.0}).str, "<nobody>");
}

TEST_F(Highscores, NamesAskedForAndTyped) {
  world::gameCounters().score = 0;
  // A score equal to rank 10's asks for the name, then gains no place.
  SetScriptedAnswers("text:Nobody");
  Call("highscore_add_current");
  EXPECT_FALSE(ScriptedAnswersWaiting());
  EXPECT_EQ(Call("highscore_name", {1.0}).str, "<nobody>");

  world::gameCounters().score = 75;
  SetScriptedAnswers("text:Ada");
  Call("highscore_add_current");
  EXPECT_EQ(Call("highscore_name", {1.0}).str, "Ada");

  SetScriptedAnswers("escape");
  Call("highscore_add_current");  // Escape answers the default name
  EXPECT_EQ(Call("highscore_name", {2.0}).str, "player");

  // The window: typed characters, Backspace, Enter; the name lands at the place gained.
  SetScriptedAnswers("text:Bobb\\b\xc3\xa9");  // "\\b" is Backspace
  Call("highscore_show", {80.0});
  EXPECT_EQ(Call("highscore_name", {1.0}).str, "Bob\xe9");
  EXPECT_EQ(Call("highscore_value", {1.0}).real, 80);
  SetScriptedAnswers("text:Zed");
  Call("highscore_show", {1.0});  // a place at rank 4
  EXPECT_EQ(Call("highscore_name", {4.0}).str, "Zed");
  SetScriptedAnswers("enter");
  Call("highscore_show", {0.0});  // no place: nothing typed lands anywhere
  EXPECT_EQ(Call("highscore_name", {5.0}).str, "<nobody>");
}

TEST_F(Highscores, LookSettingsPersistAndStylesOutsideTheRangeKeepTheStyle) {
  Call("highscore_set_font", {"Arial", 10.0, 3.0});
  Call("highscore_set_font", {"Georgia", 11.0, 7.0});
  EXPECT_EQ(highscoreLook().fontName, "Georgia");
  EXPECT_EQ(highscoreLook().fontStyle, 3);
  Call("highscore_set_border", {0.4});
  EXPECT_FALSE(highscoreLook().border);
  Call("highscore_set_strings", {"Best", "-", "bye"});
  Call("highscore_clear");
  EXPECT_EQ(Call("highscore_name", {1.0}).str, "-");
}

TEST_F(Highscores, WindowWithAPlaceBeingEntered) {
  for (int i = 0; i < 6; ++i) Call("highscore_add", {std::string("Player ") + char('A' + i), double(1000 - 150 * i)});
  HighscoreTable& table = highscores();
  const int place = table.insert("", 750);
  ASSERT_EQ(place, 3);
  HighscoreWindow window(table, place);
  for (char c : std::string("Ann")) window.handle(platform::WindowEvent{platform::WindowEvent::Character, 0, 0, c});
  EXPECT_EQ(window.typedName(), "Ann");
  ExpectGolden("highscore_window_entering", window.render());
}

// draw_highscore through the real OpenGL device, with the default font in a dark blue.
TEST_F(Highscores, DrawHighscoreGolden) {
  for (int i = 0; i < 4; ++i) Call("highscore_add", {std::string("Hero ") + char('1' + i), double(900 - 200 * i)});
  graphics::drawtest::ResetDrawing();
  auto window = platform::GameWindow::Open(200, 200);
  if (!window) GTEST_SKIP() << "no OpenGL 3.3 window available";
  graphics::display().bindWindow(window.get());
  if (!graphics::display().createDevice(200, 200, false)) GTEST_SKIP() << "no OpenGL device";
  graphics::display().beginFrame();
  graphics::display().device()->clear(true, 0xFFFFFFFF, false, 1.0f);
  graphics::drawState().colour = 0xFF802000;
  Call("draw_highscore", {10.0, 10.0, 190.0, 190.0});
  graphics::display().device()->endScene();
  const data::TBitmap32 picture = graphics::display().capture(0, 0, 200, 200);
  graphics::drawtest::ResetDrawing();
  window.reset();
  ExpectGolden("draw_highscore", picture);
}

}  // namespace
}  // namespace qv::windows
