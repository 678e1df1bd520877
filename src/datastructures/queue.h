// CDS_Queue: values enqueued at the tail and dequeued at the head of one array.
//
// Invariant: 0 <= head <= tail <= capacity (= values.size()). The array grows by 16 slots when
// tail reaches its end. Dequeued slots keep their old values until overwritten: the record holds
// the whole array (slots before head and after tail included), so its bytes depend on them.
// After each dequeue, when head > 16 and head > tail div 2, the live values are copied down to
// the front (tail -= head, head = 0), leaving the old copies in the slots above the new tail.
// Record: 201, tail, head, capacity n, n values.
#pragma once

#include <vector>

#include "datastructures/record.h"

namespace qv::datastructures {

class CDS_Queue {
 public:
  static constexpr int32_t kGrowth = 16;

  size_t size() const { return static_cast<size_t>(tail_ - head_); }
  // Empties the queue; the array keeps its slots (and their old values).
  void clear() { head_ = tail_ = 0; }
  void enqueue(RValue v);
  RValue dequeue();     // the real 0 when empty
  RValue head() const;  // the real 0 when empty
  RValue tail() const;  // the real 0 when empty

  int32_t headIndex() const { return head_; }
  int32_t tailIndex() const { return tail_; }
  size_t capacity() const { return values_.size(); }

  void write(CStream& s) const;
  static bool read(CStream& s, CDS_Queue& out);

 private:
  int32_t tail_ = 0;
  int32_t head_ = 0;
  std::vector<RValue> values_;
};

}  // namespace qv::datastructures
