// The game information: a rich-text page the game carries with the settings of the window that
// shows it. F1 (when its setting is on), `show_info` and the information action open it in the
// information window (windows/information_window.h), and the game waits until it is closed.
// `load_info` replaces the text by a rich-text file.
#pragma once

#include <cstdint>
#include <string>

#include "code/builtin.h"

namespace qv::data {
class CStream;
}

namespace qv::windows {

struct GameInformation {
  int32_t backgroundColour = 0xE1FFFF;  // light yellow
  bool showInMainWindow = false;
  std::string caption = "Game Information";
  int32_t left = -1, top = -1, width = 600, height = 400;  // negative left or top: centred
  bool border = true, sizeable = true, stayOnTop = false, gameWaits = true;
  std::string richText;
};

// Reads the contents of the game information block (after its version number). False when the
// block ends early.
bool ReadGameInformation(data::CStream& block, GameInformation& out);

// Writes what ReadGameInformation reads.
void WriteGameInformation(data::CStream& block, const GameInformation& info);

// The game's information, from the record the game data carried (defaults when it has none) or
// from the last `load_info`.
GameInformation CurrentGameInformation();

// Shows it and clears the keyboard and mouse state afterwards.
void ShowGameInformation();

// `show_info`, `load_info`.
code::BuiltinFamily GameInformationFunctions();

}  // namespace qv::windows
