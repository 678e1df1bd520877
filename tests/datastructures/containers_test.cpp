// The six container kinds through their built-in functions: ids, comparison, and the order rules
// of each kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "code/random.h"
#include "datastructures/compare.h"
#include "datastructures/list.h"
#include "ds_test_support.h"

using qv::code::RValue;
using qv::testing::DataStructureTest;
using qv::testing::Ds;
using qv::testing::DsReal;
using qv::testing::LastError;

using Ids = DataStructureTest;

TEST_F(Ids, LowestFreeSlotAndMissingIds) {
  EXPECT_EQ(DsReal("ds_list_create"), 0);
  EXPECT_EQ(DsReal("ds_list_create"), 1);
  EXPECT_EQ(DsReal("ds_list_create"), 2);
  EXPECT_EQ(DsReal("ds_map_create"), 0);  // each kind counts on its own
  Ds("ds_list_destroy", {2.0});
  Ds("ds_list_destroy", {0.0});
  EXPECT_EQ(DsReal("ds_list_create"), 0);
  EXPECT_EQ(DsReal("ds_list_create"), 2);
  EXPECT_EQ(DsReal("ds_list_create"), 3);
  EXPECT_EQ(LastError(), "");

  struct Call { const char* name; std::vector<RValue> args; };
  const Call calls[] = {
      {"ds_list_add", {9.0, 1.0}},         {"ds_list_size", {-1.0}},         {"ds_list_destroy", {4.0}},
      {"ds_stack_pop", {0.0}},             {"ds_map_find_value", {1.0, 1.0}}, {"ds_grid_get", {0.0, 0.0, 0.0}},
      {"ds_list_copy", {0.0, 7.0}},        {"ds_list_size", {4294967296.0}},  // no wrap onto id 0
      {"ds_queue_write", {0.0}},           {"ds_priority_find_min", {0.0}},
  };
  for (const Call& c : calls) {
    qv::testing::ClearErrors();
    RValue r = Ds(c.name, c.args);
    EXPECT_EQ(LastError(), "Data structure with index does not exist.") << c.name;
    EXPECT_TRUE(r.isReal() && r.real == 0) << c.name;
  }
}

using Comparison = DataStructureTest;

TEST_F(Comparison, ToleranceRules) {
  using qv::datastructures::CompareValues;
  EXPECT_EQ(CompareValues(0.1 + 0.2, 0.3), 0);
  EXPECT_EQ(CompareValues(1.0, 1.0 + 2e-8), -1);
  EXPECT_EQ(CompareValues(RValue("b"), RValue("a")), 1);
  EXPECT_EQ(CompareValues(RValue("\xE9"), RValue("z")), 1);  // bytes are unsigned
  EXPECT_EQ(CompareValues(1e9, RValue("")), -1);             // a real is below any string
  EXPECT_EQ(CompareValues(RValue(""), -1e9), 1);

  double id = DsReal("ds_list_create");
  Ds("ds_list_add", {id, 0.1 + 0.2});
  Ds("ds_list_add", {id, 1.0 + 1e-9});
  EXPECT_EQ(DsReal("ds_list_find_index", {id, 0.3}), 0);
  EXPECT_EQ(DsReal("ds_list_find_index", {id, 1.0}), 1);
  Ds("ds_set_precision", {0.0});
  EXPECT_EQ(CompareValues(1000000.0, 1000000.0000001), 0);  // relative tolerance
  EXPECT_EQ(CompareValues(1.0, 1.000001), -1);
  EXPECT_EQ(DsReal("ds_list_find_index", {id, 0.3}), 0);
  EXPECT_EQ(DsReal("ds_list_find_index", {id, 1.0}), -1);
  Ds("ds_set_precision", {-0.5});  // stored as its absolute value
  EXPECT_EQ(CompareValues(1.0, 1.4), 0);
}

using Stacks = DataStructureTest;

TEST_F(Stacks, PushPopTop) {
  double id = DsReal("ds_stack_create");
  EXPECT_EQ(DsReal("ds_stack_empty", {id}), 1);
  Ds("ds_stack_push", {id, 1.0});
  Ds("ds_stack_push", {id, RValue("two")});
  EXPECT_EQ(DsReal("ds_stack_size", {id}), 2);
  EXPECT_EQ(Ds("ds_stack_top", {id}).str, "two");
  EXPECT_EQ(Ds("ds_stack_pop", {id}).str, "two");
  EXPECT_EQ(DsReal("ds_stack_pop", {id}), 1);
  RValue none = Ds("ds_stack_pop", {id});
  EXPECT_TRUE(none.isReal() && none.real == 0);
  EXPECT_EQ(DsReal("ds_stack_empty", {id}), 1);
}

