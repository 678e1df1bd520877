// Variable stores: one variable with its array rows, the ordered list of variables of one owner,
// the variable name table and the global store.
//
// Invariants:
//  - Element 0 of an array is the plain value; element i (i > 0) lives at row i div 32000,
//    column i mod 32000. Column 0 of row 0 exists once row 0 does but is never used.
//  - A list keeps its entries in insertion order (the saved form keeps that order); entries are
//    never removed. When two entries share an id (only a loaded list can have them), the later
//    one is the one found, as a search from the last entry would find it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "code/value.h"

namespace qv::data {
class CStream;
}

namespace qv::code {

// Array rows and columns are limited to what an index of 0..31999 can reach.
inline constexpr int32_t kArrayDimension = 32000;
// First id of a user variable; ids below kBuiltinVariableLimit are built-in in every access.
inline constexpr int32_t kUserVariableBase = 100000;
inline constexpr int32_t kBuiltinVariableLimit = 10000;
// Most elements one array variable may hold. Indices alone allow 32000 x 32000, which a loop can
// fill in a few lines; beyond this bound a write fails (as any refused write does) instead of
// exhausting memory. 8M elements is far beyond what a game's tables need.
inline constexpr size_t kMaxArrayElements = size_t{1} << 23;

struct RVariable {
  int32_t id = 0;
  RValue value;
  std::vector<std::vector<RValue>> rows;

  // The element at a flat index, or nullptr when it lies outside the rows. Inline: array loops
  // reach it once per element access.
  const RValue* get(int32_t index) const {
    return getAt(static_cast<size_t>(index / kArrayDimension), static_cast<size_t>(index % kArrayDimension));
  }
  // The same by row and column (both below kArrayDimension), as the two indices give them.
  const RValue* getAt(size_t row, size_t column) const {
    if (row == 0 && column == 0) return &value;
    if (row >= rows.size() || column >= rows[row].size()) return nullptr;
    return &rows[row][column];
  }
  // The element at a flat index, made to exist (rows and columns are extended with zero values);
  // nullptr when that would take the variable beyond kMaxArrayElements. The existing-element
  // path is inline; growing the rows is not.
  RValue* element(int32_t index) {
    return elementAt(static_cast<size_t>(index / kArrayDimension), static_cast<size_t>(index % kArrayDimension));
  }
  RValue* elementAt(size_t row, size_t column) {
    if (row == 0 && column == 0) return &value;
    if (row < rows.size() && column < rows[row].size()) return &rows[row][column];
    return grow(row, column);
  }

  size_t elementCount = 0;  // elements in the rows

 private:
  // Extends the rows so that (row, column) exists; nullptr beyond kMaxArrayElements.
  RValue* grow(size_t row, size_t column);
};

class CVariableList {
 public:
  // The entry with this id, or nullptr.
  RVariable* find(int32_t id);
  const RVariable* find(int32_t id) const;
  // The entry with this id, appended with the zero value when missing.
  RVariable& ensure(int32_t id);

  // False (nothing written) when the array would grow beyond its limit.
  bool set(int32_t id, int32_t index, const RValue& value) {
    RValue* e = ensure(id).element(index);
    if (!e) return false;
    *e = value;
    return true;
  }
  // The element, or nullptr for a miss (missing entry or element outside the rows).
  const RValue* get(int32_t id, int32_t index) const;

  void copyFrom(const CVariableList& from);
  void clear();
  size_t size() const { return entries_.size(); }
  const std::vector<RVariable>& entries() const { return entries_; }
  // Entry by position, for per-site caches: valid while position < size().
  RVariable* at(size_t position) { return &entries_[position]; }
  // Position of the entry found by find(), or -1.
  int32_t positionOf(int32_t id) const;

  // The saved form (version 440). load() empties the list first and fails on a wrong version or
  // on counts that no index could reach.
  void save(data::CStream& stream) const;
  bool load(data::CStream& stream);

 private:
  void reindex();
  // Small lists are searched from the last entry; larger ones keep an index by id.
  static constexpr size_t kLinearLimit = 8;
  std::vector<RVariable> entries_;
  std::unordered_map<int32_t, int32_t> index_;
};

// Writing and reading one value in the saved form: kind, real, string.
void SaveValue(data::CStream& stream, const RValue& value);
bool LoadValue(data::CStream& stream, RValue& value);

// The table of user variable names. Names are entered on first resolution and never removed.
class VariableNames {
 public:
  // The id of a name: a built-in variable's id, else the user id (entered when new).
  int32_t resolve(std::string_view name);
  // The user id of a name already entered, or -1.
  int32_t findUser(std::string_view name) const;
  // The name of an id, or "<unknown built-in variable>" / "<unknown variable>".
  std::string nameOf(int32_t id) const;
  size_t size() const { return names_.size(); }

 private:
  std::vector<std::string> names_;
  std::unordered_map<std::string, int32_t> ids_;
};
VariableNames& variableNames();

// The global variables and the declared-global flags (one byte per user id).
class GlobalStore {
 public:
  GlobalStore() : flags_(kInitialFlagCount, 0) {}
  // Empty store and a flag table of 10000 entries, as at game start and restart.
  void reset();
  static constexpr size_t kInitialFlagCount = 10000;
  CVariableList& list() { return list_; }
  void markGlobal(int32_t id);
  bool isGlobal(int32_t id) const {
    const int64_t k = static_cast<int64_t>(id) - kUserVariableBase;
    return k >= 0 && k < static_cast<int64_t>(flags_.size()) && flags_[static_cast<size_t>(k)] != 0;
  }
  // The saved block (version 700).
  void save(data::CStream& stream) const;
  bool load(data::CStream& stream);

 private:
  CVariableList list_;
  std::vector<uint8_t> flags_;
};
GlobalStore& globalStore();
// The global variables' section of a saved game (the store's saved block). The reader returns
// what makes the read store current, or an empty function for a block that does not parse.
void WriteSavedGlobals(data::CStream& s);
std::function<void()> ReadSavedGlobals(data::CStream& s);

// Empties the global variables and the declared-global flags: a game starts (or restarts) with none.
void ResetGlobalVariables();

// False until a `globalvar` runs (or flags are loaded) after the global store's last reset: until
// then no name is global, and the hot paths skip the flag table.
extern bool g_globalsDeclared;
// is_global of the global store.
inline bool IsDeclaredGlobal(int32_t id) { return g_globalsDeclared && globalStore().isGlobal(id); }

}  // namespace qv::code
