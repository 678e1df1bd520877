// Function actions as a game's objects hold them, for the action library's tests.
#pragma once

#include <string>
#include <vector>

#include "world/object.h"

namespace qv::world {

// A function action calling `name` with expression arguments, relative or not.
inline CAction act(const std::string& name, std::vector<std::string> args, bool relative = false) {
  CAction a;
  a.executionType = exec_function;
  a.functionName = name;
  a.mayBeRelative = true;
  a.relative = relative;
  a.argumentCount = static_cast<int32_t>(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    a.argumentKinds[i] = 0;  // expression
    a.argumentTexts[i] = args[i];
  }
  return a;
}

}  // namespace qv::world
