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
  const int damaged = StoreDamageCount();
  bool on = false;
  if (StoreKeyExists(kPreferencesRoot, kPreferencesKey)) {
    if (auto warning = StoreRead(kPreferencesRoot, kPreferencesKey, "Warning")) on = truthOf(*warning);
    if (auto running = StoreRead(kPreferencesRoot, kPreferencesKey, "QuorvaneRunning")) on = on && truthOf(*running);
  }
  // A store that could not be parsed may have held the preference: the flag falls on the safe side.
  flag() = on || StoreDamageCount() != damaged;
}

bool NameLeavesDirectory(std::string_view name) {
  if (name.find('\\') != std::string_view::npos || name.find('/') != std::string_view::npos) return true;
  return name.size() >= 2 && name[1] == ':';
}

}  // namespace qv::system
