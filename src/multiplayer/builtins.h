// The mplay_* built-in functions.
#pragma once

#include "code/builtin.h"

namespace qv::multiplayer {

code::BuiltinFamily MultiplayerFunctions();

}  // namespace qv::multiplayer
