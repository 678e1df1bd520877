// The priority queue's indexed answers against the literal scan over the array, on priorities
// that include near-equal reals (closer than the tolerance), strings, -0 and NaN.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "code/random.h"
#include "datastructures/compare.h"
#include "datastructures/priority.h"

using qv::code::RandomInteger;
using qv::code::RValue;
using qv::datastructures::CDS_Priority;
using qv::datastructures::CompareValues;

namespace {

// The array with its literal rules: scan keeping the first strictly better; move the last into a hole.
struct Oracle {
  std::vector<std::pair<RValue, RValue>> entries;
  int64_t extreme(bool greatest) const {
    if (entries.empty()) return -1;
    size_t best = 0;
    for (size_t i = 1; i < entries.size(); ++i)
      if (CompareValues(entries[i].second, entries[best].second) == (greatest ? 1 : -1)) best = i;
    return int64_t(best);
  }
  RValue remove(int64_t pos) {
    if (pos < 0) return {};
    RValue v = entries[size_t(pos)].first;
    entries[size_t(pos)] = entries.back();
    entries.pop_back();
    return v;
  }
};

RValue randomPriority(double step) {
  switch (RandomInteger(10)) {
    case 0: return RValue(std::string(1, char('a' + RandomInteger(3))));
    case 1: return RValue(-0.0);
    case 2: return RandomInteger(20) == 0 ? RValue(double(NAN)) : RValue(0.0);
    default: return RValue(step * RandomInteger(8));
  }
}

bool same(const RValue& a, const RValue& b) {
  if (a.kind != b.kind) return false;
  if (a.isString()) return a.str == b.str;
  return (std::isnan(a.real) && std::isnan(b.real)) || (a.real == b.real && std::signbit(a.real) == std::signbit(b.real));
}

}  // namespace

TEST(PriorityOrder, IndexedAnswersMatchTheScan) {
  qv::code::RandomSetSeed(11);
  for (double step : {0.4e-8, 1.0}) {
    for (int round = 0; round < 60; ++round) {
      CDS_Priority queue;
      Oracle oracle;
      int serial = 0;
      for (int op = 0; op < 300; ++op) {
        uint32_t what = RandomInteger(10);
        if (what < 5) {
          RValue p = randomPriority(step);
          queue.add(double(serial), p);
          oracle.entries.emplace_back(double(serial), p);
          ++serial;
        } else if (what < 7) {
          bool greatest = what == 6;
          RValue expected = oracle.remove(oracle.extreme(greatest));
          RValue actual = greatest ? queue.deleteMax() : queue.deleteMin();
          ASSERT_TRUE(same(actual, expected)) << "step " << step << " op " << op;
        } else if (what < 9) {
          bool greatest = what == 8;
          int64_t at = oracle.extreme(greatest);
          RValue expected = at < 0 ? RValue() : oracle.entries[size_t(at)].first;
          ASSERT_TRUE(same(greatest ? queue.findMax() : queue.findMin(), expected)) << "op " << op;
        } else if (!oracle.entries.empty()) {
          // Change the priority of a value that is present (values are distinct serials).
          size_t i = RandomInteger(uint32_t(oracle.entries.size()));
          RValue p = randomPriority(step);
          queue.changePriority(oracle.entries[i].first, p);
          oracle.entries[i].second = p;
        }
        ASSERT_EQ(queue.size(), oracle.entries.size());
      }
    }
  }
}
