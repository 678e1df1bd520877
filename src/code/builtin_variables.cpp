#include "code/builtin_variables.h"

#include <string>
#include <unordered_map>
#include <new>
#include <utility>

#include "code/errors.h"

namespace qv::code {

constinit BuiltinVariable g_builtinVariables[kBuiltinVariableCount] = {
#define QV_TABLE_ENTRY(name, writable) {#name, writable, nullptr, nullptr, nullptr, nullptr},
#include "code/builtin_variable_catalogue.h"
    QV_BUILTIN_VARIABLES(QV_TABLE_ENTRY)
#undef QV_TABLE_ENTRY
};

namespace {

BuiltinVariable* table() { return g_builtinVariables; }

const std::unordered_map<std::string_view, int32_t>& nameIndex() {
  static const std::unordered_map<std::string_view, int32_t> index = [] {
    std::unordered_map<std::string_view, int32_t> m;
    for (int32_t i = 0; i < kBuiltinVariableCount; ++i) m.emplace(table()[i].name, i);
    return m;
  }();
  return index;
}

// ---- the variables of this subsystem: script arguments and the error state ----

bool getArgumentN(int32_t id, RValue& out) {
  CopyValue(out, scriptArguments()[id - bv_argument0]);
  return true;
}

// `argument[i]`: an index outside the table means entry 0.
int32_t argumentIndex(int32_t index) { return index >= 0 && index < kScriptArgumentCount ? index : 0; }

bool getArgument(CInstanceBase*, int32_t index, RValue& out) {
  CopyValue(out, scriptArguments()[argumentIndex(index)]);
  return true;
}
bool setArgument(CInstanceBase*, int32_t index, const RValue& value) {
  NoteArgumentWritten(argumentIndex(index));
  scriptArguments()[argumentIndex(index)] = value;
  return true;
}

template <int N>
bool getArgumentFixed(CInstanceBase*, int32_t, RValue& out) {
  return getArgumentN(bv_argument0 + N, out);
}
template <int N>
bool setArgumentFixed(CInstanceBase*, int32_t, const RValue& value) {
  NoteArgumentWritten(N);
  scriptArguments()[N] = value;
  return true;
}

bool getArgumentRelative(CInstanceBase*, int32_t, RValue& out) {
  out.setReal(0.0);  // no action is running until the world binds this to its action context
  return true;
}

bool getErrorOccurred(CInstanceBase*, int32_t, RValue& out) {
  out.setReal(truthValue(errorState().occurred));
  return true;
}
// This one compares the value itself with 0.5, not its rounding.
bool setErrorOccurred(CInstanceBase*, int32_t, const RValue& value) {
  errorState().occurred = value.isReal() && value.real >= 0.5;
  return true;
}
bool getErrorLast(CInstanceBase*, int32_t, RValue& out) {
  out.setString(errorState().last);
  return true;
}
bool setErrorLast(CInstanceBase*, int32_t, const RValue& value) {
  errorState().last = value.isString() ? value.str : std::string();
  return true;
}
bool getVersion(CInstanceBase*, int32_t, RValue& out) {
  out.setReal(800.0);
  return true;
}

void bindEntry(int32_t id, VariableGetter getter, VariableSetter setter) {
  table()[id].getter = getter;
  table()[id].setter = setter;
  table()[id].real = nullptr;
  table()[id].realSetter = nullptr;
}

template <int... N>
void bindArguments(std::integer_sequence<int, N...>) {
  (bindEntry(bv_argument0 + N, &getArgumentFixed<N>, &setArgumentFixed<N>), ...);
}

bool bindOwnVariables() {
  bindEntry(bv_argument, &getArgument, &setArgument);
  bindArguments(std::make_integer_sequence<int, kScriptArgumentCount>());
  bindEntry(bv_argument_relative, &getArgumentRelative, nullptr);
  bindEntry(bv_error_occurred, &getErrorOccurred, &setErrorOccurred);
  bindEntry(bv_error_last, &getErrorLast, &setErrorLast);
  bindEntry(bv_quorvane_version, &getVersion, nullptr);
  return true;
}

void ensureOwnBound() {
  static const bool bound = bindOwnVariables();
  (void)bound;
}

}  // namespace

namespace {
// The first table, for the code outside any call; a fixed array, so that the running table is
// valid before anything runs.
RValue g_outerArguments[kScriptArgumentCount];
}  // namespace
constinit RValue* g_scriptArguments = g_outerArguments;
constinit int g_scriptArgumentsInUse = 0;

ArgumentTableStack g_argumentTables;

void ArgumentTableStack::addBlock() {
  blocks_.push_back(std::make_unique<RValue[]>(kTablesPerBlock * kScriptArgumentCount));
}

int32_t FindBuiltinVariable(std::string_view name) {
  auto it = nameIndex().find(name);
  return it == nameIndex().end() ? -1 : it->second;
}

const char* BuiltinVariableName(int32_t id) {
  return id >= 0 && id < kBuiltinVariableCount ? table()[id].name : nullptr;
}

const BuiltinVariable* BuiltinVariableEntry(int32_t id) {
  ensureOwnBound();
  return id >= 0 && id < kBuiltinVariableCount ? &table()[id] : nullptr;
}

bool BindBuiltinVariable(int32_t id, VariableGetter getter, VariableSetter setter) {
  // The language's own bindings come first, so that a subsystem's binding replaces them and is
  // never replaced by them later.
  ensureOwnBound();
  if (id < 0 || id >= kBuiltinVariableCount) return false;
  bindEntry(id, getter, setter);
  return true;
}

bool BindBuiltinVariable(std::string_view name, VariableGetter getter, VariableSetter setter) {
  return BindBuiltinVariable(FindBuiltinVariable(name), getter, setter);
}

bool BindRealGetter(int32_t id, RealGetter getter) {
  ensureOwnBound();
  if (id < 0 || id >= kBuiltinVariableCount) return false;
  table()[id].real = getter;
  return true;
}

bool BindRealSetter(int32_t id, RealSetter setter) {
  ensureOwnBound();
  if (id < 0 || id >= kBuiltinVariableCount || !table()[id].writable) return false;
  table()[id].realSetter = setter;
  return true;
}


bool ReadBuiltinVariable(int32_t id, CInstanceBase* instance, int32_t index, RValue& out) {
  const BuiltinVariable* v = BuiltinVariableEntry(id);
  if (!v) return false;  // an id of 0..9999 without an entry
  if (!v->getter) {
    out.setReal(0.0);
    return true;
  }
  return v->getter(instance, index, out);
}

bool WriteBuiltinVariable(int32_t id, CInstanceBase* instance, int32_t index, const RValue& value) {
  const BuiltinVariable* v = BuiltinVariableEntry(id);
  if (!v || !v->writable) return false;
  if (!v->setter) return true;
  return v->setter(instance, index, value);
}

}  // namespace qv::code
