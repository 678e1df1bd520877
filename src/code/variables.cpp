#include "code/variables.h"

#include "code/builtin_variables.h"
#include "data/stream.h"

namespace qv::code {

// ---- RVariable ----

RValue* RVariable::grow(size_t row, size_t column) {
  const size_t length = row < rows.size() ? rows[row].size() : 0;
  const size_t added = column + 1 - length;
  if (elementCount + added > kMaxArrayElements) return nullptr;
  if (rows.size() <= row) rows.resize(row + 1);
  rows[row].resize(column + 1);
  elementCount += added;
  return &rows[row][column];
}

// ---- CVariableList ----

int32_t CVariableList::positionOf(int32_t id) const {
  if (entries_.size() <= kLinearLimit) {
    for (size_t i = entries_.size(); i-- > 0;)
      if (entries_[i].id == id) return static_cast<int32_t>(i);
    return -1;
  }
  auto it = index_.find(id);
  return it == index_.end() ? -1 : it->second;
}

RVariable* CVariableList::find(int32_t id) {
  const int32_t p = positionOf(id);
  return p < 0 ? nullptr : &entries_[static_cast<size_t>(p)];
}

const RVariable* CVariableList::find(int32_t id) const {
  const int32_t p = positionOf(id);
  return p < 0 ? nullptr : &entries_[static_cast<size_t>(p)];
}

RVariable& CVariableList::ensure(int32_t id) {
  if (RVariable* v = find(id)) return *v;
  entries_.emplace_back();
  entries_.back().id = id;
  if (entries_.size() > kLinearLimit) {
    if (index_.empty()) reindex();
    else index_[id] = static_cast<int32_t>(entries_.size() - 1);
  }
  return entries_.back();
}

const RValue* CVariableList::get(int32_t id, int32_t index) const {
  const RVariable* v = find(id);
  return v ? v->get(index) : nullptr;
}

void CVariableList::copyFrom(const CVariableList& from) {
  entries_ = from.entries_;
  index_ = from.index_;
}

void CVariableList::clear() {
  entries_.clear();
  index_.clear();
}

void CVariableList::reindex() {
  index_.clear();
  if (entries_.size() <= kLinearLimit) return;
  // Later entries overwrite earlier ones of the same id: the last one wins.
  for (size_t i = 0; i < entries_.size(); ++i) index_[entries_[i].id] = static_cast<int32_t>(i);
}

void SaveValue(data::CStream& stream, const RValue& value) {
  stream.WriteInteger(value.kind);
  stream.WriteReal(value.isReal() ? value.real : 0.0);
  stream.WriteString(value.isString() ? std::string_view(value.str) : std::string_view());
}

bool LoadValue(data::CStream& stream, RValue& value) {
  const int32_t kind = stream.ReadInteger();
  const double real = stream.ReadReal();
  std::string str = stream.ReadString();
  if (kind == ty_string) value.setString(std::move(str));
  else if (kind == ty_real) value.setReal(real);
  else return false;  // no third kind exists: corrupt data
  return true;
}

namespace {
constexpr int32_t kListVersion = 440;
constexpr int32_t kGlobalsVersion = 700;
// Smallest saved size of one value (kind, real, string length) and of one entry.
constexpr size_t kMinValueBytes = 4 + 8 + 4;
constexpr size_t kMinEntryBytes = 4 + kMinValueBytes + 4;
}  // namespace

void CVariableList::save(data::CStream& stream) const {
  stream.WriteInteger(kListVersion);
  stream.WriteInteger(static_cast<int32_t>(entries_.size()));
  for (const RVariable& v : entries_) {
    stream.WriteInteger(v.id);
    SaveValue(stream, v.value);
    stream.WriteInteger(static_cast<int32_t>(v.rows.size()));
    for (const auto& row : v.rows) {
      stream.WriteInteger(static_cast<int32_t>(row.size()));
      for (const RValue& e : row) SaveValue(stream, e);
    }
  }
}

// Counts are checked against the bytes left and against the array dimension before anything is
// allocated: a saved list is untrusted input.
bool CVariableList::load(data::CStream& stream) {
  clear();
  if (stream.ReadInteger() != kListVersion) return false;
  const int32_t count = stream.ReadInteger();
  if (count < 0 || static_cast<uint64_t>(count) * kMinEntryBytes > stream.remaining()) return false;
  for (int32_t i = 0; i < count; ++i) {
    RVariable v;
    v.id = stream.ReadInteger();
    if (!LoadValue(stream, v.value)) return false;
    const int32_t rowCount = stream.ReadInteger();
    if (rowCount < 0 || rowCount > kArrayDimension ||
        static_cast<uint64_t>(rowCount) * 4 > stream.remaining())
      return false;
    v.rows.resize(static_cast<size_t>(rowCount));
    for (auto& row : v.rows) {
      const int32_t length = stream.ReadInteger();
      if (length < 0 || length > kArrayDimension ||
          static_cast<uint64_t>(length) * kMinValueBytes > stream.remaining())
        return false;
      row.resize(static_cast<size_t>(length));
      v.elementCount += static_cast<size_t>(length);
      if (v.elementCount > kMaxArrayElements) return false;
      for (RValue& e : row)
        if (!LoadValue(stream, e)) return false;
    }
    entries_.push_back(std::move(v));
  }
  reindex();
  return true;
}

// ---- VariableNames ----

int32_t VariableNames::resolve(std::string_view name) {
  const int32_t builtin = FindBuiltinVariable(name);
  if (builtin >= 0) return builtin;
  const int32_t user = findUser(name);
  if (user >= 0) return user;
  names_.emplace_back(name);
  const int32_t id = kUserVariableBase + static_cast<int32_t>(names_.size() - 1);
  ids_.emplace(names_.back(), id);
  return id;
}

int32_t VariableNames::findUser(std::string_view name) const {
  auto it = ids_.find(std::string(name));
  return it == ids_.end() ? -1 : it->second;
}

std::string VariableNames::nameOf(int32_t id) const {
  if (id < kUserVariableBase) {
    const char* n = BuiltinVariableName(id);
    return n ? std::string(n) : std::string("<unknown built-in variable>");
  }
  const size_t k = static_cast<size_t>(id - kUserVariableBase);
  return k < names_.size() ? names_[k] : std::string("<unknown variable>");
}

VariableNames& variableNames() {
  static VariableNames names;
  return names;
}

// ---- GlobalStore ----

namespace {
constexpr size_t kFlagGrowth = 1000;
}  // namespace

bool g_globalsDeclared = false;

void GlobalStore::reset() {
  list_.clear();
  flags_.assign(kInitialFlagCount, 0);
  if (this == &globalStore()) g_globalsDeclared = false;
}

void ResetGlobalVariables() { globalStore().reset(); }

void GlobalStore::markGlobal(int32_t id) {
  if (id < kUserVariableBase) return;
  const size_t k = static_cast<size_t>(id - kUserVariableBase);
  if (k >= flags_.size()) flags_.resize(k + kFlagGrowth, 0);
  flags_[k] = 1;
  g_globalsDeclared = true;
  list_.ensure(id);
}

void GlobalStore::save(data::CStream& stream) const {
  stream.WriteInteger(kGlobalsVersion);
  list_.save(stream);
  stream.WriteInteger(static_cast<int32_t>(flags_.size()));
  for (uint8_t f : flags_) stream.WriteBoolean(f != 0);
}

// A wrong version or a corrupt list fails the load and leaves the store as it was, so the caller
// can treat the whole saved game as unreadable instead of reading on at a wrong offset.
bool GlobalStore::load(data::CStream& stream) {
  if (stream.ReadInteger() != kGlobalsVersion) return false;
  CVariableList list;
  if (!list.load(stream)) return false;
  const int32_t n = stream.ReadInteger();
  if (n < 0 || static_cast<uint64_t>(n) * 4 > stream.remaining()) return false;
  std::vector<uint8_t> flags(static_cast<size_t>(n));
  for (auto& f : flags) f = stream.ReadBoolean() ? 1 : 0;
  list_ = std::move(list);
  flags_ = std::move(flags);
  g_globalsDeclared = true;  // whatever the flags hold
  return true;
}

}  // namespace qv::code

namespace qv::code {

GlobalStore& globalStore() {
  static GlobalStore store;
  return store;
}

void WriteSavedGlobals(data::CStream& s) { globalStore().save(s); }

std::function<void()> ReadSavedGlobals(data::CStream& s) {
  auto loaded = std::make_shared<GlobalStore>();
  if (!loaded->load(s)) return {};
  return [loaded] { globalStore() = std::move(*loaded); };
}

}  // namespace qv::code
