// The record every multiplayer message carries, and its payload: the bytes that travel.
//
// Payload layout (integers and the real little-endian):
//   offset 0  1 byte   kind: 1 message, 0 shared-data write
//   offset 1  4 bytes  id (int32): the message id or the shared-data index
//   offset 5  1 byte   1 when the value is a string, 0 when it is a real
//   real:     offset 6, 8 bytes, an IEEE 754 double                      (14 bytes in all)
//   string:   offset 6, 4 bytes n (int32, 0 to 32000); offset 10, n bytes (10 + n bytes in all)
// The player is not in the payload: the connection carries sender and addressee.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "code/value.h"

namespace qv::multiplayer {

inline constexpr uint8_t kKindData = 0;
inline constexpr uint8_t kKindMessage = 1;
// Longer strings are cut to their first 32000 characters before they are sent.
inline constexpr size_t kMaxStringBytes = 32000;
inline constexpr size_t kRealPayloadBytes = 14;
inline constexpr size_t kMaxPayloadBytes = 10 + kMaxStringBytes;

struct Record {
  int32_t player = 0;  // addressee when sending (0: all players), sender once received
  uint8_t kind = kKindMessage;
  int32_t id = 0;
  code::RValue value;
};

// Appends the payload of `r` (its string cut to 32000 characters) to `out`.
void EncodePayload(const Record& r, std::vector<uint8_t>& out);

// The record of a payload (player 0), or nothing unless the payload is exactly one of the two
// forms: a kind of 0 or 1, a string flag of 0 or 1, and a size that the flag and n fix exactly.
std::optional<Record> DecodePayload(std::span<const uint8_t> payload);

}  // namespace qv::multiplayer
