// Mathematics family. Sections: types; random numbers; the real forms of numeric code;
// arithmetic; functions with domain checks; aggregates; geometry; the registration table.
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

// ---- real forms: numeric code calls these on real arguments directly (RealForm)

template <double (*F)(double)>
bool realOf1(const double* a, int, double& out) {
  out = F(a[0]);
  return true;
}
template <double (*F)(double, double)>
bool realOf2(const double* a, int, double& out) {
  out = F(a[0], a[1]);
  return true;
}
// The domain-checked functions below: a result that is not finite is the handler's error.
template <double (*F)(double)>
bool finiteOf1(const double* a, int, double& out) {
  out = F(a[0]);
  return std::isfinite(out);
}
template <double (*F)(double, double)>
bool finiteOf2(const double* a, int, double& out) {
  out = F(a[0], a[1]);
  return std::isfinite(out);
}
template <double (*F)(double)>
void unary(BuiltinCall& c) { c.result = F(c.real(0)); }

// ---- arithmetic

double absOf(double x) { return std::fabs(x); }
double sqrOf(double x) { return x * x; }
double fracOf(double x) { return x - std::trunc(x); }
double roundOf(double x) { return std::nearbyint(x); }
double floorOf(double x) { return floorToInt32(x); }
double ceilOf(double x) { return truncToInt32(std::ceil(x)); }
double signOf(double x) { return x <= -1e-13 ? -1.0 : x < 1e-13 ? 0.0 : 1.0; }
double sinOf(double x) { return std::sin(x); }
double cosOf(double x) { return std::cos(x); }
double tanOf(double x) { return std::tan(x); }
double degToRad(double x) { return x * kPi / 180; }
double radToDeg(double x) { return x * 180 / kPi; }

void Sqrt(BuiltinCall& c) {
  if (c.real(0) < 0) {
    ReportActionError("Cannot apply sqrt to negative number.");
    return;
  }
  c.result = std::sqrt(c.real(0));
}
bool sqrtReal(const double* a, int, double& out) {
  if (a[0] < 0) return false;
  out = std::sqrt(a[0]);
  return true;
}

// ---- functions with domain checks: an undefined result (NaN), a pole or an overflow (infinite)
// reports "Error in function <name>()." and leaves the result 0.

void checked(BuiltinCall& c, const char* name, double value) {
  if (!std::isfinite(value)) {
    ReportActionError(std::string("Error in function ") + name + "().");
    return;
  }
  c.result = value;
}

double expOf(double x) { return std::exp(x); }
double lnOf(double x) { return std::log(x); }
double log2Of(double x) { return std::log2(x); }
double log10Of(double x) { return std::log10(x); }
double lognOf(double n, double x) { return std::log2(x) / std::log2(n); }
double powerOf(double x, double n) { return std::pow(x, n); }
double arcSinOf(double x) { return std::asin(x); }
double arcCosOf(double x) { return std::acos(x); }
double arcTanOf(double x) { return std::atan(x); }
double arcTan2Of(double y, double x) { return std::atan2(y, x); }

void Exp(BuiltinCall& c) { checked(c, "exp", expOf(c.real(0))); }
void Ln(BuiltinCall& c) { checked(c, "ln", lnOf(c.real(0))); }
void Log2(BuiltinCall& c) { checked(c, "log2", log2Of(c.real(0))); }
void Log10(BuiltinCall& c) { checked(c, "log10", log10Of(c.real(0))); }
void Logn(BuiltinCall& c) { checked(c, "logn", lognOf(c.real(0), c.real(1))); }
void Power(BuiltinCall& c) { checked(c, "power", powerOf(c.real(0), c.real(1))); }
void ArcSin(BuiltinCall& c) { checked(c, "arcsin", arcSinOf(c.real(0))); }
void ArcCos(BuiltinCall& c) { checked(c, "arccos", arcCosOf(c.real(0))); }
void ArcTan(BuiltinCall& c) { checked(c, "arctan", arcTanOf(c.real(0))); }
void ArcTan2(BuiltinCall& c) { checked(c, "arctan2", arcTan2Of(c.real(0), c.real(1))); }

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
// The same walk over reals.
template <bool kMax>
bool extremeReal(const double* a, int count, double& out) {
  out = 0.0;
  if (count == 0) return true;
  out = a[0];
  for (int i = 1; i < count; ++i)
    if (kMax ? a[i] > out : a[i] < out) out = a[i];
  return true;
}

// A string argument counts as 0 in sums and ranks.
double numeric(const RValue& v) { return v.isReal() ? v.real : 0.0; }

