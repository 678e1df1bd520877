#include "platform/game_window.h"
#include "platform/sdl_events.h"
#include "platform/side_window.h"

#include <SDL.h>

namespace qv::platform {

namespace {
SDL_Window* W(void* p) { return static_cast<SDL_Window*>(p); }

// Headless and 24-bit desktops report 24 bits in a 32-bit pixel; the runner treats them as 32.
int BitsPerPixel(Uint32 format) {
  const int bits = SDL_BITSPERPIXEL(format);
  return bits == 24 ? 32 : bits;
}
}  // namespace

namespace {
SDL_Window* openGameWindow = nullptr;  // the one game window, for dialogs that hand the keyboard back
}  // namespace

void GiveKeyboardTo(SDL_Window* window) {
  SDL_RaiseWindow(window);
  SDL_SetWindowInputFocus(window);
}

void GiveKeyboardToGameWindow() {
  if (!openGameWindow || (SDL_GetWindowFlags(openGameWindow) & SDL_WINDOW_HIDDEN)) return;
  GiveKeyboardTo(openGameWindow);
}

std::unique_ptr<GameWindow> GameWindow::Open(int clientWidth, int clientHeight) {
  // The close button is the game's to answer; SDL's quit request then only comes from signals.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, clientWidth, clientHeight,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!window) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  std::unique_ptr<GameWindow> w(new GameWindow);
  w->window_ = window;
  w->context_ = context;
  openGameWindow = window;
  return w;
}

GameWindow::~GameWindow() {
  if (modeChanged_) restoreDisplayMode();
  if (cursor_) SDL_FreeCursor(static_cast<SDL_Cursor*>(cursor_));
  if (context_) SDL_GL_DeleteContext(context_);
  if (window_) SDL_DestroyWindow(W(window_));
  if (openGameWindow == window_) openGameWindow = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GameWindow::setVisible(bool v) { v ? SDL_ShowWindow(W(window_)) : SDL_HideWindow(W(window_)); }
bool GameWindow::visible() const { return (SDL_GetWindowFlags(W(window_)) & SDL_WINDOW_SHOWN) != 0; }
void GameWindow::setTitle(const std::string& utf8) { SDL_SetWindowTitle(W(window_), utf8.c_str()); }
void GameWindow::setBordered(bool b) { SDL_SetWindowBordered(W(window_), b ? SDL_TRUE : SDL_FALSE); }
void GameWindow::setResizable(bool b) { SDL_SetWindowResizable(W(window_), b ? SDL_TRUE : SDL_FALSE); }
void GameWindow::setAlwaysOnTop(bool b) { SDL_SetWindowAlwaysOnTop(W(window_), b ? SDL_TRUE : SDL_FALSE); }

void GameWindow::setFullscreen(bool on) {
  Uint32 flag = 0;
  if (on) flag = modeChanged_ ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP;
  SDL_SetWindowFullscreen(W(window_), flag);
}

bool GameWindow::fullscreen() const {
  return (SDL_GetWindowFlags(W(window_)) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP)) != 0;
}

void GameWindow::setClientRect(int x, int y, int w, int h) {
  SDL_SetWindowSize(W(window_), w < 1 ? 1 : w, h < 1 ? 1 : h);
  SDL_SetWindowPosition(W(window_), x, y);
}

void GameWindow::clientRect(int& x, int& y, int& w, int& h) const {
  SDL_GetWindowPosition(W(window_), &x, &y);
  SDL_GetWindowSize(W(window_), &w, &h);
}

void GameWindow::drawableSize(int& w, int& h) const { SDL_GL_GetDrawableSize(W(window_), &w, &h); }
void GameWindow::setVsync(bool on) { SDL_GL_SetSwapInterval(on ? 1 : 0); }
void GameWindow::swap() { SDL_GL_SwapWindow(W(window_)); }

DisplayMode GameWindow::currentMode() const {
  SDL_DisplayMode m{};
  const int index = SDL_GetWindowDisplayIndex(W(window_));
  if (SDL_GetCurrentDisplayMode(index < 0 ? 0 : index, &m) != 0) return {};
  return {m.w, m.h, BitsPerPixel(m.format), m.refresh_rate};
}

DisplayMode GameWindow::desktopMode() const {
  SDL_DisplayMode m{};
  const int index = SDL_GetWindowDisplayIndex(W(window_));
  if (SDL_GetDesktopDisplayMode(index < 0 ? 0 : index, &m) != 0) return {};
  return {m.w, m.h, BitsPerPixel(m.format), m.refresh_rate};
}

namespace {
// The display mode that has every requested value (values below 1 are taken from `current`).
bool FindMode(int display, const DisplayMode& wanted, const DisplayMode& current, SDL_DisplayMode& out) {
  const int w = wanted.width >= 1 ? wanted.width : current.width;
  const int h = wanted.height >= 1 ? wanted.height : current.height;
  const int n = SDL_GetNumDisplayModes(display);
  for (int i = 0; i < n; ++i) {
    SDL_DisplayMode m{};
    if (SDL_GetDisplayMode(display, i, &m) != 0) continue;
    if (m.w != w || m.h != h) continue;
    if (wanted.bitsPerPixel >= 1 && BitsPerPixel(m.format) != wanted.bitsPerPixel) continue;
    if (wanted.refreshRate >= 1 && m.refresh_rate != wanted.refreshRate) continue;
    out = m;
    return true;
  }
  return false;
}
}  // namespace

bool GameWindow::testDisplayMode(const DisplayMode& wanted) const {
  SDL_DisplayMode m{};
  const int index = SDL_GetWindowDisplayIndex(W(window_));
  return FindMode(index < 0 ? 0 : index, wanted, currentMode(), m);
}

bool GameWindow::setDisplayMode(const DisplayMode& wanted) {
  SDL_DisplayMode m{};
  const int index = SDL_GetWindowDisplayIndex(W(window_));
  if (!FindMode(index < 0 ? 0 : index, wanted, currentMode(), m)) return false;
  if (SDL_SetWindowDisplayMode(W(window_), &m) != 0) return false;
  modeChanged_ = true;
  if (fullscreen()) SDL_SetWindowFullscreen(W(window_), SDL_WINDOW_FULLSCREEN);
  return true;
}

void GameWindow::restoreDisplayMode() {
  if (!modeChanged_) return;
  modeChanged_ = false;
  SDL_SetWindowDisplayMode(W(window_), nullptr);
  if (fullscreen()) SDL_SetWindowFullscreen(W(window_), SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void GameWindow::globalMouse(int& x, int& y) const { SDL_GetGlobalMouseState(&x, &y); }
void GameWindow::setGlobalMouse(int x, int y) { SDL_WarpMouseGlobal(x, y); }

void GameWindow::setCursor(CursorShape shape) {
  if (shape == CursorShape::None) {
    SDL_ShowCursor(SDL_DISABLE);
    return;
  }
  SDL_SystemCursor id = SDL_SYSTEM_CURSOR_ARROW;
  switch (shape) {
    case CursorShape::Cross: id = SDL_SYSTEM_CURSOR_CROSSHAIR; break;
    case CursorShape::Beam: id = SDL_SYSTEM_CURSOR_IBEAM; break;
    case CursorShape::SizeNESW: id = SDL_SYSTEM_CURSOR_SIZENESW; break;
    case CursorShape::SizeNS: case CursorShape::VSplit: id = SDL_SYSTEM_CURSOR_SIZENS; break;
    case CursorShape::SizeNWSE: id = SDL_SYSTEM_CURSOR_SIZENWSE; break;
    case CursorShape::SizeWE: case CursorShape::HSplit: id = SDL_SYSTEM_CURSOR_SIZEWE; break;
    case CursorShape::HourGlass: case CursorShape::SQLWait: id = SDL_SYSTEM_CURSOR_WAIT; break;
    case CursorShape::AppStart: id = SDL_SYSTEM_CURSOR_WAITARROW; break;
    case CursorShape::No: id = SDL_SYSTEM_CURSOR_NO; break;
    case CursorShape::HandPoint: id = SDL_SYSTEM_CURSOR_HAND; break;
    case CursorShape::SizeAll: case CursorShape::Drag: case CursorShape::MultiDrag: id = SDL_SYSTEM_CURSOR_SIZEALL; break;
    default: break;
  }
  SDL_Cursor* next = SDL_CreateSystemCursor(id);
  if (next) {
    SDL_SetCursor(next);
    if (cursor_) SDL_FreeCursor(static_cast<SDL_Cursor*>(cursor_));
    cursor_ = next;
  }
  SDL_ShowCursor(SDL_ENABLE);
}

std::vector<WindowEvent> GameWindow::poll() {
  std::vector<WindowEvent> events;
  SDL_Event e;
  while (SDL_PollEvent(&e))
    if (!RouteToSideWindow(e)) TranslateSdlEvent(e, events);
  return events;
}

void GameWindow::pushKeyDown(int key) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.windowID = SDL_GetWindowID(W(window_));
  e.key.state = SDL_PRESSED;
  e.key.keysym.sym = key;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  SDL_PushEvent(&e);
}

std::string GameWindow::driver() {
  const char* name = SDL_GetCurrentVideoDriver();
  return name ? name : "";
}

int KeyCodeF4() { return SDLK_F4; }

}  // namespace qv::platform
