#include "platform/error_window.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace qv::platform {

namespace {

std::string toUtf8(const std::string& cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (unsigned char c : cp1252) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      // Latin-1 positions for the upper half; the few CP1252-only signs show as their Latin-1 code.
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

ErrorAnswer headlessAnswer(const std::vector<std::string>& newLines, bool allowIgnore) {
  for (const std::string& line : newLines) std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  if (!allowIgnore) return ErrorAnswer::Abort;
  const char* answer = std::getenv("QUORVANE_ERROR_ANSWER");
  if (answer && std::strcmp(answer, "abort") == 0) return ErrorAnswer::Abort;
  return ErrorAnswer::Ignore;
}

}  // namespace

bool HeadlessRun() {
  const char* headless = std::getenv("QUORVANE_HEADLESS");
  if (headless && std::strcmp(headless, "1") == 0) return true;
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
    return true;
  return std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr;
}

ErrorAnswer ShowErrorWindow(const std::vector<std::string>& lines,
                            const std::vector<std::string>& newLines, bool allowIgnore) {
  if (HeadlessRun()) return headlessAnswer(newLines, allowIgnore);
  // The window is shown as a system message box with the collected text and the Abort and
  // Ignore buttons (Abort is the default, as in the drawn window's layout).
  std::string text;
  for (const std::string& line : lines) {
    text += toUtf8(line);
    text += '\n';
  }
  SDL_MessageBoxButtonData buttons[2] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 0, "Abort"},
      {0, 1, "Ignore"},
  };
  SDL_MessageBoxData box{};
  box.flags = SDL_MESSAGEBOX_ERROR;
  box.title = "Error Messages";
  box.message = text.c_str();
  box.numbuttons = allowIgnore ? 2 : 1;
  box.buttons = buttons;
  int chosen = 0;
  if (SDL_ShowMessageBox(&box, &chosen) != 0) return headlessAnswer(newLines, allowIgnore);
  return allowIgnore && chosen == 1 ? ErrorAnswer::Ignore : ErrorAnswer::Abort;
}

}  // namespace qv::platform
