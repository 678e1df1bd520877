#include "multiplayer/payload.h"

#include <algorithm>
#include <cstring>

namespace qv::multiplayer {

namespace {

void PutInt32(std::vector<uint8_t>& out, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

uint32_t GetUint32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

void EncodePayload(const Record& r, std::vector<uint8_t>& out) {
  out.push_back(r.kind);
  PutInt32(out, r.id);
  if (r.value.isString()) {
    const size_t n = std::min(r.value.str.size(), kMaxStringBytes);
    out.push_back(1);
    PutInt32(out, static_cast<int32_t>(n));
    out.insert(out.end(), r.value.str.begin(), r.value.str.begin() + static_cast<std::ptrdiff_t>(n));
  } else {
    out.push_back(0);
    uint64_t bits = 0;
    std::memcpy(&bits, &r.value.real, 8);
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  }
}

std::optional<Record> DecodePayload(std::span<const uint8_t> p) {
  if (p.size() < 6 || p[0] > kKindMessage || p[5] > 1) return std::nullopt;
  Record r;
  r.kind = p[0];
  r.id = static_cast<int32_t>(GetUint32(&p[1]));
  if (p[5] == 0) {
    if (p.size() != kRealPayloadBytes) return std::nullopt;
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= uint64_t(p[6 + i]) << (8 * i);
    double real = 0;
    std::memcpy(&real, &bits, 8);
    r.value.setReal(real);
    return r;
  }
  if (p.size() < 10) return std::nullopt;
  const uint32_t n = GetUint32(&p[6]);
  if (n > kMaxStringBytes || p.size() != 10 + size_t(n)) return std::nullopt;
  r.value.setString(std::string_view(reinterpret_cast<const char*>(&p[10]), n));
  return r;
}

}  // namespace qv::multiplayer
