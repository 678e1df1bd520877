#include "world/event_names.h"

#include "world/object.h"
#include "world/trigger.h"

namespace qv::world {

std::string KeyName(int32_t key) {
  switch (key) {
    case 0: return "<no key>";
    case 1: return "<any key>";
    case 8: return "<Backspace>";
    case 9: return "<Tab>";
    case 13: return "<Enter>";
    case 16: return "<Shift>";
    case 17: return "<Ctrl>";
    case 18: return "<Alt>";
    case 27: return "<Escape>";
    case 32: return "<Space>";
    case 33: return "<Page Up>";
    case 34: return "<Page Down>";
    case 35: return "<End>";
    case 36: return "<Home>";
    case 37: return "<Left>";
    case 38: return "<Up>";
    case 39: return "<Right>";
    case 40: return "<Down>";
    case 45: return "<Insert>";
    case 46: return "<Delete>";
    case 106: return "Keypad *";
    case 107: return "Keypad +";
    case 109: return "Keypad -";
    case 110: return "Keypad .";
    case 111: return "Keypad /";
    default: break;
  }
  if ((key >= 48 && key <= 57) || (key >= 65 && key <= 90)) return std::string(1, static_cast<char>(key));
  if (key >= 96 && key <= 105) return "Keypad " + std::to_string(key - 96);
  if (key >= 112 && key <= 123) return "F" + std::to_string(key - 111);
  return "<unknown>";
}

std::string MouseEventName(int32_t n) {
  static const char* const kButtons[] = {
      "Left Button",   "Right Button",   "Middle Button",   "No Button",      "Left Pressed",
      "Right Pressed", "Middle Pressed", "Left Released",   "Right Released", "Middle Released",
      "Mouse Enter",   "Mouse Leave"};
  static const char* const kDirections[] = {"Left", "Right", "Up", "Down"};
  if (n >= 0 && n <= 11) return kButtons[n];
  if (n >= 16 && n <= 19) return std::string("Joystick 1 ") + kDirections[n - 16];
  if (n >= 21 && n <= 28) return "Joystick 1 Button " + std::to_string(n - 20);
  if (n >= 31 && n <= 34) return std::string("Joystick 2 ") + kDirections[n - 31];
  if (n >= 36 && n <= 43) return "Joystick 2 Button " + std::to_string(n - 35);
  if (n >= 50 && n <= 58) {
    static const char* const kGlobal[] = {"Left Button",   "Right Button",   "Middle Button",
                                          "Left Pressed",  "Right Pressed",  "Middle Pressed",
                                          "Left Released", "Right Released", "Middle Released"};
    return std::string("Glob ") + kGlobal[n - 50];
  }
  if (n == 60) return "Mouse Wheel Up";
  if (n == 61) return "Mouse Wheel Down";
  return "<unknown>";
}

std::string OtherEventName(int32_t n) {
  static const char* const kNames[] = {"Outside Room", "Intersect Boundary", "Game Start",
                                       "Game End",     "Room Start",         "Room End",
                                       "No More Lives", "Animation End",     "End Of Path",
                                       "No More Health"};
  if (n >= 0 && n <= 9) return kNames[n];
  if (n >= 10 && n <= 25) return "User Defined " + std::to_string(n - 10);
  if (n == 30) return "Close Button";
  if (n >= 40 && n <= 47) return "Outside View " + std::to_string(n - 40);
  if (n >= 50 && n <= 57) return "Boundary View " + std::to_string(n - 50);
  return "<unknown>";
}

std::string EventName(int32_t kind, int32_t number) {
  switch (kind) {
    case ev_create: return "Create Event";
    case ev_destroy: return "Destroy Event";
    case ev_alarm: return "Alarm Event for alarm " + std::to_string(number);
    case ev_step: {
      const char* step = number == 1 ? "Begin" : number == 2 ? "End" : "";
      return std::string(step) + " Step Event";
    }
    case ev_collision: return "Collision Event with object " + ObjectName(number);
    case ev_keyboard: return "Keyboard Event for " + KeyName(number) + " Key";
    case ev_mouse: return "Mouse Event for " + MouseEventName(number);
    case ev_other: return "Other Event: " + OtherEventName(number);
    case ev_draw: return "Draw Event";
    case ev_keypress: return "Key Press Event for " + KeyName(number) + " Key";
    case ev_keyrelease: return "Key Release Event for " + KeyName(number) + " Key";
    case ev_trigger: return "Trigger Event: " + TriggerName(number);
    default: return "<Unknown Event>";
  }
}

}  // namespace qv::world
