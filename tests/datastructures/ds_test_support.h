// Calls into the ds_* family with a clean set of containers per test.
#pragma once

#include <gtest/gtest.h>

#include "datastructures/builtins.h"
#include "support/builtin_call.h"

namespace qv::testing {

inline code::RValue Ds(const char* name, std::vector<code::RValue> args = {}) {
  return CallBuiltin(datastructures::DataStructureFunctions(), name, std::move(args));
}
inline double DsReal(const char* name, std::vector<code::RValue> args = {}) { return Ds(name, std::move(args)).real; }

class DataStructureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    datastructures::ResetDataStructures();
    ClearErrors();
  }
  void TearDown() override { datastructures::ResetDataStructures(); }
};

}  // namespace qv::testing
