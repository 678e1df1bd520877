// CDS_Priority: (value, priority) entries in an unsorted array.
//
// The least (greatest) priority is defined by a scan of the array in order that lets a later
// entry replace the best only when strictly smaller (greater) under the tolerant comparison, so
// the earliest of equal priorities wins; deleting moves the last entry into the freed place. Both
// rules fix which of several equal priorities comes out next, so the array stays as it is.
//
// Cost: beside the array, an ordered index of (priority, position) answers the scan's result in
// O(log n) whenever the winning priority is separated by more than the tolerance from the next
// distinct priority (then the scan provably picks the lowest position holding the exact extreme);
// otherwise, and while any priority is NaN, the scan itself runs, O(n). add and delete_* cost
// O(log n); the value searches (change_priority, find_priority, delete_value) scan, O(n), as the
// first match in array order is asked for. Record: 501, count, count values, count priorities.
#pragma once

#include <set>
#include <vector>

#include "datastructures/record.h"

namespace qv::datastructures {

class CDS_Priority {
 public:
  struct Entry {
    RValue value;
    RValue priority;
  };

  size_t size() const { return entries_.size(); }
  void clear();
  void add(RValue value, RValue priority);
  void changePriority(const RValue& value, RValue priority);
  RValue findPriority(const RValue& value) const;
  void deleteValue(const RValue& value);
  RValue findMin() const { return valueAt(extreme(false)); }
  RValue findMax() const { return valueAt(extreme(true)); }
  RValue deleteMin() { return removeAt(extreme(false)); }
  RValue deleteMax() { return removeAt(extreme(true)); }

  const std::vector<Entry>& entries() const { return entries_; }

  void write(CStream& s) const;
  static bool read(CStream& s, CDS_Priority& out);

 private:
  struct OrderKey {
    RValue priority;
    int64_t position;
  };
  struct OrderLess {
    bool operator()(const OrderKey& a, const OrderKey& b) const;
  };

  int64_t find(const RValue& value) const;  // first entry whose value compares equal, or -1
  int64_t extreme(bool greatest) const;     // -1 when empty
  int64_t scanExtreme(bool greatest) const;
  RValue valueAt(int64_t pos) const;
  RValue removeAt(int64_t pos);
  void indexAdd(int64_t pos);     // enters entries_[pos] into the index
  void indexRemove(int64_t pos);  // takes it out (before it changes or moves)
  void rebuildIndex();

  std::vector<Entry> entries_;
  std::set<OrderKey, OrderLess> order_;  // every entry whose priority is not NaN
  int64_t nanCount_ = 0;                 // entries whose priority is NaN (no exact order)
};

}  // namespace qv::datastructures