void Mean(BuiltinCall& c) {
  if (c.argc == 0) return;
  double sum = 0;
  for (int i = 0; i < c.argc; ++i) sum += numeric(c.args[i]);
  c.result = sum / c.argc;
}
bool meanReal(const double* a, int count, double& out) {
  out = 0.0;
  if (count == 0) return true;
  double sum = 0;
  for (int i = 0; i < count; ++i) sum += a[i];
  out = sum / count;
  return true;
}

// The first argument m (in argument order) with fewer than half of the arguments below it and at
// least half at most it; half is count / 2 unrounded. Sixteen arguments at most: quadratic is fine.
template <class Value>
int medianAt(const Value& valueOf, int count) {
  double half = count / 2.0;
  for (int i = 0; i < count; ++i) {
    double m = valueOf(i);
    int below = 0, atMost = 0;
    for (int j = 0; j < count; ++j) {
      double x = valueOf(j);
      below += x < m;
      atMost += x <= m;
    }
    if (below < half && atMost >= half) return i;
  }
  return -1;
}
void Median(BuiltinCall& c) {
  const int i = medianAt([&](int k) { return numeric(c.args[k]); }, c.argc);
  if (i >= 0) c.result = c.args[i];
}
bool medianReal(const double* a, int count, double& out) {
  const int i = medianAt([&](int k) { return a[k]; }, count);
  out = i >= 0 ? a[i] : 0.0;
  return true;
}

// ---- geometry

double pointDistance(double x1, double y1, double x2, double y2) {
  double dx = x2 - x1, dy = y2 - y1;
  return std::sqrt(dx * dx + dy * dy);
}
void PointDistanceFn(BuiltinCall& c) { c.result = pointDistance(c.real(0), c.real(1), c.real(2), c.real(3)); }
void PointDirectionFn(BuiltinCall& c) { c.result = PointDirection(c.real(0), c.real(1), c.real(2), c.real(3)); }
void LengthDirXFn(BuiltinCall& c) { c.result = LengthDirX(c.real(0), c.real(1)); }
void LengthDirYFn(BuiltinCall& c) { c.result = LengthDirY(c.real(0), c.real(1)); }
template <double (*F)(double, double, double, double)>
bool realOf4(const double* a, int, double& out) {
  out = F(a[0], a[1], a[2], a[3]);
  return true;
}

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
    {"abs", unary<absOf>, 1, realOf1<absOf>},
    {"round", unary<roundOf>, 1, realOf1<roundOf>},
    {"floor", unary<floorOf>, 1, realOf1<floorOf>},
    {"ceil", unary<ceilOf>, 1, realOf1<ceilOf>},
    {"sign", unary<signOf>, 1, realOf1<signOf>},
    {"frac", unary<fracOf>, 1, realOf1<fracOf>},
    {"sqrt", Sqrt, 1, sqrtReal},
    {"sqr", unary<sqrOf>, 1, realOf1<sqrOf>},
    {"exp", Exp, 1, finiteOf1<expOf>},
    {"ln", Ln, 1, finiteOf1<lnOf>},
    {"log2", Log2, 1, finiteOf1<log2Of>},
    {"log10", Log10, 1, finiteOf1<log10Of>},
    {"sin", unary<sinOf>, 1, realOf1<sinOf>},
    {"cos", unary<cosOf>, 1, realOf1<cosOf>},
    {"tan", unary<tanOf>, 1, realOf1<tanOf>},
    {"arcsin", ArcSin, 1, finiteOf1<arcSinOf>},
    {"arccos", ArcCos, 1, finiteOf1<arcCosOf>},
    {"arctan", ArcTan, 1, finiteOf1<arcTanOf>},
    {"arctan2", ArcTan2, 2, finiteOf2<arcTan2Of>},
    {"degtorad", unary<degToRad>, 1, realOf1<degToRad>},
    {"radtodeg", unary<radToDeg>, 1, realOf1<radToDeg>},
    {"power", Power, 2, finiteOf2<powerOf>},
    {"logn", Logn, 2, finiteOf2<lognOf>},
    {"min", Min, kAnyArguments, extremeReal<false>},
    {"max", Max, kAnyArguments, extremeReal<true>},
    {"min3", Min, 3, extremeReal<false>},
    {"max3", Max, 3, extremeReal<true>},
    {"mean", Mean, kAnyArguments, meanReal},
    {"median", Median, kAnyArguments, medianReal},
    {"choose", Choose, kAnyArguments},
    {"point_distance", PointDistanceFn, 4, realOf4<pointDistance>},
    {"point_direction", PointDirectionFn, 4, realOf4<PointDirection>},
    {"lengthdir_x", LengthDirXFn, 2, realOf2<LengthDirX>},
    {"lengthdir_y", LengthDirYFn, 2, realOf2<LengthDirY>},
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
