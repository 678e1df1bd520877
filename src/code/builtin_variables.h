// The built-in variable table: every name of the catalogue with its id, its read-only flag and the
// getter and setter that its subsystem binds.
//
// Binding: a subsystem calls BindBuiltinVariable(id or name, getter, setter) at start-up. Until a
// variable is bound, reading it yields the real 0 and writing it (when writable) succeeds and
// stores nothing, so that its name can never turn into a user variable. The ids are the
// BuiltinVariableId enumerators, fixed by the catalogue's order.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "code/value.h"

namespace qv::code {

class CInstanceBase;

enum BuiltinVariableId : int32_t {
#define QV_ENUM_ENTRY(name, writable) bv_##name,
#include "code/builtin_variable_catalogue.h"
  QV_BUILTIN_VARIABLES(QV_ENUM_ENTRY)
#undef QV_ENUM_ENTRY
  kBuiltinVariableCount
};

// A getter writes the value for the instance and the flat index (0..31999) and returns success.
using VariableGetter = bool (*)(CInstanceBase* instance, int32_t index, RValue& out);
// A setter stores the value and returns success.
using VariableSetter = bool (*)(CInstanceBase* instance, int32_t index, const RValue& value);

// A getter of a variable that is always a real of the instance and cannot fail (a plain field):
// numeric forms read such a variable through it, without a value record.
using RealGetter = double (*)(CInstanceBase* instance);
// A setter of a writable variable for a real value that cannot fail: it does what the setter does
// with a real. Assignments of numeric values write through it without a value record.
using RealSetter = void (*)(CInstanceBase* instance, double value);

struct BuiltinVariable {
  const char* name;
  bool writable;
  VariableGetter getter;
  VariableSetter setter;
  RealGetter real;  // set beside the getter, and dropped whenever the getter is bound again
  RealSetter realSetter;  // likewise beside the setter
};

// The id of a built-in variable name (exact match), or -1.
int32_t FindBuiltinVariable(std::string_view name);
// The name of an id, or nullptr when no such entry exists.
const char* BuiltinVariableName(int32_t id);
const BuiltinVariable* BuiltinVariableEntry(int32_t id);

// Binding a getter and setter; returns false for an unknown name or id.
bool BindBuiltinVariable(int32_t id, VariableGetter getter, VariableSetter setter);
bool BindBuiltinVariable(std::string_view name, VariableGetter getter, VariableSetter setter);

// The real getter of a bound variable (the getter must give the same value); false for an
// unknown id. Code compiled afterwards reads the variable in its numeric forms.
bool BindRealGetter(int32_t id, RealGetter getter);
// The real setter of a bound writable variable (it must do what the setter does with a real);
// false for an unknown id or a read-only variable.
bool BindRealSetter(int32_t id, RealSetter setter);
// The table by id, at namespace scope so that the real getters are reached inline: numeric
// forms look one up on every read (a binding made later must take effect).
extern BuiltinVariable g_builtinVariables[kBuiltinVariableCount];
// The real getter of an id, or nullptr.
inline RealGetter BuiltinRealGetter(int32_t id) {
  return id >= 0 && id < kBuiltinVariableCount ? g_builtinVariables[id].real : nullptr;
}

// Reading and writing through the table (the read-only check comes first on writes).
bool ReadBuiltinVariable(int32_t id, CInstanceBase* instance, int32_t index, RValue& out);
bool WriteBuiltinVariable(int32_t id, CInstanceBase* instance, int32_t index, const RValue& value);

// The script argument table behind argument0..argument15 and argument[i]: the running call's own
// table. Each script call gets a fresh table (ScriptArgumentFrame) from a stack of tables that
// never move; code outside any call uses the first one.
inline constexpr int kScriptArgumentCount = 16;
// The running table and its count live at namespace scope (no guard on each use): every argument
// read of every script goes through them.
extern RValue* g_scriptArguments;
extern int g_scriptArgumentsInUse;
inline RValue* scriptArguments() { return g_scriptArguments; }
// Entries at and beyond this count are known to hold the real 0; leaving a call clears only the
// entries below it. Anything that writes an entry raises it (NoteArgumentWritten).
inline int& scriptArgumentsInUse() { return g_scriptArgumentsInUse; }
inline void NoteArgumentWritten(int index) {
  int& used = scriptArgumentsInUse();
  if (index >= used) used = index + 1;
}

// The argument tables of the calls in progress, in blocks that never move. Invariant: every
// table above the running one holds kScriptArgumentCount zero values.
class ArgumentTableStack {
 public:
  static constexpr size_t kTablesPerBlock = 64;
  // The table of the next deeper call.
  RValue* push() {
    const size_t d = ++depth_;
    if (d / kTablesPerBlock >= blocks_.size()) addBlock();
    return blocks_[d / kTablesPerBlock].get() + (d % kTablesPerBlock) * kScriptArgumentCount;
  }
  void pop() { --depth_; }

 private:
  void addBlock();
  std::vector<std::unique_ptr<RValue[]>> blocks_;
  size_t depth_ = 0;  // table 0 is that of the code outside any call
};
extern ArgumentTableStack g_argumentTables;

// Gives the running code a fresh argument table holding `count` values (the rest are the real
// 0) and goes back to the caller's table when destroyed, on failure too. The caller's table is
// left as it is, so nothing is saved or restored: a call costs the writes of its arguments and,
// when it ends, the clearing of the entries it used.
class ScriptArgumentFrame {
 public:
  ScriptArgumentFrame(const RValue* args, int count) {
    RValue* table = enter(count);
    for (int i = 0; i < used(); ++i) CopyValue(table[i], args[i]);
  }
  // The same with `count` reals.
  ScriptArgumentFrame(const double* reals, int count) {
    RValue* table = enter(count);
    for (int i = 0; i < used(); ++i) table[i].setReal(reals[i]);
  }
  ~ScriptArgumentFrame() {
    RValue* table = g_scriptArguments;
    for (int i = 0; i < g_scriptArgumentsInUse; ++i) table[i].clear();
    g_argumentTables.pop();
    g_scriptArguments = callerTable_;
    g_scriptArgumentsInUse = callerUsed_;
  }
  ScriptArgumentFrame(const ScriptArgumentFrame&) = delete;
  ScriptArgumentFrame& operator=(const ScriptArgumentFrame&) = delete;

 private:
  RValue* callerTable_;
  int callerUsed_;
  static int used() { return g_scriptArgumentsInUse; }
  RValue* enter(int count) {
    callerTable_ = g_scriptArguments;
    callerUsed_ = g_scriptArgumentsInUse;
    RValue* table = g_argumentTables.push();
    g_scriptArguments = table;
    g_scriptArgumentsInUse = count < 0 ? 0 : count > kScriptArgumentCount ? kScriptArgumentCount : count;
    return table;
  }
};

}  // namespace qv::code
