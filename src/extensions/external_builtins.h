// The built-in functions that bind and call library functions from game code.
#pragma once

#include "code/builtin.h"

namespace qv::extensions {

code::BuiltinFamily ExternalFunctions();

}  // namespace qv::extensions
