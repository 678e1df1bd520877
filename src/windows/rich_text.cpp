#include "windows/rich_text.h"

#include <cctype>
#include <utility>
#include <vector>

namespace qv::windows {

namespace {

// Groups whose contents are not text: tables, document information, pictures, fields' instructions.
bool skippedDestination(std::string_view word) {
  static constexpr std::string_view kSkipped[] = {
      "fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "footer", "headerl", "headerr",
      "footerl", "footerr", "fldinst", "object", "themedata", "colorschememapping", "latentstyles",
      "datastore", "listtable", "listoverridetable", "rsidtbl", "generator", "xmlnstbl"};
  for (std::string_view s : kSkipped)
    if (word == s) return true;
  return false;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Control words that stand for one character of code page 1252.
constexpr std::pair<std::string_view, char> kNamedCharacters[] = {
    {"emdash", '\x97'}, {"endash", '\x96'},    {"bullet", '\x95'},    {"lquote", '\x91'},
    {"rquote", '\x92'}, {"ldblquote", '\x93'}, {"rdblquote", '\x94'},
};

struct Group {
  bool skip = false;
  int unicodeFallback = 1;  // characters after \uN that stand in for it (\ucN)
};

}  // namespace

std::string RichTextToPlain(std::string_view rtf) {
  if (rtf.substr(0, 5) != "{\\rtf") return std::string(rtf);
  std::string out;
  std::vector<Group> groups{Group{}};
  int pendingFallback = 0;  // fallback characters still to drop after a \u
  bool groupStart = false;  // at the first item of a group (where destinations are named)
  auto emit = [&](char c) {
    if (pendingFallback > 0) {
      --pendingFallback;
      return;
    }
    if (!groups.back().skip) out.push_back(c);
  };
  size_t i = 0;
  while (i < rtf.size()) {
    const char c = rtf[i];
    if (c == '{') {
      groups.push_back(groups.back());
      groupStart = true;
      ++i;
      continue;
    }
    if (c == '}') {
      if (groups.size() > 1) groups.pop_back();
      pendingFallback = 0;
      groupStart = false;
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (c != '\\') {
      emit(c);
      groupStart = false;
      ++i;
      continue;
    }
    // A control symbol or word.
    ++i;
    if (i >= rtf.size()) break;
    const char s = rtf[i];
    if (!std::isalpha(static_cast<unsigned char>(s))) {
      ++i;
      switch (s) {
        case '\\': case '{': case '}': emit(s); break;
        case '~': emit('\xA0'); break;
        case '_': emit('-'); break;
        case '*': if (groupStart) groups.back().skip = true; break;
        case '\'': {
          const int hi = i < rtf.size() ? hexDigit(rtf[i]) : -1;
          const int lo = i + 1 < rtf.size() ? hexDigit(rtf[i + 1]) : -1;
          if (hi >= 0 && lo >= 0) {
            emit(static_cast<char>(hi * 16 + lo));
            i += 2;
          }
          break;
        }
        case '\r': case '\n': emit('\n'); break;  // an escaped line end is a paragraph
        default: break;                            // \- (optional hyphen) and the like
      }
      groupStart = false;
      continue;
    }
    const size_t wordStart = i;
    while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
    const std::string_view word = rtf.substr(wordStart, i - wordStart);
    bool hasParameter = false;
    long parameter = 0;
    bool negative = false;
    if (i < rtf.size() && rtf[i] == '-') {
      negative = true;
      ++i;
    }
    while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) {
      hasParameter = true;
      if (parameter < 1000000) parameter = parameter * 10 + (rtf[i] - '0');
      ++i;
    }
    if (negative) parameter = -parameter;
    if (i < rtf.size() && rtf[i] == ' ') ++i;  // the delimiter belongs to the word
    if (groupStart && skippedDestination(word)) groups.back().skip = true;
    groupStart = false;
    if (word == "par" || word == "line") {
      emit('\n');
    } else if (word == "tab") {
      emit('\t');
    } else if (word == "uc" && hasParameter) {
      groups.back().unicodeFallback = static_cast<int>(parameter);
    } else if (word == "u" && hasParameter) {
      const long code = parameter < 0 ? parameter + 65536 : parameter;
      emit(code < 256 ? static_cast<char>(code) : '?');
      pendingFallback = groups.back().unicodeFallback;
    } else {
      for (const auto& [name, c] : kNamedCharacters)
        if (word == name) emit(c);
    }
  }
  // The closing paragraph mark of the document is not a line of its own.
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace qv::windows
