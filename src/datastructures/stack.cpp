#include "datastructures/stack.h"

namespace qv::datastructures {

RValue CDS_Stack::pop() {
  if (values_.empty()) return {};
  RValue v = std::move(values_.back());
  values_.pop_back();
  return v;
}

RValue CDS_Stack::top() const { return values_.empty() ? RValue() : values_.back(); }

void CDS_Stack::write(CStream& s) const {
  s.WriteInteger(kStackRecord);
  s.WriteInteger(static_cast<int32_t>(values_.size()));
  for (const RValue& v : values_) WriteValue(s, v);
}

bool CDS_Stack::read(CStream& s, CDS_Stack& out) {
  if (s.ReadInteger() != kStackRecord) return false;
  int32_t count = ReadCount(s, 1);
  CDS_Stack fresh;
  fresh.values_.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) fresh.values_.push_back(ReadValue(s));
  out = std::move(fresh);
  return true;
}

}  // namespace qv::datastructures
