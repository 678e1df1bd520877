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

}  // namespace qv::platform