using Queues = DataStructureTest;

TEST_F(Queues, OrderAndCompaction) {
  double id = DsReal("ds_queue_create");
  for (int i = 1; i <= 20; ++i) Ds("ds_queue_enqueue", {id, double(i)});
  EXPECT_EQ(DsReal("ds_queue_head", {id}), 1);
  EXPECT_EQ(DsReal("ds_queue_tail", {id}), 20);
  for (int i = 1; i <= 18; ++i) ASSERT_EQ(DsReal("ds_queue_dequeue", {id}), i);
  EXPECT_EQ(DsReal("ds_queue_size", {id}), 2);
  // The compaction ran at the 17th dequeue: tail 3, head 1, and all 32 slots are written.
  std::string text = Ds("ds_queue_write", {id}).str;
  EXPECT_EQ(text.substr(0, 32), "C9000000" "03000000" "01000000" "20000000");
  EXPECT_EQ(text.size(), 32 + 32 * 32u);
  EXPECT_EQ(DsReal("ds_queue_dequeue", {id}), 19);
  EXPECT_EQ(DsReal("ds_queue_dequeue", {id}), 20);
  EXPECT_EQ(DsReal("ds_queue_empty", {id}), 1);
  EXPECT_EQ(DsReal("ds_queue_dequeue", {id}), 0);
  EXPECT_EQ(DsReal("ds_queue_tail", {id}), 0);
}

using Lists = DataStructureTest;

TEST_F(Lists, PositionsAndFinds) {
  double id = DsReal("ds_list_create");
  Ds("ds_list_add", {id, RValue("a")});
  Ds("ds_list_add", {id, RValue("c")});
  Ds("ds_list_insert", {id, 1.0, RValue("b")});
  Ds("ds_list_insert", {id, 3.0, RValue("d")});   // at the end: allowed
  Ds("ds_list_insert", {id, 5.0, RValue("x")});   // beyond: nothing
  Ds("ds_list_insert", {id, -1.0, RValue("x")});
  Ds("ds_list_replace", {id, 4.0, RValue("x")});  // replace needs pos < size
  Ds("ds_list_delete", {id, 4.0});
  EXPECT_EQ(DsReal("ds_list_size", {id}), 4);
  EXPECT_EQ(DsReal("ds_list_find_index", {id, RValue("c")}), 2);
  EXPECT_EQ(DsReal("ds_list_find_index", {id, RValue("x")}), -1);
  Ds("ds_list_replace", {id, 0.0, 5.0});
  Ds("ds_list_delete", {id, 1.0});
  EXPECT_EQ(DsReal("ds_list_find_value", {id, 0.0}), 5);
  EXPECT_EQ(Ds("ds_list_find_value", {id, 1.0}).str, "c");
  EXPECT_EQ(DsReal("ds_list_find_value", {id, 9.0}), 0);
  Ds("ds_list_clear", {id});
  EXPECT_EQ(DsReal("ds_list_empty", {id}), 1);
}

TEST_F(Lists, SortMixedKindsAndEqualElements) {
  double id = DsReal("ds_list_create");
  for (RValue v : {RValue("b"), RValue(3.0), RValue("a"), RValue(-1.0), RValue(3.0)}) Ds("ds_list_add", {id, v});
  Ds("ds_list_sort", {id, 1.0});
  const char* ascending[] = {"-1", "3", "3", "a", "b"};
  for (int i = 0; i < 5; ++i) {
    RValue v = Ds("ds_list_find_value", {id, double(i)});
    EXPECT_EQ(v.isReal() ? std::to_string(int(v.real)) : v.str, ascending[i]);
  }
  // Equal elements: ascending keeps their order, descending reverses it (0 and -0 tell them apart).
  double eq = DsReal("ds_list_create");
  for (double v : {0.0, -0.0, 1.0}) Ds("ds_list_add", {eq, v});
  Ds("ds_list_sort", {eq, 1.0});
  EXPECT_FALSE(std::signbit(DsReal("ds_list_find_value", {eq, 0.0})));
  EXPECT_TRUE(std::signbit(DsReal("ds_list_find_value", {eq, 1.0})));
  Ds("ds_list_sort", {eq, 0.0});  // from 0, -0, 1
  EXPECT_EQ(DsReal("ds_list_find_value", {eq, 0.0}), 1);
  EXPECT_TRUE(std::signbit(DsReal("ds_list_find_value", {eq, 1.0})));
  EXPECT_FALSE(std::signbit(DsReal("ds_list_find_value", {eq, 2.0})));
}

