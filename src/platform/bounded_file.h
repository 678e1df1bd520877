// Reading a file that a game names, with a bound. Game files, saves, images, sounds, code and
// texts are untrusted: a name may point at a device that never ends (/dev/zero), a pipe that
// never opens, a file that grows while it is read or one of many gigabytes. Only regular files are
// read, never by the size they claim, and never past the caller's limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv::platform {

enum class FileRead {
  ok,
  missing,   // absent, not a regular file, or unreadable
  tooLarge,  // more than the limit: nothing is kept
};

// Reads the whole file at `hostPath` into `out` when it holds at most `maxBytes` bytes.
FileRead ReadFileBounded(const std::string& hostPath, size_t maxBytes, std::vector<uint8_t>& out);
FileRead ReadFileBounded(const std::string& hostPath, size_t maxBytes, std::string& out);

}  // namespace qv::platform
