// Headless runs drive the debugger through QUORVANE_DEBUGGER: a list of actions separated by `;`.
//
//   pause@N          pause after step N of the run (N >= 1; several may be given)
//   step             run one step, then write the watches to stderr
//   run              run the game on (until the next pause@N)
//   watch:EXPR       watch EXPR globally;  watch@ID:EXPR  in the instance with id ID
//   set:NAME=EXPR    set global NAME;      set@ID:NAME=EXPR  a variable of instance ID
//   show             write the watches to stderr
//
// Every action other than pause@N is taken, in order, while the game is paused: one at a time,
// each after the step asked for before it has run. Each writes a line "quorvane: debugger: ..." to
// stderr. When the actions run out while paused, the game runs on: a headless game never waits for
// a person.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::runner {

struct DebuggerAction {
  enum Kind { PauseAt, Step, Run, Watch, Set, Show } kind = Step;
  int64_t step = 0;           // PauseAt
  int32_t context = -5;       // Watch, Set: -5 global, else an instance id
  std::string name;           // Set
  std::string expression;     // Watch, Set
};

// The actions of a QUORVANE_DEBUGGER text, or nothing with `error` saying which item is wrong.
std::optional<std::vector<DebuggerAction>> ParseDebuggerActions(std::string_view text, std::string* error);

class DebuggerAutomation {
 public:
  explicit DebuggerAutomation(std::vector<DebuggerAction> actions);
  // After each step of the loop (numbered from 1): pauses where asked.
  void afterStep(int64_t step);
  // While the loop waits: takes the next action when paused and no asked step is pending.
  void whilePaused();

 private:
  std::vector<DebuggerAction> pauses_;
  std::vector<DebuggerAction> queue_;
  size_t next_ = 0;
  bool showAfterStep_ = false;
};

}  // namespace qv::runner
