#include "datastructures/priority.h"

#include "datastructures/compare.h"

namespace qv::datastructures {

int64_t CDS_Priority::find(const RValue& value) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (CompareValues(entries_[i].value, value) == 0) return static_cast<int64_t>(i);
  return -1;
}

int64_t CDS_Priority::extreme(bool greatest) const {
  if (entries_.empty()) return -1;
  size_t best = 0;
  int wanted = greatest ? 1 : -1;
  for (size_t i = 1; i < entries_.size(); ++i)
    if (CompareValues(entries_[i].priority, entries_[best].priority) == wanted) best = i;
  return static_cast<int64_t>(best);
}

RValue CDS_Priority::valueAt(int64_t pos) const { return pos < 0 ? RValue() : entries_[static_cast<size_t>(pos)].value; }

RValue CDS_Priority::removeAt(int64_t pos) {
  if (pos < 0) return {};
  RValue value = std::move(entries_[static_cast<size_t>(pos)].value);
  if (static_cast<size_t>(pos) + 1 != entries_.size()) entries_[static_cast<size_t>(pos)] = std::move(entries_.back());
  entries_.pop_back();
  return value;
}

void CDS_Priority::changePriority(const RValue& value, RValue priority) {
  int64_t pos = find(value);
  if (pos >= 0) entries_[static_cast<size_t>(pos)].priority = std::move(priority);
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
  out = std::move(fresh);
  return true;
}

}  // namespace qv::datastructures
