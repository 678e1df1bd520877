#include "datastructures/priority.h"

#include <cmath>
#include <cstdint>
#include <iterator>

#include "datastructures/compare.h"

namespace qv::datastructures {

int64_t CDS_Priority::find(const RValue& value) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (CompareValues(entries_[i].value, value) == 0) return static_cast<int64_t>(i);
  return -1;
}

namespace {
bool isNan(const RValue& v) { return v.isReal() && std::isnan(v.real); }
}  // namespace

bool CDS_Priority::OrderLess::operator()(const OrderKey& a, const OrderKey& b) const {
  if (ExactLess(a.priority, b.priority)) return true;
  if (ExactLess(b.priority, a.priority)) return false;
  return a.position < b.position;
}

void CDS_Priority::indexAdd(int64_t pos) {
  const RValue& p = entries_[static_cast<size_t>(pos)].priority;
  if (isNan(p)) ++nanCount_;
  else order_.insert(OrderKey{p, pos});
}

void CDS_Priority::indexRemove(int64_t pos) {
  const RValue& p = entries_[static_cast<size_t>(pos)].priority;
  if (isNan(p)) --nanCount_;
  else order_.erase(OrderKey{p, pos});
}

void CDS_Priority::rebuildIndex() {
  order_.clear();
  nanCount_ = 0;
  for (size_t i = 0; i < entries_.size(); ++i) indexAdd(static_cast<int64_t>(i));
}

void CDS_Priority::clear() {
  entries_.clear();
  order_.clear();
  nanCount_ = 0;
}

void CDS_Priority::add(RValue value, RValue priority) {
  entries_.push_back(Entry{std::move(value), std::move(priority)});
  indexAdd(static_cast<int64_t>(entries_.size()) - 1);
}

int64_t CDS_Priority::extreme(bool greatest) const {
  if (entries_.empty()) return -1;
  if (nanCount_ == 0) {
    if (!greatest) {
      // The lowest position holding the exact least priority, unless the next distinct priority
      // lies within the tolerance of it.
      const OrderKey& least = *order_.begin();
      auto next = order_.upper_bound(OrderKey{least.priority, INT64_MAX});
      if (next == order_.end() || CompareValues(next->priority, least.priority) > 0) return least.position;
    } else {
      const OrderKey& top = *order_.rbegin();
      auto first = order_.lower_bound(OrderKey{top.priority, INT64_MIN});
      if (first == order_.begin() || CompareValues(top.priority, std::prev(first)->priority) > 0) return first->position;
    }
  }
  return scanExtreme(greatest);
}

int64_t CDS_Priority::scanExtreme(bool greatest) const {
  size_t best = 0;
  int wanted = greatest ? 1 : -1;
  for (size_t i = 1; i < entries_.size(); ++i)
    if (CompareValues(entries_[i].priority, entries_[best].priority) == wanted) best = i;
  return static_cast<int64_t>(best);
}

RValue CDS_Priority::valueAt(int64_t pos) const { return pos < 0 ? RValue() : entries_[static_cast<size_t>(pos)].value; }

RValue CDS_Priority::removeAt(int64_t pos) {
  if (pos < 0) return {};
  int64_t last = static_cast<int64_t>(entries_.size()) - 1;
  indexRemove(pos);
  RValue value = std::move(entries_[static_cast<size_t>(pos)].value);
  if (pos != last) {
    indexRemove(last);
    entries_[static_cast<size_t>(pos)] = std::move(entries_.back());
    entries_.pop_back();
    indexAdd(pos);
  } else {
    entries_.pop_back();
  }
  return value;
}

void CDS_Priority::changePriority(const RValue& value, RValue priority) {
  int64_t pos = find(value);
  if (pos < 0) return;
  indexRemove(pos);
  entries_[static_cast<size_t>(pos)].priority = std::move(priority);
  indexAdd(pos);
}

RValue CDS_Priority::findPriority(const RValue& value) const {
  int64_t pos = find(value);
  return pos < 0 ? RValue() : entries_[static_cast<size_t>(pos)].priority;
}

void CDS_Priority::deleteValue(const RValue& value) { removeAt(find(value)); }

void CDS_Priority::write(CStream& s) const {
  s.WriteInteger(kPriorityRecord);
  s.WriteInteger(static_cast<int32_t>(entries_.size()));
  for (const Entry& e : entries_) WriteValue(s, e.value);
  for (const Entry& e : entries_) WriteValue(s, e.priority);
}

bool CDS_Priority::read(CStream& s, CDS_Priority& out) {
  if (s.ReadInteger() != kPriorityRecord) return false;
  int32_t count = ReadCount(s, 2);
  CDS_Priority fresh;
  fresh.entries_.resize(static_cast<size_t>(count));
  for (Entry& e : fresh.entries_) e.value = ReadValue(s);
  for (Entry& e : fresh.entries_) e.priority = ReadValue(s);
  fresh.rebuildIndex();
  out = std::move(fresh);
  return true;
}

}  // namespace qv::datastructures