// The literal insertion sort, as the oracle for the fast path and its fallback.
static void insertionSortOracle(std::vector<RValue>& v, bool ascending) {
  for (size_t i = 1; i < v.size(); ++i)
    for (size_t j = i; j > 0 && (qv::datastructures::CompareValues(v[j - 1], v[j]) > 0) == ascending; --j)
      std::swap(v[j - 1], v[j]);
}

TEST_F(Lists, SortMatchesInsertionOrderUnderTolerance) {
  // Values on a grid finer than the tolerance make chains of near-equal reals, where the
  // insertion order is not that of any exact sort; coarse values take the fast path.
  qv::code::RandomSetSeed(99);
  for (double step : {0.6e-8, 1.0, 0.25}) {
    for (int round = 0; round < 200; ++round) {
      std::vector<RValue> values;
      int n = 1 + int(qv::code::RandomInteger(40));
      for (int i = 0; i < n; ++i) {
        uint32_t pick = qv::code::RandomInteger(12);
        if (pick == 0) values.emplace_back(std::string(1, char('a' + qv::code::RandomInteger(3))));
        else if (pick == 1) values.emplace_back(-0.0);
        else values.emplace_back(step * double(qv::code::RandomInteger(6)));
      }
      for (bool ascending : {true, false}) {
        std::vector<RValue> expected = values, actual = values;
        insertionSortOracle(expected, ascending);
        qv::datastructures::SortValues(actual, ascending);
        for (size_t i = 0; i < expected.size(); ++i) {
          ASSERT_EQ(actual[i].kind, expected[i].kind);
          ASSERT_EQ(actual[i].str, expected[i].str);
          if (actual[i].isReal()) {
            ASSERT_EQ(actual[i].real, expected[i].real) << "step " << step << " at " << i;
            ASSERT_EQ(std::signbit(actual[i].real), std::signbit(expected[i].real));
          }
        }
      }
    }
  }
}

TEST_F(Lists, ShuffleKeepsTheElements) {
  double id = DsReal("ds_list_create");
  for (int i = 0; i < 50; ++i) Ds("ds_list_add", {id, double(i)});
  Ds("ds_list_shuffle", {id});
  std::vector<double> seen;
  for (int i = 0; i < 50; ++i) seen.push_back(DsReal("ds_list_find_value", {id, double(i)}));
  bool moved = false;
  for (int i = 0; i < 50; ++i) moved |= seen[size_t(i)] != i;
  EXPECT_TRUE(moved);
  std::sort(seen.begin(), seen.end());
  for (int i = 0; i < 50; ++i) EXPECT_EQ(seen[size_t(i)], i);
}

using Maps = DataStructureTest;

TEST_F(Maps, DuplicateKeysAndNeighbours) {
  double id = DsReal("ds_map_create");
  Ds("ds_map_add", {id, RValue("k"), 1.0});
  Ds("ds_map_add", {id, RValue("k"), 2.0});  // both kept, newest last
  Ds("ds_map_add", {id, 5.0, RValue("five")});
  Ds("ds_map_add", {id, RValue("a"), 3.0});
  EXPECT_EQ(DsReal("ds_map_size", {id}), 4);
  EXPECT_EQ(DsReal("ds_map_find_value", {id, RValue("k")}), 1);  // the older entry
  Ds("ds_map_replace", {id, RValue("k"), 10.0});
  Ds("ds_map_replace", {id, RValue("zz"), 10.0});  // absent: no insertion
  EXPECT_EQ(DsReal("ds_map_size", {id}), 4);
  EXPECT_EQ(DsReal("ds_map_find_value", {id, RValue("k")}), 10);
  EXPECT_EQ(DsReal("ds_map_find_first", {id}), 5);      // reals before strings
  EXPECT_EQ(Ds("ds_map_find_last", {id}).str, "k");
  EXPECT_EQ(Ds("ds_map_find_next", {id, 5.0}).str, "a");
  EXPECT_EQ(Ds("ds_map_find_next", {id, RValue("b")}).str, "k");
  EXPECT_EQ(DsReal("ds_map_find_next", {id, RValue("k")}), 0);
  EXPECT_EQ(Ds("ds_map_find_previous", {id, RValue("k")}).str, "a");
  EXPECT_EQ(Ds("ds_map_find_previous", {id, RValue("zz")}).str, "k");  // past the end: the last key
  EXPECT_EQ(DsReal("ds_map_find_previous", {id, 5.0}), 0);
  Ds("ds_map_delete", {id, RValue("k")});
  EXPECT_EQ(DsReal("ds_map_find_value", {id, RValue("k")}), 2);  // the newer one remains
  EXPECT_EQ(DsReal("ds_map_exists", {id, RValue("a")}), 1);
  EXPECT_EQ(DsReal("ds_map_exists", {id, RValue("b")}), 0);
  RValue missing = Ds("ds_map_find_value", {id, RValue("b")});
  EXPECT_TRUE(missing.isReal() && missing.real == 0);
}

