// Splash screens: the settings, where the splash goes and how big, the five ways it closes, the
// failures of each kind of content, and pictures of a fitted image and a text.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "graphics/bitmap_ops.h"
#include "support/builtin_call.h"
#include "support/golden.h"
#include "windows/modeless_dialogs.h"
#include "windows/scripted_answers.h"
#include "windows/splash.h"

namespace qv::windows {
namespace {

namespace fs = std::filesystem;
using code::RValue;

RValue Call(std::string_view name, std::vector<RValue> args) {
  return testing::CallBuiltin(SplashFunctions(), name, std::move(args));
}

// A 40 x 30 picture: a blue field with a red border and a white cross, easy to see scaled.
data::TBitmap32 Picture() {
  data::TBitmap32 b(40, 30, 0xFF2050C0);
  for (int x = 0; x < 40; ++x) b.setPixel(x, 0, 0xFFE02020), b.setPixel(x, 29, 0xFFE02020), b.setPixel(x, 15, 0xFFFFFFFF);
  for (int y = 0; y < 30; ++y) b.setPixel(0, y, 0xFFE02020), b.setPixel(39, y, 0xFFE02020), b.setPixel(20, y, 0xFFFFFFFF);
  return b;
}

SplashContent ImageContent() {
  SplashContent c;
  c.kind = SplashContent::Image;
  c.image = Picture();
  return c;
}

class Splash : public ::testing::Test {
 protected:
  void SetUp() override {
    splashSettings() = SplashSettings{};
    testing::ClearErrors();
  }
  void TearDown() override {
    splashSettings() = SplashSettings{};
    SetScriptedAnswers("");
    CloseModelessDialogs();
  }
};

TEST_F(Splash, SettingsPlaceAndSizeTheWindow) {
  Call("splash_set_main", {0.4});  // below 0.5: off
  Call("splash_set_position", {100.0, 50.0});
  Call("splash_set_size", {300.0, 200.0});
  Call("splash_set_adapt", {0.0});
  Call("splash_set_scale", {2.0});
  SplashWindow fixed(ImageContent(), 0);
  EXPECT_EQ(fixed.window().x, 100);
  EXPECT_EQ(fixed.window().y, 50);
  EXPECT_EQ(fixed.width(), 300);
  const SplashWindow::Placement p = fixed.picture();
  EXPECT_EQ(p.w, 80);  // scaled by 2, centred
  EXPECT_EQ(p.x, 110);
  EXPECT_EQ(p.y, 70);

  Call("splash_set_adapt", {1.0});
  Call("splash_set_scale", {0.0});  // fit: 300 / 40 and 200 / 30, the smaller
  SplashWindow adapted(ImageContent(), 0);
  EXPECT_EQ(adapted.width(), 267);
  EXPECT_EQ(adapted.height(), 200);
  EXPECT_EQ(adapted.picture().x, 0);

  EXPECT_TRUE(adapted.window().cursorVisible);

  Call("splash_set_fullscreen", {1.0});
  Call("splash_set_cursor", {0.0});
  SplashWindow full(ImageContent(), 0);
  EXPECT_FALSE(full.window().captionBar);
  EXPECT_EQ(full.window().x, 0);
  EXPECT_FALSE(full.window().cursorVisible);

  // The older forms: a window of their own, full screen only when "full" rounds above 0.
  splashSettings() = SplashSettings{};
  Call("show_image", {"no such picture.png", 0.4, 0.0});
  EXPECT_FALSE(splashSettings().fullscreen);
  EXPECT_FALSE(splashSettings().main);
  Call("show_text", {"no such text.txt", 1.0, 255.0, 0.0});
  EXPECT_TRUE(splashSettings().fullscreen);
  EXPECT_EQ(splashSettings().colour, 255);
}

TEST_F(Splash, FiveWaysToClose) {
  struct Case {
    const char* what;
    bool stopKey, stopMouse, closeButton;
    platform::WindowEvent event;
    bool closes;
  };
  auto click = [](int x, int y) {
    platform::WindowEvent e;
    e.kind = platform::WindowEvent::MouseUp;
    e.button = 1;
    e.x = x;
    e.y = y;
    return e;
  };
  const Case table[] = {
      {"Escape", true, false, false, KeyEvent(27), true},
      {"Escape without the stop key", false, true, true, KeyEvent(27), false},
      {"a click", false, true, false, click(10, 100), true},
      {"a click without stop mouse", true, false, true, click(10, 100), false},
      {"the close button", false, false, true, click(640 - 14, 14), true},
      {"where the close button would be", false, false, false, click(640 - 14, 14), false},
  };
  for (const Case& c : table) {
    splashSettings() = SplashSettings{};
    splashSettings().main = false;
    splashSettings().adapt = false;
    splashSettings().stopKey = c.stopKey;
    splashSettings().stopMouse = c.stopMouse;
    splashSettings().closeButton = c.closeButton;
    SplashWindow w(ImageContent(), 0);
    EXPECT_EQ(w.handle(c.event), c.closes) << c.what;
  }
  // The timer.
  SplashWindow timed(ImageContent(), 500);
  EXPECT_TRUE(timed.ticking());
  EXPECT_TRUE(timed.endsByItself());
  EXPECT_FALSE(timed.tick(499));
  EXPECT_TRUE(timed.tick(500));
  SplashWindow untimed(ImageContent(), 0);
  EXPECT_FALSE(untimed.endsByItself());
}

TEST_F(Splash, ContentThatCannotBeShownSaysSo) {
  const fs::path dir = fs::temp_directory_path() / "splash_files";
  fs::create_directories(dir);
  std::ofstream(dir / "not a video.avi") << "plain words";
  const std::string longName = (dir / std::string(130, 'v')).string();
  std::ofstream(longName) << "x";
  std::ofstream(dir / "empty.png");
  const std::pair<std::vector<RValue>, const char*> table[] = {
      {{"splash_show_image", (dir / "missing.png").string(), 0.0}, "Image file not found."},
      {{"splash_show_image", (dir / "empty.png").string(), 0.0}, "Image file not found."},
      {{"splash_show_text", (dir / "missing.txt").string(), 0.0}, "Text file not found."},
      {{"splash_show_video", (dir / "missing.avi").string(), 0.0}, "Video file not found (or name too long)."},
      {{"splash_show_video", longName, 0.0}, "Video file not found (or name too long)."},
      {{"splash_show_video", (dir / "not a video.avi").string(), 0.0}, "Video file not found (or name too long)."},
      {{"splash_show_web", "", 0.0}, "Web page not found."},
  };
  for (const auto& [call, message] : table) {
    testing::ClearErrors();
    Call(call[0].str, {call[1], call[2]});
    EXPECT_NE(testing::LastError().find(message), std::string::npos) << call[1].str << ": " << testing::LastError();
  }
}

// Shown and answered headless: a timer runs out by itself, a click and the close button answer.
TEST_F(Splash, ShownHeadlessAndAnswered) {
  const fs::path file = fs::temp_directory_path() / "splash_picture.png";
  ASSERT_TRUE(graphics::SavePng(Picture(), file.string()));
  for (const char* answers : {"", "click", "button:1", "escape"}) {
    SetScriptedAnswers(answers);
    Call("splash_show_image", {file.string(), 2000.0});
    EXPECT_EQ(testing::LastError(), "") << answers;
    EXPECT_FALSE(ScriptedAnswersWaiting());
  }
  const fs::path text = fs::temp_directory_path() / "splash_story.rtf";
  std::ofstream(text) << R"({\rtf1 Chapter two\par})";
  SetScriptedAnswers("enter");
  Call("splash_show_text", {text.string(), 0.0});
  EXPECT_EQ(testing::LastError(), "");
}

// In a window of its own with "game waits" off the splash returns at once and lives between steps:
// answers queued for dialogs stay queued, another showing replaces it, its timer closes it, and a
// splash the game waits for (over the main window) closes it first.
TEST_F(Splash, TheGameGoesOnWhenItDoesNotWait) {
  const fs::path file = fs::temp_directory_path() / "splash_beside.png";
  ASSERT_TRUE(graphics::SavePng(Picture(), file.string()));
  SetScriptedAnswers("escape");
  Call("splash_set_main", {0.0});
  Call("splash_set_interrupt", {0.0});
  Call("splash_show_image", {file.string(), 0.0});
  EXPECT_EQ(testing::LastError(), "");
  EXPECT_TRUE(ModelessDialogOpen(ModelessKind::Splash));
  EXPECT_TRUE(ScriptedAnswersWaiting()) << "nothing waited for an answer";
  ServiceModelessDialogs();
  EXPECT_TRUE(ModelessDialogOpen(ModelessKind::Splash)) << "no delay: open until closed";

  Call("splash_show_image", {file.string(), 1.0});  // replaces it, and closes itself after 1 ms
  EXPECT_TRUE(ModelessDialogOpen(ModelessKind::Splash));
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ServiceModelessDialogs();
  EXPECT_FALSE(ModelessDialogOpen(ModelessKind::Splash));

  Call("splash_show_image", {file.string(), 0.0});
  Call("splash_set_interrupt", {1.0});
  Call("splash_show_image", {file.string(), 0.0});  // waited for: answered by the queued Escape
  EXPECT_FALSE(ScriptedAnswersWaiting());
  EXPECT_FALSE(ModelessDialogOpen(ModelessKind::Splash));
}

TEST_F(Splash, Pictures) {
  splashSettings().main = false;
  splashSettings().adapt = false;
  splashSettings().width = 320;
  splashSettings().height = 160;
  splashSettings().colour = 0x303030;
  SplashWindow image(ImageContent(), 0);
  ExpectGolden("splash_image_fitted", image.render());

  splashSettings().closeButton = false;
  splashSettings().colour = 0xF0F0F0;
  SplashContent text;
  text.kind = SplashContent::Text;
  text.text = ReadRichText(R"({\rtf1{\colortbl ;\red0\green90\blue0;}\qc\b\fs32 Chapter Two\b0\par\pard\fs20 )"
                           R"(The castle gates were shut, and the \cf1 green lantern\cf0  was gone.\par})");
  SplashWindow story(std::move(text), 0);
  ExpectGolden("splash_text", story.render());
}

}  // namespace
}  // namespace qv::windows
