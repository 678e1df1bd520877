#include "world/scripted_input.h"

#include <algorithm>
#include <charconv>

#include "world/input.h"

namespace qv::world {

namespace {

bool number(std::string_view text, int64_t& out) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && p == end && !text.empty();
}

}  // namespace

std::optional<std::vector<ScriptedEvent>> ParseScriptedInput(const std::string& text, std::string* error) {
  using platform::WindowEvent;
  std::vector<ScriptedEvent> out;
  int mouseX = 0, mouseY = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(start, end - start);
    start = end + 1;
    if (item.empty()) continue;
    auto fail = [&](const std::string& why) {
      if (error) *error = "bad scripted input item \"" + item + "\": " + why;
      return std::nullopt;
    };
    const size_t c1 = item.find(':');
    const size_t c2 = c1 == std::string::npos ? std::string::npos : item.find(':', c1 + 1);
    if (c2 == std::string::npos) return fail("expected STEP:KIND:ARGUMENT");
    ScriptedEvent se;
    if (!number(std::string_view(item).substr(0, c1), se.step) || se.step < 1) return fail("bad step");
    const std::string kind = item.substr(c1 + 1, c2 - c1 - 1);
    const std::string arg = item.substr(c2 + 1);
    int64_t value = 0;
    WindowEvent& e = se.event;
    if (kind == "keydown" || kind == "keyup") {
      if (!number(arg, value) || value < 0 || value > 255) return fail("bad key");
      e.kind = kind == "keydown" ? WindowEvent::KeyDown : WindowEvent::KeyUp;
      e.vk = static_cast<int>(value);
    } else if (kind == "char") {
      if (!number(arg, value) || value < 1 || value > 255) return fail("bad character");
      e.kind = WindowEvent::Character;
      e.character = static_cast<int>(value);
    } else if (kind == "mousemove") {
      const size_t comma = arg.find(',');
      int64_t x = 0, y = 0;
      if (comma == std::string::npos || !number(std::string_view(arg).substr(0, comma), x) ||
          !number(std::string_view(arg).substr(comma + 1), y))
        return fail("expected X,Y");
      e.kind = WindowEvent::MouseMove;
      mouseX = e.x = static_cast<int>(x);
      mouseY = e.y = static_cast<int>(y);
    } else if (kind == "mousedown" || kind == "mouseup") {
      if (!number(arg, value) || value < 1 || value > 3) return fail("bad button");
      e.kind = kind == "mousedown" ? WindowEvent::MouseDown : WindowEvent::MouseUp;
      e.button = static_cast<int>(value);
      e.x = mouseX;
      e.y = mouseY;
    } else if (kind == "wheel") {
      if (arg != "up" && arg != "down") return fail("expected up or down");
      e.kind = WindowEvent::Wheel;
      e.wheel = arg == "up" ? 1 : -1;
    } else {
      return fail("unknown kind");
    }
    out.push_back(se);
  }
  // Events keep their written order within a step.
  std::stable_sort(out.begin(), out.end(), [](const ScriptedEvent& a, const ScriptedEvent& b) { return a.step < b.step; });
  return out;
}

void ScriptedInput::deliverBefore(int64_t step) {
  while (next_ < events_.size() && events_[next_].step <= step) HandleWindowInput(events_[next_++].event);
}

}  // namespace qv::world
