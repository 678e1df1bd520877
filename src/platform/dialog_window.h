// DialogWindow: a modal window of its own whose client area the caller draws pixel by pixel (the
// message window, the highscore table, menus and choosers). It opens on top of the game, with or
// without a caption bar, at a screen position or centred, with the opacity asked for, and runs its
// own event loop until the caller's handler says it is done.
//
// A signal asking the game to end (Ctrl-C, SIGTERM) or SDL's quit request closes it like the close
// button does, and the quit request is put back for the game loop, so a runner waiting in a dialog
// can always be stopped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/game_window.h"

namespace qv::platform {

struct DialogWindowSpec {
  std::string captionUtf8;
  int x = -1, y = -1;  // screen position of the client area; -1 centres it on that axis
  int width = 1, height = 1;
  bool captionBar = true;
  double opacity = 1.0;  // 0 transparent to 1 opaque
  bool cursorVisible = true;  // false hides the mouse cursor while the window is open
};

// The client area as 0xAARRGGBB pixels, width x height, row by row from the top.
using DialogRender = std::function<const std::vector<uint32_t>&()>;
// One event of the window (client coordinates; Close for the close button, a signal or quit);
// returns true when the dialog is done.
using DialogHandler = std::function<bool(const WindowEvent&)>;

// Time for dialogs that change by themselves (timers, video): called about 60 times a second with
// the milliseconds since the window opened; returns true when the dialog is done.
using DialogTick = std::function<bool(int64_t elapsedMs)>;

// Shows the window until the handler (or the tick) returns true; false (with nothing shown) when no
// window can be opened. The client area is drawn again after every event and every tick.
bool RunDialogWindow(const DialogWindowSpec& window, const DialogRender& render, const DialogHandler& handle,
                     const DialogTick& tick = {});

// Where the mouse is on the screen (for menus that open under it); 0, 0 when unknown.
void GlobalMousePosition(int& x, int& y);

}  // namespace qv::platform
