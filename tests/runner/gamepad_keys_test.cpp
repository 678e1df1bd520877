// A gamepad standing in for keys: the key events for a sequence of held controls, shared keys,
// unmapped controls, key names, and the settings that change the table.
#include "runner/gamepad_keys.h"

#include <gtest/gtest.h>

#include "runner/player_settings.h"

namespace qv::runner {
namespace {

using platform::WindowEvent;

std::string describe(const std::vector<WindowEvent>& events) {
  std::string out;
  for (const WindowEvent& e : events) {
    if (!out.empty()) out += " ";
    out += (e.kind == WindowEvent::KeyDown ? "+" : e.kind == WindowEvent::KeyUp ? "-" : "?") + std::to_string(e.vk);
  }
  return out;
}

constexpr uint32_t bit(int control) { return 1u << control; }

TEST(GamepadKeys, HeldControlsBecomeKeyPressesAndReleases) {
  GamepadKeyTable keys = DefaultGamepadKeys();
  keys[platform::kPadY] = 32;  // Y shares space with A
  GamepadKeys pad(keys);
  struct Step {
    uint32_t held;
    const char* events;
  };
  const Step steps[] = {
      {0, ""},
      {bit(platform::kPadRight), "+39"},
      {bit(platform::kPadRight), ""},  // held: no repeat
      {bit(platform::kPadRight) | bit(platform::kPadA), "+32"},
      {bit(platform::kPadUp) | bit(platform::kPadA), "-39 +38"},  // releases come first
      {bit(platform::kPadA) | bit(platform::kPadY), "-38"},       // space already down
      {bit(platform::kPadY), ""},                                 // still held by Y
      {bit(platform::kPadLeftShoulder), "-32"},                   // unmapped: nothing
      {bit(platform::kPadStart) | bit(platform::kPadBack) | bit(platform::kPadB) | bit(platform::kPadX),
       "+88 +90 +13 +27"},
      {0, "-88 -90 -13 -27"},
  };
  for (size_t i = 0; i < std::size(steps); ++i)
    EXPECT_EQ(describe(pad.update(steps[i].held)), steps[i].events) << "step " << i;
}

TEST(GamepadKeys, KeyNames) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"space", 32}, {"Enter", 13}, {"ESCAPE", 27}, {"left", 37}, {"down", 40}, {"z", 'Z'}, {"A", 'A'},
      {"5", '5'},    {"f1", 112},   {"F12", 123},   {"numpad3", 99}, {"none", 0}, {"f13", std::nullopt},
      {"f0", std::nullopt}, {"f01", std::nullopt}, {"zz", std::nullopt}, {"", std::nullopt}, {"ctrl", std::nullopt},
  };
  for (const auto& [name, key] : cases) EXPECT_EQ(KeyFromName(name), key) << name;
}

TEST(GamepadKeys, SettingsChangeTheTableAndTurnItOff) {
  PlayerSettings s;
  std::vector<std::string> problems;
  ApplySettingsText("pad_a = z\npad_y = f2\npad_up = hyper\n[game 5]\npad_start = none\ngamepad = off\n", "s.ini", 5,
                    "", s, problems);
  GamepadKeyTable expected = DefaultGamepadKeys();
  expected[platform::kPadA] = 'Z';
  expected[platform::kPadY] = 113;
  expected[platform::kPadStart] = 0;
  EXPECT_EQ(s.padKeys, expected);
  EXPECT_FALSE(s.gamepad);
  EXPECT_EQ(problems, std::vector<std::string>{"s.ini:3: bad value \"hyper\" for pad_up (expected a key name such as "
                                               "space, enter, escape, left, z, 5, f1 or none); ignored"});
}

}  // namespace
}  // namespace qv::runner
