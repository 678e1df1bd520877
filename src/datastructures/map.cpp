#include "datastructures/map.h"

#include "datastructures/compare.h"

namespace qv::datastructures {

namespace {
// Ranges narrower than this are scanned instead of halved.
constexpr int64_t kScanSpan = 8;
}  // namespace

int64_t CDS_Map::lower(const RValue& key) const {
  int64_t lo = 0, hi = static_cast<int64_t>(entries_.size()) - 1;
  while (hi - lo + 1 >= kScanSpan) {
    int64_t mid = (lo + hi) / 2;
    if (CompareValues(entries_[static_cast<size_t>(mid)].key, key) < 0) lo = mid + 1;
    else hi = mid;
  }
  for (int64_t i = lo; i <= hi; ++i)
    if (CompareValues(entries_[static_cast<size_t>(i)].key, key) >= 0) return i;
  return -1;
}

int64_t CDS_Map::upper(const RValue& key) const {
  int64_t lo = 0, hi = static_cast<int64_t>(entries_.size()) - 1;
  while (hi - lo + 1 >= kScanSpan) {
    int64_t mid = (lo + hi + 1) / 2;
    if (CompareValues(entries_[static_cast<size_t>(mid)].key, key) > 0) hi = mid - 1;
    else lo = mid;
  }
  for (int64_t i = hi; i >= lo; --i)
    if (CompareValues(entries_[static_cast<size_t>(i)].key, key) <= 0) return i;
  return -1;
}

int64_t CDS_Map::equalAt(const RValue& key) const {
  int64_t pos = lower(key);
  return pos >= 0 && CompareValues(entries_[static_cast<size_t>(pos)].key, key) == 0 ? pos : -1;
}

RValue CDS_Map::keyAt(int64_t pos) const {
  return pos >= 0 && pos < static_cast<int64_t>(entries_.size()) ? entries_[static_cast<size_t>(pos)].key : RValue();
}

void CDS_Map::add(RValue key, RValue value) {
  int64_t at = upper(key) + 1;
  entries_.insert(static_cast<size_t>(at), Entry{std::move(key), std::move(value)});
}

void CDS_Map::replace(const RValue& key, RValue value) {
  int64_t pos = equalAt(key);
  if (pos >= 0) entries_[static_cast<size_t>(pos)].value = std::move(value);
}

void CDS_Map::erase(const RValue& key) {
  int64_t pos = equalAt(key);
  if (pos >= 0) entries_.erase(static_cast<size_t>(pos));
}

bool CDS_Map::exists(const RValue& key) const { return equalAt(key) >= 0; }

RValue CDS_Map::findValue(const RValue& key) const {
  int64_t pos = equalAt(key);
  return pos >= 0 ? entries_[static_cast<size_t>(pos)].value : RValue();
}

RValue CDS_Map::findPrevious(const RValue& key) const {
  int64_t pos = lower(key);
  return keyAt(pos < 0 ? static_cast<int64_t>(entries_.size()) - 1 : pos - 1);
}

RValue CDS_Map::findNext(const RValue& key) const { return keyAt(upper(key) + 1); }
RValue CDS_Map::findFirst() const { return keyAt(0); }
RValue CDS_Map::findLast() const { return keyAt(static_cast<int64_t>(entries_.size()) - 1); }

void CDS_Map::write(CStream& s) const {
  s.WriteInteger(kMapRecord);
  s.WriteInteger(static_cast<int32_t>(entries_.size()));
  entries_.forEach([&](const Entry& e) { WriteValue(s, e.key); });
  entries_.forEach([&](const Entry& e) { WriteValue(s, e.value); });
}

bool CDS_Map::read(CStream& s, CDS_Map& out) {
  if (s.ReadInteger() != kMapRecord) return false;
  int32_t count = ReadCount(s, 2);
  CDS_Map fresh;
  for (int32_t i = 0; i < count; ++i) fresh.entries_.push_back(Entry{ReadValue(s), RValue()});
  fresh.entries_.forEach([&](Entry& e) { e.value = ReadValue(s); });
  out = std::move(fresh);
  return true;
}

}  // namespace qv::datastructures
