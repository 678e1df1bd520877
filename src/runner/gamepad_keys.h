// A gamepad standing in for keys: each logical control of the host's controllers (platform/gamepad)
// is one key of the game, pressed while the control is held. The game sees ordinary key presses
// and releases, so games that read only the keyboard can be played with a controller.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/game_window.h"
#include "platform/gamepad.h"

namespace qv::runner {

// The key (a Windows virtual-key number, 0 for none) of each control.
using GamepadKeyTable = std::array<int, platform::kPadControlCount>;

// Which controls the player gave a key of their own (those keep it whatever the game uses).
using GamepadChosen = std::array<bool, platform::kPadControlCount>;

// Stick and d-pad to the arrow keys, A to space, B to X, X to Z, start to Enter, back to Escape.
GamepadKeyTable DefaultGamepadKeys();

// How much a game uses each key (a Windows virtual-key number): the objects whose keyboard,
// key-press or key-release events are for it.
using KeyUse = std::map<int, int>;
// The use of keys in the objects of the game loaded now. Keys read only from code
// (keyboard_check and the like) are not seen.
KeyUse GameKeyUse();

// `keys` fitted to a game: the buttons A, B, X, Y, left and right shoulder stand for the keys the
// game uses most, in that order (ties go to the fixed defaults' order, then to the lower key);
// keys that have controls of their own (the directions, start and back) are not handed out again.
// Buttons left over keep their fixed default unless another button took that key. A game that
// reacts to W, A, S and D and to no arrow key gets those letters on the directions. Controls in
// `chosen` keep their key from `keys`.
GamepadKeyTable FitGamepadKeysToGame(const GamepadKeyTable& keys, const GamepadChosen& chosen, const KeyUse& use);

// The control's name in the settings ("a", "start", "left_shoulder", ...).
const char* GamepadControlName(int control);

// A key by name: "space", "enter", "escape", "tab", "backspace", "shift", "control", "alt",
// the arrows "left" "up" "right" "down", "insert" "delete" "home" "end" "pageup" "pagedown",
// "a" to "z", "0" to "9", "f1" to "f12", "numpad0" to "numpad9", "none" (0); case ignored.
std::optional<int> KeyFromName(const std::string& name);

class GamepadKeys {
 public:
  explicit GamepadKeys(const GamepadKeyTable& keys) : keys_(keys) {}
  // The key events that take the game from the controls held before to `held`: releases, then
  // presses. A key shared by several controls is down while any of them is held.
  std::vector<platform::WindowEvent> update(uint32_t held);

 private:
  GamepadKeyTable keys_;
  uint32_t last_ = 0;
  std::map<int, int> holders_;  // key -> controls holding it down
};

}  // namespace qv::runner
