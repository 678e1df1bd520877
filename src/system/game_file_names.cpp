#include "system/game_file_names.h"

#include <sys/stat.h>

#include "system/host_path.h"
#include "system/secure_mode.h"

namespace qv::system {

std::string GameFileHostPath(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return {};
  return HostPath(name);
}

bool SecureModeRefusesWrite(std::string_view name) {
  if (!SecureMode()) return false;
  if (NameLeavesDirectory(name) || name == "." || name == "..") return true;
  const std::string host = GameFileHostPath(name);
  struct stat st {};
  return !host.empty() && ::lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace qv::system
