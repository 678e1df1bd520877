#include "platform/loopback_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace qv::platform {

namespace {

// Waits until `fd` is ready for `events`; false on time-out. A signal ends the wait early (the
// caller looks again).
bool waitFor(int fd, short events, int waitMs) {
  pollfd p{fd, events, 0};
  const int n = ::poll(&p, 1, waitMs < 0 ? 0 : waitMs);
  return n > 0;
}

void setNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

LoopbackStream::~LoopbackStream() { ::close(fd_); }

LoopbackStream::Status LoopbackStream::Receive(std::string& into, size_t limit, int waitMs) {
  if (!waitFor(fd_, POLLIN, waitMs)) return Status::Nothing;
  char buffer[16384];
  const size_t want = limit < sizeof buffer ? limit : sizeof buffer;
  if (want == 0) return Status::Nothing;
  const ssize_t n = ::recv(fd_, buffer, want, 0);
  if (n > 0) {
    into.append(buffer, static_cast<size_t>(n));
    return Status::Data;
  }
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return Status::Nothing;
  return Status::Closed;
}

bool LoopbackStream::Send(const std::string& bytes, int waitMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    waitFor(fd_, POLLOUT, static_cast<int>(left.count()));
  }
  return true;
}

std::unique_ptr<LoopbackListener> LoopbackListener::Open(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  const int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // never another interface
  address.sin_port = htons(port);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return nullptr;
  }
  setNonBlocking(fd);
  return std::unique_ptr<LoopbackListener>(new LoopbackListener(fd, ntohs(address.sin_port)));
}

LoopbackListener::~LoopbackListener() { ::close(fd_); }

std::unique_ptr<LoopbackStream> LoopbackListener::Accept(int waitMs) {
  if (!waitFor(fd_, POLLIN, waitMs)) return nullptr;
  const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return nullptr;
  const int yes = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);  // answers are small and awaited
  return std::make_unique<LoopbackStream>(fd);
}

}  // namespace qv::platform
