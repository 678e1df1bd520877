// The secure-mode flag: when set, game code may not write outside the game's directory, run
// programs, call DLLs or load extension packages.
//
// Read once at start-up from the per-user store: false, unless the key
// "\Software\Quorvane\Version 8\Preferences" exists; then the value "Warning" (when present) gives
// the flag, and the value "QuorvaneRunning" (when present) keeps it only if that one is true too.
// A store that cannot be parsed sets the flag (see user_store.h).
#pragma once

#include <string_view>

namespace qv::system {

bool SecureMode();
// Reads the flag from the store (start-up, and tests after changing the store).
void ReadSecureMode();
// Tests set the flag directly.
void SetSecureMode(bool on);

// The one test secure mode applies to names: a "\" or "/" in it. A drive prefix ("C:x") counts
// too, since it would leave the game's directory just the same.
bool NameLeavesDirectory(std::string_view name);

}  // namespace qv::system
