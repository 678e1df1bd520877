// CDS_Stack: values pushed and popped at the top. Record: 101, count, values bottom first.
#pragma once

#include <vector>

#include "datastructures/record.h"

namespace qv::datastructures {

class CDS_Stack {
 public:
  size_t size() const { return values_.size(); }
  void clear() { values_.clear(); }
  void push(RValue v) { values_.push_back(std::move(v)); }
  RValue pop();        // the real 0 when empty
  RValue top() const;  // the real 0 when empty

  void write(CStream& s) const;
  // False (and `out` untouched) when the record is not a stack's; throws StreamError when broken.
  static bool read(CStream& s, CDS_Stack& out);

 private:
  std::vector<RValue> values_;
};

}  // namespace qv::datastructures
