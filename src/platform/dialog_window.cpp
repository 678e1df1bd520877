#include "platform/dialog_window.h"

#include <SDL.h>

#include <algorithm>

#include "platform/interrupt.h"
#include "platform/sdl_events.h"

namespace qv::platform {

namespace {

// Releases what the window holds however the loop ends.
struct SdlDialog {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  ~SdlDialog() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
  }
};

void present(SdlDialog& d, const std::vector<uint32_t>& pixels, int width) {
  SDL_UpdateTexture(d.texture, nullptr, pixels.data(), width * 4);
  SDL_RenderClear(d.renderer);
  SDL_RenderCopy(d.renderer, d.texture, nullptr, nullptr);
  SDL_RenderPresent(d.renderer);
}

}  // namespace

bool RunDialogWindow(const DialogWindowSpec& window, const DialogRender& render, const DialogHandler& handle,
                     const DialogTick& tick) {
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  const int width = std::max(1, window.width), height = std::max(1, window.height);
  Uint32 flags = SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;
  if (!window.captionBar) flags |= SDL_WINDOW_BORDERLESS;
  const int x = window.x < 0 ? int(SDL_WINDOWPOS_CENTERED) : window.x;
  const int y = window.y < 0 ? int(SDL_WINDOWPOS_CENTERED) : window.y;
  // The window that had the keyboard (else the game's window) gets it back when the dialog closes:
  // without a window manager, or with one that does not hand focus back, the keyboard would
  // otherwise go nowhere and the game would never see another key. Declared before the dialog, so
  // it acts once the dialog's window is gone.
  struct FocusBack {
    SDL_Window* window = SDL_GetKeyboardFocus();
    ~FocusBack() {
      if (window)
        GiveKeyboardTo(window);
      else
        GiveKeyboardToGameWindow();
    }
  } focusBack;
  SdlDialog d;
  d.window = SDL_CreateWindow(window.captionUtf8.c_str(), x, y, width, height, flags);
  if (!d.window) return false;
  d.renderer = SDL_CreateRenderer(d.window, -1, SDL_RENDERER_SOFTWARE);
  if (d.renderer)
    d.texture = SDL_CreateTexture(d.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (!d.texture) return false;
  SDL_SetWindowOpacity(d.window, static_cast<float>(std::clamp(window.opacity, 0.0, 1.0)));
  GiveKeyboardTo(d.window);  // the keyboard comes here even where nothing hands it over
  SDL_StartTextInput();
  // SDL's cursor is one for all windows: hidden while this window is open, as it was afterwards.
  struct CursorState {
    int before = SDL_ShowCursor(SDL_QUERY);
    ~CursorState() { SDL_ShowCursor(before); }
  } cursor;
  if (!window.cursorVisible) SDL_ShowCursor(SDL_DISABLE);
  const Uint32 id = SDL_GetWindowID(d.window);

  present(d, render(), width);
  bool done = false;
  std::vector<WindowEvent> events;
  const Uint64 opened = SDL_GetTicks64();
  while (!done) {
    if (tick) {
      if (tick(int64_t(SDL_GetTicks64() - opened))) break;
      present(d, render(), width);
    }
    SDL_Event e;
    if (!SDL_WaitEventTimeout(&e, tick ? 15 : 100)) {
      if (InterruptSignal() != 0) {
        WindowEvent close;
        close.kind = WindowEvent::Close;
        handle(close);
        break;  // a signal always ends the dialog
      }
      continue;
    }
    // Only this window's events count; the quit request is kept for the game loop.
    bool quit = false;
    switch (e.type) {
      case SDL_QUIT: quit = true; break;
      case SDL_KEYDOWN: case SDL_KEYUP: if (e.key.windowID != id) continue; break;
      case SDL_TEXTINPUT: if (e.text.windowID != id) continue; break;
      case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP: if (e.button.windowID != id) continue; break;
      case SDL_MOUSEMOTION: if (e.motion.windowID != id) continue; break;
      case SDL_WINDOWEVENT: if (e.window.windowID != id) continue; break;
      default: continue;
    }
    if (quit) {
      WindowEvent close;
      close.kind = WindowEvent::Close;
      handle(close);
      SDL_PushEvent(&e);
      break;
    }
    events.clear();
    TranslateSdlEvent(e, events);
    for (const WindowEvent& w : events)
      if (!done) done = handle(w);
    if (!done) present(d, render(), width);
  }
  return true;
}

void GlobalMousePosition(int& x, int& y) {
  x = y = 0;
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_GetGlobalMouseState(&x, &y);
}

}  // namespace qv::platform
