// The mathematics family: generator sequence, rounding rules, domain errors, aggregates, geometry.
#include "code/math_builtins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "code/random.h"
#include "support/builtin_call.h"

using qv::code::MathFunctions;
using qv::code::RValue;
using qv::testing::CallBuiltin;
using qv::testing::ClearErrors;
using qv::testing::LastError;

namespace {
RValue Call(const char* name, std::vector<RValue> args = {}) { return CallBuiltin(MathFunctions(), name, std::move(args)); }
double Math(const char* name, std::vector<RValue> args = {}) { return Call(name, std::move(args)).real; }
}  // namespace

TEST(Random, SequenceFromSeed) {
  Call("random_set_seed", {0.0});
  // Seeds after 0: 1, 134775814, 3698175007, 870078620, 1172187917.
  EXPECT_EQ(Math("random", {1.0}), 1.0 / 4294967296.0);
  EXPECT_EQ(Math("irandom", {9.0}), 0);  // high 32 bits of 10 * 134775814
  EXPECT_EQ(Math("irandom", {9.0}), 8);  // of 10 * 3698175007
  EXPECT_EQ(Math("random_get_seed"), -596792289.0);  // 3698175007 read as signed
  EXPECT_EQ(Math("irandom_range", {2.7, 5.2}), 2);  // floor 2 + (4 * 870078620 >> 32)
  EXPECT_EQ(Math("random_range", {10.0, 20.0}), 10 + 1172187917 / 4294967296.0 * 10);

  Call("random_set_seed", {12345.0});
  EXPECT_EQ(Math("random", {100.0}), 1655067934 / 4294967296.0 * 100);
  Call("random_set_seed", {-1.0});  // low 32 bits of the rounded value
  EXPECT_EQ(qv::code::RandomSeed(), 0xFFFFFFFFu);
}

TEST(Random, DrawsStayInRange) {
  Call("random_set_seed", {7.0});
  for (int i = 0; i < 2000; ++i) {
    double r = Math("irandom", {3.0});
    ASSERT_TRUE(r == 0 || r == 1 || r == 2 || r == 3) << r;
    double rr = Math("irandom_range", {2.7, 5.2});
    ASSERT_TRUE(rr >= 2 && rr <= 5 && rr == std::floor(rr)) << rr;
    double f = Math("random", {5.0});
    ASSERT_TRUE(f >= 0 && f < 5) << f;
  }
  // choose picks one of its own arguments, any kind; nothing gives 0.
  RValue picked = Call("choose", {RValue("a"), RValue("b")});
  EXPECT_TRUE(picked.isString() && (picked.str == "a" || picked.str == "b"));
  EXPECT_EQ(Math("choose"), 0);
}

