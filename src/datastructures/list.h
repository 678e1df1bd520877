// CDS_List: values in order, addressed by 0-based position. Record: 301, count, values in order.
#pragma once

#include <vector>

#include "datastructures/record.h"

namespace qv::datastructures {

class CDS_List {
 public:
  size_t size() const { return values_.size(); }
  void clear() { values_.clear(); }
  void add(RValue v) { values_.push_back(std::move(v)); }
  // Insert needs 0 <= pos <= size; replace and delete need 0 <= pos < size; else nothing happens.
  void insert(int64_t pos, RValue v);
  void replace(int64_t pos, RValue v);
  void erase(int64_t pos);
  int64_t findIndex(const RValue& v) const;  // first position comparing equal, or -1
  RValue findValue(int64_t pos) const;       // the real 0 outside the list
  void sort(bool ascending);
  void shuffle();

  const std::vector<RValue>& values() const { return values_; }

  void write(CStream& s) const;
  static bool read(CStream& s, CDS_List& out);

 private:
  bool valid(int64_t pos) const { return pos >= 0 && pos < static_cast<int64_t>(values_.size()); }
  std::vector<RValue> values_;
};

// The list order: an insertion sort where element i moves towards the front, swapping with its
// predecessor, while (compare(predecessor, element) > 0) == ascending. Ascending keeps equal
// elements in their order; descending moves an element past equal ones.
//
// Cost: when no two neighbours of the exactly sorted sequence are tolerance-equal without being
// equal (and no NaN is present) the tolerant comparison agrees with the exact order on every
// pair, so a stable O(n log n) sort gives the same sequence; otherwise the insertion sort itself
// runs, O(n^2), since its result then depends on its probe sequence.
void SortValues(std::vector<RValue>& values, bool ascending);

}  // namespace qv::datastructures
