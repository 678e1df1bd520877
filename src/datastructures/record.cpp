#include "datastructures/record.h"

namespace qv::datastructures {

void WriteValue(CStream& s, const RValue& v) {
  s.WriteInteger(v.isString() ? 1 : 0);
  s.WriteReal(v.isReal() ? v.real : 0.0);
  s.WriteString(v.isString() ? std::string_view(v.str) : std::string_view());
}

RValue ReadValue(CStream& s) {
  int32_t kind = s.ReadInteger();
  double real = s.ReadReal();
  std::string str = s.ReadString();
  if (kind == code::ty_string) return RValue(std::move(str));
  return RValue(real);
}

namespace {
bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
}  // namespace

CStream DecodeRecordText(std::string_view hex) {
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    if (!isHexDigit(hex[i]) || !isHexDigit(hex[i + 1]))
      throw data::StreamError("data structure text holds a character that is not a hexadecimal digit");
  CStream s;
  s.FromHex(hex);
  return s;
}

int32_t ReadCount(CStream& s, size_t perItem) {
  int32_t count = s.ReadInteger();
  if (count < 0 || static_cast<uint64_t>(count) * kMinValueBytes * perItem > s.remaining())
    throw data::StreamError("data structure text holds a count its bytes cannot hold");
  return count;
}

}  // namespace qv::datastructures
