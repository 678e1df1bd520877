// The one mapping from a game's Windows path to a host path.
//
//   - the game's bytes are code page 1252; the host path is UTF-8;
//   - "\" separates components like "/";
//   - "C:\temp" (any case) at the start stands for the host's temporary directory; any other drive
//     letter before a separator means the host root, and a drive letter with no separator is dropped;
//   - each component that exists on disk under another case is replaced by the name on disk.
// Later work extends this module (secure-mode checks, per-game folders); keep every mapping here.
#pragma once

#include <string>
#include <string_view>

namespace qv::system {

// The host path for a game path (relative paths stay relative to the working directory).
std::string HostPath(std::string_view gamePath);

// The game's form of a host path (UTF-8, "/" separators): code page 1252 with "\" separators, so
// the filename_* functions take it apart and HostPath gives the same path back.
std::string GamePath(std::string_view hostPath);

// The host's temporary directory (TMPDIR or /tmp), without a trailing separator.
std::string HostTempDirectory();

}  // namespace qv::system
