#include "windows/main_window_area.h"

#include "graphics/display.h"
#include "platform/game_window.h"

namespace qv::windows {

bool MainWindowArea(int& x, int& y, int& w, int& h) {
  const platform::GameWindow* window = graphics::display().window();
  if (!window || !window->visible()) return false;
  window->clientRect(x, y, w, h);
  return w > 0 && h > 0;
}

void ScreenSize(int& w, int& h) {
  w = h = 0;
  if (const platform::GameWindow* window = graphics::display().window()) {
    const platform::DisplayMode mode = window->desktopMode();
    w = mode.width;
    h = mode.height;
  }
}

}  // namespace qv::windows
