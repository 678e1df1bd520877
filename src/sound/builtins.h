// The built-in function families of sound and CD audio.
#pragma once

#include <cstdint>

#include "code/builtin.h"

namespace qv::sound {

// sound_* (33 functions).
code::BuiltinFamily SoundFunctions();
// cd_* (18 functions) and MCI_command.
code::BuiltinFamily CdFunctions();

struct CSound;
// A sound's back-end slot, preparing the sound when it is not prepared; -1 when it cannot be.
int SoundSlot(CSound& s);

// cd_present, cd_playing, cd_play, cd_stop, cd_pause and cd_resume.
bool CdPresent();
bool CdPlaying();
void CdPlay(int64_t first, int64_t last);
void CdStop();
void CdPause();
void CdResume();

// Makes the names of the game's sounds constants of game code (their indices).
void InstallSoundNames();

}  // namespace qv::sound
