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

// A regular file read in pieces at given places, for looking through a file of many megabytes
// without reading all of it (the runner finds its game data at fixed steps through its own
// executable).
class FilePieces {
 public:
  // Not open() when the file is missing, unreadable or not a regular file.
  explicit FilePieces(const std::string& hostPath);
  ~FilePieces();
  FilePieces(const FilePieces&) = delete;
  FilePieces& operator=(const FilePieces&) = delete;

  bool open() const { return fd_ >= 0; }
  uint64_t size() const { return size_; }
  // Reads `n` bytes at `offset`; false when fewer are there.
  bool readAt(uint64_t offset, void* into, size_t n) const;
  // Everything from `offset` to the end when that is at most `maxBytes` bytes.
  FileRead readFrom(uint64_t offset, size_t maxBytes, std::vector<uint8_t>& out) const;

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

}  // namespace qv::platform
