#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace qv::platform {

namespace {

// The name's directory part, "." for a bare name.
std::string directoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
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

}  // namespace

bool MayReplace(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (S_ISLNK(st.st_mode)) return true;  // the link itself is replaced, never what it points at
  // Without any write bit a file is read-only even to a user whom access() lets write (root).
  return !S_ISDIR(st.st_mode) && (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

std::string CreateTemporaryBeside(const std::string& path) {
  static std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = path + ".qvtmp-" + std::to_string(random() % 1000000000ULL);
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

bool CommitTemporary(const std::string& temporary, const std::string& path) {
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  bool ok = fd >= 0 && ::fsync(fd) == 0;
  if (fd >= 0) ok = (::close(fd) == 0) && ok;
  // Keep the mode of the file being replaced (the temporary one has a new file's mode).
  struct stat old {};
  if (ok && ::stat(path.c_str(), &old) == 0) ::chmod(temporary.c_str(), old.st_mode & 07777);
  if (ok) ok = ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  syncDirectory(path);
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view data) {
  if (!MayReplace(path)) return false;
  std::string temporary = CreateTemporaryBeside(path);
  if (temporary.empty()) return false;
  int fd = ::open(temporary.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW);
  bool ok = fd >= 0 && writeAll(fd, data);
  if (fd >= 0) ok = (::close(fd) == 0) && ok;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  return CommitTemporary(temporary, path);
}

}  // namespace qv::platform
