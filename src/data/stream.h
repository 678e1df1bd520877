// CStream: the growable in-memory byte stream through which game data, saved games and
// data-structure strings are read and written.
//
// Encodings (all little-endian): integer = 4 bytes signed; boolean = an integer, true when > 0;
// real = 8-byte IEEE double; string = integer n then n bytes (n <= 0 reads as "" and no bytes).
// Blocks (raw and zlib-compressed) are integer n then n bytes, returned as a new stream at 0.
//
// Reading past the end throws StreamError; a reader never allocates more than the bytes that are
// actually left in the stream (game data is untrusted), and inflation stops at kMaxInflatedSize.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv::data {

// Data that ends early, a negative block length or a block that does not inflate.
class StreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CStream {
 public:
  // Largest content a compressed block may inflate to: far above any real resource, far below memory.
  static constexpr size_t kMaxInflatedSize = size_t{1} << 30;

  CStream() = default;
  explicit CStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

  // Position and size.
  size_t size() const { return data_.size(); }
  size_t position() const { return pos_; }
  size_t remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
  void seek(size_t pos) { pos_ = pos; }
  void skip(int64_t count);  // throws StreamError when the result leaves the stream
  bool atEnd() const { return pos_ >= data_.size(); }
  void clear() { data_.clear(); pos_ = 0; }

  const std::vector<uint8_t>& bytes() const { return data_; }
  std::vector<uint8_t>& bytes() { return data_; }

  // Reading.
  int32_t ReadInteger();
  bool ReadBoolean();
  double ReadReal();
  std::string ReadString();
  CStream ReadRawBlock();
  CStream ReadCompressedBlock();
  void ReadBytes(void* out, size_t count);
  uint8_t ReadByte();

  // Writing (at the position; the stream grows as needed).
  void WriteInteger(int32_t v);
  void WriteBoolean(bool v);
  void WriteReal(double v);
  void WriteString(std::string_view s);
  void WriteBytes(const void* in, size_t count);
  void WriteByte(uint8_t b);
  void WriteRawBlock(const CStream& block);
  // Deflates `block` into one zlib stream.
  void WriteCompressedBlock(const CStream& block);

  // Every byte as two upper-case hexadecimal digits.
  std::string ToHex() const;
  // Clears the stream and fills it from pairs of hexadecimal digits; a final odd digit is ignored
  // and a character that is not a hexadecimal digit counts as 0. Position becomes 0.
  void FromHex(std::string_view hex);

  // Whole files.
  // Reads a regular file of at most `maxBytes` (the largest game a runner carries by default);
  // false, with the stream unchanged, for a missing, unreadable or larger file.
  static constexpr size_t kMaxFileBytes = size_t{2} << 30;
  bool LoadFromFile(const std::string& hostPath, size_t maxBytes = kMaxFileBytes);
  bool SaveToFile(const std::string& hostPath) const;

 private:
  void need(size_t count) const;  // throws unless count bytes are left
  std::vector<uint8_t> data_;
  size_t pos_ = 0;
};

// zlib helpers shared by the blocks and the PNG writer.
std::vector<uint8_t> Inflate(const uint8_t* data, size_t size, size_t maxSize);  // throws StreamError
std::vector<uint8_t> Deflate(const uint8_t* data, size_t size);

}  // namespace qv::data
