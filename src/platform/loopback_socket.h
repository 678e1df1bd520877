// TCP on the loopback interface only, for a local tool that talks to the runner (the debug
// adapter's editor). Nothing above this file sees a socket.
//
// Every call returns at once or waits at most the time it is given: the game thread services
// the socket between steps and must never hang on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qv::platform {

// One accepted connection. Closed when destroyed.
class LoopbackStream {
 public:
  explicit LoopbackStream(int fd) : fd_(fd) {}
  ~LoopbackStream();
  LoopbackStream(const LoopbackStream&) = delete;
  LoopbackStream& operator=(const LoopbackStream&) = delete;

  enum class Status { Data, Nothing, Closed };
  // Appends what has arrived (at most `limit` bytes) to `into`, waiting up to `waitMs` for
  // something to arrive. Closed once the peer has gone or the connection failed.
  Status Receive(std::string& into, size_t limit, int waitMs);
  // Sends all of `bytes`, waiting at most `waitMs` in total for room; false when the peer is gone
  // or would not take them in that time (the connection is then useless: close it).
  bool Send(const std::string& bytes, int waitMs);

 private:
  int fd_;
};

class LoopbackListener {
 public:
  // Listens on 127.0.0.1:`port` (0: a free port the system chooses, see port()); nothing when the
  // port cannot be bound.
  static std::unique_ptr<LoopbackListener> Open(uint16_t port);
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  uint16_t port() const { return port_; }
  // A connection that is waiting, waiting up to `waitMs` for one; nullptr when none came.
  std::unique_ptr<LoopbackStream> Accept(int waitMs);

 private:
  LoopbackListener(int fd, uint16_t port) : fd_(fd), port_(port) {}
  int fd_;
  uint16_t port_;
};

}  // namespace qv::platform
