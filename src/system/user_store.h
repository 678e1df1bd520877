// The per-user store that stands in for the Windows registry: keys under a root hold named values,
// each a real or a string. It lives in one file, "registry.json", in the user's data directory
// ($XDG_DATA_HOME/quorvane/). Key and value names are data: they never become file paths.
// Key names compare case-insensitively (ASCII), as the registry's do; "\" separates key levels and
// leading or doubled separators do not matter.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace qv::system {

using StoreValue = std::variant<double, std::string>;

// Roots: "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", ...
bool StoreKeyExists(std::string_view root, std::string_view key);
std::optional<StoreValue> StoreRead(std::string_view root, std::string_view key, std::string_view name);
// Creates the key as needed; false when the store cannot be written.
bool StoreWrite(std::string_view root, std::string_view key, std::string_view name, const StoreValue& value);

// The file the store lives in (tests point XDG_DATA_HOME elsewhere).
std::string StorePath();

}  // namespace qv::system
