#include "platform/joystick.h"

#include <SDL.h>

#include <algorithm>

namespace qv::platform {

namespace {

// The joystick subsystem starts on first use; a host without one simply has no joysticks.
bool ready() {
  static const bool started = SDL_WasInit(SDL_INIT_JOYSTICK) != 0 || SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
  return started;
}

// The opened device of an index, reopened when it was unplugged and another took its place.
SDL_Joystick* open(int device) {
  static SDL_Joystick* opened[2] = {nullptr, nullptr};
  if (device < 0 || device > 1 || !ready()) return nullptr;
  SDL_JoystickUpdate();
  SDL_Joystick*& slot = opened[device];
  if (slot && !SDL_JoystickGetAttached(slot)) {
    SDL_JoystickClose(slot);
    slot = nullptr;
  }
  if (!slot && device < SDL_NumJoysticks()) slot = SDL_JoystickOpen(device);
  return slot;
}

uint32_t rawAxis(int16_t value) { return static_cast<uint32_t>(int32_t(value) + 32768); }

uint32_t rawPov(uint8_t hat) {
  switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return kPovCentred;
  }
}

}  // namespace

bool ReadJoystick(int device, JoystickReading& out) {
  SDL_Joystick* js = open(device);
  if (!js) return false;
  out = JoystickReading{};
  const int axes = std::min<int>(SDL_JoystickNumAxes(js), int(out.axes.size()));
  for (int a = 0; a < axes; ++a) out.axes[size_t(a)] = rawAxis(SDL_JoystickGetAxis(js, a));
  const int buttons = std::min(SDL_JoystickNumButtons(js), 32);
  for (int b = 0; b < buttons; ++b)
    if (SDL_JoystickGetButton(js, b)) out.buttons |= 1u << b;
  if (SDL_JoystickNumHats(js) > 0) out.pov = rawPov(SDL_JoystickGetHat(js, 0));
  return true;
}

bool ReadJoystickCapabilities(int device, JoystickCapabilities& out) {
  SDL_Joystick* js = open(device);
  if (!js) return false;
  const char* name = SDL_JoystickName(js);
  out.name = name ? name : "";
  out.axes = std::min(SDL_JoystickNumAxes(js), 6);
  out.buttons = std::min(SDL_JoystickNumButtons(js), 32);
  out.hasPov = SDL_JoystickNumHats(js) > 0;
  return true;
}

}  // namespace qv::platform
