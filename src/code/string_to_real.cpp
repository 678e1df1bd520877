#include "code/string_to_real.h"

#include <charconv>

namespace qv::code {

namespace {
bool isBlank(unsigned char c) { return c <= ' '; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

bool StringToReal(std::string_view text, double& out) {
  out = 0;
  while (!text.empty() && isBlank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && isBlank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  if (text.empty()) return true;

  // Check the grammar ourselves: from_chars would also take "inf", "nan" and hexadecimal forms.
  size_t i = 0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  size_t start = i;
  size_t intDigits = 0, fracDigits = 0;
  while (i < text.size() && isDigit(text[i])) ++i, ++intDigits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && isDigit(text[i])) ++i, ++fracDigits;
  }
  if (intDigits + fracDigits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != text.size()) return false;

  std::string_view body = text.substr(start);
  double value = 0;
  auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Out of range either way: find which by the position of the first significant digit.
    long scale = 0;  // decimal position of the first non-zero digit relative to the point
    size_t p = 0;
    bool seenPoint = false, found = false;
    long before = 0;
    for (; p < body.size() && body[p] != 'e' && body[p] != 'E'; ++p) {
      if (body[p] == '.') { seenPoint = true; continue; }
      if (!found && body[p] != '0') { found = true; scale = seenPoint ? -before : 0; }
      if (!seenPoint && found) ++scale;
      if (seenPoint && !found) ++before;
    }
    long exponent = 0;  // saturated: only its sign against `scale` matters
    bool expNegative = false;
    for (size_t q = p + 1; q < body.size(); ++q) {
      if (body[q] == '-') expNegative = true;
      if (isDigit(body[q]) && exponent < 100000) exponent = exponent * 10 + (body[q] - '0');
    }
    if (expNegative) exponent = -exponent;
    if (found && scale + exponent > 0) return false;  // overflow
    value = 0;                                        // underflow
  } else if (ec != std::errc() || end != body.data() + body.size()) {
    return false;
  }
  out = negative ? -value : value;
  return true;
}

}  // namespace qv::code
