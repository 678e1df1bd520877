// Dynamic code and variables by name: execute_string, execute_file, the variable_* functions and
// show_debug_message.
#include <algorithm>

#include "code/builtin_variables.h"
#include "code/ccode.h"
#include "code/debug_output.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/interpreter.h"
#include "code/variables.h"
#include "platform/bounded_file.h"

namespace qv::code {

namespace {

// Compiles and runs `text` with the arguments after the first; the argument table is restored
// afterwards. `what` names the source in the compile message.
void executeText(BuiltinCall& c, const std::string& text, const char* what) {
  ScriptArgumentFrame arguments(c.argc > 1 ? c.args + 1 : nullptr, c.argc > 1 ? c.argc - 1 : 0);
  CCode code(text, false);
  if (!code.Compile()) {
    const std::string message = errorState().current;
    // Reported here while the caller goes on: the flag must not stay set for the caller.
    ClearRecordedError();
    HandleError(std::string("COMPILATION ERROR in ") + what + " to be executed\r" + message, false);
    return;
  }
  ExecuteAction(code, c.self, c.other, c.result);
}

void executeString(BuiltinCall& c) {
  if (c.argc < 1) return;
  executeText(c, c.args[0].isString() ? c.args[0].str : std::string(), "string");
}

// Every line of the file, followed by one CR; lines end at CR, LF or CRLF.
void executeFile(BuiltinCall& c) {
  if (c.argc < 1) return;
  std::string raw;
  const platform::FileRead read =
      c.args[0].isString() ? platform::ReadFileBounded(c.string(0), kMaxCodeBytes, raw) : platform::FileRead::missing;
  if (read == platform::FileRead::missing) {
    ReportActionError("Trying to execute non-existing file.");
    return;
  }
  if (read == platform::FileRead::tooLarge) {
    HandleError(std::string("COMPILATION ERROR in file to be executed\r") + kCodeTooLargeMessage, false);
    return;
  }
  std::string text;
  text.reserve(raw.size() + 1);
  size_t i = 0;
  while (i < raw.size()) {
    const size_t end = raw.find_first_of("\r\n", i);
    const size_t stop = end == std::string::npos ? raw.size() : end;
    text.append(raw, i, stop - i);
    text += '\r';
    if (end == std::string::npos) break;
    i = end + ((raw[end] == '\r' && end + 1 < raw.size() && raw[end + 1] == '\n') ? 2 : 1);
  }
  executeText(c, text, "file");
}

// ---- variables by name ----

// The flat index of the array forms; false (after reporting) when it leaves 0..31999.
bool flatIndex(BuiltinCall& c, int first, int count, int32_t& out) {
  int64_t flat = 0;
  for (int k = 0; k < count; ++k) {
    const int64_t i = roundToInt64(c.real(first + k));
    if (i >= kArrayDimension) {
      ReportActionError("Array index >= 32000");
      return false;
    }
    if (i < 0) return false;  // no element below 0 exists: nothing happens
    flat = flat * kArrayDimension + i;
  }
  out = static_cast<int32_t>(flat);
  return true;
}

bool nameId(BuiltinCall& c, int32_t& id) {
  if (!c.args[0].isString()) return false;
  id = variableNames().resolve(c.args[0].str);
  return true;
}

constexpr int32_t kGlobal = -5;
constexpr int32_t kSelf = -1;

template <int32_t Scope>
void variableExists(BuiltinCall& c) {
  int32_t id = 0;
  RValue v;
  const bool found = nameId(c, id) && ReadVariable(c.self, c.other, Scope, id, 0, v);
  c.result.setReal(truthValue(found || codeSettings().uninitializedAsZero));
}

template <int32_t Scope, int Indices>
void variableGet(BuiltinCall& c) {
  int32_t id = 0, index = 0;
  if (!nameId(c, id) || !flatIndex(c, 1, Indices, index)) return;
  RValue v;
  if (ReadVariable(c.self, c.other, Scope, id, index, v)) c.result = std::move(v);
}

template <int32_t Scope, int Indices>
void variableSet(BuiltinCall& c) {
  int32_t id = 0, index = 0;
  if (!nameId(c, id) || !flatIndex(c, 1, Indices, index)) return;
  // A read-only built-in variable refuses the write; that is not reported here.
  WriteVariable(c.self, c.other, Scope, id, index, c.args[1 + Indices]);
}

void showDebugMessage(BuiltinCall& c) {
  const RValue& v = c.args[0];
  ShowDebugMessage(v.isString() ? v.str : DebugNumberText(v.real));
}

constexpr BuiltinFunction kDynamicFunctions[] = {
    {"execute_string", executeString, kAnyArguments},
    {"execute_file", executeFile, kAnyArguments},
    {"variable_global_exists", variableExists<kGlobal>, 1},
    {"variable_global_get", variableGet<kGlobal, 0>, 1},
    {"variable_global_array_get", variableGet<kGlobal, 1>, 2},
    {"variable_global_array2_get", variableGet<kGlobal, 2>, 3},
    {"variable_global_set", variableSet<kGlobal, 0>, 2},
    {"variable_global_array_set", variableSet<kGlobal, 1>, 3},
    {"variable_global_array2_set", variableSet<kGlobal, 2>, 4},
    {"variable_local_exists", variableExists<kSelf>, 1},
    {"variable_local_get", variableGet<kSelf, 0>, 1},
    {"variable_local_array_get", variableGet<kSelf, 1>, 2},
    {"variable_local_array2_get", variableGet<kSelf, 2>, 3},
    {"variable_local_set", variableSet<kSelf, 0>, 2},
    {"variable_local_array_set", variableSet<kSelf, 1>, 3},
    {"variable_local_array2_set", variableSet<kSelf, 2>, 4},
    {"show_debug_message", showDebugMessage, 1},
};

}  // namespace

BuiltinFamily DynamicFamily() { return kDynamicFunctions; }

}  // namespace qv::code
