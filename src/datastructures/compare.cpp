#include "datastructures/compare.h"

#include <algorithm>
#include <cmath>

namespace qv::datastructures {

namespace {
double precision = 1e-8;
}

double Precision() { return precision; }
void SetPrecision(double p) { precision = std::fabs(p); }

int CompareValues(const RValue& a, const RValue& b) {
  if (a.isReal()) {
    if (!b.isReal()) return -1;
    double tolerance = precision != 0 ? precision : std::max(std::min(std::fabs(a.real), std::fabs(b.real)) * 1e-12, 1e-12);
    if (std::fabs(a.real - b.real) <= tolerance) return 0;
    return a.real < b.real ? -1 : 1;
  }
  if (b.isReal()) return 1;
  int c = a.str.compare(b.str);  // char_traits<char>::compare orders bytes as unsigned
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool ExactLess(const RValue& a, const RValue& b) {
  if (a.isReal() != b.isReal()) return a.isReal();
  if (a.isReal()) return a.real < b.real;
  return a.str < b.str;
}

}  // namespace qv::datastructures
