// Reading and writing the files of a project folder: code page 1252 and UTF-8, files, JSON laid
// out for people, file stems for resource names, typed JSON fields that name the field on error,
// and the listing of a kind folder. Shared by the parts of the project folder code.
#pragma once

#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/bitmap_ops.h"
#include "graphics/resource_list.h"
#include "project/project_folder.h"

namespace qv::project {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

// --- text and files ------------------------------------------------------------------------------

// Game strings are code page 1252; JSON and file names are UTF-8. Every byte has a code point
// (the five bytes the code page leaves undefined keep their own), so the mapping is exact both ways.
std::string toUtf8(std::string_view text);
// Nothing for text with a character outside code page 1252 or that is not UTF-8.
std::optional<std::string> toCp1252(std::string_view utf8);

// Makes the folders on the way; throws std::runtime_error when the file cannot be written.
void writeFile(const fs::path& p, const void* data, size_t size);
void writeFile(const fs::path& p, const std::vector<uint8_t>& bytes);
void writeFile(const fs::path& p, const std::string& text);
// JSON laid out for people and line-based diffs (see layoutJson).
void writeJson(const fs::path& p, const json& j);
// Reals: JSON numbers, except the values JSON cannot write ("nan", "inf", "-inf").
json realToJson(double v);
std::string hex(const uint8_t* data, size_t size);

// --- names and stems -----------------------------------------------------------------------------

// A name is used as the file stem when it is plain ASCII that every file system takes as it is.
bool plainStem(const std::string& name);
std::string lower(std::string s);

// Chooses unique file stems within one kind folder (case-insensitively, for case-folding file
// systems). A name that cannot be a stem gets a stem of its safe characters, "~" and its index.
class StemPicker {
 public:
  std::string pick(const std::string& name, int32_t index) {
    if (plainStem(name) && used_.insert(lower(name)).second) return name;
    std::string base;
    for (char c : name.substr(0, 60)) base.push_back(std::isalnum(uint8_t(c)) && uint8_t(c) < 0x80 ? c : '_');
    std::string stem = base.empty() ? std::to_string(index) : base + "~" + std::to_string(index);
    while (!used_.insert(lower(stem)).second) stem += "~";
    return stem;
  }

 private:
  std::set<std::string> used_;
};

// --- reading ----------------------------------------------------------------------------------------

// Thrown for the first problem of one file; the loader records it and goes on with the next file.
struct Problem {
  ProjectError error;
};

[[noreturn]] void fail(const std::string& file, const std::string& field, const std::string& message);

// Line n (from 1) of a text (lines end at LF), without its line break; "" past the end.
std::string LineOfText(const std::string& text, int32_t n);
// Where line n starts; npos past the end.
size_t LineStart(const std::string& text, int32_t n);

// One JSON object read from a project file, with typed field access that names the field on error.
class Fields {
 public:
  Fields(std::string file, const json& j, std::string prefix = "") : file_(std::move(file)), j_(j), prefix_(std::move(prefix)) {
    if (!j_.is_object()) fail(file_, prefix_, "an object is expected");
  }
  bool has(const char* key) const { return j_.contains(key) && !j_.at(key).is_null(); }
  const json& at(const char* key) const { return j_.at(key); }
  std::string field(const std::string& key) const { return prefix_.empty() ? key : prefix_ + "." + key; }
  const std::string& file() const { return file_; }

  bool boolean(const char* key, bool def) const {
    if (!has(key)) return def;
    if (!at(key).is_boolean()) fail(file_, field(key), "true or false is expected");
    return at(key).get<bool>();
  }
  int32_t integer(const char* key, int32_t def) const {
    if (!has(key)) return def;
    return integerValue(at(key), field(key));
  }
  int32_t integerValue(const json& v, const std::string& name) const {
    if (!v.is_number_integer()) fail(file_, name, "an integer is expected");
    const int64_t n = v.is_number_unsigned() && v.get<uint64_t>() > uint64_t(INT64_MAX) ? INT64_MAX : v.get<int64_t>();
    if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
      fail(file_, name, "the integer does not fit in 32 bits");
    return int32_t(n);
  }
  double real(const char* key, double def) const {
    if (!has(key)) return def;
    const json& v = at(key);
    if (v.is_number()) return v.get<double>();
    if (v.is_string()) {
      const std::string s = v.get<std::string>();
      if (s == "nan") return std::numeric_limits<double>::quiet_NaN();
      if (s == "inf") return std::numeric_limits<double>::infinity();
      if (s == "-inf") return -std::numeric_limits<double>::infinity();
    }
    fail(file_, field(key), "a number is expected");
  }
  std::string string(const char* key, const std::string& def) const {
    if (!has(key)) return def;
    return stringValue(at(key), field(key));
  }
  std::string stringValue(const json& v, const std::string& name) const {
    if (!v.is_string()) fail(file_, name, "a string is expected");
    auto s = toCp1252(v.get<std::string>());
    if (!s) fail(file_, name, "the text has a character outside code page 1252");
    return *s;
  }

 private:
  std::string file_;
  const json& j_;
  std::string prefix_;
};

// Every file of a project is read through these, so a build never reads outside the project
// folder: a path (relative to the folder) that leads out of it, as an absolute path, by ".." or
// through a symbolic link, is a problem of `from`'s `field` that names the path.
fs::path insideProject(const fs::path& root, const std::string& rel, const std::string& from, const std::string& field);
// The file's bytes, or nothing when it is missing.
std::optional<std::vector<uint8_t>> readProjectFile(const fs::path& root, const std::string& rel, const std::string& from,
                                                    const std::string& field);
json parseJsonFile(const fs::path& root, const std::string& rel);
// The file's bytes; a missing file is a problem of `from`'s `field`.
std::vector<uint8_t> needFile(const fs::path& root, const std::string& rel, const std::string& from, const std::string& field);
data::TBitmap32 needPng(const fs::path& root, const std::string& rel, const std::string& from, const std::string& field);

// Game code reads 0 to 99999 as a resource or object index and 100000 up as an instance id, so no
// resource can live beyond; the bound also keeps a mistyped index from allocating millions of slots.
inline constexpr int32_t kMaxResourceIndex = 99999;

// One resource file found in a kind folder.
struct Entry {
  std::string file;  // relative path of its .json
  std::string stem;  // UTF-8, as on disk
  std::string name;  // code page 1252
  int32_t index = -1;
  json j;
};

// Lists the kind folder's .json files, reads name and index from each and gives indices to the
// entries without one (after every explicit index, in name order). Duplicate names or indices are
// errors (names only when `uniqueNames`). `withName` is false for kinds whose records carry no name.
std::vector<Entry> listKind(const fs::path& root, const std::string& folder, bool withName,
                            std::vector<ProjectError>& errors, bool uniqueNames = true);

template <class T>
void placeSlot(graphics::ResourceList<T>& list, int32_t index, std::string name, std::unique_ptr<T> item) {
  if (list.count() <= index) {
    list.slots.resize(size_t(index) + 1);
    list.names.resize(size_t(index) + 1);
  }
  list.slots[size_t(index)] = std::move(item);
  list.names[size_t(index)] = std::move(name);
}

template <class T>
void reserveSlots(graphics::ResourceList<T>& list, int32_t count) {
  if (list.count() < count) {
    list.slots.resize(size_t(count));
    list.names.resize(size_t(count));
  }
}

}  // namespace qv::project
