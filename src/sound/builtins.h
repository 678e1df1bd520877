// The built-in function families of sound and CD audio.
#pragma once

#include "code/builtin.h"

namespace qv::sound {

// sound_* (33 functions).
code::BuiltinFamily SoundFunctions();
// cd_* (18 functions) and MCI_command.
code::BuiltinFamily CdFunctions();

// Makes the names of the game's sounds constants of game code (their indices).
void InstallSoundNames();

}  // namespace qv::sound
