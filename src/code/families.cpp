#include "code/families.h"

#include "code/date_builtins.h"
#include "code/math_builtins.h"
#include "code/string_builtins.h"

namespace qv::code {

std::vector<BuiltinFamily> CoreFamilies() {
  return {
      MathFunctions(),
      StringFunctions(),
      ScriptFamily(),
      DynamicFamily(),
      DateFunctions(),
  };
}

}  // namespace qv::code
