// The host's game controllers through SDL's controller mappings (its own table, SDL_GAMECONTROLLERCONFIG,
// and a mappings file the caller names), read as one set of logical controls: every attached
// controller counts, so any of them can play. Directions come from the d-pad and the left stick.
#pragma once

#include <cstdint>
#include <string>

namespace qv::platform {

enum GamepadControl {
  kPadUp, kPadDown, kPadLeft, kPadRight,
  kPadA, kPadB, kPadX, kPadY,
  kPadStart, kPadBack, kPadLeftShoulder, kPadRightShoulder,
  kPadControlCount
};

// The controls held now, bit `1 << control`; 0 when there is no controller (or no joystick
// subsystem). Controllers plugged in or out between calls are noticed.
uint32_t ReadGamepadControls();

// Adds the mappings of a file in SDL's controller-database format; false when it cannot be read.
bool AddGamepadMappings(const std::string& path);

// The left stick counts as a direction beyond this share of its travel.
inline constexpr int kStickThreshold = 16384;

}  // namespace qv::platform
