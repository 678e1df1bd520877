#include "runner/gamepad_keys.h"

#include <cctype>

namespace qv::runner {

using namespace platform;

GamepadKeyTable DefaultGamepadKeys() {
  GamepadKeyTable keys{};
  keys[kPadUp] = 38;
  keys[kPadDown] = 40;
  keys[kPadLeft] = 37;
  keys[kPadRight] = 39;
  keys[kPadA] = 32;
  keys[kPadB] = 'X';
  keys[kPadX] = 'Z';
  keys[kPadStart] = 13;
  keys[kPadBack] = 27;
  return keys;
}

const char* GamepadControlName(int control) {
  static const char* const kNames[kPadControlCount] = {"up", "down", "left", "right", "a", "b", "x", "y",
                                                       "start", "back", "left_shoulder", "right_shoulder"};
  return control >= 0 && control < kPadControlCount ? kNames[control] : "";
}

std::optional<int> KeyFromName(const std::string& text) {
  std::string name;
  for (char c : text) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const std::map<std::string, int> kNamed = {
      {"none", 0},     {"space", 32},   {"enter", 13},   {"escape", 27},  {"tab", 9},       {"backspace", 8},
      {"shift", 16},   {"control", 17}, {"alt", 18},     {"left", 37},    {"up", 38},       {"right", 39},
      {"down", 40},    {"insert", 45},  {"delete", 46},  {"home", 36},    {"end", 35},      {"pageup", 33},
      {"pagedown", 34}};
  if (auto it = kNamed.find(name); it != kNamed.end()) return it->second;
  if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') return name[0] - 'a' + 'A';
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') return static_cast<int>(name[0]);
  if (name.size() == 7 && name.compare(0, 6, "numpad") == 0 && std::isdigit(static_cast<unsigned char>(name[6])))
    return 96 + (name[6] - '0');
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'f') {
    int n = 0;
    for (size_t i = 1; i < name.size(); ++i) {
      if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
      n = n * 10 + (name[i] - '0');
    }
    if (n >= 1 && n <= 12 && name[1] != '0') return 111 + n;
  }
  return std::nullopt;
}

std::vector<WindowEvent> GamepadKeys::update(uint32_t held) {
  std::vector<WindowEvent> events;
  const auto event = [&events](WindowEvent::Kind kind, int vk) {
    WindowEvent e;
    e.kind = kind;
    e.vk = vk;
    events.push_back(e);
  };
  for (int c = 0; c < kPadControlCount; ++c) {
    const uint32_t bit = 1u << c;
    const int key = keys_[static_cast<size_t>(c)];
    if (key == 0 || !(last_ & bit) || (held & bit)) continue;
    if (--holders_[key] == 0) {
      holders_.erase(key);
      event(WindowEvent::KeyUp, key);
    }
  }
  for (int c = 0; c < kPadControlCount; ++c) {
    const uint32_t bit = 1u << c;
    const int key = keys_[static_cast<size_t>(c)];
    if (key == 0 || (last_ & bit) || !(held & bit)) continue;
    if (holders_[key]++ == 0) event(WindowEvent::KeyDown, key);
  }
  last_ = held;
  return events;
}

}  // namespace qv::runner
