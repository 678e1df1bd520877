#include "system/secure_mode.h"

#include "system/user_store.h"

namespace qv::system {

namespace {
bool& flag() {
  static bool on = false;
  return on;
}

bool truthOf(const StoreValue& v) {
  if (const double* d = std::get_if<double>(&v)) return *d != 0;
  const std::string& s = std::get<std::string>(v);
  return !s.empty() && s != "0";
}
}  // namespace

bool SecureMode() { return flag(); }
void SetSecureMode(bool on) { flag() = on; }

void ReadSecureMode() {
  constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
  constexpr std::string_view kKey = "\\Software\\Quorvane\\Version 8\\Preferences";
  bool on = false;
  if (StoreKeyExists(kRoot, kKey)) {
    if (auto warning = StoreRead(kRoot, kKey, "Warning")) on = truthOf(*warning);
    if (auto running = StoreRead(kRoot, kKey, "QuorvaneRunning")) on = on && truthOf(*running);
  }
  flag() = on;
}

bool NameLeavesDirectory(std::string_view name) {
  if (name.find('\\') != std::string_view::npos || name.find('/') != std::string_view::npos) return true;
  return name.size() >= 2 && name[1] == ':';
}

}  // namespace qv::system
