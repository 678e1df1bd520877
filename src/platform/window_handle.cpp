#include "platform/window_handle.h"

#include <SDL.h>

namespace qv::platform {

double gameWindowHandle() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return 0;
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  return window ? static_cast<double>(SDL_GetWindowID(window)) : 0.0;
}

}  // namespace qv::platform
