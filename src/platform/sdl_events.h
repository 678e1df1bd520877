// SDL's events as the window layer reports them (WindowEvent): one table for the game window and
// the dialog windows, so keys, typed characters and the mouse mean the same in both.
#pragma once

#include <vector>

#include "platform/game_window.h"

union SDL_Event;
struct SDL_Window;

namespace qv::platform {

// Appends what `e` means to `out` (nothing for events the windows ignore). Typed text becomes one
// Character event per code page 1252 byte; characters the code page cannot hold are dropped.
// Backspace gives its key event and the character 8.
void TranslateSdlEvent(const SDL_Event& e, std::vector<WindowEvent>& out);

// Raises `window` and gives it the keyboard (window managers, and desktops without one, do not
// always hand focus over when another window opens or closes).
void GiveKeyboardTo(SDL_Window* window);

}  // namespace qv::platform
