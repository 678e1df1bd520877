#include "system/program_arguments.h"

namespace qv::system {

std::vector<std::string> SplitWindowsArguments(std::string_view line) {
  std::vector<std::string> out;
  std::string current;
  bool inArgument = false, quoted = false;
  for (size_t i = 0; i < line.size();) {
    const char c = line[i];
    if (!quoted && (c == ' ' || c == '\t')) {
      if (inArgument) out.push_back(std::move(current));
      current.clear();
      inArgument = false;
      ++i;
      continue;
    }
    inArgument = true;
    if (c == '\\') {
      size_t n = 0;
      while (i < line.size() && line[i] == '\\') ++n, ++i;
      if (i < line.size() && line[i] == '"') {
        current.append(n / 2, '\\');
        if (n % 2 == 1) {
          current += '"';
          ++i;
        }
      } else {
        current.append(n, '\\');
      }
      continue;
    }
    if (c == '"') {
      if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        current += '"';
        i += 2;
        continue;
      }
      quoted = !quoted;
      ++i;
      continue;
    }
    current += c;
    ++i;
  }
  if (inArgument) out.push_back(std::move(current));
  return out;
}

}  // namespace qv::system
