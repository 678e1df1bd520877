// The actions over the game's own windows: a message, a question, the highscore table, splash
// screens.
//
// action_splash_settings(caption, window, close button, closing, game waits) sets the splash
// settings from the action's choices: window 0 the main window, 1 a window of its own, 2 full
// screen; close button 0 hidden, 1 shown; closing 0 by neither, 1 by Escape, 2 by a click, 3 by
// either; game waits 0 no, 1 yes.
//
// action_highscore_show's font argument is the text the action's font field holds:
// "Name,Size,Bold,Italic" (the size in points, bold and italic 0 or 1); fields left out keep the
// window's current font. A real argument names a font resource, whose name, size and style are
// taken; a name that is no font resource leaves the font as it is.
#include <cstdlib>
#include <sstream>
#include <string>

#include "actions/action_families.h"
#include "code/rounding.h"
#include "graphics/font.h"
#include "windows/highscore.h"
#include "windows/highscore_table.h"
#include "windows/messages.h"
#include "windows/splash.h"
#include "world/saved_game.h"

namespace qv::actions {

namespace {

using code::BuiltinCall;

void action_message(BuiltinCall& c) { windows::ShowMessage(windows::ShownValue(c.args[0])); }

void action_if_question(BuiltinCall& c) {
  c.result = windows::ShowQuestion(windows::ShownValue(c.args[0])) ? 1.0 : 0.0;
}

// The font field of the action: "Name,Size,Bold,Italic", or a font resource's index.
void applyHighscoreFont(const code::RValue& font, windows::HighscoreLook& look) {
  if (font.isReal()) {
    const graphics::CFont* f = graphics::fonts().get(code::roundToInt32(font.real));
    if (!f || f->isSpriteFont()) return;
    look.fontName = f->name;
    look.fontSize = f->size;
    look.fontStyle = (f->bold ? 1 : 0) + (f->italic ? 2 : 0);
    return;
  }
  std::istringstream fields(font.str);
  std::string field;
  bool bold = look.fontStyle & 1, italic = look.fontStyle & 2;
  for (int i = 0; std::getline(fields, field, ','); ++i) {
    if (field.empty()) continue;
    if (i == 0) look.fontName = field;
    if (i == 1) look.fontSize = std::atoi(field.c_str());
    if (i == 2) bold = std::atoi(field.c_str()) != 0;
    if (i == 3) italic = std::atoi(field.c_str()) != 0;
  }
  look.fontStyle = (bold ? 1 : 0) + (italic ? 2 : 0);
}

void action_highscore_show(BuiltinCall& c) {
  windows::HighscoreLook& look = windows::highscoreLook();
  look.background = c.integer(0);
  look.border = c.integer(1) == 1;
  look.newColour = c.integer(2);
  look.otherColour = c.integer(3);
  applyHighscoreFont(c.args[4], look);
  windows::ShowHighscore(world::gameCounters().score);
}

void action_highscore_clear(BuiltinCall&) { windows::ClearHighscores(); }

void action_splash_text(BuiltinCall& c) { windows::SplashShowText(c.string(0), 0); }
void action_splash_image(BuiltinCall& c) { windows::SplashShowImage(c.string(0), 0); }
void action_splash_video(BuiltinCall& c) { windows::SplashShowVideo(c.string(0), c.real(1) >= 0.5); }

// action_show_video(file, full screen, loop): the older form, in a window of its own.
void action_show_video(BuiltinCall& c) {
  windows::splashSettings().fullscreen = c.real(1) >= 0.5;
  windows::splashSettings().main = false;
  windows::SplashShowVideo(c.string(0), c.real(2) >= 0.5);
}

// action_splash_web(address, where): in the splash, or (0.5 or more) in the desktop's browser.
void action_splash_web(BuiltinCall& c) {
  if (c.real(1) < 0.5) return windows::SplashShowWeb(c.string(0), 0);
  OpenWebPage(c.string(0));
}

void action_splash_settings(BuiltinCall& c) {
  windows::SplashSettings& s = windows::splashSettings();
  s.caption = c.string(0);
  const int32_t where = c.integer(1);
  s.main = where == 0;
  s.fullscreen = where == 2;
  s.closeButton = c.integer(2) == 1;
  const int32_t closing = c.integer(3);
  s.stopKey = closing == 1 || closing == 3;
  s.stopMouse = closing == 2 || closing == 3;
  s.interrupt = c.integer(4) == 1;
}

constexpr code::BuiltinFunction kMessageActions[] = {
    {"action_message", action_message, 1},
    {"action_if_question", action_if_question, 1},
    {"action_highscore_show", action_highscore_show, 5},
    {"action_highscore_clear", action_highscore_clear, 0},
    {"action_show_video", action_show_video, 3},
    {"action_splash_video", action_splash_video, 2},
    {"action_splash_text", action_splash_text, 1},
    {"action_splash_image", action_splash_image, 1},
    {"action_splash_web", action_splash_web, 2},
    {"action_splash_settings", action_splash_settings, 5},
};

}  // namespace

code::BuiltinFamily MessageActions() { return kMessageActions; }

}  // namespace qv::actions
