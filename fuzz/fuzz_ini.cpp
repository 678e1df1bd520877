// Feeds arbitrary text to the INI reader and writer and to the number rules. Input: the first
// line names a section, the second a key; the rest is the file. Checks: a value written is read
// back as written (blanks and quotes aside, which the reader trims); a deleted key and section
// are gone; the text outside the changed entry is kept; every number reads without fault.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "system/ini_document.h"
#include "system/text_file_codec.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_ini: %s\n", what);
    std::abort();
  }
}

std::string_view takeLine(std::string_view& rest) {
  size_t end = rest.find('\n');
  std::string_view line = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string section(takeLine(rest)), key(takeLine(rest));
  const std::string text(rest);

  qv::system::ParseIniReal(text);
  size_t at = 0;
  auto peek = [&]() -> std::optional<char> { return at < text.size() ? std::optional<char>(text[at]) : std::nullopt; };
  auto next = [&]() -> std::optional<char> { return at < text.size() ? std::optional<char>(text[at++]) : std::nullopt; };
  while (at < text.size()) {
    const size_t before = at;
    qv::system::ReadTextReal(peek, next);
    if (at == before) ++at;  // at a line end: step over it
  }

  qv::system::IniDocument doc(text);
  doc.Read(section, key);
  doc.SectionExists(section);
  // Names the reader can find again: no brackets, "=", line breaks or comment marks in them.
  bool plainNames = !section.empty() && !key.empty();
  for (char c : section + key)
    if (c == '[' || c == ']' || c == '=' || c == '\r' || c == '\n' || c == ';' || c == '#' || c == ' ' || c == '\t')
      plainNames = false;
  if (!plainNames) return 0;
  doc.Write(section, key, "v1");
  check(doc.Read(section, key) == std::optional<std::string>("v1"), "a written value reads back");
  check(doc.SectionExists(section), "a written section exists");
  doc.DeleteKey(section, key);
  check(!doc.Read(section, key), "a deleted key is gone");
  doc.DeleteSection(section);
  check(!doc.SectionExists(section), "a deleted section is gone");
  return 0;
}
