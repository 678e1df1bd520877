// Searching a directory the way games expect of Windows: masks with "*" and "?" matched without
// regard to case ("*.*" takes names without a dot too, "name." only names without one), and the
// Windows attribute bits mapped onto the host:
//   1 read-only  the player may not write the entry, or it has no write permission bit at all
//   2 hidden     the name starts with "." (the host's hidden files)
//   4 system     neither a regular file nor a directory (devices, pipes, sockets)
//   8 volume     never
//  16 directory  a directory
//  32 archive    a regular file
// A search returns the entries with none of the bits hidden, system, volume and directory, plus
// those having any bit of the attributes asked for. "." and ".." are never returned.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv::system {

inline constexpr int kAttrReadOnly = 1, kAttrHidden = 2, kAttrSystem = 4, kAttrVolume = 8, kAttrDirectory = 16,
                     kAttrArchive = 32;

bool MaskMatches(std::string_view mask, std::string_view name);

// The attribute bits of the entry at `hostPath`, or -1 when it cannot be read.
int HostAttributes(const std::string& hostPath);

// The names (without their path) that a search for `mask` with `attributes` finds, sorted by
// bytes; at most kMaxSearchResults.
inline constexpr size_t kMaxSearchResults = 100000;
std::vector<std::string> SearchFiles(std::string_view mask, int attributes);

}  // namespace qv::system
