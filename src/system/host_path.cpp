#include "system/host_path.h"

#include "platform/code_page.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace qv::system {
namespace fs = std::filesystem;

namespace {

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

// The name on disk in `dir` that matches `name` ignoring ASCII case, or `name` itself.
std::string matchComponent(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (fs::exists(dir / name, ec)) return name;
  for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string candidate = it->path().filename().string();
    if (equalsIgnoringCase(candidate, name)) return candidate;
  }
  return name;
}

}  // namespace

std::string GamePath(std::string_view hostPath) {
  std::string out = platform::Utf8ToCp1252(hostPath);
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

std::string HostTempDirectory() {
  std::error_code ec;
  fs::path p = fs::temp_directory_path(ec);
  if (ec || p.empty()) return "/tmp";
  std::string s = p.string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

std::string HostPath(std::string_view gamePath) {
  const bool trailing = !gamePath.empty() && (gamePath.back() == '\\' || gamePath.back() == '/');
  std::string path = platform::Cp1252ToUtf8(gamePath);
  for (char& c : path)
    if (c == '\\') c = '/';

  std::string root;  // "" for a relative path
  if (path.size() >= 2 && path[1] == ':' && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z')) {
    bool absolute = path.size() >= 3 && path[2] == '/';
    bool driveC = (path[0] | 0x20) == 'c';
    path.erase(0, absolute ? 3 : 2);
    if (absolute) {
      root = "/";
      // "C:\temp" and what is below it live in the host's temporary directory.
      size_t end = path.find('/');
      if (driveC && equalsIgnoringCase(std::string_view(path).substr(0, end), "temp")) {
        root = HostTempDirectory() + "/";
        path.erase(0, end == std::string::npos ? path.size() : end + 1);
      }
    }
  } else if (!path.empty() && path[0] == '/') {
    root = "/";
  }

  std::vector<std::string> parts;
  for (size_t at = 0; at <= path.size();) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    if (end > at) parts.emplace_back(path.substr(at, end - at));
    at = end + 1;
  }

  fs::path built = root.empty() ? fs::path() : fs::path(root);
  std::string out = root;
  bool matching = true;  // once a component is missing, nothing below it exists either
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string name = parts[i];
    if (matching && name != "." && name != "..") {
      name = matchComponent(built, name);
      std::error_code ec;
      matching = fs::exists(built / name, ec);
    }
    built /= name;
    if (!out.empty() && out.back() != '/') out.push_back('/');
    out += name;
  }
  // A trailing separator stays only where the game gave one (a directory path).
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  if (trailing && !out.empty() && out.back() != '/') out.push_back('/');
  return out;
}

}  // namespace qv::system