TEST(MathFunctions, Arithmetic) {
  struct Case { const char* name; std::vector<RValue> args; double expected; };
  const Case cases[] = {
      {"round", {2.5}, 2},        {"round", {3.5}, 4},       {"round", {-2.5}, -2},
      {"floor", {-0.5}, -1},      {"ceil", {-0.5}, 0},       {"frac", {-2.75}, -0.75},
      {"floor", {4294967296.0 + 5.5}, 5},  // wraps to 32 bits
      {"sign", {1e-14}, 0},       {"sign", {-1e-13}, -1},    {"sign", {1e-13}, 1},
      {"abs", {-3.0}, 3},         {"sqr", {-3.0}, 9},        {"sqrt", {16.0}, 4},
      {"power", {2.0, 10.0}, 1024}, {"logn", {2.0, 8.0}, 3}, {"log10", {1000.0}, 3},
      {"arctan2", {1.0, 0.0}, M_PI / 2},  // y first
      {"degtorad", {180.0}, M_PI}, {"radtodeg", {M_PI}, 180},
      {"is_real", {1.0}, 1},      {"is_real", {RValue("1")}, 0}, {"is_string", {RValue("")}, 1},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(Math(c.name, c.args), c.expected) << c.name;
  EXPECT_FALSE(std::signbit(Math("ceil", {-0.5})));
}

TEST(MathFunctions, DomainErrorsReportAndGiveZero) {
  struct Case { const char* name; std::vector<RValue> args; const char* message; };
  const Case cases[] = {
      {"ln", {0.0}, "Error in function ln()."},
      {"ln", {-1.0}, "Error in function ln()."},
      {"log2", {-1.0}, "Error in function log2()."},
      {"log10", {0.0}, "Error in function log10()."},
      {"logn", {1.0, 5.0}, "Error in function logn()."},  // base 1: division by zero
      {"exp", {1000.0}, "Error in function exp()."},       // overflow
      {"power", {0.0, -1.0}, "Error in function power()."},
      {"power", {-8.0, 1.0 / 3}, "Error in function power()."},
      {"arcsin", {2.0}, "Error in function arcsin()."},
      {"arccos", {-1.5}, "Error in function arccos()."},
      {"sqrt", {-4.0}, "Cannot apply sqrt to negative number."},
  };
  for (const Case& c : cases) {
    ClearErrors();
    EXPECT_EQ(Math(c.name, c.args), 0) << c.name;
    EXPECT_EQ(LastError(), c.message) << c.name;
  }
  ClearErrors();
  EXPECT_EQ(Math("exp", {-1000.0}), 0);  // underflow is no error
  EXPECT_EQ(LastError(), "");
}

TEST(MathFunctions, MinMaxMixKinds) {
  RValue a = Call("min", {3.0, RValue("a")});  // "a" counts as 0 against 3 and wins
  EXPECT_TRUE(a.isString() && a.str == "a");
  RValue b = Call("min", {RValue("b"), RValue("a")});
  EXPECT_EQ(b.str, "a");
  RValue c = Call("max", {RValue("b"), 5.0, RValue("c")});  // 5 counts as "" against "b"
  EXPECT_EQ(c.str, "c");
  RValue d = Call("max", {-1.0, RValue("x"), -2.0});  // "x" counts as 0 and beats -1
  EXPECT_EQ(d.str, "x");
  EXPECT_EQ(Math("min3", {4.0, 2.0, 3.0}), 2);
  EXPECT_EQ(Math("max3", {4.0, 2.0, 9.0}), 9);
  EXPECT_EQ(Math("min"), 0);
}

TEST(MathFunctions, MeanAndMedian) {
  EXPECT_EQ(Math("mean", {1.0, 2.0, 6.0}), 3);
  EXPECT_EQ(Math("mean"), 0);
  EXPECT_EQ(Math("median", {1.0, 2.0, 3.0, 4.0}), 2);
  EXPECT_EQ(Math("median", {5.0, 1.0, 3.0}), 3);
  EXPECT_EQ(Math("median", {2.0, 2.0, 1.0}), 2);
  EXPECT_EQ(Math("median"), 0);
}

TEST(MathFunctions, Geometry) {
  struct Case { double x1, y1, x2, y2, direction; };
  const Case cases[] = {
      {0, 0, 0, 10, 270}, {0, 0, 10, -10, 45}, {0, 0, 10, 0, 0},  {0, 0, -10, 0, 180},
      {0, 0, 0, -5, 90},  {0, 0, 0, 0, 0},     {0, 0, 10, 10, 315}, {0, 0, -10, 10, 225},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(Math("point_direction", {c.x1, c.y1, c.x2, c.y2}), c.direction) << c.x2 << "," << c.y2;
  EXPECT_FALSE(std::signbit(Math("point_direction", {0.0, 0.0, 10.0, 0.0})));
  EXPECT_EQ(Math("point_distance", {1.0, 1.0, 4.0, 5.0}), 5);
  EXPECT_EQ(Math("lengthdir_x", {10.0, 90.0}), 0);  // snapped exactly
  EXPECT_EQ(Math("lengthdir_y", {10.0, 90.0}), -10);
  EXPECT_EQ(Math("lengthdir_x", {10.0, 180.0}), -10);
  EXPECT_DOUBLE_EQ(Math("lengthdir_x", {10.0, 45.0}), 10 * std::cos(M_PI / 4));
}
