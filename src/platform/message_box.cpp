#include "platform/message_box.h"

#include <SDL.h>

#include <cstdio>

#include "platform/automation.h"

namespace qv::platform {

void showMessageBox(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  if (headlessMode()) return;
  // The box needs the video subsystem; without a display it cannot start and stderr is all we have.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), nullptr);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace qv::platform
