// The built-in function families of sound and CD audio.
#pragma once

#include "code/builtin.h"

namespace qv::sound {

// sound_* (33 functions).
code::BuiltinFamily SoundFunctions();
// cd_* (18 functions) and MCI_command.
code::BuiltinFamily CdFunctions();

}  // namespace qv::sound