TEST_F(Maps, ManyKeysStaySortedAndFound) {
  double id = DsReal("ds_map_create");
  qv::code::RandomSetSeed(5);
  std::vector<int> keys(1000);
  for (int i = 0; i < 1000; ++i) keys[size_t(i)] = i * 3;
  for (size_t i = keys.size(); i > 1; --i) std::swap(keys[i - 1], keys[qv::code::RandomInteger(uint32_t(i))]);
  for (int k : keys) Ds("ds_map_add", {id, double(k), double(k) * 2});
  for (int k = 0; k < 3000; k += 3) ASSERT_EQ(DsReal("ds_map_find_value", {id, double(k)}), k * 2.0) << k;
  EXPECT_EQ(DsReal("ds_map_exists", {id, 301.0}), 0);
  EXPECT_EQ(DsReal("ds_map_find_next", {id, 301.0}), 303);
  EXPECT_EQ(DsReal("ds_map_find_previous", {id, 301.0}), 300);
  double key = DsReal("ds_map_find_first", {id});
  for (int k = 3; k < 3000; k += 3) {
    key = DsReal("ds_map_find_next", {id, key});
    ASSERT_EQ(key, k);
  }
}

using Priorities = DataStructureTest;

TEST_F(Priorities, EarliestOfEqualAndMoveLast) {
  double id = DsReal("ds_priority_create");
  Ds("ds_priority_add", {id, RValue("p3"), 3.0});
  Ds("ds_priority_add", {id, RValue("first1"), 1.0});
  Ds("ds_priority_add", {id, RValue("second1"), 1.0});
  EXPECT_EQ(Ds("ds_priority_find_min", {id}).str, "first1");
  EXPECT_EQ(Ds("ds_priority_delete_min", {id}).str, "first1");
  // The last entry moved into the freed place: the order is now p3, second1.
  std::string text = Ds("ds_priority_write", {id}).str;
  EXPECT_LT(text.find("7033"), text.find("7365636F6E6431"));  // "p3" before "second1"
  EXPECT_EQ(Ds("ds_priority_find_max", {id}).str, "p3");
  Ds("ds_priority_change_priority", {id, RValue("second1"), 7.0});
  EXPECT_EQ(DsReal("ds_priority_find_priority", {id, RValue("second1")}), 7);
  EXPECT_EQ(Ds("ds_priority_delete_max", {id}).str, "second1");
  Ds("ds_priority_delete_value", {id, RValue("p3")});
  EXPECT_EQ(DsReal("ds_priority_empty", {id}), 1);
  EXPECT_EQ(DsReal("ds_priority_delete_min", {id}), 0);
  EXPECT_EQ(DsReal("ds_priority_find_priority", {id, RValue("p3")}), 0);
}

using Grids = DataStructureTest;

