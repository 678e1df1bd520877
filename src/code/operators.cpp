#include "code/operators.h"

#include <cstring>
#include <string>

#include "code/rounding.h"
#include "code/tokens.h"

namespace qv::code {

namespace {

// Shift counts of 0..63 shift; 64..127 give 0 as the language defines; any other count (negative,
// or 128 and more) also gives 0 rather than an undefined native shift.
int64_t shiftLeft(int64_t v, int64_t count) {
  if (count < 0 || count > 63) return 0;
  return static_cast<int64_t>(static_cast<uint64_t>(v) << count);
}
int64_t shiftRight(int64_t v, int64_t count) {
  if (count < 0 || count > 63) return 0;
  return static_cast<int64_t>(static_cast<uint64_t>(v) >> count);
}

// Byte-wise ordinal comparison: negative, 0 or positive.
double compareStrings(const std::string& a, const std::string& b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
  if (c != 0) return c < 0 ? -1.0 : 1.0;
  if (a.size() == b.size()) return 0.0;
  return a.size() < b.size() ? -1.0 : 1.0;
}

bool compare(int32_t op, double d) {
  switch (op) {
    case tk_equal:
    case tk_assign: return d > -kCompareEpsilon && d < kCompareEpsilon;
    case tk_not_equal: return d < -kCompareEpsilon || d > kCompareEpsilon;
    case tk_less: return d < -kCompareEpsilon;
    case tk_less_equal: return d <= kCompareEpsilon;
    case tk_greater: return d > kCompareEpsilon;
    case tk_greater_equal: return d >= -kCompareEpsilon;
    default: return false;
  }
}

bool bothReal(const RValue& a, const RValue& b) { return a.isReal() && b.isReal(); }

}  // namespace

const char* ApplyBinary(int32_t op, RValue& left, const RValue& right) {
  switch (op) {
    case tk_plus:
      if (bothReal(left, right)) {
        left.real += right.real;
        return nullptr;
      }
      if (left.isString() && right.isString()) {
        if (left.str.size() + right.str.size() > kMaxStringLength) return kStringTooLongMessage;
        left.str += right.str;
        return nullptr;
      }
      return "Wrong type of arguments to +.";
    case tk_minus:
      if (!bothReal(left, right)) return "Wrong type of arguments to -.";
      left.real -= right.real;
      return nullptr;
    case tk_times:
      if (bothReal(left, right)) {
        left.real *= right.real;
        return nullptr;
      }
      if (left.isReal() && right.isString()) {
        const int64_t count = roundToInt64(left.real);
        std::string out;
        if (count > 0 && !right.str.empty()) {
          if (static_cast<uint64_t>(count) > kMaxStringLength / right.str.size())
            return kStringTooLongMessage;
          out.reserve(static_cast<size_t>(count) * right.str.size());
          for (int64_t i = 0; i < count; ++i) out += right.str;
        }
        left.setString(std::move(out));
        return nullptr;
      }
      return "Wrong type of arguments to *.";
    case tk_divide:
      if (!bothReal(left, right)) return "Wrong type of arguments to /.";
      if (right.real == 0.0) return "Division by 0.";
      left.real /= right.real;
      return nullptr;
    case tk_div:
      if (!bothReal(left, right)) return "Wrong type of arguments to div.";
      if (right.real == 0.0) return "Division by 0.";
      left.real = static_cast<double>(truncToInt32(left.real / right.real));
      return nullptr;
    case tk_mod: {
      if (!bothReal(left, right)) return "Wrong type of arguments to mod.";
      if (right.real == 0.0) return "Modulo by 0.";
      const double q = static_cast<double>(truncToInt32(left.real / right.real));
      left.real = left.real - q * right.real;
      return nullptr;
    }
    case tk_and:
      if (!bothReal(left, right)) return "Wrong type of arguments for &&.";
      left.real = truthValue(left.real >= 0.5 && right.real >= 0.5);
      return nullptr;
    case tk_or:
      if (!bothReal(left, right)) return "Wrong type of arguments for ||.";
      left.real = truthValue(left.real >= 0.5 || right.real >= 0.5);
      return nullptr;
    case tk_xor:
      if (!bothReal(left, right)) return "Wrong type of arguments for ^^.";
      left.real = truthValue((left.real >= 0.5) != (right.real >= 0.5));
      return nullptr;
    case tk_bit_or:
      if (!bothReal(left, right)) return "Wrong type of arguments for |.";
      left.real = static_cast<double>(roundToInt64(left.real) | roundToInt64(right.real));
      return nullptr;
    case tk_bit_and:
      if (!bothReal(left, right)) return "Wrong type of arguments for &.";
      left.real = static_cast<double>(roundToInt64(left.real) & roundToInt64(right.real));
      return nullptr;
    case tk_bit_xor:
      if (!bothReal(left, right)) return "Wrong type of arguments for ^.";
      left.real = static_cast<double>(roundToInt64(left.real) ^ roundToInt64(right.real));
      return nullptr;
    case tk_shift_left:
      if (!bothReal(left, right)) return "Wrong type of arguments for <<.";
      left.real = static_cast<double>(shiftLeft(roundToInt64(left.real), roundToInt64(right.real)));
      return nullptr;
    case tk_shift_right:
      if (!bothReal(left, right)) return "Wrong type of arguments for >>.";
      left.real = static_cast<double>(shiftRight(roundToInt64(left.real), roundToInt64(right.real)));
      return nullptr;
    case tk_less:
    case tk_less_equal:
    case tk_equal:
    case tk_assign:
    case tk_not_equal:
    case tk_greater_equal:
    case tk_greater: {
      double d;
      if (bothReal(left, right)) d = left.real - right.real;
      else if (left.isString() && right.isString()) d = compareStrings(left.str, right.str);
      else return "Cannot compare arguments.";
      left.setReal(truthValue(compare(op, d)));
      return nullptr;
    }
    default:
      return "Internal error: unknown binary operator.";
  }
}

const char* ApplyUnary(int32_t op, RValue& value) {
  switch (op) {
    case tk_not:
    case tk_minus:
    case tk_plus:
    case tk_bit_not:
      break;
    default:
      return "Internal error: unknown unary operator.";
  }
  if (!value.isReal()) return "Wrong type of arguments to unary operator.";
  switch (op) {
    case tk_not: value.real = truthValue(value.real < 0.5); break;
    case tk_minus: value.real = -value.real; break;
    case tk_bit_not: value.real = static_cast<double>(~roundToInt64(value.real)); break;
    default: break;
  }
  return nullptr;
}

}  // namespace qv::code
