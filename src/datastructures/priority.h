// CDS_Priority: (value, priority) entries in an unsorted array.
//
// Finding the least or greatest priority is a linear scan that keeps the first of equal
// priorities (a later entry replaces the best only when strictly smaller/greater); deleting moves
// the last entry into the freed place. Both rules fix which of several equal priorities comes out
// next, and that order depends on the array order those moves produce, so the array stays: add
// is O(1), find and delete O(n). Record: 501, count, count values, count priorities.
#pragma once

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
  void clear() { entries_.clear(); }
  void add(RValue value, RValue priority) { entries_.push_back(Entry{std::move(value), std::move(priority)}); }
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
  int64_t find(const RValue& value) const;  // first entry whose value compares equal, or -1
  int64_t extreme(bool greatest) const;     // -1 when empty
  RValue valueAt(int64_t pos) const;
  RValue removeAt(int64_t pos);
  std::vector<Entry> entries_;
};

}  // namespace qv::datastructures
