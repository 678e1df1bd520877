#include "code/real_to_string.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "code/rounding.h"

namespace qv::code {

namespace {

// Rounds a string of decimal digits (no sign, no point) at `keep` digits, half away from zero,
// returning the kept digits and whether a carry added a leading digit.
std::string roundDigits(const std::string& digits, size_t keep, bool& carried) {
  carried = false;
  if (digits.size() <= keep) return digits + std::string(keep - digits.size(), '0');
  std::string kept = digits.substr(0, keep);
  if (digits[keep] >= '5') {
    int i = static_cast<int>(keep) - 1;
    while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
    if (i < 0) {
      kept.insert(kept.begin(), '1');
      carried = true;
    } else {
      ++kept[static_cast<size_t>(i)];
    }
  }
  return kept;
}

}  // namespace

std::string RealToString(double x) {
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x > 0 ? "INF" : "-INF";
  int64_t whole = roundToInt64(x);
  if (whole != kIndefiniteInteger && static_cast<double>(whole) == x) return std::to_string(whole);

  // 17 significant digits hold the binary value exactly enough to round it in decimal.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.16e", std::fabs(x));
  std::string mantissa;
  for (const char* p = buf; *p && *p != 'e'; ++p)
    if (*p != '.') mantissa.push_back(*p);
  int exponent = std::atoi(std::strchr(buf, 'e') + 1);

  bool carried = false;
  std::string ten = roundDigits(mantissa, 10, carried);  // 10 significant digits
  if (carried) {
    ten.pop_back();
    ++exponent;
  }
  const char* sign = x < 0 ? "-" : "";
  int before = exponent + 1;  // digits before the point
  if (before > 10) {
    std::snprintf(buf, sizeof buf, "%s%c.%sE%c%02d", sign, ten[0], ten.substr(1).c_str(), exponent < 0 ? '-' : '+',
                  std::abs(exponent));
    return buf;
  }
  // Place the point, then round the decimal digits to 2 places.
  std::string intPart, fracPart;
  if (before <= 0) {
    intPart = "0";
    fracPart = std::string(static_cast<size_t>(-before), '0') + ten;
  } else {
    intPart = ten.substr(0, static_cast<size_t>(before));
    fracPart = ten.substr(static_cast<size_t>(before));
  }
  std::string all = intPart + fracPart;
  std::string rounded = roundDigits(all, intPart.size() + 2, carried);
  size_t intLen = intPart.size() + (carried ? 1 : 0);
  std::string out = rounded.substr(0, intLen) + "." + rounded.substr(intLen);
  // Strip leading zeros of the integer part but keep one.
  size_t firstNonZero = 0;
  while (firstNonZero + 1 < intLen && out[firstNonZero] == '0') ++firstNonZero;
  out.erase(0, firstNonZero);
  bool isZero = out.find_first_not_of("0.") == std::string::npos;
  return (isZero ? "" : sign) + out;
}

}  // namespace qv::code
