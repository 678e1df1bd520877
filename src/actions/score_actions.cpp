// Score, lives, health and caption actions, with their drawing members, and the drawing of a
// value. Score and lives are whole numbers: relative values add before the result is rounded.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "actions/action_drawing.h"
#include "actions/action_families.h"
#include "actions/relative.h"
#include "code/rounding.h"
#include "graphics/drawing.h"
#include "graphics/draw_state.h"
#include "graphics/sprite.h"
#include "graphics/sprite_drawing.h"
#include "world/caption_settings.h"
#include "world/saved_game.h"

namespace qv::actions {

namespace {

using code::BuiltinCall;
using world::gameCounters;

// The colour menu of the health bar (0x00BBGGRR); entry 0 is "none".
constexpr int32_t kColourMenu[17] = {
    0,        0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000080, 0x008000, 0x008080, 0x800000,
    0x800080, 0x808000, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00,
};
constexpr int64_t kColourMenuSize = 17;

// More copies than this are never drawn by action_draw_life_images: they would lie far beyond any
// room, and a huge `lives` must not keep the game in one draw.
constexpr int32_t kMostLifeImages = 10000;

template <class T>
bool Compare(T a, double b, int32_t operation) {
  switch (operation) {
    case 0: return a == b;
    case 1: return a < b;
    case 2: return a > b;
    default: return false;
  }
}

// A real as the drawing members show it: an integral real as an integer, any other with two
// decimals.
std::string ValueText(double v) {
  char buffer[400];
  if (std::isfinite(v) && v == std::floor(v)) std::snprintf(buffer, sizeof buffer, "%.0f", v == 0 ? 0.0 : v);
  else std::snprintf(buffer, sizeof buffer, "%.2f", v);
  return buffer;
}

void action_set_score(BuiltinCall& c) {
  gameCounters().score = code::roundToInt32(RelativeValue(gameCounters().score, c.real(0)));
}

void action_set_life(BuiltinCall& c) {
  world::SetLives(code::roundToInt32(RelativeValue(gameCounters().lives, c.real(0))));
}

void action_set_health(BuiltinCall& c) { world::SetHealth(RelativeValue(gameCounters().health, c.real(0))); }

void action_if_score(BuiltinCall& c) {
  c.result = code::truthValue(Compare(gameCounters().score, c.real(0), IndexArgument(c, 1)));
}
void action_if_life(BuiltinCall& c) {
  c.result = code::truthValue(Compare(gameCounters().lives, c.real(0), IndexArgument(c, 1)));
}
void action_if_health(BuiltinCall& c) {
  c.result = code::truthValue(Compare(gameCounters().health, c.real(0), IndexArgument(c, 1)));
}

void action_draw_score(BuiltinCall& c) {
  const Position p = DrawPosition(c, c.real(0), c.real(1));
  DrawActionText(p.x, p.y, c.string(2) + std::to_string(gameCounters().score));
}

void action_draw_life(BuiltinCall& c) {
  const Position p = DrawPosition(c, c.real(0), c.real(1));
  DrawActionText(p.x, p.y, c.string(2) + std::to_string(gameCounters().lives));
}

// Frame 0 of the sprite `lives` times, each copy one sprite width right of the one before.
void action_draw_life_images(BuiltinCall& c) {
  const graphics::CSprite* s = graphics::sprites().get(IndexArgument(c, 2));
  if (!s) return;
  const Position p = DrawPosition(c, c.real(0), c.real(1));
  const int32_t copies = std::min(gameCounters().lives, kMostLifeImages);
  for (int32_t k = 0; k < copies; ++k) graphics::DrawSprite(*s, 0, p.x + double(k) * s->width(), p.y);
}

// Back colour: a colour-menu entry (0 none). Bar colour: 0 red to lime, 1 black to white, 2 to 17
// the single colour of menu entry (number - 1). Numbers outside those ranges draw nothing.
void action_draw_health(BuiltinCall& c) {
  const int64_t back = code::roundToInt64(c.real(4)), bar = code::roundToInt64(c.real(5));
  if (back < 0 || back >= kColourMenuSize || bar < 0 || bar > kColourMenuSize) return;
  int32_t low, high;
  if (bar == 0) {
    low = 0x0000FF;
    high = 0x00FF00;
  } else if (bar == 1) {
    low = 0x000000;
    high = 0xFFFFFF;
  } else {
    low = high = kColourMenu[bar - 1];
  }
  const Position a = DrawPosition(c, c.real(0), c.real(1)), b = DrawPosition(c, c.real(2), c.real(3));
  graphics::DrawHealthbar(a.x, a.y, b.x, b.y, gameCounters().health, kColourMenu[back], low, high, 0, back != 0, true,
                          graphics::drawState().alpha);
}

// The show flags count only at exactly 1.
void action_set_caption(BuiltinCall& c) {
  world::CaptionSettings& s = world::captionSettings();
  s.showScore = c.real(0) == 1;
  s.scoreCaption = c.string(1);
  s.showLives = c.real(2) == 1;
  s.livesCaption = c.string(3);
  s.showHealth = c.real(4) == 1;
  s.healthCaption = c.string(5);
  s.scoreShownAlways = true;
}

// A string as it is, a real as ValueText shows it.
void action_draw_variable(BuiltinCall& c) {
  const Position p = DrawPosition(c, c.real(1), c.real(2));
  DrawActionText(p.x, p.y, c.args[0].isString() ? c.string(0) : ValueText(c.real(0)));
}

constexpr code::BuiltinFunction kScoreActions[] = {
    {"action_set_score", action_set_score, 1},
    {"action_if_score", action_if_score, 2},
    {"action_draw_score", action_draw_score, 3},
    {"action_set_life", action_set_life, 1},
    {"action_if_life", action_if_life, 2},
    {"action_draw_life", action_draw_life, 3},
    {"action_draw_life_images", action_draw_life_images, 3},
    {"action_set_health", action_set_health, 1},
    {"action_if_health", action_if_health, 2},
    {"action_draw_health", action_draw_health, 6},
    {"action_set_caption", action_set_caption, 6},
    {"action_draw_variable", action_draw_variable, 3},
};

}  // namespace

code::BuiltinFamily ScoreActions() { return kScoreActions; }

}  // namespace qv::actions
