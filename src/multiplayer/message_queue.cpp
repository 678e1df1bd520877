#include "multiplayer/message_queue.h"

namespace qv::multiplayer {

namespace {

bool Matches(int32_t filter, const Record& r) { return filter == 0 || (filter > 0 && r.player == filter); }

}  // namespace

bool MessageQueue::Append(Record r) {
  if (records_.size() >= kCapacity) Compact();
  if (records_.size() >= kCapacity) return false;
  records_.push_back(Entry{std::move(r), false});
  return true;
}

bool MessageQueue::Take(int32_t player, Record& out) {
  for (size_t i = firstUnread_; i < records_.size(); ++i) {
    Entry& e = records_[i];
    if (e.read || !Matches(player, e.record)) continue;
    e.read = true;
    out = e.record;
    while (firstUnread_ < records_.size() && records_[firstUnread_].read) ++firstUnread_;
    return true;
  }
  return false;
}

int32_t MessageQueue::Count(int32_t player) const {
  int32_t n = 0;
  for (size_t i = firstUnread_; i < records_.size(); ++i)
    if (!records_[i].read && Matches(player, records_[i].record)) ++n;
  return n;
}

void MessageQueue::Clear(int32_t player) {
  for (size_t i = firstUnread_; i < records_.size(); ++i)
    if (Matches(player, records_[i].record)) records_[i].read = true;
  Compact();
}

void MessageQueue::Compact() {
  size_t to = 0;
  for (size_t i = firstUnread_; i < records_.size(); ++i)
    if (!records_[i].read) {
      if (to != i) records_[to] = std::move(records_[i]);
      ++to;
    }
  records_.resize(to);
  firstUnread_ = 0;
}

}  // namespace qv::multiplayer
