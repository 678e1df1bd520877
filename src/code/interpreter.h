// The interpreter: runs a compiled CCode for an instance.
//
// Statuses of statements: 0 normal, -1 error, -2 exit or return, -3 break, -4 continue. Every
// execution has one result slot that statement-level assignments, call statements and `return`
// write. The first error of an execution is recorded (formatted with its position) and ends it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "code/ccode.h"
#include "code/value.h"

namespace qv::code {

class CInstanceBase;

// Game settings the interpreter follows.
struct CodeSettings {
  bool uninitializedAsZero = false;  // a read that misses yields 0 instead of an error
};
CodeSettings& codeSettings();

// Chooses the functions that run the common shapes of statements in a checked tree (the compiler
// calls it once per compilation); statements without one take the general walk.
void PrepareStatements(Node& root);

bool Execute(const CCode& code, CInstanceBase* self, CInstanceBase* other, RValue& result);
// Execute; a failure is reported as a non-fatal error of the running action.
bool ExecuteAction(const CCode& code, CInstanceBase* self, CInstanceBase* other, RValue& result);
// Execute; a failure turns the result into the string "ERROR".
bool ExecuteValue(const CCode& code, CInstanceBase* self, CInstanceBase* other, RValue& result);
// Runs script `index` with up to 16 arguments; on failure the recorded message gets an
// "In script <name>:" line in front.
bool CallScript(int32_t index, CInstanceBase* self, CInstanceBase* other, RValue& result,
                const RValue* args, int count);

// Calls function `index` the one way every caller does (code's calls and function actions): an
// extension function (500000 and above), a script (100000 and above) or a built-in, whose handler
// writes a fresh result that then moves into `result`. False when the script or the extension
// function failed (the script's message is recorded); an index that names nothing does nothing.
bool CallFunction(int32_t index, CInstanceBase* self, CInstanceBase* other, RValue& result,
                  const RValue* args, int argc);

// Variable access through an instance specifier, for code that names variables at run time.
// Reads return false on a miss (the uninitialised-as-0 setting is the caller's business).
bool ReadVariable(CInstanceBase* self, CInstanceBase* other, int32_t specifier, int32_t id,
                  int32_t index, RValue& out);
bool WriteVariable(CInstanceBase* self, CInstanceBase* other, int32_t specifier, int32_t id,
                   int32_t index, const RValue& value);

// Native recursion (scripts calling scripts, `with`, executed strings, events performed from code)
// is limited by the stack it uses: beyond this many bytes below the outermost execution, a new
// execution fails with kDepthMessage. Main threads have 8 MB; this leaves room for built-ins and
// for the larger frames of sanitizer builds.
inline constexpr size_t kStackBudget = size_t{3} << 20;
inline constexpr const char* kDepthMessage = "Code calls are nested too deeply.";

// A budget of loop rounds and calls for untrusted runs (the fuzzer); -1 means no limit. When it
// runs out, the code stops with kBudgetMessage.
void SetStepBudget(int64_t steps);
inline constexpr const char* kBudgetMessage = "Step budget exhausted.";

}  // namespace qv::code
