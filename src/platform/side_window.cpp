#include "platform/side_window.h"

#include <SDL.h>

#include <algorithm>
#include <utility>

#include "platform/sdl_events.h"

namespace qv::platform {

struct SideWindow::Parts {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  ~Parts() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
  }
};

namespace {
std::vector<SideWindow*>& openWindows() {
  static std::vector<SideWindow*> list;
  return list;
}

// The window an event is for (0 for events of no window).
uint32_t windowOf(const SDL_Event& e) {
  switch (e.type) {
    case SDL_KEYDOWN: case SDL_KEYUP: return e.key.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    case SDL_WINDOWEVENT: return e.window.windowID;
    default: return 0;
  }
}
}  // namespace

std::unique_ptr<SideWindow> SideWindow::Open(const std::string& captionUtf8, int x, int y, int width, int height) {
  return OpenWith(captionUtf8, x, y, width, height, SDL_WINDOW_SHOWN);
}

std::unique_ptr<SideWindow> SideWindow::Open(const DialogWindowSpec& window) {
  const auto place = [](int v) { return v < 0 ? int(SDL_WINDOWPOS_CENTERED) : v; };
  auto w = OpenWith(window.captionUtf8, place(window.x), place(window.y), window.width, window.height,
                    SDL_WINDOW_SHOWN | (window.captionBar ? 0u : uint32_t(SDL_WINDOW_BORDERLESS)));
  if (!w) return nullptr;
  if (SDL_Window* before = SDL_GetKeyboardFocus()) w->keyboardBefore_ = SDL_GetWindowID(before);
  SDL_SetWindowOpacity(w->parts_->window, static_cast<float>(std::clamp(window.opacity, 0.0, 1.0)));
  GiveKeyboardTo(w->parts_->window);
  return w;
}

std::unique_ptr<SideWindow> SideWindow::OpenWith(const std::string& captionUtf8, int x, int y, int width, int height,
                                                 uint32_t flags) {
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  std::unique_ptr<SideWindow> w(new SideWindow());
  w->parts_ = std::make_unique<Parts>();
  w->width_ = std::max(1, width);
  w->height_ = std::max(1, height);
  Parts& p = *w->parts_;
  p.window = SDL_CreateWindow(captionUtf8.c_str(), x, y, w->width_, w->height_, flags);
  if (!p.window) return nullptr;
  p.renderer = SDL_CreateRenderer(p.window, -1, SDL_RENDERER_SOFTWARE);
  if (p.renderer)
    p.texture = SDL_CreateTexture(p.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w->width_, w->height_);
  if (!p.texture) return nullptr;
  w->id_ = SDL_GetWindowID(p.window);
  openWindows().push_back(w.get());
  return w;
}

SideWindow::~SideWindow() {
  std::erase(openWindows(), this);
  // Closing the window that has the keyboard hands it back to the window that had it before (when
  // that is still open), else to the game's, as nothing else may.
  const bool hadKeyboard = parts_->window && SDL_GetKeyboardFocus() == parts_->window;
  parts_.reset();
  if (!hadKeyboard) return;
  if (SDL_Window* before = keyboardBefore_ ? SDL_GetWindowFromID(keyboardBefore_) : nullptr)
    GiveKeyboardTo(before);
  else
    GiveKeyboardToGameWindow();
}

void SideWindow::move(int x, int y) { SDL_SetWindowPosition(parts_->window, x, y); }

void SideWindow::present(const std::vector<uint32_t>& pixels) {
  if (pixels.size() < size_t(width_) * size_t(height_)) return;
  SDL_UpdateTexture(parts_->texture, nullptr, pixels.data(), width_ * 4);
  SDL_RenderClear(parts_->renderer);
  SDL_RenderCopy(parts_->renderer, parts_->texture, nullptr, nullptr);
  SDL_RenderPresent(parts_->renderer);
}

std::vector<WindowEvent> SideWindow::takeEvents() { return std::exchange(events_, {}); }

bool RouteToSideWindow(const SDL_Event& e) {
  const uint32_t id = windowOf(e);
  if (id == 0) return false;
  for (SideWindow* w : openWindows()) {
    if (w->id_ != id) continue;
    TranslateSdlEvent(e, w->events_);
    return true;
  }
  return false;
}

}  // namespace qv::platform
