// The built-in variable table: every name of the catalogue with its id, its read-only flag and the
// getter and setter that its subsystem binds.
//
// Binding: a subsystem calls BindBuiltinVariable(id or name, getter, setter) at start-up. Until a
// variable is bound, reading it yields the real 0 and writing it (when writable) succeeds and
// stores nothing, so that its name can never turn into a user variable. The ids are the
// BuiltinVariableId enumerators, fixed by the catalogue's order.
#pragma once

#include <cstdint>
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

struct BuiltinVariable {
  const char* name;
  bool writable;
  VariableGetter getter;
  VariableSetter setter;
};

// The id of a built-in variable name (exact match), or -1.
int32_t FindBuiltinVariable(std::string_view name);
// The name of an id, or nullptr when no such entry exists.
const char* BuiltinVariableName(int32_t id);
const BuiltinVariable* BuiltinVariableEntry(int32_t id);

// Binding a getter and setter; returns false for an unknown name or id.
bool BindBuiltinVariable(int32_t id, VariableGetter getter, VariableSetter setter);
bool BindBuiltinVariable(std::string_view name, VariableGetter getter, VariableSetter setter);

// Reading and writing through the table (the read-only check comes first on writes).
bool ReadBuiltinVariable(int32_t id, CInstanceBase* instance, int32_t index, RValue& out);
bool WriteBuiltinVariable(int32_t id, CInstanceBase* instance, int32_t index, const RValue& value);

// The shared script argument table behind argument0..argument15 and argument[i].
inline constexpr int kScriptArgumentCount = 16;
// The table and its count live at namespace scope (no guard on each use):
// every argument read of every script goes through them.
extern RValue g_scriptArguments[kScriptArgumentCount];
extern int g_scriptArgumentsInUse;
inline RValue* scriptArguments() { return g_scriptArguments; }
// Entries at and beyond this count are known to hold the real 0; calls save and restore only the
// entries below it. Anything that writes an entry raises it (NoteArgumentWritten).
inline int& scriptArgumentsInUse() { return g_scriptArgumentsInUse; }
inline void NoteArgumentWritten(int index) {
  int& used = scriptArgumentsInUse();
  if (index >= used) used = index + 1;
}

// The saved entries of the argument tables of the calls in progress, the innermost call's on
// top. Entries are reached by position only (the store may move as it grows).
struct SavedArguments {
  std::vector<RValue> values;
  size_t top = 0;
  // Makes room for `size` entries (out of line: it happens only while recursion deepens).
  void reserve(size_t size);
};
extern SavedArguments g_savedArguments;
// Moves a string value (out of line: string arguments are the rare case of the call path).
void MoveString(RValue& to, RValue& from);

// Saves the argument table, fills it with `count` values (the rest become the real 0) and restores
// it when destroyed, on failure too. Only the entries in use are saved, onto g_savedArguments
// (a real moves only its number), so a call takes a few bytes of native stack however many
// arguments the caller's table held: deep recursion stays within the stack budget and the cache.
class ScriptArgumentFrame {
 public:
  ScriptArgumentFrame(const RValue* args, int count) {
    count = save(count);
    RValue* table = scriptArguments();
    for (int i = 0; i < count; ++i) CopyValue(table[i], args[i]);
  }
  // The same with `count` reals.
  ScriptArgumentFrame(const double* reals, int count) {
    count = save(count);
    RValue* table = scriptArguments();
    for (int i = 0; i < count; ++i) {
      table[i].kind = ty_real;
      table[i].real = reals[i];
    }
  }
  ~ScriptArgumentFrame() {
    RValue* table = scriptArguments();
    int& used = scriptArgumentsInUse();
    RValue* saved = g_savedArguments.values.data() + base_;
    for (int i = 0; i < savedCount_; ++i) {
      if (saved[i].kind == ty_real) table[i].setReal(saved[i].real);
      else MoveString(table[i], saved[i]);
    }
    for (int i = savedCount_; i < used; ++i) table[i].clear();
    used = savedCount_;
    g_savedArguments.top = base_;
  }
  ScriptArgumentFrame(const ScriptArgumentFrame&) = delete;
  ScriptArgumentFrame& operator=(const ScriptArgumentFrame&) = delete;

 private:
  size_t base_;     // position of this call's saved entries in g_savedArguments
  int savedCount_;  // entries in use when the call began
  // Saves the entries in use and makes the entries from `count` on zero; returns the count kept.
  int save(int count) {
    RValue* table = scriptArguments();
    int& used = scriptArgumentsInUse();
    savedCount_ = used;
    base_ = g_savedArguments.top;
    const size_t top = base_ + static_cast<size_t>(savedCount_);
    if (top > g_savedArguments.values.size()) g_savedArguments.reserve(top);
    RValue* saved = g_savedArguments.values.data() + base_;
    for (int i = 0; i < savedCount_; ++i) {
      if (table[i].kind == ty_real) saved[i].setReal(table[i].real);
      else MoveString(saved[i], table[i]);
    }
    g_savedArguments.top = top;
    if (count > kScriptArgumentCount) count = kScriptArgumentCount;
    for (int i = count; i < savedCount_; ++i) table[i].clear();
    used = count;
    return count;
  }
};

}  // namespace qv::code
