// Scripted answers: what a dialog is answered with when nobody can answer it (headless runs,
// tests, CI). QUORVANE_DIALOG_ANSWERS holds a queue of answers separated by ";" ("\;" stands for
// a semicolon, "\\" for a backslash and "\b" for Backspace inside an answer); each dialog takes
// the next one and turns it into the key presses, typed characters or clicks a player would make,
// which then go through the dialog's own handling:
//
//   escape, enter, space, close   that key, or the close button
//   click                         a click in the middle of the dialog
//   button:N                      a click on button N (1 left, 2 middle, 3 right)
//   key:C, alt:C                  the character C typed, or Alt+C
//   text:S                        S typed (replacing what is selected), then Enter
//   menu:N                        a click on menu item N (numbered as the game numbers them)
//   color:N, colour:N             the colour N (decimal 0xBBGGRR, or #RRGGBB), then OK
//   file:S                        the file or directory name S, then OK
//
// With no answer queued a dialog is closed as with Escape; either way the dialog and its answer
// are written to stderr.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::windows {

struct ScriptedAnswer {
  enum Kind { Escape, Enter, Space, Close, Click, Button, Key, AltKey, Text, Menu, Colour, File } kind = Escape;
  int number = 0;    // Button, Menu, Colour
  std::string text;  // Key, AltKey (one character), Text, File: code page 1252
};

// The answers of a queue text; nothing, with `error` saying which answer is wrong, when one cannot
// be read.
std::optional<std::vector<ScriptedAnswer>> ParseScriptedAnswers(std::string_view text, std::string* error);

// The next answer of the queue (read from QUORVANE_DIALOG_ANSWERS when first needed); nothing when
// it is empty. A queue that cannot be read is said on stderr once and counts as empty.
std::optional<ScriptedAnswer> NextScriptedAnswer();
// True while answers are waiting.
bool ScriptedAnswersWaiting();
// Tests: replaces the queue by the answers of `text` (false when it cannot be read).
bool SetScriptedAnswers(std::string_view text);

// How an answer is written on stderr ("button:3", "text:Bob", ...).
std::string DescribeAnswer(const ScriptedAnswer& a);

}  // namespace qv::windows