TEST_F(Grids, CellsRegionsAndCombining) {
  double id = DsReal("ds_grid_create", {4.0, 3.0});
  EXPECT_EQ(DsReal("ds_grid_width", {id}), 4);
  EXPECT_EQ(DsReal("ds_grid_height", {id}), 3);
  Ds("ds_grid_set_region", {id, 5.0, 2.0, -3.0, 1.0, 2.0});  // clipped to x 0..3, y 1..2
  EXPECT_EQ(DsReal("ds_grid_get", {id, 0.0, 0.0}), 0);
  EXPECT_EQ(DsReal("ds_grid_get", {id, 3.0, 2.0}), 2);
  EXPECT_EQ(DsReal("ds_grid_get_sum", {id, 0.0, 0.0, 3.0, 2.0}), 16);
  Ds("ds_grid_multiply", {id, 0.0, 1.0, 5.0});
  Ds("ds_grid_add", {id, 1.0, 1.0, 0.5});
  Ds("ds_grid_set", {id, 2.0, 1.0, RValue("ab")});
  Ds("ds_grid_add", {id, 2.0, 1.0, RValue("cd")});    // strings join
  Ds("ds_grid_multiply", {id, 2.0, 1.0, 3.0});        // a string cell stays
  Ds("ds_grid_add", {id, 3.0, 1.0, RValue("s")});     // mixed kinds: the value replaces
  Ds("ds_grid_set", {id, 9.0, 9.0, 1.0});             // outside: nothing
  EXPECT_EQ(DsReal("ds_grid_get", {id, 0.0, 1.0}), 10);
  EXPECT_EQ(DsReal("ds_grid_get", {id, 1.0, 1.0}), 2.5);
  EXPECT_EQ(Ds("ds_grid_get", {id, 2.0, 1.0}).str, "abcd");
  EXPECT_EQ(Ds("ds_grid_get", {id, 3.0, 1.0}).str, "s");
  EXPECT_EQ(DsReal("ds_grid_get", {id, -1.0, 0.0}), 0);
  // Statistics over real cells only: row 1 holds 10, 2.5 and two strings.
  EXPECT_EQ(DsReal("ds_grid_get_max", {id, 0.0, 1.0, 3.0, 1.0}), 10);
  EXPECT_EQ(DsReal("ds_grid_get_min", {id, 0.0, 1.0, 3.0, 1.0}), 2.5);
  EXPECT_EQ(DsReal("ds_grid_get_mean", {id, 0.0, 1.0, 3.0, 1.0}), 6.25);
  EXPECT_EQ(DsReal("ds_grid_get_max", {id, 2.0, 1.0, 3.0, 1.0}), -100000000);
  EXPECT_EQ(DsReal("ds_grid_get_min", {id, 2.0, 1.0, 3.0, 1.0}), 100000000);
  EXPECT_EQ(DsReal("ds_grid_get_mean", {id, 2.0, 1.0, 3.0, 1.0}), 0);
  // Value searches scan x outer, y inner: row 2 holds 2 everywhere, so (0, 2) comes first.
  EXPECT_EQ(DsReal("ds_grid_value_exists", {id, 0.0, 0.0, 3.0, 2.0, 2.0}), 1);
  EXPECT_EQ(DsReal("ds_grid_value_x", {id, 0.0, 0.0, 3.0, 2.0, 2.0}), 0);
  EXPECT_EQ(DsReal("ds_grid_value_y", {id, 0.0, 0.0, 3.0, 2.0, 2.0}), 2);
  EXPECT_EQ(DsReal("ds_grid_value_x", {id, 3.0, 0.0, 1.0, 2.0, 2.0}), 1);
  EXPECT_EQ(DsReal("ds_grid_value_exists", {id, 0.0, 0.0, 3.0, 2.0, 99.0}), 0);
  Ds("ds_grid_clear", {id, RValue("z")});
  EXPECT_EQ(Ds("ds_grid_get", {id, 3.0, 2.0}).str, "z");
}

TEST_F(Grids, Disks) {
  double id = DsReal("ds_grid_create", {7.0, 7.0});
  Ds("ds_grid_set_disk", {id, 3.0, 3.0, 1.5, 1.0});  // the centre and its 8 neighbours
  EXPECT_EQ(DsReal("ds_grid_get_sum", {id, 0.0, 0.0, 6.0, 6.0}), 9);
  Ds("ds_grid_add_disk", {id, 0.0, 0.0, 1.0, 1.0});   // clipped: (0,0), (1,0), (0,1)
  EXPECT_EQ(DsReal("ds_grid_get_sum", {id, 0.0, 0.0, 6.0, 6.0}), 12);
  Ds("ds_grid_multiply_disk", {id, 3.0, 3.0, 0.5, 10.0});
  EXPECT_EQ(DsReal("ds_grid_get", {id, 3.0, 3.0}), 10);
  EXPECT_EQ(DsReal("ds_grid_get_disk_sum", {id, 3.0, 3.0, 1.0}), 14);  // centre and 4 edge cells
  EXPECT_EQ(DsReal("ds_grid_get_disk_max", {id, 3.0, 3.0, 1.0}), 10);
  EXPECT_EQ(DsReal("ds_grid_get_disk_min", {id, 3.0, 3.0, 1.0}), 1);
  EXPECT_EQ(DsReal("ds_grid_get_disk_mean", {id, 3.0, 3.0, 1.0}), 14.0 / 5);
  EXPECT_EQ(DsReal("ds_grid_value_disk_x", {id, 3.0, 3.0, 2.0, 1.0}), 2);  // (2,2) comes first
  EXPECT_EQ(DsReal("ds_grid_value_disk_y", {id, 3.0, 3.0, 2.0, 1.0}), 2);
  EXPECT_EQ(DsReal("ds_grid_value_disk_exists", {id, 6.0, 6.0, 1.0, 1.0}), 0);
  EXPECT_EQ(DsReal("ds_grid_get_disk_sum", {id, double(NAN), 3.0, 1.0}), 0);
  EXPECT_EQ(DsReal("ds_grid_get_disk_sum", {id, 3.0, 3.0, 1e300}), 21);  // the whole grid
}

