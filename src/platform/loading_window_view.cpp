#include "platform/loading_window_view.h"

#include <SDL.h>
#include <SDL_shape.h>

namespace qv::platform {

namespace {

bool videoStarted() { return SDL_WasInit(SDL_INIT_VIDEO) != 0 || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0; }

SDL_Surface* surfaceOf(const PixelImage& img) {
  if (!img.valid()) return nullptr;
  return SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(img.pixels), img.width, img.height, 32,
                                            img.width * 4, SDL_PIXELFORMAT_ARGB8888);
}

// Bars when the game gives no bar pictures: dark empty bar, light full bar.
constexpr SDL_Color kEmptyBarColour{64, 64, 64, 255};
constexpr SDL_Color kFullBarColour{0, 120, 215, 255};

}  // namespace

std::optional<std::pair<int, int>> desktopSize() {
  if (!videoStarted()) return std::nullopt;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return std::nullopt;
  return std::pair{mode.w, mode.h};
}

struct LoadingWindowView::Impl {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* picture = nullptr;
  SDL_Texture* emptyBar = nullptr;
  SDL_Texture* fullBar = nullptr;
  SDL_Cursor* cursor = nullptr;

  SDL_Texture* texture(const PixelImage& img) {
    SDL_Surface* s = surfaceOf(img);
    if (!s) return nullptr;
    SDL_Texture* t = SDL_CreateTextureFromSurface(renderer, s);
    SDL_FreeSurface(s);
    return t;
  }

  void release() {
    for (SDL_Texture** t : {&picture, &emptyBar, &fullBar}) {
      if (*t) SDL_DestroyTexture(*t);
      *t = nullptr;
    }
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    if (cursor) SDL_FreeCursor(cursor);
    renderer = nullptr;
    window = nullptr;
    cursor = nullptr;
  }

  void draw(const LoadingWindowFrame& f) {
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    if (picture) {
      SDL_Rect dst{0, 0, f.picture.width, f.picture.height};
      SDL_RenderCopy(renderer, picture, nullptr, &dst);
    }
    if (f.barVisible) {
      SDL_Rect empty{f.barLeft, f.barTop, f.emptyBarWidth, f.barHeight};
      if (emptyBar) {
        SDL_RenderCopy(renderer, emptyBar, nullptr, &empty);
      } else {
        SDL_SetRenderDrawColor(renderer, kEmptyBarColour.r, kEmptyBarColour.g, kEmptyBarColour.b, 255);
        SDL_RenderFillRect(renderer, &empty);
      }
      SDL_Rect full{f.barLeft, f.barTop, f.fullBarWidth, f.barHeight};
      if (fullBar && f.stretchFullBar) {
        SDL_RenderCopy(renderer, fullBar, nullptr, &full);
      } else if (fullBar) {  // natural size, cut to the bar's current width and height
        SDL_Rect src{0, 0, std::min(f.fullBarWidth, f.fullBar.width), std::min(f.barHeight, f.fullBar.height)};
        SDL_Rect dst{f.barLeft, f.barTop, src.w, src.h};
        SDL_RenderCopy(renderer, fullBar, &src, &dst);
      } else {
        SDL_SetRenderDrawColor(renderer, kFullBarColour.r, kFullBarColour.g, kFullBarColour.b, 255);
        SDL_RenderFillRect(renderer, &full);
      }
    }
    SDL_RenderPresent(renderer);
  }
};

LoadingWindowView::LoadingWindowView() : impl_(std::make_unique<Impl>()) {}
LoadingWindowView::~LoadingWindowView() { close(); }

bool LoadingWindowView::open(const LoadingWindowFrame& f) {
  close();
  if (f.width <= 0 || f.height <= 0 || !videoStarted()) return false;
  Impl& d = *impl_;
  const Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR;
  // Transparency in a colour needs a shaped window, which only some video drivers offer; elsewhere
  // the window stays opaque.
  if (f.transparent && f.picture.valid())
    d.window = SDL_CreateShapedWindow("", unsigned(f.left), unsigned(f.top), unsigned(f.width), unsigned(f.height), flags);
  if (d.window) {
    SDL_Surface* shape = surfaceOf(f.picture);
    SDL_WindowShapeMode mode;
    mode.mode = ShapeModeColorKey;
    mode.parameters.colorKey = SDL_Color{Uint8(f.transparentColour >> 16), Uint8(f.transparentColour >> 8),
                                         Uint8(f.transparentColour), 255};
    if (!shape || f.picture.width != f.width || f.picture.height != f.height ||
        SDL_SetWindowShape(d.window, shape, &mode) != 0) {
      SDL_DestroyWindow(d.window);
      d.window = nullptr;
    }
    if (shape) SDL_FreeSurface(shape);
  }
  if (!d.window) d.window = SDL_CreateWindow("", f.left, f.top, f.width, f.height, flags | SDL_WINDOW_HIDDEN);
  if (!d.window) return false;
  d.renderer = SDL_CreateRenderer(d.window, -1, SDL_RENDERER_SOFTWARE);
  if (!d.renderer) {
    d.release();
    return false;
  }
  d.picture = d.texture(f.picture);
  d.emptyBar = d.texture(f.emptyBar);
  d.fullBar = d.texture(f.fullBar);
  if (f.alpha < 255) SDL_SetWindowOpacity(d.window, float(f.alpha) / 255.0f);  // ignored where unsupported
  d.cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
  if (d.cursor) SDL_SetCursor(d.cursor);
  SDL_ShowWindow(d.window);
  update(f);
  return true;
}

void LoadingWindowView::update(const LoadingWindowFrame& f) {
  if (!impl_->renderer) return;
  impl_->draw(f);
  SDL_PumpEvents();
  // Input has no receiver while loading; window events stay for the system to handle.
  SDL_FlushEvents(SDL_KEYDOWN, SDL_MULTIGESTURE);
}

void LoadingWindowView::close() {
  if (impl_) impl_->release();
}

bool LoadingWindowView::isOpen() const { return impl_->window != nullptr; }

}  // namespace qv::platform
