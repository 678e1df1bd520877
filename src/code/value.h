// RValue: the one value type of game code.
//
// Invariant: `kind` selects the field that carries the value; the other field is never read.
// The zero value is the real 0. Strings are byte strings in code page 1252 and are copied by value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace qv::code {

enum ValueKind : int32_t { ty_real = 0, ty_string = 1 };

struct RValue {
  ValueKind kind = ty_real;
  double real = 0.0;
  std::string str;

  RValue() = default;
  RValue(double r) : real(r) {}  // NOLINT(google-explicit-constructor): reals convert freely
  RValue(std::string s) : kind(ty_string), str(std::move(s)) {}  // NOLINT
  RValue(std::string_view s) : kind(ty_string), str(s) {}        // NOLINT
  RValue(const char* s) : kind(ty_string), str(s) {}             // NOLINT

  bool isReal() const { return kind == ty_real; }
  bool isString() const { return kind == ty_string; }

  void setReal(double r) { kind = ty_real; real = r; }
  void setString(std::string s) { kind = ty_string; str = std::move(s); }
  void setString(std::string_view s) { kind = ty_string; str.assign(s.data(), s.size()); }
  // Back to the zero value (the real 0).
  void clear() { kind = ty_real; real = 0.0; str.clear(); }

  // Truth: a real of 0.5 or more; a string is never true.
  bool isTrue() const { return kind == ty_real && real >= 0.5; }
};

// Copies a value; a real copies only its real (the string field of a real is never read), which
// keeps copies of reals free of string work.
inline void CopyValue(RValue& to, const RValue& from) {
  if (from.kind == ty_real) {
    to.kind = ty_real;
    to.real = from.real;
  } else {
    to = from;
  }
}

// Moves a value; a real moves only its real, as CopyValue copies it.
inline void MoveValue(RValue& to, RValue&& from) {
  if (from.kind == ty_real) {
    to.kind = ty_real;
    to.real = from.real;
  } else {
    to = std::move(from);
  }
}

// Truth values given to game code are the reals 1 and 0.
inline double truthValue(bool b) { return b ? 1.0 : 0.0; }

}  // namespace qv::code
