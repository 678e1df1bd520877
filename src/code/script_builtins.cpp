// The script_* family: scripts by index.
#include <algorithm>

#include "code/errors.h"
#include "code/families.h"
#include "code/interpreter.h"
#include "code/registry.h"

namespace qv::code {

namespace {

void scriptExists(BuiltinCall& c) { c.result.setReal(truthValue(ScriptExists(c.integer(0)))); }

void scriptGetName(BuiltinCall& c) { c.result.setString(ScriptName(c.integer(0))); }

void scriptGetText(BuiltinCall& c) {
  const CScript* s = Script(c.integer(0));
  c.result.setString(s ? s->text : std::string());
}

// script_execute(ind, ...): at most 15 arguments after the index reach the script.
void scriptExecute(BuiltinCall& c) {
  if (c.argc < 1) return;
  const int32_t index = c.integer(0);
  if (!ScriptExists(index)) {
    ReportActionError("Trying to execute non-existing script.");
    return;
  }
  const int count = std::min(c.argc - 1, kMaxArguments - 1);
  if (!CallScript(index, c.self, c.other, c.result, c.args + 1, count)) {
    const std::string message = errorState().current;
    // The error is reported here and the calling code goes on, so its flag must not stay set.
    ClearRecordedError();
    ReportActionError(message);
    c.result.setString(std::string_view("ERROR"));
  }
}

constexpr BuiltinFunction kScriptFunctions[] = {
    {"script_exists", scriptExists, 1},
    {"script_get_name", scriptGetName, 1},
    {"script_name", scriptGetName, 1},
    {"script_get_text", scriptGetText, 1},
    {"script_execute", scriptExecute, kAnyArguments},
};

}  // namespace

BuiltinFamily ScriptFamily() { return kScriptFunctions; }

}  // namespace qv::code
