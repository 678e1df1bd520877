#include "platform/bounded_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace qv::platform {
namespace {

template <typename Buffer>
FileRead readBounded(const std::string& hostPath, size_t maxBytes, Buffer& out) {
  out.clear();
  // O_NONBLOCK: opening a pipe never waits for a writer (pipes are refused just below).
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return FileRead::missing;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return FileRead::missing;
  }
  // The claimed size only decides whether to start; the reading below holds the real bound.
  if (st.st_size > 0 && static_cast<uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    return FileRead::tooLarge;
  }
  out.reserve(static_cast<size_t>(std::max<off_t>(st.st_size, 0)));
  constexpr size_t kPiece = 64 * 1024;
  FileRead result = FileRead::ok;
  for (;;) {
    const size_t room = maxBytes - out.size();
    const size_t want = std::min(kPiece, room + 1);  // one byte more than fits tells "too large"
    const size_t at = out.size();
    out.resize(at + want);
    const ssize_t got = ::read(fd, reinterpret_cast<char*>(out.data()) + at, want);
    if (got < 0 && errno == EINTR) {
      out.resize(at);
      continue;
    }
    if (got < 0) {
      result = FileRead::missing;
      break;
    }
    out.resize(at + static_cast<size_t>(got));
    if (got == 0) break;
    if (out.size() > maxBytes) {
      result = FileRead::tooLarge;
      break;
    }
  }
  ::close(fd);
  if (result != FileRead::ok) {
    out.clear();
    out.shrink_to_fit();
  }
  return result;
}

}  // namespace

FileRead ReadFileBounded(const std::string& hostPath, size_t maxBytes, std::vector<uint8_t>& out) {
  return readBounded(hostPath, maxBytes, out);
}

FileRead ReadFileBounded(const std::string& hostPath, size_t maxBytes, std::string& out) {
  return readBounded(hostPath, maxBytes, out);
}

FilePieces::FilePieces(const std::string& hostPath) {
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    ::close(fd);
    return;
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
}

FilePieces::~FilePieces() {
  if (fd_ >= 0) ::close(fd_);
}

bool FilePieces::readAt(uint64_t offset, void* into, size_t n) const {
  auto* at = static_cast<char*>(into);
  while (n > 0) {
    const ssize_t got = ::pread(fd_, at, n, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    at += got;
    offset += static_cast<uint64_t>(got);
    n -= static_cast<size_t>(got);
  }
  return true;
}

FileRead FilePieces::readFrom(uint64_t offset, size_t maxBytes, std::vector<uint8_t>& out) const {
  out.clear();
  if (fd_ < 0 || offset > size_) return FileRead::missing;
  // The size read at opening only decides the buffer; a file that changed since is refused.
  const uint64_t length = size_ - offset;
  if (length > maxBytes) return FileRead::tooLarge;
  out.resize(static_cast<size_t>(length));
  if (!readAt(offset, out.data(), out.size())) {
    out.clear();
    return FileRead::missing;
  }
  return FileRead::ok;
}

}  // namespace qv::platform
