// Calls a built-in handler by name from its family table, as the interpreter will: the result
// starts as the real 0, and the argument count must match the table's (any count for -1).
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "code/builtin.h"
#include "code/errors.h"

namespace qv::testing {

inline code::RValue CallBuiltin(code::BuiltinFamily family, std::string_view name, std::vector<code::RValue> args = {}) {
  for (const code::BuiltinFunction& f : family) {
    if (name != f.name) continue;
    if (f.argumentCount != code::kAnyArguments && f.argumentCount != static_cast<int>(args.size()))
      throw std::logic_error(std::string(name) + " called with the wrong argument count");
    code::RValue result;
    code::BuiltinCall call{nullptr, nullptr, static_cast<int>(args.size()), args.data(), result};
    f.handler(call);
    return result;
  }
  throw std::logic_error("no built-in named " + std::string(name));
}

// The same, looking for the name in each of several families in turn.
inline code::RValue CallBuiltinIn(std::initializer_list<code::BuiltinFamily> families, std::string_view name,
                                  std::vector<code::RValue> args = {}) {
  for (code::BuiltinFamily family : families)
    for (const code::BuiltinFunction& f : family)
      if (name == f.name) return CallBuiltin(family, name, std::move(args));
  throw std::logic_error("no built-in named " + std::string(name));
}

// Forgets the last reported error, so that a test can see whether a call reports one.
inline void ClearErrors() {
  code::errorState().occurred = false;
  code::errorState().last.clear();
}

inline std::string LastError() { return code::errorState().occurred ? code::errorState().last : std::string(); }

}  // namespace qv::testing
