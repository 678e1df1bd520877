// The registry functions over the per-user store (user_store.h). Four roots are kept apart; the
// functions without "_ext" use the game key "\Software\Quorvane\<game id>" under the current
// user. Names and strings are the game's code page 1252 bytes; the store holds them as UTF-8.
// A value of the other type reads as the empty string or 0.
#include <string>

#include "code/errors.h"
#include "platform/code_page.h"
#include "system/file_builtins.h"
#include "system/secure_mode.h"
#include "system/user_store.h"

namespace qv::system {

namespace {

using code::BuiltinCall;
using code::BuiltinFunction;

constexpr std::string_view kRoots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_USERS"};

int& gameId() {
  static int id = 0;
  return id;
}
int& rootIndex() {
  static int root = 0;
  return root;
}

std::string gameKey() { return "\\Software\\Quorvane\\" + std::to_string(gameId()); }
std::string host(const std::string& s) { return platform::Cp1252ToUtf8(s); }

void readString(BuiltinCall& c, std::string_view root, const std::string& key, const std::string& name) {
  std::optional<StoreValue> v = StoreRead(root, host(key), host(name));
  const std::string* s = v ? std::get_if<std::string>(&*v) : nullptr;
  c.result = s ? platform::Utf8ToCp1252(*s) : std::string();
}
void readReal(BuiltinCall& c, std::string_view root, const std::string& key, const std::string& name) {
  std::optional<StoreValue> v = StoreRead(root, host(key), host(name));
  const double* d = v ? std::get_if<double>(&*v) : nullptr;
  c.result = d ? *d : 0.0;
}
void exists(BuiltinCall& c, std::string_view root, const std::string& key, const std::string& name) {
  c.result = StoreRead(root, host(key), host(name)) ? 1.0 : 0.0;
}

void registry_write_string(BuiltinCall& c) { StoreWrite(kRoots[0], gameKey(), host(c.string(0)), host(c.string(1))); }
void registry_write_real(BuiltinCall& c) { StoreWrite(kRoots[0], gameKey(), host(c.string(0)), c.real(1)); }
void registry_read_string(BuiltinCall& c) { readString(c, kRoots[0], gameKey(), c.string(0)); }
void registry_read_real(BuiltinCall& c) { readReal(c, kRoots[0], gameKey(), c.string(0)); }
void registry_exists(BuiltinCall& c) { exists(c, kRoots[0], gameKey(), c.string(0)); }

void registry_set_root(BuiltinCall& c) {
  const int root = c.integer(0);
  rootIndex() = root >= 0 && root <= 3 ? root : 0;
}

bool refusedExt(const std::string& key) {
  if (!SecureMode()) return false;
  code::ReportActionError("In Secure mode you cannot write registry entries in " + key);
  return true;
}
void registry_write_string_ext(BuiltinCall& c) {
  if (!refusedExt(c.string(0))) StoreWrite(kRoots[rootIndex()], host(c.string(0)), host(c.string(1)), host(c.string(2)));
}
void registry_write_real_ext(BuiltinCall& c) {
  if (!refusedExt(c.string(0))) StoreWrite(kRoots[rootIndex()], host(c.string(0)), host(c.string(1)), c.real(2));
}
void registry_read_string_ext(BuiltinCall& c) { readString(c, kRoots[rootIndex()], c.string(0), c.string(1)); }
void registry_read_real_ext(BuiltinCall& c) { readReal(c, kRoots[rootIndex()], c.string(0), c.string(1)); }
void registry_exists_ext(BuiltinCall& c) { exists(c, kRoots[rootIndex()], c.string(0), c.string(1)); }

const BuiltinFunction kRegistryFunctions[] = {
    {"registry_write_string", registry_write_string, 2},
    {"registry_write_real", registry_write_real, 2},
    {"registry_read_string", registry_read_string, 1},
    {"registry_read_real", registry_read_real, 1},
    {"registry_exists", registry_exists, 1},
    {"registry_set_root", registry_set_root, 1},
    {"registry_write_string_ext", registry_write_string_ext, 3},
    {"registry_write_real_ext", registry_write_real_ext, 3},
    {"registry_read_string_ext", registry_read_string_ext, 2},
    {"registry_read_real_ext", registry_read_real_ext, 2},
    {"registry_exists_ext", registry_exists_ext, 2},
};

}  // namespace

code::BuiltinFamily RegistryFunctions() { return kRegistryFunctions; }

void SetRegistryGameId(int id) {
  gameId() = id;
  rootIndex() = 0;
}

}  // namespace qv::system
