// Mathematics family. Sections: types; random numbers; arithmetic; functions with domain checks;
// aggregates; geometry; the registration table.
#include "code/math_builtins.h"

#include <cmath>
#include <numbers>
#include <string>

#include "code/errors.h"
#include "code/random.h"
#include "code/rounding.h"

namespace qv::code {

namespace {

constexpr double kPi = std::numbers::pi;

// ---- types

void IsReal(BuiltinCall& c) { c.result = truthValue(c.args[0].isReal()); }
void IsString(BuiltinCall& c) { c.result = truthValue(c.args[0].isString()); }

// ---- random numbers

// floor(x) as the 32-bit integer that the integer draws count with.
int32_t floorToInt32(double x) { return truncToInt32(std::floor(x)); }

// An integer draw below a signed count taken as unsigned, read back signed.
double drawBelow(int64_t count) {
  return static_cast<int32_t>(RandomInteger(static_cast<uint32_t>(static_cast<uint64_t>(count))));
}

void Random(BuiltinCall& c) { c.result = RandomReal(c.real(0)); }
void RandomRange(BuiltinCall& c) { c.result = c.real(0) + RandomReal(c.real(1) - c.real(0)); }
void IRandom(BuiltinCall& c) { c.result = drawBelow(int64_t{floorToInt32(c.real(0))} + 1); }
void IRandomRange(BuiltinCall& c) {
  int64_t low = floorToInt32(c.real(0));
  int64_t high = floorToInt32(c.real(1));
  c.result = static_cast<double>(low) + drawBelow(high - low + 1);
}
void RandomSetSeedFn(BuiltinCall& c) { RandomSetSeed(static_cast<uint32_t>(c.integer(0))); }
void RandomGetSeed(BuiltinCall& c) { c.result = static_cast<int32_t>(RandomSeed()); }
void RandomizeFn(BuiltinCall&) { Randomize(); }
void Choose(BuiltinCall& c) {
  if (c.argc == 0) return;
  c.result = c.args[RandomInteger(static_cast<uint32_t>(c.argc))];
}

// ---- arithmetic

void Abs(BuiltinCall& c) { c.result = std::fabs(c.real(0)); }
void Sqr(BuiltinCall& c) { c.result = c.real(0) * c.real(0); }
void Frac(BuiltinCall& c) { c.result = c.real(0) - std::trunc(c.real(0)); }
void Round(BuiltinCall& c) { c.result = std::nearbyint(c.real(0)); }
void Floor(BuiltinCall& c) { c.result = floorToInt32(c.real(0)); }
void Ceil(BuiltinCall& c) { c.result = truncToInt32(std::ceil(c.real(0))); }
void Sign(BuiltinCall& c) {
  double x = c.real(0);
  c.result = x <= -1e-13 ? -1.0 : x < 1e-13 ? 0.0 : 1.0;
}
void Sqrt(BuiltinCall& c) {
  if (c.real(0) < 0) {
    ReportActionError("Cannot apply sqrt to negative number.");
    return;
  }
  c.result = std::sqrt(c.real(0));
}
void Sin(BuiltinCall& c) { c.result = std::sin(c.real(0)); }
void Cos(BuiltinCall& c) { c.result = std::cos(c.real(0)); }
void Tan(BuiltinCall& c) { c.result = std::tan(c.real(0)); }
void DegToRad(BuiltinCall& c) { c.result = c.real(0) * kPi / 180; }
void RadToDeg(BuiltinCall& c) { c.result = c.real(0) * 180 / kPi; }

// ---- functions with domain checks: an undefined result (NaN), a pole or an overflow (infinite)
// reports "Error in function <name>()." and leaves the result 0.

void checked(BuiltinCall& c, const char* name, double value) {
  if (!std::isfinite(value)) {
    ReportActionError(std::string("Error in function ") + name + "().");
    return;
  }
  c.result = value;
}

void Exp(BuiltinCall& c) { checked(c, "exp", std::exp(c.real(0))); }
void Ln(BuiltinCall& c) { checked(c, "ln", std::log(c.real(0))); }
void Log2(BuiltinCall& c) { checked(c, "log2", std::log2(c.real(0))); }
void Log10(BuiltinCall& c) { checked(c, "log10", std::log10(c.real(0))); }
void Logn(BuiltinCall& c) { checked(c, "logn", std::log2(c.real(1)) / std::log2(c.real(0))); }
void Power(BuiltinCall& c) { checked(c, "power", std::pow(c.real(0), c.real(1))); }
void ArcSin(BuiltinCall& c) { checked(c, "arcsin", std::asin(c.real(0))); }
void ArcCos(BuiltinCall& c) { checked(c, "arccos", std::acos(c.real(0))); }
void ArcTan(BuiltinCall& c) { checked(c, "arctan", std::atan(c.real(0))); }
void ArcTan2(BuiltinCall& c) { checked(c, "arctan2", std::atan2(c.real(0), c.real(1))); }

// ---- aggregates

// min and max walk the arguments keeping the best so far. Against a real best a string counts as
// 0; against a string best a real counts as the empty string. `better(a, b)` says a beats b.
template <bool kMax>
void pickExtreme(BuiltinCall& c, int count) {
  if (count == 0) return;
  const RValue* best = &c.args[0];
  for (int i = 1; i < count; ++i) {
    const RValue& v = c.args[i];
    bool wins;
    if (best->isReal()) {
      double x = v.isReal() ? v.real : 0.0;
      wins = kMax ? x > best->real : x < best->real;
    } else {
      static const std::string kEmpty;
      const std::string& s = v.isString() ? v.str : kEmpty;
      int cmp = s.compare(best->str);
      wins = kMax ? cmp > 0 : cmp < 0;
    }
    if (wins) best = &v;
  }
  c.result = *best;
}
void Min(BuiltinCall& c) { pickExtreme<false>(c, c.argc); }
void Max(BuiltinCall& c) { pickExtreme<true>(c, c.argc); }

// A string argument counts as 0 in sums and ranks.
double numeric(const RValue& v) { return v.isReal() ? v.real : 0.0; }

void Mean(BuiltinCall& c) {
  if (c.argc == 0) return;
  double sum = 0;
  for (int i = 0; i < c.argc; ++i) sum += numeric(c.args[i]);
  c.result = sum / c.argc;
}

// The first argument m (in argument order) with fewer than half of the arguments below it and at
// least half at most it; half is count / 2 unrounded. Sixteen arguments at most: quadratic is fine.
void Median(BuiltinCall& c) {
  double half = c.argc / 2.0;
  for (int i = 0; i < c.argc; ++i) {
    double m = numeric(c.args[i]);
    int below = 0, atMost = 0;
    for (int j = 0; j < c.argc; ++j) {
      double x = numeric(c.args[j]);
      below += x < m;
      atMost += x <= m;
    }
    if (below < half && atMost >= half) {
      c.result = c.args[i];
      return;
    }
  }
}

// ---- geometry

void PointDistanceFn(BuiltinCall& c) {
  double dx = c.real(2) - c.real(0), dy = c.real(3) - c.real(1);
  c.result = std::sqrt(dx * dx + dy * dy);
}
void PointDirectionFn(BuiltinCall& c) { c.result = PointDirection(c.real(0), c.real(1), c.real(2), c.real(3)); }
void LengthDirXFn(BuiltinCall& c) { c.result = LengthDirX(c.real(0), c.real(1)); }
void LengthDirYFn(BuiltinCall& c) { c.result = LengthDirY(c.real(0), c.real(1)); }

double snapToInteger(double r) {
  double n = std::nearbyint(r);
  return std::fabs(r - n) < 0.0001 ? n : r;
}

const BuiltinFunction kMathFunctions[] = {
    {"is_real", IsReal, 1},
    {"is_string", IsString, 1},
    {"random", Random, 1},
    {"random_range", RandomRange, 2},
    {"irandom", IRandom, 1},
    {"irandom_range", IRandomRange, 2},
    {"random_set_seed", RandomSetSeedFn, 1},
    {"random_get_seed", RandomGetSeed, 0},
    {"randomize", RandomizeFn, 0},
    {"abs", Abs, 1},
    {"round", Round, 1},
    {"floor", Floor, 1},
    {"ceil", Ceil, 1},
    {"sign", Sign, 1},
    {"frac", Frac, 1},
    {"sqrt", Sqrt, 1},
    {"sqr", Sqr, 1},
    {"exp", Exp, 1},
    {"ln", Ln, 1},
    {"log2", Log2, 1},
    {"log10", Log10, 1},
    {"sin", Sin, 1},
    {"cos", Cos, 1},
    {"tan", Tan, 1},
    {"arcsin", ArcSin, 1},
    {"arccos", ArcCos, 1},
    {"arctan", ArcTan, 1},
    {"arctan2", ArcTan2, 2},
    {"degtorad", DegToRad, 1},
    {"radtodeg", RadToDeg, 1},
    {"power", Power, 2},
    {"logn", Logn, 2},
    {"min", Min, kAnyArguments},
    {"max", Max, kAnyArguments},
    {"min3", Min, 3},
    {"max3", Max, 3},
    {"mean", Mean, kAnyArguments},
    {"median", Median, kAnyArguments},
    {"choose", Choose, kAnyArguments},
    {"point_distance", PointDistanceFn, 4},
    {"point_direction", PointDirectionFn, 4},
    {"lengthdir_x", LengthDirXFn, 2},
    {"lengthdir_y", LengthDirYFn, 2},
};

}  // namespace

double PointDirection(double x1, double y1, double x2, double y2) {
  double dx = x2 - x1, dy = y2 - y1;
  if (dx == 0) return dy > 0 ? 270.0 : dy < 0 ? 90.0 : 0.0;
  double angle = std::atan2(dy, dx) * 180 / kPi;
  return angle > 0 ? 360 - angle : 0.0 - angle;  // 0 - angle: never -0
}

double LengthDirX(double len, double dir) { return snapToInteger(len * std::cos(dir * kPi / 180)); }
double LengthDirY(double len, double dir) { return snapToInteger(-len * std::sin(dir * kPi / 180)); }

BuiltinFamily MathFunctions() { return kMathFunctions; }

}  // namespace qv::code
