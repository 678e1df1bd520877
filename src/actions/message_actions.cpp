// The actions over the game's own windows: a message, a question, the highscore table.
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

constexpr code::BuiltinFunction kMessageActions[] = {
    {"action_message", action_message, 1},
    {"action_if_question", action_if_question, 1},
    {"action_highscore_show", action_highscore_show, 5},
    {"action_highscore_clear", action_highscore_clear, 0},
};

}  // namespace

code::BuiltinFamily MessageActions() { return kMessageActions; }

}  // namespace qv::actions
