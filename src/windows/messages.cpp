#include "windows/messages.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "code/errors.h"
#include "code/real_to_string.h"
#include "code/rounding.h"
#include "graphics/background.h"
#include "graphics/sprite.h"
#include "windows/message_window.h"
#include "world/input.h"

namespace qv::windows {

namespace {

using code::BuiltinCall;

int showWindow(MessageRequest request, std::string* input = nullptr) {
  MessageWindow window(std::move(request));
  RunModal(window);
  world::ClearInput();
  if (input) *input = window.inputText();
  return window.result();
}

// A font setter's arguments: an empty name keeps the name, size and colour apply when 0 or more,
// styles other than 0 to 3 keep the style.
void setFont(DialogFont& f, BuiltinCall& c) {
  if (!c.string(0).empty()) f.name = c.string(0);
  if (c.real(1) >= 0) f.size = c.integer(1);
  if (c.real(2) >= 0) f.colour = c.integer(2);
  const int32_t style = c.integer(3);
  if (style >= 0 && style <= 3) f.style = style;
}

void show_message(BuiltinCall& c) { ShowMessage(ShownValue(c.args[0])); }

void show_message_ext(BuiltinCall& c) {
  c.result = double(ShowMessageExt(ShownValue(c.args[0]), c.string(1), c.string(2), c.string(3)));
}

void show_question(BuiltinCall& c) { c.result = ShowQuestion(ShownValue(c.args[0])) ? 1.0 : 0.0; }

void get_string(BuiltinCall& c) { c.result = GetString(ShownValue(c.args[0]), c.string(1)); }

void get_integer(BuiltinCall& c) {
  const int32_t first = code::roundToInt32(c.real(1));
  const std::string text = GetString(ShownValue(c.args[0]), std::to_string(first));
  c.result = double(ReadInteger(text).value_or(first));
}

void show_error(BuiltinCall& c) { code::ReportActionError(c.string(0), c.real(1) >= 0.5); }

void message_background(BuiltinCall& c) {
  const graphics::CBackground* b = graphics::backgrounds().get(c.integer(0));
  if (!b) {
    code::ReportActionError("Trying to set a non-existing message background");
    return;
  }
  messageLook().background = b->image;
}

void message_button(BuiltinCall& c) {
  const graphics::CSprite* s = graphics::sprites().get(c.integer(0));
  if (!s) {
    code::ReportActionError("Trying to set a non-existing message button");
    return;
  }
  MessageLook& look = messageLook();
  for (size_t i = 0; i < 3; ++i) look.buttonImages[i] = i < s->frames.size() ? s->frames[i] : data::TBitmap32{};
  look.buttonsKeyed = true;
}

void message_text_font(BuiltinCall& c) { setFont(messageLook().textFont, c); }
void message_button_font(BuiltinCall& c) { setFont(messageLook().buttonFont, c); }
void message_input_font(BuiltinCall& c) { setFont(messageLook().inputFont, c); }
void message_mouse_color(BuiltinCall& c) { messageLook().mouseColour = c.integer(0) & 0xFFFFFF; }
void message_input_color(BuiltinCall& c) { messageLook().inputColour = c.integer(0); }

void message_alpha(BuiltinCall& c) {
  messageLook().alpha = std::clamp(code::roundToInt32(255.0 * c.real(0)), 0, 255);
}

// Any negative value stands for the automatic choice (-1 is the documented one).
int automaticOr(int32_t v) { return v < 0 ? -1 : v; }

void message_position(BuiltinCall& c) {
  messageLook().x = automaticOr(c.integer(0));
  messageLook().y = automaticOr(c.integer(1));
}

void message_size(BuiltinCall& c) {
  messageLook().width = automaticOr(c.integer(0));
  messageLook().height = automaticOr(c.integer(1));
}

void message_caption(BuiltinCall& c) {
  messageLook().captionShown = c.real(0) >= 0.5;
  messageLook().caption = c.string(1);
}

const code::BuiltinFunction kMessageFunctions[] = {
    {"show_message", show_message, 1},
    {"show_message_ext", show_message_ext, 4},
    {"show_question", show_question, 1},
    {"get_string", get_string, 2},
    {"get_integer", get_integer, 2},
    {"show_error", show_error, 2},
    {"message_background", message_background, 1},
    {"message_button", message_button, 1},
    {"message_text_font", message_text_font, 4},
    {"message_button_font", message_button_font, 4},
    {"message_input_font", message_input_font, 4},
    {"message_mouse_color", message_mouse_color, 1},
    {"message_input_color", message_input_color, 1},
    {"message_alpha", message_alpha, 1},
    {"message_position", message_position, 2},
    {"message_size", message_size, 2},
    {"message_caption", message_caption, 2},
};

}  // namespace

std::string ShownValue(const code::RValue& v) { return v.isString() ? v.str : code::RealToString(v.real); }

void ShowMessage(const std::string& text) { showWindow({text, {"", "OK", ""}, false, ""}); }

int ShowMessageExt(const std::string& text, const std::string& b1, const std::string& b2, const std::string& b3) {
  return showWindow({text, {b1, b2, b3}, false, ""});
}

bool ShowQuestion(const std::string& text) { return showWindow({text, {"Yes", "", "No"}, false, ""}) == 1; }

std::string GetString(const std::string& text, const std::string& first) {
  std::string input;
  showWindow({text, {"", "OK", ""}, true, first}, &input);
  return input;
}

std::optional<int32_t> ReadInteger(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  bool negative = false;
  if (b < e && (text[b] == '-' || text[b] == '+')) negative = text[b++] == '-';
  int base = 10;
  if (b < e && text[b] == '$') {
    base = 16;
    ++b;
  } else if (e - b > 2 && text[b] == '0' && (text[b + 1] == 'x' || text[b + 1] == 'X')) {
    base = 16;
    b += 2;
  }
  if (b == e) return std::nullopt;
  int64_t value = 0;
  const auto [p, ec] = std::from_chars(text.data() + b, text.data() + e, value, base);
  if (ec != std::errc{} || p != text.data() + e) return std::nullopt;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return int32_t(value);
}

code::BuiltinFamily MessageFunctions() { return kMessageFunctions; }

}  // namespace qv::windows
