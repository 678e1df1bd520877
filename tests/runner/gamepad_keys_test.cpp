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
  GamepadChosen chosen{};
  chosen[platform::kPadA] = chosen[platform::kPadY] = chosen[platform::kPadStart] = true;
  EXPECT_EQ(s.padKeyChosen, chosen) << "a bad value chooses nothing";
  EXPECT_FALSE(s.gamepad);
  EXPECT_EQ(problems, std::vector<std::string>{"s.ini:3: bad value \"hyper\" for pad_up (expected a key name such as "
                                               "space, enter, escape, left, z, 5, f1 or none); ignored"});
}

TEST(GamepadKeys, ButtonsStandForTheKeysTheGameUsesMost) {
  using namespace platform;
  struct Case {
    const char* what;
    KeyUse use;
    std::vector<std::pair<int, int>> chosen;  // control, key the player set
    std::vector<std::pair<int, int>> changed;  // control, key, where the result differs from the defaults
  };
  const Case cases[] = {
      {"a game without key events keeps the defaults", {}, {}, {}},
      {"most used first; buttons beyond the game's keys keep a default not taken",
       {{17, 3}, {16, 2}, {'Q', 1}},
       {},
       {{kPadA, 17}, {kPadB, 16}, {kPadX, 'Q'}, {kPadY, 0}}},
      {"one key: A takes it, B keeps X, X's Z is no longer free", {{'Z', 4}}, {}, {{kPadA, 'Z'}, {kPadX, 0}}},
      {"ties go to the defaults' order, then to the lower key",
       {{'Q', 1}, {'X', 1}, {32, 1}, {'E', 1}},
       {},
       {{kPadX, 'E'}, {kPadY, 'Q'}}},
      {"arrows, Enter and Escape keep their own controls",
       {{37, 5}, {38, 5}, {13, 9}, {27, 9}, {'C', 1}},
       {},
       {{kPadA, 'C'}, {kPadB, 'X'}, {kPadX, 'Z'}}},
      {"W A S D without arrows move to the directions",
       {{'W', 1}, {'A', 1}, {'S', 1}, {'D', 1}, {'J', 2}},
       {},
       {{kPadUp, 'W'}, {kPadDown, 'S'}, {kPadLeft, 'A'}, {kPadRight, 'D'}, {kPadA, 'J'}, {kPadB, 'X'}, {kPadX, 'Z'}}},
      {"W A S D with an arrow stay buttons",
       {{'W', 1}, {'A', 1}, {'S', 1}, {'D', 1}, {39, 1}},
       {},
       {{kPadA, 'A'}, {kPadB, 'D'}, {kPadX, 'S'}, {kPadY, 'W'}}},
      {"the player's own choices stay, and their keys are not handed out again",
       {{17, 3}, {16, 2}, {'W', 1}, {'A', 1}, {'S', 1}, {'D', 1}},
       {{kPadA, 16}, {kPadUp, 38}},
       {{kPadDown, 'S'}, {kPadLeft, 'A'}, {kPadRight, 'D'}, {kPadA, 16}, {kPadB, 17}, {kPadX, 'W'}}},
  };
  for (const Case& c : cases) {
    GamepadKeyTable keys = DefaultGamepadKeys();
    GamepadChosen chosen{};
    for (const auto& [control, key] : c.chosen) {
      keys[static_cast<size_t>(control)] = key;
      chosen[static_cast<size_t>(control)] = true;
    }
    GamepadKeyTable expected = DefaultGamepadKeys();
    for (const auto& [control, key] : c.changed) expected[static_cast<size_t>(control)] = key;
    const GamepadKeyTable got = FitGamepadKeysToGame(keys, chosen, c.use);
    for (int control = 0; control < kPadControlCount; ++control)
      EXPECT_EQ(got[static_cast<size_t>(control)], expected[static_cast<size_t>(control)]) << c.what << ": " << GamepadControlName(control);
  }
}

}  // namespace
}  // namespace qv::runner
