#include "system/ini_document.h"

#include <vector>

namespace qv::system {

namespace {

struct Line {
  size_t begin, end, next;  // the line's text is [begin, end); the next line starts at `next`
};

// Calls `visit(line)` for each line; stops when it returns false.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    size_t next;
    if (end == std::string_view::npos) {
      end = next = text.size();
    } else {
      next = end + 1;
      if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    }
    if (!visit(Line{at, end, next})) return;
    at = next;
  }
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool sameName(std::string_view a, std::string_view b) {
  a = trim(a);
  b = trim(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

enum class Kind { other, section, entry };

struct Parsed {
  Kind kind = Kind::other;
  std::string_view name, value;
};

Parsed parse(std::string_view line) {
  std::string_view t = trim(line);
  Parsed p;
  if (t.empty() || t[0] == ';' || t[0] == '#') return p;
  if (t[0] == '[') {
    size_t close = t.find(']');
    p.kind = Kind::section;
    p.name = trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    return p;
  }
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return p;
  p.kind = Kind::entry;
  p.name = trim(t.substr(0, eq));
  p.value = trim(t.substr(eq + 1));
  if (p.value.size() >= 2 && (p.value.front() == '"' || p.value.front() == '\'') && p.value.back() == p.value.front())
    p.value = p.value.substr(1, p.value.size() - 2);
  return p;
}

std::string_view lineText(std::string_view text, const Line& l) { return text.substr(l.begin, l.end - l.begin); }

// The line break the file uses (its first one), CR LF for a file without any.
std::string_view lineBreakOf(std::string_view text) {
  size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos) return "\r\n";
  if (text[at] == '\n') return "\n";
  return at + 1 < text.size() && text[at + 1] == '\n' ? std::string_view("\r\n") : std::string_view("\r");
}

}  // namespace

std::optional<std::string> IniDocument::Read(std::string_view section, std::string_view key) const {
  std::optional<std::string> found;
  bool inSection = false;
  forEachLine(text_, [&](const Line& l) {
    Parsed p = parse(lineText(text_, l));
    if (p.kind == Kind::section) inSection = sameName(p.name, section);
    else if (p.kind == Kind::entry && inSection && sameName(p.name, key)) found = std::string(p.value);
    return !found;
  });
  return found;
}

bool IniDocument::SectionExists(std::string_view section) const {
  bool found = false;
  forEachLine(text_, [&](const Line& l) {
    Parsed p = parse(lineText(text_, l));
    found = p.kind == Kind::section && sameName(p.name, section);
    return !found;
  });
  return found;
}

void IniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
  std::string entry = std::string(trim(key)) + "=" + std::string(value);
  for (char& c : entry)
    if (c == '\r' || c == '\n') c = ' ';
  const std::string lineBreak(lineBreakOf(text_));

  bool inSection = false, sectionSeen = false;
  std::optional<Line> existing, lastFilled;  // the entry, or the last non-blank line of the first section
  forEachLine(text_, [&](const Line& l) {
    std::string_view t = lineText(text_, l);
    Parsed p = parse(t);
    if (p.kind == Kind::section) {
      if (inSection) sectionSeen = true;  // the first matching section has ended
      inSection = !sectionSeen && sameName(p.name, section);
      if (inSection) lastFilled = l;
    } else if (inSection) {
      if (p.kind == Kind::entry && sameName(p.name, key)) {
        existing = l;
        return false;
      }
      if (!trim(t).empty()) lastFilled = l;
    }
    return true;
  });
  if (existing) {
    text_.replace(existing->begin, existing->end - existing->begin, entry);
    return;
  }
  if (lastFilled) {
    // After the section's last line; that line may be the file's last one, without a break.
    if (lastFilled->next == lastFilled->end) {
      text_.insert(lastFilled->end, lineBreak + entry);
    } else {
      text_.insert(lastFilled->next, entry + lineBreak);
    }
    return;
  }
  if (!text_.empty() && text_.back() != '\n' && text_.back() != '\r') text_ += lineBreak;
  text_ += "[" + std::string(trim(section)) + "]" + lineBreak + entry + lineBreak;
}

void IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  std::vector<Line> doomed;
  bool inSection = false;
  forEachLine(text_, [&](const Line& l) {
    Parsed p = parse(lineText(text_, l));
    if (p.kind == Kind::section) inSection = sameName(p.name, section);
    else if (p.kind == Kind::entry && inSection && sameName(p.name, key)) doomed.push_back(l);
    return true;
  });
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) text_.erase(it->begin, it->next - it->begin);
}

void IniDocument::DeleteSection(std::string_view section) {
  std::vector<Line> doomed;
  bool inSection = false;
  forEachLine(text_, [&](const Line& l) {
    Parsed p = parse(lineText(text_, l));
    if (p.kind == Kind::section) inSection = sameName(p.name, section);
    if (inSection) doomed.push_back(l);
    return true;
  });
  // Consecutive lines are erased as one range, from the end, so earlier offsets stay valid.
  for (size_t i = doomed.size(); i > 0;) {
    size_t last = --i;
    while (i > 0 && doomed[i - 1].next == doomed[i].begin) --i;
    text_.erase(doomed[i].begin, doomed[last].next - doomed[i].begin);
  }
}

}  // namespace qv::system
