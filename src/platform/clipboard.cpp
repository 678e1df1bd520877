#include "platform/clipboard.h"

#include "platform/code_page.h"

#include <SDL.h>


namespace qv::platform {

namespace {

// The clipboard of a process without a video driver.
std::string& localClipboard() {
  static std::string text;
  return text;
}
bool localHasText = false;

bool videoReady() {
  static const bool ready = SDL_WasInit(SDL_INIT_VIDEO) != 0 || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  return ready;
}

}  // namespace

bool clipboardHasText() {
  if (!videoReady()) return localHasText;
  return SDL_HasClipboardText() == SDL_TRUE;
}

std::string clipboardText() {
  if (!videoReady()) return localHasText ? localClipboard() : std::string();
  char* text = SDL_GetClipboardText();
  if (!text) return {};
  std::string out = Utf8ToCp1252(text);
  SDL_free(text);
  return out;
}

void setClipboardText(std::string_view cp1252) {
  if (!videoReady()) {
    localClipboard().assign(cp1252.data(), cp1252.size());
    localHasText = true;
    return;
  }
  SDL_SetClipboardText(Cp1252ToUtf8(cp1252).c_str());
}

}  // namespace qv::platform
