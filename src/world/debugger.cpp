#include "world/debugger.h"

#include <charconv>
#include <cmath>

#include "code/builtin_variables.h"
#include "code/ccode.h"
#include "code/errors.h"
#include "code/interpreter.h"
#include "code/variables.h"
#include "data/runner_state.h"
#include "world/game_world.h"
#include "world/instance.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/room.h"

namespace qv::world {

namespace {

// The built-in variables an instance shows, in the order a person reads them.
constexpr const char* kInstanceVariables[] = {
    "id", "object_index", "x", "y", "xprevious", "yprevious", "xstart", "ystart", "hspeed", "vspeed",
    "speed", "direction", "friction", "gravity", "gravity_direction", "sprite_index", "image_index",
    "image_speed", "image_xscale", "image_yscale", "image_angle", "image_alpha", "image_blend",
    "mask_index", "depth", "visible", "solid", "persistent", "timeline_index", "timeline_position",
    "path_index", "path_position"};

// Numbers as the debugger shows them: the shortest text that reads back as the same real, so no
// digit is hidden ("0.1", "3", "1e+300"); strings in double quotes.
std::string valueText(const code::RValue& v) {
  if (v.isString()) return "\"" + v.str + "\"";
  if (v.real == 0) return "0";  // -0 too
  char text[64];
  const auto done = std::to_chars(text, text + sizeof text, v.real);
  return std::string(text, done.ptr);
}

// The last line of an error message, without the blanks in front: the line that says what went
// wrong ("position 3: Unknown variable foo"); the lines before repeat the code.
std::string lastLine(const std::string& message) {
  size_t end = message.size();
  while (end > 0 && (message[end - 1] == '\r' || message[end - 1] == '\n')) --end;
  size_t start = end == 0 ? std::string::npos : message.find_last_of("\r\n", end - 1);
  start = start == std::string::npos ? 0 : start + 1;
  while (start < end && message[start] == ' ') ++start;
  return message.substr(start, end - start);
}

CInstance* liveInstance(int32_t id) {
  CInstance* in = CurrentRoom().FindById(id);
  return in && IsLive(*in) ? in : nullptr;
}

// Computes `expression` for the context; false with the error in `out` when it does not compile,
// fails, reports an error or the instance is gone. Nothing reaches the game's error handling.
bool evaluate(const std::string& expression, int32_t context, code::RValue& out, std::string& error) {
  std::unique_ptr<CInstance> temporary;
  CInstance* self = nullptr;
  if (context == kGlobalContext) {
    temporary = MakeTemporaryInstance();
    self = temporary.get();
  } else if (!(self = liveInstance(context))) {
    error = "no instance " + std::to_string(context) + " in the room";
    return false;
  }
  code::ErrorCapture capture;
  code::CCode compiled(expression, true);
  bool ok = compiled.Compile();
  if (ok) ok = code::Execute(compiled, self, self, out);
  if (!ok) {
    error = lastLine(code::errorState().current.empty() ? capture.first() : code::errorState().current);
    if (error.empty()) error = "error";
    return false;
  }
  if (!capture.first().empty()) {
    error = lastLine(capture.first());
    return false;
  }
  return true;
}

std::string variableText(const code::RVariable& v) {
  std::string text = valueText(v.value);
  if (v.elementCount > 0) text += "  (array, " + std::to_string(v.elementCount + 1) + " elements)";
  return text;
}

}  // namespace

std::string DebugValueText(const code::RValue& v) { return valueText(v); }
std::string DebugVariableText(const code::RVariable& v) { return variableText(v); }

std::string Debugger::evaluateText(const std::string& expression, int32_t context, bool& failed) const {
  code::RValue value;
  std::string error;
  failed = !evaluate(expression, context, value, error);
  return failed ? error : valueText(value);
}

Debugger& debugger() {
  static Debugger d;
  return d;
}

void Debugger::run() {
  data::Runner().paused = false;
  stepsAsked_ = 0;
}

void Debugger::pause() { data::Runner().paused = true; }

void Debugger::stepOnce() {
  data::Runner().paused = true;
  ++stepsAsked_;
}

bool Debugger::paused() const { return data::Runner().paused; }

bool Debugger::mayStep() {
  if (!data::Runner().paused) return true;
  if (stepsAsked_ == 0) return false;
  --stepsAsked_;
  return true;
}

void Debugger::stepDone() { evaluateWatches(); }

size_t Debugger::addWatch(std::string expression, int32_t context) {
  watches_.push_back(DebugWatch{std::move(expression), context, "", false});
  DebugWatch& w = watches_.back();
  code::RValue value;
  w.failed = !evaluate(w.expression, w.context, value, w.value);
  if (!w.failed) w.value = valueText(value);
  return watches_.size() - 1;
}

void Debugger::removeWatch(size_t position) {
  if (position < watches_.size()) watches_.erase(watches_.begin() + static_cast<std::ptrdiff_t>(position));
}

void Debugger::evaluateWatches() {
  for (DebugWatch& w : watches_) {
    code::RValue value;
    std::string error;
    w.failed = !evaluate(w.expression, w.context, value, error);
    w.value = w.failed ? error : valueText(value);
  }
}

std::vector<DebugVariable> Debugger::globals() const {
  std::vector<DebugVariable> out;
  for (const code::RVariable& v : code::globalStore().list().entries())
    out.push_back({code::variableNames().nameOf(v.id), variableText(v), false});
  return out;
}

std::vector<DebugInstance> Debugger::instances() const {
  std::vector<DebugInstance> out;
  for (const auto& in : CurrentRoom().instances)
    if (IsLive(*in)) out.push_back({in->id, ObjectName(in->objectIndex), in->x, in->y});
  return out;
}

std::vector<DebugVariable> Debugger::instanceVariables(int32_t id) const {
  std::vector<DebugVariable> out;
  CInstance* in = liveInstance(id);
  if (!in) return out;
  for (const code::RVariable& own : in->variables.entries())
    out.push_back({code::variableNames().nameOf(own.id), variableText(own), false});
  code::RValue v;
  for (const char* name : kInstanceVariables) {
    if (code::ReadBuiltinVariable(code::FindBuiltinVariable(name), in, 0, v)) out.push_back({name, valueText(v), true});
  }
  for (int a = 0; a < kAlarmCount; ++a) {
    if (code::ReadBuiltinVariable(code::bv_alarm, in, a, v) && v.real != -1)
      out.push_back({"alarm[" + std::to_string(a) + "]", valueText(v), true});
  }
  return out;
}

std::string Debugger::setVariable(int32_t context, const std::string& name, const std::string& expression) {
  code::RValue value;
  std::string error;
  if (!evaluate(expression, context, value, error)) return error;
  const int32_t id = code::variableNames().resolve(name);
  if (context == kGlobalContext) {
    if (id < code::kUserVariableBase) return "not a global variable: " + name;
    code::globalStore().list().set(id, 0, value);
  } else {
    CInstance* in = liveInstance(context);
    if (!in) return "no instance " + std::to_string(context) + " in the room";
    code::ErrorCapture capture;
    if (!code::WriteVariable(in, in, -1, id, 0, value) || !capture.first().empty())
      return capture.first().empty() ? "cannot write " + name : lastLine(capture.first());
  }
  evaluateWatches();
  return "";
}

void Debugger::addMessage(const std::string& line) {
  messages_.push_back(line);
  while (messages_.size() > kMaxDebugMessages) messages_.pop_front();
}

int32_t Debugger::fps() const { return framesPerSecond(); }

std::string Debugger::roomName() const { return HasCurrentRoom() ? RoomName(CurrentRoomIndex()) : ""; }

int64_t Debugger::step() const { return stepCounter(); }

void Debugger::reset() {
  run();
  watches_.clear();
  messages_.clear();
}

}  // namespace qv::world
