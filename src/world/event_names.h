// Event kinds and numbers, and the names that error messages give them.
#pragma once

#include <cstdint>
#include <string>

namespace qv::world {

enum EventKind : int32_t {
  ev_create = 0, ev_destroy, ev_alarm, ev_step, ev_collision, ev_keyboard, ev_mouse, ev_other,
  ev_draw, ev_keypress, ev_keyrelease, ev_trigger,
};
inline constexpr int32_t kEventKindCount = 12;

// Numbers of the step and other kinds that the world raises itself.
enum StepNumber : int32_t { ev_step_normal = 0, ev_step_begin = 1, ev_step_end = 2 };
enum OtherNumber : int32_t {
  ev_outside = 0, ev_boundary = 1, ev_game_start = 2, ev_game_end = 3, ev_room_start = 4,
  ev_room_end = 5, ev_no_more_lives = 6, ev_animation_end = 7, ev_end_of_path = 8,
  ev_no_more_health = 9, ev_user0 = 10, ev_close_button = 30,
};

// "<no key>", "<Enter>", "A", "Keypad 4", "F1", ... for a virtual-key code; "<unknown>" otherwise.
std::string KeyName(int32_t key);
// "Left Button", "Glob Left Pressed", ...; "<unknown>" for a number without a name.
std::string MouseEventName(int32_t number);
// "Outside Room", "User Defined 3", "Boundary View 7", ...; "<unknown>" otherwise.
std::string OtherEventName(int32_t number);

// The name of one event, as error headers show it. Collision and trigger names need the object and
// trigger names: the world passes its lookups (object names give "<undefined>" for a missing one,
// trigger names "<Deleted>").
std::string EventName(int32_t kind, int32_t number);

}  // namespace qv::world
