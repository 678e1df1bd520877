#include "code/case_table.h"

#include <algorithm>
#include <cmath>

#include "code/ccode.h"
#include "code/tokens.h"

namespace qv::code {

namespace {
// Dense tables are used while they hold at most this many entries per label (plus some slack for
// small sets), so a switch over a few scattered values does not take a large table.
constexpr size_t kDenseSpread = 4;
constexpr size_t kDenseSlack = 64;
// Labels beyond this magnitude are never stored densely (the offset must stay an exact integer).
constexpr double kDenseLimit = 1073741824.0;
}  // namespace

int32_t CaseTable::findReal(double value) const {
  if (!dense.empty()) {
    const double offset = value - low;
    if (!(offset >= 0.0 && offset < static_cast<double>(dense.size()))) return 0;
    const size_t k = static_cast<size_t>(offset);
    // Only an integer value can equal an integer label.
    return static_cast<double>(k) == offset ? dense[k] : 0;
  }
  auto it = std::lower_bound(sorted.begin(), sorted.end(), value,
                             [](const std::pair<double, int32_t>& e, double v) { return e.first < v; });
  return it != sorted.end() && it->first == value ? it->second : 0;
}

std::unique_ptr<CaseTable> BuildCaseTable(const Node& n) {
  auto table = std::make_unique<CaseTable>();
  std::vector<std::pair<double, int32_t>> labels;
  for (size_t i = 1; i < n.children.size(); ++i) {
    const Node& c = *n.children[i];
    const int32_t index = static_cast<int32_t>(i);
    if (c.kind == nk_default) {
      if (table->firstDefault == 0) table->firstDefault = index;
      continue;
    }
    if (c.kind != nk_case) continue;
    const Node& label = *c.children[0];
    if (label.kind != nk_constant) return nullptr;
    if (label.value.isString()) {
      table->hasStringLabels = true;
      continue;
    }
    const double v = label.value.real;
    if (std::isnan(v)) continue;  // equal to nothing
    labels.emplace_back(v + 0.0, index);  // -0 and 0 are one label
  }
  // Ascending by label, the first case first among equal labels; then one entry per label.
  std::stable_sort(labels.begin(), labels.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  labels.erase(std::unique(labels.begin(), labels.end(),
                           [](const auto& a, const auto& b) { return a.first == b.first; }),
               labels.end());
  if (labels.empty()) return table;
  const double low = labels.front().first;
  const double high = labels.back().first;
  bool integral = low > -kDenseLimit && high < kDenseLimit;
  for (const auto& l : labels) integral = integral && l.first == std::floor(l.first);
  if (integral && high - low < static_cast<double>(labels.size() * kDenseSpread + kDenseSlack)) {
    table->low = low;
    table->dense.assign(static_cast<size_t>(high - low) + 1, 0);
    for (const auto& l : labels) table->dense[static_cast<size_t>(l.first - low)] = l.second;
  } else {
    table->sorted = std::move(labels);
  }
  return table;
}

}  // namespace qv::code
