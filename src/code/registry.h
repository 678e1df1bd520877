// The registry: built-in functions, constants, scripts and the hooks through which other
// subsystems add resource names and extension functions.
//
// Function indices: 0 upwards built-in functions (registration order), 100000 + i scripts,
// 500000 + i extension functions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "code/builtin.h"
#include "code/value.h"

namespace qv::data {
class CStream;
}

namespace qv::code {

class CInstanceBase;

class CCode;

inline constexpr int32_t kScriptIndexBase = 100000;
inline constexpr int32_t kExtensionIndexBase = 500000;
inline constexpr size_t kMaxFunctionNameLength = 64;

// ---- functions ----
// Registers every family of families.cpp once (called by everything below that needs the table).
void EnsureBuiltinsRegistered();
int32_t RegisterFunction(std::string_view name, BuiltinHandler handler, int argumentCount,
                         RealForm real = nullptr);
void RegisterFamily(BuiltinFamily family);
// The function index of a name (script, then extension function, then built-in), or -1.
int32_t FindFunction(std::string_view name);
// -1 for any count, -100 for an index that names nothing.
int32_t FunctionArgumentCount(int32_t index);
const BuiltinFunction* BuiltinEntry(int32_t index);
int32_t BuiltinCount();

// Extension functions (filled by the extension subsystem when packages are prepared).
class ExtensionFunctions {
 public:
  virtual ~ExtensionFunctions() = default;
  virtual int32_t find(std::string_view name) = 0;  // index or -1
  virtual int32_t argumentCount(int32_t index) = 0;
  // Runs function `index`; false when it failed (the call then fails).
  virtual bool call(int32_t index, CInstanceBase* self, CInstanceBase* other, RValue& result,
                    const RValue* args, int argc) = 0;
};
void SetExtensionFunctions(ExtensionFunctions* functions);
ExtensionFunctions* extensionFunctions();

// ---- constants ----
void RegisterConstant(std::string_view name, double value);
void AddConstant(std::string_view name, const RValue& value);
// Drops the game's and the extensions' constants, keeping the built-in ones (game restart).
void ResetGameConstants();
int32_t ConstantCount();

// The resource kinds whose names are constants, in the order FindConstant tries them.
enum class ResourceKind {
  Object, Sprite, Sound, Background, Path, Font, TimeLine, Script, Room, Trigger, Count
};
// A lookup of a resource name: its index, or -1. The script kind is filled by the registry; the
// world and the other subsystems set the rest when they load their resources.
using ResourceNameLookup = std::function<int32_t(std::string_view name)>;
void SetResourceNameLookup(ResourceKind kind, ResourceNameLookup lookup);
// Resource names first (in ResourceKind order), then the constant table from its last entry.
bool FindConstant(std::string_view name, RValue& out);

// Preparing the game's constants: (name, value text) pairs in order. Shows and returns the first
// failure's message ("Constant name ...  is not valid.", "Value for constant ...  is not valid.").
bool PrepareConstants(const std::vector<std::pair<std::string, std::string>>& constants,
                      std::string& failure);

// ---- scripts ----
struct CScript {
  std::string text;
  std::unique_ptr<CCode> code;  // created when compiled
  CScript();
  ~CScript();
  CScript(CScript&&) noexcept;
  CScript& operator=(CScript&&) noexcept;
};
void ClearScripts();
// Puts a script in slot `index` (the table grows with empty slots as needed).
void SetScript(int32_t index, std::string name, std::string text);
int32_t AddScript(std::string name, std::string text);
bool ScriptExists(int32_t index);
std::string ScriptName(int32_t index);
int32_t FindScript(std::string_view name);
int32_t ScriptCount();
// The script table. Initialised before any code runs, so the lookup of every script call is a
// bounds test and a load, inline.
struct ScriptTable {
  std::vector<std::optional<CScript>> slots;
  std::vector<std::string> names;
};
extern constinit ScriptTable g_scripts;
inline const CScript* Script(int32_t index) {
  const auto& slots = g_scripts.slots;
  if (index < 0 || static_cast<size_t>(index) >= slots.size()) return nullptr;
  const std::optional<CScript>& slot = slots[static_cast<size_t>(index)];
  return slot ? &*slot : nullptr;
}
// Compiles every script in index order; the first failure is reported as a fatal error
// "COMPILATION ERROR in Script: " + name + CR + message, and compilation stops.
bool CompileScripts();

// The scripts chunk and the script record (version 800) of the game data.
bool ReadScriptRecord(data::CStream& stream, CScript& script);
void WriteScriptRecord(data::CStream& stream, const CScript& script);
bool ReadScriptsChunk(data::CStream& stream);
void WriteScriptsChunk(data::CStream& stream);

}  // namespace qv::code
