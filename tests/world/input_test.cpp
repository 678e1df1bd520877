// Keyboard and mouse events raised by the step from input that arrives through the window
// handlers, between steps, as window events.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "graphics/display.h"
#include "platform/virtual_keys.h"
#include "system/joysticks.h"
#include "world/input.h"
#include "world/scripted_input.h"
#include "world_game.h"

namespace qv::world {
namespace {

using platform::WindowEvent;
using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

WindowEvent key(WindowEvent::Kind kind, int vk) {
  WindowEvent e;
  e.kind = kind;
  e.vk = vk;
  return e;
}
WindowEvent mouse(WindowEvent::Kind kind, int button, int x, int y) {
  WindowEvent e;
  e.kind = kind;
  e.button = button;
  e.x = x;
  e.y = y;
  return e;
}

// Feeds the events listed for call n (0 before the first step, n after step n), then logs a mark.
std::function<bool()> script(std::map<int, std::vector<WindowEvent>> events) {
  auto calls = std::make_shared<int>(0);
  return [events = std::move(events), calls] {
    auto found = events.find(*calls);
    if (found != events.end())
      for (const WindowEvent& e : found->second) HandleWindowInput(e);
    ++*calls;
    gameLog().push_back("|");
    return true;
  };
}

// SDL key codes as numbers: printable keys are their character, the others their scancode with
// bit 30 set.
constexpr int kScancodeKey = 1 << 30;

TEST(Input, VirtualKeysOfCommonKeys) {
  const std::pair<int, int> table[] = {
      {'a', 65},  {'z', 90},  {'0', 48},  {'9', 57},  {27, 27},  {13, 13},  {' ', 32},  {8, 8},  {127, 46},
      {kScancodeKey | 58, 112},  // F1
      {kScancodeKey | 69, 123},  // F12
      {kScancodeKey | 80, 37},   // left
      {kScancodeKey | 81, 40},   // down
      {kScancodeKey | 98, 96},   // keypad 0
      {kScancodeKey | 87, 107},  // keypad plus
      {kScancodeKey | 225, 160}, // left shift
      {kScancodeKey | 228, 163}, // right control
      {kScancodeKey | 230, 165}, // right alt
      {0, 0}};
  for (auto [sdl, vk] : table) EXPECT_EQ(platform::VirtualKeyFromSdl(sdl), vk) << sdl;
  EXPECT_EQ(platform::SdlScancodeFromVirtualKey(65), 4);   // A
  EXPECT_EQ(platform::SdlScancodeFromVirtualKey(37), 80);  // left
  EXPECT_EQ(platform::SdlScancodeFromVirtualKey(1), 0);
}

TEST(Input, KeyboardPressAndReleaseEventsInTheirPassesAcrossSteps) {
  TestGame g;
  g.object("obj")
      .on(ev_keyboard, 65, "test_log('held A')")
      .on(ev_keyboard, 0, "test_log('held none')")
      .on(ev_keyboard, 1, "test_log('held any')")
      .on(ev_keypress, 65, "test_log('press A')")
      .on(ev_keypress, 0, "test_log('press none')")
      .on(ev_keyrelease, 65, "test_log('release A')")
      .on(ev_keyrelease, 1, "test_log('release any')")
      .on(ev_alarm, 0, "test_log('alarm')")
      .on(ev_step, ev_step_normal, "test_log('step')");
  g.room("rm").place(0, 0, 0, 100001, "alarm[0] = 1");
  g.run(3, script({{0, {key(WindowEvent::KeyDown, 65)}},
                   {1, {key(WindowEvent::KeyDown, 65)}},  // auto-repeat: held, not pressed again
                   {2, {key(WindowEvent::KeyUp, 65)}}}));
  const Log expected = {"|",
                        "alarm", "held A", "held any", "press A", "step", "|",
                        "held A", "held any", "press none", "step", "|",
                        "held none", "press none", "release A", "release any", "step", "|"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(Input, KeysAboveTheEventRangeCountAsKeys) {
  TestGame g;
  g.object("obj").on(ev_keyboard, 1, "test_log('any')").on(ev_keyboard, 0, "test_log('none')");
  g.room("rm").place(0, 0, 0, 100001);
  g.run(2, script({{0, {key(WindowEvent::KeyDown, 160)}}, {1, {key(WindowEvent::KeyUp, 160)}}}));
  EXPECT_EQ(gameLog(), (Log{"|", "any", "|", "none", "|"}));
}

TEST(Input, CharactersBuildTheTypedString) {
  ClearInput();
  input().typed.clear();
  for (char c : std::string("abc")) OnCharacter(static_cast<uint8_t>(c));
  OnCharacter(8);
  OnCharacter(1);  // control characters are remembered but not typed
  EXPECT_EQ(input().typed, "ab");
  EXPECT_EQ(input().lastChar, std::string(1, '\1'));
  input().typed = std::string(1030, 'x');
  OnCharacter('y');
  EXPECT_EQ(input().typed.size(), 1025u);
  EXPECT_EQ(input().typed.back(), 'y');
}

TEST(Input, AClickOnAnInstanceRaisesItsLocalEventsAndEveryonesGlobalOnes) {
  TestGame g;
  g.sprite(0, "spr", 1, 16, 16);
  auto& target = g.object("obj_target");
  target.object.sprite = 0;
  target.on(ev_mouse, 0, "test_log('left held ' + string(id))")
      .on(ev_mouse, 3, "test_log('no button ' + string(id))")
      .on(ev_mouse, 4, "test_log('left pressed ' + string(id))")
      .on(ev_mouse, 7, "test_log('left released ' + string(id))")
      .on(ev_mouse, 10, "test_log('enter ' + string(id))")
      .on(ev_mouse, 11, "test_log('leave ' + string(id))")
      .on(ev_mouse, 12, "test_log('global press ' + string(id))")
      .on(ev_mouse, 50, "test_log('global left held ' + string(id))")
      .on(ev_mouse, 56, "test_log('global left released ' + string(id))");
  g.room("rm").place(0, 20, 20, 100001).place(0, 100, 100, 100002);
  g.run(3, script({{0, {mouse(WindowEvent::MouseDown, 1, 25, 25)}},
                   {1, {mouse(WindowEvent::MouseUp, 1, 25, 25)}},
                   {2, {mouse(WindowEvent::MouseMove, 0, 50, 50)}}}));
  const Log expected = {"|",
                        "left held 100001", "global left held 100001", "global left held 100002",
                        "left pressed 100001", "global press 100001", "global press 100002",
                        "enter 100001", "|",
                        "no button 100001", "left released 100001", "global left released 100001",
                        "global left released 100002", "|",
                        "leave 100001", "|"};
  EXPECT_EQ(gameLog(), expected);
}

WindowEvent character(int c) {
  WindowEvent e;
  e.kind = WindowEvent::Character;
  e.character = c;
  return e;
}

TEST(Input, FunctionsAndVariablesReadTheStateTheHandlersFilled) {
  TestGame g;
  g.object("obj").on(ev_step, ev_step_normal,
                     "test_log(string(keyboard_check(65)) + string(keyboard_check_pressed(65)) + "
                     "string(keyboard_check_released(65)) + string(keyboard_check(0)) + string(keyboard_check(1)) + ' ' + "
                     "string(keyboard_key) + ' ' + string(keyboard_lastkey) + ' ' + keyboard_string + ' ' + "
                     "string(mouse_check_button(1)) + string(mouse_check_button_pressed(1)) + "
                     "string(mouse_check_button(-1)) + string(mouse_check_button(0)) + ' ' + "
                     "string(mouse_x) + ',' + string(mouse_y) + ' ' + string(mouse_lastbutton));"
                     "if keyboard_check_pressed(66) test_log('B sent');"
                     "keyboard_key_press(66)");
  g.room("rm").place(0, 0, 0, 100001);
  g.run(3, script({{0, {key(WindowEvent::KeyDown, 65), character('a'), mouse(WindowEvent::MouseDown, 1, 7, 9)}},
                   {1, {key(WindowEvent::KeyUp, 65), character('b')}},
                   {2, {mouse(WindowEvent::MouseUp, 1, 3, 4)}}}));
  const Log expected = {"|", "11001 65 65 a 1110 7,9 1", "|",
                        "00101 66 66 ab 1010 7,9 1", "B sent", "|",
                        "00001 66 66 ab 0001 3,4 1", "|"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(Input, TheKeyMapRedirectsKeysAndIoClearForgetsThem) {
  TestGame g;
  g.object("obj")
      .on(ev_create, 0, "keyboard_set_map(65, 37); test_log(keyboard_get_map(65)); test_log(keyboard_get_map(300))")
      .on(ev_keypress, 37, "test_log('left pressed'); io_clear(); test_log(keyboard_check(37))")
      .on(ev_keypress, 65, "test_log('A pressed')")
      .on(ev_step, ev_step_normal, "test_log(keyboard_check(37)); keyboard_unset_map(); test_log(keyboard_get_map(65))");
  g.room("rm").place(0, 0, 0, 100001);
  g.run(1, script({{0, {key(WindowEvent::KeyDown, 65)}}}));
  EXPECT_EQ(gameLog(), (Log{"37", "300", "|", "left pressed", "0", "0", "65", "|"}));
}

}  // namespace
}  // namespace qv::world

namespace qv::world {
namespace {

TEST(ScriptedInput, ItemsBecomeWindowEventsInStepOrder) {
  std::string error;
  auto events = ParseScriptedInput("3:keyup:65;1:keydown:65;;2:mousemove:10,-4;2:mousedown:2;2:wheel:down;1:char:8", &error);
  ASSERT_TRUE(events) << error;
  ASSERT_EQ(events->size(), 6u);
  const auto& e = *events;
  EXPECT_EQ(e[0].step, 1);
  EXPECT_EQ(e[0].event.kind, platform::WindowEvent::KeyDown);
  EXPECT_EQ(e[0].event.vk, 65);
  EXPECT_EQ(e[1].event.kind, platform::WindowEvent::Character);
  EXPECT_EQ(e[1].event.character, 8);
  EXPECT_EQ(e[2].event.kind, platform::WindowEvent::MouseMove);
  EXPECT_EQ(e[2].event.y, -4);
  EXPECT_EQ(e[3].event.kind, platform::WindowEvent::MouseDown);
  EXPECT_EQ(e[3].event.button, 2);
  EXPECT_EQ(e[3].event.x, 10);  // at the last position moved to
  EXPECT_EQ(e[4].event.wheel, -1);
  EXPECT_EQ(e[5].step, 3);
}

TEST(ScriptedInput, BadItemsAreRejectedWithTheItem) {
  for (const char* bad : {"keydown:65", "0:keydown:65", "x:keydown:65", "1:keydown:256", "1:mousedown:4",
                          "1:mousemove:5", "1:wheel:left", "1:jump:1", "1:char:0"}) {
    std::string error;
    EXPECT_FALSE(ParseScriptedInput(bad, &error)) << bad;
    EXPECT_NE(error.find(bad), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace qv::world

namespace qv::world {
namespace {

TEST(FunctionKeys, EscEndsTheGameOnlyWhenItsSettingIsOn) {
  for (bool escEnds : {true, false}) {
    inputSettings().escEnds = escEnds;
    TestGame g;
    g.object("obj")
        .on(ev_step, ev_step_normal, "test_log('step')")
        .on(ev_other, ev_game_end, "test_log('end ' + string(keyboard_lastkey))");
    g.room("rm").place(0, 0, 0, 100001);
    const int64_t steps = g.run(3, [calls = 0]() mutable {
      if (calls++ == 1) HandleWindowInput(key(WindowEvent::KeyDown, 27));
      return true;
    });
    if (escEnds) {
      EXPECT_EQ(steps, 2);
      EXPECT_EQ(gameLog(), (Log{"step", "end 0"}));  // the step that saw Esc stops at once
    } else {
      EXPECT_EQ(steps, 3);
      EXPECT_EQ(gameLog(), (Log{"step", "step", "step", "end 27"}));
    }
  }
  inputSettings() = InputSettings{};
}

}  // namespace
}  // namespace qv::world

namespace qv::world {
namespace {

TEST(CloseButton, ActsAsEscOrRaisesTheCloseButtonEvent) {
  for (bool closeAsEsc : {true, false}) {
    inputSettings().closeAsEsc = closeAsEsc;
    TestGame g;
    g.object("obj")
        .on(ev_step, ev_step_normal, "test_log('step')")
        .on(ev_other, ev_close_button, "test_log('close ' + string(id))")
        .on(ev_other, ev_game_end, "test_log('end')");
    g.room("rm").place(0, 0, 0, 100001).place(0, 0, 0, 100002);
    WindowEvent close;
    close.kind = WindowEvent::Close;
    const int64_t steps = g.run(3, [close, calls = 0]() mutable {
      if (calls++ == 1) HandleWindowInput(close);
      return true;
    });
    if (closeAsEsc) {
      EXPECT_EQ(steps, 2);
      EXPECT_EQ(gameLog(), (Log{"step", "step", "end", "end"}));
    } else {
      EXPECT_EQ(steps, 3);  // the window stays open: the game decides
      EXPECT_EQ(gameLog(), (Log{"step", "step", "close 100001", "close 100002", "step", "step", "step", "step", "end", "end"}));
    }
  }
  inputSettings() = InputSettings{};
}

// A stand-in for the host's joysticks: device 0 answers with the reading given, device 1 is absent.
struct FakeJoystick {
  platform::JoystickReading reading;
  FakeJoystick() {
    system::joystickSource().read = [this](int device, platform::JoystickReading& r) {
      if (device != 0) return false;
      r = reading;
      return true;
    };
    system::joystickSource().capabilities = [](int device, platform::JoystickCapabilities& c) {
      if (device != 0) return false;
      c = {"Test Pad", 4, 10, true};
      return true;
    };
  }
  ~FakeJoystick() { system::joystickSource() = system::JoystickSource{}; }
};

TEST(Joystick, TheStickAndButtonsRaiseMouseEventsBetweenTheKeyboardAndTheStep) {
  FakeJoystick pad;
  pad.reading.axes[0] = 100;    // left
  pad.reading.axes[1] = 65535;  // down
  pad.reading.buttons = 0b101;  // buttons 1 and 3
  TestGame g;
  g.object("obj")
      .on(ev_keyboard, 0, "test_log('no key')")
      .on(ev_mouse, 16, "test_log('left')")
      .on(ev_mouse, 17, "test_log('right')")
      .on(ev_mouse, 18, "test_log('up')")
      .on(ev_mouse, 19, "test_log('down')")
      .on(ev_mouse, 21, "test_log('button 1')")
      .on(ev_mouse, 22, "test_log('button 2')")
      .on(ev_mouse, 23, "test_log('button 3')")
      .on(ev_mouse, 31, "test_log('second pad left')")
      .on(ev_step, ev_step_normal, "test_log('step')");
  g.room("rm").place(0, 0, 0, 100001);
  g.run(2, [&pad, calls = 0]() mutable {
    if (calls++ == 1) pad.reading = platform::JoystickReading{};  // released, centred
    return true;
  });
  EXPECT_EQ(gameLog(), (Log{"no key", "left", "down", "button 1", "button 3", "step", "no key", "step"}));
}

TEST(Joystick, FunctionsReadTheSelectedDevice) {
  TestGame g;
  g.object("obj").on(ev_create, 0,
                     "test_log(string(joystick_exists(1)) + ' ' + string(joystick_direction(1)) + ' ' + "
                     "string(joystick_pov(1)) + ' ' + string(joystick_xpos(1)) + ' ' + "
                     "string(joystick_check_button(1, 1)) + ' ' + string(joystick_check_button(1, 33)) + ' ' + "
                     "joystick_name(1) + '|' + string(joystick_axes(1)) + ' ' + string(joystick_buttons(1)) + ' ' + "
                     "string(joystick_has_pov(1)) + ' ' + string(joystick_exists(2)) + ' ' + "
                     "string(joystick_direction(2)) + ' ' + string(joystick_ypos(3)));");
  g.room("rm").place(0, 0, 0, 100001);
  {
    FakeJoystick pad;
    pad.reading.axes[0] = 65535;  // fully right
    pad.reading.axes[1] = 65535;  // fully down
    pad.reading.buttons = 1;
    pad.reading.pov = 27000;
    g.run(1);
  }
  // Absent devices answer with the defaults; argument 3 reads the first joystick.
  EXPECT_EQ(gameLog(), (Log{"1 99 270 1.00 1 0 Test Pad|4 10 1 0 101 1.00"}));
  const std::pair<int, int> bands[] = {{0, 1}, {19999, 1}, {20000, 2}, {44000, 2}, {44001, 3}, {65535, 3}};
  for (auto [raw, column] : bands) {
    platform::JoystickReading r;
    r.axes[0] = uint32_t(raw);
    r.axes[1] = uint32_t(raw);
    const int row = column == 1 ? 6 : column == 2 ? 3 : 0;
    EXPECT_EQ(system::JoystickDirection(r), 96 + row + column) << raw;
  }
}

TEST(Joystick, WithoutDevicesTheFunctionsGiveTheirDefaults) {
  system::joystickSource() = system::JoystickSource{};  // the host's devices: none on a test machine
  TestGame g;
  g.object("obj").on(ev_create, 0,
                     "test_log(string(joystick_exists(1)) + ' ' + string(joystick_direction(1)) + ' ' + "
                     "string(joystick_pov(1)) + ' ' + string(joystick_xpos(1)) + ' [' + joystick_name(1) + ']');");
  g.room("rm").place(0, 0, 0, 100001);
  g.run(1);
  EXPECT_EQ(gameLog(), (Log{"0 101 -1 0 []"}));
}

TEST(InactiveWindow, ClearsTheInputOrFreezesTheGame) {
  for (bool freeze : {false, true}) {
    inputSettings().freezeWhenInactive = freeze;
    TestGame g;
    g.object("obj").on(ev_step, ev_step_normal, "test_log(string(keyboard_check(65)))");
    g.room("rm").place(0, 0, 0, 100001);
    g.run(3, [calls = 0]() mutable {
      ++calls;
      if (calls == 1) HandleWindowInput(key(WindowEvent::KeyDown, 65));
      graphics::display().windowActive = calls != 2;  // inactive for the second step only
      return true;
    });
    graphics::display().windowActive = true;
    if (freeze) EXPECT_EQ(gameLog(), (Log{"1", "1"}));  // the second step stands still
    else EXPECT_EQ(gameLog(), (Log{"1", "0", "0"}));   // the held key is forgotten
  }
  inputSettings() = InputSettings{};
}

}  // namespace
}  // namespace qv::world

namespace qv::world {
namespace {

TEST(Input, TheMousePositionIsMappedIntoTheRoomThroughTheViews) {
  graphics::Display& d = graphics::display();
  graphics::ViewMapping& view = d.views[1];
  view.active = true;
  view.viewX = 100, view.viewY = 50, view.viewWidth = 320, view.viewHeight = 240;
  view.portX = 0, view.portY = 0, view.portWidth = 640, view.portHeight = 480;
  TestGame g;
  g.object("obj").on(ev_step, ev_step_normal, "test_log(string(mouse_x) + ',' + string(mouse_y))");
  g.room("rm").place(0, 0, 0, 100001);
  g.run(1, [] {
    HandleWindowInput(mouse(WindowEvent::MouseMove, 0, 40, 21));
    return true;
  });
  view = graphics::ViewMapping{};
  EXPECT_EQ(gameLog(), (Log{"120,60"}));  // half the window's scale, from the view's corner; 10.5 rounds to even
}

}  // namespace
}  // namespace qv::world
