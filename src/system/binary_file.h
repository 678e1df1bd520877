// One binary file of a game: a descriptor read and written a byte at a time at its position.
// Binary files are written in place (a game seeks and rewrites single bytes), so unlike text
// files they are not replaced whole.
#pragma once

#include <cstdint>
#include <string>

namespace qv::system {

class BinaryFile {
 public:
  BinaryFile() = default;
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;
  ~BinaryFile();

  bool open() const { return fd_ >= 0; }
  // Mode 0 read-only, 1 write-only, any other read-write. A missing file is created empty unless
  // `mustExist`.
  bool Open(const std::string& hostPath, int mode, bool mustExist);
  // Frees the descriptor whatever close reports (false on a reported error).
  bool Close();
  bool Truncate();
  int64_t Size() const;      // -1 on failure
  int64_t Position() const;  // -1 on failure
  bool Seek(int64_t position);
  int ReadByte();            // -1 on failure or at the end
  bool WriteByte(uint8_t byte);

 private:
  int fd_ = -1;
};

}  // namespace qv::system
