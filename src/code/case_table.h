// CaseTable: the labels of a switch whose case labels are all constants, looked up instead of
// scanned. A scan stops at the first `default` or at the first label equal to the value, so the
// statement to start at is the earlier of the two; labels that are never reached (a second equal
// label) are left out. Real labels are kept either as a dense table (integers of a small range)
// or sorted; string labels make the interpreter scan for string values.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace qv::code {

struct Node;

struct CaseTable {
  // Child index of the first `default`, or 0 when there is none.
  int32_t firstDefault = 0;
  bool hasStringLabels = false;
  // Dense form: entry k holds the child index of the first case labelled `low + k`, or 0.
  double low = 0.0;
  std::vector<int32_t> dense;
  // Sorted form: (label, child index of its first case), ascending, one entry per label.
  std::vector<std::pair<double, int32_t>> sorted;

  // Child index of the first case labelled `value`, or 0.
  int32_t findReal(double value) const;
  // Child index of the statement before the first one to run for a real value, or 0 for none:
  // the earlier of the first matching case and the first default.
  int32_t startForReal(double value) const {
    const int32_t m = findReal(value);
    if (m == 0) return firstDefault;
    if (firstDefault == 0) return m;
    return m < firstDefault ? m : firstDefault;
  }
};

// The table of a switch node, or nullptr when some case label is not a constant.
std::unique_ptr<CaseTable> BuildCaseTable(const Node& switchNode);

}  // namespace qv::code
