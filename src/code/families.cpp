#include "code/families.h"

namespace qv::code {

// Registration order fixes the function indices; families are added here as their subsystems
// arrive.
std::vector<BuiltinFamily> AllFamilies() {
  return {
      ScriptFamily(),
      DynamicFamily(),
  };
}

}  // namespace qv::code
