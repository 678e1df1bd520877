// The filename_* functions: Windows file names split at "\" and ":" ("/" is an ordinary character
// here, as it is to the games that use them).
#include <string>
#include <string_view>

#include "system/file_builtins.h"

namespace qv::system {

namespace {

using code::BuiltinCall;
using code::BuiltinFunction;

// The position of the last of `delimiters` in `s`, or npos.
size_t lastOf(std::string_view s, std::string_view delimiters) { return s.find_last_of(delimiters); }

void filename_name(BuiltinCall& c) {
  const std::string& s = c.string(0);
  const size_t i = lastOf(s, "\\:");
  c.result = i == std::string::npos ? s : s.substr(i + 1);
}

void filename_path(BuiltinCall& c) {
  const std::string& s = c.string(0);
  const size_t i = lastOf(s, "\\:");
  c.result = i == std::string::npos ? std::string() : s.substr(0, i + 1);
}

void filename_dir(BuiltinCall& c) {
  const std::string& s = c.string(0);
  size_t i = lastOf(s, "\\:");
  if (i == std::string::npos) {
    c.result = std::string();
    return;
  }
  size_t end = i + 1;
  // "C:\x" keeps "C:\", a drive root; "C:\dir\x" drops the separator.
  if (i > 0 && s[i] == '\\' && s[i - 1] != '\\' && s[i - 1] != ':') end = i;
  c.result = s.substr(0, end);
}

void filename_drive(BuiltinCall& c) {
  const std::string& s = c.string(0);
  if (s.size() >= 2 && s[1] == ':') {
    c.result = s.substr(0, 2);
  } else if (s.size() >= 2 && s[0] == '\\' && s[1] == '\\') {
    // "\\server\share": up to the separator after the share name.
    const size_t server = s.find('\\', 2);
    if (server == std::string::npos) {
      c.result = s;
      return;
    }
    const size_t share = s.find('\\', server + 1);
    c.result = share == std::string::npos ? s : s.substr(0, share);
  } else {
    c.result = std::string();
  }
}

void filename_ext(BuiltinCall& c) {
  const std::string& s = c.string(0);
  const size_t i = lastOf(s, ".\\:");
  c.result = i != std::string::npos && s[i] == '.' ? s.substr(i) : std::string();
}

void filename_change_ext(BuiltinCall& c) {
  const std::string& s = c.string(0);
  size_t i = lastOf(s, ".\\:");
  if (i == std::string::npos || s[i] != '.') i = s.size();
  c.result = s.substr(0, i) + c.string(1);
}

const BuiltinFunction kFilenameFunctions[] = {
    {"filename_name", filename_name, 1},   {"filename_path", filename_path, 1},
    {"filename_dir", filename_dir, 1},     {"filename_drive", filename_drive, 1},
    {"filename_ext", filename_ext, 1},     {"filename_change_ext", filename_change_ext, 2},
};

}  // namespace

code::BuiltinFamily FilenameFunctions() { return kFilenameFunctions; }

}  // namespace qv::system
