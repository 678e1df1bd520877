#include "data/stream.h"

#include <zlib.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/bounded_file.h"

namespace qv::data {

void CStream::need(size_t count) const {
  if (pos_ > data_.size() || data_.size() - pos_ < count) throw StreamError("stream ends early");
}

void CStream::skip(int64_t count) {
  if (count < 0) {
    if (static_cast<uint64_t>(-(count + 1)) + 1 > pos_) throw StreamError("seek before the start");
    pos_ -= static_cast<size_t>(-(count + 1)) + 1;
    return;
  }
  need(static_cast<size_t>(count));
  pos_ += static_cast<size_t>(count);
}

void CStream::ReadBytes(void* out, size_t count) {
  need(count);
  if (count) std::memcpy(out, data_.data() + pos_, count);
  pos_ += count;
}

uint8_t CStream::ReadByte() {
  need(1);
  return data_[pos_++];
}

int32_t CStream::ReadInteger() {
  need(4);
  const uint8_t* p = data_.data() + pos_;
  pos_ += 4;
  return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

bool CStream::ReadBoolean() { return ReadInteger() > 0; }

double CStream::ReadReal() {
  need(8);
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | data_[pos_ + i];
  pos_ += 8;
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

std::string CStream::ReadString() {
  int32_t n = ReadInteger();
  if (n <= 0) return {};
  need(static_cast<size_t>(n));
  std::string s(reinterpret_cast<const char*>(data_.data() + pos_), static_cast<size_t>(n));
  pos_ += static_cast<size_t>(n);
  return s;
}

CStream CStream::ReadRawBlock() {
  int32_t n = ReadInteger();
  if (n < 0) throw StreamError("negative block length");
  need(static_cast<size_t>(n));
  std::vector<uint8_t> bytes(data_.begin() + static_cast<ptrdiff_t>(pos_), data_.begin() + static_cast<ptrdiff_t>(pos_ + n));
  pos_ += static_cast<size_t>(n);
  return CStream(std::move(bytes));
}

CStream CStream::ReadCompressedBlock() {
  int32_t n = ReadInteger();
  if (n < 0) throw StreamError("negative block length");
  need(static_cast<size_t>(n));
  std::vector<uint8_t> plain = Inflate(data_.data() + pos_, static_cast<size_t>(n), kMaxInflatedSize);
  pos_ += static_cast<size_t>(n);
  return CStream(std::move(plain));
}

void CStream::WriteBytes(const void* in, size_t count) {
  if (pos_ + count > data_.size()) data_.resize(pos_ + count);
  if (count) std::memcpy(data_.data() + pos_, in, count);
  pos_ += count;
}

void CStream::WriteByte(uint8_t b) { WriteBytes(&b, 1); }

void CStream::WriteInteger(int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
  WriteBytes(b, 4);
}

void CStream::WriteBoolean(bool v) { WriteInteger(v ? 1 : 0); }

void CStream::WriteReal(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  uint8_t b[8];
  for (int i = 0; i < 8; ++i) b[i] = uint8_t(bits >> (8 * i));
  WriteBytes(b, 8);
}

void CStream::WriteString(std::string_view s) {
  WriteInteger(static_cast<int32_t>(s.size()));
  WriteBytes(s.data(), s.size());
}

void CStream::WriteRawBlock(const CStream& block) {
  WriteInteger(static_cast<int32_t>(block.size()));
  WriteBytes(block.data_.data(), block.size());
}

void CStream::WriteCompressedBlock(const CStream& block) {
  std::vector<uint8_t> packed = Deflate(block.data_.data(), block.size());
  WriteInteger(static_cast<int32_t>(packed.size()));
  WriteBytes(packed.data(), packed.size());
}

std::string CStream::ToHex() const {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(data_.size() * 2);
  for (uint8_t b : data_) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

static uint8_t hexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return uint8_t(c - '0');
  if (c >= 'A' && c <= 'F') return uint8_t(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return uint8_t(c - 'a' + 10);
  return 0;
}

void CStream::FromHex(std::string_view hex) {
  data_.assign(hex.size() / 2, 0);
  for (size_t i = 0; i < data_.size(); ++i)
    data_[i] = uint8_t(hexDigit(static_cast<unsigned char>(hex[2 * i])) << 4 | hexDigit(static_cast<unsigned char>(hex[2 * i + 1])));
  pos_ = 0;
}

bool CStream::LoadFromFile(const std::string& hostPath, size_t maxBytes) {
  std::vector<uint8_t> bytes;
  if (platform::ReadFileBounded(hostPath, maxBytes, bytes) != platform::FileRead::ok) return false;
  data_ = std::move(bytes);
  pos_ = 0;
  return true;
}

bool CStream::SaveToFile(const std::string& hostPath) const {
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(data_.data()), static_cast<std::streamsize>(data_.size()));
  return static_cast<bool>(out);
}

std::vector<uint8_t> Inflate(const uint8_t* data, size_t size, size_t maxSize) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) throw StreamError("zlib init failed");
  std::vector<uint8_t> out;
  uint8_t chunk[64 * 1024];
  zs.next_in = const_cast<Bytef*>(data);
  zs.avail_in = static_cast<uInt>(size);
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    zs.next_out = chunk;
    zs.avail_out = sizeof chunk;
    rc = inflate(&zs, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END) {
      inflateEnd(&zs);
      throw StreamError("compressed block does not inflate");
    }
    size_t produced = sizeof chunk - zs.avail_out;
    if (out.size() + produced > maxSize) {
      inflateEnd(&zs);
      throw StreamError("compressed block too large");
    }
    out.insert(out.end(), chunk, chunk + produced);
    if (rc == Z_OK && produced == 0 && zs.avail_in == 0) {
      inflateEnd(&zs);
      throw StreamError("compressed block ends early");
    }
  }
  inflateEnd(&zs);
  return out;
}

std::vector<uint8_t> Deflate(const uint8_t* data, size_t size) {
  uLongf bound = compressBound(static_cast<uLong>(size));
  std::vector<uint8_t> out(bound);
  if (compress2(out.data(), &bound, data, static_cast<uLong>(size), Z_DEFAULT_COMPRESSION) != Z_OK)
    throw StreamError("deflate failed");
  out.resize(bound);
  return out;
}

}  // namespace qv::data
