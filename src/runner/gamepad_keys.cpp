#include "runner/gamepad_keys.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "world/object.h"

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

KeyUse GameKeyUse() {
  // Event kinds whose number is the key: keyboard (held), key press, key release.
  constexpr int32_t kKeyEventKinds[] = {5, 9, 10};
  // Key numbers 0 and 1 are "no key" and "any key", not keys a button could stand for.
  constexpr int32_t kFirstKey = 2, kLastKey = 255;
  KeyUse use;
  for (int32_t i = 0; i < world::ObjectCount(); ++i) {
    const world::CObject* object = world::GetObject(i);
    if (object == nullptr) continue;
    std::set<int32_t> keys;  // an object counts once per key, whatever events it has for it
    for (int32_t kind : kKeyEventKinds) {
      for (const auto& [key, event] : object->events[static_cast<size_t>(kind)]) {
        if (key >= kFirstKey && key <= kLastKey && event && !event->empty()) keys.insert(key);
      }
    }
    for (int32_t key : keys) ++use[key];
  }
  return use;
}

namespace {
// The buttons the game's keys are handed to, in order.
constexpr int kButtons[] = {kPadA, kPadB, kPadX, kPadY, kPadLeftShoulder, kPadRightShoulder};
}  // namespace

GamepadKeyTable FitGamepadKeysToGame(const GamepadKeyTable& keys, const GamepadChosen& chosen, const KeyUse& use) {
  GamepadKeyTable out = keys;
  const GamepadKeyTable defaults = DefaultGamepadKeys();
  const auto uses = [&use](int key) {
    const auto it = use.find(key);
    return it == use.end() ? 0 : it->second;
  };

  if (!uses(37) && !uses(38) && !uses(39) && !uses(40) && uses('W') && uses('A') && uses('S') && uses('D')) {
    const std::pair<int, int> letters[] = {{kPadUp, 'W'}, {kPadDown, 'S'}, {kPadLeft, 'A'}, {kPadRight, 'D'}};
    for (const auto& [control, key] : letters) {
      if (!chosen[static_cast<size_t>(control)]) out[static_cast<size_t>(control)] = key;
    }
  }
  std::set<int> taken;  // keys with a control already
  for (int control : {kPadUp, kPadDown, kPadLeft, kPadRight, kPadStart, kPadBack}) taken.insert(out[static_cast<size_t>(control)]);
  for (int b : kButtons) {
    if (chosen[static_cast<size_t>(b)]) taken.insert(out[static_cast<size_t>(b)]);
  }
  taken.erase(0);

  // The game's keys, most used first; among equals, a key of the fixed defaults first.
  const auto defaultRank = [&defaults](int key) {
    for (size_t i = 0; i < std::size(kButtons); ++i) {
      if (defaults[static_cast<size_t>(kButtons[i])] == key) return static_cast<int>(i);
    }
    return static_cast<int>(std::size(kButtons));
  };
  std::vector<int> ranked;
  for (const auto& [key, count] : use) {
    if (count > 0 && !taken.count(key)) ranked.push_back(key);
  }
  std::stable_sort(ranked.begin(), ranked.end(), [&](int a, int b) {
    if (uses(a) != uses(b)) return uses(a) > uses(b);
    return defaultRank(a) < defaultRank(b);
  });

  std::vector<int> leftOver;
  size_t next = 0;
  for (int b : kButtons) {
    if (chosen[static_cast<size_t>(b)]) continue;
    if (next < ranked.size()) {
      out[static_cast<size_t>(b)] = ranked[next];
      taken.insert(ranked[next++]);
    } else {
      leftOver.push_back(b);
    }
  }
  for (int b : leftOver) {
    const int key = defaults[static_cast<size_t>(b)];
    out[static_cast<size_t>(b)] = taken.count(key) ? 0 : key;
    if (key != 0) taken.insert(key);
  }
  return out;
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
