// The one table from SDL key codes to the Windows virtual-key codes that games use (vk_left = 37,
// ord('A') = 65, vk_f1 = 112, ...). Left and right modifiers have their own codes; games that ask
// for the plain modifier (vk_shift = 16) get it through the key state functions.
#pragma once

namespace qv::platform {

// The virtual key for an SDL key code; 0 when the key has none.
int VirtualKeyFromSdl(int sdlKey);
// The SDL scancode of a virtual key (for reading SDL's current keyboard state); 0 when none.
int SdlScancodeFromVirtualKey(int vk);

// Whether the key is held right now according to SDL's keyboard state (16, 17 and 18 stand for
// either shift, control or alt key).
bool VirtualKeyHeldNow(int vk);
bool NumLockOn();
void SetNumLockState(bool on);

}  // namespace qv::platform
