#include "world/input.h"
#include "world/saved_game.h"

#include <filesystem>
#include <vector>

#include "code/rounding.h"
#include "graphics/display.h"
#include "graphics/sprite.h"
#include "motion/collision.h"
#include "system/joysticks.h"
#include "windows/game_information.h"
#include "world/dispatch.h"
#include "world/event_names.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/instance.h"
#include "world/transfer.h"

namespace qv::world {

InputState& input() {
  static InputState s;
  return s;
}

std::array<int32_t, 256>& keyMap() {
  static std::array<int32_t, 256> map = [] {
    std::array<int32_t, 256> m{};
    for (int32_t k = 0; k < 256; ++k) m[static_cast<size_t>(k)] = k;
    return m;
  }();
  return map;
}

std::function<bool()>& windowMessagePump() {
  static std::function<bool()> pump;
  return pump;
}

namespace {
std::vector<std::pair<int32_t, bool>>& syntheticKeys() {
  static std::vector<std::pair<int32_t, bool>> queue;
  return queue;
}
int32_t mapped(int32_t vk) { return vk >= 0 && vk <= 255 ? keyMap()[static_cast<size_t>(vk)] : -1; }
}  // namespace

void QueueSyntheticKey(int32_t vk, bool down) { syntheticKeys().emplace_back(vk, down); }

void HandleSyntheticInput() {
  std::vector<std::pair<int32_t, bool>> pending;
  pending.swap(syntheticKeys());
  for (auto [vk, down] : pending) {
    if (down) OnKeyDown(vk);
    else OnKeyUp(vk);
  }
}

void ProcessWindowMessages() {
  if (windowMessagePump()) windowMessagePump()();
  HandleSyntheticInput();
}

void OnKeyDown(int32_t vk) {
  vk = mapped(vk);
  if (vk < 0 || vk > 255) return;
  InputState& s = input();
  s.lastKey = vk;
  s.key = vk;
  if (!s.keyDown[static_cast<size_t>(vk)]) s.keyPressed[static_cast<size_t>(vk)] = true;
  s.keyDown[static_cast<size_t>(vk)] = true;
}

void OnKeyUp(int32_t vk) {
  vk = mapped(vk);
  if (vk < 0 || vk > 255) return;
  InputState& s = input();
  if (s.key == vk) s.key = 0;
  s.keyDown[static_cast<size_t>(vk)] = false;
  s.keyReleased[static_cast<size_t>(vk)] = true;
}

void OnCharacter(uint8_t ch) {
  InputState& s = input();
  s.lastChar = std::string(1, static_cast<char>(ch));
  constexpr size_t kKept = 1024;
  if (s.typed.size() > kKept) s.typed.erase(0, s.typed.size() - kKept);
  if (ch == 8) {
    if (!s.typed.empty()) s.typed.pop_back();
  } else if (ch >= 32) {
    s.typed.push_back(static_cast<char>(ch));
  }
}

void OnMouseDown(int32_t button) {
  if (button < 1 || button > 3) return;
  InputState& s = input();
  s.mouseButton = button;
  s.mouseLastButton = button;
  s.buttonDown[static_cast<size_t>(button)] = true;
  s.buttonPressed[static_cast<size_t>(button)] = true;
}

void OnMouseUp(int32_t button) {
  if (button < 1 || button > 3) return;
  InputState& s = input();
  s.mouseButton = 0;
  s.buttonDown[static_cast<size_t>(button)] = false;
  s.buttonReleased[static_cast<size_t>(button)] = true;
}

namespace {
// The position the handlers saw last; the mouse stage reads it into the state.
double& windowMouseX() {
  static double x = 0;
  return x;
}
double& windowMouseY() {
  static double y = 0;
  return y;
}
}  // namespace

void OnMouseMove(double x, double y) {
  windowMouseX() = x;
  windowMouseY() = y;
}

void OnWheel(bool up) {
  if (up) input().wheelUp = true;
  else input().wheelDown = true;
}

void OnCloseButton() {
  if (inputSettings().closeAsEsc) {
    InputState& s = input();
    s.keyDown[27] = true;
    s.key = s.lastKey = 27;
    return;
  }
  PerformEventForAll(ev_other, ev_close_button);
}

void HandleWindowInput(const platform::WindowEvent& e) {
  using platform::WindowEvent;
  switch (e.kind) {
    case WindowEvent::KeyDown: if (e.vk != 0) OnKeyDown(e.vk); break;
    case WindowEvent::KeyUp: if (e.vk != 0) OnKeyUp(e.vk); break;
    case WindowEvent::Character: OnCharacter(static_cast<uint8_t>(e.character)); break;
    case WindowEvent::MouseDown: OnMouseMove(e.x, e.y); OnMouseDown(e.button); break;
    case WindowEvent::MouseUp: OnMouseMove(e.x, e.y); OnMouseUp(e.button); break;
    case WindowEvent::MouseMove: OnMouseMove(e.x, e.y); break;
    case WindowEvent::Wheel: OnWheel(e.wheel > 0); break;
    case WindowEvent::Close: OnCloseButton(); break;
    default: break;
  }
}

void ClearInput() {
  InputState& s = input();
  s.keyDown.fill(false);
  s.keyPressed.fill(false);
  s.keyReleased.fill(false);
  s.buttonDown.fill(false);
  s.buttonPressed.fill(false);
  s.buttonReleased.fill(false);
  s.lastKey = s.key = 0;
  s.lastChar.clear();
  s.mouseButton = s.mouseLastButton = 0;
  s.wheelUp = s.wheelDown = false;
}

void ClearPressedFlags() {
  InputState& s = input();
  s.keyPressed.fill(false);
  s.keyReleased.fill(false);
  s.buttonPressed.fill(false);
  s.buttonReleased.fill(false);
  s.wheelUp = s.wheelDown = false;
}

InputSettings& inputSettings() {
  static InputSettings settings;
  return settings;
}

void HandleFunctionKeys() {
  InputState& s = input();
  const InputSettings& on = inputSettings();
  switch (s.lastKey) {
    case 112:
      if (!on.f1Information) return;
      s.lastKey = 0;
      windows::ShowGameInformation();  // clears the input when it closes
      return;
    case 27:
      if (!on.escEnds) return;
      s.lastKey = 0;
      transferRequest() = kTransferEnd;
      return;
    case 115: {
      if (!on.f4Fullscreen) return;
      s.lastKey = 0;
      graphics::Display& d = graphics::display();
      d.setFullscreen(!d.fullscreen);
      return;
    }
    case 116:
      if (!on.f5f6SaveLoad) return;
      s.lastKey = 0;
      QuickSave();
      return;
    case 117:
      if (!on.f5f6SaveLoad) return;
      s.lastKey = 0;
      QuickLoad();
      return;
    case 120: {
      if (!on.f9Screenshot) return;
      s.lastKey = 0;
      graphics::Display& d = graphics::display();
      for (int n = 100;; ++n) {
        const std::string name = "screenshot" + std::to_string(n) + ".png";
        std::error_code ec;
        if (std::filesystem::exists(name, ec)) continue;
        d.saveScreen(name, 0, 0, 1 << 20, 1 << 20);
        return;
      }
    }
    default: return;
  }
}

namespace {

// Raises (kind, number) for every instance of every object that has it; with a test, only for the
// instances it holds for (the local mouse events: those under the mouse).
void raiseFor(int32_t kind, int32_t number, bool (*test)(const CInstance&) = nullptr) {
  RaiseEventWhere(kind, number, [test](const CInstance& in) { return !test || test(in); });
}

// Whether the instance covers a point: the precise point test against its mask.
bool covers(const CInstance& in, double x, double y) { return motion::InstanceTouchesPoint(in, x, y, true); }
bool coversMouse(const CInstance& in) { return covers(in, input().mouseX, input().mouseY); }
bool entered(const CInstance& in) {
  return coversMouse(in) && !covers(in, input().previousMouseX, input().previousMouseY);
}
bool left(const CInstance& in) {
  return !coversMouse(in) && covers(in, input().previousMouseX, input().previousMouseY);
}

// One keyboard pass over a flag table: every key code from 8 to 255 that is set raises its event
// (codes above 128 have no dispatch list but still count); then "no key" or "any key".
void keyPass(int32_t kind, bool includeHeld, const std::array<bool, 256>& flags) {
  const InputState& s = input();
  bool any = false;
  for (int32_t code = 8; code <= 255; ++code) {
    const size_t k = static_cast<size_t>(code);
    if (!flags[k] && !(includeHeld && s.keyPressed[k])) continue;
    any = true;
    if (code <= 128) raiseFor(kind, code);
    if (TransferPending()) return;
  }
  raiseFor(kind, any ? 1 : 0);
}

}  // namespace

void RaiseKeyboardEvents() {
  keyPass(ev_keyboard, true, input().keyDown);
  if (TransferPending()) return;
  keyPass(ev_keypress, false, input().keyPressed);
  if (TransferPending()) return;
  keyPass(ev_keyrelease, false, input().keyReleased);
}

void RaiseMouseEvents() {
  InputState& s = input();
  s.previousMouseX = s.mouseX;
  s.previousMouseY = s.mouseY;
  // The cursor in the window becomes a room position through the views drawn last.
  const graphics::Point room = graphics::display().windowToRoomAllViews(code::roundToInt32(windowMouseX()),
                                                                          code::roundToInt32(windowMouseY()));
  s.mouseX = room.x;
  s.mouseY = room.y;
  bool any = false;
  for (int32_t b = 1; b <= 3; ++b) {
    const size_t k = static_cast<size_t>(b);
    if (!s.buttonDown[k] && !s.buttonPressed[k]) continue;
    any = true;
    raiseFor(ev_mouse, b - 1, coversMouse);
    raiseFor(ev_mouse, 49 + b);
    if (TransferPending()) return;
  }
  if (!any) raiseFor(ev_mouse, 3, coversMouse);
  for (int32_t b = 1; b <= 3; ++b) {
    if (!s.buttonPressed[static_cast<size_t>(b)]) continue;
    raiseFor(ev_mouse, b + 3, coversMouse);
    raiseFor(ev_mouse, 12);
    raiseFor(ev_mouse, 52 + b);
    if (TransferPending()) return;
  }
  for (int32_t b = 1; b <= 3; ++b) {
    if (!s.buttonReleased[static_cast<size_t>(b)]) continue;
    raiseFor(ev_mouse, b + 6, coversMouse);
    raiseFor(ev_mouse, 13);
    raiseFor(ev_mouse, 55 + b);
    if (TransferPending()) return;
  }
  raiseFor(ev_mouse, 10, entered);
  raiseFor(ev_mouse, 11, left);
  if (s.wheelUp) raiseFor(ev_mouse, 60);
  if (s.wheelDown) raiseFor(ev_mouse, 61);
}

}  // namespace qv::world

namespace qv::world {

void RaiseJoystickEvents() {
  // Joystick 1 raises mouse events 16 to 28, joystick 2 the same fifteen numbers higher.
  for (int device = 0; device < 2; ++device) {
    platform::JoystickReading r;
    if (!system::joystickSource().read(device, r)) continue;
    const int32_t base = 16 + 15 * device;
    if (r.axes[0] < 20000) raiseFor(ev_mouse, base);
    if (r.axes[0] > 44000) raiseFor(ev_mouse, base + 1);
    if (r.axes[1] < 20000) raiseFor(ev_mouse, base + 2);
    if (r.axes[1] > 44000) raiseFor(ev_mouse, base + 3);
    for (int32_t b = 0; b < 8; ++b)
      if (r.buttons >> b & 1u) raiseFor(ev_mouse, base + 5 + b);
    if (TransferPending()) return;
  }
}

}  // namespace qv::world
