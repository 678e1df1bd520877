// The game's built-in functions: every subsystem's family, in the order that fixes their indices.
#pragma once

#include <vector>

#include "code/builtin.h"

namespace qv::game {

std::vector<code::BuiltinFamily> GameFamilies();

// Makes the registry register GameFamilies() (before anything compiles code), and plain instance
// lists hold world instances, the records these built-ins work on.
void UseGameFamilies();

}  // namespace qv::game
