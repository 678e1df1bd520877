#include "platform/locked_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace qv::platform {

namespace {

int openFile(const std::string& path, int flags) {
  int fd;
  do fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  return fd;
}

bool lock(int fd, bool wait) {
  int rc;
  do rc = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
  while (rc != 0 && errno == EINTR);
  return rc == 0;
}

}  // namespace

std::optional<LockedFile> LockedFile::Wait(const std::string& path) {
  const int fd = openFile(path, O_RDWR | O_CREAT);
  if (fd < 0) return std::nullopt;
  LockedFile file(fd);
  if (!lock(fd, true)) return std::nullopt;
  return file;
}

std::optional<LockedFile> LockedFile::TryExisting(const std::string& path) {
  const int fd = openFile(path, O_RDWR | O_NOFOLLOW);
  if (fd < 0) return std::nullopt;
  LockedFile file(fd);
  if (!lock(fd, false)) return std::nullopt;
  return file;
}

std::optional<LockedFile> LockedFile::CreateNew(const std::string& path) {
  const int fd = openFile(path, O_RDWR | O_CREAT | O_EXCL);
  if (fd < 0) return std::nullopt;
  LockedFile file(fd);
  if (!lock(fd, true)) return std::nullopt;
  // Between the creation and the lock the name was free for a cleaner to lock and remove: the
  // file is ours only while the name still leads to it.
  struct stat held {}, named {};
  if (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &named) != 0 || held.st_dev != named.st_dev ||
      held.st_ino != named.st_ino)
    return std::nullopt;
  return file;
}

LockedFile::LockedFile(LockedFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

LockedFile::~LockedFile() { Close(); }

bool LockedFile::Write(const void* data, size_t size) {
  if (fd_ < 0) return false;
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd_, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += n;
    size -= size_t(n);
  }
  return true;
}

bool LockedFile::Sync() { return fd_ >= 0 && ::fsync(fd_) == 0; }

bool LockedFile::Close() {
  if (fd_ < 0) return true;
  // close() is not retried after EINTR: on Linux the descriptor is gone either way.
  return ::close(std::exchange(fd_, -1)) == 0;
}

}  // namespace qv::platform
