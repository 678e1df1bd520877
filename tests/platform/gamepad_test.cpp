// The host's controllers read as logical controls, shown with SDL's virtual controller (a real
// controller as far as the mappings go): buttons, the d-pad, the stick beyond its threshold.
#include "platform/gamepad.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace qv::platform {
namespace {

TEST(Gamepad, ButtonsDpadAndStickOfAVirtualController) {
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) GTEST_SKIP() << "no controller subsystem";
  EXPECT_EQ(ReadGamepadControls(), 0u);
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  ASSERT_GE(index, 0) << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(index));
  SDL_Joystick* js = SDL_JoystickOpen(index);
  ASSERT_NE(js, nullptr);
  const auto bit = [](int control) { return 1u << control; };

  EXPECT_EQ(ReadGamepadControls(), 0u);
  SDL_JoystickSetVirtualButton(js, SDL_CONTROLLER_BUTTON_A, 1);
  SDL_JoystickSetVirtualButton(js, SDL_CONTROLLER_BUTTON_START, 1);
  SDL_JoystickSetVirtualButton(js, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
  EXPECT_EQ(ReadGamepadControls(), bit(kPadA) | bit(kPadStart) | bit(kPadUp));
  SDL_JoystickSetVirtualButton(js, SDL_CONTROLLER_BUTTON_A, 0);
  SDL_JoystickSetVirtualButton(js, SDL_CONTROLLER_BUTTON_START, 0);
  SDL_JoystickSetVirtualButton(js, SDL_CONTROLLER_BUTTON_DPAD_UP, 0);
  // The stick: a small push is no direction, a large one is.
  SDL_JoystickSetVirtualAxis(js, SDL_CONTROLLER_AXIS_LEFTX, kStickThreshold - 1000);
  SDL_JoystickSetVirtualAxis(js, SDL_CONTROLLER_AXIS_LEFTY, -32768);
  EXPECT_EQ(ReadGamepadControls(), bit(kPadUp));
  SDL_JoystickSetVirtualAxis(js, SDL_CONTROLLER_AXIS_LEFTX, -32000);
  SDL_JoystickSetVirtualAxis(js, SDL_CONTROLLER_AXIS_LEFTY, 30000);
  EXPECT_EQ(ReadGamepadControls(), bit(kPadLeft) | bit(kPadDown));
  SDL_JoystickSetVirtualAxis(js, SDL_CONTROLLER_AXIS_LEFTX, 0);
  SDL_JoystickSetVirtualAxis(js, SDL_CONTROLLER_AXIS_LEFTY, 0);
  EXPECT_EQ(ReadGamepadControls(), 0u);

  // Unplugged: gone from the reading.
  SDL_JoystickSetVirtualButton(js, SDL_CONTROLLER_BUTTON_B, 1);
  EXPECT_EQ(ReadGamepadControls(), bit(kPadB));
  SDL_JoystickClose(js);
  SDL_JoystickDetachVirtual(index);
  EXPECT_EQ(ReadGamepadControls(), 0u);
}

}  // namespace
}  // namespace qv::platform
