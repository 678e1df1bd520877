#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace qv::platform {

namespace {

constexpr std::string_view kMark = ".qvtmp-";

// The name's directory part, "." for a bare name.
std::string directoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

void syncDirectory(const std::string& path) {
  int dir = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

// Removes the temporary files of `target` whose writer has died (their lock can be taken). The
// lock is held while the name is removed, so a writer that has just made the file and waits for
// its lock finds it gone and picks another name.
void removeLeftTemporaries(const std::string& target) {
  const std::string directory = directoryOf(target);
  const std::string prefix = baseOf(target) + std::string(kMark);
  DIR* dir = ::opendir(directory.c_str());
  if (!dir) return;
  while (dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string path = directory + "/" + name;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

}  // namespace

bool MayReplace(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (S_ISLNK(st.st_mode)) return true;  // the link itself is replaced, never what it points at
  // Without any write bit a file is read-only even to a user whom access() lets write (root).
  return !S_ISDIR(st.st_mode) && (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

TemporaryFile::TemporaryFile(const std::string& target) : target_(target) {
  static std::mt19937_64 random{std::random_device{}()};
  removeLeftTemporaries(target);
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    std::string name = target + std::string(kMark) + std::to_string(random() % 1000000000ULL);
    int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return;
    }
    // A cleaner may have locked and removed the new file before our lock: then it is not ours.
    struct stat mine {}, there {};
    if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &mine) == 0 && ::stat(name.c_str(), &there) == 0 &&
        mine.st_ino == there.st_ino && mine.st_dev == there.st_dev) {
      fd_ = fd;
      name_ = std::move(name);
    } else {
      ::close(fd);
    }
  }
}

TemporaryFile::~TemporaryFile() {
  if (fd_ < 0) return;
  ::unlink(name_.c_str());
  ::close(fd_);
}

bool TemporaryFile::Commit() {
  if (fd_ < 0) return false;
  bool ok = ::fsync(fd_) == 0;
  // Keep the mode of the file being replaced (the temporary one has a new file's mode).
  struct stat old {};
  if (ok && ::stat(target_.c_str(), &old) == 0) ::fchmod(fd_, old.st_mode & 07777);
  // Renamed while still locked, so no cleaner can take it in between.
  if (ok) ok = ::rename(name_.c_str(), target_.c_str()) == 0;
  if (!ok) ::unlink(name_.c_str());
  ::close(fd_);
  fd_ = -1;
  if (ok) syncDirectory(target_);
  return ok;
}

bool WriteFileAtomically(const std::string& path, std::string_view data) {
  if (!MayReplace(path)) return false;
  TemporaryFile temporary(path);
  return temporary.open() && writeAll(temporary.fd(), data) && temporary.Commit();
}

}  // namespace qv::platform
