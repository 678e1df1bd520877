// The player's input as the game sees it: held, pressed and released keys and mouse buttons, the
// last key and character, the typed string, the mouse position and the wheel. The window handlers
// (and scripted input, which goes through the same handlers) fill it between steps; the step raises
// the keyboard and mouse events from it and clears the pressed and released flags at its end.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/game_window.h"

namespace qv::world {

struct InputState {
  std::array<bool, 256> keyDown{}, keyPressed{}, keyReleased{};
  std::array<bool, 4> buttonDown{}, buttonPressed{}, buttonReleased{};  // 1 left, 2 right, 3 middle
  int32_t lastKey = 0;   // keyboard_lastkey
  int32_t key = 0;       // keyboard_key
  std::string lastChar;  // keyboard_lastchar
  std::string typed;     // keyboard_string
  int32_t mouseButton = 0, mouseLastButton = 0;
  double mouseX = 0, mouseY = 0;                  // room coordinates
  double previousMouseX = 0, previousMouseY = 0;  // at the previous step's mouse stage
  bool wheelUp = false, wheelDown = false;
};
InputState& input();

// Maps the virtual key of a key event to the key the game sees (identity until keyboard_set_map).
std::array<int32_t, 256>& keyMap();

// Processes window messages the way the loop does between steps (set by whoever owns the window;
// nothing without one), then the key events the game sent to itself.
std::function<bool()>& windowMessagePump();
void ProcessWindowMessages();
// Key events the game sends to itself (keyboard_key_press), handled at the next message processing.
void QueueSyntheticKey(int32_t vk, bool down);
void HandleSyntheticInput();

// The window handlers, in virtual-key codes and buttons 1 to 3.
void OnKeyDown(int32_t vk);
void OnKeyUp(int32_t vk);
void OnCharacter(uint8_t ch);
void OnMouseDown(int32_t button);
void OnMouseUp(int32_t button);
void OnMouseMove(double x, double y);
void OnWheel(bool up);
// The window's close button: the window never closes by itself. With close-as-Esc on it is a held
// Esc (keyboard_key and keyboard_lastkey 27, so the function-key stage ends the game when Esc
// does); otherwise every instance gets the "Close Button" event.
void OnCloseButton();

// Passes one window event to the handler above it (key, character, mouse button, move, wheel or
// the close button).
// Mouse positions stay in the window's client coordinates until the mouse stage maps them.
void HandleWindowInput(const platform::WindowEvent& e);
// The mouse position the handlers saw last, in the window's client coordinates.
double& windowMouseX();
double& windowMouseY();

// Forgets every key, button, flag and the last key and character (the typed string stays).
void ClearInput();
// Clears the pressed and released flags and the wheel flags; held keys and buttons stay.
void ClearPressedFlags();

// The game's settings for its window's input (all on until the runner sets them): which function
// keys act, what the close button does, and whether the game stands still while its window is not
// the active one.
struct InputSettings {
  bool f1Information = true, escEnds = true, f4Fullscreen = true, f5f6SaveLoad = true, f9Screenshot = true;
  bool closeAsEsc = true;  // the close button acts as Esc rather than raising "Close Button"
  bool freezeWhenInactive = false;
};
InputSettings& inputSettings();
}  // namespace qv::world
