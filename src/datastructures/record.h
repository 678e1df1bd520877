// The text form of containers: a little-endian binary record written as two upper-case hexadecimal
// digits per byte. A value is int32 kind (0 real, 1 string), an 8-byte IEEE double, and an int32
// length followed by the string's bytes; all three parts always, the unused ones 0 or empty.
//
// Reading is all-or-nothing: each kind parses the whole record into a new container and only then
// replaces the old content. A wrong record number returns false (the container stays as it was);
// a pair that is not two hexadecimal digits, a record that ends early or counts that contradict
// each other throw data::StreamError, which ends the current step as any exception does.
#pragma once

#include <string_view>

#include "code/value.h"
#include "data/stream.h"

namespace qv::datastructures {

using code::RValue;
using data::CStream;

// Record numbers of the six kinds.
inline constexpr int32_t kStackRecord = 101;
inline constexpr int32_t kQueueRecord = 201;
inline constexpr int32_t kListRecord = 301;
inline constexpr int32_t kMapRecord = 401;
inline constexpr int32_t kPriorityRecord = 501;
inline constexpr int32_t kGridRecord = 601;

// The smallest record of one value (kind, real, empty string): lets a reader refuse a count the
// remaining bytes cannot hold before it allocates anything.
inline constexpr size_t kMinValueBytes = 16;

void WriteValue(CStream& s, const RValue& v);
RValue ReadValue(CStream& s);

// Decodes hexadecimal text (either case; a final odd digit is ignored) into a stream at 0;
// throws StreamError at a pair that is not two hexadecimal digits.
CStream DecodeRecordText(std::string_view hex);

// Reads a count of `perItem` values: throws unless 0 <= count and the bytes left can hold them.
int32_t ReadCount(CStream& s, size_t perItem);

}  // namespace qv::datastructures
