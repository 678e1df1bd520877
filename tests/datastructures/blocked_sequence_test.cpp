// BlockedSequence against std::vector under random inserts and erases that split and empty blocks.
#include "datastructures/blocked_sequence.h"

#include <gtest/gtest.h>

#include <vector>

#include "code/random.h"

TEST(BlockedSequence, MatchesVector) {
  qv::datastructures::BlockedSequence<int> seq;
  std::vector<int> ref;
  qv::code::RandomSetSeed(3);
  for (int step = 0; step < 20000; ++step) {
    // Grow for the first half, shrink for the second, so blocks both split and vanish.
    bool grow = step < 10000 ? qv::code::RandomInteger(4) != 0 : qv::code::RandomInteger(4) == 0;
    if (grow || ref.empty()) {
      size_t pos = qv::code::RandomInteger(static_cast<uint32_t>(ref.size() + 1));
      seq.insert(pos, step);
      ref.insert(ref.begin() + static_cast<std::ptrdiff_t>(pos), step);
    } else {
      size_t pos = qv::code::RandomInteger(static_cast<uint32_t>(ref.size()));
      seq.erase(pos);
      ref.erase(ref.begin() + static_cast<std::ptrdiff_t>(pos));
    }
    ASSERT_EQ(seq.size(), ref.size());
    if (step % 1000 == 0 || ref.size() < 3) {
      for (size_t i = 0; i < ref.size(); ++i) ASSERT_EQ(seq[i], ref[i]) << "step " << step << " at " << i;
      std::vector<int> visited;
      seq.forEach([&](int v) { visited.push_back(v); });
      ASSERT_EQ(visited, ref);
    }
  }
  seq.clear();
  EXPECT_TRUE(seq.empty());
}

// A sequence filled in order is read by division until it is edited away from its end; both
// access paths must agree with the reference through appends, erases at the end, a clear and
// refill, and then edits in the middle.
TEST(BlockedSequence, MatchesVectorWhenEditedMostlyAtTheEnd) {
  qv::datastructures::BlockedSequence<int> seq;
  std::vector<int> ref;
  qv::code::RandomSetSeed(11);
  auto check = [&](int step) {
    ASSERT_EQ(seq.size(), ref.size());
    for (size_t i = 0; i < ref.size(); ++i) ASSERT_EQ(seq[i], ref[i]) << "step " << step << " at " << i;
  };
  for (int round = 0; round < 2; ++round) {
    for (int step = 0; step < 3000; ++step) {
      const bool middle = step > 2000 && qv::code::RandomInteger(50) == 0;
      const bool grow = ref.empty() || qv::code::RandomInteger(5) != 0;
      size_t pos = middle ? qv::code::RandomInteger(static_cast<uint32_t>(ref.size())) : ref.size();
      if (grow) {
        seq.insert(pos, step);
        ref.insert(ref.begin() + static_cast<std::ptrdiff_t>(pos), step);
      } else {
        if (!middle) --pos;
        seq.erase(pos);
        ref.erase(ref.begin() + static_cast<std::ptrdiff_t>(pos));
      }
      if (step % 100 == 0 || middle) check(step);
    }
    check(-1);
    seq.clear();
    ref.clear();
  }
}
