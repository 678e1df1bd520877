// Built-in functions: the handler signature, argument helpers and the registration table entry.
//
// Every subsystem implements its family in its own builtins.cpp and ends it with one table of
// BuiltinFunction entries; the registry (code/registry) merges the tables at start-up.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "code/rounding.h"
#include "code/value.h"

namespace qv::code {

class CInstanceBase;

// One call of a built-in function. A handler reads its arguments, writes `result` (which starts as
// the real 0) and reports its own errors through ReportActionError; it returns nothing.
struct BuiltinCall {
  CInstanceBase* self;
  CInstanceBase* other;
  int argc;             // number of arguments actually given (0 to 16)
  const RValue* args;   // argc values
  RValue& result;

  // Arguments are taken from the field the function needs, without checking kinds.
  double real(int i) const { return args[i].real; }
  // A real argument rounded (ties to even), low 32 bits.
  int32_t integer(int i) const { return roundToInt32(args[i].real); }
  const std::string& string(int i) const { return args[i].str; }
  bool truth(int i) const { return args[i].isTrue(); }
};

using BuiltinHandler = void (*)(BuiltinCall& call);

// Argument count of a built-in: an exact number, or kAnyArguments for 0 to 16.
inline constexpr int kAnyArguments = -1;
inline constexpr int kMaxArguments = 16;

// The same function on real arguments, for numeric code: it has no effect, gives the handler's
// result, and returns false where the handler would report an error (the handler then runs and
// reports it). Only functions of their arguments alone have one.
using RealForm = bool (*)(const double* args, int count, double& out);

struct BuiltinFunction {
  const char* name;
  BuiltinHandler handler;
  int argumentCount;
  RealForm real = nullptr;
};

using BuiltinFamily = std::span<const BuiltinFunction>;

}  // namespace qv::code
