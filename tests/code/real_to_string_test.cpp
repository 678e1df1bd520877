// The text form of reals that every function showing a value uses.
#include "code/real_to_string.h"

#include <gtest/gtest.h>

#include <cmath>

using qv::code::RealToString;

TEST(RealToString, Cases) {
  struct Case { double in; const char* out; };
  const Case cases[] = {
      {3, "3"},           {-7, "-7"},          {0, "0"},
      {2.5, "2.50"},      {1.0 / 3, "0.33"},   {2.675, "2.68"},  // decimal rounding, not binary
      {-0.001, "0.00"},   {-1.5, "-1.50"},     {0.999, "1.00"},
      {99.999, "100.00"}, {1e15 + 0.5, "1.000000000E+15"},
      {12345678901.25, "1.234567890E+10"},
      {1e300, "1.000000000E+300"},  // beyond 64 bits: not an integer
      {9007199254740993.0, "9007199254740992"},
      {0.005, "0.01"},    {-2.675, "-2.68"},   {1e-300, "0.00"},  {-0.0, "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(RealToString(c.in), c.out) << c.in;
  EXPECT_EQ(RealToString(NAN), "NAN");
  EXPECT_EQ(RealToString(-INFINITY), "-INF");
}
