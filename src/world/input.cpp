#include "world/input.h"

#include <vector>

#include "world/event_names.h"
#include "world/event_performer.h"

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

double& windowMouseX() {
  static double x = 0;
  return x;
}
double& windowMouseY() {
  static double y = 0;
  return y;
}

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

}  // namespace qv::world
