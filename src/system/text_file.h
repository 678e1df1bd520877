// One text file of a game, open for reading or for writing.
//
// Reading takes regular files and devices, never a pipe or a directory (a pipe would block the
// game for as long as nobody writes into it), and every read is bounded: a line of a device that
// never ends (/dev/zero) is returned in pieces of kMaxReadPerCall characters.
//
// Writing goes to a temporary file beside the target, flushed after every write, that replaces
// the target when the game closes the file (or the game ends): a crash or kill while the game
// writes leaves the old content, never half of the new. Lines end in CR LF; reading takes CR LF,
// LF and a lone CR.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/atomic_file.h"

namespace qv::system {

class TextFile {
 public:
  enum class Mode { closed = 0, reading = 1, writing = 2 };
  static constexpr size_t kMaxReadPerCall = 16u << 20;

  TextFile() = default;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  ~TextFile();

  Mode mode() const { return mode_; }

  // Each returns false on failure with the file left closed.
  bool OpenRead(const std::string& hostPath);
  bool OpenWrite(const std::string& hostPath, bool append);
  // Ends the file: a written file replaces its target. False when that fails; the file is closed
  // either way (a second close would only touch a descriptor that may belong to someone else).
  bool Close();

  std::optional<char> Peek();
  std::optional<char> Next();
  bool AtEnd() { return !Peek(); }
  bool AtLineEnd();
  // The rest of the line, without its end (at most kMaxReadPerCall characters).
  std::string ReadLineText();
  // Skips the rest of the line and its end.
  void SkipLine();
  bool ReadFailed() const { return file_ && std::ferror(file_); }

  bool Write(const std::string& text);

 private:
  Mode mode_ = Mode::closed;
  std::FILE* file_ = nullptr;
  std::unique_ptr<platform::TemporaryFile> temporary_;  // what a written file goes to first
};

}  // namespace qv::system
