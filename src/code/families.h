// The list of built-in function families: each subsystem's table, one line per family.
#pragma once

#include <vector>

#include "code/builtin.h"

namespace qv::code {

std::vector<BuiltinFamily> AllFamilies();

// The families of the scripting subsystem itself.
BuiltinFamily ScriptFamily();   // script_*
BuiltinFamily DynamicFamily();  // execute_string, execute_file, variable_*, show_debug_message

}  // namespace qv::code
