#include "datastructures/list.h"

#include <algorithm>
#include <cmath>

#include "code/random.h"
#include "datastructures/compare.h"

namespace qv::datastructures {

void CDS_List::insert(int64_t pos, RValue v) {
  if (pos < 0 || pos > static_cast<int64_t>(values_.size())) return;
  values_.insert(values_.begin() + pos, std::move(v));
}

void CDS_List::replace(int64_t pos, RValue v) {
  if (valid(pos)) values_[static_cast<size_t>(pos)] = std::move(v);
}

void CDS_List::erase(int64_t pos) {
  if (valid(pos)) values_.erase(values_.begin() + pos);
}

int64_t CDS_List::findIndex(const RValue& v) const {
  for (size_t i = 0; i < values_.size(); ++i)
    if (CompareValues(values_[i], v) == 0) return static_cast<int64_t>(i);
  return -1;
}

RValue CDS_List::findValue(int64_t pos) const { return valid(pos) ? values_[static_cast<size_t>(pos)] : RValue(); }

void CDS_List::sort(bool ascending) { SortValues(values_, ascending); }

void CDS_List::shuffle() {
  auto count = static_cast<uint32_t>(values_.size());
  for (uint64_t k = 0; k < uint64_t{8} * count; ++k) {
    uint32_t i = code::RandomInteger(count);
    uint32_t j = code::RandomInteger(count);
    std::swap(values_[i], values_[j]);
  }
}

void CDS_List::write(CStream& s) const {
  s.WriteInteger(kListRecord);
  s.WriteInteger(static_cast<int32_t>(values_.size()));
  for (const RValue& v : values_) WriteValue(s, v);
}

bool CDS_List::read(CStream& s, CDS_List& out) {
  if (s.ReadInteger() != kListRecord) return false;
  int32_t count = ReadCount(s, 1);
  CDS_List fresh;
  fresh.values_.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) fresh.values_.push_back(ReadValue(s));
  out = std::move(fresh);
  return true;
}

namespace {

void insertionSort(std::vector<RValue>& values, bool ascending) {
  for (size_t i = 1; i < values.size(); ++i)
    for (size_t j = i; j > 0 && (CompareValues(values[j - 1], values[j]) > 0) == ascending; --j)
      std::swap(values[j - 1], values[j]);
}

// True when the tolerant comparison orders every pair of `sorted` (exactly sorted) as the exact
// order does: no NaN, and no neighbours that are tolerance-equal but not equal. Tolerance-equal
// pairs further apart always have such neighbours between them, because the tolerance of a pair
// never exceeds that of the pairs inside its span.
bool toleranceAgrees(const std::vector<RValue>& sorted) {
  for (size_t i = 0; i < sorted.size(); ++i) {
    const RValue& b = sorted[i];
    if (b.isReal() && std::isnan(b.real)) return false;
    if (i == 0) continue;
    const RValue& a = sorted[i - 1];
    if (a.isReal() && b.isReal() && a.real != b.real && CompareValues(a, b) == 0) return false;
  }
  return true;
}

}  // namespace

void SortValues(std::vector<RValue>& values, bool ascending) {
  if (values.size() < 2) return;
  std::vector<RValue> sorted = values;
  // Descending moves an element past its equals, which is a stable sort of the reversed input.
  if (!ascending) std::reverse(sorted.begin(), sorted.end());
  std::stable_sort(sorted.begin(), sorted.end(), [ascending](const RValue& a, const RValue& b) {
    return ascending ? ExactLess(a, b) : ExactLess(b, a);
  });
  if (toleranceAgrees(sorted)) {  // the check is symmetric, so either direction will do
    values = std::move(sorted);
    return;
  }
  insertionSort(values, ascending);
}

}  // namespace qv::datastructures
