#include "extensions/script_file.h"

namespace qv::extensions {

namespace {

std::string trimmed(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SplitScriptFile(std::string_view contents) {
  std::vector<std::pair<std::string, std::string>> sections;
  bool firstLine = true;  // of the current section
  size_t start = 0;
  while (start <= contents.size()) {
    const size_t cr = contents.find('\r', start);
    const std::string_view raw = contents.substr(start, cr == std::string_view::npos ? std::string_view::npos : cr - start);
    std::string line;
    line.reserve(raw.size());
    for (const char c : raw)
      if (c != '\n') line += c;
    if (line.rfind("#define", 0) == 0) {
      sections.emplace_back(trimmed(std::string_view(line).substr(7)), std::string());
      firstLine = true;
    } else if (!sections.empty()) {
      std::string& text = sections.back().second;
      if (!firstLine) text += "\r\n";
      text += line;
      firstLine = false;
    }
    if (cr == std::string_view::npos) break;
    start = cr + 1;
  }
  return sections;
}

}  // namespace qv::extensions
