#include "system/text_file_codec.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace qv::system {

namespace {
bool isLineEnd(char c) { return c == '\n' || c == '\r'; }
}  // namespace

double ReadTextReal(const PeekChar& peek, const NextChar& next) {
  double value = 0, sign = 1, divisor = 1;
  for (;;) {
    std::optional<char> p = peek();
    if (!p || isLineEnd(*p)) break;
    const char c = *next();
    if ((c == ' ' || c == '\t') && value == 0) continue;
    if (c == '-' && value == 0) {
      sign = -sign;
      continue;
    }
    if (c < '0' || c > '9') {
      if (c == '.' || c == ',') {
        divisor *= 10;
        continue;
      }
      break;  // the character that ends the number is consumed
    }
    const int digit = c - '0';
    if (divisor == 1) {
      value = 10 * value + digit;
    } else {
      value += digit / divisor;
      divisor *= 10;
    }
  }
  return sign * value;
}

std::string FormatTextReal(double x) {
  std::string out = " ";
  if (!std::isfinite(x)) return out + "0";  // nothing a reader could take back
  if (x < 0) out += '-';
  const double magnitude = std::fabs(x);
  double whole = std::floor(magnitude);
  // Integer parts beyond 64 bits are written in plain decimal without a fraction.
  if (whole >= 9.2e18) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.0f", whole);
    return out + buf;
  }
  const auto integer = static_cast<uint64_t>(whole);
  out += std::to_string(integer);
  const auto fraction = static_cast<int64_t>(std::floor((magnitude - whole) * 1000000.0));
  if (fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%06lld", static_cast<long long>(fraction));
    out += '.';
    out += digits;
  }
  return out;
}

double ParseIniReal(std::string_view text) {
  double mantissa = 0, fractionWeight = 0.1;
  int mantissaSign = 1, exponentSign = 1;
  long exponent = 0;
  bool inFraction = false, inExponent = false;
  for (char c : text) {
    if (c == '.' || c == ',') {
      if (inFraction || inExponent) break;
      inFraction = true;
    } else if (c == 'e' || c == 'E') {
      if (inExponent) break;
      inExponent = true;
    } else if (c == '-') {
      if (inExponent) exponentSign = -exponentSign;
      else mantissaSign = -mantissaSign;
    } else if (c >= '0' && c <= '9') {
      const int digit = c - '0';
      if (inExponent) {
        if (exponent < 100000) exponent = exponent * 10 + digit;  // beyond that it is 0 or inf anyway
      } else if (inFraction) {
        mantissa += digit * fractionWeight;
        fractionWeight /= 10;
      } else {
        mantissa = mantissa * 10 + digit;
      }
    } else {
      break;
    }
  }
  if (mantissa == 0) return mantissaSign * 0.0 + 0.0;
  return mantissaSign * mantissa * std::pow(10.0, static_cast<double>(exponentSign * exponent));
}

std::string FormatGeneralReal(double x) {
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
  std::string s(buf, end);
  // "1.5e+20" -> "1.5E20", "1e-05" -> "1E-5": no "+" (an INI reader would stop at it).
  size_t e = s.find('e');
  if (e == std::string::npos) return s;
  std::string mantissa = s.substr(0, e), exp = s.substr(e + 1);
  bool negative = !exp.empty() && exp[0] == '-';
  if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) exp.erase(0, 1);
  while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
  return mantissa + "E" + (negative ? "-" : "") + exp;
}

}  // namespace qv::system
