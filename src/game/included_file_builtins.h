// export_include_file, export_include_file_location and discard_include_file.
#pragma once

#include "code/builtin.h"

namespace qv::game {

code::BuiltinFamily IncludedFileFunctions();

}  // namespace qv::game
