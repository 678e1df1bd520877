// The interpreter's hook for a debugger that follows the code statement by statement (the debug
// adapter). With no observer set the interpreter pays one well-predicted test of a global pointer
// per statement and per execution; with one, every statement and every execution is reported.
//
// The observer runs on the game thread inside the execution: it may block there (a breakpoint
// holds the game while the editor looks at it) and may read the frames it was told about, which
// stay valid until their Leave.
#pragma once

#include "code/ccode.h"
#include "code/frame.h"

namespace qv::code {

class StatementObserver {
 public:
  virtual ~StatementObserver() = default;
  // An execution of a program (a script, an action, creation code...) begins with frame `f`.
  // `arguments` is the script argument table it sees (argument0 ...), `argumentCount` its use.
  virtual void Enter(Frame& f, const RValue* arguments, int argumentCount) = 0;
  // Statement `n` of the innermost entered frame `f` is about to run.
  virtual void Statement(const Node& n, Frame& f) = 0;
  // The execution entered with `f` ends (normally or not).
  virtual void Leave(Frame& f) = 0;
};

// The observer or nullptr; set and cleared on the game thread between executions.
extern StatementObserver* g_statementObserver;
inline void SetStatementObserver(StatementObserver* observer) { g_statementObserver = observer; }

}  // namespace qv::code
