#include "datastructures/compare.h"

namespace qv::datastructures {

bool ExactLess(const RValue& a, const RValue& b) {
  if (a.isReal() != b.isReal()) return a.isReal();
  if (a.isReal()) return a.real < b.real;
  return a.str < b.str;
}

}  // namespace qv::datastructures
