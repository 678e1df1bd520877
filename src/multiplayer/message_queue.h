// The queue of received messages: at most 4000 records, each with a read flag, and the index of
// the first unread record.
//
// Invariant: every record before `firstUnread` is read. Records after it may be read too (taken by
// a filtered receive); they stay until a compaction moves the unread ones to the front.
// A player filter p matches every record when 0, the records of sender p when above 0, none when
// below 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "multiplayer/payload.h"

namespace qv::multiplayer {

class MessageQueue {
 public:
  static constexpr size_t kCapacity = 4000;

  // After the last record, unread. When the queue is full it is compacted first; when it is
  // still full (4000 unread records) the record is dropped and the result is false.
  bool Append(Record r);
  // The first unread matching record at or after the first unread one, marked read and copied to
  // `out`; the first-unread index then moves over the records that are read. False when none.
  bool Take(int32_t player, Record& out);
  // The number of unread matching records.
  int32_t Count(int32_t player) const;
  // Marks every matching record at or after the first unread one read, then compacts.
  void Clear(int32_t player);
  // Moves the unread records from the first unread one on to the front, keeping their order.
  void Compact();

  size_t size() const { return records_.size(); }
  size_t firstUnread() const { return firstUnread_; }

 private:
  struct Entry {
    Record record;
    bool read = false;
  };
  std::vector<Entry> records_;
  size_t firstUnread_ = 0;
};

}  // namespace qv::multiplayer
