// The date and time family of built-in functions (`date_*`). Values are described in code/date.h.
#pragma once

#include "code/builtin.h"

namespace qv::code {

BuiltinFamily DateFunctions();

}  // namespace qv::code
