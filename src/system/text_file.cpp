#include "system/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"

namespace qv::system {

TextFile::~TextFile() { Close(); }

bool TextFile::OpenRead(const std::string& hostPath) {
  Close();
  int fd = ::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISCHR(st.st_mode))) {
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  file_ = ::fdopen(fd, "rb");
  if (!file_) {
    ::close(fd);
    return false;
  }
  mode_ = Mode::reading;
  return true;
}

bool TextFile::OpenWrite(const std::string& hostPath, bool append) {
  Close();
  if (!platform::MayReplace(hostPath)) return false;
  auto temporary = std::make_unique<platform::TemporaryFile>(hostPath);
  if (!temporary->open()) return false;
  // The stream writes through a second descriptor of the same open file, so closing the stream
  // keeps the temporary file's lock, which only the commit ends.
  int fd = ::dup(temporary->fd());
  std::FILE* out = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
  if (!out) {
    if (fd >= 0) ::close(fd);
    return false;
  }
  if (append) {
    // The new content starts as a copy of the old one.
    if (std::FILE* in = std::fopen(hostPath.c_str(), "rb")) {
      char buf[65536];
      size_t n;
      bool ok = true;
      while (ok && (n = std::fread(buf, 1, sizeof buf, in)) > 0) ok = std::fwrite(buf, 1, n, out) == n;
      ok = ok && !std::ferror(in);
      std::fclose(in);
      if (!ok || std::fflush(out) != 0) {
        std::fclose(out);
        return false;
      }
    }
  }
  file_ = out;
  temporary_ = std::move(temporary);
  mode_ = Mode::writing;
  return true;
}

bool TextFile::Close() {
  if (mode_ == Mode::closed) return true;
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  if (mode_ == Mode::writing && ok) ok = temporary_->Commit();
  temporary_.reset();  // removes a temporary file that was not committed
  mode_ = Mode::closed;
  return ok;
}

std::optional<char> TextFile::Peek() {
  if (mode_ != Mode::reading) return std::nullopt;
  int c = std::getc(file_);
  if (c == EOF) return std::nullopt;
  std::ungetc(c, file_);
  return static_cast<char>(c);
}

std::optional<char> TextFile::Next() {
  if (mode_ != Mode::reading) return std::nullopt;
  int c = std::getc(file_);
  if (c == EOF) return std::nullopt;
  return static_cast<char>(c);
}

bool TextFile::AtLineEnd() {
  std::optional<char> c = Peek();
  return !c || *c == '\r' || *c == '\n';
}

std::string TextFile::ReadLineText() {
  std::string out;
  while (out.size() < kMaxReadPerCall && !AtLineEnd()) out += *Next();
  return out;
}

void TextFile::SkipLine() {
  for (size_t skipped = 0; skipped < kMaxReadPerCall && !AtLineEnd(); ++skipped) Next();
  std::optional<char> c = Next();
  if (c == '\r' && Peek() == '\n') Next();
}

bool TextFile::Write(const std::string& text) {
  if (mode_ != Mode::writing) return false;
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) return false;
  return std::fflush(file_) == 0;
}

}  // namespace qv::system