TEST_F(Grids, GridRegionsResizeAndShuffle) {
  double id = DsReal("ds_grid_create", {5.0, 1.0});
  for (int x = 0; x < 5; ++x) Ds("ds_grid_set", {id, double(x), 0.0, double(x + 1)});  // 1 2 3 4 5
  // An overlapping copy inside one grid reads every source cell before writing.
  Ds("ds_grid_set_grid_region", {id, id, 0.0, 0.0, 3.0, 0.0, 1.0, 0.0});
  const double shifted[] = {1, 1, 2, 3, 4};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(DsReal("ds_grid_get", {id, double(x), 0.0}), shifted[x]);
  Ds("ds_grid_set_grid_region", {id, id, 1.0, 0.0, 4.0, 0.0, 0.0, 0.0});
  const double back[] = {1, 2, 3, 4, 4};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(DsReal("ds_grid_get", {id, double(x), 0.0}), back[x]);

  double other = DsReal("ds_grid_create", {3.0, 3.0});
  Ds("ds_grid_clear", {other, 10.0});
  Ds("ds_grid_add_grid_region", {other, id, 0.0, 0.0, 4.0, 0.0, -1.0, 2.0});  // clipped on both sides
  const double row[] = {12, 13, 14};
  for (int x = 0; x < 3; ++x) EXPECT_EQ(DsReal("ds_grid_get", {other, double(x), 2.0}), row[x]);
  Ds("ds_grid_multiply_grid_region", {other, id, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
  Ds("ds_grid_set_grid_region", {other, id, 0.0, 0.0, 4.0, 0.0, double(NAN), -1e300});  // far outside
  Ds("ds_grid_set_grid_region", {other, id, 0.0, 0.0, 4.0, 0.0, 3.0, 0.0});           // just outside
  EXPECT_EQ(DsReal("ds_grid_get", {other, 0.0, 0.0}), 10);

  Ds("ds_grid_resize", {id, 2.0, 2.0});
  EXPECT_EQ(DsReal("ds_grid_get", {id, 1.0, 0.0}), 2);  // kept
  EXPECT_EQ(DsReal("ds_grid_get", {id, 1.0, 1.0}), 0);  // new
  EXPECT_EQ(DsReal("ds_grid_get_sum", {id, 0.0, 0.0, 1.0, 1.0}), 3);
  Ds("ds_grid_resize", {id, -4.0, 2.0});
  EXPECT_EQ(DsReal("ds_grid_width", {id}), 0);

  qv::testing::ClearErrors();
  EXPECT_EQ(DsReal("ds_grid_create", {1e6, 1e6}), -1);  // beyond any memory: refused
  EXPECT_EQ(LastError(), "Data structure too large.");

  Ds("ds_grid_shuffle", {other});
  EXPECT_EQ(DsReal("ds_grid_get_sum", {other, 0.0, 0.0, 2.0, 2.0}), 10 * 6 + 12 + 13 + 14);
}

TEST_F(Queues, CopiesAreDeepAndSelfCopyIsNoOp) {
  double a = DsReal("ds_queue_create");
  for (int i = 0; i < 3; ++i) Ds("ds_queue_enqueue", {a, double(i)});
  Ds("ds_queue_copy", {a, a});
  EXPECT_EQ(DsReal("ds_queue_size", {a}), 3);
  double b = DsReal("ds_queue_create");
  Ds("ds_queue_copy", {b, a});
  EXPECT_EQ(Ds("ds_queue_write", {b}).str, Ds("ds_queue_write", {a}).str);  // capacity included
  Ds("ds_queue_dequeue", {b});
  EXPECT_EQ(DsReal("ds_queue_size", {a}), 3);
}
