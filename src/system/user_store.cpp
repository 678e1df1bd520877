#include "system/user_store.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <nlohmann/json.hpp>

#include "platform/locked_file.h"
#include "platform/process_control.h"

namespace qv::system {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Temporary files of writers are named "registry.json.tmp-" + a random number.
constexpr std::string_view kTemporaryMark = ".tmp-";
// Damaged stores kept aside are numbered from 1; past this many the store is left where it is.
constexpr int kMaxKeptStores = 1000;

int& damageCount() {
  static int count = 0;
  return count;
}

// "\Software\Foo\\Bar" -> "software\foo\bar": the form keys are stored under.
std::string normalKey(std::string_view root, std::string_view key) {
  std::string out;
  for (char ch : root) out += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  bool separator = true;
  for (char ch : key) {
    if (ch == '\\' || ch == '/') {
      separator = true;
      continue;
    }
    if (separator) out += '\\';
    separator = false;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  }
  return out;
}

// The store file as it is at one moment. It is only ever replaced whole (by a rename), so reading
// it needs no lock; setting a damaged one aside does.
struct Contents {
  enum { Missing, Parsed, Damaged } state = Missing;
  json store = json::object();
  std::string problem;  // what is wrong with a damaged store
};

Contents readStore() {
  const std::string path = StorePath();
  Contents c;
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(path, ec);
  if (status.type() == fs::file_type::not_found) return c;
  c.state = Contents::Damaged;
  if (!fs::is_regular_file(fs::status(path, ec))) {
    c.problem = "it is not a file";
    return c;
  }
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    c.problem = "it cannot be read";
    return c;
  }
  try {
    c.store = json::parse(text);
  } catch (const json::exception& e) {
    c.problem = e.what();
    return c;
  }
  if (!c.store.is_object()) {
    c.problem = "it does not hold a JSON object";
    return c;
  }
  c.state = Contents::Parsed;
  return c;
}

// Writes the whole store to a temporary file of this write's own and renames it over the store.
// Called with the lock held.
bool writeStore(const json& store) {
  const std::string path = StorePath();
  const std::string text = store.dump(1, ' ', false, json::error_handler_t::replace);
  std::random_device random;
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string temporary = path + std::string(kTemporaryMark) + std::to_string(random());
    auto file = platform::LockedFile::CreateNew(temporary);
    if (!file) continue;
    std::error_code ec;
    if (!file->Write(text.data(), text.size()) || !file->Sync() || !file->Close()) {
      fs::remove(temporary, ec);
      return false;
    }
    fs::rename(temporary, path, ec);
    if (ec) fs::remove(temporary, ec);
    return !ec;
  }
  return false;
}

// Temporary files left by writers killed before their rename. Only a writer holding the lock has
// one, so while we hold it every one found is left over.
void removeLeftTemporaries() {
  const fs::path path = StorePath();
  const std::string prefix = path.filename().string() + std::string(kTemporaryMark);
  std::error_code ec;
  for (fs::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code removeError;
    if (name.compare(0, prefix.size(), prefix) == 0) fs::remove(it->path(), removeError);
  }
}

// Renames the damaged store to the first free "registry.json.damaged-N"; the kept name, or
// nothing when it could not be moved. Called with the lock held: every process sets stores aside
// under it, so a name found free stays free until the rename.
std::optional<std::string> setAside(const std::string& path) {
  for (int n = 1; n <= kMaxKeptStores; ++n) {
    const std::string kept = path + ".damaged-" + std::to_string(n);
    std::error_code ec;
    if (fs::symlink_status(kept, ec).type() != fs::file_type::not_found) continue;
    fs::rename(path, kept, ec);
    if (ec) return std::nullopt;
    return kept;
  }
  return std::nullopt;
}

// Said once a run: the store stays where it is, damaged.
void tellStoreStays(const std::string& path, const std::string& problem) {
  static bool told = false;
  if (told) return;
  told = true;
  std::fprintf(stderr,
               "quorvane: the per-user store %s cannot be read (%s) and cannot be set aside; nothing is written to "
               "it, and secure mode is on\n",
               path.c_str(), problem.c_str());
}

// With the lock held: the store as it is now. A damaged store is set aside and a new one begun
// with secure mode on; nothing when the damaged store cannot be moved (then nothing may be
// written over it).
std::optional<json> loadLocked() {
  Contents c = readStore();
  if (c.state != Contents::Damaged) return std::move(c.store);
  ++damageCount();
  const std::string path = StorePath();
  const std::optional<std::string> kept = setAside(path);
  if (!kept) {
    tellStoreStays(path, c.problem);
    return std::nullopt;
  }
  json fresh = json::object();
  fresh[normalKey(kPreferencesRoot, kPreferencesKey)]["Warning"] = 1.0;
  const bool begun = writeStore(fresh);
  std::fprintf(stderr,
               "quorvane: the per-user store %s cannot be read (%s); it is kept as %s%s, and secure mode is on\n",
               path.c_str(), c.problem.c_str(), kept->c_str(),
               begun ? " and a new store is begun" : "");
  return fresh;
}

// The store for a read: as it is, or, when it is damaged, what setting it aside leaves.
json current() {
  Contents c = readStore();
  if (c.state != Contents::Damaged) return std::move(c.store);
  ++damageCount();
  auto lock = platform::LockedFile::Wait(StorePath() + ".lock");
  if (!lock) {
    tellStoreStays(StorePath(), c.problem);
    return json::object();
  }
  return loadLocked().value_or(json::object());
}

// The name under which `key` holds a value named `name` in any case; `name` itself when none.
std::string sameNameIn(const json& key, std::string_view name) {
  if (key.contains(std::string(name))) return std::string(name);
  for (auto it = key.begin(); it != key.end(); ++it) {
    const std::string& n = it.key();
    if (n.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < n.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(n[i])) == std::tolower(static_cast<unsigned char>(name[i]));
    if (same) return n;
  }
  return std::string(name);
}

}  // namespace

std::string StorePath() { return (fs::path(platform::userDataDirectory()) / "registry.json").string(); }

int StoreDamageCount() { return damageCount(); }

bool StoreKeyExists(std::string_view root, std::string_view key) { return current().contains(normalKey(root, key)); }

std::optional<StoreValue> StoreRead(std::string_view root, std::string_view key, std::string_view name) {
  const json store = current();
  auto k = store.find(normalKey(root, key));
  if (k == store.end() || !k->is_object()) return std::nullopt;
  // Names are stored as first given; JSON strings hold the game's bytes as they are (escaped as
  // needed). A value name matches without regard to case, as the registry's do.
  auto v = k->find(sameNameIn(*k, name));
  if (v == k->end()) return std::nullopt;
  if (v->is_number()) return StoreValue(v->get<double>());
  if (v->is_string()) return StoreValue(v->get<std::string>());
  return std::nullopt;
}

bool StoreWrite(std::string_view root, std::string_view key, std::string_view name, const StoreValue& value) {
  const fs::path path = StorePath();
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  auto lock = platform::LockedFile::Wait(path.string() + ".lock");
  if (!lock) return false;
  removeLeftTemporaries();
  // Read again under the lock: another process may have written since this one last read.
  std::optional<json> store = loadLocked();
  if (!store) return false;
  json& k = (*store)[normalKey(root, key)];
  if (!k.is_object()) k = json::object();
  const std::string stored = sameNameIn(k, name);
  if (const double* d = std::get_if<double>(&value)) k[stored] = *d;
  else k[stored] = std::get<std::string>(value);
  return writeStore(*store);
}

}  // namespace qv::system
