// Messages, questions and text input through the message window, and the functions that change
// its look. Every one of them clears the keyboard and mouse state afterwards, so the key or click
// that closed the window does not reach the game.
#pragma once

#include <optional>
#include <string>

#include "code/builtin.h"
#include "code/value.h"

namespace qv::windows {

// A value as the message window shows it: a string unchanged, a real with a fraction with 2
// decimals, a whole real as an integer.
std::string ShownValue(const code::RValue& v);

void ShowMessage(const std::string& text);
// The button chosen (1 to 3) or 0 for Escape; an empty caption hides its button.
int ShowMessageExt(const std::string& text, const std::string& b1, const std::string& b2, const std::string& b3);
// True when "Yes" was chosen.
bool ShowQuestion(const std::string& text);
// The text of the input box, also when the window was closed with Escape.
std::string GetString(const std::string& text, const std::string& first);

// The integer a text gives, as the integer input reads it: blanks around it, a sign, decimal
// digits or "$" with hexadecimal ones, within 32 bits; nothing for any other text.
std::optional<int32_t> ReadInteger(const std::string& text);

// show_message ... get_integer, show_error and the message_* look functions.
code::BuiltinFamily MessageFunctions();

}  // namespace qv::windows
