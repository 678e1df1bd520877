// Built-in function families: which tables a program registers, and the language's own.
//
// The registry registers its families on first use. A program chooses the list first: the game's
// list (every subsystem's table) lives above every subsystem, qvscript keeps a short list of its
// own, and a program that chooses nothing gets the language's own families.
#pragma once

#include <vector>

#include "code/builtin.h"

namespace qv::code {

// Chooses the families that the registry registers, in order (the order fixes the function
// indices). Must come before the first registration; later it throws std::logic_error.
void SetBuiltinFamilies(std::vector<BuiltinFamily> families);

// The language's own families: maths, strings, scripts, dynamic code, dates.
std::vector<BuiltinFamily> CoreFamilies();

// The families of the scripting subsystem itself.
BuiltinFamily ScriptFamily();   // script_*
BuiltinFamily DynamicFamily();  // execute_string, execute_file, variable_*, show_debug_message

}  // namespace qv::code
