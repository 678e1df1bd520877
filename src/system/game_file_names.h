// Game file names on the host, and what secure mode lets a game write.
#pragma once

#include <string>
#include <string_view>

namespace qv::system {

// The host path of a game's file name; "" for a name no file can have (empty, or holding a NUL
// byte, which the host would silently cut the name at).
std::string GameFileHostPath(std::string_view name);

// True when secure mode forbids writing under `name`: a "\" or "/" in it, a drive prefix, the
// names "." and "..", or a bare name that is a symbolic link (it could point anywhere).
bool SecureModeRefusesWrite(std::string_view name);

}  // namespace qv::system
