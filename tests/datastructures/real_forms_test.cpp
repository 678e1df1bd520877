// The real forms of the data structure reads (what numeric code calls) against their handlers:
// where a form answers, the handler gives the same real without an error; where it declines, the
// handler reports an error or gives a string.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ds_test_support.h"

namespace qv::testing {
namespace {

using code::RValue;

class RealForms : public DataStructureTest {};

TEST_F(RealForms, AgreeWithTheHandlersOrDecline) {
  // One container of each kind holding reals and a string, and one of each kind emptied.
  std::vector<double> ids;
  for (const char* kind : {"stack", "queue", "list", "map", "priority"}) {
    ids.push_back(DsReal(("ds_" + std::string(kind) + "_create").c_str()));
    ids.push_back(DsReal(("ds_" + std::string(kind) + "_create").c_str()));
  }
  const double list = ids[4], map = ids[6];
  for (double v : {3.0, -1.5}) Ds("ds_list_add", {list, v});
  Ds("ds_list_add", {list, "text"});
  Ds("ds_map_add", {map, 2.0, 20.0});
  Ds("ds_map_add", {map, 2.5, "text"});
  Ds("ds_map_add", {map, "key", 7.0});
  Ds("ds_stack_push", {ids[0], 1.0});
  Ds("ds_queue_enqueue", {ids[2], 1.0});
  Ds("ds_priority_add", {ids[8], 1.0, 1.0});
  const double grid = DsReal("ds_grid_create", {3.0, 2.0});
  Ds("ds_grid_set", {grid, 1.0, 1.0, 9.5});
  Ds("ds_grid_set", {grid, 2.0, 0.0, "text"});
  const double missing = 77;

  std::vector<double> containers = ids;
  containers.push_back(grid);
  containers.push_back(missing);
  containers.push_back(-1);
  const std::vector<double> keys = {-1, 0, 1, 1.4, 2, 2.5, 3, 1e12};

  int answered = 0, declined = 0;
  for (const code::BuiltinFunction& f : datastructures::DataStructureFunctions()) {
    if (!f.real) continue;
    for (double c : containers) {
      for (double x : keys) {
        for (double y : keys) {
          std::vector<RValue> args = {c, x, y};
          args.resize(static_cast<size_t>(f.argumentCount));
          std::vector<double> reals;
          for (const RValue& a : args) reals.push_back(a.real);
          double out = -12345;
          const bool ok = f.real(reals.data(), static_cast<int>(reals.size()), out);
          ClearErrors();
          const RValue expected = CallBuiltin(datastructures::DataStructureFunctions(), f.name, args);
          const std::string where = std::string(f.name) + "(" + std::to_string(c) + ", " + std::to_string(x) + ", " +
                                    std::to_string(y) + ")";
          if (ok) {
            ++answered;
            EXPECT_EQ(LastError(), "") << where;
            ASSERT_TRUE(expected.isReal()) << where;
            EXPECT_EQ(out, expected.real) << where;
          } else {
            ++declined;
            EXPECT_TRUE(!LastError().empty() || expected.isString()) << where;
          }
          if (f.argumentCount < 3) break;
        }
        if (f.argumentCount < 2) break;
      }
    }
  }
  EXPECT_GT(answered, 100);
  EXPECT_GT(declined, 20);
}

}  // namespace
}  // namespace qv::testing
