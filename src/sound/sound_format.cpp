#include "sound/sound_format.h"

#include <cstring>

namespace qv::sound {
namespace {

uint32_t be32(const uint8_t* p) { return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3]; }
uint32_t le32(const uint8_t* p) { return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0]; }
uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// Reads a variable-length quantity (at most four bytes, as the format allows).
bool readVarLen(std::span<const uint8_t> d, size_t& pos, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= d.size()) return false;
    const uint8_t b = d[pos++];
    value = (value << 7) | (b & 0x7F);
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

// track -> { delta-time event }
// event -> status? data (running status for channel messages) | FF type len bytes | F0/F7 len bytes
bool checkTrack(std::span<const uint8_t> d) {
  size_t pos = 0;
  uint8_t running = 0;
  while (pos < d.size()) {
    uint32_t delta = 0;
    if (!readVarLen(d, pos, delta)) return false;
    if (pos >= d.size()) return false;
    uint8_t status = d[pos];
    if (status >= 0x80) {
      ++pos;
    } else {
      if (running == 0) return false;  // data byte without a status to run on
      status = running;
    }
    if (status < 0xF0) {
      running = status;
      const size_t count = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
      if (d.size() - pos < count) return false;
      for (size_t i = 0; i < count; ++i) {
        if (d[pos++] >= 0x80) return false;
      }
    } else if (status == 0xFF) {
      if (pos >= d.size()) return false;
      const uint8_t type = d[pos++];
      uint32_t len = 0;
      if (!readVarLen(d, pos, len) || d.size() - pos < len) return false;
      pos += len;
      if (type == 0x2F) return true;  // end of track: anything after it is ignored
    } else if (status == 0xF0 || status == 0xF7) {
      uint32_t len = 0;
      if (!readVarLen(d, pos, len) || d.size() - pos < len) return false;
      pos += len;
    } else {
      return false;  // system real-time and common messages do not occur in files
    }
  }
  return true;
}

}  // namespace

std::span<const uint8_t> FindMidiData(std::span<const uint8_t> bytes) {
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), "MThd", 4) == 0) return bytes;
  if (bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 && std::memcmp(bytes.data() + 8, "RMID", 4) == 0) {
    size_t pos = 12;
    while (bytes.size() - pos >= 8) {
      const uint32_t len = le32(bytes.data() + pos + 4);
      if (bytes.size() - pos - 8 < len) break;
      if (std::memcmp(bytes.data() + pos, "data", 4) == 0) return bytes.subspan(pos + 8, len);
      pos += 8 + static_cast<size_t>(len) + (len & 1);
      if (pos > bytes.size()) break;
    }
  }
  return {};
}

bool IsStandardMidiFile(std::span<const uint8_t> smf) {
  if (smf.size() < 14 || std::memcmp(smf.data(), "MThd", 4) != 0) return false;
  const uint32_t headerLen = be32(smf.data() + 4);
  if (headerLen < 6 || smf.size() - 8 < headerLen) return false;
  const uint16_t format = be16(smf.data() + 8);
  const uint16_t tracks = be16(smf.data() + 10);
  const uint16_t division = be16(smf.data() + 12);
  if (format > 2 || tracks == 0 || division == 0) return false;
  size_t pos = 8 + static_cast<size_t>(headerLen);
  unsigned found = 0;
  while (found < tracks) {
    if (smf.size() - pos < 8) return false;
    const uint32_t len = be32(smf.data() + pos + 4);
    if (smf.size() - pos - 8 < len) return false;
    const auto body = smf.subspan(pos + 8, len);
    if (std::memcmp(smf.data() + pos, "MTrk", 4) == 0) {
      if (!checkTrack(body)) return false;
      ++found;
    }
    pos += 8 + static_cast<size_t>(len);
  }
  return true;
}

bool IsWaveFile(std::span<const uint8_t> bytes) {
  return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 && std::memcmp(bytes.data() + 8, "WAVE", 4) == 0;
}

// wave -> "RIFF" size "WAVE" { id size body [pad] }
bool IsCompleteWaveFile(std::span<const uint8_t> bytes) {
  if (!IsWaveFile(bytes)) return false;
  size_t pos = 12;
  bool format = false;
  while (bytes.size() - pos >= 8) {
    const uint32_t len = le32(bytes.data() + pos + 4);
    const bool fits = bytes.size() - pos - 8 >= len;
    if (std::memcmp(bytes.data() + pos, "fmt ", 4) == 0) {
      if (!fits || len < 16) return false;
      format = true;
    } else if (std::memcmp(bytes.data() + pos, "data", 4) == 0) {
      return format && fits;
    }
    if (!fits) return false;
    pos += 8 + static_cast<size_t>(len) + (len & 1);
    if (pos > bytes.size()) return false;
  }
  return false;
}

}  // namespace qv::sound
