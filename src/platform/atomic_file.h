// Replacing a file's whole content so that a crash or kill at any moment leaves either the old
// content or the new one, never a torn file: the data goes to a temporary file in the same
// directory (so the rename never crosses file systems), is synced, and is renamed over the target.
//
// A temporary file ("name.qvtmp-N") is locked (flock) by its writer until the rename. The
// operating system ends the lock with the process, so a temporary file whose lock can be taken
// was left by a writer that died: the next writer of the same target removes it.
#pragma once

#include <string>
#include <string_view>

namespace qv::platform {

// True when `path` is missing, or a file (not a directory) the player may write: replacing a
// read-only file by a rename would go around its protection.
bool MayReplace(const std::string& path);

// False when the target may not be replaced (MayReplace), the temporary file cannot be made or
// written, or the rename fails; the target is then untouched. A target that is a symbolic link is
// replaced by a file (the link is not followed).
bool WriteFileAtomically(const std::string& path, std::string_view data);

// A locked temporary file beside a target, for a writer that writes it over time.
class TemporaryFile {
 public:
  // Removes the target's temporary files left by dead writers, then makes a new one, empty.
  // open() is false when that fails.
  explicit TemporaryFile(const std::string& target);
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile();  // removes the file unless committed

  bool open() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // Syncs and renames the file over the target; false (the file removed) when that fails.
  bool Commit();

 private:
  std::string target_, name_;
  int fd_ = -1;
};

}  // namespace qv::platform
