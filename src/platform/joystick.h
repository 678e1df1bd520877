// The host's joysticks in the raw ranges game code was written against: axes from 0 to 65535 with
// the centre at 32767/32768, the point of view in hundredths of a degree clockwise from up (65535
// when centred), buttons as a bit mask (button 1 in bit 0). Devices 0 and 1 are the first and second
// joystick the host lists. Every call polls the device; nothing is cached between calls.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qv::platform {

inline constexpr uint32_t kPovCentred = 65535;

struct JoystickReading {
  std::array<uint32_t, 6> axes{32767, 32767, 32767, 32767, 32767, 32767};  // x, y, z, r, u, v
  uint32_t buttons = 0;
  uint32_t pov = kPovCentred;
};

struct JoystickCapabilities {
  std::string name;
  int axes = 0;
  int buttons = 0;
  bool hasPov = false;
};

// False when the device is not there or cannot be read.
bool ReadJoystick(int device, JoystickReading& out);
bool ReadJoystickCapabilities(int device, JoystickCapabilities& out);

}  // namespace qv::platform
