// Replacing a file's whole content so that a crash or kill at any moment leaves either the old
// content or the new one, never a torn file: the data goes to a temporary file in the same
// directory (so the rename never crosses file systems), is synced, and is renamed over the target.
#pragma once

#include <string>
#include <string_view>

namespace qv::platform {

// False when the target may not be replaced (MayReplace), the temporary file cannot be made or
// written, or the rename fails; the target is then untouched. A target that is a symbolic link is replaced by a file (the link is not followed).
bool WriteFileAtomically(const std::string& path, std::string_view data);

// True when `path` is missing, or a file (not a directory) the player may write: replacing a
// read-only file by a rename would go around its protection.
bool MayReplace(const std::string& path);

// A temporary file beside `path` for a writer that renames it over `path` later: its name, or ""
// with nothing made. The file is created empty with the mode a new file gets.
std::string CreateTemporaryBeside(const std::string& path);

// Syncs and renames `temporary` over `path` (false, with `temporary` removed, when that fails).
bool CommitTemporary(const std::string& temporary, const std::string& path);

}  // namespace qv::platform
