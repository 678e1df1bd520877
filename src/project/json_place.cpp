#include "project/json_place.h"

#include <cctype>
#include <string>
#include <vector>

namespace qv::project {

namespace {

struct Step {
  std::string key;  // empty for a list position
  size_t index = 0;
};

std::optional<std::vector<Step>> stepsOf(std::string_view field) {
  std::vector<Step> steps;
  size_t i = 0;
  while (i < field.size()) {
    if (field[i] == '.') {
      ++i;
      continue;
    }
    if (field[i] == '[') {
      const size_t close = field.find(']', i);
      if (close == std::string_view::npos) return std::nullopt;
      Step s;
      for (size_t k = i + 1; k < close; ++k) {
        if (!std::isdigit(static_cast<unsigned char>(field[k]))) return std::nullopt;
        s.index = s.index * 10 + size_t(field[k] - '0');
      }
      steps.push_back(s);
      i = close + 1;
      continue;
    }
    const size_t end = field.find_first_of(".[", i);
    steps.push_back(Step{std::string(field.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i)), 0});
    i = end == std::string_view::npos ? field.size() : end;
  }
  return steps;
}

class Walker {
 public:
  explicit Walker(std::string_view text) : t_(text) {}

  size_t skipBlanks(size_t p) const {
    while (p < t_.size() && std::isspace(static_cast<unsigned char>(t_[p]))) ++p;
    return p;
  }
  // The end of the string starting at p (its closing quote + 1), or npos.
  size_t skipString(size_t p) const {
    for (++p; p < t_.size(); ++p) {
      if (t_[p] == '\\') ++p;
      else if (t_[p] == '"') return p + 1;
    }
    return std::string_view::npos;
  }
  // The end of the value starting at p, or npos. Nesting is counted, not recursed into.
  size_t skipValue(size_t p) const {
    if (p >= t_.size()) return std::string_view::npos;
    if (t_[p] == '"') return skipString(p);
    if (t_[p] != '{' && t_[p] != '[') {
      while (p < t_.size() && t_[p] != ',' && t_[p] != '}' && t_[p] != ']' && !std::isspace(static_cast<unsigned char>(t_[p]))) ++p;
      return p;
    }
    int depth = 0;
    for (; p < t_.size(); ++p) {
      if (t_[p] == '"') {
        p = skipString(p);
        if (p == std::string_view::npos) return p;
        --p;
      } else if (t_[p] == '{' || t_[p] == '[') {
        ++depth;
      } else if ((t_[p] == '}' || t_[p] == ']') && --depth == 0) {
        return p + 1;
      }
    }
    return std::string_view::npos;
  }
  // The value of the step inside the object or list at p, or npos.
  size_t enter(size_t p, const Step& step) const {
    if (p >= t_.size()) return std::string_view::npos;
    const bool object = t_[p] == '{';
    if (object == step.key.empty() || (t_[p] != '{' && t_[p] != '[')) return std::string_view::npos;
    size_t count = 0;
    p = skipBlanks(p + 1);
    while (p < t_.size() && t_[p] != '}' && t_[p] != ']') {
      if (object) {
        if (t_[p] != '"') return std::string_view::npos;
        const size_t keyEnd = skipString(p);
        if (keyEnd == std::string_view::npos) return keyEnd;
        const std::string_view key = t_.substr(p + 1, keyEnd - p - 2);
        p = skipBlanks(keyEnd);
        if (p >= t_.size() || t_[p] != ':') return std::string_view::npos;
        p = skipBlanks(p + 1);
        if (key == step.key) return p;
      } else if (count++ == step.index) {
        return p;
      }
      p = skipValue(p);
      if (p == std::string_view::npos) return p;
      p = skipBlanks(p);
      if (p < t_.size() && t_[p] == ',') p = skipBlanks(p + 1);
    }
    return std::string_view::npos;
  }

 private:
  std::string_view t_;
};

}  // namespace

std::optional<size_t> LocateJsonField(std::string_view text, std::string_view field) {
  const auto steps = stepsOf(field);
  if (!steps || steps->empty()) return std::nullopt;
  const Walker walker(text);
  size_t at = walker.skipBlanks(0);
  std::optional<size_t> found;
  for (const Step& step : *steps) {
    const size_t next = walker.enter(at, step);
    if (next == std::string_view::npos) {
      if (found) return found;
      // Nothing of the path: the whole object (or list) lacks it, when the text is one.
      if (at < text.size() && (text[at] == '{' || text[at] == '[')) return at;
      return std::nullopt;
    }
    at = next;
    found = at;
  }
  return found;
}

}  // namespace qv::project
