// CDS_Map: entries kept sorted by key under the tolerant comparison; a key may occur more than
// once (add inserts after the last equal key, so the newest comes last).
//
// Searches: lower(k) is the first position whose key is not less than k (-1 when all are less);
// upper(k) the last position whose key is not greater than k (-1 when none is). Both are binary
// searches that finish with a linear scan once the range spans fewer than 8 positions; since the
// comparison is not transitive, the probe sequence is part of the behaviour and is pinned here:
// lower halves [lo, hi] at mid = (lo + hi) div 2 (key[mid] < k: lo = mid + 1, else hi = mid) and
// scans up from lo; upper halves at mid = (lo + hi + 1) div 2 (key[mid] > k: hi = mid - 1, else
// lo = mid) and scans down from hi.
// Cost: the entries sit in a BlockedSequence, so a search is O(log n) probes of O(log(n / 128))
// each (O(1) while the entries were added in key order), and add and delete move at most one
// block: O(128 + n / 128) instead of O(n).
// Record: 401, count, count keys in order, count values in the same order.
#pragma once

#include <vector>

#include "datastructures/blocked_sequence.h"
#include "datastructures/record.h"

namespace qv::datastructures {

class CDS_Map {
 public:
  struct Entry {
    RValue key;
    RValue value;
  };

  size_t size() const { return entries_.size(); }
  void clear() { entries_.clear(); }
  void add(RValue key, RValue value);
  void replace(const RValue& key, RValue value);  // only an existing key; never inserts
  void erase(const RValue& key);
  bool exists(const RValue& key) const;
  RValue findValue(const RValue& key) const;
  RValue findPrevious(const RValue& key) const;
  RValue findNext(const RValue& key) const;
  RValue findFirst() const;
  RValue findLast() const;

  int64_t lower(const RValue& key) const;
  int64_t upper(const RValue& key) const;

  void write(CStream& s) const;
  static bool read(CStream& s, CDS_Map& out);

 private:
  int64_t equalAt(const RValue& key) const;  // lower(key) when its key compares equal, else -1
  RValue keyAt(int64_t pos) const;            // the real 0 outside the map
  BlockedSequence<Entry> entries_;
};

}  // namespace qv::datastructures
