#include "game/input_stages.h"

#include <filesystem>
#include <string>

#include "code/rounding.h"
#include "graphics/display.h"
#include "motion/collision.h"
#include "system/joysticks.h"
#include "windows/game_information.h"
#include "world/dispatch.h"
#include "world/event_names.h"
#include "world/event_performer.h"
#include "world/input.h"
#include "world/instance.h"
#include "game/saved_game.h"
#include "world/saved_game.h"
#include "world/transfer.h"

namespace qv::game {

using namespace world;

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

}  // namespace qv::game
