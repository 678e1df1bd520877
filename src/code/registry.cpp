#include "code/registry.h"

#include <array>
#include <deque>
#include <optional>
#include <stdexcept>
#include <unordered_map>

#include "code/ccode.h"
#include "code/constant_catalogue.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/instance_base.h"
#include "code/interpreter.h"
#include "data/stream.h"

namespace qv::code {

constinit ScriptTable g_scripts;

namespace {

struct FunctionTable {
  std::vector<BuiltinFunction> entries;
  std::deque<std::string> names;  // owned copies, cut to 64 characters (addresses stay put)
  std::unordered_map<std::string, int32_t> first;  // name -> first entry of that name
};
FunctionTable& functions() {
  static FunctionTable table;
  return table;
}

struct ConstantTable {
  std::vector<std::pair<std::string, RValue>> entries;
  size_t builtinCount = 0;
};
ConstantTable& constants() {
  static ConstantTable table = [] {
    ConstantTable t;
#define QV_CONSTANT_ENTRY(name, value) t.entries.emplace_back(#name, RValue(static_cast<double>(value)));
    QV_BUILTIN_CONSTANTS(QV_CONSTANT_ENTRY)
#undef QV_CONSTANT_ENTRY
    t.builtinCount = t.entries.size();
    return t;
  }();
  return table;
}

std::array<ResourceNameLookup, static_cast<size_t>(ResourceKind::Count)>& resourceLookups() {
  static std::array<ResourceNameLookup, static_cast<size_t>(ResourceKind::Count)> lookups = [] {
    std::array<ResourceNameLookup, static_cast<size_t>(ResourceKind::Count)> l;
    l[static_cast<size_t>(ResourceKind::Script)] = [](std::string_view name) { return FindScript(name); };
    return l;
  }();
  return lookups;
}

ExtensionFunctions*& extensionPointer() {
  static ExtensionFunctions* p = nullptr;
  return p;
}

ScriptTable& scripts() { return g_scripts; }

bool validConstantName(const std::string& name) {
  if (name.empty()) return false;
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!letter(name[0])) return false;
  for (char c : name)
    if (!letter(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

std::string trimName(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

}  // namespace

CScript::CScript() = default;
CScript::~CScript() = default;
CScript::CScript(CScript&&) noexcept = default;
CScript& CScript::operator=(CScript&&) noexcept = default;

// ---- functions ----

namespace {
struct FamilyChoice {
  std::vector<BuiltinFamily> families;
  bool chosen = false;
  bool registered = false;
};
FamilyChoice& familyChoice() {
  static FamilyChoice choice;
  return choice;
}
}  // namespace

void SetBuiltinFamilies(std::vector<BuiltinFamily> families) {
  FamilyChoice& c = familyChoice();
  if (c.registered) throw std::logic_error("built-in families chosen after their registration");
  c.families = std::move(families);
  c.chosen = true;
}

void EnsureBuiltinsRegistered() {
  FamilyChoice& c = familyChoice();
  if (c.registered) return;
  c.registered = true;
  for (BuiltinFamily family : c.chosen ? c.families : CoreFamilies()) RegisterFamily(family);
}

int32_t RegisterFunction(std::string_view name, BuiltinHandler handler, int argumentCount, RealForm real) {
  FunctionTable& t = functions();
  std::string cut(name.substr(0, kMaxFunctionNameLength));
  const auto index = static_cast<int32_t>(t.entries.size());
  t.names.push_back(cut);
  t.entries.push_back({t.names.back().c_str(), handler, argumentCount, real});
  t.first.emplace(std::move(cut), index);
  return index;
}

void RegisterFamily(BuiltinFamily family) {
  for (const BuiltinFunction& f : family) RegisterFunction(f.name, f.handler, f.argumentCount, f.real);
}

int32_t FindFunction(std::string_view name) {
  EnsureBuiltinsRegistered();
  const int32_t script = FindScript(name);
  if (script >= 0) return kScriptIndexBase + script;
  if (ExtensionFunctions* ext = extensionPointer()) {
    const int32_t e = ext->find(name);
    if (e >= 0) return kExtensionIndexBase + e;
  }
  auto it = functions().first.find(std::string(name));
  return it == functions().first.end() ? -1 : it->second;
}

int32_t FunctionArgumentCount(int32_t index) {
  if (index >= kExtensionIndexBase) {
    ExtensionFunctions* ext = extensionPointer();
    return ext ? ext->argumentCount(index - kExtensionIndexBase) : -100;
  }
  if (index >= kScriptIndexBase) return -1;
  if (index < 0 || index >= BuiltinCount()) return -100;
  return functions().entries[static_cast<size_t>(index)].argumentCount;
}

const BuiltinFunction* BuiltinEntry(int32_t index) {
  if (index < 0 || index >= BuiltinCount()) return nullptr;
  return &functions().entries[static_cast<size_t>(index)];
}

int32_t BuiltinCount() { return static_cast<int32_t>(functions().entries.size()); }

void SetExtensionFunctions(ExtensionFunctions* f) { extensionPointer() = f; }
ExtensionFunctions* extensionFunctions() { return extensionPointer(); }

// ---- constants ----

void RegisterConstant(std::string_view name, double value) { AddConstant(name, RValue(value)); }

void AddConstant(std::string_view name, const RValue& value) {
  constants().entries.emplace_back(std::string(name), value);
}

void ResetGameConstants() { constants().entries.resize(constants().builtinCount); }

int32_t ConstantCount() { return static_cast<int32_t>(constants().entries.size()); }

void SetResourceNameLookup(ResourceKind kind, ResourceNameLookup lookup) {
  resourceLookups()[static_cast<size_t>(kind)] = std::move(lookup);
}

bool FindConstant(std::string_view name, RValue& out) {
  for (const ResourceNameLookup& lookup : resourceLookups()) {
    if (!lookup) continue;
    const int32_t index = lookup(name);
    if (index >= 0) {
      out.setReal(index);
      return true;
    }
  }
  const auto& entries = constants().entries;
  for (size_t i = entries.size(); i-- > 0;) {
    if (entries[i].first == name) {
      out = entries[i].second;
      return true;
    }
  }
  return false;
}

bool PrepareConstants(const std::vector<std::pair<std::string, std::string>>& list,
                      std::string& failure) {
  for (const auto& [rawName, valueText] : list) {
    const std::string name = trimName(rawName);
    if (!validConstantName(name)) {
      failure = "Constant name " + name + "  is not valid.";
      return false;
    }
    CCode code(valueText, true);
    RValue value;
    bool ok = code.Compile();
    if (ok) {
      // A temporary instance whose fields are all zero stands for self and other.
      CInstanceBase temporary;
      ok = ExecuteValue(code, &temporary, &temporary, value);
    }
    ClearRecordedError();
    if (!ok) {
      failure = "Value for constant " + name + "  is not valid.";
      return false;
    }
    AddConstant(name, value);
  }
  return true;
}

// ---- scripts ----

void ClearScripts() {
  scripts().slots.clear();
  scripts().names.clear();
}

void SetScript(int32_t index, std::string name, std::string text) {
  if (index < 0) return;
  ScriptTable& t = scripts();
  if (t.slots.size() <= static_cast<size_t>(index)) {
    t.slots.resize(static_cast<size_t>(index) + 1);
    t.names.resize(static_cast<size_t>(index) + 1);
  }
  CScript s;
  s.text = std::move(text);
  t.slots[static_cast<size_t>(index)] = std::move(s);
  t.names[static_cast<size_t>(index)] = std::move(name);
}

int32_t AddScript(std::string name, std::string text) {
  const int32_t index = ScriptCount();
  SetScript(index, std::move(name), std::move(text));
  return index;
}

bool ScriptExists(int32_t index) {
  return index >= 0 && index < ScriptCount() && scripts().slots[static_cast<size_t>(index)].has_value();
}

std::string ScriptName(int32_t index) {
  return ScriptExists(index) ? scripts().names[static_cast<size_t>(index)] : std::string("<undefined>");
}

int32_t FindScript(std::string_view name) {
  const ScriptTable& t = scripts();
  for (size_t i = 0; i < t.slots.size(); ++i)
    if (t.slots[i].has_value() && t.names[i] == name) return static_cast<int32_t>(i);
  return -1;
}

int32_t ScriptCount() { return static_cast<int32_t>(scripts().slots.size()); }

bool CompileScripts() {
  ScriptTable& t = scripts();
  for (size_t i = 0; i < t.slots.size(); ++i) {
    if (!t.slots[i]) continue;
    CScript& s = *t.slots[i];
    s.code = std::make_unique<CCode>(s.text, false);
    if (!s.code->Compile()) {
      const std::string message = errorState().current;
      ClearRecordedError();
      HandleError("COMPILATION ERROR in Script: " + t.names[i] + "\r" + message, true);
      return false;
    }
  }
  return true;
}

namespace {
constexpr int32_t kScriptVersion = 800;
}

bool ReadScriptRecord(data::CStream& stream, CScript& script) {
  if (stream.ReadInteger() != kScriptVersion) return false;
  script.text = stream.ReadString();
  script.code.reset();
  return true;
}

void WriteScriptRecord(data::CStream& stream, const CScript& script) {
  stream.WriteInteger(kScriptVersion);
  stream.WriteString(script.text);
}

bool ReadScriptsChunk(data::CStream& stream) {
  ClearScripts();
  if (stream.ReadInteger() != kScriptVersion) return false;
  const int32_t count = stream.ReadInteger();
  // Each slot is at least one block length: a count beyond the bytes left is corrupt data.
  if (count < 0 || static_cast<uint64_t>(count) * 4 > stream.remaining()) return false;
  for (int32_t i = 0; i < count; ++i) {
    data::CStream block = stream.ReadCompressedBlock();
    if (!block.ReadBoolean()) {
      scripts().slots.emplace_back();
      scripts().names.emplace_back();
      continue;
    }
    std::string name = block.ReadString();
    CScript s;
    if (!ReadScriptRecord(block, s)) return false;
    scripts().slots.emplace_back(std::move(s));
    scripts().names.push_back(std::move(name));
  }
  return true;
}

void WriteScriptsChunk(data::CStream& stream) {
  stream.WriteInteger(kScriptVersion);
  stream.WriteInteger(ScriptCount());
  for (int32_t i = 0; i < ScriptCount(); ++i) {
    data::CStream block;
    if (const CScript* s = Script(i)) {
      block.WriteBoolean(true);
      block.WriteString(ScriptName(i));
      WriteScriptRecord(block, *s);
    } else {
      block.WriteBoolean(false);
    }
    stream.WriteCompressedBlock(block);
  }
}

}  // namespace qv::code
