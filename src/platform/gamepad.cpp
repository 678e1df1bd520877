#include "platform/gamepad.h"

#include <SDL.h>

#include <vector>

namespace qv::platform {

namespace {

bool ready() {
  static const bool started =
      SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0 || SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  return started;
}

// The opened controllers, kept open while attached; new ones are opened as they appear.
std::vector<SDL_GameController*>& opened() {
  static std::vector<SDL_GameController*> list;
  return list;
}

void refresh() {
  auto& list = opened();
  for (auto it = list.begin(); it != list.end();) {
    if (SDL_GameControllerGetAttached(*it)) {
      ++it;
    } else {
      SDL_GameControllerClose(*it);
      it = list.erase(it);
    }
  }
  const int count = SDL_NumJoysticks();
  for (int i = 0; i < count; ++i) {
    if (!SDL_IsGameController(i)) continue;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
    bool have = false;
    for (SDL_GameController* c : list)
      if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c)) == id) have = true;
    if (!have) {
      if (SDL_GameController* c = SDL_GameControllerOpen(i)) list.push_back(c);
    }
  }
}

}  // namespace

uint32_t ReadGamepadControls() {
  if (!ready()) return 0;
  SDL_GameControllerUpdate();
  refresh();
  uint32_t held = 0;
  const auto set = [&held](int control, bool on) {
    if (on) held |= 1u << control;
  };
  for (SDL_GameController* c : opened()) {
    const auto button = [c](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(c, b) != 0; };
    const int x = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
    const int y = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY);
    set(kPadUp, button(SDL_CONTROLLER_BUTTON_DPAD_UP) || y < -kStickThreshold);
    set(kPadDown, button(SDL_CONTROLLER_BUTTON_DPAD_DOWN) || y > kStickThreshold);
    set(kPadLeft, button(SDL_CONTROLLER_BUTTON_DPAD_LEFT) || x < -kStickThreshold);
    set(kPadRight, button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || x > kStickThreshold);
    set(kPadA, button(SDL_CONTROLLER_BUTTON_A));
    set(kPadB, button(SDL_CONTROLLER_BUTTON_B));
    set(kPadX, button(SDL_CONTROLLER_BUTTON_X));
    set(kPadY, button(SDL_CONTROLLER_BUTTON_Y));
    set(kPadStart, button(SDL_CONTROLLER_BUTTON_START));
    set(kPadBack, button(SDL_CONTROLLER_BUTTON_BACK));
    set(kPadLeftShoulder, button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER));
    set(kPadRightShoulder, button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER));
  }
  return held;
}

bool AddGamepadMappings(const std::string& path) {
  if (!ready()) return false;
  return SDL_GameControllerAddMappingsFromFile(path.c_str()) >= 0;
}

}  // namespace qv::platform
