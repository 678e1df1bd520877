// The debugger of debug mode, without pixels: running, pausing and stepping the game one step at a
// time, watch expressions, the global variables, the instances of the room with their built-in and
// own variables (editable), the messages of `show_debug_message`, the fps and the room. The
// debugger window draws this model and sends its clicks here; tests and headless automation drive
// it directly.
//
// The main loop asks `mayStep()` before every step: false holds the loop (the paused state), which
// then only handles window events until the debugger runs the game again or asks for one step.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace qv::code {
struct RValue;
struct RVariable;
}  // namespace qv::code

namespace qv::world {

// The context of a watch or an edit: the global one (code runs for a temporary instance outside
// the room, `global.` names the globals), or the instance of the room with that id.
inline constexpr int32_t kGlobalContext = -5;

struct DebugWatch {
  std::string expression;
  int32_t context = kGlobalContext;
  std::string value;   // after the last evaluation: the value, or the error when `failed`
  bool failed = false;
};

struct DebugVariable {
  std::string name;
  std::string value;
  bool builtin = false;
};

struct DebugInstance {
  int32_t id = 0;
  std::string object;
  double x = 0, y = 0;
};

class Debugger {
 public:
  // Debug mode: the loop consults the debugger only when it is on.
  bool enabled() const { return enabled_; }
  void setEnabled(bool on) { enabled_ = on; }

  // ---- running ----
  void run();
  void pause();
  // While paused: the loop runs exactly one more step, then holds again. Calls add up.
  void stepOnce();
  bool paused() const;
  // A step asked for by stepOnce has not run yet.
  bool stepPending() const { return stepsAsked_ > 0; }
  // For the loop: whether the next step may run now (consumes a step asked for).
  bool mayStep();
  // For the loop: a step has run; the watches are evaluated again.
  void stepDone();

  // ---- watches ----
  // Adds a watch and evaluates it at once; returns its position.
  size_t addWatch(std::string expression, int32_t context = kGlobalContext);
  void removeWatch(size_t position);
  const std::vector<DebugWatch>& watches() const { return watches_; }
  // Evaluates every watch. An expression that does not compile or fails shows its error as its
  // value; nothing is reported to the game's error handling and the game goes on.
  void evaluateWatches();

  // ---- variables ----
  // The global variables in the order they were made (element 0 of arrays, with their size).
  std::vector<DebugVariable> globals() const;
  // The live instances of the current room in list order.
  std::vector<DebugInstance> instances() const;
  // An instance's own variables, then its built-in ones (alarms only when set); empty when no live
  // instance has that id.
  std::vector<DebugVariable> instanceVariables(int32_t id) const;
  // Gives variable `name` (a global with kGlobalContext) the value of `expression`, computed in the
  // same context. Returns the error, or an empty string when the value was written.
  std::string setVariable(int32_t context, const std::string& name, const std::string& expression);
  // The value of `expression` in a context as the debugger shows it, or its error (`failed`).
  // Nothing reaches the game's error handling.
  std::string evaluateText(const std::string& expression, int32_t context, bool& failed) const;

  // ---- messages, fps, room ----
  void addMessage(const std::string& line);
  const std::deque<std::string>& messages() const { return messages_; }
  void clearMessages() { messages_.clear(); }
  int32_t fps() const;
  std::string roomName() const;
  int64_t step() const;

  // Back to the state of a fresh debugger (running, no watches, no messages); enabled stays.
  void reset();

 private:
  bool enabled_ = false;
  int64_t stepsAsked_ = 0;
  std::vector<DebugWatch> watches_;
  std::deque<std::string> messages_;
};

// Values and variables as the debugger shows them: reals in their shortest exact form, strings in
// double quotes; an array adds its size.
std::string DebugValueText(const code::RValue& v);
std::string DebugVariableText(const code::RVariable& v);

// The one debugger of the process.
Debugger& debugger();

// The most messages the list keeps: the oldest go first.
inline constexpr size_t kMaxDebugMessages = 5000;

}  // namespace qv::world
