// Strings family. Sections: conversions; characters; positions and pieces; case and filters;
// search and replace; the registration table.
#include "code/string_builtins.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "code/errors.h"
#include "code/real_to_string.h"
#include "code/string_to_real.h"

namespace qv::code {

namespace {

// ---- conversions

void Real(BuiltinCall& c) {
  if (c.args[0].isReal()) {
    c.result = c.args[0].real;
    return;
  }
  double value = 0;
  if (!StringToReal(c.string(0), value)) {
    ReportActionError("Error in function real().");
    return;
  }
  c.result = value;
}

void String(BuiltinCall& c) {
  if (c.args[0].isString()) {
    c.result = c.args[0];
    return;
  }
  c.result = RealToString(c.real(0));
}

void StringFormat(BuiltinCall& c) {
  if (c.args[0].isString()) {
    c.result = c.args[0];
    return;
  }
  std::string out;
  if (!FormatReal(c.real(0), roundToInt64(c.real(1)), roundToInt64(c.real(2)), out)) out = "ERROR";
  c.result = std::move(out);
}

// ---- characters

void Chr(BuiltinCall& c) { c.result = std::string(1, static_cast<char>(c.integer(0) & 0xFF)); }
void Ord(BuiltinCall& c) {
  const std::string& s = c.string(0);
  c.result = s.empty() ? 0.0 : static_cast<double>(static_cast<unsigned char>(s[0]));
}

// ---- positions and pieces (index arithmetic in 64 bits so that no sum of two ints overflows)

void Length(BuiltinCall& c) { c.result = static_cast<double>(c.string(0).size()); }

void Pos(BuiltinCall& c) {
  const std::string& sub = c.string(0);
  if (sub.empty()) return;  // an empty text occurs nowhere, as string_count counts it
  size_t at = c.string(1).find(sub);
  c.result = at == std::string::npos ? 0.0 : static_cast<double>(at + 1);
}

// The piece from 1-based `index` (below 1 counts as 1), at most `count` characters.
std::string copyPiece(const std::string& s, int64_t index, int64_t count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > static_cast<int64_t>(s.size())) return {};
  return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Copy(BuiltinCall& c) { c.result = copyPiece(c.string(0), c.integer(1), c.integer(2)); }
void CharAt(BuiltinCall& c) { c.result = copyPiece(c.string(0), c.integer(1), 1); }

void Delete(BuiltinCall& c) {
  std::string s = c.string(0);
  int64_t index = c.integer(1), count = c.integer(2);
  if (index >= 1 && index <= static_cast<int64_t>(s.size()) && count > 0)
    s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
  c.result = std::move(s);
}

void Insert(BuiltinCall& c) {
  std::string s = c.string(1);
  int64_t index = std::clamp<int64_t>(c.integer(2), 1, static_cast<int64_t>(s.size()) + 1);
  s.insert(static_cast<size_t>(index - 1), c.string(0));
  c.result = std::move(s);
}

void Repeat(BuiltinCall& c) {
  const std::string& s = c.string(0);
  int64_t count = c.integer(1);
  if (count < 1 || s.empty()) {
    c.result = std::string();
    return;
  }
  if (static_cast<uint64_t>(count) > kMaxBuiltString / s.size()) {
    ReportActionError("Error in function string_repeat().");
    c.result = std::string();
    return;
  }
  std::string out;
  out.reserve(s.size() * static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) out += s;
  c.result = std::move(out);
}

// ---- case and filters: ASCII letters only, whatever the host's locale says

bool isUpper(char ch) { return ch >= 'A' && ch <= 'Z'; }
bool isLower(char ch) { return ch >= 'a' && ch <= 'z'; }
bool isLetter(char ch) { return isUpper(ch) || isLower(ch); }
bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

void Lower(BuiltinCall& c) {
  std::string s = c.string(0);
  for (char& ch : s)
    if (isUpper(ch)) ch = static_cast<char>(ch + ('a' - 'A'));
  c.result = std::move(s);
}
void Upper(BuiltinCall& c) {
  std::string s = c.string(0);
  for (char& ch : s)
    if (isLower(ch)) ch = static_cast<char>(ch - ('a' - 'A'));
  c.result = std::move(s);
}

template <bool (*keep)(char)>
void Filter(BuiltinCall& c) {
  std::string out;
  for (char ch : c.string(0))
    if (keep(ch)) out.push_back(ch);
  c.result = std::move(out);
}
bool isLetterOrDigit(char ch) { return isLetter(ch) || isDigit(ch); }

// ---- search and replace (case-sensitive; an empty search text matches nowhere, so that
// replace_all cannot loop forever)

std::string replaceText(const std::string& s, const std::string& sub, const std::string& with, bool all) {
  if (sub.empty()) return s;
  std::string out;
  size_t from = 0;
  for (;;) {
    size_t at = s.find(sub, from);
    if (at == std::string::npos) break;
    out.append(s, from, at - from);
    out += with;
    from = at + sub.size();
    if (!all) break;
  }
  out.append(s, from, std::string::npos);
  return out;
}

void Replace(BuiltinCall& c) { c.result = replaceText(c.string(0), c.string(1), c.string(2), false); }
void ReplaceAll(BuiltinCall& c) { c.result = replaceText(c.string(0), c.string(1), c.string(2), true); }

void Count(BuiltinCall& c) {
  const std::string& sub = c.string(0);
  const std::string& s = c.string(1);
  if (sub.empty()) return;
  double n = 0;
  for (size_t at = s.find(sub); at != std::string::npos; at = s.find(sub, at + sub.size())) ++n;
  c.result = n;
}

const BuiltinFunction kStringFunctions[] = {
    {"real", Real, 1},
    {"string", String, 1},
    {"string_format", StringFormat, 3},
    {"chr", Chr, 1},
    {"ord", Ord, 1},
    {"string_length", Length, 1},
    {"string_pos", Pos, 2},
    {"string_copy", Copy, 3},
    {"string_char_at", CharAt, 2},
    {"string_delete", Delete, 3},
    {"string_insert", Insert, 3},
    {"string_lower", Lower, 1},
    {"string_upper", Upper, 1},
    {"string_repeat", Repeat, 2},
    {"string_letters", Filter<isLetter>, 1},
    {"string_digits", Filter<isDigit>, 1},
    {"string_lettersdigits", Filter<isLetterOrDigit>, 1},
    {"string_replace", Replace, 3},
    {"string_replace_all", ReplaceAll, 3},
    {"string_count", Count, 2},
};

}  // namespace

// Fixed notation: the value is taken to 18 significant decimal digits (the digits a double can
// carry, and those the format always showed), then rounded half away from zero to `dec` decimals.
bool FormatReal(double x, int64_t tot, int64_t dec, std::string& out) {
  if (!std::isfinite(x)) return false;
  dec = std::clamp<int64_t>(dec, 0, 18);
  if (tot > static_cast<int64_t>(kMaxBuiltString)) return false;

  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17e", std::fabs(x));  // 18 significant digits
  std::string digits;
  for (const char* p = buf; *p && *p != 'e'; ++p)
    if (*p != '.') digits.push_back(*p);
  int exponent = std::atoi(std::strchr(buf, 'e') + 1);

  // Lay the digits out as integer part and fraction around the point.
  std::string intPart, fracPart;
  if (exponent < 0) {
    intPart = "0";
    fracPart = std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  } else if (static_cast<size_t>(exponent) + 1 >= digits.size()) {
    intPart = digits + std::string(static_cast<size_t>(exponent) + 1 - digits.size(), '0');
  } else {
    intPart = digits.substr(0, static_cast<size_t>(exponent) + 1);
    fracPart = digits.substr(static_cast<size_t>(exponent) + 1);
  }
  size_t keep = static_cast<size_t>(dec);
  bool roundUp = fracPart.size() > keep && fracPart[keep] >= '5';
  fracPart.resize(keep, '0');
  std::string number = intPart + fracPart;
  if (roundUp) {
    size_t i = number.size();
    while (i > 0 && number[i - 1] == '9') number[--i] = '0';
    if (i == 0) {
      number.insert(number.begin(), '1');
      intPart.push_back('0');  // only its length matters below
    } else {
      ++number[i - 1];
    }
  }
  std::string text = number.substr(0, intPart.size());
  if (keep > 0) text += "." + number.substr(intPart.size());
  bool zero = text.find_first_not_of("0.") == std::string::npos;
  if (x < 0 && !zero) text.insert(text.begin(), '-');
  if (tot > static_cast<int64_t>(text.size())) text.insert(0, static_cast<size_t>(tot) - text.size(), ' ');
  out = std::move(text);
  return true;
}

BuiltinFamily StringFunctions() { return kStringFunctions; }

}  // namespace qv::code
