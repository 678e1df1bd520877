#include "platform/screen_saver.h"

#include <SDL.h>

#include <cstring>

namespace qv::platform {

void setScreenSaverAllowed(bool allowed) {
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, allowed ? "1" : "0");
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  if (allowed)
    SDL_EnableScreenSaver();
  else
    SDL_DisableScreenSaver();
}

bool screenSaverAllowed() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return SDL_IsScreenSaverEnabled() == SDL_TRUE;
  const char* hint = SDL_GetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER);
  return hint && std::strcmp(hint, "1") == 0;
}

}  // namespace qv::platform
