// The input stages of the step: the function keys (stage 2), then the keyboard, joystick and
// mouse events (stages 8 to 10), raised from the input state that the window handlers filled.
#pragma once

namespace qv::game {

// Stage 2 of the step: the function key in keyboard_lastkey, when its setting is on, clears
// keyboard_lastkey and acts: F1 shows the game information, Esc requests the end of the game, F4 switches between full screen
// and window, F5 saves and F6 loads "_save" + game id + ".sav", F9 saves "screenshot" + n + ".png"
// with n the first free number from 100.
void HandleFunctionKeys();

// The keyboard, key-press and key-release passes of the step.
void RaiseKeyboardEvents();
// The joystick stage of the step: for each joystick that answers, the stick beyond 20000 or 44000
// on an axis and buttons 1 to 8 raise their mouse events for every instance that has them.
void RaiseJoystickEvents();
// The mouse stage of the step: button, press, release, enter, leave and wheel events.
void RaiseMouseEvents();

}  // namespace qv::game
