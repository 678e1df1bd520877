// keyboard_*, mouse_*, io_* and sleep: the game's view of the input state.
#include <chrono>
#include <thread>

#include "platform/virtual_keys.h"
#include "world/builtins.h"
#include "world/input.h"

namespace qv::world {

namespace {

using code::BuiltinCall;

// Key 0: no key in the table; key 1: any key; 2 to 255: that key; else 0.
double keyQuery(const std::array<bool, 256>& flags, int32_t key) {
  if (key == 0 || key == 1) {
    bool any = false;
    for (bool f : flags) any = any || f;
    return code::truthValue(key == 1 ? any : !any);
  }
  return code::truthValue(key >= 2 && key <= 255 && flags[static_cast<size_t>(key)]);
}
// Button -1: any button; 0: none; 1 to 3: that button; else 0.
double buttonQuery(const std::array<bool, 4>& flags, int32_t b) {
  const bool any = flags[1] || flags[2] || flags[3];
  if (b == -1) return code::truthValue(any);
  if (b == 0) return code::truthValue(!any);
  return code::truthValue(b >= 1 && b <= 3 && flags[static_cast<size_t>(b)]);
}

void keyboard_check(BuiltinCall& c) { c.result.setReal(keyQuery(input().keyDown, c.integer(0))); }
void keyboard_check_pressed(BuiltinCall& c) { c.result.setReal(keyQuery(input().keyPressed, c.integer(0))); }
void keyboard_check_released(BuiltinCall& c) { c.result.setReal(keyQuery(input().keyReleased, c.integer(0))); }
void keyboard_check_direct(BuiltinCall& c) {
  c.result.setReal(code::truthValue(platform::VirtualKeyHeldNow(c.integer(0))));
}
void keyboard_get_numlock(BuiltinCall& c) { c.result.setReal(code::truthValue(platform::NumLockOn())); }
void keyboard_set_numlock(BuiltinCall& c) {
  const bool on = c.truth(0);
  if (platform::NumLockOn() == on) return;
  platform::SetNumLockState(on);
  QueueSyntheticKey(144, true);
  QueueSyntheticKey(144, false);
}
void keyboard_key_press(BuiltinCall& c) { QueueSyntheticKey(c.integer(0), true); }
void keyboard_key_release(BuiltinCall& c) { QueueSyntheticKey(c.integer(0), false); }
void keyboard_set_map(BuiltinCall& c) {
  const int32_t from = c.integer(0);
  if (from >= 0 && from <= 255) keyMap()[static_cast<size_t>(from)] = c.integer(1);
}
void keyboard_get_map(BuiltinCall& c) {
  const int32_t key = c.integer(0);
  c.result.setReal(key >= 0 && key <= 255 ? keyMap()[static_cast<size_t>(key)] : key);
}
void keyboard_unset_map(BuiltinCall&) {
  for (int32_t k = 0; k < 256; ++k) keyMap()[static_cast<size_t>(k)] = k;
}
void keyboard_clear(BuiltinCall& c) {
  ProcessWindowMessages();
  const int32_t key = c.integer(0);
  if (key < 0 || key > 255) return;
  const size_t k = static_cast<size_t>(key);
  input().keyDown[k] = input().keyPressed[k] = input().keyReleased[k] = false;
}
void sleepMilliseconds(int64_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
void keyboard_wait(BuiltinCall&) {
  input().lastKey = 0;
  for (;;) {
    ProcessWindowMessages();
    if (input().lastKey != 0) return;
    sleepMilliseconds(50);
  }
}
void mouse_check_button(BuiltinCall& c) { c.result.setReal(buttonQuery(input().buttonDown, c.integer(0))); }
void mouse_check_button_pressed(BuiltinCall& c) { c.result.setReal(buttonQuery(input().buttonPressed, c.integer(0))); }
void mouse_check_button_released(BuiltinCall& c) { c.result.setReal(buttonQuery(input().buttonReleased, c.integer(0))); }
void mouse_wheel_up(BuiltinCall& c) { c.result.setReal(code::truthValue(input().wheelUp)); }
void mouse_wheel_down(BuiltinCall& c) { c.result.setReal(code::truthValue(input().wheelDown)); }
void mouse_clear(BuiltinCall& c) {
  ProcessWindowMessages();
  const int32_t b = c.integer(0);
  if (b < 1 || b > 3) return;
  const size_t k = static_cast<size_t>(b);
  input().buttonDown[k] = input().buttonPressed[k] = input().buttonReleased[k] = false;
}
void mouse_wait(BuiltinCall&) {
  input().mouseLastButton = 0;
  for (;;) {
    ProcessWindowMessages();
    if (input().mouseLastButton != 0) return;
    sleepMilliseconds(50);
  }
}
void io_clear(BuiltinCall&) {
  ProcessWindowMessages();
  ClearInput();
}
void io_handle(BuiltinCall&) { ProcessWindowMessages(); }
// sleep(ms): waits, processing window messages about every millisecond.
void sleep(BuiltinCall& c) { SleepMilliseconds(c.integer(0)); }

constexpr code::BuiltinFunction kInputFunctions[] = {
    {"keyboard_check", keyboard_check, 1},
    {"keyboard_check_pressed", keyboard_check_pressed, 1},
    {"keyboard_check_released", keyboard_check_released, 1},
    {"keyboard_check_direct", keyboard_check_direct, 1},
    {"keyboard_get_numlock", keyboard_get_numlock, 0},
    {"keyboard_set_numlock", keyboard_set_numlock, 1},
    {"keyboard_key_press", keyboard_key_press, 1},
    {"keyboard_key_release", keyboard_key_release, 1},
    {"keyboard_set_map", keyboard_set_map, 2},
    {"keyboard_get_map", keyboard_get_map, 1},
    {"keyboard_unset_map", keyboard_unset_map, 0},
    {"keyboard_clear", keyboard_clear, 1},
    {"keyboard_wait", keyboard_wait, 0},
    {"mouse_check_button", mouse_check_button, 1},
    {"mouse_check_button_pressed", mouse_check_button_pressed, 1},
    {"mouse_check_button_released", mouse_check_button_released, 1},
    {"mouse_wheel_up", mouse_wheel_up, 0},
    {"mouse_wheel_down", mouse_wheel_down, 0},
    {"mouse_clear", mouse_clear, 1},
    {"mouse_wait", mouse_wait, 0},
    {"io_clear", io_clear, 0},
    {"io_handle", io_handle, 0},
    {"sleep", sleep, 1},
};

}  // namespace

code::BuiltinFamily InputFunctions() { return kInputFunctions; }

void SleepMilliseconds(int64_t ms) {
  using namespace std::chrono;
  const auto end = steady_clock::now() + milliseconds(std::clamp<int64_t>(ms, 0, INT32_MAX));
  for (auto now = steady_clock::now(); now < end; now = steady_clock::now()) {
    ProcessWindowMessages();
    std::this_thread::sleep_for(std::min<steady_clock::duration>(end - now, milliseconds(1)));
  }
}

}  // namespace qv::world
