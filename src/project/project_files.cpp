#include "project/project_files.h"

#include "platform/code_page.h"

#include <algorithm>
#include <regex>
#include <cmath>
#include <fstream>
#include <map>

#include "platform/image_codecs.h"

namespace qv::project {

// --- text and files ------------------------------------------------------------------------------

// Game strings are code page 1252; JSON and file names are UTF-8. Every byte has a code point
// (the five bytes the code page leaves undefined keep their own), so the mapping is exact both ways.
std::string toUtf8(std::string_view text) { return platform::Cp1252ToUtf8(text); }

std::optional<std::string> toCp1252(std::string_view utf8) { return platform::Utf8ToCp1252Exact(utf8); }

void writeFile(const fs::path& p, const void* data, size_t size) {
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(static_cast<const char*>(data), std::streamsize(size));
  if (!f) throw std::runtime_error("cannot write " + p.string());
}
void writeFile(const fs::path& p, const std::vector<uint8_t>& bytes) { writeFile(p, bytes.data(), bytes.size()); }
void writeFile(const fs::path& p, const std::string& text) { writeFile(p, text.data(), text.size()); }
namespace {

// A container of scalars only.
bool flat(const json& j) {
  return std::all_of(j.begin(), j.end(), [](const json& v) { return !v.is_structured(); });
}

// The container on one line: {"a": 1, "b": [2, 3]}.
std::string oneLine(const json& j) {
  if (!j.is_structured()) return j.dump();
  std::string line(1, j.is_object() ? '{' : '[');
  bool first = true;
  for (auto it = j.begin(); it != j.end(); ++it, first = false) {
    if (!first) line += ", ";
    if (j.is_object()) line += json(it.key()).dump() + ": ";
    line += oneLine(*it);
  }
  return line + (j.is_object() ? '}' : ']');
}

// JSON laid out for people and line-based diffs: a container of scalars, or of scalars and such
// containers, that fits in a short line stays on one line ([8, -3], a glyph's six numbers, a box,
// a tile, an action); others open one line per member.
void layoutJson(std::string& out, const json& j, int indent) {
  constexpr size_t kShortLine = 120;
  if (!j.is_structured() || j.empty()) {
    out += j.dump();
    return;
  }
  const bool shallow = std::all_of(j.begin(), j.end(), [](const json& v) { return !v.is_structured() || flat(v); });
  const char open = j.is_object() ? '{' : '[', close = j.is_object() ? '}' : ']';
  if (shallow) {
    const std::string line = oneLine(j);
    if (line.size() <= kShortLine) {
      out += line;
      return;
    }
  }
  out += open;
  out += '\n';
  bool first = true;
  for (auto it = j.begin(); it != j.end(); ++it, first = false) {
    if (!first) out += ",\n";
    out.append(size_t(indent + 2), ' ');
    if (j.is_object()) out += json(it.key()).dump() + ": ";
    layoutJson(out, *it, indent + 2);
  }
  out += '\n';
  out.append(size_t(indent), ' ');
  out += close;
}

}  // namespace

void writeJson(const fs::path& p, const json& j) {
  std::string out;
  layoutJson(out, j, 0);
  writeFile(p, out + "\n");
}

// Reals: JSON numbers, except the values JSON cannot write.
json realToJson(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  return v;
}

std::string hex(const uint8_t* data, size_t size) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    out.push_back(digits[data[i] >> 4]);
    out.push_back(digits[data[i] & 15]);
  }
  return out;
}

// --- names and stems -----------------------------------------------------------------------------

// A name is used as the file stem when it is plain ASCII that every file system takes as it is.
bool plainStem(const std::string& name) {
  if (name.empty() || name.size() > 100 || name[0] == '.' || name[0] == '-') return false;
  for (char c : name)
    if (!(std::isalnum(uint8_t(c)) || c == '_' || c == '-' || c == '.' || c == ' ') || uint8_t(c) >= 0x80)
      return false;
  return name.back() != ' ' && name.back() != '.';
}

std::string lower(std::string s) {
  for (char& c : s) c = char(std::tolower(uint8_t(c)));
  return s;
}


// --- reading ----------------------------------------------------------------------------------------


[[noreturn]] void fail(const std::string& file, const std::string& field, const std::string& message) {
  throw Problem{ProjectError{file, field, message}};
}


fs::path insideProject(const fs::path& root, const std::string& rel, const std::string& from, const std::string& field) {
  std::error_code ec;
  const fs::path base = fs::weakly_canonical(fs::absolute(root, ec), ec);
  if (ec) fail(from, field, "cannot resolve the project folder: " + ec.message());
  // An absolute `rel` replaces the base here, and is then judged like any other path.
  const fs::path resolved = fs::weakly_canonical(base / fs::path(rel), ec);
  if (ec) fail(from, field, "cannot resolve the path " + rel + ": " + ec.message());
  if (std::mismatch(base.begin(), base.end(), resolved.begin(), resolved.end()).first != base.end())
    fail(from, field, "the path " + rel + " leads outside the project folder");
  return resolved;
}

namespace {
std::optional<std::vector<uint8_t>> readFile(const fs::path& p) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return std::nullopt;
  std::vector<uint8_t> bytes;
  if (!graphics::ReadWholeFile(p.string(), bytes)) return std::nullopt;
  return bytes;
}
}  // namespace

