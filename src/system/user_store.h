// The per-user store that stands in for the Windows registry: keys under a root hold named values,
// each a real or a string. It lives in one file, "registry.json", in the user's data directory
// ($XDG_DATA_HOME/quorvane/). Key and value names are data: they never become file paths.
// Key names compare case-insensitively (ASCII), as the registry's do; "\" separates key levels and
// leading or doubled separators do not matter.
//
// Several games (or copies of one) may use the store at once. Every write takes an exclusive lock
// ("registry.json.lock" beside the store, which is never replaced, unlike the store itself),
// reads the store again under it, changes the one value, writes the whole store to a temporary
// file of its own and renames that over the store: no write is lost and no reader ever sees half
// a store.
//
// A store that cannot be parsed is never taken for an empty one. The first access that finds it
// (under the lock) renames it to "registry.json.damaged-N", the first N not in use, so an earlier
// damaged store is never overwritten; says so on stderr; and begins a new store that holds secure
// mode on, since the lost store may have held it and the flag must fall on the safe side. The
// player's other values stay in the kept file for them to restore.
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

// Grows whenever this process finds a store that could not be parsed (whether or not it could be
// set aside): what a reader got from the store meanwhile may lack values that were lost with it.
int StoreDamageCount();

// The file the store lives in (tests point XDG_DATA_HOME elsewhere).
std::string StorePath();

// Where the player's secure-mode preference lives: the values "Warning" and "QuorvaneRunning" of
// this key (read by secure_mode.cpp; a new store begun after damage holds "Warning" = 1).
inline constexpr std::string_view kPreferencesRoot = "HKEY_CURRENT_USER";
inline constexpr std::string_view kPreferencesKey = "\\Software\\Quorvane\\Version 8\\Preferences";

}  // namespace qv::system
