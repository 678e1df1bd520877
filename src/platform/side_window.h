// SideWindow: a window of its own beside the game window whose client area the caller draws pixel
// by pixel (the debugger window). Unlike the dialogs it is not modal: the game goes on while it is
// open. Its events arrive through the game window's poll, which hands each event of a side window
// to that window instead of the game (so a click or a key there never reaches the game); the owner
// takes them with takeEvents between steps.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog_window.h"
#include "platform/game_window.h"

union SDL_Event;

namespace qv::platform {

class SideWindow {
 public:
  // Opens the window with its client area at x, y (screen position); nullptr when no window can be
  // opened.
  static std::unique_ptr<SideWindow> Open(const std::string& captionUtf8, int x, int y, int width, int height);
  // Opens a dialog's window as the dialog asks (centred on an axis of -1, without a caption bar when
  // asked) and gives it the keyboard, as a window the player has just been shown; the keyboard
  // goes back to the game's window when it closes.
  static std::unique_ptr<SideWindow> Open(const DialogWindowSpec& window);
  ~SideWindow();
  SideWindow(const SideWindow&) = delete;
  SideWindow& operator=(const SideWindow&) = delete;

  // Moves the client area's top-left corner to x, y on the screen.
  void move(int x, int y);
  // Shows the pixels (0xAARRGGBB, width x height as opened).
  void present(const std::vector<uint32_t>& pixels);
  // The events of this window since the last call (Close for its close button).
  std::vector<WindowEvent> takeEvents();

 private:
  SideWindow() = default;
  static std::unique_ptr<SideWindow> OpenWith(const std::string& captionUtf8, int x, int y, int width, int height,
                                              uint32_t sdlFlags);
  struct Parts;
  std::unique_ptr<Parts> parts_;
  int width_ = 0, height_ = 0;
  uint32_t id_ = 0;
  uint32_t keyboardBefore_ = 0;  // the window that had the keyboard when this one took it
  std::vector<WindowEvent> events_;
  friend bool RouteToSideWindow(const SDL_Event& e);
};

// For the game window's poll: true when the event belongs to an open side window, which then
// keeps it.
bool RouteToSideWindow(const SDL_Event& e);

}  // namespace qv::platform
