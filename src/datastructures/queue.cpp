#include "datastructures/queue.h"

namespace qv::datastructures {

void CDS_Queue::enqueue(RValue v) {
  if (static_cast<size_t>(tail_) == values_.size()) values_.resize(values_.size() + kGrowth);
  values_[static_cast<size_t>(tail_++)] = std::move(v);
}

RValue CDS_Queue::dequeue() {
  if (head_ == tail_) return {};
  RValue v = values_[static_cast<size_t>(head_++)];
  if (head_ > 16 && head_ > tail_ / 2) {
    for (int32_t i = head_; i < tail_; ++i) values_[static_cast<size_t>(i - head_)] = values_[static_cast<size_t>(i)];
    tail_ -= head_;
    head_ = 0;
  }
  return v;
}

RValue CDS_Queue::head() const { return head_ == tail_ ? RValue() : values_[static_cast<size_t>(head_)]; }
RValue CDS_Queue::tail() const { return head_ == tail_ ? RValue() : values_[static_cast<size_t>(tail_ - 1)]; }

void CDS_Queue::write(CStream& s) const {
  s.WriteInteger(kQueueRecord);
  s.WriteInteger(tail_);
  s.WriteInteger(head_);
  s.WriteInteger(static_cast<int32_t>(values_.size()));
  for (const RValue& v : values_) WriteValue(s, v);
}

bool CDS_Queue::read(CStream& s, CDS_Queue& out) {
  if (s.ReadInteger() != kQueueRecord) return false;
  CDS_Queue fresh;
  fresh.tail_ = s.ReadInteger();
  fresh.head_ = s.ReadInteger();
  int32_t capacity = ReadCount(s, 1);
  // Positions outside the array would make the next enqueue or dequeue reach past it.
  if (fresh.head_ < 0 || fresh.head_ > fresh.tail_ || fresh.tail_ > capacity)
    throw data::StreamError("queue text holds head and tail outside its array");
  fresh.values_.reserve(static_cast<size_t>(capacity));
  for (int32_t i = 0; i < capacity; ++i) fresh.values_.push_back(ReadValue(s));
  out = std::move(fresh);
  return true;
}

}  // namespace qv::datastructures
