#include "system/file_search.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "code/errors.h"
#include "system/file_builtins.h"
#include "system/game_file_names.h"
#include "system/host_path.h"
#include "platform/code_page.h"

namespace qv::system {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool wildcardMatch(std::string_view mask, std::string_view name) {
  // Iterative "*" and "?" matching with one back-tracking point: linear in practice.
  size_t m = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || lower(mask[m]) == lower(name[n]))) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      resume = n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

bool MaskMatches(std::string_view mask, std::string_view name) {
  if (wildcardMatch(mask, name)) return true;
  const bool dotless = name.find('.') == std::string_view::npos;
  // "x.*" also takes "x", and "x." takes only "x", as Windows matches names without an extension.
  if (dotless && mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*")
    return wildcardMatch(mask.substr(0, mask.size() - 2), name);
  if (dotless && !mask.empty() && mask.back() == '.') return wildcardMatch(mask.substr(0, mask.size() - 1), name);
  return false;
}

int HostAttributes(const std::string& hostPath) {
  struct stat st {};
  if (hostPath.empty() || ::stat(hostPath.c_str(), &st) != 0) return -1;
  int bits = 0;
  if (S_ISDIR(st.st_mode)) bits |= kAttrDirectory;
  else if (S_ISREG(st.st_mode)) bits |= kAttrArchive;
  else bits |= kAttrSystem;
  if ((st.st_mode & 0222) == 0 || ::access(hostPath.c_str(), W_OK) != 0) bits |= kAttrReadOnly;
  const size_t slash = hostPath.find_last_of('/');
  const std::string_view base = slash == std::string::npos ? std::string_view(hostPath) : std::string_view(hostPath).substr(slash + 1);
  if (!base.empty() && base[0] == '.' && base != "." && base != "..") bits |= kAttrHidden;
  return bits;
}

std::vector<std::string> SearchFiles(std::string_view mask, int attributes) {
  std::vector<std::string> found;
  if (mask.find('\0') != std::string_view::npos) return found;
  const size_t split = mask.find_last_of("\\/:");
  const std::string directoryPart(split == std::string_view::npos ? std::string_view() : mask.substr(0, split + 1));
  const std::string pattern = platform::Cp1252ToUtf8(split == std::string_view::npos ? mask : mask.substr(split + 1));
  const std::string directory = HostPath(directoryPart.empty() ? std::string(".") : directoryPart);
  DIR* dir = ::opendir(directory.c_str());
  if (!dir) return found;
  constexpr int kSpecial = kAttrHidden | kAttrSystem | kAttrVolume | kAttrDirectory;
  while (dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == ".." || !MaskMatches(pattern, name)) continue;
    const int bits = HostAttributes(directory + "/" + name);
    if (bits < 0) continue;
    if ((bits & kSpecial) != 0 && (bits & attributes) == 0) continue;
    found.push_back(platform::Utf8ToCp1252(name));
    if (found.size() >= kMaxSearchResults) break;
  }
  ::closedir(dir);
  std::sort(found.begin(), found.end());
  return found;
}

namespace {

using code::BuiltinCall;
using code::BuiltinFunction;

struct Search {
  bool active = false;
  std::vector<std::string> names;
  size_t next = 0;
};
Search& search() {
  static Search s;
  return s;
}

void file_find_first(BuiltinCall& c) {
  Search& s = search();
  s = Search{};
  s.names = SearchFiles(c.string(0), c.integer(1));
  s.active = true;
  c.result = s.names.empty() ? std::string() : s.names[s.next++];
}

void file_find_next(BuiltinCall& c) {
  Search& s = search();
  c.result = s.active && s.next < s.names.size() ? s.names[s.next++] : std::string();
}

void file_find_close(BuiltinCall&) { search() = Search{}; }

void file_attributes(BuiltinCall& c) {
  const int bits = HostAttributes(GameFileHostPath(c.string(0)));
  c.result = bits < 0 ? -1.0 : (bits & c.integer(1)) != 0 ? 1.0 : 0.0;
}

const BuiltinFunction kSearchFunctions[] = {
    {"file_find_first", file_find_first, 2},
    {"file_find_next", file_find_next, 0},
    {"file_find_close", file_find_close, 0},
    {"file_attributes", file_attributes, 2},
};

}  // namespace

code::BuiltinFamily FileSearchFunctions() { return kSearchFunctions; }

}  // namespace qv::system
