#include "system/user_store.h"

#include <cctype>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "platform/process_control.h"

namespace qv::system {

namespace {

using nlohmann::json;

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

// The whole store; a missing or unreadable file is an empty store.
json load() {
  std::ifstream in(StorePath(), std::ios::binary);
  if (!in) return json::object();
  json j = json::parse(in, nullptr, false);
  return j.is_object() ? j : json::object();
}

}  // namespace

std::string StorePath() { return (std::filesystem::path(platform::userDataDirectory()) / "registry.json").string(); }

bool StoreKeyExists(std::string_view root, std::string_view key) { return load().contains(normalKey(root, key)); }

std::optional<StoreValue> StoreRead(std::string_view root, std::string_view key, std::string_view name) {
  const json store = load();
  auto k = store.find(normalKey(root, key));
  if (k == store.end() || !k->is_object()) return std::nullopt;
  // Names are stored as given; JSON strings hold the game's bytes as they are (escaped as needed).
  auto v = k->find(std::string(name));
  if (v == k->end()) return std::nullopt;
  if (v->is_number()) return StoreValue(v->get<double>());
  if (v->is_string()) return StoreValue(v->get<std::string>());
  return std::nullopt;
}

bool StoreWrite(std::string_view root, std::string_view key, std::string_view name, const StoreValue& value) {
  json store = load();
  json& k = store[normalKey(root, key)];
  if (!k.is_object()) k = json::object();
  if (const double* d = std::get_if<double>(&value)) k[std::string(name)] = *d;
  else k[std::string(name)] = std::get<std::string>(value);
  std::error_code ec;
  const std::filesystem::path path = StorePath();
  std::filesystem::create_directories(path.parent_path(), ec);
  // Written beside and renamed, so a crash never leaves half a store.
  const std::filesystem::path temporary = path.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << store.dump(1, ' ', false, json::error_handler_t::replace);
    if (!out) return false;
  }
  std::filesystem::rename(temporary, path, ec);
  return !ec;
}

}  // namespace qv::system
