#include "platform/process_control.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace qv::platform {

void raisePriority(int level) {
  if (level != 1 && level != 2) return;
  errno = 0;
  int current = getpriority(PRIO_PROCESS, 0);
  if (current == -1 && errno != 0) return;
  (void)setpriority(PRIO_PROCESS, 0, current - (level == 1 ? 5 : 10));
}

int niceValue() {
  errno = 0;
  return getpriority(PRIO_PROCESS, 0);
}

bool changeDirectory(const std::string& path) { return !path.empty() && chdir(path.c_str()) == 0; }

bool directoryWritable(const std::string& path) { return access(path.c_str(), W_OK | X_OK) == 0; }

std::string userDataDirectory() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/quorvane";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.local/share/quorvane";
}

}  // namespace qv::platform