std::optional<std::vector<uint8_t>> readProjectFile(const fs::path& root, const std::string& rel, const std::string& from,
                                                    const std::string& field) {
  return readFile(insideProject(root, rel, from, field));
}

size_t LineStart(const std::string& text, int32_t n) {
  size_t start = 0;
  for (int32_t i = 1; i < n && start != std::string::npos; ++i) {
    start = text.find('\n', start);
    if (start != std::string::npos) ++start;
  }
  return start;
}

std::string LineOfText(const std::string& text, int32_t n) {
  const size_t start = LineStart(text, n);
  if (start == std::string::npos || start > text.size()) return "";
  std::string line = text.substr(start, text.find('\n', start) - start);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

json parseJsonFile(const fs::path& root, const std::string& rel) {
  auto bytes = readProjectFile(root, rel, rel, "");
  if (!bytes) fail(rel, "", "missing file");
  try {
    return json::parse(bytes->begin(), bytes->end());
  } catch (const json::parse_error& e) {
    // The reader's own words, without its prefix, at the line and column it names.
    static const std::regex shape(R"(parse error at line (\d+), column (\d+): ([\s\S]*)$)");
    const std::string what = e.what();
    std::smatch m;
    ProjectError error{rel, "", "not valid JSON"};
    if (std::regex_search(what, m, shape)) {
      error.line = std::stoi(m[1].str());
      error.column = std::max(1, std::stoi(m[2].str()));
      error.message = "not valid JSON: " + m[3].str();
      error.source = LineOfText(std::string(bytes->begin(), bytes->end()), error.line);
      if (error.source.size() > 200) error.source.clear();  // a minified file: no line to show
    }
    throw Problem{error};
  }
}

std::vector<uint8_t> needFile(const fs::path& root, const std::string& rel, const std::string& from, const std::string& field) {
  auto bytes = readProjectFile(root, rel, from, field);
  if (!bytes) fail(from, field, "missing file " + rel);
  return *bytes;
}

data::TBitmap32 needPng(const fs::path& root, const std::string& rel, const std::string& from, const std::string& field) {
  auto bytes = readProjectFile(root, rel, from, field);
  if (!bytes) fail(from, field, "missing image " + rel);
  auto decoded = platform::DecodePng(bytes->data(), bytes->size());
  if (!decoded) fail(rel, "", "not a readable PNG image");
  data::TBitmap32 b(decoded->width, decoded->height);
  b.pixels = std::move(decoded->pixels);
  return b;
}



// Lists the kind folder's .json files, reads name and index from each and gives indices to the
// entries without one (after every explicit index, in name order). Duplicate names or indices are
// errors. `withName` is false for kinds whose records carry their names (triggers).
std::vector<Entry> listKind(const fs::path& root, const std::string& folder, bool withName,
                            std::vector<ProjectError>& errors, bool uniqueNames) {
  std::vector<Entry> entries;
  std::error_code ec;
  if (!fs::is_directory(root / folder, ec)) return entries;
  std::vector<fs::path> files;
  for (const auto& it : fs::directory_iterator(root / folder))
    if (it.is_regular_file() && it.path().extension() == ".json") files.push_back(it.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& path : files) {
    Entry e;
    e.file = folder + "/" + path.filename().string();
    e.stem = path.stem().string();
    try {
      e.j = parseJsonFile(root, e.file);
      Fields f(e.file, e.j);
      if (withName) {
        if (f.has("name")) {
          e.name = f.string("name", "");
        } else {
          auto n = toCp1252(e.stem);
          if (!n) fail(e.file, "", "the file name has a character outside code page 1252; give the resource a \"name\"");
          e.name = *n;
        }
      }
      e.index = f.integer("index", -1);
      if (f.has("index") && (e.index < 0 || e.index > kMaxResourceIndex))
        fail(e.file, "index", "an index from 0 to " + std::to_string(kMaxResourceIndex) + " is expected");
      entries.push_back(std::move(e));
    } catch (const Problem& p) {
      errors.push_back(p.error);
    }
  }
  std::map<int32_t, std::string> byIndex;
  std::map<std::string, std::string> byName;
  for (Entry& e : entries) {
    if (e.index >= 0 && !byIndex.emplace(e.index, e.file).second)
      errors.push_back({e.file, "index", "index " + std::to_string(e.index) + " is also used by " + byIndex[e.index]});
    if (withName && uniqueNames && !byName.emplace(e.name, e.file).second)
      errors.push_back({e.file, "name", "the name is also used by " + byName[e.name]});
  }
  int32_t next = byIndex.empty() ? 0 : byIndex.rbegin()->first + 1;
  std::vector<Entry*> unindexed;
  for (Entry& e : entries)
    if (e.index < 0) unindexed.push_back(&e);
  std::sort(unindexed.begin(), unindexed.end(), [](const Entry* a, const Entry* b) { return a->name < b->name; });
  for (Entry* e : unindexed) {
    if (next > kMaxResourceIndex) {
      errors.push_back({e->file, "index", "no index is left below " + std::to_string(kMaxResourceIndex + 1)});
      e->index = -1;
      continue;
    }
    e->index = next++;
  }
  std::erase_if(entries, [](const Entry& e) { return e.index < 0; });
  return entries;
}

}  // namespace qv::project
