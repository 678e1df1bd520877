#include "windows/rich_text.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <utility>

namespace qv::windows {

namespace {

// Groups whose contents are not text: tables, document information, pictures, fields' instructions.
bool skippedDestination(std::string_view word) {
  static constexpr std::string_view kSkipped[] = {
      "stylesheet", "info", "pict", "header", "footer", "headerl", "headerr", "footerl", "footerr",
      "fldinst", "object", "themedata", "colorschememapping", "latentstyles", "datastore", "listtable",
      "listoverridetable", "rsidtbl", "generator", "xmlnstbl"};
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

enum class Destination { Text, Skip, FontTable, ColourTable };

// The state a group starts with (a copy of its parent's) and changes.
struct Group {
  Destination destination = Destination::Text;
  int unicodeFallback = 1;  // characters after \uN that stand in for it (\ucN)
  int font = -1;            // font number, -1 the default
  int halfPoints = 0;       // 0: the default size
  bool bold = false, italic = false, underline = false;
  int colour = 0;           // colour table entry, 0 the default colour
};

class Reader {
 public:
  Reader(std::string_view rtf, const RichDefaults& defaults) : rtf_(rtf), defaults_(defaults) {
    paragraphs_.emplace_back();
  }

  std::vector<RichParagraph> read() {
    std::vector<Group> groups{Group{}};
    bool groupStart = false;  // at the first item of a group (where destinations are named)
    size_t i = 0;
    while (i < rtf_.size()) {
      const char c = rtf_[i];
      if (c == '{') {
        groups.push_back(groups.back());
        groupStart = true;
        ++i;
        continue;
      }
      if (c == '}') {
        if (groups.back().destination == Destination::FontTable) endFontName();
        if (groups.size() > 1) groups.pop_back();
        pendingFallback_ = 0;
        groupStart = false;
        ++i;
        continue;
      }
      if (c == '\r' || c == '\n') {
        ++i;
        continue;
      }
      if (c != '\\') {
        emit(groups.back(), c);
        groupStart = false;
        ++i;
        continue;
      }
      ++i;
      if (i >= rtf_.size()) break;
      const char s = rtf_[i];
      if (!std::isalpha(static_cast<unsigned char>(s))) {
        ++i;
        controlSymbol(groups.back(), s, groupStart, i);
        groupStart = false;
        continue;
      }
      const size_t wordStart = i;
      while (i < rtf_.size() && std::isalpha(static_cast<unsigned char>(rtf_[i]))) ++i;
      const std::string_view word = rtf_.substr(wordStart, i - wordStart);
      bool hasParameter = false;
      long parameter = 0;
      bool negative = false;
      if (i < rtf_.size() && rtf_[i] == '-') {
        negative = true;
        ++i;
      }
      while (i < rtf_.size() && std::isdigit(static_cast<unsigned char>(rtf_[i]))) {
        hasParameter = true;
        if (parameter < 1000000) parameter = parameter * 10 + (rtf_[i] - '0');
        ++i;
      }
      if (negative) parameter = -parameter;
      if (i < rtf_.size() && rtf_[i] == ' ') ++i;  // the delimiter belongs to the word
      Group& g = groups.back();
      if (groupStart) {
        if (skippedDestination(word)) g.destination = Destination::Skip;
        if (word == "fonttbl") g.destination = Destination::FontTable;
        if (word == "colortbl") {
          g.destination = Destination::ColourTable;
          colours_.clear();
          colour_ = {};
        }
      }
      groupStart = false;
      controlWord(g, word, hasParameter, parameter);
    }
    // The closing paragraph mark of the document is not a paragraph of its own.
    while (paragraphs_.size() > 1 && paragraphs_.back().runs.empty()) paragraphs_.pop_back();
    return std::move(paragraphs_);
  }

 private:
  struct ColourEntry {
    int red = 0, green = 0, blue = 0;
    bool set = false;
  };

  void controlSymbol(Group& g, char s, bool groupStart, size_t& i) {
    switch (s) {
      case '\\': case '{': case '}': emit(g, s); break;
      case '~': emit(g, '\xA0'); break;
      case '_': emit(g, '-'); break;
      case '*': if (groupStart && g.destination == Destination::Text) g.destination = Destination::Skip; break;
      case '\'': {
        const int hi = i < rtf_.size() ? hexDigit(rtf_[i]) : -1;
        const int lo = i + 1 < rtf_.size() ? hexDigit(rtf_[i + 1]) : -1;
        if (hi >= 0 && lo >= 0) {
          emit(g, static_cast<char>(hi * 16 + lo));
          i += 2;
        }
        break;
      }
      case '\r': case '\n': if (g.destination == Destination::Text) newParagraph(); break;
      default: break;  // \- (optional hyphen) and the like
    }
  }

  void controlWord(Group& g, std::string_view word, bool hasParameter, long parameter) {
    const int p = int(std::clamp<long>(parameter, -100000, 100000));
    if (g.destination == Destination::FontTable) {
      if (word == "f" && hasParameter) {
        endFontName();
        fontNumber_ = p;
      }
      return;
    }
    if (g.destination == Destination::ColourTable) {
      if (word == "red") colour_.red = std::clamp(p, 0, 255), colour_.set = true;
      if (word == "green") colour_.green = std::clamp(p, 0, 255), colour_.set = true;
      if (word == "blue") colour_.blue = std::clamp(p, 0, 255), colour_.set = true;
      return;
    }
    if (word == "par") {
      if (g.destination == Destination::Text) newParagraph();
    } else if (word == "line") {
      emit(g, '\n');
    } else if (word == "tab") {
      emit(g, '\t');
    } else if (word == "uc" && hasParameter) {
      g.unicodeFallback = std::clamp(p, 0, 10);
    } else if (word == "u" && hasParameter) {
      const long code = parameter < 0 ? parameter + 65536 : parameter;
      emit(g, code < 256 ? static_cast<char>(code) : '?');
      pendingFallback_ = g.unicodeFallback;
    } else if (word == "pard") {
      alignment_ = 0;
      paragraphs_.back().alignment = paragraphs_.back().runs.empty() ? 0 : paragraphs_.back().alignment;
    } else if (word == "ql" || word == "qj") {
      setAlignment(0);
    } else if (word == "qc") {
      setAlignment(1);
    } else if (word == "qr") {
      setAlignment(2);
    } else if (word == "plain") {
      const Group kept = g;
      g = Group{};
      g.destination = kept.destination;
      g.unicodeFallback = kept.unicodeFallback;
    } else if (word == "f") {
      g.font = p;
    } else if (word == "fs") {
      g.halfPoints = hasParameter ? std::clamp(p, 2, 3200) : 24;
    } else if (word == "b") {
      g.bold = !hasParameter || p != 0;
    } else if (word == "i") {
      g.italic = !hasParameter || p != 0;
    } else if (word == "ul") {
      g.underline = !hasParameter || p != 0;
    } else if (word == "ulnone") {
      g.underline = false;
    } else if (word == "cf") {
      g.colour = p;
    } else {
      for (const auto& [name, c] : kNamedCharacters)
        if (word == name) emit(g, c);
    }
  }

  void setAlignment(int a) {
    alignment_ = a;
    paragraphs_.back().alignment = a;
  }

  void newParagraph() {
    paragraphs_.emplace_back();
    paragraphs_.back().alignment = alignment_;
  }

  void endFontName() {
    if (fontNumber_ >= 0 && !fontName_.empty()) fonts_.emplace(fontNumber_, fontName_);
    fontName_.clear();
    fontNumber_ = -1;
  }

  void emit(const Group& g, char c) {
    if (pendingFallback_ > 0) {
      --pendingFallback_;
      return;
    }
    switch (g.destination) {
      case Destination::Skip: return;
      case Destination::FontTable:
        if (c == ';') endFontName();
        else if (fontNumber_ >= 0 && fontName_.size() < 64) fontName_ += c;
        return;
      case Destination::ColourTable:
        if (c == ';') {
          colours_.push_back(colour_);
          colour_ = {};
        }
        return;
      case Destination::Text: break;
    }
    TextRun style = styleOf(g);
    std::vector<TextRun>& runs = paragraphs_.back().runs;
    if (runs.empty() || !sameStyle(runs.back(), style)) runs.push_back(std::move(style));
    runs.back().text += c;
  }

  TextRun styleOf(const Group& g) const {
    TextRun r;
    const auto font = fonts_.find(g.font);
    r.font = font != fonts_.end() ? font->second : defaults_.font;
    r.size = g.halfPoints > 0 ? std::max(1, g.halfPoints / 2) : defaults_.size;
    r.bold = g.bold;
    r.italic = g.italic;
    r.underline = g.underline;
    r.colour = defaults_.colour;
    if (g.colour > 0 && size_t(g.colour) < colours_.size() && colours_[size_t(g.colour)].set) {
      const ColourEntry& e = colours_[size_t(g.colour)];
      r.colour = e.red | e.green << 8 | e.blue << 16;
    }
    return r;
  }

  static bool sameStyle(const TextRun& a, const TextRun& b) {
    return a.font == b.font && a.size == b.size && a.bold == b.bold && a.italic == b.italic &&
           a.underline == b.underline && a.colour == b.colour;
  }

  std::string_view rtf_;
  RichDefaults defaults_;
  std::vector<RichParagraph> paragraphs_;
  std::map<int, std::string> fonts_;
  std::vector<ColourEntry> colours_;
  ColourEntry colour_;
  int fontNumber_ = -1;
  std::string fontName_;
  int alignment_ = 0;
  int pendingFallback_ = 0;  // fallback characters still to drop after a \u
};

std::vector<RichParagraph> plainParagraphs(std::string_view text, const RichDefaults& defaults) {
  std::vector<RichParagraph> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    const std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    RichParagraph p;
    if (!line.empty()) p.runs.push_back(TextRun{std::string(line), defaults.font, defaults.size, false, false, false, defaults.colour});
    out.push_back(std::move(p));
    if (end == std::string_view::npos) break;
    if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return out;
}

}  // namespace

std::vector<RichParagraph> ReadRichText(std::string_view text, const RichDefaults& defaults) {
  if (text.substr(0, 5) != "{\\rtf") return plainParagraphs(text, defaults);
  return Reader(text, defaults).read();
}

std::string RichTextToPlain(std::string_view rtf) {
  if (rtf.substr(0, 5) != "{\\rtf") return std::string(rtf);
  std::string out;
  const std::vector<RichParagraph> paragraphs = ReadRichText(rtf);
  for (size_t k = 0; k < paragraphs.size(); ++k) {
    if (k > 0) out += '\n';
    for (const TextRun& r : paragraphs[k].runs) out += r.text;
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace qv::windows
