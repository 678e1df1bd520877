#include "system/binary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace qv::system {

BinaryFile::~BinaryFile() { Close(); }

bool BinaryFile::Open(const std::string& hostPath, int mode, bool mustExist) {
  Close();
  int access = mode == 0 ? O_RDONLY : mode == 1 ? O_WRONLY : O_RDWR;
  // Non-blocking only while opening: a pipe must not hold the game until a writer comes.
  int fd = ::open(hostPath.c_str(), access | (mustExist ? 0 : O_CREAT) | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  fd_ = fd;
  return true;
}

bool BinaryFile::Close() {
  if (fd_ < 0) return true;
  int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0;
}

bool BinaryFile::Truncate() { return fd_ >= 0 && ::ftruncate(fd_, 0) == 0 && ::lseek(fd_, 0, SEEK_SET) == 0; }

int64_t BinaryFile::Size() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
  return st.st_size;
}

int64_t BinaryFile::Position() const { return fd_ < 0 ? -1 : ::lseek(fd_, 0, SEEK_CUR); }

bool BinaryFile::Seek(int64_t position) { return fd_ >= 0 && position >= 0 && ::lseek(fd_, position, SEEK_SET) == position; }

int BinaryFile::ReadByte() {
  unsigned char b;
  ssize_t n;
  do n = ::read(fd_, &b, 1);
  while (n < 0 && errno == EINTR);
  return n == 1 ? b : -1;
}

bool BinaryFile::WriteByte(uint8_t byte) {
  ssize_t n;
  do n = ::write(fd_, &byte, 1);
  while (n < 0 && errno == EINTR);
  return n == 1;
}

}  // namespace qv::system
