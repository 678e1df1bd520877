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
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  std::unique_ptr<SideWindow> w(new SideWindow());
  w->parts_ = std::make_unique<Parts>();
  w->width_ = std::max(1, width);
  w->height_ = std::max(1, height);
  Parts& p = *w->parts_;
  p.window = SDL_CreateWindow(captionUtf8.c_str(), x, y, w->width_, w->height_, SDL_WINDOW_SHOWN);
  if (!p.window) return nullptr;
  p.renderer = SDL_CreateRenderer(p.window, -1, SDL_RENDERER_SOFTWARE);
  if (p.renderer)
    p.texture = SDL_CreateTexture(p.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w->width_, w->height_);
  if (!p.texture) return nullptr;
  w->id_ = SDL_GetWindowID(p.window);
  openWindows().push_back(w.get());
  return w;
}

SideWindow::~SideWindow() { std::erase(openWindows(), this); }

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
