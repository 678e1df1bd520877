// The text of an INI file and the reading and writing rules games expect:
//   - "[name]" lines start sections, "key=value" lines are entries; section and key names are
//     compared without regard to ASCII case and without their surrounding blanks;
//   - a value loses its surrounding blanks, and one pair of matching quotes around it;
//   - lines starting with ";" or "#" are comments; they and every line that is neither a section
//     nor an entry are kept as they are, and so are the line ends of the file;
//   - when a name occurs twice, the first one counts; writing changes the first entry, or adds
//     the entry after the last non-blank line of the section, or adds the section at the end;
//   - entries before the first section belong to no section and are never found.
// The text is scanned for every question: no structure per line is kept, so a file of a million
// sections takes its own size in memory and no more.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv::system {

class IniDocument {
 public:
  IniDocument() = default;
  explicit IniDocument(std::string text) : text_(std::move(text)) {}

  const std::string& text() const { return text_; }

  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  bool SectionExists(std::string_view section) const;
  // Line breaks in the value become blanks: a value is one line.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  void DeleteKey(std::string_view section, std::string_view key);
  void DeleteSection(std::string_view section);

 private:
  std::string text_;
};

}  // namespace qv::system
