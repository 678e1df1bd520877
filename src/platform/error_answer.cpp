#include "platform/error_answer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qv::platform {

ErrorAnswer HeadlessErrorAnswer(const std::vector<std::string>& newLines, bool allowIgnore) {
  for (const std::string& line : newLines) std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  if (!allowIgnore) return ErrorAnswer::Abort;
  const char* answer = std::getenv("QUORVANE_ERROR_ANSWER");
  if (answer && std::strcmp(answer, "abort") == 0) return ErrorAnswer::Abort;
  return ErrorAnswer::Ignore;
}

bool HeadlessRun() {
  const char* headless = std::getenv("QUORVANE_HEADLESS");
  if (headless && std::strcmp(headless, "1") == 0) return true;
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
    return true;
  return std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr;
}

}  // namespace qv::platform
