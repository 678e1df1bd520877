#include "windows/highscore.h"

#include "code/rounding.h"
#include "graphics/font.h"
#include "graphics/text.h"
#include "windows/highscore_table.h"
#include "windows/highscore_window.h"
#include "windows/messages.h"
#include "world/input.h"
#include "world/saved_game.h"

namespace qv::windows {

namespace {

using code::BuiltinCall;

void highscore_show(BuiltinCall& c) { ShowHighscore(c.integer(0)); }

void highscore_set_background(BuiltinCall& c) { highscoreLook().background = c.integer(0); }
void highscore_set_border(BuiltinCall& c) { highscoreLook().border = c.real(0) >= 0.5; }

void highscore_set_colors(BuiltinCall& c) {
  highscoreLook().backColour = c.integer(0);
  highscoreLook().newColour = c.integer(1);
  highscoreLook().otherColour = c.integer(2);
}

void highscore_set_font(BuiltinCall& c) {
  HighscoreLook& look = highscoreLook();
  look.fontName = c.string(0);
  look.fontSize = c.integer(1);
  const int32_t style = c.integer(2);
  if (style >= 0 && style <= 3) look.fontStyle = style;
}

void highscore_set_strings(BuiltinCall& c) {
  highscoreLook().caption = c.string(0);
  highscoreLook().nobody = c.string(1);
  highscoreLook().escape = c.string(2);
}

void highscore_show_ext(BuiltinCall& c) {
  HighscoreLook& look = highscoreLook();
  look.background = c.integer(1);
  look.border = c.real(2) >= 0.5;
  look.newColour = c.integer(3);
  look.otherColour = c.integer(4);
  look.fontName = c.string(5);
  look.fontSize = c.integer(6);
  ShowHighscore(c.integer(0));
}

void highscore_clear(BuiltinCall&) { ClearHighscores(); }
void highscore_add(BuiltinCall& c) { highscores().insert(c.string(0), c.integer(1)); }

void highscore_add_current(BuiltinCall&) {
  const int32_t score = world::gameCounters().score;
  if (score < highscores().entry(HighscoreTable::kRanks).score) return;
  const std::string name =
      GetString("You reached a place in the highscore table.\rPlease provide your name.", "player");
  highscores().insert(name, score);  // an equal score asks, then gains no place
  world::ClearInput();
}

void highscore_value(BuiltinCall& c) { c.result = double(highscores().entry(c.integer(0)).score); }
void highscore_name(BuiltinCall& c) { c.result = highscores().entry(c.integer(0)).name; }

// Row i at y1 + (i - 1) h with h = round((y2 - y1) / 10): the name from x1, the score ending at x2,
// in the current font, colour and alpha; the text alignment is left as the game set it afterwards.
void draw_highscore(BuiltinCall& c) {
  const double x1 = c.real(0), y1 = c.real(1), x2 = c.real(2), y2 = c.real(3);
  const double h = code::roundToInt32((y2 - y1) / 10.0);
  graphics::TextState& state = graphics::textState();
  const graphics::TextState kept = state;
  state.valign = 0;
  const graphics::TextStyle style = graphics::CurrentTextStyle();
  graphics::CFont& font = graphics::CurrentFont();
  for (int rank = 1; rank <= HighscoreTable::kRanks; ++rank) {
    const HighscoreEntry e = highscores().entry(rank);
    const double y = y1 + (rank - 1) * h;
    state.halign = 0;
    graphics::DrawText(font, x1, y, e.name, style);
    state.halign = 2;
    graphics::DrawText(font, x2, y, std::to_string(e.score), style);
  }
  state = kept;
}

const code::BuiltinFunction kHighscoreFunctions[] = {
    {"highscore_show", highscore_show, 1},
    {"highscore_show_ext", highscore_show_ext, 7},
    {"highscore_set_background", highscore_set_background, 1},
    {"highscore_set_border", highscore_set_border, 1},
    {"highscore_set_colors", highscore_set_colors, 3},
    {"highscore_set_font", highscore_set_font, 3},
    {"highscore_set_strings", highscore_set_strings, 3},
    {"highscore_clear", highscore_clear, 0},
    {"highscore_add", highscore_add, 2},
    {"highscore_add_current", highscore_add_current, 0},
    {"highscore_value", highscore_value, 1},
    {"highscore_name", highscore_name, 1},
    {"draw_highscore", draw_highscore, 4},
};

}  // namespace

void ShowHighscore(int32_t score) {
  HighscoreTable& table = highscores();
  const int place = table.placeFor(score);
  if (place > 0) table.insert("", score);
  HighscoreWindow window(table, place);
  RunModal(window);
  if (place > 0) table.rename(place, window.typedName());
  world::ClearInput();
}

void ClearHighscores() { highscores().clear(); }

code::BuiltinFamily HighscoreFunctions() { return kHighscoreFunctions; }

}  // namespace qv::windows
