// Scripted input for automated runs: a list of window events, each delivered before a given step,
// through the same handlers as the window's own events.
//
// Text format (QUORVANE_INPUT): items separated by ';', each "STEP:KIND:ARGUMENT" where STEP is the
// step (1 = the first) before which the event arrives and KIND is one of
//   keydown:VK  keyup:VK        a virtual key code (65 = A, 37 = left, 27 = Esc)
//   char:CODE                   a typed character code (8 = backspace)
//   mousemove:X,Y               the mouse position in the window
//   mousedown:B  mouseup:B      button 1 left, 2 right, 3 middle, at the last position moved to
//   wheel:up  wheel:down
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/game_window.h"

namespace qv::world {

struct ScriptedEvent {
  int64_t step = 1;
  platform::WindowEvent event;
};

// The events in the order given; nullopt with `error` set when an item cannot be read.
std::optional<std::vector<ScriptedEvent>> ParseScriptedInput(const std::string& text, std::string* error);

// Delivers the events due before step `step` (each event once, in order).
class ScriptedInput {
 public:
  explicit ScriptedInput(std::vector<ScriptedEvent> events) : events_(std::move(events)) {}
  void deliverBefore(int64_t step);

 private:
  std::vector<ScriptedEvent> events_;
  size_t next_ = 0;
};

}  // namespace qv::world
