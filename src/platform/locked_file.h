// Files held under an exclusive advisory lock (flock) for as long as a LockedFile lives: writers in
// several processes that must take turns (the per-user store), and files whose writer must be
// known to be alive (a build's partial output). The operating system ends the lock with the
// process, so a killed holder never leaves a lock behind: a file whose lock can be taken has no
// living writer.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace qv::platform {

class LockedFile {
 public:
  // Opens `path` for writing, creating it when missing, and waits until the lock is ours.
  static std::optional<LockedFile> Wait(const std::string& path);
  // Opens the existing `path` and takes the lock only when nobody holds it.
  static std::optional<LockedFile> TryExisting(const std::string& path);
  // Creates `path`, which must not exist yet, and locks it. Nothing when the name is taken, or
  // when a cleaner took the new file's lock first and removed it (the caller picks another name).
  static std::optional<LockedFile> CreateNew(const std::string& path);

  LockedFile(LockedFile&& other) noexcept;
  LockedFile& operator=(LockedFile&& other) noexcept;
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;
  ~LockedFile();  // closes the file, which ends the lock

  // Writes all of `data` at the current position.
  bool Write(const void* data, size_t size);
  // Puts what was written on the disk before the call returns.
  bool Sync();
  // Closes now (ending the lock); false when the close reports an error of the writes before it.
  bool Close();

 private:
  explicit LockedFile(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace qv::platform
