// Joysticks as game code reads them: the first argument of every function picks the joystick (2
// the second, anything else the first), every read polls the device, and the raw ranges of the
// platform layer become directions, positions from -1 to 1 and point-of-view angles in degrees.
#pragma once

#include <functional>

#include "code/builtin.h"
#include "platform/joystick.h"

namespace qv::system {

// Where readings come from: the host's devices unless a test puts a stand-in here.
struct JoystickSource {
  std::function<bool(int device, platform::JoystickReading&)> read = platform::ReadJoystick;
  std::function<bool(int device, platform::JoystickCapabilities&)> capabilities =
      platform::ReadJoystickCapabilities;
};
JoystickSource& joystickSource();

// The device a joystick argument names: 2 is the second joystick (device 1), any other the first.
int JoystickDevice(int id);

// The keypad key code (97 to 105) of the stick's direction: centre 101, up-left 103, down-right 99.
int JoystickDirection(const platform::JoystickReading& r);

// `joystick_*`.
code::BuiltinFamily JoystickFunctions();

}  // namespace qv::system
